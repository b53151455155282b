// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "core/catalogue/Workspace.h"
#include "core/session/KindHistory.h"
#include "core/session/OpenDocument.h"

namespace velmora {

class Boxes;
struct Globals;
class LiveModCheck;
class ModSession;

// What the editor has open: the workspace (the settings, the file type being edited with its
// catalogue, and its document) and, for each open document, the models derived from it
// (OpenDocument). The main window owns one and hands the open documents to the windows that show
// their models; the windows keep none of their own. Tests and the command-line tool may use a
// workspace alone.
//
// With a mod open, every kind of file of [FilesToEdit] is open together (ModSession): the kind
// shown is the one in the session's own workspace, the others wait in the mod's, each with its
// document, history and models; showing another kind exchanges the two. One history across the
// kinds says which kind took each step. The layers (a game mode, a map) go over the rules, the
// first kind, and stay with it wherever it waits.
//
// With one file open and no mod, the other kinds are read beside it, read-only, from the game's
// copy or else the default copy: the kind sources of its keys, its value check, Check References
// and Find Usages see their names, as with a mod, while the file stays the only one edited.
class EditingSession {
public:
    // `globals` and `boxes` outlive the session; `view` is the workspace's (see WorkspaceView).
    EditingSession(Globals& globals, Boxes& boxes, WorkspaceView* view = nullptr);
    ~EditingSession();
    EditingSession(const EditingSession&) = delete;
    EditingSession& operator=(const EditingSession&) = delete;

    Workspace& Work() { return m_workspace; }
    const Workspace& Work() const { return m_workspace; }
    // The document of the file type being edited, with its models.
    OpenDocument& Current() { return m_current; }
    const OpenDocument& Current() const { return m_current; }

    // Every kind of the program folder, each from the mod folder `modFolder` when it holds the
    // kind's file, else read-only from the game's or the default copy; the first kind is shown.
    // Throws IniError when a file cannot be read; what was open then stays.
    void OpenMod(const std::string& modFolder);
    // Back to the one document shown, the other kinds dropped.
    void CloseMod();
    bool ModOpen() const { return m_mod != nullptr; }
    // The folder the open mod was read from; empty without a mod.
    const std::string& ModFolder() const { return m_modFolder; }

    // Reads the other kinds of [FilesToEdit] beside the kind shown, each read-only from the game's
    // copy, else from its default copy; none with a mod open. Run as a file is opened, before its
    // load, so that the file's value check learns once, with their names. A kind that cannot be
    // read is left out. Returns what the user reads of them: where each came from, and which could
    // not be read; empty when there is no other kind.
    std::string ReadKindsBeside();
    // The kinds read beside go: the file type or the program folder changes.
    void DropKindsBeside();
    // Whether other kinds are open with the one shown: a mod's, or those read beside one file.
    bool OtherKindsOpen() const { return m_mod != nullptr || m_beside != nullptr; }

    // The kinds' [FilesToEdit] names, in order; none without a mod.
    const std::vector<std::string>& KindNames() const { return m_kindNames; }
    // Shows kind `fileType` in the session's workspace, the one shown so far kept with its
    // document, history and models. Throws IniError for a kind the mod does not have.
    void ShowKind(const std::string& fileType);
    // Whether kind `fileType` is read from the game's or the default copy, and what the user reads
    // of where it came from. False and empty without other kinds.
    bool ReadOnly(const std::string& fileType) const;
    std::string OriginText(const std::string& fileType) const;
    // The kinds' workspaces in [FilesToEdit] order, the shown kind's being the session's own; the
    // session's alone without other kinds.
    std::vector<Workspace*> Kinds();
    std::vector<const Workspace*> Kinds() const;
    // The kind `fileType` (letter case ignored) and its models; null when no such kind is open.
    Workspace* KindWork(const std::string& fileType);
    OpenDocument* KindModels(const std::string& fileType);
    const OpenDocument* KindModels(const std::string& fileType) const;
    // Reads kind `fileType`, one not shown, again from its file, as another program left it; its
    // history starts again. Throws IniError for a kind the mod does not have, or the one shown
    // (which the window reads again itself), or when the file cannot be read.
    void ReadKindAgain(const std::string& fileType);
    // The same for the definition file of kind `fileType`, not shown: its document and unsaved
    // changes stay, its catalogue is built again.
    void ReadKindDefinitionAgain(const std::string& fileType);
    // Those of the kinds a save may write.
    std::vector<Workspace*> WritableKinds();

    // Check the Mod over the kinds as they now stand, following every kind's edits; null without a
    // mod. A new check takes its place whenever another kind is shown (the kinds change places).
    LiveModCheck* ModCheck() { return m_modCheck.get(); }

    // Which kind took each step of the kinds' documents.
    const KindHistory& Steps() const { return m_steps; }
    // The next edit of any kind is part of the latest step (a change of code and the rewrites of
    // the other kinds' references to it); `join` false takes that back when no edit came.
    void JoinNextStep(bool join = true) { m_steps.JoinNext(join); }
    // `told` hears the kind's name whenever a kind's document takes a step, is saved or read
    // again (the kinds' exchanges aside): what keeps a copy of the kinds not shown follows them.
    void OnKindStep(std::function<void(const std::string&)> told) { m_kindStepped = std::move(told); }

private:
    class StepWatch;
    std::optional<size_t> IndexOf(const std::string& fileType) const;
    // The part of the kind named `fileType` (null when no kind of that name is open): `shown`, the
    // session's own, for the kind shown; else what `pick` takes from the kind's record.
    template <class Part, class Pick>
    Part* KindPart(const std::string& fileType, Part* shown, const Pick& pick);
    // Kind `fileType`, not shown; throws IniError as ReadKindAgain does.
    Workspace& HiddenKind(const std::string& fileType);
    void TakeMod(std::unique_ptr<ModSession> mod);
    // Exchanges the shown kind with the one of slot `index`, the history not told of it.
    void Exchange(size_t index);
    // A check over the kinds where they now are.
    void CheckKindsAgain();
    // Layers may be added over the shown kind when it is the rules.
    void AllowLayersOverShown();

    Boxes& m_boxes;
    Workspace m_workspace;
    // After the workspace, whose document it observes: it goes first.
    OpenDocument m_current;
    KindHistory m_steps;
    // Set while kinds are exchanged: the loads their documents tell of are no new history.
    bool m_exchanging = false;
    std::function<void(const std::string&)> m_kindStepped;
    std::unique_ptr<ModSession> m_mod;
    std::vector<std::string> m_kindNames;
    std::string m_modFolder;
    // Answers the boxes of the kinds read beside a file, which the user did not open: none shows.
    FirstButtonBoxes m_quietBoxes;
    // The other kinds read beside the one file open, without a mod.
    std::unique_ptr<ModSession> m_beside;
    // The kind shown; its slot in the mod holds what the session's workspace held before.
    size_t m_shown = 0;
    // After the workspaces they observe: they go first.
    std::vector<std::unique_ptr<StepWatch>> m_watches;
    // After every workspace and model it observes: it goes first.
    std::unique_ptr<LiveModCheck> m_modCheck;
};

}  // namespace velmora
