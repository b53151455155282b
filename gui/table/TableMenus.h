// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QBoxLayout;
class QWidget;

namespace velmora {

class TableSwitch;

// The category window's menu bar: File with Export Table… and Import Table…, View with the switch
// to all entries and Choose Columns…. What acts on the table is enabled while the table shows.
void AddTableMenus(QWidget& window, QBoxLayout& windowLayout, TableSwitch& tableSwitch);

}  // namespace velmora
