// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/saving/DocumentSave.h"
#include "core/saving/ModSave.h"

namespace velmora {

class LayerStack;
class Workspace;

// The text a save writes for one layer.
struct LayerText {
    std::string FileName;
    std::string Text;
};

// The texts of the layers that changed since they were read or last saved, in stack order.
std::vector<LayerText> LayerTextsToSave(const LayerStack& stack);

// Writes `texts` as WriteSaveTexts does (the document unless `withDocument` is false) and the
// layers' texts with them: all or none. Throws IniError naming the file that could not be
// written; the files on disk are then as they were.
void WriteWithLayers(const SaveTexts& texts, bool withDocument, const std::string& documentFile,
                     const std::string& definitionFile, const std::vector<LayerText>& layers);

// File, Save over a stack: the document when it changed since it was saved (or when no layer
// did, as a plain save writes it), the definition file when its lists changed, and every changed
// layer, as one save. Only when all went to disk is each marked saved.
void SaveStack(LayerStack& stack);

// Save As over a stack: the document under `documentFile`, whether changed or not (the name it
// keeps from then on), with the definition file and every changed layer, as one save.
void SaveStackAs(LayerStack& stack, const std::string& documentFile);

// What a save of a mod writes with the layers over its kinds (`stacks`, any kind's): the texts of
// `kinds` as ModTextsToSave gives them, a kind whose layers alone changed without its own file.
std::vector<KindSave> ModTextsWithLayers(const std::vector<Workspace*>& kinds, const std::vector<LayerStack*>& stacks);

// Save of a mod with layers: ModTextsWithLayers and every changed layer of `stacks` as one save,
// all or none; then each is marked saved, as is a read-only kind whose layers alone changed.
// Refuses, before writing anything, to overwrite a file or layer another program changed since
// it was read, unless `overChanges`. Returns how many kinds and layers were written.
size_t SaveModWithLayers(const std::vector<Workspace*>& kinds, const std::vector<LayerStack*>& stacks,
                         bool overChanges = false);

// The first changed layer whose file another program changed since it was read or last saved:
// what a save would overwrite unseen. None when there is none.
std::optional<std::string> LayerChangedOnDisk(const LayerStack& stack);

// A save that no user watches refuses to overwrite another program's change to a layer it
// writes: throws IniError "<file>: the file changed on disk while editing".
void RefuseSaveOverChangedLayers(const LayerStack& stack);

}  // namespace velmora
