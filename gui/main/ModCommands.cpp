// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/ModCommands.h"

#include <optional>
#include <utility>
#include <vector>

#include "core/boxes/Boxes.h"
#include "core/saving/DocumentSave.h"
#include "core/saving/ModSave.h"
#include "core/session/EditingSession.h"
#include "core/store/IniError.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "gui/main/CategoryWindowList.h"
#include "gui/main/DocumentCommands.h"
#include "gui/main/RecoveryKeeper.h"

namespace velmora {

ModCommands::ModCommands(EditingSession& session, Boxes& boxes, CategoryWindowList& windows,
                         DocumentCommands& documents, RecoveryKeeper& recovery, Host& host)
    : m_session(session),
      m_boxes(boxes),
      m_windows(windows),
      m_documents(documents),
      m_recovery(recovery),
      m_host(host) {}

bool ModCommands::IsOpen() const {
    return m_session.ModOpen();
}

std::vector<const Workspace*> ModCommands::Kinds() const {
    return std::as_const(m_session).Kinds();
}

void ModCommands::OpenModFolderClick() {
    const std::string proposed = m_lastFolder.empty() ? m_session.Work().G().ProgramDir : m_lastFolder;
    const std::optional<std::string> dir = m_boxes.FolderName("Open Mod Folder", proposed);
    if (dir) OpenMod(*dir);
}

void ModCommands::OpenMod(const std::string& dir) {
    if (!m_documents.ModifiedSavedOrDontCare()) return;
    m_host.CloseCategoryWindows();
    // A mod that cannot be read leaves what was open as it was.
    m_session.OpenMod(dir);
    m_lastFolder = dir;
    m_host.KindShown();
}

void ModCommands::ShowKind(const std::string& fileType) {
    if (EqualsNoCase(fileType, m_session.Work().FileToEdit())) return;
    m_windows.CommitOpenEdits();
    m_host.CloseCategoryWindows();
    // The unsaved changes of the kind that goes out of sight keep their recovery copy.
    const std::string shown = m_session.Work().FileToEdit();
    m_recovery.ParkCopy(shown);
    try {
        m_session.ShowKind(fileType);
    } catch (...) {
        m_recovery.ResumeCopy(shown);
        throw;
    }
    m_recovery.ResumeCopy(m_session.Work().FileToEdit());
    m_recovery.DocumentChanged();
    m_host.KindShown();
}

void ModCommands::Close() {
    m_recovery.DropParked();
    m_session.CloseMod();
}

// The kinds with changes, "Rules.ini, Art.ini"; of the read-only kinds or of the others.
std::string ModCommands::ChangedKinds(bool readOnly) {
    std::string names;
    for (Workspace* kind : m_session.Kinds()) {
        if (!kind->Doc().Modified() || m_session.ReadOnly(kind->FileToEdit()) != readOnly) continue;
        names += (names.empty() ? "" : ", ") + ExtractFileName(kind->Doc().FileName());
    }
    return names;
}

bool ModCommands::SavedOrDontCare() {
    m_windows.CommitOpenEdits();
    const std::string changed = ChangedKinds(false);
    const std::string readOnly = ChangedKinds(true);
    if (changed.empty() && readOnly.empty()) return true;
    std::string question = changed.empty() ? std::string() : "Save changes to " + changed + "?";
    if (!readOnly.empty())
        question += (question.empty() ? "" : "\r\n") + std::string("The changes to ") + readOnly +
                    " (read-only) are lost." + (changed.empty() ? " Drop them?" : "");
    switch (m_boxes.Confirm(question)) {
        case BoxAnswer::Yes:
            return changed.empty() || Save();
        case BoxAnswer::No:
            if (changed.empty()) return false;  // with read-only changes alone, No keeps them
            m_recovery.Discard();  // the user's own choice: the changes are not to come back
            m_recovery.DropParked();
            return true;
        default:
            return false;
    }
}

bool ModCommands::Save() {
    m_windows.CommitOpenEdits();
    const std::string readOnly = ChangedKinds(true);
    if (!readOnly.empty())
        m_boxes.Notice(readOnly + " read-only: the changes to it are not saved. Save As writes it elsewhere.");
    const std::vector<Workspace*> kinds = m_session.WritableKinds();
    const std::vector<KindSave> saves = ModTextsToSave(kinds);
    if (saves.empty()) {
        if (readOnly.empty()) m_boxes.Notice("No modification. Saving is not performed.");
        return readOnly.empty();
    }
    // Another program's change is overwritten only at the user's word, named file by file.
    bool overChanges = false;
    for (const KindSave& save : saves) {
        const std::optional<std::string> changed = FileChangedSinceRead(*save.Kind, save.Texts.Definition.has_value());
        if (!changed) continue;
        if (m_boxes.Confirm(*changed + "\r\nchanged on disk while editing. Save over it?") != BoxAnswer::Yes)
            return false;
        overChanges = true;
    }
    SaveMod(kinds, overChanges);
    m_recovery.DropParked([this](const std::string& kind) {
        const Workspace* work = m_session.KindWork(kind);
        return work && !work->Doc().Modified();
    });
    m_host.ModSaved();
    return true;
}

std::string ModCommands::StepKind(bool redo) const {
    const std::vector<std::string> kinds = redo ? m_session.Steps().NextRedo() : m_session.Steps().NextUndo();
    if (kinds.empty()) return std::string();
    return redo ? kinds.front() : kinds.back();
}

const Document* ModCommands::StepDocument(bool redo) {
    const Workspace* work = m_session.KindWork(StepKind(redo));
    return work ? &work->Doc() : nullptr;
}

std::string ModCommands::OtherStepKind(bool redo) {
    const std::string kind = StepKind(redo);
    return EqualsNoCase(kind, m_session.Work().FileToEdit()) ? std::string() : kind;
}

// The kinds step in the history's order; the one the step began in is shown as it steps, so that
// the views show its edit.
void ModCommands::Step(bool redo) {
    const std::vector<std::string> kinds = redo ? m_session.Steps().NextRedo() : m_session.Steps().NextUndo();
    if (kinds.empty()) return;
    const std::string began = redo ? kinds.front() : kinds.back();
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == began) ShowKind(began);
        Workspace* work = m_session.KindWork(kinds[i]);
        if (!work) continue;
        Document& document = work->Doc();
        if (redo && document.CanRedo()) document.Redo();
        if (!redo && document.CanUndo()) document.Undo();
    }
}

std::string ModCommands::ReadOnlyNote(const std::string& fileType) const {
    if (!m_session.ReadOnly(fileType)) return std::string();
    return " (" + m_session.OriginText(fileType) + ")";
}

}  // namespace velmora
