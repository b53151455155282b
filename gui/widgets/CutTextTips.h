// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <initializer_list>

class QWidget;

namespace velmora {

// A tooltip text that shows `text` exactly as written, on one line: a name or value from a file
// is never read as markup.
QString PlainToolTip(const QString& text);

// Each of the labels and buttons shows its whole text in a tooltip while the text does not fit
// the widget; one that shows all has no tooltip.
void TipWhenCut(std::initializer_list<QWidget*> widgets);

// Each of the buttons is at least as wide as its caption needs, and never narrower than designed.
void FitCaptions(std::initializer_list<QWidget*> buttons);

}  // namespace velmora
