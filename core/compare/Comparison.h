// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

class StoreTexts;
class IniStore;

// What a document changed against a reference (the default copy, the game's copy or any INI file):
// the list a modder reads, reverts from, and turns into a patch to share.
//
// Sections are matched by name under the letter-case flag (NamesEqual), keys by name without regard
// to letter case, each the first of its name: a later section or line of a name already seen is
// neither compared nor listed, as no lookup by name ever reaches it. Values are compared by the rule
// of the red marks (ValuesDiffer).

enum class DifferenceKind {
    ChangedValue,            // [S] K: OLD -> NEW
    KeyOnlyInDocument,       // [S] +K=V
    KeyOnlyInReference,      // [S] -K=V
    SectionOnlyInDocument,   // +[S]
    SectionOnlyInReference,  // -[S]
};

// One difference, with the places it stands at in both stores as they were when compared.
struct Difference {
    static constexpr size_t None = SIZE_MAX;

    DifferenceKind Kind = DifferenceKind::ChangedValue;
    // The names as the document spells them; as the reference does for what the document lacks.
    // Key is empty for the two section kinds.
    std::string Section;
    std::string Key;
    // The values as compared (comment removed, blanks trimmed); each empty where its store lacks
    // the key.
    std::string ReferenceValue;
    std::string DocumentValue;
    // Section positions in each store and line positions within those sections; None where the
    // store has no part in the difference.
    size_t DocumentSection = None;
    size_t DocumentLine = None;
    size_t ReferenceSection = None;
    size_t ReferenceLine = None;

    bool operator==(const Difference&) const = default;
};

// The differences of `document` against `reference`, in this order: the document's sections in
// its order, each either new (+[S]) or followed by its changed values and new keys in the
// document's order and then by the keys it lacks in the reference's order; then the sections the
// document lacks, in the reference's order. `caseSensitive` is the letter-case flag of the stores.
// `referenceOf`, when given, gets for each document section the reference section it was compared
// with: None for a section only the document has and for a later section of a name already seen.
std::vector<Difference> CompareStores(const IniStore& document, const IniStore& reference,
                                      bool caseSensitive, std::vector<size_t>* referenceOf = nullptr);
// The same of copies of the stores' texts, for a comparison away from the thread that edits them;
// the positions are those of the stores when copied.
std::vector<Difference> CompareStores(const StoreTexts& document, const StoreTexts& reference, bool caseSensitive,
                                      std::vector<size_t>* referenceOf = nullptr);

// The differences of the document's section at `d` against the reference's section at `r`, the
// pair CompareStores matched, appended to `differences` in CompareStores' order.
void CompareSectionPair(const IniStore& document, size_t d, const IniStore& reference, size_t r,
                        bool caseSensitive, std::vector<Difference>& differences);

// The line that lists a difference: "[S] K: OLD -> NEW", "[S] +K=V", "[S] -K=V", "+[S]" or "-[S]".
std::string DifferenceText(const Difference& difference);

// What a patch cannot carry, since merging an INI file over another never deletes: each section
// ("[S]") and each key ("[S] K=V", the reference's value) the document lacks, in the order of
// `differences`.
std::vector<std::string> PatchRemovals(const std::vector<Difference>& differences);

// The warning given before a patch with `count` removals is written.
std::string PatchRemovalsWarning(size_t count);

// The patch a modder shares: an INI text (CR LF line ends) holding, in the document's order and in
// its own text with the comments above, the sections only the document has, whole, and of every
// other section with a changed value or a new key its header and just those lines. A section that
// only lacks keys has nothing to carry and is left out. The text starts with a comment block that
// lists the removals (PatchRemovals), "; removed: [S]" each, and an empty line, so that a merge
// that cannot delete does not hide them. `differences` are those CompareStores gave for
// `document` as it still stands.
std::string PatchText(const IniStore& document, const std::vector<Difference>& differences);

}  // namespace velmora
