// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/HeaderLook.h"

#include <QColor>
#include <QLabel>
#include <QPalette>

namespace velmora {

namespace {

const QColor ActiveHeaderFace(0, 0, 0);
const QColor ActiveHeaderText(255, 255, 0);
const QColor PassiveHeaderFace(192, 192, 192);
const QColor PassiveHeaderText(0, 0, 0);

}  // namespace

void ShowHeaderLook(QLabel& header, bool active) {
    QPalette colours = header.palette();
    colours.setColor(QPalette::Window, active ? ActiveHeaderFace : PassiveHeaderFace);
    colours.setColor(QPalette::WindowText, active ? ActiveHeaderText : PassiveHeaderText);
    header.setPalette(colours);
    header.setAutoFillBackground(true);
    header.setFrameStyle(active ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
    header.setLineWidth(active ? 2 : 0);
}

}  // namespace velmora
