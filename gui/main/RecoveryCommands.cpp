// SPDX-License-Identifier: GPL-3.0-or-later
// Never losing an edit: the recovery copies of unsaved work and their offer at the next start, and
// the document's and definition's files changed by another program while they are open.

#include <QApplication>
#include <QFileSystemWatcher>
#include <QTimer>

#include "gui/category/mChildWin.h"
#include "core/catalogue/Boxes.h"
#include "core/catalogue/DocumentSave.h"
#include "core/catalogue/RecoveryFile.h"
#include "core/catalogue/Routines.h"
#include "gui/changes/ChangesWindow.h"
#include "gui/table/BalanceTableView.h"
#include "gui/widgets/DocumentSignals.h"
#include "gui/widgets/QtText.h"
#include "gui/main/RecoveryKeeper.h"
#include "gui/main/mMainWin.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora {

namespace {

// Watchers report a save as several events (truncate, write, rename): they are taken as one.
constexpr int DiskCheckDelayMs = 200;

enum RestoreButton : size_t { Restore, Discard, CompareRecovery };
enum ChangedButton : size_t { Reload, KeepMine, CompareChanged };

}  // namespace

void TMainWin::SetUpRecovery() {
    m_recovery = std::make_unique<RecoveryKeeper>(m_workspace);
    connect(m_recovery.get(), &RecoveryKeeper::failed, this,
            [this](const QString& text) { m_boxes.Error(ToBytes(text)); });
    const DocumentSignals& news = *m_documentNews;
    connect(&news, &DocumentSignals::historyChanged, m_recovery.get(), &RecoveryKeeper::DocumentChanged);
    connect(&news, &DocumentSignals::modifiedChanged, m_recovery.get(), &RecoveryKeeper::DocumentChanged);

    m_fileWatcher = new QFileSystemWatcher(this);  // owned through its Qt parent, this window
    m_diskCheck = new QTimer(this);
    m_diskCheck->setSingleShot(true);
    m_diskCheck->setInterval(DiskCheckDelayMs);
    connect(m_fileWatcher, &QFileSystemWatcher::fileChanged, m_diskCheck, qOverload<>(&QTimer::start));
    connect(m_diskCheck, &QTimer::timeout, this, &TMainWin::Guarded<&TMainWin::CheckFilesOnDisk>);
}

void TMainWin::SetRecoveryFolder(const std::string& dir) {
    m_recovery->SetFolder(dir);
}

RecoveryKeeper& TMainWin::RecoveryCopies() {
    return *m_recovery;
}

// ---------------------------------------------------------------------------------------------
// Recovery copies

void TMainWin::OfferRecoveries() {
    OfferRecoveriesOf(std::nullopt);
}

void TMainWin::OfferRecoveriesOf(const std::optional<std::string>& documentFile) {
    const std::string& dir = m_recovery->Folder();
    if (dir.empty()) return;
    const std::string wanted = documentFile ? platform::AbsoluteName(*documentFile) : std::string();
    for (const std::string& file : RecoveryFiles(dir)) {
        // The copy of the changes now open is this session's own.
        if (m_workspace.Doc().Modified() && file == m_recovery->CurrentFile()) continue;
        velmora::Recovery recovery;
        try {
            recovery = ReadRecoveryFile(file);
        } catch (const IniError& error) {
            // Reported at the start only, and kept: the user may still save what it holds.
            if (!documentFile)
                m_boxes.Error("A recovery file cannot be read and is kept:\r\n" + std::string(error.what()));
            continue;
        }
        if (documentFile && platform::AbsoluteName(recovery.Record.DocumentPath) != wanted) continue;
        OfferRecovery(file, recovery);
    }
}

void TMainWin::OfferRecovery(const std::string& file, const velmora::Recovery& recovery) {
    const std::string question = RestoreQuestion(recovery.Record, ChangedSinceRecovery(recovery.Record));
    const size_t answer = m_boxes.Choose(question, {"&Restore", "&Discard", "&Compare…"});
    if (answer == Discard) {
        m_recovery->Remove(file);
        return;
    }
    if (!ModifiedSavedOrDontCare()) return;
    CloseExistingChildWindow();
    m_workspace.LoadRecoveredDocument(recovery.Record.DocumentPath, recovery.Bytes, recovery.Record.Loaded);
    // The restored changes are unsaved work of this session now, kept in the document's own file.
    m_recovery->CopyNow();
    if (file != m_recovery->CurrentFile()) m_recovery->Remove(file);
    if (answer == CompareRecovery && platform::IsRegularFile(recovery.Record.DocumentPath))
        m_changesWindow->ShowAndCompareWithFile(recovery.Record.DocumentPath);
}

// ---------------------------------------------------------------------------------------------
// Files changed on disk

void TMainWin::WatchFiles() {
    if (!m_fileWatcher) return;  // a load before the window was complete
    if (!m_fileWatcher->files().isEmpty()) m_fileWatcher->removePaths(m_fileWatcher->files());
    const Document& document = m_workspace.Doc();
    if (!document.HasStores()) return;
    for (const std::string& file : {document.Store().FileName(), document.Definition().FileName()})
        if (platform::IsRegularFile(file)) m_fileWatcher->addPath(ToQString(file));
}

void TMainWin::CheckFilesOnDisk() {
    // A question already asked is answered first; its answer reads the files again.
    if (m_checkingDisk || !m_workspace.Doc().HasStores()) return;
    // Not in the middle of another question or dialog: the check waits until it is answered.
    if (QApplication::activeModalWidget()) {
        m_diskCheck->start();
        return;
    }
    m_checkingDisk = true;
    struct Done {
        TMainWin& window;
        ~Done() {
            window.m_checkingDisk = false;
            window.WatchFiles();  // a file replaced by a rename is watched under its name again
        }
    } done{*this};
    CheckDocumentOnDisk();
    CheckDefinitionOnDisk();
}

void TMainWin::CheckDocumentOnDisk() {
    Document& document = m_workspace.Doc();
    const std::string file = document.Store().FileName();
    const std::string name = ExtractFileName(file);
    switch (ChangeOnDisk(m_workspace.DocumentStamp, file)) {
        case DiskChange::None:
            return;
        case DiskChange::Deleted:
            // What is open is now the only copy: it stays, and saving writes the file again.
            if (!document.Modified()) document.MarkUnsaved();
            ShowStatus(name + " was deleted by another program. Save writes it again.");
            return;
        case DiskChange::Changed:
            break;
    }
    const DiskStamp onDisk = TakeDiskStamp(file);
    if (onDisk == m_keptMineOver) return;  // the user chose to keep theirs over this version
    if (!document.Modified()) {
        ReloadKeepingWindows(false);
        ShowStatus(name + " was changed by another program and has been read again.");
        return;
    }
    CommitOpenEdits();
    const size_t answer = m_boxes.Choose(name + " was changed by another program.",
                                         {"&Reload", "&Keep Mine", "&Compare…"});
    if (answer == Reload) {
        m_recovery->KeepAside();
        ReloadKeepingWindows(false);
        ShowStatus(name + " has been read again. Your changes are kept as a recovery copy.");
    } else {
        m_keptMineOver = onDisk;
        if (answer == CompareChanged) m_changesWindow->ShowAndCompareWithFile(file);
    }
}

void TMainWin::CheckDefinitionOnDisk() {
    const Document& document = m_workspace.Doc();
    const std::string file = document.Definition().FileName();
    if (ChangeOnDisk(m_workspace.DefinitionStamp, file) != DiskChange::Changed) return;
    const DiskStamp onDisk = TakeDiskStamp(file);
    if (onDisk == m_keptMineOver) return;
    const std::string name = ExtractFileName(file);
    // The document's text is kept either way; only lists edited here could be lost.
    if (document.DefinitionChanged()) {
        CommitOpenEdits();
        if (m_boxes.Choose(name + " was changed by another program.", {"&Reload", "&Keep Mine"}) != Reload) {
            m_keptMineOver = onDisk;
            return;
        }
        m_recovery->KeepAside();
    }
    ReloadKeepingWindows(true);
    ShowStatus(name + " was changed by another program and has been read again.");
}

void TMainWin::ReloadKeepingWindows(bool definitionOnly) {
    struct Place {
        std::string Category;
        std::string Code;
        int Page;
        std::optional<TableState> Table;
    };
    std::vector<Place> places;
    for (const ChildWindowLine& line : m_childWindows)
        if (line.Window)
            places.push_back(
                {line.Name, line.Window->SelectedCode(), line.Window->PageIndex(), line.Window->ShownTable()});
    CloseExistingChildWindow();
    if (definitionOnly)
        m_workspace.LoadDefinitionKeepingDocument();
    else
        // A copy of the name: the store that holds it goes during the load.
        m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(std::string(m_workspace.Doc().FileName()), false);
    m_keptMineOver = {};
    for (const Place& place : places) {
        ShowEntryAt(place.Category, place.Code, std::string());
        if (TChildWin* window = FindChildWindow(place.Category)) {
            window->ShowPageIndex(place.Page);
            if (place.Table) window->ShowTable(*place.Table);
        }
    }
}

bool TMainWin::OverwriteChangedFileOK() {
    const std::optional<std::string> changed = FileChangedSinceRead(m_workspace, m_workspace.Doc().DefinitionChanged());
    if (!changed) return true;
    return m_boxes.Confirm(ExtractFileName(*changed) +
                           " was changed by another program since it was read. Overwrite it with your version?") ==
           BoxAnswer::Yes;
}

}  // namespace velmora
