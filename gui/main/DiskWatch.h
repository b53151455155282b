// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/store/DiskStamp.h"

class QFileSystemWatcher;

namespace velmora {

// What became of a watched file on disk, against what the editor last read or wrote of it.
enum class DiskFinding {
    Changed,     // another program changed it
    CutShort,    // changed, and it still ends in the middle of a line after the long wait
    Unreadable,  // changed, but it cannot be read now; the text says why
    Deleted,     // it went from the disk
    Back,        // after it went, it came back as the editor last knew it
};

// Watches the files the editor has open for changes by other programs, and tells each file's
// owner what it found. A file is looked at only once it stands still (its size and time the same
// at two looks a moment apart), so that a program writing it in parts is not read half-way; one
// whose text still ends in the middle of a line gets a longer wait before it is told as cut short.
// The files' folders are watched too: a file deleted and made again is found, and watched again.
// Every file has its own state: a version on disk is told once, and not again while what the
// editor holds of that file stays the same (the user chose to keep theirs, or was told it went).
class DiskWatch : public QObject {
    Q_OBJECT

public:
    using Tell = std::function<void(DiskFinding, const std::string& why)>;
    // A file the editor has open. `Known` is the stamp of what the editor last read or wrote of it,
    // which the editor's own reads and writes keep up; it outlives the watch. A file never read
    // from disk (Exists false) is not watched.
    struct File {
        std::string Name;
        const DiskStamp* Known = nullptr;
        Tell TellOwner;
        // What `Known` lies in, kept while the file is watched when its owner may let it go first.
        std::shared_ptr<const void> KnownHolder;
    };

    // How long a file must stand still before it is looked at, and how long one that ends in the
    // middle of a line is given to be finished.
    static constexpr int SteadyMs = 500;
    static constexpr int CutShortWaitMs = 8000;

    explicit DiskWatch(QObject* parent = nullptr);
    ~DiskWatch() override;
    DiskWatch(const DiskWatch&) = delete;
    DiskWatch& operator=(const DiskWatch&) = delete;
    DiskWatch(DiskWatch&&) = delete;
    DiskWatch& operator=(DiskWatch&&) = delete;

    // The files watched from now on. A file of the same name as one watched before keeps its state.
    void Watch(std::vector<File> files);
    // Shorter waits, for tests.
    void SetWaits(int steadyMs, int cutShortWaitMs);

private:
    struct Watched {
        File file;
        DiskStamp glance;  // its size and time at the last look
        // The version last told of, and what the editor held of the file then.
        bool told = false;
        DiskStamp toldGlance;
        DiskStamp toldKnown;
        bool toldDeleted = false;
        // Since when the version now on disk has ended in the middle of a line.
        DiskStamp cutShortGlance;
        QElapsedTimer cutShortFor;
    };
    struct Verdict {
        bool tell = false;
        DiskFinding finding = DiskFinding::Changed;
        std::string why;
    };

    // Something moved in a watched file or folder: a look once it has stood still.
    void Stirred();
    void Look();
    void Check();
    Verdict Judge(Watched& watched);
    Watched* Find(const std::string& name);
    // The watcher follows the files as they now are: a file replaced by a rename, or made again,
    // is watched under its name again.
    void Rewatch();

    QFileSystemWatcher* m_watcher;  // owned through its Qt parent, this watch
    QTimer m_steady;
    QTimer m_cutShortWait;
    std::vector<Watched> m_files;
    int m_steadyMs = SteadyMs;
    int m_cutShortWaitMs = CutShortWaitMs;
    bool m_checking = false;
    bool m_lookAgain = false;
};

}  // namespace velmora
