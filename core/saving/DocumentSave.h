// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace velmora {

class Workspace;

// The save of a document: the document and the definition file, whose lists name the document's
// entries, go to disk as one save, both or neither. A save that stopped half-way would leave a new
// entry without its list line, and the next load would put it among the unknown sections.

// The texts a save writes: the document as it stands and, when wanted, the definition file with
// the category list as the collection of unknown sections writes it.
struct SaveTexts {
    std::string Document;
    std::optional<std::string> Definition;
};

SaveTexts TextsToSave(Workspace& workspace, bool withDefinition);

// Writes `texts` to `documentFile` and, when it holds one, the definition text to
// `definitionFile`: both or neither. Throws IniError naming the file that could not be written;
// the files on disk are then as they were.
void WriteSaveTexts(const SaveTexts& texts, const std::string& documentFile, const std::string& definitionFile);

// File, Save: the document under its store's file name, and the definition file when an edit
// since the last save changed its lists. The history's clean point moves only when both went to
// disk; the files' stamps are then those of the bytes written.
void SaveDocument(Workspace& workspace);
// Save As: the same, to `documentFile`, which becomes the document's name once the files are
// written. A save that fails leaves the document under its old name, unsaved.
void SaveDocumentAs(Workspace& workspace, const std::string& documentFile);

// The file a save of the document would overwrite although another program changed it since it
// was read or last written: the document's file, or the definition file when `withDefinition`
// (the save writes it too). None when neither changed; a file since deleted is no change a save
// could overwrite.
std::optional<std::string> FileChangedSinceRead(const Workspace& workspace, bool withDefinition);

// A save that no user watches refuses to overwrite another program's change: throws IniError "the
// file changed on disk while editing" when FileChangedSinceRead names a file.
void RefuseSaveOverChangedFile(const Workspace& workspace, bool withDefinition);

}  // namespace velmora
