// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/RevertPlan.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <tuple>
#include <unordered_set>

#include "core/document/Document.h"
#include "core/store/Routines.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

IniError NoLongerFits() { return IniError("The list of changes no longer fits the document; compare again."); }

// A store as the steps find their places in it: sections by name under the letter-case flag, lines
// by key, each the first of its name.
class StoreLookup {
public:
    StoreLookup(const IniStore& store, bool caseSensitive) : m_store(store), m_caseSensitive(caseSensitive) {}

    std::optional<size_t> FindSection(std::string_view name) const {
        // The store's own index answers when it follows the same flag, as it does in the program.
        if (m_store.CaseSensitive() == m_caseSensitive) {
            const int index = m_store.IndexOfSection(name);
            return index < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(index));
        }
        for (size_t i = 0; i < m_store.SectionCount(); ++i)
            if (NamesEqual(m_store.SectionAt(i).Name(), name, m_caseSensitive)) return i;
        return std::nullopt;
    }

    long FindKey(size_t section, std::string_view key) const { return m_store.SectionAt(section).IndexOfKey(key); }

private:
    const IniStore& m_store;
    bool m_caseSensitive;
};

RevertPlace Locate(const StoreLookup& store, const RevertStep& step) {
    RevertPlace place;
    if (step.Action == RevertAction::InsertSection) {
        place.Section = 0;
        if (step.After) {
            const std::optional<size_t> after = store.FindSection(*step.After);
            if (!after) throw NoLongerFits();
            place.Section = *after + 1;
        }
        return place;
    }
    const std::optional<size_t> section = store.FindSection(step.Section);
    if (!section) throw NoLongerFits();
    place.Section = *section;
    if (step.Action == RevertAction::RemoveSection) return place;
    if (step.Action == RevertAction::InsertLine) {
        place.Line = 0;
        if (step.After) {
            const long after = store.FindKey(*section, *step.After);
            if (after < 0) throw NoLongerFits();
            place.Line = static_cast<size_t>(after) + 1;
        }
        return place;
    }
    const long line = store.FindKey(*section, step.Key);
    if (line < 0) throw NoLongerFits();
    place.Line = static_cast<size_t>(line);
    return place;
}

// For items put back at the reference positions `inserted` (ascending), the reference position of
// the item each goes directly after: the nearest one before it that the document holds (`held`)
// or that goes back before it. None: it goes first.
template <class Held>
std::vector<std::optional<size_t>> Anchors(const std::vector<size_t>& inserted, Held held) {
    std::vector<std::optional<size_t>> anchors;
    if (inserted.empty()) return anchors;
    std::optional<size_t> last;
    for (size_t p = inserted.front(); p-- > 0;) {
        if (held(p)) {
            last = p;
            break;
        }
    }
    for (size_t p = inserted.front(), next = 0; next < inserted.size(); ++p) {
        if (inserted[next] == p) {
            anchors.push_back(last);
            last = p;
            ++next;
        } else if (held(p)) {
            last = p;
        }
    }
    return anchors;
}

ReferenceLine CopyLine(const IniSection& section, size_t line) {
    ReferenceLine copy{std::string(section.LineAt(line).Raw()), {}};
    if (const auto* comments = section.CommentsOf(line)) copy.Comments.assign(comments->begin(), comments->end());
    return copy;
}

ReferenceSection CopySection(const IniSection& section) {
    ReferenceSection copy{std::string(section.Name()), std::string(section.Header()), {}, {}};
    if (const auto* leading = section.LeadingComments()) copy.LeadingComments.assign(leading->begin(), leading->end());
    copy.Lines.reserve(section.Count());
    for (size_t line = 0; line < section.Count(); ++line) copy.Lines.push_back(CopyLine(section, line));
    return copy;
}

// Builds the plan: checks each difference against the stores and turns it into its step.
class Planner {
public:
    Planner(const IniStore& document, const IniStore& reference, bool caseSensitive)
        : m_reference(reference),
          m_documentLookup(document, caseSensitive),
          m_referenceLookup(reference, caseSensitive),
          m_caseSensitive(caseSensitive) {}

    RevertPlan Plan(const std::vector<Difference>& selection) {
        std::vector<size_t> sectionsBack;
        std::vector<std::pair<size_t, size_t>> linesBack;  // reference section and line
        for (const Difference* distinct : Distinct(selection)) {
            const Difference& difference = *distinct;
            switch (difference.Kind()) {
                case DifferenceKind::ChangedValue: {
                    RevertStep& step = Step(RevertAction::ReplaceLine, difference.Section());
                    step.Key = difference.Key();
                    step.Line.Text = ReferenceSectionOf(difference).LineAt(ReferenceLineOf(difference)).Raw();
                    break;
                }
                case DifferenceKind::KeyOnlyInDocument:
                    Step(RevertAction::RemoveLine, difference.Section()).Key = difference.Key();
                    break;
                case DifferenceKind::SectionOnlyInDocument:
                    Step(RevertAction::RemoveSection, difference.Section());
                    break;
                case DifferenceKind::KeyOnlyInReference:
                    ReferenceSectionOf(difference);
                    linesBack.emplace_back(difference.ReferenceSection(), ReferenceLineOf(difference));
                    break;
                case DifferenceKind::SectionOnlyInReference:
                    ReferenceSectionOf(difference);
                    sectionsBack.push_back(difference.ReferenceSection());
                    break;
            }
        }
        PlanSectionsBack(std::move(sectionsBack));
        PlanLinesBack(std::move(linesBack));
        return std::move(m_plan);
    }

private:
    static std::vector<const Difference*> Distinct(const std::vector<Difference>& selection) {
        std::set<std::tuple<DifferenceKind, size_t, size_t, size_t, size_t>> seen;
        std::vector<const Difference*> distinct;
        for (const Difference& d : selection) {
            const bool first = seen.emplace(d.Kind(), d.DocumentSection(), d.DocumentLine(),
                                            d.ReferenceSection(), d.ReferenceLine())
                                   .second;
            if (first) distinct.push_back(&d);
        }
        return distinct;
    }

    RevertStep& Step(RevertAction action, std::string_view section) {
        RevertStep& step = m_plan.emplace_back();
        step.Action = action;
        step.Section = section;
        return step;
    }

    const IniSection& ReferenceSectionOf(const Difference& difference) const {
        if (difference.ReferenceSection() >= m_reference.SectionCount()) throw NoLongerFits();
        const IniSection& section = m_reference.SectionAt(difference.ReferenceSection());
        if (!NamesEqual(section.Name(), difference.Section(), m_caseSensitive)) throw NoLongerFits();
        return section;
    }

    size_t ReferenceLineOf(const Difference& difference) const {
        const IniSection& section = ReferenceSectionOf(difference);
        std::string_view key;
        if (difference.ReferenceLine() >= section.Count() ||
            !section.LineAt(difference.ReferenceLine()).KeyName(key) || !EqualsNoCase(key, difference.Key()))
            throw NoLongerFits();
        return difference.ReferenceLine();
    }

    // A reference section counts as held when it is the first of its name and the document has one
    // of that name.
    bool SectionHeld(size_t r) const {
        const std::string_view name = m_reference.SectionAt(r).Name();
        return m_referenceLookup.FindSection(name) == r && m_documentLookup.FindSection(name).has_value();
    }

    void PlanSectionsBack(std::vector<size_t> positions) {
        std::sort(positions.begin(), positions.end());
        const std::vector<std::optional<size_t>> anchors =
            Anchors(positions, [this](size_t r) { return SectionHeld(r); });
        for (size_t i = 0; i < positions.size(); ++i) {
            const IniSection& section = m_reference.SectionAt(positions[i]);
            RevertStep& step = Step(RevertAction::InsertSection, std::string(section.Name()));
            if (anchors[i]) step.After = std::string(m_reference.SectionAt(*anchors[i]).Name());
            step.Copy = CopySection(section);
        }
    }

    void PlanLinesBack(std::vector<std::pair<size_t, size_t>> positions) {
        std::sort(positions.begin(), positions.end());
        for (size_t first = 0; first < positions.size();) {
            const size_t r = positions[first].first;
            std::vector<size_t> lines;
            for (; first < positions.size() && positions[first].first == r; ++first) lines.push_back(positions[first].second);
            const IniSection& section = m_reference.SectionAt(r);
            const std::optional<size_t> documentSection = m_documentLookup.FindSection(section.Name());
            if (!documentSection) throw NoLongerFits();
            const std::vector<std::optional<size_t>> anchors = Anchors(lines, [&](size_t line) {
                std::string_view key;
                return section.LineAt(line).KeyName(key) && section.IndexOfKey(key) == static_cast<long>(line) &&
                       m_documentLookup.FindKey(*documentSection, key) >= 0;
            });
            for (size_t i = 0; i < lines.size(); ++i) {
                RevertStep& step = Step(RevertAction::InsertLine, std::string(section.Name()));
                std::string_view key;
                section.LineAt(lines[i]).KeyName(key);
                step.Key = key;
                step.Line = CopyLine(section, lines[i]);
                if (anchors[i] && section.LineAt(*anchors[i]).KeyName(key)) step.After = std::string(key);
            }
        }
    }

    const IniStore& m_reference;
    StoreLookup m_documentLookup;
    StoreLookup m_referenceLookup;
    bool m_caseSensitive;
    RevertPlan m_plan;
};

}  // namespace

RevertPlan PlanRevert(const std::vector<Difference>& selection, const IniStore& document,
                      const IniStore& reference, bool caseSensitive) {
    return Planner(document, reference, caseSensitive).Plan(selection);
}

std::vector<Difference> DifferencesOf(const std::vector<Difference>& differences, const std::string& section,
                                      bool caseSensitive) {
    std::vector<Difference> ofSection;
    for (const Difference& difference : differences)
        if (NamesEqual(difference.Section(), section, caseSensitive)) ofSection.push_back(difference);
    return ofSection;
}

std::vector<Difference> DifferencesOfEntries(const std::vector<Difference>& differences,
                                             const std::vector<Difference>& selected, bool caseSensitive) {
    std::unordered_set<std::string> sections;
    for (const Difference& difference : selected)
        sections.insert(NameKey(difference.Section(), caseSensitive));
    std::vector<Difference> ofSections;
    for (const Difference& difference : differences)
        if (sections.count(NameKey(difference.Section(), caseSensitive)) != 0)
            ofSections.push_back(difference);
    return ofSections;
}

RevertPlace PlaceOf(const IniStore& document, const RevertStep& step, bool caseSensitive) {
    return Locate(StoreLookup(document, caseSensitive), step);
}

void AddRevertSteps(StoreEdit& edit, const RevertPlan& plan, bool caseSensitive) {
    constexpr StoreOf document = StoreOf::Document;
    for (const RevertStep& step : plan) {
        const RevertPlace place = PlaceOf(edit.Store(document), step, caseSensitive);
        switch (step.Action) {
            case RevertAction::ReplaceLine:
                edit.ReplaceLineAsRead(document, place.Section, place.Line, step.Line.Text);
                break;
            case RevertAction::RemoveLine:
                edit.RemoveLine(document, place.Section, place.Line);
                break;
            case RevertAction::InsertLine:
                edit.InsertLineAsRead(document, place.Section, place.Line, step.Line.Text, step.Line.Comments);
                break;
            case RevertAction::RemoveSection:
                edit.RemoveSection(document, place.Section);
                break;
            case RevertAction::InsertSection: {
                const ReferenceSection& copy = step.Copy;
                edit.InsertSectionAsRead(document, place.Section, copy.Name, copy.Header, copy.LeadingComments);
                for (size_t line = 0; line < copy.Lines.size(); ++line)
                    edit.InsertLineAsRead(document, place.Section, line, copy.Lines[line].Text, copy.Lines[line].Comments);
                break;
            }
        }
    }
}

std::string RevertText(const std::vector<Difference>& selection, bool caseSensitive) {
    const std::string section(selection.front().Section());
    const bool oneEntry = std::all_of(selection.begin(), selection.end(), [&](const Difference& difference) {
        return NamesEqual(difference.Section(), section, caseSensitive);
    });
    if (selection.size() == 1) return Trim("Revert " + section + " " + std::string(selection.front().Key()));
    if (oneEntry) return "Revert " + section;
    return "Revert " + std::to_string(selection.size()) + " Changes";
}

bool RevertDifferences(Document& document, const std::vector<Difference>& selection,
                       const IniStore& reference, bool caseSensitive, const std::string& category) {
    if (selection.empty()) return false;
    const RevertPlan plan = PlanRevert(selection, document.Store(), reference, caseSensitive);
    const Difference& first = selection.front();
    // One value or line of one entry is news of that value; anything more fills the lists afresh.
    const bool oneLine = selection.size() == 1 && !first.Key().empty();
    std::unique_ptr<StoreEdit> edit =
        document.BeginEdit(RevertText(selection, caseSensitive),
                           {category, std::string(first.Section()), std::string(first.Key())}, !oneLine);
    AddRevertSteps(*edit, plan, caseSensitive);
    return document.Commit(std::move(edit));
}

}  // namespace velmora
