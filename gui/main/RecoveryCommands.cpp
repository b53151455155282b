// SPDX-License-Identifier: GPL-3.0-or-later
// Never losing an edit: the recovery copies of unsaved work and their offer at the next start.

#include "core/catalogue/Boxes.h"
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

enum RestoreButton : size_t { Restore, Discard, CompareRecovery };

}  // namespace

void TMainWin::SetUpRecovery() {
    m_recovery = std::make_unique<RecoveryKeeper>(m_workspace);
    connect(m_recovery.get(), &RecoveryKeeper::failed, this,
            [this](const QString& text) { m_boxes.Error(ToBytes(text)); });
    const DocumentSignals& news = *m_documentNews;
    connect(&news, &DocumentSignals::historyChanged, m_recovery.get(), &RecoveryKeeper::DocumentChanged);
    connect(&news, &DocumentSignals::modifiedChanged, m_recovery.get(), &RecoveryKeeper::DocumentChanged);
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

}  // namespace velmora
