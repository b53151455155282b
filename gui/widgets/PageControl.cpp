// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/PageControl.h"

#include <QHoverEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <algorithm>

namespace velmora {

RowsTabBar::RowsTabBar(QWidget* parent) : QTabBar(parent) {
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setExpanding(false);
    setDrawBase(false);
    setAttribute(Qt::WA_Hover);
}

int RowsTabBar::AvailableWidth() const {
    const QWidget* pages = qobject_cast<const QTabWidget*>(parentWidget());
    return std::max(1, pages ? pages->width() : width());
}

std::vector<QRect> RowsTabBar::RowPlaces() const {
    const int available = AvailableWidth();
    int rowHeight = 0;
    for (int i = 0; i < count(); ++i) rowHeight = std::max(rowHeight, tabSizeHint(i).height());

    // Tabs by rows, each with its natural width.
    std::vector<std::vector<int>> rows;
    std::vector<int> widths;
    int used = available;
    for (int i = 0; i < count(); ++i) {
        const int tabWidth = std::min(tabSizeHint(i).width(), available);
        if (rows.empty() || used + tabWidth > available) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        widths.push_back(tabWidth);
        used += tabWidth;
    }

    std::vector<QRect> places(static_cast<size_t>(count()));
    for (size_t row = 0; row < rows.size(); ++row) {
        int natural = 0;
        for (int i : rows[row]) natural += widths[static_cast<size_t>(i)];
        // Several rows fill the width; the room left over is shared out from the left.
        const int spare = rows.size() > 1 ? available - natural : 0;
        const int tabs = static_cast<int>(rows[row].size());
        int x = 0;
        for (int k = 0; k < tabs; ++k) {
            const int i = rows[row][static_cast<size_t>(k)];
            const int tabWidth = widths[static_cast<size_t>(i)] + spare / tabs + (k < spare % tabs ? 1 : 0);
            places[static_cast<size_t>(i)] = QRect(x, static_cast<int>(row) * rowHeight, tabWidth, rowHeight);
            x += tabWidth;
        }
    }
    return places;
}

QRect RowsTabBar::RowTabRect(int index) const {
    if (index < 0 || index >= count()) return {};
    if (m_scrolls) return tabRect(index);
    return RowPlaces()[static_cast<size_t>(index)];
}

int RowsTabBar::RowTabAt(const QPoint& position) const {
    if (m_scrolls) return tabAt(position);
    const std::vector<QRect> places = RowPlaces();
    for (size_t i = 0; i < places.size(); ++i)
        if (places[i].contains(position)) return static_cast<int>(i);
    return -1;
}

int RowsTabBar::RowCount() const {
    if (m_scrolls) return 1;
    int rows = 0;
    for (const QRect& place : RowPlaces()) rows = std::max(rows, place.top() / std::max(1, place.height()) + 1);
    return rows;
}

void RowsTabBar::FollowWidth() {
    int rows = 0;
    for (const QRect& place : RowPlaces()) rows = std::max(rows, place.top() / std::max(1, place.height()) + 1);
    const bool scrolls = rows > MostRows;
    if (scrolls != m_scrolls) {
        m_scrolls = scrolls;
        setUsesScrollButtons(scrolls);
        update();
    }
    const int shown = scrolls ? 1 : rows;
    if (shown == m_rows) return;
    m_rows = shown;
    updateGeometry();  // the page set, or the layout, gives the bar the height its rows need
}

QSize RowsTabBar::sizeHint() const {
    // One row as wide as the room: the arrows scroll the rest, and the window is not made wider.
    if (m_scrolls) return {AvailableWidth(), QTabBar::sizeHint().height()};
    int bottom = 0;
    for (const QRect& place : RowPlaces()) bottom = std::max(bottom, place.bottom() + 1);
    return {AvailableWidth(), bottom};
}

QSize RowsTabBar::minimumSizeHint() const {
    if (m_scrolls) return QTabBar::minimumSizeHint();
    int widest = 0;
    for (int i = 0; i < count(); ++i) widest = std::max(widest, tabSizeHint(i).width());
    return {widest, sizeHint().height()};
}

void RowsTabBar::Hover(int tab) {
    if (tab == m_hovered) return;
    m_hovered = tab;
    update();
}

bool RowsTabBar::event(QEvent* event) {
    if (m_scrolls) return QTabBar::event(event);
    // The plain tab bar would find the tab under the mouse in its single row.
    switch (event->type()) {
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
            Hover(RowTabAt(static_cast<QHoverEvent*>(event)->position().toPoint()));
            return true;
        case QEvent::HoverLeave:
            Hover(-1);
            return true;
        default:
            return QTabBar::event(event);
    }
}

void RowsTabBar::paintEvent(QPaintEvent* event) {
    if (m_scrolls) {
        QTabBar::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    const std::vector<QRect> places = RowPlaces();
    auto drawTab = [&](int i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QRect place = places[static_cast<size_t>(i)];
        option.rect = place;
        const bool first = place.left() == 0;
        const bool last = i + 1 == count() || places[static_cast<size_t>(i) + 1].left() == 0;
        option.position = first && last ? QStyleOptionTab::OnlyOneTab
                          : first       ? QStyleOptionTab::Beginning
                          : last        ? QStyleOptionTab::End
                                        : QStyleOptionTab::Middle;
        option.state.setFlag(QStyle::State_MouseOver, i == m_hovered);
        // A style draws the current tab down to the bar's edge, to join it to the page: in an
        // upper row that would cover the tabs below it.
        const bool lowestRow = place.bottom() + place.height() > height();
        painter.setClipRect(lowestRow ? QRect(0, place.top(), width(), height() - place.top())
                                      : QRect(0, place.top(), width(), place.height()));
        painter.drawControl(QStyle::CE_TabBarTab, option);
    };
    // The current tab last, so that it lies on top of its neighbours.
    for (int i = 0; i < count(); ++i)
        if (i != currentIndex()) drawTab(i);
    if (currentIndex() >= 0) drawTab(currentIndex());
}

void RowsTabBar::mousePressEvent(QMouseEvent* event) {
    if (m_scrolls) {
        QTabBar::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int tab = RowTabAt(event->position().toPoint());
    if (tab >= 0 && isTabEnabled(tab)) setCurrentIndex(tab);
    event->accept();
}

void RowsTabBar::mouseMoveEvent(QMouseEvent* event) {
    if (m_scrolls)
        QTabBar::mouseMoveEvent(event);
    else
        event->accept();
}

void RowsTabBar::mouseReleaseEvent(QMouseEvent* event) {
    if (m_scrolls)
        QTabBar::mouseReleaseEvent(event);
    else
        event->accept();
}

void RowsTabBar::resizeEvent(QResizeEvent* event) {
    QTabBar::resizeEvent(event);
    FollowWidth();
}

void RowsTabBar::tabInserted(int index) {
    QTabBar::tabInserted(index);
    FollowWidth();
}

void RowsTabBar::tabRemoved(int index) {
    QTabBar::tabRemoved(index);
    FollowWidth();
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new RowsTabBar(this));
}

RowsTabBar* PageControl::Tabs() const {
    return static_cast<RowsTabBar*>(tabBar());
}

void PageControl::resizeEvent(QResizeEvent* event) {
    QTabWidget::resizeEvent(event);  // lays the tabs out for the new width
    FollowRows();
}

void PageControl::tabInserted(int index) {
    QTabWidget::tabInserted(index);
    FollowRows();
}

void PageControl::tabRemoved(int index) {
    QTabWidget::tabRemoved(index);
    FollowRows();
}

void PageControl::FollowRows() {
    Tabs()->FollowWidth();
    const int rows = Tabs()->RowCount();
    if (rows == m_rows) return;
    m_rows = rows;
    updateGeometry();  // the window gives the page set the height its rows need
}

}  // namespace velmora
