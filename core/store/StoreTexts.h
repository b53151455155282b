// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/LineText.h"
#include "core/store/NameIndex.h"

namespace velmora {

class IniStore;

// A copy of a store's section names and lines as stored, so that work on the whole store can run
// on another thread while the store goes on changing. It reads as the store reads (the same key
// names, values and first line of each key) at the store's positions as they were when copied.
// One thread at a time reads a copy: a long section's key lookup builds an index of its keys.
// The bytes a store loaded are shared with it, not copied; what edits wrote is copied.
//
// A big store is copied a slice at a time (Sliced, then Continue until it is done), so that the
// copy fits between a window's events: the store must stand unchanged from the first slice to the
// last. The copy is read only once it is done.
class StoreTexts {
public:
    class Line {
    public:
        Line(std::string_view raw, bool asRead) : m_raw(raw), m_asRead(asRead) {}
        std::string_view Raw() const { return m_raw; }
        bool IsAsRead() const { return m_asRead; }
        bool KeyName(std::string_view& name) const { return KeyNameOfLine(m_raw, m_asRead, name); }
        std::string_view ValueText() const { return ValueTextOfLine(m_raw, m_asRead); }

    private:
        std::string_view m_raw;
        bool m_asRead;
    };

    // A section of the copy, as a view valid while the copy lives.
    class Section {
    public:
        std::string_view Name() const;
        size_t Count() const;
        Line LineAt(size_t line) const;
        // Position of the first line whose key name equals `key` without regard to letter case;
        // -1 when none.
        long IndexOfKey(std::string_view key) const;

    private:
        friend class StoreTexts;
        Section(const StoreTexts& texts, size_t position) : m_texts(texts), m_position(position) {}
        const StoreTexts& m_texts;
        size_t m_position;
    };

    struct Sliced {};

    // The whole copy at once.
    explicit StoreTexts(const IniStore& store);
    // A copy with nothing copied yet, made by Continue.
    StoreTexts(const IniStore& store, Sliced);
    ~StoreTexts();
    StoreTexts(const StoreTexts&) = delete;
    StoreTexts& operator=(const StoreTexts&) = delete;

    // The store the copy was made of, as an identity only: never read through it on another thread.
    const IniStore* Origin() const { return m_origin; }
    // The store's loaded text that the copy shares (IniStore::LoadedText); null when it copied all.
    const std::shared_ptr<const std::string>& SharedText() const { return m_shared; }

    // Copies whole sections until at least `lines` more lines are copied, or the store is done;
    // true once it is done.
    bool Continue(size_t lines);
    bool Done() const { return m_done; }

    size_t SectionCount() const { return m_places.size(); }
    Section SectionAt(size_t position) const { return Section(*this, position); }

private:
    struct Place {
        uint32_t nameStart;  // into the names
        uint32_t nameEnd;
        uint32_t firstLine;  // the number of its first line among all lines
        uint32_t lineCount;
    };
    // A line's text: where it starts, with whether it was read from the file in the top bit, and
    // its length, with whether it lies in the store's loaded text (shared, not copied) in the top
    // bit, else in the copy's own text, and in the bit below whether the shared text is the one the
    // store borrowed. Eight bytes a line, and the bytes of a loaded store are not copied at all:
    // only what edits wrote is.
    struct LineSpan {
        uint32_t start;
        uint32_t size;
    };
    static constexpr uint32_t AsReadBit = uint32_t{1} << 31;
    static constexpr uint32_t SharedBit = uint32_t{1} << 31;
    static constexpr uint32_t BorrowedBit = uint32_t{1} << 30;

    Line LineAt(size_t line) const {
        const LineSpan span = m_lines[line];
        std::string_view text = m_text;
        if ((span.size & SharedBit) != 0)
            text = (span.size & BorrowedBit) != 0 ? std::string_view(*m_borrowed) : std::string_view(*m_shared);
        return {text.substr(span.start & ~AsReadBit, span.size & ~(SharedBit | BorrowedBit)),
                (span.start & AsReadBit) != 0};
    }
    const NameIndex<true>& KeyIndexOf(size_t position) const;
    uint32_t Offset(const std::string& text) const;
    LineSpan SpanOf(std::string_view raw, bool asRead);

    const IniStore* m_origin;
    bool m_done = false;
    // The store's loaded text, and the text it borrowed, when they can be shared (null when too
    // large for the spans).
    std::shared_ptr<const std::string> m_shared;
    std::shared_ptr<const std::string> m_borrowed;
    std::string m_names;
    std::string m_text;
    std::vector<LineSpan> m_lines;
    std::vector<Place> m_places;
    // The first line of each key name of the last long section looked up. A comparison looks up
    // the keys of one section after another, so one index serves it without one kept per section.
    mutable NameIndex<true> m_keyIndex;
    mutable size_t m_keyIndexOf = SIZE_MAX;
};

}  // namespace velmora
