// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace velmora {

class StoreRendering;
class Workspace;

// Keeps a recovery copy of the document while it has unsaved changes, so that a program that
// ends before a save loses nothing: soon after every edit, undo or redo the document's bytes go to
// its recovery file, and the file goes once nothing is left unsaved. The bytes are rendered on the
// user-interface thread, where the stores live, a slice between events at a time so that a big
// document never holds the window up for a frame; a change of the document meanwhile drops the
// rendering and the copy starts again later. Hashing and writing them, which takes long for a big
// document, happens on a thread of its own, one job after the other, so that a removal never
// overtakes the write before it.
class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    // Longest wait between an edit and its copy on disk.
    static constexpr int CopyDelayMs = 2000;

    explicit RecoveryKeeper(Workspace& workspace, QObject* parent = nullptr);
    ~RecoveryKeeper() override;
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;
    RecoveryKeeper(RecoveryKeeper&&) = delete;
    RecoveryKeeper& operator=(RecoveryKeeper&&) = delete;

    // The folder of the recovery files; empty (the default) keeps none.
    void SetFolder(std::string dir) { m_dir = std::move(dir); }
    const std::string& Folder() const { return m_dir; }
    // The recovery file of the open document.
    std::string CurrentFile() const;

    // The document changed (an edit, undo or redo, a save, a load): a copy is made soon while it
    // has unsaved changes, and its file goes when it has none.
    void DocumentChanged();
    // Renders the copy at once and hands it to the writing thread, as a change of document that
    // follows may not wait for the slices.
    void CopyNow();
    // True while a copy is being rendered slice by slice.
    bool Rendering() const { return m_rendering != nullptr; }
    // The user dropped the unsaved changes: the copy goes.
    void Discard();
    // The unsaved changes are about to be replaced by another program's version of the file: they
    // are kept in a recovery file of their own, offered at the next start.
    void KeepAside();
    // Removes `fileName` on the writing thread, after the jobs before it.
    void Remove(const std::string& fileName);
    // Waits until every job handed to the writing thread is done.
    void Drain();

signals:
    // A copy could not be written or removed; `text` says which and why. Told once until a copy
    // is written again, not at every edit.
    void failed(const QString& text);

private:
    void Run(std::function<void()> job);
    // The timer ran out: the copy is rendered in slices.
    void StartCopy();
    void RenderSlice();
    void DropRendering();
    // Where the copy of the open document goes, the last copy removed when the name changed.
    std::string NextCopyFile();
    void WriteCopy(const std::string& fileName, std::shared_ptr<StoreRendering> rendering);
    // On the writing thread.
    void Failed(const std::string& text);

    Workspace& m_workspace;
    std::string m_dir;
    std::string m_written;  // the file the last copy went to, while it is there
    QTimer m_timer;
    QTimer m_slicer;  // runs the next slice once the window's events are handled
    std::shared_ptr<StoreRendering> m_rendering;
    QThread m_thread;
    QObject m_worker;  // lives on m_thread; runs the jobs there in order
    std::atomic<bool> m_failing{false};
};

}  // namespace velmora
