// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/saving/DocumentSave.h"

#include <vector>

#include "core/catalogue/Workspace.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"
#include "core/store/DiskStamp.h"
#include "core/store/IniError.h"

namespace velmora {

SaveTexts TextsToSave(Workspace& workspace, bool withDefinition) {
    SaveTexts texts{workspace.Doc().Store().RenderText(), std::nullopt};
    if (withDefinition) {
        // A copy: the category list as written must not change the definition the history holds.
        const std::unique_ptr<IniStore> definition = workspace.Doc().Definition().CloneAs(std::string());
        workspace.WriteProgBuffer(*definition, Workspace::AllSections, false, workspace.CategoryList());
        texts.Definition = definition->RenderText();
    }
    return texts;
}

void WriteSaveTexts(const SaveTexts& texts, const std::string& documentFile, const std::string& definitionFile) {
    std::vector<platform::FileContent> files{{documentFile, texts.Document}};
    if (texts.Definition) files.push_back({definitionFile, *texts.Definition});
    platform::WriteFilesTogether(files);
}

void SaveDocument(Workspace& workspace) {
    // A copy of the name: the store that holds it is renamed on the way.
    SaveDocumentAs(workspace, std::string(workspace.Doc().FileName()));
}

void SaveDocumentAs(Workspace& workspace, const std::string& documentFile) {
    Document& document = workspace.Doc();
    const SaveTexts texts = TextsToSave(workspace, document.DefinitionChanged());
    const std::string& definitionFile = document.Definition().FileName();
    WriteSaveTexts(texts, documentFile, definitionFile);
    // Only a name the document went to is the document's from now on.
    if (document.FileName() != documentFile) document.Rename(documentFile);
    workspace.NoteWritten(documentFile, texts.Document);
    if (texts.Definition) workspace.NoteWritten(definitionFile, *texts.Definition);
    document.MarkSaved();
}

std::optional<std::string> FileChangedSinceRead(const Workspace& workspace, bool withDefinition) {
    const Document& document = workspace.Doc();
    if (!document.HasStores()) return std::nullopt;
    const std::string& documentFile = document.Store().FileName();
    if (ChangeOnDisk(workspace.DocumentStamp(), documentFile) == DiskChange::Changed) return documentFile;
    const std::string& definitionFile = document.Definition().FileName();
    if (withDefinition && ChangeOnDisk(workspace.DefinitionStamp(), definitionFile) == DiskChange::Changed)
        return definitionFile;
    return std::nullopt;
}

void RefuseSaveOverChangedFile(const Workspace& workspace, bool withDefinition) {
    if (FileChangedSinceRead(workspace, withDefinition)) throw IniError("the file changed on disk while editing");
}

}  // namespace velmora
