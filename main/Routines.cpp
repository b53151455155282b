#include "main/Routines.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "store/TextCase.h"
#include "store/mIniGue.h"

namespace velmora {

char DirSeparator() { return static_cast<char>(std::filesystem::path::preferred_separator); }

bool IsCompleteDir(std::string_view dir) { return !dir.empty() && (dir.back() == '\\' || dir.back() == '/'); }

std::string CompleteDir(std::string_view dir) {
    std::string complete(dir);
    if (!IsCompleteDir(complete)) complete += DirSeparator();
    return complete;
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

// One rule for the whole program: the store's.
std::string StripComment(std::string_view text) { return TMemIniFile::StripComment(text); }

std::vector<std::string> ValueItems(std::string_view value) {
    const std::string text = StripComment(value);
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = std::min(text.find(',', start), text.size());
        std::string_view item = TrimView(std::string_view(text).substr(start, comma - start));
        if (!item.empty()) items.emplace_back(item);
        start = comma + 1;
    }
    return items;
}

std::vector<std::string> SplitCommaList(std::string_view text) {
    // A NUL ends a text wherever it comes from, as it ends a file the store reads.
    text = text.substr(0, text.find('\0'));
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

int32_t ReadLeadingNumber(std::string_view text) {
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

    // Accumulated beyond the 32-bit range only far enough to know it must be clamped.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        int digit = hexDigit(text[pos]);
        if (digit < 0 || digit >= base) break;
        value = std::min(value * base + digit, limit);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace velmora
