// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace velmora {

class Boxes;
struct CodeAndName;
struct CodeChangeRewrites;
class CodeNameDialog;
class EditingSession;
struct LineRewrite;
class Workspace;

// The entry operations of a category window: duplicate, change of code and delete, with their
// questions (the code and name dialog, which references to rewrite, whether to delete). The writes
// themselves are the core's (EntryOperations); the document's news shows their outcome in every
// window, and the caller selects the entry the operation leaves.
class EntryActions {
public:
    // The dialogs open over `window`; all outlive the actions. With a mod open in `session`, a
    // change of code offers to rewrite the other kinds' references too.
    EntryActions(QWidget& window, Workspace& work, Boxes& boxes, EditingSession* session = nullptr);

    // The category the actions work in, by its name and kind (which store lists its entries).
    void ShowCategory(const std::string& category, int kind);

    // Duplicates `entry` (its code and name as the window shows them), or changes its code, as the
    // user answers; `entryCodes` are the codes the entry list shows. The new code, or none when
    // the user cancelled.
    std::optional<std::string> DuplicateOrChangeCode(bool IsDuplicate, const CodeAndName& entry,
                                                     const std::vector<std::string>& entryCodes);
    // Deletes the entry `code`, one of `entryCount` entries the list shows, once the user agrees;
    // false when it stays.
    bool DeleteEntry(const std::string& code, size_t entryCount);

private:
    // Fills, shows and checks the code and name dialog; the new code and name on OK.
    std::optional<CodeAndName> AskCodeAndName(CodeNameDialog& Dialog, bool IsDuplicate, const CodeAndName& entry,
                                              const std::vector<std::string>& entryCodes);
    // What a change of code rewrites besides its own lines, as the user chose; none on Cancel.
    // `where` begins the question: the other kind's file it is about.
    std::optional<std::vector<LineRewrite>> AskReferences(CodeChangeRewrites Rewrites, const std::string& OldCode,
                                                          const std::string& NewCode, const std::string& where = {});
    // The other kinds' references to the code, rewritten as the user answers for each kind, in
    // the same step of the history as the change of code.
    void RewriteOtherKinds(const std::string& OldCode, const std::string& NewCode);

    QWidget& m_window;
    Workspace& m_work;
    Boxes& m_boxes;
    EditingSession* m_session;
    std::string m_category;
    int m_kind = 0;
};

}  // namespace velmora
