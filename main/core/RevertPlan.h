#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "main/core/Comparison.h"

namespace velmora {

class TMemIniFile;

// Putting the reference back, as data: what a revert of some differences does to the document,
// step by step, so that an undoable edit can apply the steps and take them back, and the command
// line can apply them at once. Steps name their section and line, and are found in the document
// when they apply; steps of one plan apply in their order.

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
RevertPlan PlanRevert(const std::vector<Difference>& selection, const TMemIniFile& document,
                      const TMemIniFile& reference, bool caseSensitive);

// The differences among `differences` that concern the section `section` (NamesEqual): the
// selection of a revert per entry.
std::vector<Difference> DifferencesOf(const std::vector<Difference>& differences, const std::string& section,
                                      bool caseSensitive);

// Where a step applies in the document as it stands, for an edit that works by positions.
struct RevertPlace {
    size_t Section = Difference::None;  // the section's position; InsertSection: the position it takes
    size_t Line = Difference::None;     // the line's position; InsertLine: the position it takes
};

// Throws IniError when the document no longer holds the step's section, line or anchor.
RevertPlace PlaceOf(const TMemIniFile& document, const RevertStep& step, bool caseSensitive);

// Applies the whole plan to the store at once, without any undo: for the command line and the
// tests. The store is rebuilt from its text with the steps made, so it reads back as a saved and
// reloaded file would; the sections keep their claim flags. When a step does not fit, it throws
// IniError and the store is left as it was.
void ApplyRevertPlan(TMemIniFile& document, const RevertPlan& plan, bool caseSensitive);

}  // namespace velmora
