// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "core/compare/Comparison.h"

namespace velmora {

class IniStore;
class Workspace;

// A revert that keeps the categories' lists in step with the entries, as the Changes window and
// the command line make it. Besides the document's text it puts back (RevertDifferences):
//  - an entry whose section the revert takes away loses every list line naming it, in the
//    document's lists and the definition file's: a revert of a duplicate or of a new code leaves
//    no list line naming nothing;
//  - an entry whose section the revert puts back is listed again when no list names it: by the
//    reference's own list line of a category of kind 0, in its place, or else in the list of the
//    first category whose keys it fits (failing that, `category`), under the next number: a
//    revert of a delete or of an old code brings back an entry, not an unknown section;
//  - a list line the revert puts back that names a section the document lacks brings that
//    section back from the reference.
// All of it is one edit. `category` is also the focus of its undo and redo. False when it changed
// nothing. Throws IniError, the document unchanged, when the selection no longer fits.
bool RevertEntries(Workspace& workspace, const std::vector<Difference>& selection, const IniStore& reference,
                   const std::string& category = {});

}  // namespace velmora
