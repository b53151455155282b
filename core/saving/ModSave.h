// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "core/saving/DocumentSave.h"
#include "core/store/PlatformFile.h"

namespace velmora {

class Workspace;

// The save of a mod: every changed file of every kind of file goes to disk as one save, all or
// none, so that a code changed in the rules and in the art file that names it is never saved in
// one of them alone.

// What the save writes of one kind: the texts and where they go.
struct KindSave {
    Workspace* Kind = nullptr;
    SaveTexts Texts;
    std::string DocumentFile;
    std::string DefinitionFile;
    // False when only the layers over the kind changed: its own file stays as it is on disk.
    bool WithDocument = true;
};

// The texts a save of `kinds` writes: each kind whose document changed since it was read or last
// saved, with its definition file when an edit changed the definition's lists.
std::vector<KindSave> ModTextsToSave(const std::vector<Workspace*>& kinds);

// Writes every file of `saves` together (WriteFilesTogether): when one cannot be put in place,
// those already replaced get their old content back. Throws IniError naming the file that failed.
// `more` (the layers over the kinds) go with them.
void WriteModTogether(const std::vector<KindSave>& saves, const std::vector<platform::FileContent>& more = {});

// Once `saves` went to disk: each kind's history is clean and its files' stamps are those of the
// bytes written.
void NoteModSaved(const std::vector<KindSave>& saves);

// Save of the mod: ModTextsToSave, written together; then each kind's history is clean and its
// files' stamps are those of the bytes written. Refuses, before writing anything, to overwrite a
// file another program changed since it was read ("the file changed on disk while editing"), unless
// `overChanges`. Returns how many kinds were written.
size_t SaveMod(const std::vector<Workspace*>& kinds, bool overChanges = false);

}  // namespace velmora
