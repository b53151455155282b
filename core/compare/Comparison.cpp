// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/Comparison.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
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

constexpr const char* TooLarge = "The document is too large to compare.";

std::string Joined(std::initializer_list<std::string_view> parts) {
    size_t size = 0;
    for (const std::string_view part : parts) size += part.size();
    std::string joined;
    joined.reserve(size);
    for (const std::string_view part : parts) joined += part;
    return joined;
}

// True when the line carries a key (it holds "=") and no earlier line of the section carries the
// same key; `key` is then its name.
template <class Store, class Rows>
void CompareSections(const Store& documentStore, size_t d, const Store& referenceStore, size_t r,
                     bool caseSensitive, Rows& differences);

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
        Gather();
        return ExactList();
    }

private:
    // The rows in list order; the name indexes go before the list is made of them.
    void Gather() {
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
                Add(DifferenceKind::SectionOnlyInReference, m_reference.SectionAt(r).Name(), Difference::None,
                    r);
    }

    static auto SectionNames(const Store& store) {
        return [&store](uint32_t position) { return store.SectionAt(position).Name(); };
    }

    void Add(DifferenceKind kind, std::string_view section, size_t documentSection, size_t referenceSection) {
        m_differences.emplace_back(kind, section, std::string_view(), std::string_view(), std::string_view(),
                                   Difference::Place{documentSection}, Difference::Place{referenceSection});
    }

    // The rows gathered, moved a block at a time into a list of their exact length: a vector grown
    // row by row would hold up to twice the list while it doubles.
    std::vector<Difference> ExactList() {
        std::vector<Difference> list;
        list.reserve(m_differences.size());
        while (!m_differences.empty()) {
            list.push_back(std::move(m_differences.front()));
            m_differences.pop_front();
        }
        return list;
    }

    const Store& m_document;
    const Store& m_reference;
    const bool m_caseSensitive;
    std::vector<size_t>* m_referenceOf;
    std::deque<Difference> m_differences;
};

// The lines a patch carries: the whole section (line None) or single lines, by document position.
using PatchPart = std::pair<size_t, size_t>;

std::vector<PatchPart> PatchParts(const IniStore& document, const std::vector<Difference>& differences) {
    std::vector<PatchPart> parts;
    for (const Difference& difference : differences) {
        size_t line = Difference::None;
        const DifferenceKind kind = difference.Kind();
        if (kind == DifferenceKind::ChangedValue || kind == DifferenceKind::KeyOnlyInDocument)
            line = difference.DocumentLine();
        else if (kind != DifferenceKind::SectionOnlyInDocument)
            continue;
        const size_t section = difference.DocumentSection();
        if (section >= document.SectionCount() || (line != Difference::None && line >= document.SectionAt(section).Count()))
            throw IniError("The list of changes no longer fits the document; compare again.");
        parts.emplace_back(section, line);
    }
    std::sort(parts.begin(), parts.end());
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    return parts;
}

template <class Store, class Rows>
void CompareSections(const Store& documentStore, size_t d, const Store& referenceStore, size_t r,
                     bool caseSensitive, Rows& differences) {
    const auto& document = documentStore.SectionAt(d);
    const auto& reference = referenceStore.SectionAt(r);
    const std::string_view name = document.Name();
    std::string_view key;
    for (size_t line = 0; line < document.Count(); ++line) {
        const auto& text = document.LineAt(line);
        if (!FirstLineOfItsKey(document, line, key)) continue;
        const long referenceLine = reference.IndexOfKey(key);
        if (referenceLine < 0) {
            differences.emplace_back(DifferenceKind::KeyOnlyInDocument, name, key, std::string_view(),
                                     ComparableValue(text.ValueText()), Difference::Place{d, line},
                                     Difference::Place{r});
            continue;
        }
        const auto& referenceText = reference.LineAt(static_cast<size_t>(referenceLine));
        // Equal lines are the common case and need no closer look.
        if (text.Raw() == referenceText.Raw() || !ValuesDiffer(text.ValueText(), referenceText.ValueText(), caseSensitive))
            continue;
        differences.emplace_back(DifferenceKind::ChangedValue, name, key,
                                 ComparableValue(referenceText.ValueText()),
                                 ComparableValue(text.ValueText()), Difference::Place{d, line},
                                 Difference::Place{r, static_cast<size_t>(referenceLine)});
    }
    for (size_t line = 0; line < reference.Count(); ++line) {
        if (!FirstLineOfItsKey(reference, line, key) || document.IndexOfKey(key) >= 0) continue;
        differences.emplace_back(DifferenceKind::KeyOnlyInReference, name, key,
                                 ComparableValue(reference.LineAt(line).ValueText()), std::string_view(),
                                 Difference::Place{d}, Difference::Place{r, line});
    }
}

template <class Store>
std::vector<Difference> CompareAll(const Store& document, const Store& reference, bool caseSensitive,
                                   std::vector<size_t>* referenceOf) {
    if (caseSensitive) return StoreComparer<false, Store>(document, reference, caseSensitive, referenceOf).Run();
    return StoreComparer<true, Store>(document, reference, caseSensitive, referenceOf).Run();
}

}  // namespace

Difference::Difference(DifferenceKind kind, std::string_view section, std::string_view key,
                       std::string_view referenceValue, std::string_view documentValue, Place document,
                       Place reference)
    : m_documentSection(Narrow(document.Section)),
      m_documentLine(Narrow(document.Line)),
      m_referenceSection(Narrow(reference.Section)),
      m_referenceLine(Narrow(reference.Line)),
      m_kind(kind) {
    const std::array<std::string_view, TextParts> texts{section, key, referenceValue, documentValue};
    size_t total = 0;
    for (const std::string_view text : texts) {
        total += text.size();
        m_longTexts = m_longTexts || text.size() >= ShortLength;
    }
    if (total == 0) return;
    if (total >= NoPosition) throw IniError(TooLarge);
    const size_t lengthsSize = m_longTexts ? LengthsSize : 0;
    m_texts = std::make_unique_for_overwrite<char[]>(lengthsSize + total);
    char* at = m_texts.get() + lengthsSize;
    for (size_t part = 0; part < TextParts; ++part) {
        if (m_longTexts) {
            const auto length = static_cast<uint32_t>(texts[part].size());
            std::memcpy(m_texts.get() + part * sizeof length, &length, sizeof length);
        } else {
            m_lengths[part] = static_cast<uint8_t>(texts[part].size());
        }
        at = std::copy(texts[part].begin(), texts[part].end(), at);
    }
}

Difference::Difference(const Difference& other)
    : m_documentSection(other.m_documentSection),
      m_documentLine(other.m_documentLine),
      m_referenceSection(other.m_referenceSection),
      m_referenceLine(other.m_referenceLine),
      m_lengths(other.m_lengths),
      m_longTexts(other.m_longTexts),
      m_kind(other.m_kind) {
    if (!other.m_texts) return;
    const size_t size = other.BlockSize();
    m_texts = std::make_unique_for_overwrite<char[]>(size);
    std::memcpy(m_texts.get(), other.m_texts.get(), size);
}

Difference& Difference::operator=(const Difference& other) {
    if (this != &other) *this = Difference(other);
    return *this;
}

bool Difference::operator==(const Difference& other) const {
    if (m_kind != other.m_kind || m_documentSection != other.m_documentSection ||
        m_documentLine != other.m_documentLine || m_referenceSection != other.m_referenceSection ||
        m_referenceLine != other.m_referenceLine)
        return false;
    for (size_t part = 0; part < TextParts; ++part)
        if (Text(static_cast<TextPart>(part)) != other.Text(static_cast<TextPart>(part))) return false;
    return true;
}

uint32_t Difference::Narrow(size_t position) {
    if (position == None) return NoPosition;
    if (position >= NoPosition) throw IniError(TooLarge);
    return static_cast<uint32_t>(position);
}

size_t Difference::Length(size_t part) const {
    if (!m_longTexts) return m_lengths[part];
    uint32_t length = 0;
    std::memcpy(&length, m_texts.get() + part * sizeof length, sizeof length);
    return length;
}

size_t Difference::BlockSize() const {
    size_t size = m_longTexts ? LengthsSize : 0;
    for (size_t part = 0; part < TextParts; ++part) size += Length(part);
    return size;
}

std::string_view Difference::Text(TextPart part) const {
    if (!m_texts) return {};
    size_t offset = m_longTexts ? LengthsSize : 0;
    for (size_t before = 0; before < part; ++before) offset += Length(before);
    return {m_texts.get() + offset, Length(part)};
}

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
    std::string section = Joined({"[", difference.Section(), "]"});
    switch (difference.Kind()) {
        case DifferenceKind::ChangedValue:
            return Joined({section, " ", difference.Key(), ": ", difference.ReferenceValue(), " -> ",
                           difference.DocumentValue()});
        case DifferenceKind::KeyOnlyInDocument:
            return Joined({section, " +", difference.Key(), "=", difference.DocumentValue()});
        case DifferenceKind::KeyOnlyInReference:
            return Joined({section, " -", difference.Key(), "=", difference.ReferenceValue()});
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
        if (difference.Kind() == DifferenceKind::SectionOnlyInReference)
            removals.push_back(Joined({"[", difference.Section(), "]"}));
        else if (difference.Kind() == DifferenceKind::KeyOnlyInReference)
            removals.push_back(Joined(
                {"[", difference.Section(), "] ", difference.Key(), "=", difference.ReferenceValue()}));
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
