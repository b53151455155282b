// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <string>
#include <vector>

class QSettings;
class QWidget;

namespace velmora {

// Where the windows go. Each window comes back where the user left it in an earlier run: the main
// window, and each category window by its category's name. A category window opened for the first
// time goes beside the main window, each further one a step down and to the right of the one opened
// before it; either way it lies inside the screen's available area. The places are the user's
// preference and are kept in the user's own settings, never in the program folder.
class WindowPlaces {
public:
    // Where the places are kept; none (the default) remembers nothing. `settings` outlives this.
    void SetSettings(QSettings* settings) { m_settings = settings; }

    // The main window's remembered size and place, before it is shown; false when none is known,
    // and the window then takes about half the screen's width (its designed width at least) and
    // most of its height.
    bool RestoreMainWindow(QWidget& window) const;
    void RememberMainWindow(const QWidget& window);

    // Sizes and places a new category window before it is first shown, clear of the places of
    // `openWindows`; false when no size was remembered for it, and it then has its designed size.
    bool PlaceCategoryWindow(QWidget& window, const std::string& category, const QWidget& mainWindow,
                             const std::vector<const QWidget*>& openWindows);

    // Makes `window` no larger than the available area of the screen `near` is on.
    static void FitOnScreen(QWidget& window, const QWidget& near);
    // Makes `window` fit as FitOnScreen does, then moves it up or left as far as it passes the
    // area's edge: for a window that grew after it was placed.
    static void KeepOnScreen(QWidget& window, const QWidget& near);
    // Makes `window` fit as FitOnScreen does and places it over the middle of `owner`, inside the
    // screen: a tool window wider than its owner would otherwise open partly off the screen where
    // the system centres it on an owner near the screen's edge.
    static void CentreOver(QWidget& window, const QWidget& owner);
    void RememberCategoryWindow(const QWidget& window, const std::string& category);

private:
    QPointer<const QWidget> m_lastPlaced;
    QSettings* m_settings = nullptr;
};

}  // namespace velmora
