// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/StoreRendering.h"

#include <utility>

namespace velmora {

namespace {

constexpr size_t PieceSize = size_t{1} << 20;

}  // namespace

StoreRendering::StoreRendering(const IniStore& store) : m_store(store) {}

void StoreRendering::Emit(std::initializer_list<std::string_view> parts) {
    if (m_pieces.empty() || m_pieces.back().size() >= PieceSize) {
        m_pieces.emplace_back();
        m_pieces.back().reserve(PieceSize + PieceSize / 8);
    }
    std::string& piece = m_pieces.back();
    for (std::string_view part : parts) piece += part;
    piece += StoreLineEnd;
    ++m_emitted;
}

bool StoreRendering::Continue(size_t lines) {
    if (m_done) return true;
    auto emit = [this](std::initializer_list<std::string_view> parts) { Emit(parts); };
    const size_t goal = m_emitted + lines;
    if (!m_started) {
        m_started = true;
        if (m_store.HasByteOrderMark()) {
            m_pieces.emplace_back(StoreByteOrderMark);
        }
        for (std::string_view line : m_store.Preamble()) emit({line});
    }
    while (m_nextSection < m_store.SectionCount() && m_emitted < goal)
        EmitSectionLines(m_store.SectionAt(m_nextSection++), emit);
    if (m_nextSection < m_store.SectionCount()) return false;
    for (std::string_view line : m_store.Trailing()) emit({line});
    m_done = true;
    return true;
}

std::string StoreRendering::Take() {
    size_t size = 0;
    for (const std::string& piece : m_pieces) size += piece.size();
    std::string text;
    text.reserve(size);
    for (const std::string& piece : m_pieces) text += piece;
    m_pieces.clear();
    return text;
}

}  // namespace velmora
