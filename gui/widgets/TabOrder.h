// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>

class QWidget;

namespace velmora {

// Tab visits `widgets` in the order given, which is the order they are laid out in: a window's
// forms create their controls in another order, and controls added later go to the end. Hidden or
// disabled ones are skipped as Tab always skips them; a null one (a control not made) is left out.
// A page set takes its place through its tab bar, and is no stop of its own.
void TabInOrder(std::initializer_list<QWidget*> widgets);

}  // namespace velmora
