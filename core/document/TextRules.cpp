// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/TextRules.h"

#include <cstdio>

#include "core/store/IniError.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

std::string NameOfByte(unsigned char byte) {
    if (byte == '\r' || byte == '\n') return "a line break";
    if (byte == 0) return "a NUL byte";
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", byte);
    return std::string("the control character ") + code;
}

}  // namespace

bool IsRefusedByte(unsigned char byte) { return (byte < 32 && byte != '\t') || byte == 127; }

void RefuseControlBytes(std::string_view text, std::string_view what) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsRefusedByte(byte)) throw IniError("the " + std::string(what) + " may not hold " + NameOfByte(byte));
    }
}

std::string UsableKey(std::string_view key) {
    RefuseControlBytes(key, "key");
    const std::string_view name = TrimView(key);
    if (name.empty()) throw IniError("the key may not be empty");
    if (name.find('=') != std::string_view::npos) throw IniError("the key may not hold \"=\"");
    if (name.front() == ';') throw IniError("the key may not begin with \";\": the line would be a comment");
    if (name.front() == '[') throw IniError("the key may not begin with \"[\": the line would be a section header");
    return std::string(name);
}

std::string LineWithValue(std::string_view line, std::string_view value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::string(line) + "=" + std::string(value);
    const std::string_view after = line.substr(eq + 1);
    const size_t semicolon = after.find(';');
    const std::string_view old = semicolon == std::string_view::npos ? after : after.substr(0, semicolon);
    // The blanks after "=" and those after the value stay; an empty value's place is right after "=".
    size_t start = eq + 1;
    size_t end = eq + 1;
    if (!TrimView(old).empty()) {
        start += old.size() - TrimLeftView(old).size();
        end += TrimRightView(old).size();
    }
    if (value.find(';') != std::string_view::npos) end = line.size();
    std::string written(line.substr(0, start));
    written.append(value);
    written.append(line.substr(end));
    return written;
}

std::string Latin1FromUtf8(std::string_view text) {
    std::string latin1;
    latin1.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            latin1 += static_cast<char>(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t code = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07u;
        }
        if (length == 0 || i + length > text.size())
            throw IniError("the text is not UTF-8 (byte " + std::to_string(i + 1) + ")");
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) throw IniError("the text is not UTF-8 (byte " + std::to_string(i + 1) + ")");
            code = (code << 6) | (next & 0x3Fu);
        }
        // An overlong form of an ASCII character is no character at all.
        if (code < 0x80) throw IniError("the text is not UTF-8 (byte " + std::to_string(i + 1) + ")");
        if (code > 0xFF)
            throw IniError("\"" + std::string(text.substr(i, length)) +
                           "\" is not a Latin-1 character, and a rules file holds no other");
        latin1 += static_cast<char>(code);
        i += length;
    }
    return latin1;
}

}  // namespace velmora
