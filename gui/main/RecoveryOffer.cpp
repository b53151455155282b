// SPDX-License-Identifier: GPL-3.0-or-later
// Never losing an edit: the recovery copies of unsaved work offered at the next start, or as their
// document opens, and the one chosen restored.

#include "gui/main/RecoveryOffer.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

#include "core/boxes/Boxes.h"
#include "core/catalogue/Workspace.h"
#include "core/recovery/RecoveryFile.h"
#include "core/session/DocumentLayers.h"
#include "core/session/EditingSession.h"
#include "core/settings/Globals.h"
#include "core/settings/ProgramFolder.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "gui/main/DocumentCommands.h"
#include "gui/main/RecoveryKeeper.h"

namespace velmora {

namespace {

enum RestoreButton : size_t { Restore, Discard, CompareRecovery, NotNow };

}  // namespace

RecoveryOffer::RecoveryOffer(Workspace& workspace, const Globals& globals, Boxes& boxes,
                             RecoveryKeeper& keeper, DocumentCommands& documents, Host& host)
    : m_workspace(workspace),
      m_globals(globals),
      m_boxes(boxes),
      m_keeper(keeper),
      m_documents(documents),
      m_host(host) {}

void RecoveryOffer::OfferAll(const std::string& except) {
    OfferCopies(except, false);
}

void RecoveryOffer::OfferFor(const std::string& documentFile) {
    OfferCopies(documentFile, true);
}

void RecoveryOffer::OfferCopies(const std::string& documentFile, bool thatDocument) {
    const std::string& dir = m_keeper.Folder();
    if (dir.empty()) return;
    const std::string named = documentFile.empty() ? std::string() : platform::AbsoluteName(documentFile);
    // Each file offered is held meanwhile, so that a copy of the program starting now does not
    // offer it too; those not chosen are let go, to be offered again at the next start.
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
            if (!thatDocument)
                m_boxes.Error("A recovery file cannot be read and is kept:\r\n" + std::string(error.what()));
            continue;
        }
        const bool ofThatDocument =
            !named.empty() && platform::AbsoluteName(recovery.Document().Path) == named;
        if (ofThatDocument != thatDocument) continue;
        offers.push_back({std::move(claim), std::move(recovery)});
    }
    // The latest work first.
    std::stable_sort(offers.begin(), offers.end(),
                     [](const Offer& a, const Offer& b) { return a.Copy.SavedAt > b.Copy.SavedAt; });
    const int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
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
            m_keeper.Remove(std::move(chosen.Claim));
            continue;
        }
        RestoreRecovery(std::move(chosen.Claim), chosen.Copy, answer.Button == CompareRecovery, offers);
        return;
    }
}

void RecoveryOffer::RestoreRecovery(std::shared_ptr<RecoveryClaim> claim, const velmora::Recovery& recovery,
                                    bool compare, std::vector<Offer>& others) {
    if (!m_documents.ModifiedSavedOrDontCare()) return;
    m_host.CloseCategoryWindows();
    // The session comes back where it was open: its program folder, whose settings and default
    // copies its kind of file reads, and that kind of file.
    if (!recovery.ProgramFolder.empty() && recovery.ProgramFolder != m_globals.ProgramDir) {
        EnterProgramFolder(recovery.ProgramFolder);
        m_host.LoadProgramFolder(WorkingFolder());
    }
    if (!recovery.ModFolder.empty() && RestoreMod(claim, recovery, others)) {
        const std::string& document = recovery.Document().Path;
        if (compare && platform::IsRegularFile(document)) m_host.CompareWithFile(document);
        return;
    }
    RestoreSession(m_workspace, recovery);
    const std::vector<std::string> unread = m_host.Layers().Restore(recovery);
    m_documents.MarkCurrentFileType();
    // The restored changes are unsaved work of this session now, kept in the file they came from.
    m_keeper.Adopt(std::move(claim));
    const std::string& document = recovery.Document().Path;
    if (!unread.empty()) {
        std::string names;
        for (const std::string& name : unread) names += (names.empty() ? "" : ", ") + name;
        m_boxes.Notice("The layers " + names + " cannot be read and are left out.");
    }
    if (compare && platform::IsRegularFile(document)) m_host.CompareWithFile(document);
}

bool RecoveryOffer::RestoreMod(std::shared_ptr<RecoveryClaim> claim, const velmora::Recovery& recovery,
                               std::vector<Offer>& others) {
    try {
        m_host.OpenModAsked(recovery.ModFolder);
    } catch (const IniError& error) {
        // The mod's folder went: the kind comes back as a document of its own.
        m_boxes.Error(std::string(error.what()));
        return false;
    }
    EditingSession& session = *m_host.Session();
    // Each kind's copy into its kind: the one shown takes it as the session's copy, the others
    // set it by. A second copy of a kind already restored stays offered: restoring it would drop
    // the first.
    std::vector<const Workspace*> restored;
    const auto restore = [&](std::shared_ptr<RecoveryClaim> kindClaim, const velmora::Recovery& copy) {
        Workspace* kind = session.KindWork(copy.FileType);
        if (!kind || std::find(restored.begin(), restored.end(), kind) != restored.end()) return false;
        restored.push_back(kind);
        RestoreSession(*kind, copy);
        if (kind == &m_workspace)
            m_keeper.Adopt(std::move(kindClaim));
        else
            m_keeper.AdoptParked(kind->FileToEdit(), std::move(kindClaim));
        return true;
    };
    const bool chosen = restore(std::move(claim), recovery);
    std::erase_if(others, [&](Offer& other) {
        const velmora::Recovery& copy = other.Copy;
        return copy.ModFolder == recovery.ModFolder && copy.ProgramFolder == recovery.ProgramFolder &&
               copy.Kept.empty() && restore(other.Claim, copy);
    });
    if (chosen) m_host.ShowModKind(recovery.FileType);
    m_documents.MarkCurrentFileType();
    return true;
}

}  // namespace velmora
