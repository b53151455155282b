// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue/Workspace.h"
#include "core/session/OpenDocument.h"
#include "core/settings/Globals.h"

namespace velmora {

class Boxes;
class LiveModCheck;

// A mod open as a whole: every kind of file of the program folder's [FilesToEdit] (rules, art,
// sound...), each loaded as the editor loads a kind of file, with its own settings, definition
// file, default copy and catalogue. A kind whose file the mod folder holds (letter case ignored)
// is edited there; any other kind is read from the game's copy, else from its default copy, and
// is read-only: it is there for the names the other kinds point at, never written.
class ModSession {
public:
    // Where a kind's document was read from.
    enum class Origin { ModFolder, GameCopy, DefaultCopy };

    struct Kind {
        Globals Settings;
        std::unique_ptr<Workspace> Work;
        // The models derived from the kind's document, which its windows show. After the
        // workspace, whose document they observe: they go first.
        std::unique_ptr<OpenDocument> Models;
        Origin From = Origin::DefaultCopy;
        bool ReadOnly() const { return From != Origin::ModFolder; }
    };

    // `boxes` outlives the session. Without `diskWrites`, nothing is written to disk on the way
    // (the settings file, the definition files' unknown sections), as for the command-line tool.
    ModSession(Boxes& boxes, bool diskWrites);
    ~ModSession();
    ModSession(const ModSession&) = delete;
    ModSession& operator=(const ModSession&) = delete;

    // Every kind of the program folder `programDir`, each from the mod folder `modFolder` when it
    // holds the kind's file. Throws IniError when a file cannot be read; the session then holds no
    // kind.
    void OpenMod(const std::string& programDir, const std::string& modFolder);
    // One file, `document`, as kind `fileType` (by default the first of [FilesToEdit]); the other
    // kinds from the game's copy or the default copy, read-only.
    void OpenFile(const std::string& programDir, const std::optional<std::string>& fileType,
                  const std::string& document);

    // Every kind of the program folder but `shownFileType`, each read-only from the game's copy,
    // else from its default copy: the names a file of kind `shownFileType`, opened alone, points at.
    // A kind that cannot be read is left out and named in Unread(); no check is made.
    void OpenBeside(const std::string& programDir, const std::string& shownFileType);
    // The kinds the last OpenBeside could not read, each "Art.ini (why)".
    const std::vector<std::string>& Unread() const { return m_unread; }

    size_t Count() const { return m_kinds.size(); }
    Kind& At(size_t index) { return *m_kinds[index]; }
    const Kind& At(size_t index) const { return *m_kinds[index]; }
    // The kind of [FilesToEdit] name `fileType` (letter case ignored); null when none.
    Kind* Find(const std::string& fileType);

    // The kinds' workspaces in [FilesToEdit] order, for what reads or edits them together.
    std::vector<const Workspace*> Workspaces() const;
    std::vector<Workspace*> WorkspacesToEdit();
    // Those of the kinds that a save may write.
    std::vector<Workspace*> Writable();

    // Check the Mod over the kinds as they now stand, following their edits; made again with the
    // kinds by every OpenMod and OpenFile. Throws IniError when no mod is open.
    LiveModCheck& Check();

    // What the user reads of where a kind came from: "from the mod folder", "read-only, from the
    // game's copy", "read-only, from the default copy".
    static std::string OriginText(Origin from);

private:
    // The kinds [FilesToEdit] of `programDir` names. Throws IniError when it is no folder.
    StringList ListKinds(const std::string& programDir);
    // Kind `fileType` from `document`, or when empty from the game's copy, else the default copy.
    std::unique_ptr<Kind> OpenKind(const std::string& programDir, const std::string& fileType,
                                   std::string document);
    // Each kind of the program folder, its document from `documentOf(kind)` when that names one.
    template <class DocumentOf>
    void OpenKinds(const std::string& programDir, DocumentOf&& documentOf);

    Boxes& m_boxes;
    bool m_diskWrites;
    std::vector<std::unique_ptr<Kind>> m_kinds;
    std::vector<std::string> m_unread;
    // Observes the kinds' documents: goes before them.
    std::unique_ptr<LiveModCheck> m_check;
};

}  // namespace velmora
