// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <filesystem>
#include <iostream>

#include "core/scaffold/DefinitionScaffold.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"
#include "core/store/Routines.h"

namespace velmora::cli {

int Scaffold(const Arguments& args) {
    const StartArguments parsed = ParseStartArguments(args, {"--force"}, {"--mod"});
    const bool force = parsed.Has("--force");
    const bool withMod = parsed.Option("--mod").has_value();
    if (parsed.places.size() != (withMod ? 3u : 2u) || (parsed.fileType && !withMod)) throw UsageError();
    const std::string& documentFile = parsed.places[withMod ? 1 : 0];
    const std::string& definitionFile = parsed.places[withMod ? 2 : 1];
    if (!platform::IsRegularFile(documentFile)) throw IniError::CannotOpen(documentFile);
    std::error_code ec;
    if (std::filesystem::equivalent(platform::ToPath(documentFile), platform::ToPath(definitionFile), ec))
        throw IniError(definitionFile + " is the document itself");
    if (!force && std::filesystem::exists(platform::ToPath(definitionFile), ec))
        throw IniError(definitionFile + " already exists; give --force to replace it");

    std::unique_ptr<ModContext> mod;
    if (withMod) mod = std::make_unique<ModContext>(*parsed.Option("--mod"), parsed.places[0]);
    const Globals defaults;
    const IniStore document(documentFile, &defaults.CaseSensitive);
    const DefinitionScaffold scaffold = ScaffoldDefinition(
        document, defaults.VariantAllowed,
        // The kinds of the mod but DOC's own: the kind `--type` names, else the one whose file name
        // DOC bears.
        mod ? ScaffoldKindsBeside(mod->session.Workspaces(),
                                  parsed.fileType ? *parsed.fileType : ExtractFileName(documentFile))
            : std::vector<ScaffoldKind>{});
    WriteDefinitionFile(scaffold, definitionFile);

    for (const ScaffoldCategory& category : scaffold.Categories)
        std::cout << '[' << category.Name << "] kind=" << category.Kind
                  << " entries=" << category.Entries.size() << '\n';
    std::cout << Workspace::UnknownCategory << ' ' << scaffold.UnknownCount << " of " << scaffold.SectionCount
              << " sections\n";
    return 0;
}

}  // namespace velmora::cli
