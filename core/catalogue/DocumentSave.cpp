// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/DocumentSave.h"

#include <vector>

#include "core/catalogue/Workspace.h"
#include "core/store/PlatformFile.h"
#include "core/store/mIniGue.h"

namespace velmora {

SaveTexts TextsToSave(Workspace& workspace, bool withDefinition) {
    SaveTexts texts{workspace.Doc().Store().RenderText(), std::nullopt};
    if (withDefinition) {
        // A copy: the category list as written must not change the definition the history holds.
        const std::unique_ptr<TMemIniFile> definition = workspace.Doc().Definition().CloneAs(std::string());
        workspace.WriteProgBuffer(*definition, Workspace::AllSections, false, workspace.CategoryList);
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
    Document& document = workspace.Doc();
    const SaveTexts texts = TextsToSave(workspace, document.DefinitionChanged());
    WriteSaveTexts(texts, document.Store().FileName(), document.Definition().FileName());
    document.MarkSaved();
}

}  // namespace velmora
