// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace velmora {

// How bad a finding is for the game: it stops with an internal error, it plays but not as the
// modder meant, or it is worth a look.
enum class Severity { WillCrash, LikelyWrong, Note };

// "will crash", "likely wrong" or "note".
constexpr std::string_view SeverityText(Severity severity) {
    switch (severity) {
        case Severity::WillCrash: return "will crash";
        case Severity::LikelyWrong: return "likely wrong";
        case Severity::Note: return "note";
    }
    return "note";
}

}  // namespace velmora
