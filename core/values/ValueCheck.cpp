// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/values/ValueCheck.h"

#include <algorithm>

#include "core/values/FirstKeyLines.h"
#include "core/choice/ChoiceLists.h"
#include "core/store/Routines.h"
#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "core/references/ModReferences.h"
#include "core/store/MessageText.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

std::vector<std::string> PinLines(const KindLearner& learner) {
    std::vector<std::string> lines;
    for (const std::string& key : learner.AllKeys()) {
        const ValueKind kind = learner.LearnedAcross(key).Kind;
        if (kind.Of == KindOf::Text) continue;
        bool agreed = true;
        for (size_t c = 0; c < learner.Categories().size() && agreed; ++c) {
            const KindCount own = learner.Learned(c, key);
            agreed = own.AcrossCategories || own.Kind == kind;
        }
        if (agreed) lines.push_back(key + "=" + KindText(kind));
    }
    return lines;
}

std::vector<KindCategory> KindCategoriesOf(const Workspace& workspace) {
    std::vector<KindCategory> categories;
    StringList entries;
    for (size_t row = 0; row < workspace.CategoryRows().size(); ++row) {
        const std::string& name = workspace.CategoryRows()[row];
        if (name == Workspace::UnknownCategory) continue;
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[row], name, entries);
        KindCategory category{name, {}};
        category.Entries.reserve(entries.Count());
        for (const StringItem& code : entries) category.Entries.push_back(code.text);
        categories.push_back(std::move(category));
    }
    return categories;
}

namespace {

// "313 InfantryTypes entries", "21 entries of all categories".
std::string EntriesText(const std::string& category, size_t count, bool across) {
    return across ? Counted(count, "entry", "entries") + " of all categories"
                  : Counted(count, category + " entry", category + " entries");
}

}  // namespace

std::string FindingReason(const std::string& category, const KeyKind& kind) {
    const KindCount& count = kind.Count;
    const std::string entries = EntriesText(category, count.Values, count.AcrossCategories);
    return "expected " + ExpectedText(count.Kind) + (kind.Pinned ? " (pinned)" : "") + "; " +
           std::to_string(count.Fit) + " of " + entries + (count.Fit == 1 ? " has one" : " have one");
}

ValueCheck::ValueCheck(const Workspace& workspace, std::vector<const Workspace*> kinds)
    : m_workspace(workspace), m_kinds(std::move(kinds)) {
    Learn();
}

ValueCheck::~ValueCheck() = default;

void ValueCheck::Learn() {
    m_learner = std::make_unique<KindLearner>(KindCategoriesOf(m_workspace), m_workspace.G().CaseSensitive);
    m_rows.clear();
    m_namedSources.clear();
    m_listedSources.clear();
    m_kindSources.clear();
    if (!m_workspace.Doc().HasStores()) return;
    const IniStore& definition = m_workspace.Doc().Definition();
    for (const KindCategory& category : m_learner->Categories()) {
        m_rows.push_back(static_cast<size_t>(CategoryRowOfSource(category.Name, m_workspace)));
        // The keys whose value sources the definition file names: their codes are Check References'.
        std::unordered_set<std::string>& named = m_namedSources.emplace_back();
        StringList pages;
        m_workspace.GetPages(category.Name, pages);
        for (const StringItem& page : pages) {
            const int at = definition.IndexOfSection(page.text);
            if (at < 0) continue;
            const IniSection& lines = definition.SectionAt(static_cast<size_t>(at));
            std::string_view key;
            for (size_t i = 0; i < lines.Count(); ++i)
                if (lines.LineAt(i).KeyName(key) && ValueSourcesOf(lines.LineAt(i).ValueText()))
                    named.insert(FoldCase(key));
        }
    }
    m_pinned = ReadPinnedKinds(definition, m_learner->Categories());
    ReadListedSources();
    ReadKindSources();
    m_learner->Learn(m_workspace.Doc().Store(), m_workspace.DefaultIni());
}

void ValueCheck::ReadListedSources() {
    if (m_pinned.Listed.empty()) return;
    std::unordered_set<std::string> found;
    for (size_t c = 0; c < m_rows.size(); ++c) {
        auto& sources = m_listedSources.emplace_back();
        for (ReferenceKey& key : ReferenceKeysOf(m_workspace, m_rows[c])) {
            std::string folded = FoldCase(key.Key);
            if (m_pinned.Listed.count(folded) == 0) continue;
            found.insert(folded);
            sources.try_emplace(std::move(folded), std::move(key));
        }
    }
    std::vector<std::string> problems;
    for (const auto& [key, where] : m_pinned.Listed)
        if (found.count(key) == 0) problems.push_back(where + ": no page names a category as the source of its values");
    std::sort(problems.begin(), problems.end());
    m_pinned.Problems.insert(m_pinned.Problems.end(), problems.begin(), problems.end());
}

void ValueCheck::ReadKindSources() {
    if (m_kinds.empty()) return;
    for (const size_t row : m_rows) {
        auto& sources = m_kindSources.emplace_back();
        for (ReferenceKey& key : ReferenceKeysOf(m_workspace, row)) {
            const bool allOtherKinds =
                key.CategoryRows.empty() && !key.OtherSources.empty() &&
                std::all_of(key.OtherSources.begin(), key.OtherSources.end(), [&](const std::string& source) {
                    const std::optional<KindSource> other = ParseKindSource(source);
                    return other && KindNamed(m_kinds, other->Kind) != nullptr;
                });
            if (allOtherKinds) sources.try_emplace(FoldCase(key.Key), std::move(key.OtherSources));
        }
    }
}

KeyKind ValueCheck::KindOf(size_t category, std::string_view key) const {
    if (m_pinned.Kinds.count(FoldCase(key)) == 0 && category < m_kindSources.size())
        if (const auto sources = m_kindSources[category].find(FoldCase(key)); sources != m_kindSources[category].end())
            return KindSourcedOf(category, key, sources->second);
    return OwnKindOf(category, key);
}

KeyKind ValueCheck::KindSourcedOf(size_t category, std::string_view key, const std::vector<std::string>& sources) const {
    std::string names;
    for (const std::string& source : sources) {
        const std::optional<KindSource> other = ParseKindSource(source);
        if (!other) continue;
        names += (names.empty() ? "" : ", ") + (other->Category == "*" ? other->Kind + " sections" : source);
    }
    // Read afresh each time: the other kinds change beside this one.
    ModNames allowed(m_kinds);
    KindCount count{{KindOf::CodeOf, names}, 0, 0, false};
    const IniStore& document = m_workspace.Doc().Store();
    for (const std::string& code : m_learner->Categories()[category].Entries) {
        const int at = document.IndexOfSection(code);
        if (at < 0) continue;
        const IniSection& section = document.SectionAt(static_cast<size_t>(at));
        const long line = section.IndexOfKey(key);
        if (line < 0) continue;
        const std::string_view value = ComparableValue(section.LineAt(static_cast<size_t>(line)).ValueText());
        if (value.empty()) continue;
        ++count.Values;
        size_t codes = 0;
        bool fits = true;
        ForEachValueItem(value, [&](std::string_view item) {
            if (IsNoCode(item)) return;
            ++codes;
            fits = fits && std::any_of(sources.begin(), sources.end(),
                                       [&](const std::string& source) { return allowed.Allows(source, item); });
        });
        if (codes > 1) count.Kind.Of = KindOf::CodesOf;
        if (fits) ++count.Fit;
    }
    return {std::string(key), count, false};
}

KeyKind ValueCheck::OwnKindOf(size_t category, std::string_view key) const {
    const auto pinned = m_pinned.Kinds.find(FoldCase(key));
    if (pinned != m_pinned.Kinds.end()) return {std::string(key), m_learner->Counted(category, key, pinned->second), true};
    return {std::string(key), m_learner->Learned(category, key), false};
}

std::vector<KeyKind> ValueCheck::KindsOf(size_t category) const {
    std::vector<KeyKind> kinds;
    for (const std::string& key : m_learner->Keys(category)) kinds.push_back(KindOf(category, key));
    return kinds;
}

KeyRules ValueCheck::RulesOf(size_t category, std::string_view key) const {
    KeyRules rules;
    rules.Kind = OwnKindOf(category, key);
    const std::string folded = FoldCase(key);
    if (const auto range = m_pinned.Ranges.find(folded); range != m_pinned.Ranges.end()) rules.Range = &range->second;
    if (const auto list = m_pinned.Lists.find(folded); list != m_pinned.Lists.end())
        rules.List = &list->second;
    else
        rules.Length = m_learner->LearnedLength(category, key);
    if (category < m_listedSources.size())
        if (const auto sources = m_listedSources[category].find(folded); sources != m_listedSources[category].end())
            rules.Listed = &sources->second;
    return rules;
}

namespace {

// "a decimal number from 0 to 11", "a whole number of at least 1".
std::string RangeText(const ValueKind& kind, const NumberRange& range) {
    const size_t dots = range.Text.find("..");
    const std::string low = range.Text.substr(0, dots);
    const std::string high = range.Text.substr(dots + 2);
    if (!range.Low) return ExpectedText(kind) + " of at most " + high;
    if (!range.High) return ExpectedText(kind) + " of at least " + low;
    return ExpectedText(kind) + " from " + low + " to " + high;
}

// Why a list does not hold what its pin asks: its number of items, or an item of another kind.
std::optional<std::string> ListMisfit(const ListPin& pin, std::string_view value) {
    size_t items = 0;
    std::optional<std::string> odd;
    ForEachValueItem(value, [&](std::string_view item) {
        ++items;
        if (!odd && !FitsPlainKind(pin.ItemKind, item))
            odd = std::string(item) + " is not " + ExpectedText({pin.ItemKind, {}});
    });
    if (items != pin.Items) return "it has " + std::to_string(items);
    return odd;
}

}  // namespace

std::optional<ValueCheck::Judgement> ValueCheck::KindMisfit(size_t category, const KeyKind& kind,
                                                            std::string_view value, DanglingRule& rule) const {
    const std::string& key = kind.Key;
    const ValueKind& expected = kind.Count.Kind;
    if (expected.Of == KindOf::Text) return std::nullopt;
    bool fits = true;
    bool namesNothing = false;
    if (!expected.IsCode()) {
        fits = FitsPlainKind(expected.Of, value);
    } else {
        if (m_namedSources[category].count(FoldCase(key)) != 0) return std::nullopt;
        const int row = CategoryRowOfSource(expected.Category, m_workspace);
        if (row < 0) return std::nullopt;
        const ReferenceKey reference{key, {static_cast<size_t>(row)}, {}};
        size_t codes = 0;
        ForEachValueItem(value, [&](std::string_view item) {
            if (IsNoCode(item)) return;
            ++codes;
            if (rule.Dangles(item, reference)) namesNothing = true;
        });
        fits = !namesNothing && !(expected.Of == KindOf::CodeOf && codes > 1);
    }
    if (fits) return std::nullopt;
    // The game looks a code up when it reads the rules: one that names nothing stops it.
    return Judgement{FindingReason(m_learner->Categories()[category].Name, kind),
                     namesNothing ? Severity::WillCrash : Severity::LikelyWrong};
}

std::optional<ValueCheck::Judgement> ValueCheck::Unlisted(const ReferenceKey& sources, std::string_view value,
                                                          DanglingRule& rule) const {
    const IniStore& document = m_workspace.Doc().Store();
    std::optional<Judgement> unlisted;
    ForEachValueItem(value, [&](std::string_view item) {
        if (unlisted || IsNoCode(item) || document.IndexOfSection(item) < 0) return;
        const bool listed = std::any_of(sources.CategoryRows.begin(), sources.CategoryRows.end(),
                                        [&](size_t row) { return rule.IsEntryOf(item, row); });
        if (listed) return;
        std::string lists;
        for (size_t row : sources.CategoryRows)
            lists += (lists.empty() ? "" : " or ") + m_workspace.CategoryRows()[row];
        // The game makes only what its lists name: the section of an unlisted name is never read.
        unlisted = Judgement{std::string(item) + " is a section but no entry of " + lists, Severity::WillCrash};
    });
    return unlisted;
}

std::optional<ValueCheck::Judgement> ValueCheck::Judge(size_t category, const KeyRules& rules, std::string_view value,
                                                       DanglingRule& rule) const {
    value = ComparableValue(value);
    // An empty value is the game's default, whatever the kind.
    if (value.empty()) return std::nullopt;
    if (std::optional<Judgement> misfit = KindMisfit(category, rules.Kind, value, rule)) return misfit;
    if (rules.Listed != nullptr)
        if (std::optional<Judgement> unlisted = Unlisted(*rules.Listed, value, rule)) return unlisted;
    if (rules.List != nullptr) {
        if (std::optional<std::string> odd = ListMisfit(*rules.List, value))
            return Judgement{"expected " + ListPinText(*rules.List) + " (pinned); " + *odd};
    } else if (rules.Length.Items != 0) {
        size_t items = 0;
        ForEachValueItem(value, [&](std::string_view) { ++items; });
        const LengthCount& length = rules.Length;
        if (items != length.Items)
            return Judgement{"expected " + std::to_string(length.Items) + " items; " + std::to_string(length.Fit) +
                             " of " +
                             EntriesText(m_learner->Categories()[category].Name, length.Values,
                                         length.AcrossCategories) +
                             (length.Fit == 1 ? " has " : " have ") + std::to_string(length.Items)};
    }
    if (rules.Range != nullptr) {
        const std::optional<long double> number = NumberInValue(value);
        if (number && !rules.Range->Holds(*number))
            return Judgement{"expected " + RangeText(rules.Kind.Count.Kind, *rules.Range) + " (pinned)"};
    }
    return std::nullopt;
}

const KeyRules& ValueCheck::KnownRules(std::vector<KeyRules>& known, size_t category, std::string_view key) const {
    for (const KeyRules& rules : known)
        if (EqualsNoCase(rules.Kind.Key, key)) return rules;
    return known.emplace_back(RulesOf(category, key));
}

std::vector<ValueFinding> ValueCheck::Findings() const {
    std::vector<ValueFinding> findings;
    if (!m_workspace.Doc().HasDocument() || m_rows.empty()) return findings;
    const IniStore& document = m_workspace.Doc().Store();
    DanglingRule rule(m_workspace);
    const std::vector<KindCategory>& categories = m_learner->Categories();
    for (size_t c = 0; c < categories.size(); ++c) {
        // Most keys fit: their rules are settled once per category, not once per value.
        std::unordered_map<uint64_t, std::vector<KeyRules>> known;  // by the key's hash
        for (const std::string& code : categories[c].Entries) {
            const int at = document.IndexOfSection(code);
            if (at < 0) continue;
            const IniSection& section = document.SectionAt(static_cast<size_t>(at));
            ForEachFirstKeyLine(section, [&](size_t line, std::string_view key, std::string_view value) {
                const KeyRules& rules = KnownRules(known[HashNoCase(key)], c, key);
                if (!rules.JudgesValues()) return;
                if (std::optional<Judgement> judged = Judge(c, rules, value, rule))
                    findings.push_back({{static_cast<size_t>(at), line}, categories[c].Name, code, std::string(key),
                                        std::string(ComparableValue(value)), std::move(judged->Reason),
                                        judged->Severity});
            });
        }
        AddMissingKeys(c, findings);
    }
    // An entry that several categories list is reported once, for the first of them.
    // A key an entry lacks stands at the section's line 0, beside what its line 0 holds.
    const auto before = [](const ValueFinding& a, const ValueFinding& b) {
        if (a.Place != b.Place) return a.Place < b.Place;
        if (a.KeyMissing != b.KeyMissing) return b.KeyMissing;
        return FoldCase(a.Key) < FoldCase(b.Key);
    };
    std::stable_sort(findings.begin(), findings.end(), before);
    findings.erase(std::unique(findings.begin(), findings.end(),
                               [](const ValueFinding& a, const ValueFinding& b) {
                                   return a.Place == b.Place && a.KeyMissing == b.KeyMissing &&
                                          EqualsNoCase(a.Key, b.Key);
                               }),
                   findings.end());
    return findings;
}

void ValueCheck::AddMissingKeys(size_t category, std::vector<ValueFinding>& findings) const {
    const IniStore& document = m_workspace.Doc().Store();
    const IniStore* defaults = m_workspace.DefaultIni();
    const KindCategory& listed = m_learner->Categories()[category];
    struct Entry {
        const std::string& Code;
        size_t Place;
        const IniSection& Section;
    };
    std::vector<Entry> entries;
    for (const std::string& code : listed.Entries)
        if (const int at = document.IndexOfSection(code); at >= 0)
            entries.push_back({code, static_cast<size_t>(at), document.SectionAt(static_cast<size_t>(at))});
    struct Needed {
        std::string Key;
        std::string Reason;
        velmora::Severity Severity;
        bool Learned;
    };
    std::vector<Needed> needed;
    if (const auto pinned = m_pinned.Required.find(category); pinned != m_pinned.Required.end())
        for (const std::string& key : pinned->second)
            needed.push_back({key, listed.Name + " entries need " + key + " (pinned)", Severity::WillCrash, false});
    // A key that nearly every entry has, taken out of an entry of the game's own that had it. A new
    // entry may leave any key to the game's default: it is never told of one.
    if (defaults != nullptr && entries.size() >= KindLearner::MinValues)
        for (const std::string& key : m_learner->Keys(category)) {
            const size_t holding = m_learner->LinesIn(category, key);
            if (holding == entries.size() || holding * 100 < KindLearner::FitPercent * entries.size()) continue;
            if (std::any_of(needed.begin(), needed.end(), [&](const Needed& n) { return EqualsNoCase(n.Key, key); }))
                continue;
            needed.push_back({key, key + " is in " + std::to_string(holding) + " of " +
                                       Counted(entries.size(), listed.Name + " entry", listed.Name + " entries") +
                                       " and in the default copy of this one",
                              Severity::Note, true});
        }
    for (const Entry& entry : entries)
        for (const Needed& key : needed) {
            // A needed key left empty gives the game nothing either.
            const long line = entry.Section.IndexOfKey(key.Key);
            if (line >= 0 &&
                (key.Learned || !ComparableValue(entry.Section.LineAt(static_cast<size_t>(line)).ValueText()).empty()))
                continue;
            if (key.Learned) {
                const int original = defaults->IndexOfSection(entry.Code);
                if (original < 0 || defaults->SectionAt(static_cast<size_t>(original)).IndexOfKey(key.Key) < 0)
                    continue;
            }
            findings.push_back({{entry.Place, 0}, listed.Name, entry.Code, key.Key, "", key.Reason, key.Severity, true});
        }
}

std::optional<std::string> ValueCheck::Misfit(std::string_view code, std::string_view key,
                                              std::string_view value) const {
    if (!m_workspace.Doc().HasDocument()) return std::nullopt;
    DanglingRule rule(m_workspace);
    return Misfit(code, key, value, rule);
}

std::optional<std::string> ValueCheck::Misfit(std::string_view code, std::string_view key, std::string_view value,
                                              DanglingRule& rule) const {
    if (!m_workspace.Doc().HasDocument() || m_rows.empty()) return std::nullopt;
    for (size_t c : m_learner->ListedIn(code))
        if (std::optional<Judgement> judged = Judge(c, RulesOf(c, key), value, rule)) return std::move(judged->Reason);
    return std::nullopt;
}

bool ValueCheck::ListsChangeWith(std::string_view code) const {
    return m_learner->CategoryIndex(code) >= 0;
}

void ValueCheck::ValuesChanged(const std::set<TouchedValue>& touched) {
    if (!m_workspace.Doc().HasDocument()) return;
    // A line of a category's own list changes which entries it lists: learned afresh.
    for (const TouchedValue& value : touched)
        if (ListsChangeWith(value.first)) {
            Learn();
            return;
        }
    m_learner->Relearn(touched, m_workspace.Doc().Store(), m_workspace.DefaultIni());
}

}  // namespace velmora
