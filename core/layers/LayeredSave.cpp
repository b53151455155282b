// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/layers/LayeredSave.h"

#include "core/catalogue/Workspace.h"
#include "core/layers/LayerStack.h"
#include "core/store/DiskStamp.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora {

std::vector<LayerText> LayerTextsToSave(const LayerStack& stack) {
    std::vector<LayerText> texts;
    for (size_t index : stack.ChangedLayers())
        texts.push_back({stack.Layer(index).FileName(), stack.Layer(index).Store().RenderText()});
    return texts;
}

void WriteWithLayers(const SaveTexts& texts, bool withDocument, const std::string& documentFile,
                     const std::string& definitionFile, const std::vector<LayerText>& layers) {
    std::vector<platform::FileContent> files;
    if (withDocument) files.push_back({documentFile, texts.Document});
    if (texts.Definition) files.push_back({definitionFile, *texts.Definition});
    for (const LayerText& layer : layers) files.push_back({layer.FileName, layer.Text});
    if (!files.empty()) platform::WriteFilesTogether(files);
}

namespace {

// The save of the stack with the document under `documentFile`, written when `withDocument`.
void SaveStackTo(LayerStack& stack, const std::string& documentFile, bool withDocument) {
    Workspace& workspace = stack.Work();
    Document& document = workspace.Doc();
    const std::vector<size_t> changed = stack.ChangedLayers();
    const std::vector<LayerText> layers = LayerTextsToSave(stack);
    const SaveTexts texts = TextsToSave(workspace, document.DefinitionChanged());
    const std::string& definitionFile = document.Definition().FileName();
    WriteWithLayers(texts, withDocument, documentFile, definitionFile, layers);
    // Only a name the document went to is the document's from now on.
    if (document.FileName() != documentFile) document.Rename(documentFile);
    if (withDocument) workspace.NoteWritten(documentFile, texts.Document);
    if (texts.Definition) workspace.NoteWritten(definitionFile, *texts.Definition);
    for (size_t i = 0; i < changed.size(); ++i)
        stack.SharedLayer(changed[i])->MarkSaved(StampOfWritten(layers[i].FileName, layers[i].Text));
    document.MarkSaved();
}

}  // namespace

void SaveStack(LayerStack& stack) {
    const Document& document = stack.Work().Doc();
    const bool withDocument =
        stack.ChangedLayers().empty() || document.History().ChangedSinceClean(StoreOf::Document);
    SaveStackTo(stack, std::string(document.FileName()), withDocument);
}

void SaveStackAs(LayerStack& stack, const std::string& documentFile) {
    SaveStackTo(stack, documentFile, true);
}

namespace {

// Whether the edits of `stack`'s document since its save were all in the layers.
bool LayersAloneChanged(const LayerStack& stack) {
    const Document& document = stack.Work().Doc();
    return !stack.ChangedLayers().empty() && !document.History().ChangedSinceClean(StoreOf::Document) &&
           !document.DefinitionChanged();
}

}  // namespace

std::vector<KindSave> ModTextsWithLayers(const std::vector<Workspace*>& kinds, const std::vector<LayerStack*>& stacks) {
    std::vector<KindSave> saves = ModTextsToSave(kinds);
    for (KindSave& save : saves)
        for (const LayerStack* stack : stacks)
            if (&stack->Work() == save.Kind && LayersAloneChanged(*stack)) save.WithDocument = false;
    return saves;
}

size_t SaveModWithLayers(const std::vector<Workspace*>& kinds, const std::vector<LayerStack*>& stacks,
                         bool overChanges) {
    const std::vector<KindSave> saves = ModTextsWithLayers(kinds, stacks);
    if (!overChanges) {
        for (const KindSave& save : saves)
            if (save.WithDocument || save.Texts.Definition)
                RefuseSaveOverChangedFile(*save.Kind, save.Texts.Definition.has_value());
        for (const LayerStack* stack : stacks) RefuseSaveOverChangedLayers(*stack);
    }
    std::vector<std::vector<size_t>> changed;
    std::vector<std::vector<LayerText>> texts;
    std::vector<bool> layersAlone;
    std::vector<platform::FileContent> layerFiles;
    for (const LayerStack* stack : stacks) {
        changed.push_back(stack->ChangedLayers());
        texts.push_back(LayerTextsToSave(*stack));
        layersAlone.push_back(LayersAloneChanged(*stack));
    }
    for (const std::vector<LayerText>& stackTexts : texts)
        for (const LayerText& layer : stackTexts) layerFiles.push_back({layer.FileName, layer.Text});
    WriteModTogether(saves, layerFiles);
    NoteModSaved(saves);
    for (size_t s = 0; s < stacks.size(); ++s) {
        // A kind the save does not write (a read-only one) is saved all the same when its layers
        // were all that changed.
        if (layersAlone[s]) stacks[s]->Work().Doc().MarkSaved();
        for (size_t i = 0; i < changed[s].size(); ++i)
            stacks[s]->SharedLayer(changed[s][i])->MarkSaved(StampOfWritten(texts[s][i].FileName, texts[s][i].Text));
    }
    return saves.size() + layerFiles.size();
}

std::optional<std::string> LayerChangedOnDisk(const LayerStack& stack) {
    for (size_t index : stack.ChangedLayers()) {
        const LayerFile& layer = stack.Layer(index);
        if (ChangeOnDisk(layer.Stamp(), layer.FileName()) == DiskChange::Changed) return layer.FileName();
    }
    return std::nullopt;
}

void RefuseSaveOverChangedLayers(const LayerStack& stack) {
    if (const std::optional<std::string> changed = LayerChangedOnDisk(stack))
        throw IniError(*changed + ": the file changed on disk while editing");
}

}  // namespace velmora
