// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// The eight bytes of a store line: either the place and length of its own text, or the place of a
// record its store keeps for it; and two flags, "as read" and "kept" (the record form). The store
// decides which form a line takes (Fits); the bits only hold it.
template <size_t PointerSize = sizeof(void*)>
class LineBits;

// A 64-bit build packs everything into one word. User-space addresses on the platforms we build
// for (x86-64, AArch64, Windows x64, and the sanitizers' heaps) use at most 48 bits, so a text's
// place takes the low 48 bits and its length the 14 above them. Where an address does not fit
// (a tagged pointer, a wider address space), the text goes through a record instead. A record's
// place always fits: records are 8-aligned, so it is kept shifted by three into the low 62 bits.
template <>
class LineBits<8> {
public:
    static constexpr size_t MaxOwnSize = (size_t{1} << 14) - 1;

    // Whether a text can be held in place of a record.
    static bool Fits(const char* text, size_t size) {
        return size <= MaxOwnSize && (Address(text) >> kPlaceBits) == 0;
    }
    // Only for a text that Fits.
    static LineBits Own(const char* text, size_t size, bool asRead) {
        return LineBits(Address(text) | (uint64_t{size} << kPlaceBits) | Flag(asRead, kAsRead));
    }
    template <class Record>
    static LineBits Kept(const Record* record, bool asRead) {
        static_assert(alignof(Record) >= (size_t{1} << kRecordShift));
        return LineBits((Address(record) >> kRecordShift) | Flag(asRead, kAsRead) | kKept);
    }

    bool IsKept() const { return (m_word & kKept) != 0; }
    bool IsAsRead() const { return (m_word & kAsRead) != 0; }
    // Of a line in its own form.
    const char* Text() const {
        return reinterpret_cast<const char*>(static_cast<uintptr_t>(m_word & kPlaceMask));
    }
    size_t Size() const { return static_cast<size_t>((m_word >> kPlaceBits) & MaxOwnSize); }
    // Of a kept line.
    template <class Record>
    const Record* KeptRecord() const {
        return reinterpret_cast<const Record*>(
            static_cast<uintptr_t>((m_word & kRecordMask) << kRecordShift));
    }

private:
    static constexpr unsigned kPlaceBits = 48;
    static constexpr unsigned kRecordShift = 3;
    static constexpr uint64_t kPlaceMask = (uint64_t{1} << kPlaceBits) - 1;
    static constexpr uint64_t kAsRead = uint64_t{1} << 62;
    static constexpr uint64_t kKept = uint64_t{1} << 63;
    static constexpr uint64_t kRecordMask = kAsRead - 1;
    static_assert((uint64_t{MaxOwnSize} << kPlaceBits) < kAsRead);

    static uint64_t Address(const void* at) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(at)); }
    static constexpr uint64_t Flag(bool on, uint64_t bit) { return on ? bit : 0; }
    explicit LineBits(uint64_t word) : m_word(word) {}

    uint64_t m_word;
};

// A 32-bit build has room for a plain pointer beside a 30-bit length and the flags.
template <>
class LineBits<4> {
public:
    static constexpr size_t MaxOwnSize = (size_t{1} << 30) - 1;

    static bool Fits(const char* /*text*/, size_t size) { return size <= MaxOwnSize; }
    static LineBits Own(const char* text, size_t size, bool asRead) {
        return LineBits(text, static_cast<uint32_t>(size), asRead, false);
    }
    template <class Record>
    static LineBits Kept(const Record* record, bool asRead) {
        return LineBits(record, 0, asRead, true);
    }

    bool IsKept() const { return m_kept != 0; }
    bool IsAsRead() const { return m_asRead != 0; }
    const char* Text() const { return static_cast<const char*>(m_at); }
    size_t Size() const { return m_size; }
    template <class Record>
    const Record* KeptRecord() const {
        return static_cast<const Record*>(m_at);
    }

private:
    LineBits(const void* at, uint32_t size, bool asRead, bool kept)
        : m_at(at), m_size(size & MaxOwnSize), m_asRead(asRead ? 1 : 0), m_kept(kept ? 1 : 0) {}

    const void* m_at;
    uint32_t m_size : 30;
    uint32_t m_asRead : 1;
    uint32_t m_kept : 1;
};

}  // namespace velmora
