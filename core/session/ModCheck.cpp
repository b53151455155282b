// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/ModCheck.h"

#include <algorithm>

#include "core/catalogue/Workspace.h"
#include "core/references/ModReferences.h"
#include "core/references/References.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "core/values/ValueCheck.h"

namespace velmora {

bool ModCheckResult::WillCrash() const {
    return std::any_of(Findings.begin(), Findings.end(),
                       [](const ModFinding& finding) { return finding.Level == Severity::WillCrash; });
}

std::string DanglingReason(const std::vector<const Workspace*>& kinds, const Workspace& kind,
                           const std::string& category, const std::string& key, const std::string& item) {
    std::vector<std::string> places;
    const int row = IndexOfNoCase(kind.CategoryRows(), category);
    if (row >= 0) {
        for (const ReferenceKey& reference : ReferenceKeysOf(kind, static_cast<size_t>(row))) {
            if (!EqualsNoCase(reference.Key, key)) continue;
            for (const size_t source : reference.CategoryRows)
                places.push_back("an entry of " + kind.CategoryRows()[source]);
            for (const std::string& source : reference.OtherSources) {
                const std::optional<KindSource> other = ParseKindSource(source);
                if (!other) {
                    places.push_back("a value of " + source);
                    continue;
                }
                const Workspace* target = KindNamed(kinds, other->Kind);
                const std::string file = target ? target->FileToEdit() : other->Kind;
                places.push_back(other->Category == "*" ? "a section of " + file
                                                        : "an entry of " + file + "'s " + other->Category);
            }
            break;
        }
    }
    std::string reason = item + " is not";
    for (size_t i = 0; i < places.size(); ++i) reason.append(i == 0 ? " " : ", nor ").append(places[i]);
    if (places.empty()) reason += " anything " + key + " may name";
    return reason + ": the game finds nothing by that name";
}

ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds) {
    ModCheckResult result;
    result.Warnings = KindSourceProblems(kinds);
    std::vector<ModDanglingItem> dangling = FindModDanglingItems(kinds);
    for (const Workspace* kind : kinds) {
        if (!kind->Doc().HasStores()) continue;
        const std::string file = ExtractFileName(kind->Doc().FileName());
        std::vector<ModFinding> findings;
        for (const ModDanglingItem& found : dangling) {
            if (found.Kind != kind) continue;
            const DanglingItem& item = found.Item;
            findings.push_back({Severity::WillCrash, file, found.FileLine, item.SectionName, item.Key, item.Value,
                                DanglingReason(kinds, *kind, item.Category, item.Key, item.Item)});
        }
        const ValueCheck values(*kind);
        for (const std::string& problem : values.Problems()) result.Warnings.push_back(file + ": " + problem);
        const FileLines lines(kind->Doc().Store());
        for (const ValueFinding& finding : values.Findings())
            findings.push_back({finding.Severity, file,
                                finding.KeyMissing ? lines.HeaderOf(finding.Place.Section) : lines.Of(finding.Place), finding.SectionName,
                                finding.Key, finding.Value, finding.Reason});
        std::stable_sort(findings.begin(), findings.end(),
                         [](const ModFinding& a, const ModFinding& b) { return a.Line < b.Line; });
        result.Findings.insert(result.Findings.end(), findings.begin(), findings.end());
    }
    return result;
}

}  // namespace velmora
