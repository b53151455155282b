// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/values/ValueCheck.h"

#include <algorithm>

#include "core/values/FirstKeyLines.h"
#include "core/choice/ChoiceLists.h"
#include "core/store/Routines.h"
#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

PinnedKinds ReadPinnedKinds(const IniStore& definition, const std::vector<KindCategory>& categories) {
    PinnedKinds pinned;
    const int at = definition.IndexOfSection(ValueKindsSection);
    if (at < 0) return pinned;
    const IniSection& section = definition.SectionAt(static_cast<size_t>(at));
    std::string_view key;
    for (size_t i = 0; i < section.Count(); ++i) {
        const IniSection::Line& line = section.LineAt(i);
        if (!line.KeyName(key) || key.empty()) continue;
        const std::string text = StripComment(line.ValueText());
        const std::string where = std::string("[") + ValueKindsSection + "] " + std::string(key) + "=" + text;
        std::optional<ValueKind> kind = ParseKind(text);
        if (!kind) {
            pinned.Problems.push_back(where + ": no such kind");
            continue;
        }
        if (kind->IsCode()) {
            const auto category = std::find_if(categories.begin(), categories.end(), [&](const KindCategory& c) {
                return EqualsNoCase(c.Name, kind->Category);
            });
            if (category == categories.end()) {
                pinned.Problems.push_back(where + ": no category " + kind->Category);
                continue;
            }
            kind->Category = category->Name;
        }
        // The first line of a key wins, as everywhere else.
        pinned.Kinds.try_emplace(FoldCase(key), std::move(*kind));
    }
    return pinned;
}

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

std::string FindingReason(const std::string& category, const KeyKind& kind) {
    const KindCount& count = kind.Count;
    const std::string entries = count.AcrossCategories ? Counted(count.Values, "entry", "entries") + " of all categories"
                                                       : Counted(count.Values, category + " entry", category + " entries");
    return "expected " + ExpectedText(count.Kind) + (kind.Pinned ? " (pinned)" : "") + "; " +
           std::to_string(count.Fit) + " of " + entries + (count.Fit == 1 ? " has one" : " have one");
}

ValueCheck::ValueCheck(const Workspace& workspace) : m_workspace(workspace) { Learn(); }

ValueCheck::~ValueCheck() = default;

void ValueCheck::Learn() {
    m_learner = std::make_unique<KindLearner>(KindCategoriesOf(m_workspace), m_workspace.G().CaseSensitive);
    m_rows.clear();
    m_namedSources.clear();
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
    m_learner->Learn(m_workspace.Doc().Store(), m_workspace.DefaultIni());
}

KeyKind ValueCheck::KindOf(size_t category, std::string_view key) const {
    const auto pinned = m_pinned.Kinds.find(FoldCase(key));
    if (pinned != m_pinned.Kinds.end()) return {std::string(key), m_learner->Counted(category, key, pinned->second), true};
    return {std::string(key), m_learner->Learned(category, key), false};
}

std::vector<KeyKind> ValueCheck::KindsOf(size_t category) const {
    std::vector<KeyKind> kinds;
    for (const std::string& key : m_learner->Keys(category)) kinds.push_back(KindOf(category, key));
    return kinds;
}

std::optional<std::string> ValueCheck::MisfitIn(size_t category, const KeyKind& kind, std::string_view value,
                                                DanglingRule& rule) const {
    const std::string& key = kind.Key;
    const ValueKind& expected = kind.Count.Kind;
    value = ComparableValue(value);
    // An empty value is the game's default, whatever the kind.
    if (expected.Of == KindOf::Text || value.empty()) return std::nullopt;
    bool fits = true;
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
            fits = fits && !rule.Dangles(item, reference);
        });
        if (expected.Of == KindOf::CodeOf && codes > 1) fits = false;
    }
    if (fits) return std::nullopt;
    return FindingReason(m_learner->Categories()[category].Name, kind);
}

const KeyKind& ValueCheck::KnownKind(std::vector<KeyKind>& known, size_t category, std::string_view key) const {
    for (const KeyKind& kind : known)
        if (EqualsNoCase(kind.Key, key)) return kind;
    return known.emplace_back(KindOf(category, key));
}

std::vector<ValueFinding> ValueCheck::Findings() const {
    std::vector<ValueFinding> findings;
    if (!m_workspace.Doc().HasDocument() || m_rows.empty()) return findings;
    const IniStore& document = m_workspace.Doc().Store();
    DanglingRule rule(m_workspace);
    const std::vector<KindCategory>& categories = m_learner->Categories();
    for (size_t c = 0; c < categories.size(); ++c) {
        // Most keys fit: their kind is settled once per category, not once per value.
        std::unordered_map<uint64_t, std::vector<KeyKind>> kinds;  // by the key's hash
        for (const std::string& code : categories[c].Entries) {
            const int at = document.IndexOfSection(code);
            if (at < 0) continue;
            const IniSection& section = document.SectionAt(static_cast<size_t>(at));
            ForEachFirstKeyLine(section, [&](size_t line, std::string_view key, std::string_view value) {
                const KeyKind& kind = KnownKind(kinds[HashNoCase(key)], c, key);
                if (kind.Count.Kind.Of == KindOf::Text) return;
                if (std::optional<std::string> reason = MisfitIn(c, kind, value, rule))
                    findings.push_back({{static_cast<size_t>(at), line}, categories[c].Name, code, std::string(key),
                                        std::string(ComparableValue(value)), std::move(*reason)});
            });
        }
    }
    // An entry that several categories list is reported once, for the first of them.
    std::stable_sort(findings.begin(), findings.end(),
                     [](const ValueFinding& a, const ValueFinding& b) { return a.Place < b.Place; });
    findings.erase(std::unique(findings.begin(), findings.end(),
                               [](const ValueFinding& a, const ValueFinding& b) { return a.Place == b.Place; }),
                   findings.end());
    return findings;
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
        if (std::optional<std::string> reason = MisfitIn(c, KindOf(c, key), value, rule)) return reason;
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
