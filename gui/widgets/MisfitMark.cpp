// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/MisfitMark.h"

#include <QApplication>
#include <QStyle>

namespace velmora {

QIcon MisfitIcon() { return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning); }

}  // namespace velmora
