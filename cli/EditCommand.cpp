// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/layers/LayerStack.h"
#include "core/layers/LayeredSave.h"
#include "core/saving/DocumentSave.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

int Edit(const Arguments& args) {
    Arguments rest = args;
    const std::vector<std::string> layerFiles = TakeLayerFiles(rest);
    const StartArguments parsed = ParseStartArguments(rest, {}, {"--output"});
    if (parsed.places.size() != 2) throw UsageError();
    const std::string& documentFile = parsed.places[1];
    CommandContext context(parsed.places[0], parsed.fileType, {documentFile}, false);
    context.Load(documentFile);
    LayerStack layers(context.workspace);
    for (const std::string& file : layerFiles) layers.Add(file);

    ScriptedEdits edits(context.workspace);
    if (!layerFiles.empty()) edits.UseLayers(layers);
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
        // The script's edits were made on the files as they were read: another program's change
        // since then would be overwritten unseen.
        RefuseSaveOverChangedFile(context.workspace, saved->Definition.has_value());
        RefuseSaveOverChangedLayers(layers);
        // The layers go to their own files; --output names where the document goes.
        WriteWithLayers(*saved, edits.SavedWithDocument(), parsed.Option("--output").value_or(documentFile),
                        context.workspace.Doc().Definition().FileName(), edits.SavedLayers());
    }
    return 0;
}

}  // namespace velmora::cli
