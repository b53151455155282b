// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/store/TextCase.h"

namespace velmora {

// The first position of each name among named items (sections, lines), exactly or without regard
// to letter case. An open-addressing table of (hash, position) pairs, so that adding and finding
// allocate nothing per item and the table stays small. It holds no names: the caller hands in
// `nameOf`, which gives the name of the item at a stored position.
template <bool IgnoreCase>
class NameIndex {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    void Clear() {
        m_slots.clear();
        m_count = 0;
    }

    void Reserve(size_t count) {
        if (count * 2 > m_slots.size()) Rehash(std::bit_ceil(std::max<size_t>(16, count * 2)));
    }

    // The position stored for the name; kNone when it has none.
    template <class NameOf>
    uint32_t Find(std::string_view name, NameOf nameOf) const {
        if (m_slots.empty()) return kNone;
        const uint32_t hash = Hash(name);
        for (size_t i = Home(hash);; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot& slot = m_slots[i];
            if (slot.position == kNone) return kNone;
            if (slot.hash == hash && Same(nameOf(slot.position), name)) return slot.position;
        }
    }

    // Stores `position` for the name unless the name has a position already; gives the position
    // the name has now.
    template <class NameOf>
    uint32_t Add(std::string_view name, uint32_t position, NameOf nameOf) {
        if ((m_count + 1) * 2 > m_slots.size()) Rehash(std::max<size_t>(16, m_slots.size() * 2));
        const uint32_t hash = Hash(name);
        for (size_t i = Home(hash);; i = (i + 1) & (m_slots.size() - 1)) {
            Slot& slot = m_slots[i];
            if (slot.position == kNone) {
                slot = Slot{hash, position};
                ++m_count;
                return position;
            }
            if (slot.hash == hash && Same(nameOf(slot.position), name)) return slot.position;
        }
    }

    // Starts fetching the place where the search for the name begins, for loops that ask for many.
    void Prefetch(std::string_view name) const {
#if defined(__GNUC__) || defined(__clang__)
        if (!m_slots.empty()) __builtin_prefetch(&m_slots[Home(Hash(name))]);
#else
        (void)name;
#endif
    }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t position = kNone;
    };

    static uint32_t Hash(std::string_view name) {
        const uint64_t hash = IgnoreCase ? HashNoCase(name) : std::hash<std::string_view>{}(name);
        return static_cast<uint32_t>(hash ^ (hash >> 32));
    }

    static bool Same(std::string_view stored, std::string_view name) {
        return IgnoreCase ? EqualsNoCase(stored, name) : stored == name;
    }

    // Multiplicative spreading, so that hashes differing in their high bits only still part.
    size_t Home(uint32_t hash) const {
        return static_cast<size_t>((static_cast<uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> 32) & (m_slots.size() - 1);
    }

    // `size` is a power of two; the names stored all differ, so none needs comparing.
    void Rehash(size_t size) {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(size, Slot{});
        for (const Slot& slot : old) {
            if (slot.position == kNone) continue;
            size_t i = Home(slot.hash);
            while (m_slots[i].position != kNone) i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;  // empty, or a power of two in size and at most half full
    size_t m_count = 0;
};

}  // namespace velmora
