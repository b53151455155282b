// SPDX-License-Identifier: GPL-3.0-or-later
// Never losing an edit: the recovery copies of unsaved work and their offer at the next start, and
// the document's and definition's files changed by another program while they are open.

#include <QApplication>
#include <QFileSystemWatcher>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "gui/category/mChildWin.h"
#include "core/catalogue/Boxes.h"
#include "core/catalogue/DocumentSave.h"
#include "core/catalogue/ProgramFolder.h"
#include "core/catalogue/RecoveryFile.h"
#include "core/catalogue/Routines.h"
#include "gui/changes/ChangesWindow.h"
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

enum RestoreButton : size_t { Restore, Discard, CompareRecovery, NotNow };
enum ChangedButton : size_t { Reload, KeepMine, CompareChanged };

}  // namespace

void TMainWin::SetUpRecovery() {
    m_recovery = std::make_unique<RecoveryKeeper>(m_workspace);
    // Said in the status line at every copy that fails, so that the user never takes the work for
    // kept; the box comes once, until a copy is written again.
    connect(m_recovery.get(), &RecoveryKeeper::failed, this, [this](const QString& text, bool again) {
        ShowStatus(ToBytes(text));
        if (!again) m_boxes.Error(ToBytes(text));
    });
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
    // Each file offered is held meanwhile, so that a copy of the program starting now does not
    // offer it too; those not chosen are let go, to be offered again at the next start.
    struct Offer {
        std::shared_ptr<RecoveryClaim> Claim;
        velmora::Recovery Copy;
    };
    std::vector<Offer> offers;
    for (const std::string& file : RecoveryFiles(dir)) {
        std::shared_ptr<RecoveryClaim> claim;
        velmora::Recovery recovery;
        try {
            claim = RecoveryClaim::Take(file);
            // Held by a copy of the program that is still running, or by this one: live work.
            if (!claim) continue;
            recovery = ReadRecoveryFile(file);
        } catch (const IniError& error) {
            // Reported at the start only, and kept: the user may still save what it holds.
            if (!documentFile)
                m_boxes.Error("A recovery file cannot be read and is kept:\r\n" + std::string(error.what()));
            continue;
        }
        if (documentFile && platform::AbsoluteName(recovery.Document().Path) != wanted) continue;
        offers.push_back({std::move(claim), std::move(recovery)});
    }
    // The latest work first.
    std::stable_sort(offers.begin(), offers.end(),
                     [](const Offer& a, const Offer& b) { return a.Copy.SavedAt > b.Copy.SavedAt; });
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    while (!offers.empty()) {
        std::vector<const velmora::Recovery*> copies;
        std::vector<std::string> items;
        for (const Offer& offer : offers) {
            copies.push_back(&offer.Copy);
            items.push_back(RecoveryDescription(offer.Copy, ChangedSinceRecovery(offer.Copy), now));
        }
        const ListAnswer answer = m_boxes.ChooseFromList(RestoreQuestion(copies), items,
                                                         {"&Restore", "&Discard", "&Compare…", "&Not Now"});
        if (answer.Button == NotNow) return;
        Offer chosen = std::move(offers[answer.Item]);
        offers.erase(offers.begin() + static_cast<std::ptrdiff_t>(answer.Item));
        if (answer.Button == Discard) {
            m_recovery->Remove(std::move(chosen.Claim));
            continue;
        }
        RestoreRecovery(std::move(chosen.Claim), chosen.Copy, answer.Button == CompareRecovery);
        return;
    }
}

void TMainWin::RestoreRecovery(std::shared_ptr<RecoveryClaim> claim, const velmora::Recovery& recovery,
                               bool compare) {
    if (!ModifiedSavedOrDontCare()) return;
    CloseExistingChildWindow();
    // The session comes back where it was open: its program folder, whose settings and default
    // copies its kind of file reads, and that kind of file.
    if (!recovery.ProgramFolder.empty() && recovery.ProgramFolder != m_globals.ProgramDir) {
        EnterProgramFolder(recovery.ProgramFolder);
        LoadProgramFolder(WorkingFolder());
    }
    RestoreSession(m_workspace, recovery);
    MarkCurrentFileType();
    // The restored changes are unsaved work of this session now, kept in the file they came from.
    m_recovery->Adopt(std::move(claim));
    const std::string& document = recovery.Document().Path;
    if (compare && platform::IsRegularFile(document)) m_changesWindow->ShowAndCompareWithFile(document);
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
    };
    std::vector<Place> places;
    for (const ChildWindowLine& line : m_childWindows)
        if (line.Window) places.push_back({line.Name, line.Window->SelectedCode(), line.Window->PageIndex()});
    CloseExistingChildWindow();
    if (definitionOnly)
        m_workspace.LoadDefinitionKeepingDocument();
    else
        // A copy of the name: the store that holds it goes during the load.
        m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(std::string(m_workspace.Doc().FileName()), false);
    m_keptMineOver = {};
    for (const Place& place : places) {
        ShowEntryAt(place.Category, place.Code, std::string());
        if (TChildWin* window = FindChildWindow(place.Category)) window->ShowPageIndex(place.Page);
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
