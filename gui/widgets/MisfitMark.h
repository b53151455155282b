// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace velmora {

// The mark of a value that does not fit the kind of value its key takes, the same in the grid and
// in the table: a warning icon before the text, so that it never reads as the red of a changed
// value and stays visible on a selected cell.
QIcon MisfitIcon();

}  // namespace velmora
