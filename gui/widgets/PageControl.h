// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTabBar>
#include <QTabWidget>
#include <vector>

namespace velmora {

// Tabs in as many rows as their captions need, up to two: each row takes tabs from the left as far
// as the width allows, and when there is more than one row every row is stretched to the full
// width. Tabs that would need more rows take one row that scrolls behind arrows instead, so that
// they never crowd out the page below them. A click on a tab selects it; keys and the wheel work as
// on any tab bar. Tabs light up under the mouse.
class RowsTabBar : public QTabBar {
    Q_OBJECT

  public:
    static constexpr int MostRows = 2;

    explicit RowsTabBar(QWidget* parent = nullptr);

    // Where tab `index` is drawn and takes clicks (QTabBar::tabRect knows a single row only); an
    // empty rectangle for no such tab.
    QRect RowTabRect(int index) const;
    // The tab at `position`, -1 when none.
    int RowTabAt(const QPoint& position) const;
    int RowCount() const;
    // True while the tabs take one scrolling row.
    bool Scrolls() const { return m_scrolls; }
    // Lays the tabs out again for the width they now have: in rows, or in one scrolling row.
    void FollowWidth();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

  private:
    // The tabs' places, in tab order, in rows for the width the bar has.
    std::vector<QRect> RowPlaces() const;
    // The width the rows may take: the page set's, which gives the bar the size it asks for, or
    // the bar's own in a layout.
    int AvailableWidth() const;
    void Hover(int tab);

    int m_hovered = -1;
    bool m_scrolls = false;
    int m_rows = 0;
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
