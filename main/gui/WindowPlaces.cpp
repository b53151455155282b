// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/gui/WindowPlaces.h"

#include <QByteArray>
#include <QLayout>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

#include "main/gui/QtText.h"

namespace velmora {

namespace {

constexpr const char* MainWindowKey = "Windows/Main";
// How far each new category window lies from the one opened before it, and from the main window.
constexpr QPoint CascadeStep(24, 24);
constexpr int GapBesideMain = 4;

// Category names are any bytes: "/" and "\" would be read as groups of keys.
QString CategoryKey(const std::string& category) {
    const QByteArray name(category.data(), static_cast<qsizetype>(category.size()));
    return QStringLiteral("CategoryWindows/") + QString::fromLatin1(name.toPercentEncoding());
}

// The top-left corner that keeps a window of `frame` size inside `area`, as near `wanted` as can be.
QPoint Inside(const QRect& area, const QSize& frame, QPoint wanted) {
    if (wanted.y() + frame.height() > area.bottom() + 1) wanted.setY(area.top());  // the cascade starts at the top again
    wanted.setX(std::clamp(wanted.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
    wanted.setY(std::clamp(wanted.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    return wanted;
}

}  // namespace

bool WindowPlaces::RestoreMainWindow(QWidget& window) const {
    if (!m_settings) return false;
    const QByteArray place = m_settings->value(QLatin1String(MainWindowKey)).toByteArray();
    return !place.isEmpty() && window.restoreGeometry(place);
}

void WindowPlaces::RememberMainWindow(const QWidget& window) {
    if (m_settings) m_settings->setValue(QLatin1String(MainWindowKey), window.saveGeometry());
}

void WindowPlaces::PlaceCategoryWindow(QWidget& window, const std::string& category, const QWidget& mainWindow) {
    if (window.layout()) window.layout()->activate();  // the window has its real size before it is placed
    const QPointer<const QWidget> previous = m_lastPlaced;
    m_lastPlaced = &window;
    if (m_settings) {
        const QByteArray place = m_settings->value(CategoryKey(category)).toByteArray();
        if (!place.isEmpty() && window.restoreGeometry(place)) return;
    }
    const QRect main = mainWindow.frameGeometry();
    const QPoint wanted = previous && previous->isVisible() ? previous->pos() + CascadeStep
                                                            : QPoint(main.right() + 1 + GapBesideMain, main.top());
    // The window frame is not known before the window is first shown; the main window's is a fair guess.
    const QSize frame = window.size() + (main.size() - mainWindow.size());
    const QScreen* screen = mainWindow.screen();
    window.move(screen ? Inside(screen->availableGeometry(), frame, wanted) : wanted);
}

void WindowPlaces::RememberCategoryWindow(const QWidget& window, const std::string& category) {
    if (m_settings) m_settings->setValue(CategoryKey(category), window.saveGeometry());
}

}  // namespace velmora
