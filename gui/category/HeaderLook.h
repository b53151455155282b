// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLabel;

namespace velmora {

// The headers of the grid that got the focus last are shown active (yellow on black, raised), the
// other grid's passive (black on grey, flat). A header keeps its design look until it first turns
// passive.
void ShowHeaderLook(QLabel& header, bool active);

}  // namespace velmora
