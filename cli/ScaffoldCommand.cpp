// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <filesystem>
#include <iostream>

#include "core/scaffold/DefinitionScaffold.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

int Scaffold(const Arguments& args) {
    bool force = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--force")
            force = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError();
        else
            files.push_back(arg);
    }
    if (files.size() != 2) throw UsageError();
    const std::string& documentFile = files[0];
    const std::string& definitionFile = files[1];
    if (!platform::IsRegularFile(documentFile)) throw IniError::CannotOpen(documentFile);
    std::error_code ec;
    if (std::filesystem::equivalent(platform::ToPath(documentFile), platform::ToPath(definitionFile), ec))
        throw IniError(definitionFile + " is the document itself");
    if (!force && std::filesystem::exists(platform::ToPath(definitionFile), ec))
        throw IniError(definitionFile + " already exists; give --force to replace it");

    const Globals defaults;
    const IniStore document(documentFile, &defaults.CaseSensitive);
    const DefinitionScaffold scaffold = ScaffoldDefinition(document, defaults.VariantAllowed);
    WriteDefinitionFile(scaffold, definitionFile);

    for (const ScaffoldCategory& category : scaffold.Categories)
        std::cout << '[' << category.Name << "] kind=" << category.Kind
                  << " entries=" << category.Entries.size() << '\n';
    std::cout << Workspace::UnknownCategory << ' ' << scaffold.UnknownCount << " of " << scaffold.SectionCount
              << " sections\n";
    return 0;
}

}  // namespace velmora::cli
