// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/TabOrder.h"

#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace velmora {

void TabInOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (!widget) continue;
        if (auto* pages = qobject_cast<QTabWidget*>(widget)) {
            // Tab would otherwise stop at the page set where the form put it, and go on to its tabs.
            // A page set passes its policy on to its tab bar, which keeps its own.
            widget = pages->tabBar();
            const Qt::FocusPolicy tabs = widget->focusPolicy();
            pages->setFocusPolicy(Qt::NoFocus);
            widget->setFocusPolicy(tabs);
        }
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

}  // namespace velmora
