// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/references/FindIndex.h"
#include "core/references/FindSource.h"
#include "gui/services/OffThreadBuild.h"

namespace velmora {

class Workspace;

// Makes the find index of a big document without holding up the windows: the texts the index
// needs are copied (FindSource) on the thread that owns the document, a slice at a time, and the
// index is made from the copy on a thread of its own.
class FindIndexBuilder : public OffThreadBuild<FindIndex, FindSource> {
public:
    // `workspace` outlives the builder; `done` runs on this object's thread.
    FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent = nullptr);
};

}  // namespace velmora
