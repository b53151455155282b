// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/MessageText.h"

namespace velmora {

std::string Escaped(std::string_view text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool control = (byte < 0x20 && byte != '\t') || (byte >= 0x7F && byte <= 0x9F);
        if (!control) {
            shown += c;
        } else if (byte == '\r') {
            shown += "\\r";
        } else if (byte == '\n') {
            shown += "\\n";
        } else {
            shown += "\\x";
            shown += Hex[byte >> 4];
            shown += Hex[byte & 0x0F];
        }
    }
    return shown;
}

std::string Counted(size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace velmora
