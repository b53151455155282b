// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "MainWindowHarness.h"
#include "gui/category/CategoryWindow.h"

namespace velmora::testing {

// The main window with category windows opened the way the user opens them: a row of the category
// grid, an entry of the entry list, then the "Edit" button.
class CategoryWindowHarness : public MainWindowHarness {
  public:
    // Settings for a small installation written by the test: no definition file rewrites, no
    // double-section warnings, letter case as `caseSensitive` says, pictures in "Bitmap/".
    static std::string Settings(bool caseSensitive, int numberOfMain = 10) {
        return "[GeneralSetup]\r\nBitmapDir=Bitmap/\r\nUpdateUnknown001=0\r\nCheckDoubleSection=0\r\n"
               "Case_Sensitive=" +
               std::string(caseSensitive ? "1" : "0") + "\r\nNumberOfMain=" + std::to_string(numberOfMain) +
               "\r\n\r\n[FilesToEdit]\r\nRules.ini=1\r\n";
    }

    // Starts on a folder holding the settings, the definition file and the default copy given.
    void StartWith(const std::string& settings, const std::string& definition, const std::string& defaults) {
        folder.Write("Velmedit.ini", settings);
        folder.Write("Rules.001", definition);
        folder.Write("Rules.INI", defaults);
        Start();
    }

    // Opens (or brings forward) the category of grid row `row` at entry `entry` (-1: none chosen)
    // and gives back that category's window.
    CategoryWindow* Open(int row, int entry = -1) {
        Grid().SetRow(row);
        auto* list = Find<QListWidget>("ListBox2");
        if (entry >= 0) list->setCurrentRow(entry);
        if (!Click("Button2")) return nullptr;
        return WindowOf(Grid().Cells(0, row));
    }

    // The open window of a category, by its name as listed.
    CategoryWindow* WindowOf(const std::string& category) const {
        for (const auto& line : window->CategoryWindows())
            if (line.Name == category) return line.Window;
        return nullptr;
    }

    // The category numbers of the open windows, in list order.
    QList<int> OpenTags() const {
        QList<int> tags;
        for (const auto& line : window->CategoryWindows()) tags << (line.Window ? line.Window->Tag() : -1);
        return tags;
    }

    template <class T>
    static T& In(const CategoryWindow* child, const char* name) {
        T* widget = child->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no widget %s", name);
        return *widget;
    }
    static StringGrid& EntryList(const CategoryWindow* child) { return In<StringGrid>(child, "EntryGrid"); }
    static StringGrid& ValueGrid(const CategoryWindow* child) { return In<StringGrid>(child, "ValueGrid"); }
    static QTabWidget& Pages(const CategoryWindow* child) { return In<QTabWidget>(child, "PageControl1"); }
    static QString Memo(const CategoryWindow* child) {
        return In<QPlainTextEdit>(child, "Memo1").toPlainText();
    }
    static QString LabelText(const CategoryWindow* child, const char* name) {
        return In<QLabel>(child, name).text();
    }

    // A click as the user makes it, in the middle of a cell.
    static void ClickCell(StringGrid& grid, int col, int row) {
        const QRect cell = grid.visualRect(grid.model()->index(row, col));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }
    static void ClickTab(const CategoryWindow* child, int index) {
        QTabBar* bar = Pages(child).tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, TabPlace(*bar, index).center());
    }
};

// The colour a picture area of a category window shows at (x, y): which picture file was drawn there.
inline QColor PixelAt(const QLabel& area, int x, int y) {
    return area.pixmap().toImage().pixelColor(x, y);
}

}  // namespace velmora::testing
