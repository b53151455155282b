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
