// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/references/References.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

int Usages(const Arguments& args) {
    std::vector<std::string> code;
    const std::unique_ptr<CommandContext> context = OpenDocument(args, 1, code);
    for (const Usage& usage :
         FindUsages(context->workspace.Doc().Store(), code[0], context->globals.CaseSensitive))
        std::cout << usage.SectionName << '\t' << usage.Text << '\n';
    return 0;
}

}  // namespace velmora::cli
