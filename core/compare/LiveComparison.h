// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/compare/Comparison.h"

namespace velmora {

class StoreTexts;
class IniStore;

// A stretch of the list of differences that an update replaced: the rows from First on, Removed of
// them, gave way to Inserted new ones. Stretches come in list order, First counted in the list as
// it stands after the stretches before it were replaced (as rows are removed and inserted in a
// list model).
struct ChangedRows {
    size_t First = 0;
    size_t Removed = 0;
    size_t Inserted = 0;
    bool operator==(const ChangedRows&) const = default;
};

// What a comparison of copies of a document and a reference found (CompareCopies), for a
// LiveComparison of the stores themselves to take up, away from the thread that edits them.
struct ComparedCopies {
    // The stores copied, as identities only, and the names of the document's sections then.
    const IniStore* document = nullptr;
    const IniStore* reference = nullptr;
    std::vector<std::string> documentSections;
    std::vector<Difference> differences;
    std::vector<size_t> referenceOf;  // as CompareStores gives it

    // True when these are the stores copied and the document still has the same sections, by
    // name and in the same order, so that edits of values since the copy are caught up by
    // comparing their sections again. Sections that came, went, moved or were renamed need
    // another comparison, even when their count stayed.
    bool Of(const IniStore& documentStore, const IniStore& referenceStore) const;
};
ComparedCopies CompareCopies(const StoreTexts& document, const StoreTexts& reference, bool caseSensitive);

// The differences of the document against a reference (CompareStores), kept up to date as the
// document is edited: an edit of values compares again only the sections it touched, in time
// proportional to them, and says which rows changed. The reference is not edited; it must
// outlive the comparison.
class LiveComparison {
public:
    LiveComparison(const IniStore& document, const IniStore& reference, bool caseSensitive);
    // Takes up what a comparison of copies of these stores found, when it is of them (ComparedCopies::Of);
    // compares them afresh otherwise. Sections whose values were edited since the copy are then
    // compared again with Update.
    LiveComparison(const IniStore& document, const IniStore& reference, bool caseSensitive,
                   ComparedCopies compared);

    const std::vector<Difference>& Differences() const { return m_differences; }
    const IniStore& Reference() const { return m_reference; }
    // True when `document` is the store compared and still has as many sections, so that Update
    // of the sections edits touched keeps the comparison true without comparing everything.
    bool Follows(const IniStore& document) const;

    // Compares again the document's sections at `sections` (positions in store order, as
    // TouchedSections::SectionsToRead gives them), or everything when there are none to go by or
    // `document` is not the store, or no longer of the shape, compared before. The stretches of
    // rows that changed; none when everything was compared again.
    std::optional<std::vector<ChangedRows>> Update(const IniStore& document,
                                                   const std::optional<std::vector<size_t>>& sections);

private:
    void CompareAll(const IniStore& document);
    void Recount();
    void Resize(size_t d, size_t count);

    const IniStore* m_document = nullptr;
    const IniStore& m_reference;
    bool m_caseSensitive;
    std::vector<Difference> m_differences;
    // Per document section: the reference section it is compared with (None: a section only the
    // document has, or a later one of a name already seen, whose rows no edit of values changes);
    // and the position of its first row, with the end of the document's rows last.
    std::vector<size_t> m_referenceOf;
    std::vector<size_t> m_firstRow;
};

}  // namespace velmora
