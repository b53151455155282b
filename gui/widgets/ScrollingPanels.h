// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QBoxLayout;
class QScrollArea;

namespace velmora {

// Moves the items of `layout` from `first` on, with their stretch factors, into a scroll area that
// takes their place. The window's least size is then what its fixed items and the scroll area
// need, not the whole designed layout, so that it fits a small screen; there the panels scroll,
// and on a big one they fill the window as before. The window's background shows through.
QScrollArea* ScrollWhenSmall(QBoxLayout& layout, int first);

}  // namespace velmora
