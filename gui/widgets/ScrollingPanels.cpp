// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/ScrollingPanels.h"

#include <QBoxLayout>
#include <QScrollArea>
#include <QWidget>
#include <vector>

namespace velmora {

namespace {

// Asks for the panels' whole designed size, so that a window opens at it where the screen has the
// room; its least size stays what the scroll bars need.
class PanelsScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override {
        const QWidget* content = widget();
        if (!content) return QScrollArea::sizeHint();
        const int frame = 2 * frameWidth();
        return content->sizeHint() + QSize(frame, frame);
    }
};

}  // namespace

QScrollArea* ScrollWhenSmall(QBoxLayout& layout, int first) {
    auto* scroll = new PanelsScrollArea(layout.parentWidget());  // owned by the window
    scroll->setObjectName(QStringLiteral("PanelsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes from control to control; the area scrolls to the one that takes the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
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
