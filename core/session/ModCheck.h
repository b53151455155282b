// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/values/Severity.h"

namespace velmora {

class Workspace;

// The check of a mod as a whole, over every kind of file open together: one list of problems, each
// with how bad it is, where it stands and why, in words a modder reads.

struct ModFinding {
    Severity Level = Severity::Note;
    std::string File;  // the kind's document, its file name without the folder
    size_t Line = 0;   // counted from 1
    std::string Entry;
    std::string Key;
    std::string Value;  // without its comment
    std::string Reason;
};

struct ModCheckResult {
    std::vector<ModFinding> Findings;
    // What keeps the check from judging everything: definition lines that could not be read, kind
    // sources naming no kind. One a line.
    std::vector<std::string> Warnings;

    bool WillCrash() const;
};

// Every dangling name across the kinds (the game stops on a name that points at nothing: "will
// crash") and every value check finding with the severity its rule gives, kind by kind in
// [FilesToEdit] order, each kind's findings by line.
ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds);

// Why `item` of key `key` dangles, from the key's sources as the kind's definition file names
// them: "GRUNTX is no entry of InfantryTypes", "SPLATX is no section of Art.ini".
std::string DanglingReason(const std::vector<const Workspace*>& kinds, const Workspace& kind,
                           const std::string& category, const std::string& key, const std::string& item);

}  // namespace velmora
