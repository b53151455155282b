// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace velmora {

// A vector of plain values in sixteen bytes: a pointer with a 32-bit size and capacity. The store
// holds one per section, 124,000 of them for a big document and its default copy, where a
// std::vector's third pointer would be eight bytes each for nothing. Its values are moved as
// bytes, so they must be trivially copyable.
template <class T>
class CompactVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    CompactVector() = default;
    ~CompactVector() { std::free(m_values); }
    CompactVector(const CompactVector&) = delete;
    CompactVector& operator=(const CompactVector&) = delete;
    CompactVector(CompactVector&&) = delete;
    CompactVector& operator=(CompactVector&&) = delete;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const T& operator[](size_t index) const { return m_values[index]; }
    T& operator[](size_t index) { return m_values[index]; }
    const T* begin() const { return m_values; }
    const T* end() const { return m_values + m_size; }

    void reserve(size_t capacity) {
        if (capacity > m_capacity) Reallocate(capacity);
    }
    // Exactly the values of [first, last), with no room to spare.
    void assign(const T* first, const T* last) {
        const auto count = static_cast<size_t>(last - first);
        if (count != m_capacity) Reallocate(count);
        if (count != 0) std::memcpy(static_cast<void*>(m_values), first, count * sizeof(T));
        m_size = static_cast<uint32_t>(count);
    }
    void push_back(const T& value) { insert(m_size, value); }
    void insert(size_t index, const T& value) {
        const T inserted = value;  // `value` may be one of ours, which growing moves
        if (m_size == m_capacity) Reallocate(m_capacity == 0 ? 4 : size_t{m_capacity} * 2);
        T* const at = m_values + index;
        std::memmove(static_cast<void*>(at + 1), at, (m_size - index) * sizeof(T));
        std::memcpy(static_cast<void*>(at), &inserted, sizeof(T));
        ++m_size;
    }
    void erase(size_t index) {
        T* const at = m_values + index;
        std::memmove(static_cast<void*>(at), at + 1, (m_size - index - 1) * sizeof(T));
        --m_size;
    }

private:
    void Reallocate(size_t capacity) {
        constexpr size_t kMost = std::numeric_limits<uint32_t>::max();
        if (capacity > kMost) {
            if (m_size == kMost) throw std::length_error("More than 4,294,967,295 values in one list");
            capacity = kMost;
        }
        if (capacity == 0) {
            std::free(m_values);
            m_values = nullptr;
        } else {
            void* moved = std::realloc(m_values, capacity * sizeof(T));
            if (moved == nullptr) throw std::bad_alloc();
            m_values = static_cast<T*>(moved);
        }
        m_capacity = static_cast<uint32_t>(capacity);
    }

    T* m_values = nullptr;
    uint32_t m_size = 0;
    uint32_t m_capacity = 0;
};

}  // namespace velmora
