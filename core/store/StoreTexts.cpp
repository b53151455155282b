// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/StoreTexts.h"

#include <limits>

#include "core/store/IniError.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

// Sections up to this many lines are scanned; longer ones are looked up through a key index, as
// the store looks them up.
constexpr size_t KeyIndexFrom = 24;

}  // namespace

StoreTexts::StoreTexts(const IniStore& store) : StoreTexts(store, Sliced{}) {
    Continue(std::numeric_limits<size_t>::max());
}

StoreTexts::StoreTexts(const IniStore& store, Sliced)
    : m_origin(&store), m_shared(store.LoadedText()), m_borrowed(store.BorrowedText()) {
    if (m_shared && m_shared->size() >= BorrowedBit) m_shared.reset();
    if (m_borrowed && m_borrowed->size() >= BorrowedBit) m_borrowed.reset();
    m_places.reserve(store.SectionCount());
    // Grown line by line, the spans would take up to twice their size, and a copy of both on the
    // way: a big document is copied for the find index and the comparison at once.
    size_t lines = 0;
    for (size_t s = 0; s < store.SectionCount(); ++s) lines += store.SectionAt(s).Count();
    if (lines < AsReadBit) m_lines.reserve(lines);  // more lines are refused as the copy reaches them
}

uint32_t StoreTexts::Offset(const std::string& text) const {
    if (text.size() >= AsReadBit) throw IniError(m_origin->FileName() + " is too large to be searched or compared.");
    return static_cast<uint32_t>(text.size());
}

StoreTexts::LineSpan StoreTexts::SpanOf(std::string_view raw, bool asRead) {
    const uint32_t readBit = asRead ? AsReadBit : 0;
    // The shared texts outlive the copy through m_shared and m_borrowed, whatever becomes of the
    // store. A line is shorter than its text, so its length leaves the top bits free.
    const auto within = [&raw](const std::shared_ptr<const std::string>& text) {
        const std::less_equal<const char*> notAfter;
        return text && notAfter(text->data(), raw.data()) && notAfter(raw.data() + raw.size(), text->data() + text->size());
    };
    if (within(m_shared))
        return {static_cast<uint32_t>(raw.data() - m_shared->data()) | readBit, static_cast<uint32_t>(raw.size()) | SharedBit};
    if (within(m_borrowed))
        return {static_cast<uint32_t>(raw.data() - m_borrowed->data()) | readBit,
                static_cast<uint32_t>(raw.size()) | SharedBit | BorrowedBit};
    const uint32_t start = Offset(m_text);
    m_text.append(raw);
    Offset(m_text);
    return {start | readBit, static_cast<uint32_t>(raw.size())};
}

bool StoreTexts::Continue(size_t lines) {
    if (m_done) return true;
    const IniStore& store = *m_origin;
    size_t copied = 0;
    while (m_places.size() < store.SectionCount() && copied < lines) {
        const IniSection& section = store.SectionAt(m_places.size());
        const uint32_t nameStart = Offset(m_names);
        m_names.append(section.Name());
        if (m_lines.size() + section.Count() >= AsReadBit)
            throw IniError(m_origin->FileName() + " is too large to be searched or compared.");
        m_places.push_back({nameStart, Offset(m_names), static_cast<uint32_t>(m_lines.size()),
                            static_cast<uint32_t>(section.Count())});
        for (size_t l = 0; l < section.Count(); ++l) {
            const IniSection::Line& line = section.LineAt(l);
            m_lines.push_back(SpanOf(line.Raw(), line.IsAsRead()));
        }
        copied += section.Count() + 1;
    }
    if (m_places.size() < store.SectionCount()) return false;
    m_done = true;
    return true;
}

StoreTexts::~StoreTexts() = default;

std::string_view StoreTexts::Section::Name() const {
    const Place& place = m_texts.m_places[m_position];
    return std::string_view(m_texts.m_names).substr(place.nameStart, place.nameEnd - place.nameStart);
}

size_t StoreTexts::Section::Count() const { return m_texts.m_places[m_position].lineCount; }

StoreTexts::Line StoreTexts::Section::LineAt(size_t line) const {
    return m_texts.LineAt(m_texts.m_places[m_position].firstLine + line);
}

long StoreTexts::Section::IndexOfKey(std::string_view key) const {
    const size_t count = Count();
    if (count > KeyIndexFrom) {
        const uint32_t line = m_texts.KeyIndexOf(m_position).Find(key, [this](uint32_t at) {
            std::string_view name;
            return LineAt(at).KeyName(name) ? name : std::string_view();
        });
        return line == NameIndex<true>::kNone ? -1 : static_cast<long>(line);
    }
    std::string_view name;
    for (size_t i = 0; i < count; ++i)
        if (LineAt(i).KeyName(name) && EqualsNoCase(name, key)) return static_cast<long>(i);
    return -1;
}

const NameIndex<true>& StoreTexts::KeyIndexOf(size_t position) const {
    if (m_keyIndexOf == position) return m_keyIndex;
    m_keyIndexOf = SIZE_MAX;
    m_keyIndex.Clear();
    const Section section = SectionAt(position);
    auto nameOf = [&section](uint32_t at) {
        std::string_view name;
        return section.LineAt(at).KeyName(name) ? name : std::string_view();
    };
    m_keyIndex.Reserve(section.Count());
    std::string_view name;
    for (size_t l = 0; l < section.Count(); ++l)
        if (section.LineAt(l).KeyName(name)) m_keyIndex.Add(name, static_cast<uint32_t>(l), nameOf);
    m_keyIndexOf = position;
    return m_keyIndex;
}

}  // namespace velmora
