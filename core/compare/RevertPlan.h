// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/compare/Comparison.h"

namespace velmora {

class Document;
class StoreEdit;
class IniStore;

// Putting the reference back, as data: what a revert of some differences does to the document,
// step by step, so that an undoable edit of the document can make the steps and take them back.
// Steps name their section and line, and are found in the document when they apply; steps of one
// plan apply in their order.

// A line as the reference holds it (as read), with the comment and blank lines above it (empty:
// none).
struct ReferenceLine {
    std::string Text;
    std::vector<std::string> Comments;
};

// A section as the reference holds it: its header line as read (empty for a section an operation
// added, written "[Name]" after one empty line when it has no LeadingComments).
struct ReferenceSection {
    std::string Name;
    std::string Header;
    std::vector<std::string> LeadingComments;
    std::vector<ReferenceLine> Lines;
};

enum class RevertAction {
    ReplaceLine,    // a changed value: the key's line becomes the reference's; its comments stay
    RemoveLine,     // a key only in the document
    InsertLine,     // a key only in the reference
    RemoveSection,  // a section only in the document
    InsertSection,  // a section only in the reference
};

struct RevertStep {
    RevertAction Action = RevertAction::ReplaceLine;
    // The document's section the step works in: the first of that name under the letter-case
    // flag. For InsertSection the name of the section put back.
    std::string Section;
    // Line steps: the line is the first of this key in the section (letter case ignored).
    std::string Key;
    // ReplaceLine: the reference's line (its Comments unused); InsertLine: the line put back.
    ReferenceLine Line;
    // InsertLine and InsertSection: the key (section) the new line (section) goes directly after,
    // the nearest one before it in the reference that the document holds or that an earlier step
    // puts back. None: it goes first in its section (in the file, after the text before the first
    // header).
    std::optional<std::string> After;
    // InsertSection: the section put back.
    ReferenceSection Copy;
};

using RevertPlan = std::vector<RevertStep>;

// The steps that put the reference back for `selection`, a subset of what CompareStores gave for
// these two stores as they stand: per key (one difference), per entry (the differences of one
// section, see DifferencesOf) or per selection of rows. The steps come in an order that applies:
// replacements and removals as selected, then the sections and lines put back, in the reference's
// order. A difference selected twice counts once. Throws IniError when a difference does not fit
// the stores (they changed since they were compared).
RevertPlan PlanRevert(const std::vector<Difference>& selection, const IniStore& document,
                      const IniStore& reference, bool caseSensitive);

// The differences among `differences` that concern the section `section` (NamesEqual): the
// selection of a revert per entry.
std::vector<Difference> DifferencesOf(const std::vector<Difference>& differences, const std::string& section,
                                      bool caseSensitive);

// The differences among `differences` that concern a section some of `selected` concern: the
// selection of a revert per entry for several rows.
std::vector<Difference> DifferencesOfEntries(const std::vector<Difference>& differences,
                                             const std::vector<Difference>& selected, bool caseSensitive);

// Where a step applies in the document as it stands, for an edit that works by positions.
struct RevertPlace {
    size_t Section = Difference::None;  // the section's position; InsertSection: the position it takes
    size_t Line = Difference::None;     // the line's position; InsertLine: the position it takes
};

// Throws IniError when the document no longer holds the step's section, line or anchor.
RevertPlace PlaceOf(const IniStore& document, const RevertStep& step, bool caseSensitive);

// Makes the steps as changes of `edit` to its document store, each found in the document as the
// changes before it left it. Throws IniError when a step does not fit; the edit then holds the
// changes made so far, which it takes back when it goes uncommitted.
void AddRevertSteps(StoreEdit& edit, const RevertPlan& plan, bool caseSensitive);

// The name of a revert of `selection` in the Edit menu: "Revert GRUNT Cost" (one difference),
// "Revert GRUNT" (the differences of one entry) or "Revert 12 Changes".
std::string RevertText(const std::vector<Difference>& selection, bool caseSensitive);

// Puts the reference back for `selection` (see PlanRevert) as one undoable edit of `document`,
// named "Revert GRUNT Cost", "Revert GRUNT" (the differences of one entry) or "Revert 12 Changes".
// `category` is the focus of its undo and redo. False when it changed nothing. Throws IniError,
// the document unchanged, when the selection no longer fits.
bool RevertDifferences(Document& document, const std::vector<Difference>& selection,
                       const IniStore& reference, bool caseSensitive, const std::string& category = {});

}  // namespace velmora
