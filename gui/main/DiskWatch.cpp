// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/DiskWatch.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <algorithm>

#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

// A file name as Qt hands it to the file system: the bytes as they are.
QString PathForQt(const std::string& name) {
#ifdef _WIN32
    return ToQString(platform::AbsoluteName(name));
#else
    const std::string absolute = platform::AbsoluteName(name);
    return QFile::decodeName(QByteArray(absolute.data(), static_cast<qsizetype>(absolute.size())));
#endif
}

}  // namespace

DiskWatch::DiskWatch(QObject* parent) : QObject(parent), m_watcher(new QFileSystemWatcher(this)) {
    m_steady.setSingleShot(true);
    m_cutShortWait.setSingleShot(true);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DiskWatch::Stirred);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::Stirred);
    connect(&m_steady, &QTimer::timeout, this, &DiskWatch::Look);
    connect(&m_cutShortWait, &QTimer::timeout, this, &DiskWatch::Look);
}

DiskWatch::~DiskWatch() = default;

void DiskWatch::SetWaits(int steadyMs, int cutShortWaitMs) {
    m_steadyMs = steadyMs;
    m_cutShortWaitMs = cutShortWaitMs;
}

void DiskWatch::Watch(std::vector<File> files) {
    std::vector<Watched> watched;
    for (File& file : files) {
        Watched* before = Find(file.Name);
        Watched next = before ? std::move(*before) : Watched();
        if (!before) next.glance = GlanceAtFile(file.Name);
        next.file = std::move(file);
        watched.push_back(std::move(next));
    }
    m_files = std::move(watched);
    Rewatch();
}

DiskWatch::Watched* DiskWatch::Find(const std::string& name) {
    const auto found =
        std::find_if(m_files.begin(), m_files.end(), [&name](const Watched& file) { return file.file.Name == name; });
    return found == m_files.end() ? nullptr : &*found;
}

void DiskWatch::Rewatch() {
    QSet<QString> files;
    QSet<QString> folders;
    for (const Watched& watched : m_files) {
        if (!watched.file.Known || !watched.file.Known->Exists) continue;
        const QString path = PathForQt(watched.file.Name);
        if (platform::IsRegularFile(watched.file.Name)) files.insert(path);
        folders.insert(QFileInfo(path).absolutePath());
    }
    // The files are watched afresh each time: a watch follows the file it was put on, which a
    // rename over the name may have replaced.
    if (!m_watcher->files().isEmpty()) m_watcher->removePaths(m_watcher->files());
    if (!files.isEmpty()) m_watcher->addPaths(files.values());
    QStringList gone;
    for (const QString& folder : m_watcher->directories())
        if (!folders.contains(folder)) gone << folder;
    if (!gone.isEmpty()) m_watcher->removePaths(gone);
    QStringList added;
    for (const QString& folder : folders)
        if (!m_watcher->directories().contains(folder)) added << folder;
    if (!added.isEmpty()) m_watcher->addPaths(added);
}

void DiskWatch::Stirred() {
    // Writes come as many events (truncate, write, rename, a folder's entries); each puts the look
    // off, so that it comes once they have stopped.
    m_steady.start(m_steadyMs);
}

void DiskWatch::Look() {
    // A question already asked is answered first, and so is any other question or dialog: the look
    // comes again after it.
    if (m_checking) {
        m_lookAgain = true;
        return;
    }
    if (QApplication::activeModalWidget()) {
        m_steady.start(m_steadyMs);
        return;
    }
    bool steady = true;
    for (Watched& watched : m_files) {
        const DiskStamp now = GlanceAtFile(watched.file.Name);
        if (now == watched.glance) continue;
        watched.glance = now;
        steady = false;
    }
    if (!steady) {
        m_steady.start(m_steadyMs);
        return;
    }
    Check();
}

void DiskWatch::Check() {
    m_checking = true;
    m_lookAgain = false;
    struct Done {
        DiskWatch& watch;
        ~Done() {
            watch.m_checking = false;
            watch.Rewatch();
            if (watch.m_lookAgain) watch.m_steady.start(watch.m_steadyMs);
        }
    } done{*this};

    // Telling a file's owner may replace the list (a file read again is watched anew): each file
    // is found again by its name.
    std::vector<std::string> names;
    for (const Watched& watched : m_files) names.push_back(watched.file.Name);
    for (const std::string& name : names) {
        Watched* watched = Find(name);
        if (!watched) continue;
        const Verdict verdict = Judge(*watched);
        if (!verdict.tell) continue;
        watched->told = true;
        watched->toldGlance = watched->glance;
        watched->toldKnown = *watched->file.Known;
        const Tell tell = watched->file.TellOwner;  // a copy: the list may go while it runs
        if (tell) tell(verdict.finding, verdict.why);
    }
}

DiskWatch::Verdict DiskWatch::Judge(Watched& watched) {
    const DiskStamp* known = watched.file.Known;
    if (!known || !known->Exists) return {};
    if (watched.told && watched.toldGlance == watched.glance && watched.toldKnown == *known) return {};
    DiskChange change = DiskChange::None;
    try {
        change = ChangeOnDisk(*known, watched.file.Name);
    } catch (const IniError& error) {
        // Held open by its writer, or its permissions changed: what the editor holds stays, and
        // the file is looked at again when it changes.
        return {true, DiskFinding::Unreadable, error.what()};
    }
    switch (change) {
        case DiskChange::None:
            if (!watched.toldDeleted) return {};
            watched.toldDeleted = false;
            return {true, DiskFinding::Back, {}};
        case DiskChange::Deleted:
            watched.toldDeleted = true;
            return {true, DiskFinding::Deleted, {}};
        case DiskChange::Changed:
            break;
    }
    watched.toldDeleted = false;
    if (!LooksCutShort(watched.file.Name)) return {true, DiskFinding::Changed, {}};
    // A writer that pauses part-way leaves the text ending in the middle of a line: it is given
    // time to finish before the file is read as it stands.
    if (watched.cutShortGlance != watched.glance || !watched.cutShortFor.isValid()) {
        watched.cutShortGlance = watched.glance;
        watched.cutShortFor.start();
    }
    const qint64 left = m_cutShortWaitMs - watched.cutShortFor.elapsed();
    if (left > 0) {
        m_cutShortWait.start(static_cast<int>(left));
        return {};
    }
    return {true, DiskFinding::CutShort, {}};
}

}  // namespace velmora
