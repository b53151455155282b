// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/EntryActions.h"

#include <memory>

#include "core/boxes/Boxes.h"
#include "core/catalogue/Workspace.h"
#include "core/entries/EntryOperations.h"
#include "core/entries/ValueEdits.h"
#include "core/references/ModReferences.h"
#include "core/session/EditingSession.h"
#include "core/store/Routines.h"
#include "core/store/IniStore.h"
#include "gui/dialogs/CodeNameDialog.h"

namespace velmora {

EntryActions::EntryActions(QWidget& window, Workspace& work, Boxes& boxes, EditingSession* session)
    : m_window(window), m_work(work), m_boxes(boxes), m_session(session) {}

void EntryActions::ShowCategory(const std::string& category, int kind) {
    m_category = category;
    m_kind = kind;
}

std::optional<std::string> EntryActions::DuplicateOrChangeCode(bool IsDuplicate, const CodeAndName& entry,
                                                               const std::vector<std::string>& entryCodes) {
    // The dialog serves this one operation and goes with it, whichever way the operation ends.
    const auto dialog = std::make_unique<CodeNameDialog>(&m_window);
    const std::optional<CodeAndName> chosen = AskCodeAndName(*dialog, IsDuplicate, entry, entryCodes);
    if (!chosen) return std::nullopt;

    EntryOperations operations(m_work, m_category, m_kind);
    std::vector<LineRewrite> references;
    if (!IsDuplicate) {
        std::optional<std::vector<LineRewrite>> rewrites =
            AskReferences(operations.ReferenceRewrites(entry.Code, chosen->Code), entry.Code, chosen->Code);
        if (!rewrites) return std::nullopt;
        references = std::move(*rewrites);
    }
    operations.DuplicateOrChangeCode(entry.Code, chosen->Code, chosen->Name, IsDuplicate, references);
    if (!IsDuplicate) RewriteOtherKinds(entry.Code, chosen->Code);
    return chosen->Code;
}

// A read-only kind keeps its lines, and says which.
void EntryActions::RewriteOtherKinds(const std::string& OldCode, const std::string& NewCode) {
    if (!m_session || !m_session->ModOpen()) return;
    for (KindRewrites& kind : OtherKindRewrites(m_session->Kinds(), m_work, m_category, OldCode, NewCode)) {
        const std::string file = ExtractFileName(kind.Kind->Doc().FileName());
        if (m_session->ReadOnly(kind.Kind->FileToEdit())) {
            std::string kept = file + " (read-only) is not changed:";
            for (const std::vector<LineRewrite>* lines : {&kind.References, &kind.Others})
                for (const LineRewrite& line : *lines) kept += "\r\n" + NotChangedText(line);
            m_boxes.Notice(kept);
            continue;
        }
        const std::optional<std::vector<LineRewrite>> rewrites =
            AskReferences({std::move(kind.References), std::move(kind.Others)}, OldCode, NewCode, file + ": ");
        if (!rewrites || rewrites->empty()) continue;
        m_session->JoinNextStep();
        if (!CommitRewrites(kind.Kind->Doc(), "Change Code of " + OldCode, {{}, rewrites->front().SectionName, {}},
                            *rewrites))
            m_session->JoinNextStep(false);
    }
}

// The references are rewritten on Yes; the other lines naming the code are listed as not changed,
// each with a box that includes it. None on Cancel.
std::optional<std::vector<LineRewrite>> EntryActions::AskReferences(CodeChangeRewrites Rewrites,
                                                                    const std::string& OldCode,
                                                                    const std::string& NewCode,
                                                                    const std::string& where) {
    std::vector<LineRewrite>& chosen = Rewrites.References;
    if (chosen.empty() && Rewrites.Others.empty()) return chosen;
    const std::string question = where + ChangeReferencesQuestion(chosen.size(), OldCode, NewCode);
    std::vector<std::string> choices;
    for (const LineRewrite& other : Rewrites.Others) choices.push_back(NotChangedText(other));
    std::vector<bool> ticked;
    const BoxAnswer answer =
        choices.empty() ? m_boxes.Confirm(question) : m_boxes.ConfirmWithChoices(question, choices, ticked);
    if (answer == BoxAnswer::Cancel) return std::nullopt;
    if (answer != BoxAnswer::Yes) return std::vector<LineRewrite>();
    for (size_t i = 0; i < ticked.size() && i < Rewrites.Others.size(); ++i)
        if (ticked[i]) chosen.push_back(Rewrites.Others[i]);
    return chosen;
}

std::optional<CodeAndName> EntryActions::AskCodeAndName(CodeNameDialog& Dialog, bool IsDuplicate,
                                                        const CodeAndName& entry,
                                                        const std::vector<std::string>& entryCodes) {
    const std::string& code = entry.Code;
    const std::string& name = entry.Name;
    const EntryOperations operations(m_work, m_category, m_kind);
    // A refusal asks again with what the user typed, and a change of code is warned about again.
    CodeAndName proposal = IsDuplicate ? operations.DuplicateProposal(code, name, entryCodes) : CodeAndName{code, name};
    // The name as it started, which the name's limit is measured from.
    const std::string startName = proposal.Name;
    for (;;) {
        if (IsDuplicate) {
            Dialog.SetCaption("Duplicate " + code + "/" + name);
        } else {
            m_boxes.Notice(ChangeCodeWarning());
            Dialog.SetCaption("EDIT CODE");
        }
        Dialog.SetCode(proposal.Code);
        Dialog.SetName(proposal.Name);
        // An entry without a name gets none, so there is nothing to type.
        Dialog.SetNameEnabled(m_work.Doc().Store().ValueExists(code, "Name"));

        if (Dialog.exec() != QDialog::Accepted) return std::nullopt;
        CodeAndName chosen{CutCode(Dialog.Code()), CutName(Dialog.Name(), startName)};
        const std::string refusal = operations.NewCodeRefusal(chosen.Code, entryCodes);
        if (refusal.empty()) return chosen;
        m_boxes.Notice(refusal);
        proposal = {Dialog.Code(), Dialog.Name()};
    }
}

bool EntryActions::DeleteEntry(const std::string& code, size_t entryCount) {
    if (const std::string refusal = EntryOperations::DeleteRefusal(entryCount); !refusal.empty()) {
        m_boxes.Notice(refusal);
        return false;
    }
    EntryOperations operations(m_work, m_category, m_kind);
    if (m_boxes.Plain(DeleteCaption(), DeleteQuestion(code, operations.LinesStillNaming(code)), true) != BoxAnswer::Ok)
        return false;
    operations.DeleteEntry(code);
    return true;
}

}  // namespace velmora
