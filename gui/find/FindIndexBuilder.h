// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/references/FindIndex.h"
#include "gui/services/OffThreadBuild.h"

namespace velmora {

class Workspace;

// Makes the find index of a big document without holding up the windows: the index is read from
// the document a slice at a time on the thread that owns it, with no copy of its lines, and sealed
// on a thread of its own.
class FindIndexBuilder : public OffThreadBuild<FindIndex, FindIndex> {
public:
    // `workspace` outlives the builder; `done` runs on this object's thread.
    FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent = nullptr);
};

}  // namespace velmora
