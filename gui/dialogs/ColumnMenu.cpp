// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/ColumnMenu.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "core/choice/ChoiceLists.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

QFrame* NewLine(QFrame::Shape shape, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

ColumnMenu::ColumnMenu(QWidget* parent) : QMenu(parent) {}

void ColumnMenu::SetEntries(const std::vector<PopupMenuEntry>& entries) {
    clear();
    if (entries.empty()) return;

    auto* sheet = new QWidget;
    // Items look and react like menu items; "&" in a caption is shown as it stands.
    sheet->setStyleSheet(
        QStringLiteral("QLabel { padding: 2px 16px 2px 16px; }"
                       "QLabel:hover { background: palette(highlight);"
                       " color: palette(highlighted-text); }"));
    auto* columns = new QHBoxLayout(sheet);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    QVBoxLayout* column = nullptr;
    auto startColumn = [&] {
        if (column) {
            column->addStretch();
            columns->addWidget(NewLine(QFrame::VLine, sheet));
        }
        column = new QVBoxLayout;
        column->setSpacing(0);
        columns->addLayout(column);
    };

    startColumn();
    for (const PopupMenuEntry& entry : entries) {
        if (entry.BeginsColumn && column->count() > 0) startColumn();
        if (entry.Caption == "-") {
            column->addWidget(NewLine(QFrame::HLine, sheet));
            continue;
        }
        auto* item = new QLabel(ToQString(entry.Caption), sheet);
        item->setTextFormat(Qt::PlainText);
        item->installEventFilter(this);
        column->addWidget(item);
    }
    column->addStretch();

    auto* action = new QWidgetAction(this);
    action->setDefaultWidget(sheet);
    addAction(action);
}

void ColumnMenu::showEvent(QShowEvent* event) {
    m_pressedOnItem = false;
    QMenu::showEvent(event);
}

bool ColumnMenu::eventFilter(QObject* watched, QEvent* event) {
    if (qobject_cast<QLabel*>(watched)) {
        if (event->type() == QEvent::MouseButtonPress) m_pressedOnItem = true;
        // Choosing an item does nothing but close the menu, as with any menu item. A menu that
        // opens on a press may open under the pointer: the release of that press is no choice.
        if (event->type() == QEvent::MouseButtonRelease && m_pressedOnItem) {
            close();
            return true;
        }
    }
    return QMenu::eventFilter(watched, event);
}

}  // namespace velmora
