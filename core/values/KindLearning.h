// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/values/ValueKinds.h"

namespace velmora {

class IniStore;

// The number of items that most of a key's comma lists hold, and how many of the document's values
// hold that many. No items when the key's lists show no such number.
struct LengthCount {
    size_t Items = 0;
    size_t Fit = 0;
    size_t Values = 0;
    bool AcrossCategories = false;
};

// The entries a category lists, as the learning reads them.
struct KindCategory {
    std::string Name;
    std::vector<std::string> Entries;  // codes in list order; a code may be listed twice
};

// The kind of a key and how many of the document's values of it fit that kind.
struct KindCount {
    ValueKind Kind;
    size_t Fit = 0;
    size_t Values = 0;
    bool AcrossCategories = false;  // too few values in the category: all categories' values counted
};

// Learns the kind of each key of each category from the values the category's entries hold, in
// the document and in the default copy (where the default copy's value differs from the
// document's, so that an unchanged entry counts once); an empty value counts for no kind. A key's
// kind is the narrowest that at least 95% of at least 5 values fit, and a key whose numbers are
// whole but for some decimals takes decimals. A key with fewer values in its category is judged on
// its values in all categories, unless all of the category's own values fit a kind of their own
// that the values of all categories do not show. The learning is one pass over the entries' lines;
// after a value changes, only that key of the categories listing the entry is counted again.
class KindLearner {
public:
    static constexpr size_t MinValues = 5;
    static constexpr size_t FitPercent = 95;

    KindLearner(std::vector<KindCategory> categories, bool caseSensitive);
    ~KindLearner();
    KindLearner(const KindLearner&) = delete;
    KindLearner& operator=(const KindLearner&) = delete;

    // Counts every value afresh. `defaults` may be null: the document alone is read.
    void Learn(const IniStore& document, const IniStore* defaults);
    // Counts the values of `key` afresh in every category that lists `code`.
    void Relearn(std::string_view code, std::string_view key, const IniStore& document,
                 const IniStore* defaults);
    // The same for the (code, key) pairs of one edit: each key of each category is counted once,
    // however many of the category's entries the edit changed.
    void Relearn(const std::set<std::pair<std::string, std::string>>& values, const IniStore& document,
                 const IniStore* defaults);

    const std::vector<KindCategory>& Categories() const { return m_categories; }
    // The categories (positions) that list the entry `code`; none when no category lists it.
    const std::vector<size_t>& ListedIn(std::string_view code) const;
    // The position of the category of that name (letter case ignored); -1 when none.
    int CategoryIndex(std::string_view name) const;

    // The learned kind of `key` in category `category`; text with no values for a key never seen.
    KindCount Learned(size_t category, std::string_view key) const;
    // How many of the same values fit `kind` (a kind pinned by the definition file).
    KindCount Counted(size_t category, std::string_view key, const ValueKind& kind) const;
    // The number of items that at least 95% of at least 5 of the key's values hold, when it is 2
    // or more: a single value is no list. Judged on the category's values, or on all categories'
    // when it holds fewer than 5, as the kinds are.
    LengthCount LearnedLength(size_t category, std::string_view key) const;
    // How many of the category's entries in the document have a line of `key`, empty or not.
    size_t LinesIn(size_t category, std::string_view key) const;
    // The kind learned from the key's values in all categories.
    KindCount LearnedAcross(std::string_view key) const;

    // The keys met in the category's entries, as first spelled, in the order first met.
    std::vector<std::string> Keys(size_t category) const;
    // The keys met in any category, as first spelled, in the order first met.
    std::vector<std::string> AllKeys() const;

    struct Tally;
    struct KeyTallies;

private:
    const Tally* TallyOf(size_t category, std::string_view key, bool& across) const;
    // How many of the document's own values of the tally fit `kind`.
    KindCount CountOf(const Tally& tally, const ValueKind& kind, bool across) const;
    void CountEntry(std::string_view code, std::string_view onlyKey, const IniStore& document,
                    const IniStore* defaults, KeyTallies& into) const;
    void CountValue(std::string_view value, Tally& tally, bool own) const;
    void RecountKey(size_t category, std::string_view key, const IniStore& document,
                    const IniStore* defaults);

    std::vector<KindCategory> m_categories;
    bool m_caseSensitive;
    // Names compared by the NamesEqual rule, looked up by view without a copy.
    struct NameHash {
        using is_transparent = void;
        bool caseSensitive = true;
        size_t operator()(std::string_view name) const;
    };
    struct NameEqual {
        using is_transparent = void;
        bool caseSensitive = true;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // The categories that list each entry.
    std::unordered_map<std::string, std::vector<size_t>, NameHash, NameEqual> m_listedIn;
    std::vector<std::unique_ptr<KeyTallies>> m_perCategory;
    std::unique_ptr<KeyTallies> m_across;
};

}  // namespace velmora
