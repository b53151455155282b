// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// The one error type of the core. Its text is shown to the user as it stands, e.g.
// "Cannot open file C:\Games\Rules.ini"; the windows catch it at the event boundary.
class IniError : public std::runtime_error {
public:
    explicit IniError(const std::string& text) : std::runtime_error(text) {}

    static IniError CannotOpen(const std::string& fileName) { return IniError("Cannot open file " + fileName); }
    static IniError CannotCreate(const std::string& fileName) {
        return IniError("Cannot create file " + fileName);
    }
    // "Cannot create file X: the disk is full": the name, then why.
    static IniError CannotCreate(const std::string& fileName, const std::string& reason) {
        return IniError("Cannot create file " + fileName + ": " + reason);
    }
};

}  // namespace velmora
