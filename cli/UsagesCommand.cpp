// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/references/ModReferences.h"
#include "core/references/References.h"
#include "core/store/Routines.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

int Usages(const Arguments& args) {
    std::vector<std::string> code;
    const StartArguments parsed = ParseStartArguments(args, {}, {"--mod"});
    if (const std::unique_ptr<ModContext> mod = OpenModWith(parsed, 1, code)) {
        if (parsed.fileType) throw UsageError();
        // The file and its line lead to each usage in a mod of several files.
        for (const ModUsage& usage : FindModUsages(mod->session.Workspaces(), code[0]))
            std::cout << ExtractFileName(usage.Kind->Doc().FileName()) << '\t' << usage.FileLine << '\t'
                      << usage.Line.SectionName << '\t' << usage.Line.Text << '\n';
        return 0;
    }
    if (parsed.places.size() != 3) throw UsageError();
    const std::unique_ptr<CommandContext> context = OpenDocumentWith(parsed, 1, code);
    for (const Usage& usage :
         FindUsages(context->workspace.Doc().Store(), code[0], context->globals.CaseSensitive))
        std::cout << usage.SectionName << '\t' << usage.Text << '\n';
    return 0;
}

}  // namespace velmora::cli
