// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/Comparison.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/document/SectionText.h"
#include "core/catalogue/ValueRules.h"
#include "core/store/IniError.h"
#include "core/store/NameIndex.h"
#include "core/store/StoreTexts.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

// True when the line carries a key (it holds "=") and no earlier line of the section carries the
// same key; `key` is then its name.
template <class Store>
void CompareSections(const Store& documentStore, size_t d, const Store& referenceStore, size_t r, bool caseSensitive,
                     std::vector<Difference>& differences);

template <class Section>
bool FirstLineOfItsKey(const Section& section, size_t line, std::string_view& key) {
    if (!section.LineAt(line).KeyName(key)) return false;
    return section.IndexOfKey(key) == static_cast<long>(line);
}

// Walks both stores once. Sections are looked up through a name index of the letter-case rule in
// force; lines through each section's own key lookup, which finds the first line of a name. The
// stores are both IniStore or both StoreTexts, copies that read as their stores do.
template <bool IgnoreCase, class Store>
class StoreComparer {
public:
    StoreComparer(const Store& document, const Store& reference, bool caseSensitive,
                  std::vector<size_t>* referenceOf)
        : m_document(document), m_reference(reference), m_caseSensitive(caseSensitive), m_referenceOf(referenceOf) {
        if (m_referenceOf) m_referenceOf->assign(document.SectionCount(), Difference::None);
    }

    std::vector<Difference> Run() {
        const size_t referenceCount = m_reference.SectionCount();
        NameIndex<IgnoreCase> referenceIndex;
        referenceIndex.Reserve(referenceCount);
        std::vector<char> firstOfName(referenceCount, 0);
        for (size_t r = 0; r < referenceCount; ++r)
            firstOfName[r] = referenceIndex.Add(m_reference.SectionAt(r).Name(), static_cast<uint32_t>(r),
                                                 SectionNames(m_reference)) == r;

        std::vector<char> matched(referenceCount, 0);
        NameIndex<IgnoreCase> documentIndex;
        documentIndex.Reserve(m_document.SectionCount());
        for (size_t d = 0; d < m_document.SectionCount(); ++d) {
            const std::string_view name = m_document.SectionAt(d).Name();
            if (documentIndex.Add(name, static_cast<uint32_t>(d), SectionNames(m_document)) != d) continue;
            const uint32_t r = referenceIndex.Find(name, SectionNames(m_reference));
            if (r == NameIndex<IgnoreCase>::kNone) {
                Add(DifferenceKind::SectionOnlyInDocument, name, d, Difference::None);
                continue;
            }
            matched[r] = 1;
            if (m_referenceOf) (*m_referenceOf)[d] = r;
            CompareSections(m_document, d, m_reference, r, m_caseSensitive, m_differences);
        }
        for (size_t r = 0; r < referenceCount; ++r)
            if (firstOfName[r] && !matched[r])
                Add(DifferenceKind::SectionOnlyInReference, m_reference.SectionAt(r).Name(), Difference::None, r);
        return std::move(m_differences);
    }

private:
    static auto SectionNames(const Store& store) {
        return [&store](uint32_t position) { return store.SectionAt(position).Name(); };
    }

    Difference& Add(DifferenceKind kind, std::string_view section, size_t documentSection, size_t referenceSection) {
        Difference& difference = m_differences.emplace_back();
        difference.Kind = kind;
        difference.Section = section;
        difference.DocumentSection = documentSection;
        difference.ReferenceSection = referenceSection;
        return difference;
    }

    const Store& m_document;
    const Store& m_reference;
    const bool m_caseSensitive;
    std::vector<size_t>* m_referenceOf;
    std::vector<Difference> m_differences;
};

// The lines a patch carries: the whole section (line None) or single lines, by document position.
using PatchPart = std::pair<size_t, size_t>;

std::vector<PatchPart> PatchParts(const IniStore& document, const std::vector<Difference>& differences) {
    std::vector<PatchPart> parts;
    for (const Difference& difference : differences) {
        size_t line = Difference::None;
        if (difference.Kind == DifferenceKind::ChangedValue || difference.Kind == DifferenceKind::KeyOnlyInDocument)
            line = difference.DocumentLine;
        else if (difference.Kind != DifferenceKind::SectionOnlyInDocument)
            continue;
        const size_t section = difference.DocumentSection;
        if (section >= document.SectionCount() || (line != Difference::None && line >= document.SectionAt(section).Count()))
            throw IniError("The list of changes no longer fits the document; compare again.");
        parts.emplace_back(section, line);
    }
    std::sort(parts.begin(), parts.end());
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    return parts;
}

template <class Store>
void CompareSections(const Store& documentStore, size_t d, const Store& referenceStore, size_t r, bool caseSensitive,
                     std::vector<Difference>& differences) {
    const auto& document = documentStore.SectionAt(d);
    const auto& reference = referenceStore.SectionAt(r);
    auto add = [&](DifferenceKind kind) -> Difference& {
        Difference& difference = differences.emplace_back();
        difference.Kind = kind;
        difference.Section = document.Name();
        difference.DocumentSection = d;
        difference.ReferenceSection = r;
        return difference;
    };
    std::string_view key;
    for (size_t line = 0; line < document.Count(); ++line) {
        const auto& text = document.LineAt(line);
        if (!FirstLineOfItsKey(document, line, key)) continue;
        const long referenceLine = reference.IndexOfKey(key);
        if (referenceLine < 0) {
            Difference& added = add(DifferenceKind::KeyOnlyInDocument);
            added.Key = key;
            added.DocumentLine = line;
            added.DocumentValue = ComparableValue(text.ValueText());
            continue;
        }
        const auto& referenceText = reference.LineAt(static_cast<size_t>(referenceLine));
        // Equal lines are the common case and need no closer look.
        if (text.Raw() == referenceText.Raw() || !ValuesDiffer(text.ValueText(), referenceText.ValueText(), caseSensitive))
            continue;
        Difference& changed = add(DifferenceKind::ChangedValue);
        changed.Key = key;
        changed.DocumentLine = line;
        changed.ReferenceLine = static_cast<size_t>(referenceLine);
        changed.DocumentValue = ComparableValue(text.ValueText());
        changed.ReferenceValue = ComparableValue(referenceText.ValueText());
    }
    for (size_t line = 0; line < reference.Count(); ++line) {
        if (!FirstLineOfItsKey(reference, line, key) || document.IndexOfKey(key) >= 0) continue;
        Difference& removed = add(DifferenceKind::KeyOnlyInReference);
        removed.Key = key;
        removed.ReferenceLine = line;
        removed.ReferenceValue = ComparableValue(reference.LineAt(line).ValueText());
    }
}

template <class Store>
std::vector<Difference> CompareAll(const Store& document, const Store& reference, bool caseSensitive,
                                   std::vector<size_t>* referenceOf) {
    if (caseSensitive) return StoreComparer<false, Store>(document, reference, caseSensitive, referenceOf).Run();
    return StoreComparer<true, Store>(document, reference, caseSensitive, referenceOf).Run();
}

}  // namespace

void CompareSectionPair(const IniStore& document, size_t d, const IniStore& reference, size_t r,
                        bool caseSensitive, std::vector<Difference>& differences) {
    CompareSections(document, d, reference, r, caseSensitive, differences);
}

std::vector<Difference> CompareStores(const IniStore& document, const IniStore& reference, bool caseSensitive,
                                      std::vector<size_t>* referenceOf) {
    return CompareAll(document, reference, caseSensitive, referenceOf);
}

std::vector<Difference> CompareStores(const StoreTexts& document, const StoreTexts& reference, bool caseSensitive,
                                      std::vector<size_t>* referenceOf) {
    return CompareAll(document, reference, caseSensitive, referenceOf);
}

std::string DifferenceText(const Difference& difference) {
    std::string section = "[" + difference.Section + "]";
    switch (difference.Kind) {
        case DifferenceKind::ChangedValue:
            return section + " " + difference.Key + ": " + difference.ReferenceValue + " -> " +
                   difference.DocumentValue;
        case DifferenceKind::KeyOnlyInDocument:
            return section + " +" + difference.Key + "=" + difference.DocumentValue;
        case DifferenceKind::KeyOnlyInReference:
            return section + " -" + difference.Key + "=" + difference.ReferenceValue;
        case DifferenceKind::SectionOnlyInDocument:
            return "+" + section;
        case DifferenceKind::SectionOnlyInReference:
            return "-" + section;
    }
    return section;
}

std::vector<std::string> PatchRemovals(const std::vector<Difference>& differences) {
    std::vector<std::string> removals;
    for (const Difference& difference : differences) {
        if (difference.Kind == DifferenceKind::SectionOnlyInReference)
            removals.push_back("[" + difference.Section + "]");
        else if (difference.Kind == DifferenceKind::KeyOnlyInReference)
            removals.push_back("[" + difference.Section + "] " + difference.Key + "=" + difference.ReferenceValue);
    }
    return removals;
}

std::string PatchRemovalsWarning(size_t count) {
    return "The patch cannot delete: " +
           (count == 1 ? std::string("1 removal is") : std::to_string(count) + " removals are") +
           " only listed in a comment at its start, to be made by hand.";
}

std::string PatchText(const IniStore& document, const std::vector<Difference>& differences) {
    const std::vector<PatchPart> parts = PatchParts(document, differences);
    std::string removed;
    for (const std::string& removal : PatchRemovals(differences)) removed += "; removed: " + removal + "\r\n";
    if (!removed.empty()) removed += "\r\n";
    SectionLines patch;
    for (size_t first = 0; first < parts.size();) {
        const size_t index = parts[first].first;
        size_t end = first;
        while (end < parts.size() && parts[end].first == index) ++end;
        const IniSection& section = document.SectionAt(index);
        patch.Header(section.LeadingComments(), section.Name(), section.Header());
        // A whole section (line None) sorts after single lines of its own, which it holds anyway.
        if (parts[end - 1].second == Difference::None) {
            for (size_t line = 0; line < section.Count(); ++line)
                patch.Line(section.CommentsOf(line), section.LineAt(line).Raw());
        } else {
            for (size_t part = first; part < end; ++part)
                patch.Line(section.CommentsOf(parts[part].second), section.LineAt(parts[part].second).Raw());
        }
        first = end;
    }
    return removed + patch.Text();
}

}  // namespace velmora
