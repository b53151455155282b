// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class IniStore;
class Workspace;

// Where a row of the find, usages or check results leads: an entry (a section of the document) and
// the key to show in it; an empty key shows the entry alone. With a mod open, a row may lead into
// another kind of file, by its [FilesToEdit] name; empty: the kind shown.
struct EntryTarget {
    std::string Section;
    std::string Key;
    std::string Kind = {};  // empty: the kind shown; lists leading within it leave it out
};

// Where an entry stands in the category lists: the row of the first category whose list names it
// (NamesEqual rule), as the main window's category grid counts rows, and its first place in that
// list, as the entry lists count rows.
struct EntryListing {
    size_t CategoryRow = 0;
    size_t EntryIndex = 0;
};

std::optional<EntryListing> FindEntryListing(const Workspace& workspace, std::string_view code);

// The rule of the filter boxes above the lists: a row passes when one of its texts (its code or
// name, a dialog's item) contains `filter`, letter case ignored. Every text passes an empty filter.
bool PassesFilter(std::string_view text, std::string_view filter);

// The first item of a value that names a section of the document (the store's name rule); none when
// no item does. What "Find Usages" on a value looks for.
std::optional<std::string> FirstItemNamingSection(const IniStore& document, std::string_view value);

}  // namespace velmora
