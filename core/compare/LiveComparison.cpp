// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/LiveComparison.h"

#include <iterator>
#include <utility>

#include "core/store/StoreTexts.h"
#include "core/store/IniStore.h"

namespace velmora {

LiveComparison::LiveComparison(const IniStore& document, const IniStore& reference, bool caseSensitive)
    : m_reference(reference), m_caseSensitive(caseSensitive) {
    CompareAll(document);
}

bool ComparedCopies::Of(const IniStore& documentStore, const IniStore& referenceStore) const {
    if (document != &documentStore || reference != &referenceStore ||
        documentStore.SectionCount() != documentSections.size())
        return false;
    for (size_t s = 0; s < documentSections.size(); ++s)
        if (documentStore.SectionAt(s).Name() != documentSections[s]) return false;
    return true;
}

ComparedCopies CompareCopies(const StoreTexts& document, const StoreTexts& reference, bool caseSensitive) {
    ComparedCopies compared;
    compared.document = document.Origin();
    compared.reference = reference.Origin();
    compared.documentSections.reserve(document.SectionCount());
    for (size_t s = 0; s < document.SectionCount(); ++s)
        compared.documentSections.emplace_back(document.SectionAt(s).Name());
    compared.differences = CompareStores(document, reference, caseSensitive, &compared.referenceOf);
    return compared;
}

LiveComparison::LiveComparison(const IniStore& document, const IniStore& reference, bool caseSensitive,
                               ComparedCopies compared)
    : m_reference(reference), m_caseSensitive(caseSensitive) {
    if (!compared.Of(document, reference)) {
        CompareAll(document);
        return;
    }
    m_document = &document;
    m_differences = std::move(compared.differences);
    m_referenceOf = std::move(compared.referenceOf);
    Recount();
}

void LiveComparison::CompareAll(const IniStore& document) {
    m_document = &document;
    m_differences = CompareStores(document, m_reference, m_caseSensitive, &m_referenceOf);
    Recount();
}

// The rows of each document section stand together in section order, before those of the
// sections only the reference has, which carry no document section (None) and so sort last.
void LiveComparison::Recount() {
    const size_t sections = m_referenceOf.size();
    m_firstRow.assign(sections + 1, 0);
    size_t row = 0;
    for (size_t d = 0; d <= sections; ++d) {
        while (row < m_differences.size() && m_differences[row].DocumentSection() < d) ++row;
        m_firstRow[d] = row;
    }
}

// The rows of section `d` made `count` long at their end, the rows after them moved along.
void LiveComparison::Resize(size_t d, size_t count) {
    const size_t end = m_firstRow[d + 1];
    const size_t old = end - m_firstRow[d];
    if (count > old) {
        // Room for the new rows with a little to spare, where the vector left to itself would take
        // twice the list.
        const size_t size = m_differences.size() + count - old;
        if (size > m_differences.capacity()) m_differences.reserve(size + size / 64);
        m_differences.insert(m_differences.begin() + static_cast<std::ptrdiff_t>(end), count - old,
                             Difference());
        for (size_t later = d + 1; later < m_firstRow.size(); ++later) m_firstRow[later] += count - old;
    } else {
        const auto at = m_differences.begin() + static_cast<std::ptrdiff_t>(end);
        m_differences.erase(at - static_cast<std::ptrdiff_t>(old - count), at);
        for (size_t later = d + 1; later < m_firstRow.size(); ++later) m_firstRow[later] -= old - count;
    }
}

bool LiveComparison::Follows(const IniStore& document) const {
    return &document == m_document && document.SectionCount() == m_referenceOf.size();
}

std::optional<std::vector<ChangedRows>> LiveComparison::Update(const IniStore& document,
                                                               const std::optional<std::vector<size_t>>& sections) {
    if (!sections || !Follows(document)) {
        CompareAll(document);
        return std::nullopt;
    }
    struct Fresh {
        size_t section;
        std::vector<Difference> rows;
    };
    std::vector<Fresh> fresh;
    size_t resized = 0;
    for (const size_t d : *sections) {
        if (m_referenceOf[d] == Difference::None) continue;
        Fresh& again = fresh.emplace_back(Fresh{d, {}});
        CompareSectionPair(document, d, m_reference, m_referenceOf[d], m_caseSensitive, again.rows);
        if (again.rows.size() != m_firstRow[d + 1] - m_firstRow[d]) ++resized;
    }

    std::vector<ChangedRows> changed;
    changed.reserve(fresh.size());
    if (resized <= 1) {
        // The usual edit of a value: its rows change in place, or one section's rows come or go.
        for (Fresh& again : fresh) {
            const size_t first = m_firstRow[again.section];
            const size_t removed = m_firstRow[again.section + 1] - first;
            if (again.rows.size() != removed) Resize(again.section, again.rows.size());
            std::move(again.rows.begin(), again.rows.end(), m_differences.begin() + static_cast<std::ptrdiff_t>(first));
            changed.push_back({first, removed, again.rows.size()});
        }
        return changed;
    }
    // Rows of several sections came or went: the list is laid out again once.
    size_t size = m_differences.size();
    for (const Fresh& again : fresh)
        size = size + again.rows.size() - (m_firstRow[again.section + 1] - m_firstRow[again.section]);
    std::vector<Difference> merged;
    merged.reserve(size);
    size_t taken = 0;
    for (Fresh& again : fresh) {
        const size_t first = m_firstRow[again.section];
        const size_t end = m_firstRow[again.section + 1];
        std::move(m_differences.begin() + static_cast<std::ptrdiff_t>(taken),
                  m_differences.begin() + static_cast<std::ptrdiff_t>(first), std::back_inserter(merged));
        changed.push_back({merged.size(), end - first, again.rows.size()});
        std::move(again.rows.begin(), again.rows.end(), std::back_inserter(merged));
        taken = end;
    }
    std::move(m_differences.begin() + static_cast<std::ptrdiff_t>(taken), m_differences.end(),
              std::back_inserter(merged));
    m_differences = std::move(merged);
    Recount();
    return changed;
}

}  // namespace velmora
