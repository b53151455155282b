// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/choice/ChoiceLists.h"

#include <algorithm>
#include <unordered_map>

#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

std::optional<std::string> ValueSourcesOf(std::string_view description) {
    const size_t start = description.find("~@");
    if (start == std::string_view::npos) return std::nullopt;
    const size_t end = description.find("@~");
    if (end == std::string_view::npos || end < start + 2) return std::string();
    return std::string(description.substr(start + 2, end - start - 2));
}

std::vector<std::string> SplitValueSources(std::string_view valueSources) {
    std::vector<std::string> names;
    size_t start = 0;
    while (true) {
        size_t comma = valueSources.find(',', start);
        names.push_back(Trim(valueSources.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return names;
}

int CategoryRowOfSource(std::string_view source, const Workspace& workspace) {
    const int row = IndexOfNoCase(workspace.CategoryRows(), source);
    return row >= 0 && static_cast<size_t>(row) < workspace.CategoryKinds().size() ? row : -1;
}

BasicList BuildBasicList(std::string_view valueSources, const Workspace& workspace) {
    BasicList list;
    StringList values;
    for (const std::string& name : SplitValueSources(valueSources)) {
        // A category gives the entries it shows; any other source is a list of values: the
        // document's section of that name, then the definition file's.
        const int row = CategoryRowOfSource(name, workspace);
        if (row >= 0)
            workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[static_cast<size_t>(row)], name,
                                               values);
        else
            workspace.GetListValues(name, values);
        if (values.Empty()) list.MissingSources.push_back(name);
        for (const StringItem& value : values) list.Items.push_back(value.text);
    }
    return list;
}

std::string MissingSourceNotice(std::string_view sourceName) {
    return std::string(sourceName) + " stated in Velmedit.sis not found";
}

std::vector<std::string> BuildOthersList(const std::vector<std::string>& entryCodes, std::string_view key,
                                         const IniStore& document) {
    std::vector<std::string> items;
    // Folded value -> its item. Big categories repeat a handful of values thousands of times, so
    // finding the item must not walk the items collected so far.
    std::unordered_map<std::string, size_t> itemOfValue;
    for (const std::string& code : entryCodes) {
        std::string value = Trim(document.ReadString(code, key, ""));
        if (value.empty()) continue;
        auto [found, isNew] = itemOfValue.try_emplace(FoldCase(value), items.size());
        if (isNew) {
            items.push_back(value + "=   " + code);
        } else {
            std::string& item = items[found->second];
            item += ',';
            item += code;
        }
    }
    return items;
}

std::string ValuePart(std::string_view item) {
    size_t eq = item.find('=');
    if (eq == std::string_view::npos) return std::string(item);
    return Trim(item.substr(0, eq));
}

std::string ChosenValue(const std::vector<ChoiceItem>& items) {
    std::string chosen;
    bool first = true;
    for (const ChoiceItem& item : items) {
        if (!item.Selected) continue;
        if (!first) chosen += ',';
        chosen += ValuePart(item.Text);
        first = false;
    }
    return chosen;
}

bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return UpperByte(static_cast<unsigned char>(x)) < UpperByte(static_cast<unsigned char>(y));
    });
}

void SortNoCase(std::vector<std::string>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
}

int PositionOfCurrentValue(const std::vector<std::string>& items, std::string_view currentValue) {
    for (size_t i = 0; i < items.size(); ++i)
        if (EqualsNoCase(items[i], currentValue)) return static_cast<int>(i);
    for (size_t i = 0; i < items.size(); ++i) {
        size_t eq = items[i].find('=');
        if (eq != std::string::npos && EqualsNoCase(std::string_view(items[i]).substr(0, eq), currentValue))
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<PopupMenuEntry> PopupMenuContent(std::string_view itemText) {
    std::vector<PopupMenuEntry> menu;
    std::string_view rest = itemText;
    size_t eq = itemText.find('=');
    if (eq != std::string_view::npos) {
        menu.push_back({Trim(itemText.substr(0, eq)), false});
        menu.push_back({"used by:", false});
        menu.push_back({"-", false});
        rest = TrimLeftView(itemText.substr(eq + 1));
    }

    // Every piece that a further piece follows counts towards the current column; the piece that
    // takes the count past a column's height opens the next one. The last piece never does, and
    // neither does the piece that fills the menu.
    int pieces = 0;
    int inColumn = 0;
    while (pieces < PopupMenuMaxPieces) {
        size_t comma = rest.find(',');
        menu.push_back({Trim(rest.substr(0, comma)), false});
        ++pieces;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
        if (++inColumn > PopupMenuColumnPieces && pieces < PopupMenuMaxPieces) {
            menu.back().BeginsColumn = true;
            inColumn = 0;
        }
    }
    return menu;
}

}  // namespace velmora
