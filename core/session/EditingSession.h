// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/Workspace.h"
#include "core/session/OpenDocument.h"

namespace velmora {

class Boxes;
struct Globals;

// What the editor has open: the workspace (the settings, the file type being edited with its
// catalogue, and its document) and, for each open document, the models derived from it
// (OpenDocument). The main window owns one and hands the open documents to the windows that show
// their models; the windows keep none of their own. Tests and the command-line tool may use a
// workspace alone.
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

private:
    Workspace m_workspace;
    // After the workspace, whose document it observes: it goes first.
    OpenDocument m_current;
};

}  // namespace velmora
