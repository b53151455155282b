// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/Routines.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

char DirSeparator() { return static_cast<char>(std::filesystem::path::preferred_separator); }

bool IsCompleteDir(std::string_view dir) { return !dir.empty() && (dir.back() == '\\' || dir.back() == '/'); }

std::string CompleteDir(std::string_view dir) {
    std::string complete(dir);
    if (!IsCompleteDir(complete)) complete += DirSeparator();
    return complete;
}

std::string OneLine(std::string_view text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line;
}

namespace {

size_t FileNameStart(std::string_view path) {
    size_t last = path.find_last_of("/\\:");
    return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(FileNameStart(path))); }

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    size_t nameStart = FileNameStart(path);
    size_t dot = path.rfind('.');
    size_t end = (dot == std::string_view::npos || dot < nameStart) ? path.size() : dot;
    std::string changed(path.substr(0, end));
    changed += extension;
    return changed;
}

bool NamesEqual(std::string_view a, std::string_view b, bool caseSensitive) {
    return caseSensitive ? a == b : EqualsNoCase(a, b);
}

std::string NameKey(std::string_view name, bool caseSensitive) {
    return caseSensitive ? std::string(name) : FoldCase(name);
}

// One rule for the whole program: the store's.
std::string StripComment(std::string_view text) { return IniStore::StripComment(text); }

std::vector<std::string> ValueItems(std::string_view value) {
    std::vector<std::string> items;
    ForEachValueItem(value, [&items](std::string_view item) { items.emplace_back(item); });
    return items;
}

std::vector<std::string> SplitCommaList(std::string_view text) {
    auto isBlank = [](char c) { return IsBlank(static_cast<unsigned char>(c)); };

    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    while (pos < text.size()) {
        std::string item;
        if (text[pos] == '"') {
            // Runs to the closing quote; a doubled quote is one quote. An unclosed quote takes
            // the rest of the text, nothing of it dropped.
            ++pos;
            while (pos < text.size()) {
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        item += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                item += text[pos++];
            }
        } else {
            size_t start = pos;
            while (pos < text.size() && !isBlank(text[pos]) && text[pos] != ',') ++pos;
            item.assign(text.substr(start, pos - start));
        }
        items.push_back(std::move(item));
        while (pos < text.size() && isBlank(text[pos])) ++pos;
        if (pos < text.size() && text[pos] == ',') {
            ++pos;
            while (pos < text.size() && isBlank(text[pos])) ++pos;
        }
    }
    return items;
}

int64_t ReadLeadingNumber64(std::string_view text) {
    auto hexDigit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };

    size_t pos = 0;
    while (pos < text.size() && IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

    int base = 10;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }

    // The magnitude grows only up to the largest 64-bit number; what lies beyond reads as it.
    constexpr uint64_t limit = std::numeric_limits<int64_t>::max();
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        int digit = hexDigit(text[pos]);
        if (digit < 0 || digit >= base) break;
        value = value > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)
                    ? limit
                    : value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

int32_t ReadLeadingNumber(std::string_view text) {
    return static_cast<int32_t>(std::clamp<int64_t>(ReadLeadingNumber64(text), std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

ListNumbers::ListNumbers(const std::vector<std::string>& keyNames) {
    m_present.reserve(keyNames.size());
    for (const std::string& name : keyNames) {
        const int64_t number = ReadLeadingNumber64(name);
        m_present.push_back(number);
        m_highest = std::max(m_highest, number);
    }
}

int64_t ListNumbers::Next() {
    if (m_highest < std::numeric_limits<int64_t>::max()) {
        m_present.push_back(++m_highest);
        return m_highest;
    }
    if (!m_sorted) {
        std::sort(m_present.begin(), m_present.end());
        m_sorted = true;
    }
    int64_t lowest = 1;
    for (int64_t number : m_present) {
        if (number > lowest) break;
        if (number == lowest) ++lowest;
    }
    m_present.insert(std::lower_bound(m_present.begin(), m_present.end(), lowest), lowest);
    return lowest;
}

}  // namespace velmora
