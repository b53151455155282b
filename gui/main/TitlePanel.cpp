// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's title, which lies taller over the window while a load runs.

#include "gui/main/TitlePanel.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>

#include "gui/widgets/QtText.h"

namespace velmora {

TitlePanel::TitlePanel(QLabel& title, QBoxLayout& layout, QWidget& area)
    : m_title(title), m_layout(layout), m_area(area), m_designedHeight(title.minimumHeight()) {
    m_area.installEventFilter(this);  // its width, for the title lying over it
}

void TitlePanel::ShowTitle(const std::string& text) {
    m_title.setText(ToQString(text));
}

void TitlePanel::ShowLoading() {
    SetTitleHeight(4 * m_designedHeight);
}

void TitlePanel::ShowLoaded() {
    SetTitleHeight(m_designedHeight);
}

void TitlePanel::SetTitleHeight(int height) {
    const bool inLayout = m_layout.indexOf(&m_title) >= 0;
    m_title.setFixedHeight(height);
    if (height == m_designedHeight) {
        if (!inLayout) m_layout.insertWidget(0, &m_title);
        m_layout.activate();  // the panels are in place before anything else is shown
        return;
    }
    if (inLayout) m_layout.removeWidget(&m_title);
    m_title.setGeometry(0, 0, m_area.width(), height);
    m_title.raise();
}

bool TitlePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == &m_area && m_layout.indexOf(&m_title) < 0)
        m_title.resize(m_area.width(), m_title.height());
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora
