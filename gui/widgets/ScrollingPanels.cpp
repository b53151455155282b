// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/ScrollingPanels.h"

#include <QBoxLayout>
#include <QScrollArea>
#include <QWidget>
#include <vector>

namespace velmora {

QScrollArea* ScrollWhenSmall(QBoxLayout& layout, int first) {
    auto* scroll = new QScrollArea(layout.parentWidget());  // owned by the window
    scroll->setObjectName(QStringLiteral("PanelsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("PanelsContent"));
    auto* inner = new QBoxLayout(layout.direction(), content);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(layout.spacing());

    struct Moved {
        QLayoutItem* item;
        int stretch;
    };
    std::vector<Moved> moved;
    while (layout.count() > first) {
        const int stretch = layout.stretch(first);
        moved.push_back({layout.takeAt(first), stretch});
    }
    for (const Moved& each : moved) {
        if (QWidget* widget = each.item->widget()) {
            inner->addWidget(widget, each.stretch, each.item->alignment());
            delete each.item;
        } else if (QLayout* sub = each.item->layout()) {
            sub->setParent(nullptr);  // a layout joins another only without a parent
            inner->addLayout(sub, each.stretch);
        } else {
            inner->addItem(each.item);  // a spacer
            inner->setStretch(inner->count() - 1, each.stretch);
        }
    }
    scroll->setWidget(content);
    // The tiled background of the window shows behind the panels, as it did without the scroll area.
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    layout.addWidget(scroll, 1);
    return scroll;
}

}  // namespace velmora
