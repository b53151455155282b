// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace velmora {

class Boxes;
class CategoryWindowList;
class Document;
class DocumentCommands;
class EditingSession;
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
    // Shows kind `fileType`, the others kept as they are.
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
    std::string ChangedKinds(bool readOnly);
    std::string StepKind(bool redo) const;

    EditingSession& m_session;
    Boxes& m_boxes;
    CategoryWindowList& m_windows;
    DocumentCommands& m_documents;
    RecoveryKeeper& m_recovery;
    Host& m_host;
    std::string m_lastFolder;
};

}  // namespace velmora
