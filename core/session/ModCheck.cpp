// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/ModCheck.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

#include "core/catalogue/Workspace.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerReferences.h"
#include "core/layers/LayerStack.h"
#include "core/references/ModReferences.h"
#include "core/references/References.h"
#include "core/session/DocumentLayers.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "core/values/ValueCheck.h"

namespace velmora {

bool ModCheckResult::WillCrash() const {
    return std::any_of(Findings.begin(), Findings.end(),
                       [](const ModFinding& finding) { return finding.Level == Severity::WillCrash; });
}

std::string FindingsSummary(const ModCheckResult& result) {
    std::string summary;
    for (const Severity level : {Severity::WillCrash, Severity::LikelyWrong, Severity::Note}) {
        const auto count = static_cast<size_t>(
            std::count_if(result.Findings.begin(), result.Findings.end(),
                          [level](const ModFinding& finding) { return finding.Level == level; }));
        if (count == 0) continue;
        const std::string text(SeverityText(level));
        summary.append(summary.empty() ? "" : ", ").append(std::to_string(count)).append(" ");
        summary.append(level == Severity::Note && count != 1 ? text + "s" : text);
    }
    return summary.empty() ? "No problems found" : summary;
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

namespace {

std::string FileOf(const Workspace& kind) { return ExtractFileName(kind.Doc().FileName()); }

}  // namespace

KindFindings ValueFindingsOf(const std::vector<const Workspace*>& kinds, size_t kind,
                             const ValueCheck& values, const LayerStack* layers) {
    KindFindings result;
    const Workspace& work = *kinds[kind];
    if (!work.Doc().HasStores()) return result;
    const std::string file = FileOf(work);
    for (const std::string& problem : values.Problems()) result.Warnings.push_back(file + ": " + problem);
    const FileLines lines(work.Doc().Store());
    for (const ValueFinding& finding : values.Findings())
        result.Findings.push_back({finding.Severity, file,
                                   finding.KeyMissing ? lines.HeaderOf(finding.Place.Section) : lines.Of(finding.Place),
                                   finding.SectionName, finding.Key, finding.Value, finding.Reason, kind});
    if (layers == nullptr || layers->Count() == 0) return result;
    StackValues chains(*layers);
    DanglingRule rule(work);
    const ValueMisfit misfit = [&values, &rule](std::string_view code, std::string_view key,
                                                std::string_view value) {
        return values.Misfit(code, key, value, rule);
    };
    for (const LayerValueFinding& finding : LayerMisfits(work, *layers, chains, misfit))
        result.Findings.push_back({Severity::LikelyWrong, finding.FileName, finding.Line, finding.SectionName,
                                   finding.Key, finding.Value, finding.Reason, kind, finding.Layer + 1});
    return result;
}

std::vector<ModFinding> DanglingFindings(const std::vector<const Workspace*>& kinds,
                                         const std::vector<const LayerStack*>& layers) {
    std::vector<ModFinding> findings;
    // A big mod has thousands of dangling items of a few keys: the reason's words after the item
    // are found once per kind, category and key, not once per item.
    std::map<std::tuple<size_t, std::string, std::string>, std::string> reasons;
    for (const ModDanglingItem& found : FindModDanglingItems(kinds)) {
        const size_t kind = static_cast<size_t>(std::find(kinds.begin(), kinds.end(), found.Kind) - kinds.begin());
        const DanglingItem& item = found.Item;
        auto [reason, isNew] = reasons.try_emplace({kind, item.Category, item.Key});
        if (isNew) reason->second = DanglingReason(kinds, *found.Kind, item.Category, item.Key, "");
        findings.push_back({Severity::WillCrash, FileOf(*found.Kind), found.FileLine, item.SectionName, item.Key,
                            item.Value, item.Item + reason->second, kind});
    }
    // The game reads the names a layer uses once it read the whole stack, those of other kinds too.
    ModNames names(kinds);
    for (size_t kind = 0; kind < layers.size() && kind < kinds.size(); ++kind) {
        if (layers[kind] == nullptr || layers[kind]->Count() == 0) continue;
        for (const LayerDanglingItem& item : FindLayerDanglingItems(*layers[kind], &names)) {
            auto [reason, isNew] = reasons.try_emplace({kind, item.Category, item.Key});
            if (isNew) reason->second = DanglingReason(kinds, *kinds[kind], item.Category, item.Key, "");
            findings.push_back({Severity::WillCrash, item.FileName, item.Line, item.SectionName, item.Key, item.Item,
                                item.Item + reason->second, kind, item.Layer + 1});
        }
    }
    return findings;
}

ModCheckResult MergeFindings(const std::vector<const Workspace*>& kinds, const std::vector<ModFinding>& dangling,
                             const std::vector<const KindFindings*>& values) {
    ModCheckResult result;
    result.Warnings = KindSourceProblems(kinds);
    for (size_t kind = 0; kind < kinds.size(); ++kind) {
        if (!kinds[kind]->Doc().HasStores()) continue;
        std::vector<ModFinding> findings;
        for (const ModFinding& found : dangling)
            if (found.Kind == kind) findings.push_back(found);
        if (values[kind] != nullptr) {
            findings.insert(findings.end(), values[kind]->Findings.begin(), values[kind]->Findings.end());
            result.Warnings.insert(result.Warnings.end(), values[kind]->Warnings.begin(), values[kind]->Warnings.end());
        }
        std::stable_sort(findings.begin(), findings.end(),
                         [](const ModFinding& a, const ModFinding& b) {
                             return std::tie(a.Layer, a.Line) < std::tie(b.Layer, b.Line);
                         });
        result.Findings.insert(result.Findings.end(), findings.begin(), findings.end());
    }
    return result;
}

ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds, const std::vector<const ValueCheck*>& values,
                        const std::vector<const LayerStack*>& layers) {
    std::vector<KindFindings> found(kinds.size());
    std::vector<const KindFindings*> parts;
    for (size_t kind = 0; kind < kinds.size(); ++kind) {
        if (values[kind] != nullptr)
            found[kind] =
                ValueFindingsOf(kinds, kind, *values[kind], kind < layers.size() ? layers[kind] : nullptr);
        parts.push_back(&found[kind]);
    }
    return MergeFindings(kinds, DanglingFindings(kinds, layers), parts);
}

ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds) {
    return CheckMod(kinds, std::vector<const LayerStack*>{});
}

ModCheckResult CheckMod(const std::vector<const Workspace*>& kinds, const std::vector<const LayerStack*>& layers) {
    std::vector<std::unique_ptr<ValueCheck>> checks;
    std::vector<const ValueCheck*> values;
    for (const Workspace* kind : kinds) {
        checks.push_back(kind->Doc().HasStores() ? std::make_unique<ValueCheck>(*kind, kinds) : nullptr);
        values.push_back(checks.back().get());
    }
    return CheckMod(kinds, values, layers);
}

}  // namespace velmora
