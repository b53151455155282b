// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/saving/ModSave.h"

#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"
#include "core/store/PlatformFile.h"

namespace velmora {

std::vector<KindSave> ModTextsToSave(const std::vector<Workspace*>& kinds) {
    std::vector<KindSave> saves;
    for (Workspace* kind : kinds) {
        Document& document = kind->Doc();
        if (!document.HasStores() || !document.Modified()) continue;
        saves.push_back({kind, TextsToSave(*kind, document.DefinitionChanged()), document.FileName(),
                         document.Definition().FileName()});
    }
    return saves;
}

void WriteModTogether(const std::vector<KindSave>& saves, const std::vector<platform::FileContent>& more) {
    std::vector<platform::FileContent> files;
    for (const KindSave& save : saves) {
        if (save.WithDocument) files.push_back({save.DocumentFile, save.Texts.Document});
        if (save.Texts.Definition) files.push_back({save.DefinitionFile, *save.Texts.Definition});
    }
    files.insert(files.end(), more.begin(), more.end());
    if (!files.empty()) platform::WriteFilesTogether(files);
}

void NoteModSaved(const std::vector<KindSave>& saves) {
    for (const KindSave& save : saves) {
        if (save.WithDocument) save.Kind->NoteWritten(save.DocumentFile, save.Texts.Document);
        if (save.Texts.Definition) save.Kind->NoteWritten(save.DefinitionFile, *save.Texts.Definition);
        save.Kind->Doc().MarkSaved();
    }
}

size_t SaveMod(const std::vector<Workspace*>& kinds, bool overChanges) {
    const std::vector<KindSave> saves = ModTextsToSave(kinds);
    if (!overChanges)
        for (const KindSave& save : saves) RefuseSaveOverChangedFile(*save.Kind, save.Texts.Definition.has_value());
    WriteModTogether(saves);
    NoteModSaved(saves);
    return saves.size();
}

}  // namespace velmora
