// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/values/Severity.h"

namespace velmora {

class LayerStack;
class ValueCheck;
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
    size_t Kind = 0;  // the kind's position among the kinds checked
    size_t Layer = 0;  // 0 for the kind's document, 1 + i for the layer at i over it
};

struct ModCheckResult {
    std::vector<ModFinding> Findings;
    // What keeps the check from judging everything: definition lines that could not be read, kind
    // sources naming no kind. One a line.
    std::vector<std::string> Warnings;

    bool WillCrash() const;
};

// The findings counted by severity, as the check's window sums them up: "3 will crash, 2 likely
// wrong, 1 note"; a severity without findings is left out, and no findings at all read
// "No problems found".
std::string FindingsSummary(const ModCheckResult& result);

// Every dangling name across the kinds (the game stops on a name that points at nothing: "will
// crash") and every value check finding with the severity its rule gives, kind by kind in
// [FilesToEdit] order, each kind's findings by line, those of the layers over it after them.
ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds);
// The same with the layers over the kinds (`layers` beside `kinds`, null for a kind without).
ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds, const std::vector<const LayerStack*>& layers);

// The same from the value checks the kinds already keep (`values` beside `kinds`, one each).
ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds, const std::vector<const ValueCheck*>& values,
                        const std::vector<const LayerStack*>& layers = {});

// The parts of the check, for one that follows edits and judges again only what they touched: the
// value findings of the kind at `kind` with its value check's problems as warnings, and the
// dangling names of every kind. MergeFindings puts both together kind by kind, each by line.
struct KindFindings {
    std::vector<ModFinding> Findings;
    std::vector<std::string> Warnings;
};
// With `layers` (may be null) over the kind, the values its layers set that the game will use are
// judged as the document's are ("likely wrong"), at the layer's file and line.
KindFindings ValueFindingsOf(const std::vector<const Workspace*>& kinds, size_t kind,
                             const ValueCheck& values, const LayerStack* layers = nullptr);
// With `layers` beside `kinds` (null for a kind without), the names each layer uses that nothing in
// its stack defines follow the kind's own, with the layer's file and line.
std::vector<ModFinding> DanglingFindings(const std::vector<const Workspace*>& kinds,
                                         const std::vector<const LayerStack*>& layers = {});
ModCheckResult MergeFindings(const std::vector<const Workspace*>& kinds, const std::vector<ModFinding>& dangling,
                             const std::vector<const KindFindings*>& values);

// Why `item` of key `key` dangles, from the key's sources as the kind's definition file names
// them: "GRUNTX is no entry of InfantryTypes", "SPLATX is no section of Art.ini".
std::string DanglingReason(const std::vector<const Workspace*>& kinds, const Workspace& kind,
                           const std::string& category, const std::string& key, const std::string& item);

}  // namespace velmora
