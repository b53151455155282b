// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <filesystem>
#include <iostream>
#include <utility>

#include "core/compare/Comparison.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

// diff: 1 reports differences, so an error has a code of its own.
constexpr int DiffFailed = 3;

namespace {

int CompareWithReference(const Arguments& args) {
    const StartArguments parsed = ParseStartArguments(args, {}, {"--against", "--patch"});
    if (parsed.places.size() != 2) throw UsageError();
    const std::string& documentFile = parsed.places[1];
    const std::optional<std::string> against = parsed.Option("--against");
    const std::optional<std::string> patch = parsed.Option("--patch");

    CommandContext context(parsed.places[0], parsed.fileType, {documentFile}, false);
    Workspace& workspace = context.workspace;
    const Globals& globals = context.globals;
    // The file type's default copy and its settings (the letter-case flag among them); listing
    // differences needs no catalogue.
    workspace.BeginLoadDefault_INI_file();
    workspace.ReadCreate_001FilenameAndDefault();
    // A missing reference would read as empty, and every section would look new.
    const std::string referenceFile = against.value_or(globals.DefaultFileName);
    if (!platform::IsRegularFile(referenceFile)) throw IniError::CannotOpen(referenceFile);

    const IniStore document(documentFile, &globals.CaseSensitive);
    const IniStore reference(referenceFile, &globals.CaseSensitive);
    const std::vector<Difference> differences = CompareStores(document, reference, globals.CaseSensitive);
    if (patch) {
        std::error_code ec;
        for (const auto& [file, role] : {std::pair{documentFile, "document"}, std::pair{referenceFile, "reference"}})
            if (std::filesystem::equivalent(platform::ToPath(file), platform::ToPath(*patch), ec))
                throw IniError(*patch + " is the " + role + " itself");
        platform::WriteWholeFile(*patch, PatchText(document, differences));
        if (const size_t removals = PatchRemovals(differences).size(); removals > 0)
            std::cerr << "warning: " << PatchRemovalsWarning(removals) << '\n';
    }
    std::string listing;
    for (const Difference& difference : differences) listing.append(DifferenceText(difference)).append("\n");
    std::cout << listing;
    return differences.empty() ? 0 : 1;
}

}  // namespace

int Diff(const Arguments& args) {
    try {
        return CompareWithReference(args);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return DiffFailed;
    }
}

}  // namespace velmora::cli
