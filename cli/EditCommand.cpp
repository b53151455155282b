// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/layers/LayerStack.h"
#include "core/layers/LayeredSave.h"
#include "core/saving/DocumentSave.h"
#include "core/saving/ModSave.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

namespace {

// Runs the lines of standard input; false when one could not be done.
bool RunLines(ScriptedEdits& edits) {
    std::string line;
    for (size_t number = 1; std::getline(std::cin, line); ++number) {
        try {
            edits.Run(line);
            for (const std::string& note : edits.TakeNotes()) std::cerr << note << '\n';
            for (const std::string& shown : edits.TakeOutput()) std::cout << shown << '\n';
        } catch (const std::exception& error) {
            std::cerr << "line " << number << ": " << error.what() << '\n';
            return false;
        }
    }
    return true;
}

// The lines address the kind `--type` names (by default the first of [FilesToEdit]); a change of
// code reaches every kind, and a save writes every changed file of the mod together.
int EditMod(const StartArguments& parsed, ModContext& mod) {
    if (parsed.Option("--output")) throw UsageError();
    ModSession& session = mod.session;
    ModSession::Kind* kind = parsed.fileType ? session.Find(*parsed.fileType) : &session.At(0);
    if (kind == nullptr) throw IniError("No file type " + Escaped(*parsed.fileType) + " in [FilesToEdit]");
    ScriptedEdits edits(*kind->Work);
    edits.ReachKinds(session.WorkspacesToEdit(), session.Writable());
    if (!RunLines(edits)) return 1;
    if (const auto& saved = edits.ModSaved()) {
        // Only the kinds the mod folder holds are among them; a read-only kind is never written.
        for (const KindSave& save : *saved) RefuseSaveOverChangedFile(*save.Kind, save.Texts.Definition.has_value());
        WriteModTogether(*saved);
    }
    return 0;
}

}  // namespace

int Edit(const Arguments& args) {
    Arguments rest = args;
    const std::vector<std::string> layerFiles = TakeLayerFiles(rest);
    const StartArguments parsed = ParseStartArguments(rest, {}, {"--output", "--mod"});
    std::vector<std::string> none;
    if (const std::unique_ptr<ModContext> mod = OpenModWith(parsed, 0, none)) {
        if (!layerFiles.empty()) throw UsageError();
        return EditMod(parsed, *mod);
    }
    if (parsed.places.size() != 2) throw UsageError();
    const std::string& documentFile = parsed.places[1];
    CommandContext context(parsed.places[0], parsed.fileType, {documentFile}, false);
    context.Load(documentFile);
    LayerStack layers(context.workspace);
    for (const std::string& file : layerFiles) layers.Add(file);

    ScriptedEdits edits(context.workspace);
    if (!layerFiles.empty()) edits.UseLayers(layers);
    if (!RunLines(edits)) return 1;
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
