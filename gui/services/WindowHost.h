// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class QSettings;
class QWidget;

namespace velmora {

class DocumentLayers;
class DocumentSignals;
class EditingSession;
class LiveValueCheck;
class CategoryWindow;
class Workspace;

// What the main window offers the windows it owns (the category windows and the Changes window):
// the workspace, the document's news and a few window services. They depend on this, not on the
// main window, so that a feature folder never includes the one above it.
class WindowHost {
public:
    // The widget the owned windows take as their Qt parent and place themselves beside.
    virtual QWidget& HostWidget() = 0;
    virtual Workspace& Work() = 0;
    virtual const Workspace& Work() const = 0;
    virtual DocumentSignals& DocumentNews() = 0;
    // The user's settings (window places, table columns); null when the program keeps none.
    virtual QSettings* UserSettings() const = 0;
    // The kinds of value the document's keys take, and the values that do not fit them.
    virtual LiveValueCheck& Values() = 0;
    // The layers over the document, with the values that win.
    virtual DocumentLayers& Layers() = 0;
    // Restores the form when it is minimised and gives it the focus.
    virtual void FocusAndShow(QWidget* Form) = 0;
    // Asks before `Name` is overwritten; false when the user declines.
    virtual bool FileExistOK(const std::string& Name) = 0;
    // The usages of `Code` in their window.
    virtual void FindUsages(const std::string& Code) = 0;
    // Opens the category window of `Category` at the entry `Code` (and its key `Key`, unless empty).
    virtual bool ShowEntryAt(const std::string& Category, const std::string& Code, const std::string& Key) = 0;
    // A category window's buttons: the next window, or a new one for the next main category.
    virtual void NextFocusAndOpen(CategoryWindow* Window, bool OpenNew) = 0;
    // A category window that is closing.
    virtual void CategoryWindowClosed(CategoryWindow* Window) = 0;
    // The editing session with every kind of file open; null where there is none (a window alone).
    virtual EditingSession* Session() { return nullptr; }

protected:
    WindowHost() = default;
    WindowHost(const WindowHost&) = default;
    WindowHost& operator=(const WindowHost&) = default;
    ~WindowHost() = default;
};

}  // namespace velmora
