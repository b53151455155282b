// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/EditingSession.h"

namespace velmora {

EditingSession::EditingSession(Globals& globals, Boxes& boxes, WorkspaceView* view)
    : m_workspace(globals, boxes, view), m_current(m_workspace) {}

EditingSession::~EditingSession() = default;

}  // namespace velmora
