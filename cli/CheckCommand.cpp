// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>
#include <memory>

#include "core/layers/LayerReferences.h"
#include "core/layers/LayerStack.h"
#include "core/references/References.h"
#include "core/session/DocumentLayers.h"
#include "core/session/ModCheck.h"
#include "core/values/LiveValueCheck.h"
#include "core/values/ValueCheck.h"

namespace velmora::cli {

namespace {

// The values of `layerFiles` that win over the document are judged as its own, each reason
// followed by the layer's file and line.
int CheckValues(CommandContext& context, const std::vector<std::string>& layerFiles) {
    LiveValueCheck values(context.workspace);
    const ValueCheck& check = values.Check();
    PrintPinProblems(check);
    const std::vector<ValueFinding> findings = check.Findings();
    std::string listing;
    for (const ValueFinding& finding : findings)
        listing.append(SeverityText(finding.Severity)).append("\t").append(finding.SectionName).append("\t").append(finding.Key).append("\t").append(finding.Value)
            .append("\t").append(finding.Reason).append("\n");
    DocumentLayers layers(context.workspace);
    for (const std::string& file : layerFiles) layers.Add(file);
    const std::vector<LayerValueFinding> layered = layers.Misfits(values);
    for (const LayerValueFinding& finding : layered)
        listing.append(SeverityText(Severity::LikelyWrong))
            .append("\t")
            .append(finding.SectionName)
            .append("\t")
            .append(finding.Key)
            .append("\t")
            .append(finding.Value)
            .append("\t")
            .append(finding.Reason)
            .append(" (")
            .append(finding.FileName)
            .append(" line ")
            .append(std::to_string(finding.Line))
            .append(")\n");
    std::cout << listing;
    return findings.empty() && layered.empty() ? 0 : 1;
}

// One finding a line, its fields separated by tabs; exits with 1 when one will crash the game.
// `layerFiles` go over the rules, the first kind.
int CheckWholeMod(ModContext& mod, const std::vector<std::string>& layerFiles) {
    std::vector<const LayerStack*> stacks(mod.session.Count(), nullptr);
    std::unique_ptr<LayerStack> layers;
    if (!layerFiles.empty() && mod.session.Count() > 0) {
        layers = std::make_unique<LayerStack>(*mod.session.At(0).Work);
        for (const std::string& file : layerFiles) layers->Add(file);
        stacks.front() = layers.get();
    }
    const ModCheckResult result = CheckMod(mod.session.Workspaces(), stacks);
    for (const std::string& warning : result.Warnings) std::cerr << warning << '\n';
    std::string listing;
    for (const ModFinding& finding : result.Findings)
        listing.append(SeverityText(finding.Level)).append("\t").append(finding.File).append("\t")
            .append(std::to_string(finding.Line)).append("\t").append(finding.Entry).append("\t")
            .append(finding.Key).append("\t").append(finding.Value).append("\t").append(finding.Reason)
            .append("\n");
    std::cout << listing;
    return result.WillCrash() ? 1 : 0;
}

}  // namespace

// The definition file's [ValueKinds] lines that could not be read, on stderr: the check goes on
// with the kinds it learned for those keys.
void PrintPinProblems(const ValueCheck& check) {
    for (const std::string& problem : check.Problems()) std::cerr << problem << '\n';
}

// With layers, the items the layers' values name that nothing in the stack defines follow the
// document's own, each with its file and line.
int Check(const Arguments& args) {
    Arguments rest = args;
    const std::vector<std::string> layerFiles = TakeLayerFiles(rest);
    const StartArguments parsed = ParseStartArguments(rest, {"--values"}, {"--mod"});
    std::vector<std::string> none;
    if (const std::unique_ptr<ModContext> mod = OpenModWith(parsed, 0, none)) {
        if (parsed.Has("--values") || parsed.fileType) throw UsageError();
        return CheckWholeMod(*mod, layerFiles);
    }
    const std::unique_ptr<CommandContext> context = OpenDocumentWith(parsed, 0, none);
    if (parsed.Has("--values")) return CheckValues(*context, layerFiles);
    const std::vector<DanglingItem> dangling = FindDanglingItems(context->workspace);
    for (const DanglingItem& item : dangling)
        std::cout << item.SectionName << '\t' << item.Key << '\t' << item.Item << '\n';
    LayerStack layers(context->workspace);
    for (const std::string& file : layerFiles) layers.Add(file);
    const std::vector<LayerDanglingItem> layerItems = FindLayerDanglingItems(layers);
    for (const LayerDanglingItem& item : layerItems)
        std::cout << item.SectionName << '\t' << item.Key << '\t' << item.Item << '\t' << item.FileName
                  << " line " << item.Line << '\n';
    return dangling.empty() && layerItems.empty() ? 0 : 1;
}

}  // namespace velmora::cli
