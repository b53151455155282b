// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/TextCase.h"

namespace velmora {

unsigned char UpperByte(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    return c;
}

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
    return folded;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] &&
            UpperByte(static_cast<unsigned char>(a[i])) != UpperByte(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

uint64_t HashNoCase(std::string_view text) {
    uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
    for (char c : text) {
        hash ^= UpperByte(static_cast<unsigned char>(c));
        hash *= 0x100000001B3ull;
    }
    return hash;
}

int IndexOfNoCase(const std::vector<std::string>& texts, std::string_view text) {
    for (size_t i = 0; i < texts.size(); ++i)
        if (EqualsNoCase(texts[i], text)) return static_cast<int>(i);
    return -1;
}

std::string_view TrimLeftView(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(static_cast<unsigned char>(text[start]))) ++start;
    return text.substr(start);
}

std::string_view TrimRightView(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(0, end);
}

std::string_view TrimView(std::string_view text) { return TrimRightView(TrimLeftView(text)); }

}  // namespace velmora
