// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/TextRules.h"

#include <algorithm>
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

// The length of the well-formed UTF-8 character at `at`, a lead byte and its continuation bytes
// (no overlong form, no surrogate, nothing past U+10FFFF); 0 when none stands there.
size_t Utf8CharacterLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || at + length > text.size()) return 0;
    // The second byte's range also rules out the overlong forms and the surrogates.
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (second < low || second > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

bool IsRefusedByte(unsigned char byte) { return (byte < 32 && byte != '\t') || byte == 127; }

size_t FirstControlCharacter(std::string_view text, std::string_view kept) {
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (IsRefusedByte(byte)) return at;
        if (const size_t length = Utf8CharacterLength(text, at); length > 1) {
            at += length;
            continue;
        }
        if (byte >= 0x80 && byte <= 0x9F && kept.find(static_cast<char>(byte)) == std::string_view::npos) return at;
        ++at;
    }
    return std::string_view::npos;
}

void RefuseControlBytes(std::string_view text, std::string_view what, std::string_view kept) {
    const size_t at = FirstControlCharacter(text, kept);
    if (at != std::string_view::npos)
        throw IniError("the " + std::string(what) + " may not hold " +
                       NameOfByte(static_cast<unsigned char>(text[at])));
}

size_t CodeLengthLimit(std::string_view startCode) { return std::max(MaxCodeLength, startCode.size()); }
size_t NameLengthLimit(std::string_view startName) { return std::max(MaxNameLength, startName.size()); }

void RefuseLongCode(std::string_view code, std::string_view start) {
    const size_t limit = CodeLengthLimit(start);
    if (code.size() > limit) throw IniError("the code is longer than " + std::to_string(limit) + " characters");
}

void RefuseLongName(std::string_view name, std::string_view start) {
    const size_t limit = NameLengthLimit(start);
    if (name.size() > limit) throw IniError("the name is longer than " + std::to_string(limit) + " characters");
}

void RefuseValue(std::string_view key, std::string_view value, std::string_view old) {
    RefuseControlBytes(value, "value", old);
    if (EqualsNoCase(TrimView(key), "Name")) RefuseLongName(value, old);
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
