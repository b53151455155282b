// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class IniStore;
class StringList;
class Workspace;

// A first definition file written from a document alone, for a rules file that nobody has
// described yet. The document's own numbered lists become categories of kind 0; sections that no
// list names but other sections refer to are grouped, by the keys that refer to them, into
// categories of kind 1 whose lists the definition file keeps. Each category gets pages with every
// key its entries use, and a key whose values name entries gets those categories as its value
// sources; the kinds of value its keys take are written under [ValueKinds].
//
// The result is read back by the catalogue exactly as it was planned: every entry is claimed by its
// list, and a section that the key fit would give to a category it does not belong to is listed
// under "Unknown!" instead. Sections that fit no category are left to the unknown-section pass.

// A page of a category: its name and its lines, "Key=description".
struct ScaffoldPage {
    std::string Name;
    std::vector<std::string> Lines;
};

struct ScaffoldCategory {
    std::string Name;
    int Kind = 0;                      // 0: the document's own list; 1: a list of the definition file
    std::vector<std::string> Entries;  // the codes, in list order
    std::vector<ScaffoldPage> Pages;
};

struct DefinitionScaffold {
    std::vector<ScaffoldCategory> Categories;  // lists first, then the groups of referenced sections
    // Sections listed under "Unknown!" so that the key fit cannot give them to a category: those
    // that would fit a list the game keeps itself, and later sections of a name already taken.
    std::vector<std::string> UnknownListed;
    // The kinds of value learned from the document, as [ValueKinds] lines "Key=kind", for a modder
    // to read and correct.
    std::vector<std::string> ValueKinds;
    int32_t Tolerance = 4;    // the key fit's tolerance the file was planned with (VariantAllowed)
    size_t SectionCount = 0;  // sections of the document
    size_t UnknownCount = 0;  // of them, those that belong to no category but "Unknown!"
};

// Another kind of file open beside the document (art, sound): the name a kind source calls it by
// ("Art") and its document, which outlives the scaffolding.
struct ScaffoldKind {
    std::string Name;
    const IniStore* Document = nullptr;
};

// The categories, pages and lists that `document` suggests. `tolerance` is the key fit's tolerance
// the catalogue will use; it is written into the file so that it reads the file back with it.
// A key of which at least 95% of the values (and at least 5) name sections of one of `otherKinds`
// gets that kind's sections as its source instead (`~@Art:*@~`).
// The same documents always give the same scaffold.
DefinitionScaffold ScaffoldDefinition(const IniStore& document, int32_t tolerance,
                                      const std::vector<ScaffoldKind>& otherKinds = {});

// The kinds of `kinds` (a mod's, in [FilesToEdit] order) but the one of file type `ownFileType`,
// each with a document, as a scaffold of that kind's document learns their sections.
std::vector<ScaffoldKind> ScaffoldKindsBeside(const std::vector<const Workspace*>& kinds,
                                              std::string_view ownFileType);

// The definition file's text: [GeneralSetup] with `settings` (lines "Key=Value") and the
// tolerance, [AllSections], the pages, the lists of kind 1 and "Unknown!".
std::string DefinitionText(const DefinitionScaffold& scaffold, const StringList& settings);

// Writes the definition file, replacing `fileName` safely. The [GeneralSetup] lines of a file it
// replaces are kept (the title and pictures of the file type), but for the tolerance.
// Throws IniError when the old file cannot be read or the new one cannot be written.
void WriteDefinitionFile(const DefinitionScaffold& scaffold, const std::string& fileName);

// Where the definition file of the current file type is kept when a new one replaces it: its name
// followed by the backup extension, "Rules.001.BAK".
std::string DefinitionBackupFileName(const Workspace& workspace);

// Writes the definition file of the current file type from the workspace's document, with the
// key fit's tolerance in force; with a mod open, `kinds` are its kinds, whose sections a key may
// take as its source. An existing file is first copied to its backup name. Throws IniError when a
// file cannot be read or written; the definition file is then left as it was.
DefinitionScaffold ReplaceDefinitionFile(const Workspace& workspace, const std::vector<const Workspace*>& kinds = {});

}  // namespace velmora
