// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <string>

class QBoxLayout;
class QLabel;
class QWidget;

namespace velmora {

// The title at the top of the main window. While a load runs it is taller and lies over the
// panels below it, as a notice would, rather than making the window taller: it leaves the layout
// until it has its designed height again, and meanwhile spans the window whatever its width.
class TitlePanel : public QObject {
    Q_OBJECT

  public:
    // `title` is the first widget of `layout`, which lays out `area`; all three outlive the panel.
    TitlePanel(QLabel& title, QBoxLayout& layout, QWidget& area);

    void ShowTitle(const std::string& text);
    // Taller, over the panels, while a load runs.
    void ShowLoading();
    // Back in the layout at its designed height.
    void ShowLoaded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetTitleHeight(int height);

    QLabel& m_title;
    QBoxLayout& m_layout;
    QWidget& m_area;
    int m_designedHeight;
};

}  // namespace velmora
