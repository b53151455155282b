// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/ModReferences.h"

#include <algorithm>
#include <set>

#include "core/catalogue/Workspace.h"
#include "core/choice/ChoiceLists.h"
#include "core/store/IniStore.h"
#include "core/store/Routines.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"

namespace velmora {

std::string KindName(const Workspace& kind) { return ChangeFileExt(kind.FileToEdit(), ""); }

std::optional<KindSource> ParseKindSource(std::string_view source) {
    if (!IsKindSource(source)) return std::nullopt;
    const size_t colon = source.find(':');
    return KindSource{Trim(source.substr(0, colon)), Trim(source.substr(colon + 1))};
}

const Workspace* KindNamed(const std::vector<const Workspace*>& kinds, std::string_view name) {
    for (const Workspace* kind : kinds)
        if (EqualsNoCase(KindName(*kind), name)) return kind;
    return nullptr;
}

namespace {

// What a kind source's category gives, as within a kind: a category its entries, any other name
// its list of values.
StringList NamesOfCategory(const Workspace& kind, const std::string& category) {
    StringList names;
    const int row = CategoryRowOfSource(category, kind);
    if (row >= 0)
        kind.GetReadSectionValuesOnly(kind.CategoryKinds()[static_cast<size_t>(row)],
                                      kind.CategoryRows()[static_cast<size_t>(row)], names);
    else
        kind.GetListValues(category, names);
    return names;
}

}  // namespace

void AddKindSourceValues(BasicList& list, const std::vector<const Workspace*>& kinds) {
    std::vector<std::string> missing;
    for (const std::string& source : list.MissingSources) {
        const std::optional<KindSource> parsed = ParseKindSource(source);
        const Workspace* kind = parsed ? KindNamed(kinds, parsed->Kind) : nullptr;
        if (kind == nullptr || !kind->Doc().HasStores()) {
            missing.push_back(source);
            continue;
        }
        const size_t before = list.Items.size();
        if (parsed->Category == "*") {
            const IniStore& store = kind->Doc().Store();
            for (size_t i = 0; i < store.SectionCount(); ++i) list.Items.emplace_back(store.SectionAt(i).Name());
        } else {
            for (const StringItem& name : NamesOfCategory(*kind, parsed->Category)) list.Items.push_back(name.text);
        }
        if (list.Items.size() == before) missing.push_back(source);
    }
    list.MissingSources = std::move(missing);
}

ModNames::ModNames(std::vector<const Workspace*> kinds) : m_kinds(std::move(kinds)) {}

bool ModNames::Allows(std::string_view source, std::string_view item) {
    const std::optional<KindSource> parsed = ParseKindSource(source);
    if (!parsed) return false;
    const Workspace* kind = KindNamed(m_kinds, parsed->Kind);
    // A kind nobody opened cannot be judged; KindSourceProblems names it.
    if (kind == nullptr || !kind->Doc().HasStores()) return true;
    const IniStore& store = kind->Doc().Store();
    if (parsed->Category == "*") return store.IndexOfSection(item) >= 0;

    auto [it, isNew] = m_allowed.try_emplace(FoldCase(source));
    if (isNew) {
        for (const StringItem& name : NamesOfCategory(*kind, parsed->Category)) it->second.insert(FoldCase(name.text));
    }
    return it->second.count(FoldCase(item)) != 0;
}

namespace {

std::string KindList(const std::vector<const Workspace*>& kinds) {
    std::string list;
    for (const Workspace* kind : kinds) list.append(list.empty() ? "" : ", ").append(KindName(*kind));
    return list;
}

// Calls `visit` with each kind source of each reference key of the kind.
template <class Visit>
void ForEachKindSource(const Workspace& kind, Visit&& visit) {
    if (!kind.Doc().HasDefinition()) return;
    for (size_t row = 0; row < kind.CategoryRows().size(); ++row)
        for (const ReferenceKey& key : ReferenceKeysOf(kind, row))
            for (const std::string& source : key.OtherSources)
                if (const std::optional<KindSource> parsed = ParseKindSource(source)) visit(key, source, *parsed);
}

}  // namespace

std::vector<std::string> KindSourceProblems(const std::vector<const Workspace*>& kinds) {
    std::vector<std::string> problems;
    std::set<std::string> told;
    for (const Workspace* kind : kinds) {
        const std::string definition = ExtractFileName(kind->Doc().Definition().FileName());
        ForEachKindSource(*kind, [&](const ReferenceKey& key, const std::string& source, const KindSource& parsed) {
            const Workspace* target = KindNamed(kinds, parsed.Kind);
            std::string problem;
            if (target == nullptr) {
                problem = definition + ": " + key.Key + ": ~@" + source + "@~ names no kind of file (the kinds are " +
                          KindList(kinds) + ")";
            } else if (parsed.Category != "*" && CategoryRowOfSource(parsed.Category, *target) < 0) {
                StringList values;
                target->GetListValues(parsed.Category, values);
                if (values.Empty())
                    problem = definition + ": " + key.Key + ": ~@" + source + "@~ names no category of " +
                              target->FileToEdit();
            }
            if (!problem.empty() && told.insert(FoldCase(problem)).second) problems.push_back(std::move(problem));
        });
    }
    return problems;
}

FileLines::FileLines(const IniStore& store) : m_store(store) {
    size_t next = 1 + store.Preamble().size();
    m_headerLine.reserve(store.SectionCount());
    for (size_t s = 0; s < store.SectionCount(); ++s) {
        const IniSection& section = store.SectionAt(s);
        if (const auto* leading = section.LeadingComments())
            next += leading->size();
        else if (section.Header().empty())
            next += 1;  // the blank line before a section an edit added
        m_headerLine.push_back(next);
        next += 1;
        for (size_t l = 0; l < section.Count(); ++l) {
            if (const auto* comments = section.CommentsOf(l)) next += comments->size();
            next += 1;
        }
    }
}

size_t FileLines::Of(const LinePlace& place) const {
    const IniSection& section = m_store.SectionAt(place.Section);
    size_t line = m_headerLine[place.Section] + 1;
    for (size_t l = 0; l <= place.Line && l < section.Count(); ++l) {
        if (const auto* comments = section.CommentsOf(l)) line += comments->size();
        if (l < place.Line) line += 1;
    }
    return line;
}

std::vector<ModDanglingItem> FindModDanglingItems(const std::vector<const Workspace*>& kinds) {
    ModNames names(kinds);
    std::vector<ModDanglingItem> found;
    for (const Workspace* kind : kinds) {
        if (!kind->Doc().HasStores()) continue;
        const FileLines lines(kind->Doc().Store());
        for (DanglingItem& item : FindDanglingItems(*kind, &names)) {
            const size_t line = lines.Of(item.Place);
            found.push_back({kind, std::move(item), line});
        }
    }
    return found;
}

ModReferenceFindings CheckModReferences(const std::vector<const Workspace*>& kinds) {
    ModReferenceFindings found{FindModDanglingItems(kinds), {}};
    for (const Workspace* kind : kinds) {
        if (!kind->Doc().HasStores()) continue;
        for (DoubleListing& listing : FindDoubleListings(*kind)) found.Doubles.push_back({kind, std::move(listing)});
    }
    return found;
}

std::vector<ModUsage> FindModUsages(const std::vector<const Workspace*>& kinds, std::string_view code) {
    std::vector<ModUsage> found;
    for (const Workspace* kind : kinds) {
        if (!kind->Doc().HasDocument()) continue;
        const IniStore& store = kind->Doc().Store();
        const FileLines lines(store);
        for (Usage& usage : FindUsages(store, code, kind->G().CaseSensitive)) {
            const size_t line = lines.Of(usage.Place);
            found.push_back({kind, std::move(usage), line});
        }
    }
    return found;
}

std::vector<KindRewrites> OtherKindRewrites(const std::vector<Workspace*>& kinds, const Workspace& renamed,
                                            std::string_view category, std::string_view oldCode,
                                            std::string_view newCode) {
    const std::string renamedKind = KindName(renamed);
    std::vector<KindRewrites> rewrites;
    for (Workspace* kind : kinds) {
        if (kind == &renamed || !kind->Doc().HasStores()) continue;
        const bool caseSensitive = kind->G().CaseSensitive;
        std::vector<Usage> usages = FindUsages(kind->Doc().Store(), oldCode, caseSensitive);
        if (usages.empty()) continue;
        // The keys of this kind that name the renamed kind's category, or any of its sections.
        std::vector<std::string> keys;
        ForEachKindSource(*kind, [&](const ReferenceKey& key, const std::string&, const KindSource& source) {
            if (EqualsNoCase(source.Kind, renamedKind) &&
                (source.Category == "*" || EqualsNoCase(source.Category, category)))
                keys.push_back(FoldCase(key.Key));
        });
        std::sort(keys.begin(), keys.end());
        std::vector<Usage> references;
        std::vector<Usage> others;
        for (Usage& usage : usages) {
            const bool isReference = std::binary_search(keys.begin(), keys.end(), FoldCase(usage.Key()));
            (isReference ? references : others).push_back(std::move(usage));
        }
        rewrites.push_back({kind, RenameRewrites(references, oldCode, newCode, caseSensitive),
                            RenameRewrites(others, oldCode, newCode, caseSensitive)});
    }
    return rewrites;
}

}  // namespace velmora
