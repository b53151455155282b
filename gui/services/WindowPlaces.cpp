// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/WindowPlaces.h"

#include <QByteArray>
#include <QLayout>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>
#include <algorithm>

#include "gui/widgets/QtText.h"

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

// The space a window's frame adds around it; not known before the window is first shown, nor
// until the window manager has framed it, when `fallback`'s is a fair guess.
QSize FrameExtra(const QWidget& window, const QWidget& fallback) {
    const QSize guess = fallback.frameGeometry().size() - fallback.size();
    if (!window.isVisible()) return guess;
    return (window.frameGeometry().size() - window.size()).expandedTo(guess);
}

}  // namespace

void WindowPlaces::FitOnScreen(QWidget& window, const QWidget& near) {
    const QScreen* screen = near.screen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size() - FrameExtra(window, near);
    if (window.width() > room.width() || window.height() > room.height()) window.resize(window.size().boundedTo(room));
}

void WindowPlaces::KeepOnScreen(QWidget& window, const QWidget& near) {
    FitOnScreen(window, near);
    const QScreen* screen = near.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window.size() + FrameExtra(window, near);
    const QPoint inside(std::min(window.x(), std::max(area.left(), area.right() + 1 - frame.width())),
                        std::min(window.y(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    if (inside != window.pos()) window.move(inside);
}

void WindowPlaces::CentreOver(QWidget& window, const QWidget& owner) {
    FitOnScreen(window, owner);
    const QScreen* screen = owner.screen();
    if (!screen) return;
    const QSize frame = window.size() + FrameExtra(window, owner);
    const QPoint middle = owner.frameGeometry().center();
    window.move(Inside(screen->availableGeometry(), frame,
                       middle - QPoint(frame.width() / 2, frame.height() / 2)));
}

bool WindowPlaces::RestoreMainWindow(QWidget& window) const {
    if (m_settings) {
        const QByteArray place = m_settings->value(QLatin1String(MainWindowKey)).toByteArray();
        if (!place.isEmpty() && window.restoreGeometry(place)) {
            FitOnScreen(window, window);
            return true;
        }
    }
    // A first start: about half the screen's width and most of its height, yet no narrower than the
    // layout is designed, as far as the screen allows.
    if (const QScreen* screen = window.screen()) {
        const QRect area = screen->availableGeometry();
        const QSize frame = FrameExtra(window, window);
        // On a screen too low for the panels they scroll: their scroll bar needs room beside them.
        const int designed =
            window.sizeHint().width() + window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
        window.resize(QSize(std::max(area.width() / 2, designed), area.height() * 17 / 20)
                          .expandedTo(window.minimumSizeHint()));
        FitOnScreen(window, window);
        window.move(area.left() + std::max(0, (area.width() / 2 - window.width() - frame.width()) / 2), area.top());
    }
    return false;
}

void WindowPlaces::RememberMainWindow(const QWidget& window) {
    if (m_settings) m_settings->setValue(QLatin1String(MainWindowKey), window.saveGeometry());
}

bool WindowPlaces::PlaceCategoryWindow(QWidget& window, const std::string& category, const QWidget& mainWindow,
                                       const std::vector<const QWidget*>& openWindows) {
    if (window.layout()) window.layout()->activate();  // the window has its real size before it is placed
    const QPointer<const QWidget> previous = m_lastPlaced;
    m_lastPlaced = &window;
    const QScreen* screen = mainWindow.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), window.size());
    if (m_settings) {
        const QByteArray place = m_settings->value(CategoryKey(category)).toByteArray();
        if (!place.isEmpty() && window.restoreGeometry(place)) {
            FitOnScreen(window, mainWindow);
            // A place another open category window holds is taken: this one goes a step down and to
            // the right of it, as a new window goes from the one before it.
            QPoint wanted = window.pos();
            bool stepped = false;
            for (size_t tries = 0; tries <= openWindows.size(); ++tries) {
                const auto taker = std::find_if(openWindows.begin(), openWindows.end(), [&](const QWidget* other) {
                    return other && other != &window && other->isVisible() &&
                           (other->pos() - wanted).manhattanLength() < CascadeStep.x();
                });
                if (taker == openWindows.end()) break;
                wanted = Inside(area, window.size() + FrameExtra(window, mainWindow), (*taker)->pos() + CascadeStep);
                stepped = true;
            }
            if (stepped) window.move(wanted);
            return true;
        }
    }
    // Its designed size, as far as the screen holds it.
    window.resize(window.sizeHint().expandedTo(window.minimumSizeHint()));
    FitOnScreen(window, mainWindow);
    const QSize frame = window.size() + FrameExtra(window, mainWindow);
    const QRect main = mainWindow.frameGeometry();
    // Level with the main window's contents, not its frame: a window manager that places a new
    // window's contents at the point given would otherwise put its title bar above the screen.
    const int top = std::max(area.top(), mainWindow.geometry().top());
    const QPoint wanted = previous && previous->isVisible() ? previous->pos() + CascadeStep
                                                            : QPoint(main.right() + 1 + GapBesideMain, top);
    window.move(Inside(area, frame, wanted));
    return false;
}

void WindowPlaces::RememberCategoryWindow(const QWidget& window, const std::string& category) {
    if (m_settings) m_settings->setValue(CategoryKey(category), window.saveGeometry());
}

}  // namespace velmora
