// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/values/KindLearning.h"

#include <algorithm>
#include <unordered_set>

#include "core/values/FirstKeyLines.h"
#include "core/store/Routines.h"
#include "core/catalogue/ValueRules.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

// How many values fit each kind. Numbers nest (a whole number is a decimal too); a value that is
// no number counts for the code kinds of the categories that list all its codes.
struct Counts {
    size_t values = 0;
    size_t lines = 0;  // the key's lines, empty values counted
    size_t yesNo = 0;
    size_t whole = 0;
    size_t decimal = 0;
    size_t percent = 0;
    size_t noCode = 0;                         // "none" or nothing: fits every code kind
    std::unordered_map<size_t, size_t> code;   // one code of the category
    std::unordered_map<size_t, size_t> codes;  // one or more codes of the category
    std::unordered_map<size_t, size_t> lengths;  // by the number of items

    void Add(const Counts& other) {
        values += other.values;
        lines += other.lines;
        yesNo += other.yesNo;
        whole += other.whole;
        decimal += other.decimal;
        percent += other.percent;
        noCode += other.noCode;
        for (const auto& [category, count] : other.code) code[category] += count;
        for (const auto& [category, count] : other.codes) codes[category] += count;
        for (const auto& [items, count] : other.lengths) lengths[items] += count;
    }

    void Subtract(const Counts& other) {
        values -= other.values;
        lines -= other.lines;
        yesNo -= other.yesNo;
        whole -= other.whole;
        decimal -= other.decimal;
        percent -= other.percent;
        noCode -= other.noCode;
        for (const auto& [category, count] : other.code) code[category] -= count;
        for (const auto& [category, count] : other.codes) codes[category] -= count;
        for (const auto& [items, count] : other.lengths) lengths[items] -= count;
    }

    size_t FitOf(const ValueKind& kind, int category) const {
        const auto codeCount = [&](const std::unordered_map<size_t, size_t>& counts) {
            if (category < 0) return noCode;
            const auto it = counts.find(static_cast<size_t>(category));
            return noCode + (it == counts.end() ? 0 : it->second);
        };
        switch (kind.Of) {
            case KindOf::YesNo: return yesNo;
            case KindOf::WholeNumber: return whole;
            case KindOf::Decimal: return decimal;
            case KindOf::Percent: return percent;
            case KindOf::CodeOf: return codeCount(code);
            case KindOf::CodesOf: return codeCount(codes);
            case KindOf::Text: break;
        }
        return values;
    }
};

// What one value fits.
struct Fit {
    KindOf kind = KindOf::Text;      // yes/no, a number kind, or text for no plain kind
    size_t codes = 0;                // the codes it names, "none" not counted
    size_t items = 1;                // its comma list's items, "none" counted
    std::vector<size_t> categories;  // the categories that list every one of them
};

void Count(const Fit& fit, Counts& counts) {
    ++counts.values;
    ++counts.lengths[fit.items];
    switch (fit.kind) {
        case KindOf::YesNo: ++counts.yesNo; return;
        case KindOf::WholeNumber: ++counts.whole; ++counts.decimal; return;
        case KindOf::Decimal: ++counts.decimal; return;
        case KindOf::Percent: ++counts.percent; return;
        default: break;
    }
    if (fit.codes == 0) ++counts.noCode;
    for (size_t c : fit.categories) {
        ++counts.codes[c];
        if (fit.codes == 1) ++counts.code[c];
    }
}

}  // namespace

// A key's counts: of every value the learning reads, and of the document's own, which the findings
// quote ("312 of 313 InfantryTypes entries").
struct KindLearner::Tally {
    Counts all;
    Counts own;

    void Add(const Tally& other) {
        all.Add(other.all);
        own.Add(other.own);
    }
    void Subtract(const Tally& other) {
        all.Subtract(other.all);
        own.Subtract(other.own);
    }
};

// The tallies of the keys of one category (or of all), by key name without regard to letter case.
struct KindLearner::KeyTallies {
    std::unordered_map<std::string, size_t, NameHash, NameEqual> index{0, NameHash{false}, NameEqual{false}};
    std::vector<std::pair<std::string, Tally>> keys;  // as first spelled, in the order first met

    Tally& At(std::string_view key) {
        auto it = index.find(key);
        if (it == index.end()) {
            it = index.emplace(std::string(key), keys.size()).first;
            keys.emplace_back(std::string(key), Tally{});
        }
        return keys[it->second].second;
    }

    const Tally* Find(std::string_view key) const {
        const auto it = index.find(key);
        return it == index.end() ? nullptr : &keys[it->second].second;
    }
};

size_t KindLearner::NameHash::operator()(std::string_view name) const {
    return caseSensitive ? std::hash<std::string_view>{}(name) : static_cast<size_t>(HashNoCase(name));
}

bool KindLearner::NameEqual::operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() && NamesEqual(a, b, caseSensitive);
}

namespace {

const IniSection* SectionOf(const IniStore* store, std::string_view code) {
    if (store == nullptr) return nullptr;
    const int at = store->IndexOfSection(code);
    return at < 0 ? nullptr : &store->SectionAt(static_cast<size_t>(at));
}

std::string_view ValueOfKey(const IniSection& section, std::string_view key, bool& found) {
    const long line = section.IndexOfKey(key);
    found = line >= 0;
    return found ? section.LineAt(static_cast<size_t>(line)).ValueText() : std::string_view();
}

}  // namespace

KindLearner::KindLearner(std::vector<KindCategory> categories, bool caseSensitive)
    : m_categories(std::move(categories)),
      m_caseSensitive(caseSensitive),
      m_listedIn(0, NameHash{caseSensitive}, NameEqual{caseSensitive}),
      m_across(std::make_unique<KeyTallies>()) {
    for (size_t c = 0; c < m_categories.size(); ++c) {
        // An entry listed twice is one entry.
        std::vector<std::string>& entries = m_categories[c].Entries;
        std::unordered_set<std::string> seen;
        std::erase_if(entries, [&](const std::string& code) { return !seen.insert(NameKey(code, m_caseSensitive)).second; });
        for (const std::string& code : entries) m_listedIn[code].push_back(c);
        m_perCategory.push_back(std::make_unique<KeyTallies>());
    }
}

KindLearner::~KindLearner() = default;

const std::vector<size_t>& KindLearner::ListedIn(std::string_view code) const {
    static const std::vector<size_t> None;
    const auto it = m_listedIn.find(code);
    return it == m_listedIn.end() ? None : it->second;
}

int KindLearner::CategoryIndex(std::string_view name) const {
    for (size_t c = 0; c < m_categories.size(); ++c)
        if (EqualsNoCase(m_categories[c].Name, name)) return static_cast<int>(c);
    return -1;
}

void KindLearner::CountValue(std::string_view value, Tally& tally, bool own) const {
    ++tally.all.lines;
    if (own) ++tally.own.lines;
    value = ComparableValue(value);
    if (value.empty()) return;  // a key left empty says nothing of the kind its values take
    Fit fit;
    if (IsYesNo(value)) {
        fit.kind = KindOf::YesNo;
    } else if (IsWholeNumber(value)) {
        fit.kind = KindOf::WholeNumber;
    } else if (IsDecimal(value)) {
        fit.kind = KindOf::Decimal;
    } else if (IsPercent(value)) {
        fit.kind = KindOf::Percent;
    } else {
        static const std::vector<size_t> NoCategory;
        fit.items = 0;
        ForEachValueItem(value, [&](std::string_view item) {
            ++fit.items;
            if (IsNoCode(item)) return;
            const auto it = m_listedIn.find(item);
            const std::vector<size_t>& listed = it == m_listedIn.end() ? NoCategory : it->second;
            if (fit.codes++ == 0) {
                fit.categories = listed;
            } else {
                std::erase_if(fit.categories,
                              [&](size_t c) { return std::find(listed.begin(), listed.end(), c) == listed.end(); });
            }
        });
    }
    Count(fit, tally.all);
    if (own) Count(fit, tally.own);
}

void KindLearner::CountEntry(std::string_view code, std::string_view onlyKey,
                             const IniStore& document, const IniStore* defaults, KeyTallies& into) const {
    const IniSection* own = SectionOf(&document, code);
    if (own == nullptr) return;  // listed for other documents of the file type
    const IniSection* original = SectionOf(defaults, code);
    // The default copy's value counts too where the document changed it, so that a typo made in
    // many entries does not teach the learning its own kind.
    const auto countOriginal = [&](size_t, std::string_view key, std::string_view value) {
        bool present = false;
        const std::string_view current = ValueOfKey(*own, key, present);
        if (!present || ValuesDiffer(current, value, m_caseSensitive)) CountValue(value, into.At(key), false);
    };
    if (!onlyKey.empty()) {
        bool present = false;
        const std::string_view value = ValueOfKey(*own, onlyKey, present);
        if (present) CountValue(value, into.At(onlyKey), true);
        if (original != nullptr) {
            const std::string_view old = ValueOfKey(*original, onlyKey, present);
            if (present) countOriginal(0, onlyKey, old);
        }
        return;
    }
    ForEachFirstKeyLine(*own,
                        [&](size_t, std::string_view key, std::string_view value) { CountValue(value, into.At(key), true); });
    if (original != nullptr) ForEachFirstKeyLine(*original, countOriginal);
}

void KindLearner::Learn(const IniStore& document, const IniStore* defaults) {
    m_across = std::make_unique<KeyTallies>();
    for (size_t c = 0; c < m_categories.size(); ++c) {
        auto tallies = std::make_unique<KeyTallies>();
        for (const std::string& code : m_categories[c].Entries) CountEntry(code, {}, document, defaults, *tallies);
        for (const auto& [key, tally] : tallies->keys) m_across->At(key).Add(tally);
        m_perCategory[c] = std::move(tallies);
    }
}

void KindLearner::Relearn(std::string_view code, std::string_view key, const IniStore& document,
                          const IniStore* defaults) {
    const auto listed = m_listedIn.find(code);
    if (listed == m_listedIn.end() || key.empty()) return;
    for (size_t c : listed->second) RecountKey(c, key, document, defaults);
}

void KindLearner::Relearn(const std::set<std::pair<std::string, std::string>>& values,
                          const IniStore& document, const IniStore* defaults) {
    // Keys are one without regard to letter case, as the tallies hold them.
    std::set<std::pair<size_t, std::string>> counted;
    for (const auto& [code, key] : values) {
        const auto listed = m_listedIn.find(code);
        if (listed == m_listedIn.end() || key.empty()) continue;
        for (size_t c : listed->second)
            if (counted.emplace(c, FoldCase(key)).second) RecountKey(c, key, document, defaults);
    }
}

void KindLearner::RecountKey(size_t category, std::string_view key, const IniStore& document,
                             const IniStore* defaults) {
    KeyTallies fresh;
    fresh.At(key);
    for (const std::string& entry : m_categories[category].Entries) CountEntry(entry, key, document, defaults, fresh);
    Tally& kept = m_perCategory[category]->At(key);
    Tally& across = m_across->At(key);
    across.Subtract(kept);
    kept = fresh.keys.front().second;
    across.Add(kept);
}

const KindLearner::Tally* KindLearner::TallyOf(size_t category, std::string_view key, bool& across) const {
    const Tally* own = category < m_perCategory.size() ? m_perCategory[category]->Find(key) : nullptr;
    across = own == nullptr || own->all.values < MinValues;
    return across ? m_across->Find(key) : own;
}

namespace {

// The narrowest kind that `percent` percent of the values fit; text when none does. A key whose
// numbers are whole but for a few decimals takes decimals: the decimals are no slips.
ValueKind KindOfCounts(const Counts& all, size_t percent, const std::vector<KindCategory>& categories) {
    const auto fits = [&](size_t fit) { return fit * 100 >= percent * all.values; };
    if (fits(all.yesNo)) return {KindOf::YesNo, {}};
    if (fits(all.whole) && all.whole == all.decimal) return {KindOf::WholeNumber, {}};
    if (fits(all.decimal)) return {KindOf::Decimal, {}};
    if (fits(all.percent)) return {KindOf::Percent, {}};
    // The category most values name; at least one value must name an entry of it.
    for (const auto& [kind, counts] : {std::pair{KindOf::CodeOf, &all.code}, std::pair{KindOf::CodesOf, &all.codes}}) {
        size_t best = 0;
        size_t bestCount = 0;
        for (const auto& [c, count] : *counts)
            if (count > bestCount || (count == bestCount && count > 0 && c < best)) {
                best = c;
                bestCount = count;
            }
        if (bestCount > 0 && fits(bestCount + all.noCode)) return {kind, categories[best].Name};
    }
    return {};
}

}  // namespace

KindCount KindLearner::CountOf(const Tally& tally, const ValueKind& kind, bool across) const {
    const int codeCategory = kind.IsCode() ? CategoryIndex(kind.Category) : -1;
    return KindCount{kind, tally.own.FitOf(kind, codeCategory), tally.own.values, across};
}

KindCount KindLearner::Learned(size_t category, std::string_view key) const {
    const Tally* own = category < m_perCategory.size() ? m_perCategory[category]->Find(key) : nullptr;
    if (own != nullptr && own->all.values >= MinValues)
        return CountOf(*own, KindOfCounts(own->all, FitPercent, m_categories), false);
    // Too few values in the category: the key's values in all categories decide, unless the
    // category's own values all show a kind of their own that the others do not ("ROF=1.0" in a
    // category of difficulty levels, where the weapons' rates are whole numbers).
    const Tally* across = m_across->Find(key);
    const ValueKind acrossKind = across != nullptr && across->all.values >= MinValues
                                     ? KindOfCounts(across->all, FitPercent, m_categories)
                                     : ValueKind{};
    if (own != nullptr && own->all.values > 0) {
        const int codeCategory = acrossKind.IsCode() ? CategoryIndex(acrossKind.Category) : -1;
        if (own->all.FitOf(acrossKind, codeCategory) < own->all.values) {
            const ValueKind ownKind = KindOfCounts(own->all, 100, m_categories);
            if (ownKind.Of != KindOf::Text) return CountOf(*own, ownKind, false);
        }
    }
    if (across == nullptr) return {};
    return CountOf(*across, acrossKind, true);
}

KindCount KindLearner::Counted(size_t category, std::string_view key, const ValueKind& kind) const {
    bool across = false;
    const Tally* tally = TallyOf(category, key, across);
    if (tally == nullptr) return {kind, 0, 0, across};
    const int codeCategory = kind.IsCode() ? CategoryIndex(kind.Category) : -1;
    return {kind, tally->own.FitOf(kind, codeCategory), tally->own.values, across};
}

LengthCount KindLearner::LearnedLength(size_t category, std::string_view key) const {
    bool across = false;
    const Tally* tally = TallyOf(category, key, across);
    if (tally == nullptr || tally->all.values < MinValues) return {};
    const auto most = std::max_element(tally->all.lengths.begin(), tally->all.lengths.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most == tally->all.lengths.end() || most->first < 2 || most->second * 100 < FitPercent * tally->all.values)
        return {};
    const auto own = tally->own.lengths.find(most->first);
    return {most->first, own == tally->own.lengths.end() ? 0 : own->second, tally->own.values, across};
}

size_t KindLearner::LinesIn(size_t category, std::string_view key) const {
    const Tally* tally = category < m_perCategory.size() ? m_perCategory[category]->Find(key) : nullptr;
    return tally == nullptr ? 0 : tally->own.lines;
}

KindCount KindLearner::LearnedAcross(std::string_view key) const {
    return Learned(m_perCategory.size(), key);
}

std::vector<std::string> KindLearner::Keys(size_t category) const {
    std::vector<std::string> keys;
    for (const auto& [key, tally] : m_perCategory[category]->keys)
        if (tally.all.values > 0) keys.push_back(key);
    return keys;
}

std::vector<std::string> KindLearner::AllKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, tally] : m_across->keys)
        if (tally.all.values > 0) keys.push_back(key);
    return keys;
}

}  // namespace velmora
