// SPDX-License-Identifier: GPL-3.0-or-later
// The definition file a document suggests: its lists, the groups of sections its values refer to,
// the pages of keys and the value sources, checked against the catalogue's own claiming passes.

#include "core/scaffold/DefinitionScaffold.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/entries/EntryOperations.h"
#include "core/references/ModReferences.h"
#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/KeyLines.h"
#include "core/store/PlatformFile.h"
#include "core/store/StringList.h"
#include "core/values/ValueCheck.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

constexpr size_t KeysPerPage = 25;
constexpr const char* ToleranceKey = "VariantAllowed";
// Sections of a definition file that mean something of their own to the catalogue.
constexpr const char* ReservedNames[] = {Workspace::AllSections, Workspace::GeneralSetup, Workspace::UnknownCategory,
                                         "TheUnknown!", ValueKindsSection};

// A list section: enough lines, numbered, and mostly naming sections.
constexpr size_t ListMinLines = 3;
constexpr size_t ListNumberedPercent = 80;
constexpr size_t ListNamingPercent = 50;
// A value source: most items name entries, and more than a couple of distinct ones.
constexpr size_t SourceNamingPercent = 90;
constexpr size_t SourceMinCodes = 3;
// A source in another kind of file: nearly all of at least a few values name its sections.
constexpr size_t KindSourcePercent = 95;
constexpr size_t KindSourceMinValues = 5;

constexpr size_t None = static_cast<size_t>(-1);

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool IsLetter(char c) {
    return IsUpper(c) || IsLower(c);
}

// A list line's number: digits only, no sign and no point ("12", not "+12" or "1.5").
bool IsDigitsOnly(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// A name that reads back from [AllSections] as the same category, as a section header and as a
// value source: a usable code without "=", "," or a quote, and not starting like a header.
bool CategoryNameIsUsable(std::string_view name) {
    return CodeIsUsable(name) && name.find_first_of("=,\"") == std::string_view::npos && name.front() != '[';
}

// The part of a category name a page name can carry: no blanks, commas or quotes (they split the
// page list), nothing that ends a header or starts a comment.
std::string PageBase(std::string_view category) {
    std::string base;
    for (char c : category)
        if (!IsBlank(static_cast<unsigned char>(c)) &&
            std::string_view(",\"=;[]").find(c) == std::string_view::npos)
            base += c;
    return base.empty() ? std::string("Page") : base;
}

// The last word of a key written in capitalised words, without what follows its letters:
// "ElitePrimary" gives "Primary", "Weapon2" gives "Weapon", "ROT" gives "ROT".
std::string_view HeadWord(std::string_view key) {
    size_t end = key.size();
    while (end > 0 && !IsLetter(key[end - 1])) --end;
    size_t start = end;
    while (start > 0 && IsLetter(key[start - 1])) {
        --start;
        if (start > 0 && IsUpper(key[start]) && IsLower(key[start - 1])) break;
    }
    return key.substr(start, end - start);
}

// "Weapon" gives "Weapons", "Primary" "Primaries", "BuiltBy" "BuiltBys"; a word that ends in "s"
// stays as it is.
std::string Plural(std::string_view word) {
    std::string plural(word);
    if (plural.empty() || plural.back() == 's' || plural.back() == 'S') return plural;
    const std::string_view last = HeadWord(word);
    if (last.size() > 2 && last.back() == 'y' &&
        std::string_view("aeiou").find(last[last.size() - 2]) == std::string_view::npos) {
        plural.back() = 'i';
        plural += "es";
    } else {
        plural += 's';
    }
    return plural;
}

// Names already given, compared without regard to letter case (the definition file is read
// either way).
class TakenNames {
  public:
    bool Taken(std::string_view name) const { return m_names.count(FoldCase(name)) != 0; }
    void Take(std::string_view name) { m_names.insert(FoldCase(name)); }

  private:
    std::unordered_set<std::string> m_names;
};

// Union-find over key numbers.
class KeyGroups {
  public:
    explicit KeyGroups(size_t count) : m_parent(count) {
        std::iota(m_parent.begin(), m_parent.end(), size_t{0});
    }
    size_t Root(size_t key) {
        while (m_parent[key] != key) key = m_parent[key] = m_parent[m_parent[key]];
        return key;
    }
    void Merge(size_t a, size_t b) {
        a = Root(a);
        b = Root(b);
        if (a != b) m_parent[std::max(a, b)] = std::min(a, b);
    }

  private:
    std::vector<size_t> m_parent;
};

// A key that refers to sections: the sections its items name, each with how often.
// The numbered lines of a section that is no list section (too short, say) count as one key,
// spelled like the section: its numbers say nothing of what the lines name.
struct ReferringKey {
    std::string spelling;  // as first met
    bool numberedLines = false;
    std::vector<size_t> targets;               // distinct, in order of the first reference
    std::unordered_map<size_t, size_t> count;  // section -> references
    size_t total = 0;
};

struct PlannedCategory {
    std::string name;
    int kind = 0;
    std::vector<size_t> listed;   // kind 0: the sections its values name, in list order, repeats kept
    std::vector<size_t> entries;  // distinct entry sections (kind 0: list order; kind 1: document order)
    std::vector<size_t> keys;     // kind 1: the referring keys of the group
};

// How the entries of one category use one key.
struct KeyUse {
    std::string spelling;
    size_t entries = 0;
    size_t lastEntry = None;
    std::vector<std::pair<std::string, size_t>> values;  // distinct values and their counts, first met first
    std::unordered_map<std::string, size_t> valueIndex;
    size_t items = 0;
    size_t itemsNamingEntries = 0;
    std::unordered_set<std::string> codes;
    std::vector<bool> sources;  // per category: its entries are named
};

class Scaffolder {
  public:
    Scaffolder(const IniStore& document, int32_t tolerance, const std::vector<ScaffoldKind>& otherKinds)
        : m_document(document), m_tolerance(tolerance), m_otherKinds(otherKinds),
          m_claims(document.CloneAs(std::string())) {
        m_firstOfName.resize(document.SectionCount());
        for (size_t i = 0; i < document.SectionCount(); ++i) {
            m_firstOfName[i] = FirstOf(document.SectionAt(i).Name()) == i;
            m_sectionNames.Take(document.SectionAt(i).Name());
        }
        for (const char* name : ReservedNames) m_sectionNames.Take(name);
    }

    DefinitionScaffold Run() {
        FindLists();
        GroupReferencedSections();
        NameGroups();
        ClaimFittingSections();
        return Result();
    }

  private:
    size_t FirstOf(std::string_view name) const {
        const int index = m_document.IndexOfSection(name);
        return index < 0 ? None : static_cast<size_t>(index);
    }
    std::string_view NameOf(size_t section) const { return m_document.SectionAt(section).Name(); }
    bool Claimed(size_t section) const { return m_claims->SectionAt(section).Occupied != 0; }
    void Claim(size_t section) { m_claims->SectionAt(section).Occupied = 1; }
    // The key by which an item is looked up among entry codes, by the document's letter-case rule.
    std::string CodeKey(std::string_view code) const {
        return m_document.CaseSensitive() ? std::string(code) : FoldCase(code);
    }

    void FindLists();
    void GroupReferencedSections();
    void NameGroups();
    void ClaimFittingSections();
    // `base`, or `base` and the first number from `first` on (2 after `base` itself, for 0), that
    // is neither a section of the document nor a name of the definition file yet.
    std::string FreeName(const std::string& base, int first) const;
    StringList KeysOf(const PlannedCategory& category) const;
    std::vector<size_t> FitAndClaim(const PlannedCategory& category);
    std::vector<ScaffoldPage> Pages(const PlannedCategory& category);
    // The kind source ("Art:*") of the key's values when they name another kind's sections.
    std::optional<std::string> KindSourceOf(const KeyUse& use) const;
    DefinitionScaffold Result();

    const IniStore& m_document;
    const int32_t m_tolerance;
    const std::vector<ScaffoldKind>& m_otherKinds;
    // The document's claims as the catalogue will make them: a copy whose flags the real passes set.
    std::unique_ptr<IniStore> m_claims;
    std::vector<bool> m_firstOfName;  // the section a lookup by its name reaches
    TakenNames m_sectionNames;        // sections of the document and the catalogue's own names
    TakenNames m_categoryNames;       // categories and pages
    std::vector<PlannedCategory> m_lists;
    std::vector<PlannedCategory> m_groups;
    std::vector<ReferringKey> m_keys;
    std::vector<bool> m_inCategory;
    std::vector<size_t> m_unknownListed;
    std::unordered_map<std::string, std::vector<size_t>> m_categoriesOfCode;  // code -> category rows
};

void Scaffolder::FindLists() {
    for (size_t i = 0; i < m_document.SectionCount(); ++i) {
        const std::string_view name = NameOf(i);
        if (!m_firstOfName[i] || !CategoryNameIsUsable(name) || m_categoryNames.Taken(name)) continue;
        bool reserved = false;
        for (const char* reservedName : ReservedNames) reserved |= EqualsNoCase(name, reservedName);
        if (reserved) continue;

        PlannedCategory list{std::string(name), 0, {}, {}, {}};
        size_t lines = 0;
        size_t numbered = 0;
        ForEachKeyLine(m_document.SectionAt(i), [&](size_t, std::string_view key, std::string_view value) {
            ++lines;
            if (IsDigitsOnly(key)) ++numbered;
            const size_t named = FirstOf(StripComment(value));
            if (named != None) list.listed.push_back(named);
        });
        if (lines < ListMinLines || numbered * 100 < lines * ListNumberedPercent ||
            list.listed.size() * 100 < lines * ListNamingPercent)
            continue;

        std::unordered_set<size_t> seen;
        for (size_t entry : list.listed)
            if (seen.insert(entry).second) list.entries.push_back(entry);
        m_claims->MarkOccupiedListSection(name);
        m_categoryNames.Take(name);
        m_lists.push_back(std::move(list));
    }
}

void Scaffolder::GroupReferencedSections() {
    // Every item of every value that names another section no list has claimed.
    std::unordered_map<std::string, size_t> keyNumber;  // folded key -> its number in m_keys
    std::vector<size_t> targets;  // referenced sections, in order of the first reference
    std::unordered_map<size_t, std::vector<size_t>> keysOfTarget;
    for (size_t s = 0; s < m_document.SectionCount(); ++s) {
        const size_t self = FirstOf(NameOf(s));
        ForEachKeyLine(m_document.SectionAt(s), [&](size_t, std::string_view key, std::string_view value) {
            const bool numbered = IsDigitsOnly(key);
            for (const std::string& item : ValueItems(value)) {
                const size_t target = FirstOf(item);
                if (target == None || target == self || Claimed(target) || !CodeIsUsable(NameOf(target)))
                    continue;
                // No key name holds a line break, so these stay apart from every key.
                auto [found, isNew] = keyNumber.try_emplace(
                    numbered ? "\n" + FoldCase(NameOf(s)) : FoldCase(key), m_keys.size());
                if (isNew)
                    m_keys.push_back(
                        ReferringKey{std::string(numbered ? NameOf(s) : key), numbered, {}, {}, 0});
                ReferringKey& referring = m_keys[found->second];
                if (referring.count[target]++ == 0) {
                    referring.targets.push_back(target);
                    auto& keys = keysOfTarget[target];
                    if (keys.empty()) targets.push_back(target);
                    keys.push_back(found->second);
                }
                ++referring.total;
            }
        });
    }

    // Keys whose sections overlap by at least half (of the smaller set) refer to one kind of thing.
    std::unordered_map<uint64_t, size_t> shared;
    for (size_t target : targets) {
        const std::vector<size_t>& keys = keysOfTarget[target];
        for (size_t a = 0; a < keys.size(); ++a)
            for (size_t b = a + 1; b < keys.size(); ++b)
                ++shared[(uint64_t{std::min(keys[a], keys[b])} << 32) | std::max(keys[a], keys[b])];
    }
    KeyGroups groupOf(m_keys.size());
    for (const auto& [pair, count] : shared) {
        const size_t a = static_cast<size_t>(pair >> 32);
        const size_t b = static_cast<size_t>(pair & 0xFFFFFFFFu);
        if (count * 2 >= std::min(m_keys[a].targets.size(), m_keys[b].targets.size())) groupOf.Merge(a, b);
    }

    // Groups in the order of their first key; each section joins the group that names it most often.
    std::vector<PlannedCategory> groups;
    std::unordered_map<size_t, size_t> groupOfRoot;
    for (size_t key = 0; key < m_keys.size(); ++key) {
        auto [found, isNew] = groupOfRoot.try_emplace(groupOf.Root(key), groups.size());
        if (isNew) groups.push_back(PlannedCategory{{}, 1, {}, {}, {}});
        groups[found->second].keys.push_back(key);
    }
    for (size_t target : targets) {
        std::vector<size_t> references(groups.size(), 0);
        for (size_t key : keysOfTarget[target])
            references[groupOfRoot[groupOf.Root(key)]] += m_keys[key].count[target];
        const size_t best =
            static_cast<size_t>(std::max_element(references.begin(), references.end()) - references.begin());
        groups[best].entries.push_back(target);
    }

    for (PlannedCategory& group : groups) {
        if (group.entries.empty()) continue;
        std::sort(group.entries.begin(), group.entries.end());
        for (size_t entry : group.entries) Claim(entry);
        m_groups.push_back(std::move(group));
    }
    std::stable_sort(m_groups.begin(), m_groups.end(),
                     [](const PlannedCategory& a, const PlannedCategory& b) {
                         return a.entries.front() < b.entries.front();
                     });
}

// Named after the key that refers to the group's sections most often, in the plural, unless some
// of its keys share a last word that is no key of its own ("Weapon" of DeathWeapon and
// OccupyWeapon), which names the kind of thing more clearly than a role such as Primary. Never the
// name of a section of the document or of another category.
void Scaffolder::NameGroups() {
    struct Head {
        std::string spelling;
        size_t keys = 0;
        size_t references = 0;
    };
    for (PlannedCategory& group : m_groups) {
        const ReferringKey* mostFrequent = nullptr;
        std::unordered_set<std::string> keyNames;
        for (size_t key : group.keys) keyNames.insert(FoldCase(m_keys[key].spelling));
        std::vector<Head> heads;
        std::unordered_map<std::string, size_t> headIndex;
        for (size_t key : group.keys) {
            const ReferringKey& referring = m_keys[key];
            if (!CategoryNameIsUsable(referring.spelling)) continue;
            if (!mostFrequent || referring.total > mostFrequent->total) mostFrequent = &referring;
            const std::string_view head = HeadWord(referring.spelling);
            if (referring.numberedLines || head.size() < 3 || keyNames.count(FoldCase(head)) != 0) continue;
            auto [found, isNew] = headIndex.try_emplace(FoldCase(head), heads.size());
            if (isNew) heads.push_back(Head{std::string(head), 0, 0});
            ++heads[found->second].keys;
            heads[found->second].references += referring.total;
        }
        const Head* clearer = nullptr;
        for (const Head& head : heads)
            if (head.keys >= 2 && (!clearer || head.keys > clearer->keys ||
                                   (head.keys == clearer->keys && head.references > clearer->references)))
                clearer = &head;

        const std::string base = clearer        ? Plural(clearer->spelling)
                                 : mostFrequent ? Plural(mostFrequent->spelling)
                                                : std::string("Group");
        group.name = FreeName(base, 0);
        m_categoryNames.Take(group.name);
    }
}

std::string Scaffolder::FreeName(const std::string& base, int first) const {
    for (int n = first;; n = n == 0 ? 2 : n + 1) {
        std::string name = n == 0 ? base : base + std::to_string(n);
        if (!m_sectionNames.Taken(name) && !m_categoryNames.Taken(name)) return name;
    }
}

StringList Scaffolder::KeysOf(const PlannedCategory& category) const {
    StringList keys;
    std::unordered_set<std::string> seen;
    for (size_t entry : category.entries)
        ForEachKeyLine(m_document.SectionAt(entry), [&](size_t, std::string_view key, std::string_view) {
            if (seen.insert(FoldCase(key)).second) keys.Add(std::string(key));
        });
    return keys;
}

// The catalogue's key fit of one category on the sections still free: claims them and gives them.
std::vector<size_t> Scaffolder::FitAndClaim(const PlannedCategory& category) {
    std::vector<unsigned char> before(m_claims->SectionCount());
    for (size_t i = 0; i < before.size(); ++i) before[i] = m_claims->SectionAt(i).Occupied;
    StringList found;
    m_claims->MarkOccupiedMatching(KeysOf(category), found, m_tolerance);
    std::vector<size_t> claimed;
    if (found.Empty()) return claimed;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] == 0 && Claimed(i)) claimed.push_back(i);
    return claimed;
}

// What the catalogue's key fit would do with the sections no list claims, decided here and written
// as lists, so that the file reads back as planned:
// - a section that fits the keys of a group's referenced sections joins the group (once: a group
//   grown by its own fits would grow on with every key its new members bring);
// - one that would still fit a category, with the keys of the pages as written, is listed under
//   "Unknown!": the fit takes the first category that fits, and that may be a list the game keeps
//   itself (the game does not know the section as one of that list), or the section is a later
//   one of a name taken already (the editor reaches a name's first section only).
void Scaffolder::ClaimFittingSections() {
    std::vector<size_t> laterSections;
    for (size_t i = 0; i < m_document.SectionCount(); ++i) {
        if (m_firstOfName[i] || Claimed(i)) continue;
        laterSections.push_back(i);
        Claim(i);
    }

    for (PlannedCategory& group : m_groups) {
        std::vector<size_t> joined = FitAndClaim(group);
        group.entries.insert(group.entries.end(), joined.begin(), joined.end());
        std::sort(group.entries.begin(), group.entries.end());
    }

    for (size_t i : laterSections) m_claims->SectionAt(i).Occupied = 0;
    m_inCategory.resize(m_claims->SectionCount());
    for (size_t i = 0; i < m_inCategory.size(); ++i) m_inCategory[i] = Claimed(i);

    std::vector<bool> mustList(m_inCategory.size(), false);
    for (const auto* categories : {&m_lists, &m_groups})
        for (const PlannedCategory& category : *categories)
            for (size_t i : FitAndClaim(category)) mustList[i] = true;

    // A list line claims the first free section of its name: the free sections of that name before
    // a listed one are listed too, so that the line reaches the one meant.
    std::unordered_map<std::string_view, size_t> lastListed;
    for (size_t i = 0; i < mustList.size(); ++i)
        if (mustList[i]) lastListed[NameOf(i)] = i;
    for (size_t i = 0; i < mustList.size(); ++i) {
        if (m_inCategory[i] || !CodeIsUsable(NameOf(i))) continue;
        auto last = lastListed.find(NameOf(i));
        if (last != lastListed.end() && last->second >= i) m_unknownListed.push_back(i);
    }
}

std::vector<ScaffoldPage> Scaffolder::Pages(const PlannedCategory& category) {
    const size_t categoryCount = m_lists.size() + m_groups.size();
    std::vector<KeyUse> uses;
    std::unordered_map<std::string, size_t> useOfKey;
    for (size_t e = 0; e < category.entries.size(); ++e) {
        ForEachKeyLine(m_document.SectionAt(category.entries[e]),
                       [&](size_t, std::string_view key, std::string_view raw) {
                           auto [found, isNew] = useOfKey.try_emplace(FoldCase(key), uses.size());
                           if (isNew) {
                               uses.emplace_back();
                               uses.back().spelling = key;
                               uses.back().sources.assign(categoryCount, false);
                           }
                           KeyUse& use = uses[found->second];
                           // The first line of a key is the one the editor shows.
                           if (use.lastEntry == e) return;
                           use.lastEntry = e;
                           ++use.entries;
                           const std::string value = StripComment(raw);
                           auto [at, isNewValue] = use.valueIndex.try_emplace(value, use.values.size());
                           if (isNewValue) use.values.emplace_back(value, 0);
                           ++use.values[at->second].second;
                           for (const std::string& item : ValueItems(value)) {
                               ++use.items;
                               auto named = m_categoriesOfCode.find(CodeKey(item));
                               if (named == m_categoriesOfCode.end()) continue;
                               ++use.itemsNamingEntries;
                               use.codes.insert(item);
                               for (size_t row : named->second) use.sources[row] = true;
                           }
                       });
    }
    std::stable_sort(uses.begin(), uses.end(),
                     [](const KeyUse& a, const KeyUse& b) { return a.entries > b.entries; });

    std::vector<ScaffoldPage> pages;
    const std::string base = PageBase(category.name);
    for (size_t k = 0; k < uses.size(); ++k) {
        if (k % KeysPerPage == 0) {
            std::string name = FreeName(base, 1);
            m_categoryNames.Take(name);
            pages.push_back(ScaffoldPage{name, {}});
        }
        const KeyUse& use = uses[k];
        std::string line = use.spelling + "=used by " + std::to_string(use.entries) + " of " +
                           std::to_string(category.entries.size());
        // The commonest value as the example; one with a "~" would break the marker and the memo.
        const std::pair<std::string, size_t>* example = nullptr;
        for (const auto& value : use.values)
            if (!value.first.empty() && value.first.find('~') == std::string::npos &&
                (!example || value.second > example->second))
                example = &value;
        if (example) line += "; e.g. " + example->first;

        if (const std::optional<std::string> kindSource = KindSourceOf(use)) {
            line += " ~@" + *kindSource + "@~";
        } else if (use.items > 0 && use.itemsNamingEntries * 100 >= use.items * SourceNamingPercent &&
                   use.codes.size() >= SourceMinCodes) {
            std::string sources;
            for (size_t row = 0; row < categoryCount; ++row) {
                if (!use.sources[row]) continue;
                if (!sources.empty()) sources += ',';
                sources += row < m_lists.size() ? m_lists[row].name : m_groups[row - m_lists.size()].name;
            }
            line += " ~@" + sources + "@~";
        }
        pages.back().Lines.push_back(std::move(line));
    }
    return pages;
}

std::optional<std::string> Scaffolder::KindSourceOf(const KeyUse& use) const {
    for (const ScaffoldKind& kind : m_otherKinds) {
        size_t values = 0;
        size_t naming = 0;  // values whose every item is a section of the kind or "none"
        size_t noCode = 0;  // values of "none" alone: they fit any source
        for (const auto& [value, count] : use.values) {
            if (TrimView(value).empty()) continue;
            values += count;
            size_t codes = 0;
            bool all = true;
            for (const std::string& item : ValueItems(value)) {
                if (IsNoCode(item)) continue;
                ++codes;
                all = all && kind.Document->IndexOfSection(item) >= 0;
            }
            if (!all) continue;
            (codes == 0 ? noCode : naming) += count;
        }
        if (naming >= KindSourceMinValues && (naming + noCode) * 100 >= values * KindSourcePercent)
            return kind.Name + ":*";
    }
    return std::nullopt;
}

DefinitionScaffold Scaffolder::Result() {
    std::vector<const PlannedCategory*> rows;
    for (const auto* categories : {&m_lists, &m_groups})
        for (const PlannedCategory& category : *categories) rows.push_back(&category);
    for (size_t row = 0; row < rows.size(); ++row)
        for (size_t entry : rows[row]->entries) {
            std::vector<size_t>& owners = m_categoriesOfCode[CodeKey(NameOf(entry))];
            if (owners.empty() || owners.back() != row) owners.push_back(row);
        }

    DefinitionScaffold result;
    result.Tolerance = m_tolerance;
    result.SectionCount = m_document.SectionCount();
    result.UnknownCount = static_cast<size_t>(std::count(m_inCategory.begin(), m_inCategory.end(), false));
    for (const PlannedCategory* planned : rows) {
        ScaffoldCategory category{planned->name, planned->kind, {}, Pages(*planned)};
        for (size_t entry : planned->kind == 0 ? planned->listed : planned->entries)
            category.Entries.emplace_back(NameOf(entry));
        result.Categories.push_back(std::move(category));
    }
    for (size_t section : m_unknownListed) result.UnknownListed.emplace_back(NameOf(section));
    return result;
}

// A blank line stands before each header but the first, as in the files the editor writes.
void AddHeader(StringList& lines, const std::string& section) {
    lines.Add("");
    lines.Add("[" + section + "]");
}

void AddNumberedList(StringList& lines, const std::string& section, const std::vector<std::string>& codes) {
    if (codes.empty()) return;
    AddHeader(lines, section);
    for (size_t i = 0; i < codes.size(); ++i) lines.Add(std::to_string(i + 1) + "=" + codes[i]);
}

}  // namespace

DefinitionScaffold ScaffoldDefinition(const IniStore& document, int32_t tolerance,
                                      const std::vector<ScaffoldKind>& otherKinds) {
    DefinitionScaffold scaffold = Scaffolder(document, tolerance, otherKinds).Run();
    std::vector<KindCategory> categories;
    for (const ScaffoldCategory& category : scaffold.Categories) categories.push_back({category.Name, category.Entries});
    KindLearner learner(std::move(categories), document.CaseSensitive());
    learner.Learn(document, nullptr);
    scaffold.ValueKinds = PinLines(learner);
    return scaffold;
}

std::string DefinitionText(const DefinitionScaffold& scaffold, const StringList& settings) {
    StringList lines;
    lines.Add("; Written from a rules document: its own lists, the sections its values name, grouped by");
    lines.Add("; the keys that name them, and every key their entries use.");
    lines.Add(std::string("[") + Workspace::GeneralSetup + "]");
    const std::string tolerance = std::string(ToleranceKey) + "=" + std::to_string(scaffold.Tolerance);
    bool toleranceWritten = false;
    for (size_t i = 0; i < settings.Count(); ++i) {
        const bool isTolerance = EqualsNoCase(settings.Name(i), ToleranceKey);
        if (isTolerance && toleranceWritten) continue;
        lines.Add(isTolerance ? tolerance : settings[i]);
        toleranceWritten |= isTolerance;
    }
    if (!toleranceWritten) lines.Add(tolerance);

    AddHeader(lines, Workspace::AllSections);
    for (const ScaffoldCategory& category : scaffold.Categories) {
        std::string line = category.Name + "=" + std::to_string(category.Kind);
        for (const ScaffoldPage& page : category.Pages) line += "," + page.Name;
        lines.Add(std::move(line));
    }
    for (const ScaffoldCategory& category : scaffold.Categories)
        for (const ScaffoldPage& page : category.Pages) {
            AddHeader(lines, page.Name);
            for (const std::string& line : page.Lines) lines.Add(line);
        }
    if (!scaffold.ValueKinds.empty()) {
        AddHeader(lines, ValueKindsSection);
        for (const std::string& line : scaffold.ValueKinds) lines.Add(line);
    }
    for (const ScaffoldCategory& category : scaffold.Categories)
        if (category.Kind != 0) AddNumberedList(lines, category.Name, category.Entries);
    AddNumberedList(lines, Workspace::UnknownCategory, scaffold.UnknownListed);

    IniStore store{std::string()};
    store.SetStrings(lines);
    return store.RenderText();
}

void WriteDefinitionFile(const DefinitionScaffold& scaffold, const std::string& fileName) {
    StringList settings;
    if (platform::IsRegularFile(fileName))
        IniStore(fileName).ReadSectionValues(Workspace::GeneralSetup, settings);
    platform::WriteWholeFile(fileName, DefinitionText(scaffold, settings));
}

std::string DefinitionBackupFileName(const Workspace& workspace) {
    return workspace.DefinitionFileName() + workspace.G().BackupExt;
}

std::vector<ScaffoldKind> ScaffoldKindsBeside(const std::vector<const Workspace*>& kinds,
                                              std::string_view ownFileType) {
    std::vector<ScaffoldKind> others;
    for (const Workspace* kind : kinds)
        if (!EqualsNoCase(kind->FileToEdit(), ownFileType) && kind->Doc().HasDocument())
            others.push_back({KindName(*kind), &kind->Doc().Store()});
    return others;
}

DefinitionScaffold ReplaceDefinitionFile(const Workspace& workspace, const std::vector<const Workspace*>& kinds) {
    const std::string fileName = workspace.DefinitionFileName();
    DefinitionScaffold scaffold = ScaffoldDefinition(workspace.Doc().Store(), workspace.G().VariantAllowed,
                                                     ScaffoldKindsBeside(kinds, workspace.FileToEdit()));
    if (std::optional<std::string> present = platform::ReadWholeFile(fileName))
        platform::WriteWholeFile(DefinitionBackupFileName(workspace), *present);
    WriteDefinitionFile(scaffold, fileName);
    return scaffold;
}

}  // namespace velmora
