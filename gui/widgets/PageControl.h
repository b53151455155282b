// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTabBar>
#include <QTabWidget>
#include <vector>

namespace velmora {

// Tabs in as many rows as their captions need, never scrolled behind arrows: each row takes tabs
// from the left as far as the width allows, and when there is more than one row every row is
// stretched to the full width. A click on a tab selects it; keys and the wheel work as on any tab
// bar. Tabs light up under the mouse.
class RowsTabBar : public QTabBar {
    Q_OBJECT

  public:
    explicit RowsTabBar(QWidget* parent = nullptr);

    // Where tab `index` is drawn and takes clicks (QTabBar::tabRect knows a single row only); an
    // empty rectangle for no such tab.
    QRect RowTabRect(int index) const;
    // The tab at `position`, -1 when none.
    int RowTabAt(const QPoint& position) const;
    int RowCount() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The tabs' places, in tab order, for the width the bar is given by its page set.
    std::vector<QRect> TabPlaces() const;
    int AvailableWidth() const;
    void Hover(int tab);

    int m_hovered = -1;
};

// A page set whose tabs wrap into rows (RowsTabBar). Its own size follows the rows its width
// needs.
class PageControl : public QTabWidget {
    Q_OBJECT

  public:
    explicit PageControl(QWidget* parent = nullptr);
    RowsTabBar* Tabs() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

  private:
    // A change of the number of tab rows changes the height the page set asks of its window.
    void FollowRows();

    int m_rows = 0;
};

}  // namespace velmora
