// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/Document.h"
#include "core/document/TextRules.h"
#include "core/references/References.h"

namespace velmora {

class StoreEdit;
class Workspace;

// A typed code cut to MaxCodeLength (core/document/TextRules.h, with the name's limit).
std::string CutCode(std::string_view code);
// `name` as the user left it in a field that started with `startName`, cut to that field's limit
// (NameLengthLimit).
std::string CutName(std::string_view name, std::string_view startName);

// A value as a saved file gives it back: a load drops the blanks at the ends of a line and after its
// "=", so a value is written without them.
std::string StorableValue(std::string_view value);

// A code and name proposed to, or typed by, the user.
struct CodeAndName {
    std::string Code;
    std::string Name;
};

// The first free proposal for a copy of the entry `code`/`name`: "D", a counter from 1 and the
// code (cut to a code's length), with the name prefixed the same way and kept whole. An entry without a name
// ("-") gets an empty proposed name. `isTaken` decides which codes are not free.
CodeAndName ProposeDuplicate(std::string_view code, std::string_view name,
                             const std::function<bool(std::string_view)>& isTaken);

// Texts of the boxes around the entry operations.
std::string ChangeCodeWarning();
std::string CodeTakenNotice(std::string_view newCode);
std::string CodeNotValidNotice(std::string_view newCode);
std::string DeleteSingleNotice();
std::string DeleteCaption();
// With `stillNaming` lines that name the entry, the question says so.
std::string DeleteQuestion(std::string_view code, size_t stillNaming = 0);
std::string ChangeReferencesQuestion(size_t count, std::string_view oldCode, std::string_view newCode);
// A line naming the old code that a change of code leaves as it is: "not changed: [S] K=V".
std::string NotChangedText(const LineRewrite& line);

// The lines naming an entry's code that a change of code may rewrite. References are the lines
// of reference keys (keys whose value sources name the entry's category) and the list lines of
// other categories; they are rewritten by default. Other lines that happen to name the code (an
// `Image=` art name spelt alike) are left unless the user includes them one by one.
struct CodeChangeRewrites {
    std::vector<LineRewrite> References;
    std::vector<LineRewrite> Others;
};

// True when `code` reads back from a saved file as the same list line and section name, and other
// entries can name it whole in their values: it is not empty (a list line without a code, and a
// section no delete can reach), has no blank at either end (lines are trimmed when read), holds no
// "]" (it ends a section header), no ";" (it starts the comment after a list line's value), no "="
// (a value list item is read up to it), no "," (it separates the codes of a comma list) and no
// control character (IsRefusedByte).
bool CodeIsUsable(std::string_view code);

// Duplicate, change of code and delete for one category: the rules of what may be done, and the
// writes, each one edit of the workspace's document covering both stores. The category window
// and the command line ask, check with these, then call them.
class EntryOperations {
public:
    EntryOperations(Workspace& workspace, std::string category, int kind);

    // True when `newCode` may not be given to an entry: it is in the category's entry list (letter
    // case ignored), or it already names a section of the document (found as the store finds
    // sections). A second section of a name would never be reached by name: whatever the user
    // edited for the new entry would land in the other one.
    bool CodeIsTaken(std::string_view newCode, const std::vector<std::string>& entryCodes) const;
    // Why `newCode` cannot be given to an entry (CodeNotValidNotice, CodeTakenNotice); empty when
    // it can.
    std::string NewCodeRefusal(const std::string& newCode, const std::vector<std::string>& entryCodes) const;

    // The proposal for a duplicate of the entry `code`/`name`, skipping every taken code.
    CodeAndName DuplicateProposal(std::string_view code, std::string_view name,
                                  const std::vector<std::string>& entryCodes) const;

    // The lines that name `OldCode` as an item, outside the entry's own list line in the document,
    // with each such item changed into `NewCode`: the references a change of code keeps whole,
    // and apart from them the other lines naming the code.
    CodeChangeRewrites ReferenceRewrites(const std::string& OldCode, const std::string& NewCode) const;
    // How many lines would still name `Code` after its delete: its usages outside its own list
    // line and its own section.
    size_t LinesStillNaming(const std::string& Code) const;

    // Duplicate (`IsDuplicate`): lists NewCode under the next number and inserts a copy of the old
    // section as NewCode directly before it. Change of code: renames the list lines in place and
    // replaces the old section by the copy, which takes its place. The copy's "Name" gets NewName
    // as a storable value, when it has that key and a name is given. `References` (from
    // ReferenceRewrites, on the store as it stands) are rewritten in the same edit.
    void DuplicateOrChangeCode(const std::string& OldCode, const std::string& NewCode,
                               const std::optional<std::string>& NewName, bool IsDuplicate,
                               const std::vector<LineRewrite>& References = {});

    // Why an entry cannot be deleted from a category listing `entryCount` entries: a category keeps
    // at least one (DeleteSingleNotice). Empty when it can.
    static std::string DeleteRefusal(size_t entryCount);
    // Removes the first list line of `Code` in each store and the entry's section. Nothing for an
    // empty code.
    void DeleteEntry(const std::string& Code);

private:
    std::vector<Usage> UsagesOutsideListLine(const std::string& Code) const;
    // The key names (letter case folded) of every category's pages whose value sources name this
    // category.
    std::vector<std::string> KeysNamingThisCategory() const;
    void WriteListLine(StoreEdit& edit, const std::string& NewCode);
    void RenameListLines(StoreEdit& edit, const std::string& OldCode, const std::string& NewCode);
    void RemoveListLine(StoreEdit& edit, StoreOf store, const std::string& Code);
    void GiveCopyThePicture(StoreEdit& edit, const std::string& OldCode, const std::string& NewCode);

    Workspace& m_workspace;
    std::string m_category;
    int m_kind;
};

}  // namespace velmora
