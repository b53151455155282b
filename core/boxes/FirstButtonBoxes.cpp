// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/boxes/FirstButtonBoxes.h"

#include <ostream>

#include "core/store/Routines.h"

namespace velmora {
namespace {

constexpr const char* ApplicationTitle = "VelmoraEdit";

}  // namespace

void FirstButtonBoxes::Notice(const std::string& text) { Print(ApplicationTitle, text); }

BoxAnswer FirstButtonBoxes::Plain(const std::string& caption, const std::string& text, bool) {
    Print(caption, text);
    return BoxAnswer::Ok;
}

BoxAnswer FirstButtonBoxes::Confirm(const std::string& text) {
    Print("Confirm", text);
    return BoxAnswer::Yes;
}

BoxAnswer FirstButtonBoxes::Warning(const std::string& text) {
    Print("Warning", text);
    return BoxAnswer::Ok;
}

void FirstButtonBoxes::Error(const std::string& text) { Print(ApplicationTitle, text); }

void FirstButtonBoxes::Print(const std::string& caption, const std::string& text) const {
    if (m_log) *m_log << caption << ": " << OneLine(text) << '\n';
}

}  // namespace velmora
