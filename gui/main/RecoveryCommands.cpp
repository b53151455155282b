// SPDX-License-Identifier: GPL-3.0-or-later
// Never losing an edit: the recovery copies of unsaved work and their offer at the next start.

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "gui/category/CategoryWindow.h"
#include "core/boxes/Boxes.h"
#include "core/saving/DocumentSave.h"
#include "core/settings/ProgramFolder.h"
#include "core/recovery/RecoveryFile.h"
#include "core/store/Routines.h"
#include "gui/changes/ChangesWindow.h"
#include "gui/table/BalanceTableView.h"
#include "gui/services/DocumentSignals.h"
#include "gui/widgets/QtText.h"
#include "gui/main/RecoveryKeeper.h"
#include "gui/main/MainWindow.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora {

namespace {

enum RestoreButton : size_t { Restore, Discard, CompareRecovery, NotNow };

}  // namespace

void MainWindow::SetUpRecovery() {
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
}

void MainWindow::SetRecoveryFolder(const std::string& dir) {
    m_recovery->SetFolder(dir);
}

RecoveryKeeper& MainWindow::RecoveryCopies() {
    return *m_recovery;
}

// ---------------------------------------------------------------------------------------------
// Recovery copies

void MainWindow::OfferRecoveries() {
    OfferRecoveriesOf(std::nullopt);
}

void MainWindow::OfferRecoveriesOf(const std::optional<std::string>& documentFile) {
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

void MainWindow::RestoreRecovery(std::shared_ptr<RecoveryClaim> claim, const velmora::Recovery& recovery,
                                 bool compare) {
    if (!ModifiedSavedOrDontCare()) return;
    CloseCategoryWindows();
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

}  // namespace velmora
