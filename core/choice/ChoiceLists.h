// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class IniStore;
class Workspace;

// The list work of the value choice dialog, on plain data so that it runs and is tested without
// any window. The dialog window holds its own state (sources, current value, which list shows
// next) and calls these to fill its list box, its context menu and its answer.

// The allowed values of a key, from the sources its description names.
struct BasicList {
    std::vector<std::string> Items;           // in source order, duplicates kept
    std::vector<std::string> MissingSources;  // the source names that gave no value, in order
};

// The sources of a key's value list, as its description names them: the text between the first
// "~@" and the first "@~", empty when "@~" is missing or does not follow "~@". No value when the
// description has no "~@": the key names no source.
std::optional<std::string> ValueSourcesOf(std::string_view description);

// Splits the source text at every ","; each piece is trimmed of blanks and empty pieces stay as
// empty names.
std::vector<std::string> SplitValueSources(std::string_view valueSources);

// The category row a source names: the first row of that name, letter case ignored; -1 when the
// source is no category.
int CategoryRowOfSource(std::string_view source, const Workspace& workspace);

// A source that names a category (first match of the category rows, letter case ignored) gives
// that category's entries; any other source gives the values of its section in the document
// followed by those of its section in the definition file.
BasicList BuildBasicList(std::string_view valueSources, const Workspace& workspace);

// The notice shown for a source that gave no value.
std::string MissingSourceNotice(std::string_view sourceName);

// The values the entries hold for `key`, each followed by "=   " and the codes of the entries that
// hold it (in the order of `entryCodes`, joined by ","). Values are trimmed; entries with an empty
// value are left out; values that differ only in letter case are one item, shown as first met.
// Items come in order of first appearance.
std::vector<std::string> BuildOthersList(const std::vector<std::string>& entryCodes, std::string_view key,
                                         const IniStore& document);

// The value an item stands for: its text before the first "=" trimmed of blanks, or the whole
// text when it has no "=".
std::string ValuePart(std::string_view item);

// One item of the list box as the user left it.
struct ChoiceItem {
    std::string Text;
    bool Selected = false;
};

// The dialog's answer: the value parts of the selected items in list order, joined by "," without
// blanks. Empty when nothing is selected.
std::string ChosenValue(const std::vector<ChoiceItem>& items);

// The list box's order: alphabetical without regard to letter case, duplicates kept, items that
// compare equal in the order they were given.
bool LessNoCase(std::string_view a, std::string_view b);
void SortNoCase(std::vector<std::string>& items);

// Where the list opens: the first item equal to the current value (letter case ignored), else the
// first item whose text before its first "=" equals it; -1 when none.
int PositionOfCurrentValue(const std::vector<std::string>& items, std::string_view currentValue);

// The context menu of a list item: for an item with "=", its value, "used by:" and a separator,
// then every comma piece of the rest (trimmed). The number of pieces shown is capped so that the
// menu stays within three columns of a screen.
struct PopupMenuEntry {
    std::string Caption;        // "-" is drawn as a separator
    bool BeginsColumn = false;  // starts a new column, set off from the previous one by a bar
};

constexpr int PopupMenuMaxPieces = 78;
constexpr int PopupMenuColumnPieces = 25;

std::vector<PopupMenuEntry> PopupMenuContent(std::string_view itemText);

}  // namespace velmora
