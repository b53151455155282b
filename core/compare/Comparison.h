// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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

enum class DifferenceKind : uint8_t {
    ChangedValue,            // [S] K: OLD -> NEW
    KeyOnlyInDocument,       // [S] +K=V
    KeyOnlyInReference,      // [S] -K=V
    SectionOnlyInDocument,   // +[S]
    SectionOnlyInReference,  // -[S]
};

// One difference, with the places it stands at in both stores as they were when compared. A list
// of them can run to a hundred thousand rows, so each keeps its four texts in one block of its
// own, and its places as 32 bits: the stores keep fewer lines than that. A difference owns its
// texts: one held after the document was edited, reloaded or closed still reads as compared.
class Difference {
public:
    static constexpr size_t None = SIZE_MAX;

    // Section and line positions in one store; None where the store has no part in the difference.
    struct Place {
        size_t Section = None;
        size_t Line = None;
    };

    Difference() = default;
    Difference(DifferenceKind kind, std::string_view section, std::string_view key,
               std::string_view referenceValue, std::string_view documentValue, Place document,
               Place reference);
    Difference(const Difference& other);
    Difference& operator=(const Difference& other);
    Difference(Difference&&) noexcept = default;
    Difference& operator=(Difference&&) noexcept = default;
    ~Difference() = default;

    DifferenceKind Kind() const { return m_kind; }
    // The names as the document spells them; as the reference does for what the document lacks.
    // Key is empty for the two section kinds.
    std::string_view Section() const { return Text(SectionText); }
    std::string_view Key() const { return Text(KeyText); }
    // The values as compared (comment removed, blanks trimmed); each empty where its store lacks
    // the key.
    std::string_view ReferenceValue() const { return Text(ReferenceValueText); }
    std::string_view DocumentValue() const { return Text(DocumentValueText); }
    size_t DocumentSection() const { return Wide(m_documentSection); }
    size_t DocumentLine() const { return Wide(m_documentLine); }
    size_t ReferenceSection() const { return Wide(m_referenceSection); }
    size_t ReferenceLine() const { return Wide(m_referenceLine); }

    bool operator==(const Difference& other) const;

private:
    enum TextPart : uint8_t { SectionText, KeyText, ReferenceValueText, DocumentValueText, TextParts };
    static constexpr uint32_t NoPosition = UINT32_MAX;

    // Texts are mostly short: their lengths then stand here, and the block holds the texts alone.
    static constexpr size_t ShortLength = UINT8_MAX;
    static constexpr size_t LengthsSize = TextParts * sizeof(uint32_t);

    // Throws IniError for a position beyond 32 bits.
    static uint32_t Narrow(size_t position);
    static size_t Wide(uint32_t position) { return position == NoPosition ? None : position; }
    size_t Length(size_t part) const;
    size_t BlockSize() const;
    std::string_view Text(TextPart part) const;

    // The texts one after another, after their lengths (uint32_t each) when one of them is too long
    // for m_lengths; none when all four are empty.
    std::unique_ptr<char[]> m_texts;
    uint32_t m_documentSection = NoPosition;
    uint32_t m_documentLine = NoPosition;
    uint32_t m_referenceSection = NoPosition;
    uint32_t m_referenceLine = NoPosition;
    std::array<uint8_t, TextParts> m_lengths{};
    bool m_longTexts = false;
    DifferenceKind m_kind = DifferenceKind::ChangedValue;
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
