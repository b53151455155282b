// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/saving/DocumentSave.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

int Edit(const Arguments& args) {
    const StartArguments parsed = ParseStartArguments(args, {}, {"--output"});
    if (parsed.places.size() != 2) throw UsageError();
    const std::string& documentFile = parsed.places[1];
    CommandContext context(parsed.places[0], parsed.fileType, {documentFile}, false);
    context.Load(documentFile);

    ScriptedEdits edits(context.workspace);
    std::string line;
    for (size_t number = 1; std::getline(std::cin, line); ++number) {
        try {
            edits.Run(line);
            for (const std::string& note : edits.TakeNotes()) std::cerr << note << '\n';
            for (const std::string& shown : edits.TakeOutput()) std::cout << shown << '\n';
        } catch (const std::exception& error) {
            std::cerr << "line " << number << ": " << error.what() << '\n';
            return 1;
        }
    }
    if (const auto& saved = edits.Saved()) {
        // The script's edits were made on the document as it was read: another program's change
        // since then would be overwritten unseen.
        RefuseSaveOverChangedFile(context.workspace, saved->Definition.has_value());
        WriteSaveTexts(*saved, parsed.Option("--output").value_or(documentFile),
                       context.workspace.Doc().Definition().FileName());
    }
    return 0;
}

}  // namespace velmora::cli
