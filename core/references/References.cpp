// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/References.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/choice/ChoiceLists.h"
#include "core/document/Document.h"
#include "core/store/Routines.h"
#include "core/document/TextRules.h"
#include "core/references/FollowedRows.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/store/KeyLines.h"
#include "core/store/LineText.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

// The value of a key line: what follows its first "="; nothing for a line without a key name.
bool KeyLineValue(std::string_view line, std::string_view& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) return false;
    value = line.substr(eq + 1);
    return true;
}

bool ItemEquals(std::string_view item, std::string_view name, bool caseSensitive) {
    return item.size() == name.size() && NamesEqual(item, name, caseSensitive);
}

bool HasItem(std::string_view value, std::string_view name, bool caseSensitive) {
    bool found = false;
    ForEachValueItem(value, [&](std::string_view item) { found = found || ItemEquals(item, name, caseSensitive); });
    return found;
}

void RequireWholeItem(std::string_view item) {
    RefuseControlBytes(item, "item");
    if (!IsWholeItem(item))
        throw IniError("\"" + Escaped(item) +
                       "\" cannot stand as one item of a value: an item may not be empty, begin or end with a "
                       "blank, or hold \",\", \";\" or a line break.");
}

// The line with its value rewritten; no value when no byte of it changes (an item replaced by
// itself is no change).
std::optional<std::string> RewrittenLine(std::string_view line, std::string_view oldItem, std::string_view newItem,
                                         bool caseSensitive) {
    std::string_view value;
    if (!KeyLineValue(line, value)) return std::nullopt;
    std::optional<std::string> rewritten = ReplaceItems(value, oldItem, newItem, caseSensitive);
    if (!rewritten || *rewritten == value) return std::nullopt;
    return std::string(line.substr(0, line.size() - value.size())) + *rewritten;
}

// The dangling-item rule over one document.
class DanglingSearch {
public:
    // `keysOf` holds each category row's reference keys (ReferenceKeysOf).
    DanglingSearch(const Workspace& workspace, DanglingRule& rule, const std::vector<std::vector<ReferenceKey>>& keysOf)
        : m_workspace(workspace), m_document(workspace.Doc().Store()), m_rule(rule), m_keysOf(keysOf) {}

    // Every dangling item; or, given `sections`, those of the sections at these positions alone.
    std::vector<DanglingItem> Run(const std::vector<size_t>* sections = nullptr) {
        const std::vector<std::vector<ReferenceKey>>& keysOf = m_keysOf;
        if (sections) {
            for (const size_t at : *sections) {
                // Only the first section of a name is an entry; the lists name it by that name.
                const std::string_view code = m_document.SectionAt(at).Name();
                if (m_document.IndexOfSection(code) != static_cast<int>(at)) continue;
                for (size_t row = 0; row < keysOf.size(); ++row)
                    if (!keysOf[row].empty() && m_rule.IsEntryOf(code, row)) Check(at, row, keysOf[row]);
            }
        } else {
            for (size_t row = 0; row < keysOf.size(); ++row) {
                if (keysOf[row].empty()) continue;
                std::unordered_set<size_t> checked;  // an entry listed twice is checked once
                for (const StringItem& code : m_rule.EntryList(row)) {
                    const int at = m_document.IndexOfSection(code.text);
                    if (at >= 0 && checked.insert(static_cast<size_t>(at)).second)
                        Check(static_cast<size_t>(at), row, keysOf[row]);
                }
            }
        }

        // An entry in several categories may show the same item more than once.
        std::vector<Found>& found = m_found;
        std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
            return std::tie(a.place, a.itemStart) < std::tie(b.place, b.itemStart);
        });
        found.erase(std::unique(found.begin(), found.end(),
                                [](const Found& a, const Found& b) {
                                    return a.place == b.place && a.itemStart == b.itemStart;
                                }),
                    found.end());

        std::vector<DanglingItem> items;
        items.reserve(found.size());
        for (const Found& f : found) {
            const IniSection& section = m_document.SectionAt(f.place.Section);
            const std::string line = section.Strings(f.place.Line);
            const size_t eq = line.find('=');
            items.push_back({f.place, m_workspace.CategoryRows()[f.row], std::string(section.Name()),
                             std::string(line.substr(0, eq)), StripComment(line.substr(eq + 1)),
                             std::string(f.item)});
        }
        return items;
    }

private:
    struct Found {
        LinePlace place;
        size_t itemStart;
        size_t row;
        std::string_view item;
    };

    // The items of the entry at `at`, listed by category row `row`, that dangle under the keys of
    // the row's pages.
    void Check(size_t at, size_t row, const std::vector<ReferenceKey>& keys) {
        const IniSection& section = m_document.SectionAt(at);
        for (const ReferenceKey& key : keys) {
            // The value the entry has for the key: its first line of that key, as the grid reads it.
            const long line = section.IndexOfKey(key.Key);
            if (line < 0) continue;
            // A view into the store, which outlives the items found in it.
            const std::string_view value = section.LineAt(static_cast<size_t>(line)).ValueText();
            const LinePlace place{at, static_cast<size_t>(line)};
            ForEachValueItem(value, [&](std::string_view item) {
                if (m_rule.Dangles(item, key))
                    m_found.push_back({place, static_cast<size_t>(item.data() - value.data()), row, item});
            });
        }
    }

    const Workspace& m_workspace;
    const IniStore& m_document;
    DanglingRule& m_rule;
    const std::vector<std::vector<ReferenceKey>>& m_keysOf;
    std::vector<Found> m_found;
};

std::vector<std::vector<ReferenceKey>> ReferenceKeysOfAll(const Workspace& workspace) {
    std::vector<std::vector<ReferenceKey>> keysOf(workspace.CategoryRows().size());
    for (size_t row = 0; row < keysOf.size(); ++row) keysOf[row] = ReferenceKeysOf(workspace, row);
    return keysOf;
}

}  // namespace

std::string_view Usage::Key() const { return std::string_view(Text).substr(0, Text.find('=')); }

std::string_view Usage::Value() const {
    std::string_view value;
    return KeyLineValue(Text, value) ? value : std::string_view();
}

namespace {

void AddUsagesOf(const IniStore& document, size_t s, std::string_view code, bool caseSensitive,
                 std::vector<Usage>& usages) {
    const IniSection& section = document.SectionAt(s);
    ForEachKeyLine(section, [&](size_t l, std::string_view, std::string_view value) {
        // Most lines do not hold the code at all; only those that do are cut into items.
        if (caseSensitive && value.find(code) == std::string_view::npos) return;
        if (HasItem(value, code, caseSensitive))
            usages.push_back({{s, l}, std::string(section.Name()), section.Strings(l), std::string(section.LineAt(l).Raw())});
    });
}

}  // namespace

std::vector<Usage> FindUsagesIn(const IniStore& document, std::string_view code, bool caseSensitive,
                                const std::vector<size_t>& sections) {
    std::vector<Usage> usages;
    for (const size_t s : sections) AddUsagesOf(document, s, code, caseSensitive, usages);
    return usages;
}

std::vector<Usage> FindUsages(const IniStore& document, std::string_view code, bool caseSensitive) {
    std::vector<Usage> usages;
    for (size_t s = 0; s < document.SectionCount(); ++s) AddUsagesOf(document, s, code, caseSensitive, usages);
    return usages;
}

std::optional<std::string> ReplaceItems(std::string_view value, std::string_view oldItem, std::string_view newItem,
                                        bool caseSensitive) {
    std::string rewritten;
    size_t copied = 0;
    ForEachValueItem(value, [&](std::string_view item) {
        if (!ItemEquals(item, oldItem, caseSensitive)) return;
        const size_t at = static_cast<size_t>(item.data() - value.data());
        rewritten.append(value.substr(copied, at - copied)).append(newItem);
        copied = at + item.size();
    });
    if (copied == 0) return std::nullopt;  // an item is never empty, so a replaced one ends past 0
    rewritten.append(value.substr(copied));
    return rewritten;
}

bool IsWholeItem(std::string_view item) {
    return !item.empty() && !IsBlank(static_cast<unsigned char>(item.front())) &&
           !IsBlank(static_cast<unsigned char>(item.back())) && item.find_first_of(",;\r\n") == std::string_view::npos;
}

void AddRewrites(StoreEdit& edit, const std::vector<LineRewrite>& rewrites) {
    for (const LineRewrite& rewrite : rewrites) {
        if (rewrite.OldText.empty())
            edit.InsertLine(StoreOf::Document, rewrite.Place.Section, rewrite.Place.Line, rewrite.NewText);
        else
            edit.ReplaceLineAsRead(StoreOf::Document, rewrite.Place.Section, rewrite.Place.Line, rewrite.NewText);
    }
}

std::vector<LineRewrite> RenameRewrites(const std::vector<Usage>& usages, std::string_view oldCode,
                                        std::string_view newCode, bool caseSensitive) {
    RequireWholeItem(newCode);
    std::vector<LineRewrite> rewrites;
    for (const Usage& usage : usages)
        if (std::optional<std::string> line = RewrittenLine(usage.Raw, oldCode, newCode, caseSensitive))
            rewrites.push_back({usage.Place, usage.SectionName, usage.Raw, std::move(*line)});
    return rewrites;
}

std::vector<LineRewrite> ReplaceRewrites(const IniStore& document, std::string_view key,
                                         std::string_view oldItem, std::string_view newItem,
                                         bool caseSensitive) {
    RequireWholeItem(newItem);
    std::vector<LineRewrite> rewrites;
    for (size_t s = 0; s < document.SectionCount(); ++s) {
        const IniSection& section = document.SectionAt(s);
        ForEachKeyLine(section, [&](size_t l, std::string_view name, std::string_view) {
            if (!EqualsNoCase(name, key)) return;
            const std::string_view raw = section.LineAt(l).Raw();
            std::optional<std::string> rewritten = RewrittenLine(raw, oldItem, newItem, caseSensitive);
            if (!rewritten) return;
            // Held to the rule of every value writer: a name grown past its limit is refused.
            try {
                RefuseValue(name, IniStore::StripComment(ValueTextOfLine(*rewritten, true)),
                            IniStore::StripComment(ValueTextOfLine(raw, true)));
            } catch (const IniError& refusal) {
                throw IniError(std::string(section.Name()) + " " + std::string(name) + ": " + refusal.what() + ".");
            }
            rewrites.push_back({{s, l}, std::string(section.Name()), std::string(raw), std::move(*rewritten)});
        });
    }
    return rewrites;
}

std::vector<ReferenceKey> ReferenceKeysOf(const Workspace& workspace, size_t row) {
    std::vector<ReferenceKey> keys;
    StringList pages;
    workspace.GetPages(workspace.CategoryRows()[row], pages);
    const IniStore& definition = workspace.Doc().Definition();
    for (const StringItem& page : pages) {
        const int at = definition.IndexOfSection(page.text);
        if (at < 0) continue;
        ForEachKeyLine(definition.SectionAt(static_cast<size_t>(at)), [&](size_t, std::string_view name,
                                                                           std::string_view description) {
            const std::optional<std::string> sources = ValueSourcesOf(description);
            if (!sources) return;
            ReferenceKey key{std::string(name), {}, {}};
            bool namesKind = false;
            for (std::string& source : SplitValueSources(*sources)) {
                const int category = CategoryRowOfSource(source, workspace);
                if (category >= 0) {
                    key.CategoryRows.push_back(static_cast<size_t>(category));
                } else {
                    namesKind = namesKind || IsKindSource(source);
                    key.OtherSources.push_back(std::move(source));
                }
            }
            if (!key.CategoryRows.empty() || namesKind) keys.push_back(std::move(key));
        });
    }
    return keys;
}

bool IsKindSource(std::string_view source) {
    const size_t colon = source.find(':');
    return colon != std::string_view::npos && colon > 0 && colon + 1 < source.size();
}

DanglingRule::DanglingRule(const Workspace& workspace, OtherKinds* others)
    : m_workspace(workspace),
      m_document(workspace.Doc().Store()),
      m_caseSensitive(workspace.G().CaseSensitive),
      m_others(others),
      m_entries(workspace.CategoryRows().size()) {}

DanglingRule::~DanglingRule() = default;

StringList DanglingRule::EntryList(size_t row) const {
    StringList entries;
    m_workspace.GetReadSectionValuesOnly(m_workspace.CategoryKinds()[row], m_workspace.CategoryRows()[row],
                                         entries);
    return entries;
}

const DanglingRule::NameSet& DanglingRule::EntriesOf(size_t row) {
    std::optional<NameSet>& entries = m_entries[row];
    if (!entries) {
        entries.emplace();
        for (const StringItem& code : EntryList(row)) entries->insert(NameKey(code.text, m_caseSensitive));
    }
    return *entries;
}

const DanglingRule::NameSet& DanglingRule::ValuesOf(const std::string& source) {
    auto [it, isNew] = m_values.try_emplace(source);
    if (isNew) {
        StringList values;
        m_workspace.GetListValues(source, values);
        for (const StringItem& value : values) it->second.insert(FoldCase(value.text));
    }
    return it->second;
}

bool DanglingRule::IsEntryOf(std::string_view code, size_t row) {
    return EntriesOf(row).count(NameKey(code, m_caseSensitive)) != 0;
}

bool DanglingRule::Dangles(std::string_view item, const ReferenceKey& key) {
    // A section of this document is what a key naming this kind's categories may reach; a key
    // that names only another kind's (an art name) is not answered by a rules section of the name.
    if (!key.CategoryRows.empty() && m_document.IndexOfSection(item) >= 0) return false;
    const std::string name = NameKey(item, m_caseSensitive);
    for (size_t row : key.CategoryRows)
        if (EntriesOf(row).count(name) != 0) return false;
    if (key.OtherSources.empty()) return true;
    const std::string folded = FoldCase(item);
    for (const std::string& source : key.OtherSources) {
        if (IsKindSource(source)) {
            if (m_others == nullptr || m_others->Allows(source, item)) return false;
        } else if (ValuesOf(source).count(folded) != 0) {
            return false;
        }
    }
    return true;
}

std::vector<DanglingItem> FindDanglingItems(const Workspace& workspace, OtherKinds* others) {
    DanglingRule rule(workspace, others);
    return DanglingSearch(workspace, rule, ReferenceKeysOfAll(workspace)).Run();
}

std::vector<DoubleListing> FindDoubleListings(const Workspace& workspace) {
    const bool caseSensitive = workspace.G().CaseSensitive;
    std::vector<DoubleListing> doubles;
    StringList entries;
    for (size_t row = 0; row < workspace.CategoryRows().size(); ++row) {
        const std::string& category = workspace.CategoryRows()[row];
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[row], category, entries);
        std::vector<DoubleListing> listed;
        std::unordered_map<std::string, size_t> indexOf;
        for (const StringItem& code : entries) {
            auto [it, isNew] = indexOf.try_emplace(NameKey(code.text, caseSensitive), listed.size());
            if (isNew)
                listed.push_back({category, code.text, 1});
            else
                ++listed[it->second].Times;
        }
        for (DoubleListing& entry : listed)
            if (entry.Times > 1) doubles.push_back(std::move(entry));
    }
    return doubles;
}

ReferenceCheck::ReferenceCheck(const Workspace& workspace)
    : m_workspace(workspace),
      m_document(workspace.Doc().StoreOrNull(StoreOf::Document)),
      m_rule(std::make_unique<DanglingRule>(workspace)),
      m_keysOf(ReferenceKeysOfAll(workspace)),
      m_dangling(DanglingSearch(workspace, *m_rule, m_keysOf).Run()),
      m_doubles(FindDoubleListings(workspace)) {}

ReferenceCheck::~ReferenceCheck() = default;

bool ReferenceCheck::Follow(const std::vector<size_t>& sections) {
    if (m_workspace.Doc().StoreOrNull(StoreOf::Document) != m_document) return false;
    // A section that holds the values of another source decides items of every other section.
    const IniStore& document = *m_document;
    for (const std::vector<ReferenceKey>& keys : m_keysOf)
        for (const ReferenceKey& key : keys)
            for (const std::string& source : key.OtherSources)
                for (const size_t at : sections)
                    if (EqualsNoCase(document.SectionAt(at).Name(), source)) return false;
    ReplaceRowsOfSections(m_dangling, sections, DanglingSearch(m_workspace, *m_rule, m_keysOf).Run(&sections));
    return true;
}

}  // namespace velmora
