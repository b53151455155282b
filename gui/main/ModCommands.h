// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "gui/main/CategoryWindowList.h"

namespace velmora {

class Boxes;
class Document;
class DocumentCommands;
class EditingSession;
class LayerStack;
class RecoveryKeeper;
class Workspace;

// A mod open as a whole in the main window: File, "Open Mod Folder…", the kind shown (the file-type
// menu switches it and keeps the others open), and what the document commands do while a mod is
// open: the question about unsaved changes and the save cover every kind, and Undo and Redo take
// the latest step of any kind, showing that kind first.
class ModCommands {
public:
    // What the commands ask of the window they belong to.
    class Host {
    public:
        // Closes every window that reads the stores; run before the kind shown changes.
        virtual void CloseCategoryWindows() = 0;
        // The session's workspace shows another kind, or a mod came: its categories, pictures,
        // captions and the watch on its files are shown afresh.
        virtual void KindShown() = 0;
        // Files were written: the captions and the watch on the files follow.
        virtual void ModSaved() = 0;

    protected:
        ~Host() = default;
    };

    // Everything given outlives the commands.
    ModCommands(EditingSession& session, Boxes& boxes, CategoryWindowList& windows, DocumentCommands& documents,
                RecoveryKeeper& recovery, Host& host);

    bool IsOpen() const;
    // The kinds' workspaces in [FilesToEdit] order, the shown one's among them.
    std::vector<const Workspace*> Kinds() const;
    // Asks for a mod folder through the box seam, then opens it.
    void OpenModFolderClick();
    // Every kind of the program folder, from the mod folder `dir` where it holds the kind's file,
    // after the question about unsaved changes.
    void OpenMod(const std::string& dir);
    // The same once the question was answered (a restore of the mod's recovery copies asked it).
    void OpenAsked(const std::string& dir);
    // The other kinds of [FilesToEdit], read-only beside the one file about to be opened, and what
    // the status line says of them; DropKindsBeside lets them go.
    std::string ReadKindsBeside();
    void DropKindsBeside();
    // Shows kind `fileType`, the others kept as they are. The category windows of the kind that
    // goes out of sight close, and open again where they stood (entry, page, table, "Edit in:")
    // once it is shown again, read afresh from its document with every edit made meanwhile: a
    // window only ever exists over the kind it shows, so it never shows or writes another's value.
    void ShowKind(const std::string& fileType);
    // Back to the kind shown alone, once the question about unsaved changes was answered: the
    // recovery copies of the others go.
    void Close();

    // The question about unsaved changes of every kind: true when they may be dropped.
    bool SavedOrDontCare();
    // Every changed writable kind, written together; false when nothing was written.
    bool Save();

    // The document of the kind the step that Undo (`redo`: Redo) takes began in, null when none;
    // that kind when it is not the one shown, empty otherwise.
    const Document* StepDocument(bool redo);
    std::string OtherStepKind(bool redo);
    // Undo (Redo) of that step, in every kind it spans, the kind it began in shown.
    void Step(bool redo);
    // What the file-type menu and the captions say of kind `fileType`: its origin when read-only.
    std::string ReadOnlyNote(const std::string& fileType) const;

private:
    // The files with unsaved changes, the kinds' and the layers' over them, that a save writes (or,
    // `readOnly`, cannot write), named for the user.
    std::string ChangedKinds(bool readOnly);
    // The stacks of layers over the kinds, those with layers.
    std::vector<LayerStack*> LayerStacks();
    // The places of the windows kind `kind` had open as it went out of sight, kept until it
    // comes back; taking them leaves none for it.
    void ParkWindows(const std::string& kind, std::vector<CategoryWindowPlace> places);
    std::vector<CategoryWindowPlace> TakeParkedWindows(const std::string& kind);
    std::string StepKind(bool redo) const;

    EditingSession& m_session;
    Boxes& m_boxes;
    CategoryWindowList& m_windows;
    DocumentCommands& m_documents;
    RecoveryKeeper& m_recovery;
    Host& m_host;
    std::string m_lastFolder;
    // The windows the kinds not shown had open, by kind.
    std::vector<std::pair<std::string, std::vector<CategoryWindowPlace>>> m_kindWindows;
};

}  // namespace velmora
