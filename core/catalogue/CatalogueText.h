// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

namespace velmora {

class Workspace;

// Writes every category of the workspace with the entries the document shows in it, one
// "[Category] kind=K entries=N" line per category and one "CODE=Name" line per entry ("-" for an
// entry without a name). The command-line tool prints it; the benchmarks time it.
void WriteCatalogueText(const Workspace& workspace, std::ostream& out);

}  // namespace velmora
