// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/layers/LayerReferences.h"

#include <set>
#include <unordered_set>
#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerStack.h"
#include "core/references/References.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

using NameSet = std::unordered_set<std::string>;

// What the layers add to the stack: their sections (the game finds a weapon or a warhead by its
// section alone, wherever it stands), and per category row the names their
// own copies of the category's list give (kind 0 only: the definition file's lists are the
// document's).
struct LayerNames {
    NameSet sections;
    std::vector<NameSet> listedBy;

    explicit LayerNames(const LayerStack& stack) : listedBy(stack.Work().CategoryRows().size()) {
        const Workspace& workspace = stack.Work();
        for (size_t layer = 0; layer < stack.Count(); ++layer) {
            const IniStore& store = stack.Layer(layer).Store();
            for (size_t i = 0; i < store.SectionCount(); ++i)
                sections.insert(stack.NameKey(store.SectionAt(i).Name()));
            for (size_t row = 0; row < listedBy.size(); ++row) {
                if (!Workspace::DocumentListsEntries(workspace.CategoryKinds()[row])) continue;
                const int list = store.IndexOfSection(workspace.CategoryRows()[row]);
                if (list < 0) continue;
                const IniSection& lines = store.SectionAt(static_cast<size_t>(list));
                std::string_view name;
                for (size_t i = 0; i < lines.Count(); ++i)
                    if (IniStore::ListedName(lines.LineAt(i), name) && !name.empty())
                        listedBy[row].insert(stack.NameKey(name));
            }
        }
    }
};

}  // namespace

std::vector<LayerDanglingItem> FindLayerDanglingItems(const LayerStack& stack, OtherKinds* others) {
    const Workspace& workspace = stack.Work();
    const NameSet listed = stack.ListedNames();
    const LayerNames added(stack);
    DanglingRule rule(workspace, others);
    std::vector<std::vector<ReferenceKey>> keysOf(workspace.CategoryRows().size());
    for (size_t row = 0; row < keysOf.size(); ++row) keysOf[row] = ReferenceKeysOf(workspace, row);

    auto isEntryOf = [&](std::string_view code, size_t row) {
        return rule.IsEntryOf(code, row) || added.listedBy[row].count(stack.NameKey(code)) != 0;
    };
    auto dangles = [&](std::string_view item, const ReferenceKey& key) {
        if (!rule.Dangles(item, key)) return false;
        if (added.sections.count(stack.NameKey(item)) != 0) return false;
        for (size_t row : key.CategoryRows)
            if (added.listedBy[row].count(stack.NameKey(item)) != 0) return false;
        return true;
    };

    std::vector<LayerDanglingItem> items;
    for (size_t layer = 0; layer < stack.Count(); ++layer) {
        const IniStore& store = stack.Layer(layer).Store();
        const LineNumbers numbers(store);
        for (size_t at = 0; at < store.SectionCount(); ++at) {
            const IniSection& section = store.SectionAt(at);
            if (!stack.IsOverride(section.Name(), listed)) continue;
            // An entry in several categories may name the same item under the same key twice.
            std::set<std::pair<size_t, std::string>> seen;
            for (size_t row = 0; row < keysOf.size(); ++row) {
                if (keysOf[row].empty() || !isEntryOf(section.Name(), row)) continue;
                for (const ReferenceKey& key : keysOf[row]) {
                    const long line = section.IndexOfKey(key.Key);
                    if (line < 0) continue;
                    const IniSection::Line& found = section.LineAt(static_cast<size_t>(line));
                    std::string_view spelt;
                    found.KeyName(spelt);
                    ForEachValueItem(found.ValueText(), [&](std::string_view item) {
                        if (!dangles(item, key) ||
                            !seen.emplace(static_cast<size_t>(line), std::string(item)).second)
                            return;
                        items.push_back({layer, stack.Layer(layer).ShortName(),
                                         numbers.Of(at, static_cast<size_t>(line)),
                                         workspace.CategoryRows()[row], std::string(section.Name()),
                                         std::string(TrimView(spelt)), std::string(item)});
                    });
                }
            }
        }
    }
    return items;
}

}  // namespace velmora
