// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the main window, started on a program folder, into a PNG file, and optionally the window
// of its first category: the pictures of the README. Both are drawn at a comfortable size, larger
// than designed, as a modder would have them.
//
//   grab-main-window PROGRAM_FOLDER OUT.png [CATEGORY_OUT.png]
//
// Run it under a real display (for instance Xvfb) to get the platform's fonts and style. Boxes
// that the start-up shows are printed on stderr and answered with their first button.

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <iostream>
#include <string>

#include "gui/category/CategoryWindow.h"
#include "core/boxes/FirstButtonBoxes.h"
#include "core/settings/Globals.h"
#include "gui/main/MainWindow.h"

namespace {

// Draws the window into `fileName`; false (with a message) when it cannot be written.
bool Save(QWidget& window, const char* fileName) {
    QApplication::processEvents();
    if (window.grab().save(QString::fromLocal8Bit(fileName), "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", fileName);
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: grab-main-window PROGRAM_FOLDER OUT.png [CATEGORY_OUT.png]\n");
        return 2;
    }
    velmora::Globals globals;
    velmora::FirstButtonBoxes boxes(&std::cerr);
    velmora::MainWindow mainWin(globals, boxes);
    mainWin.resize(560, 480);
    mainWin.StartInFolder(argv[1]);
    if (!Save(mainWin, argv[2])) return 1;
    if (argc == 4) {
        mainWin.NextFocusAndOpen(nullptr, true);  // the first category, at its first entry
        if (mainWin.CategoryWindows().empty() || !mainWin.CategoryWindows().front().Window) {
            std::fprintf(stderr, "no category window opened\n");
            return 1;
        }
        QWidget& category = *mainWin.CategoryWindows().front().Window;
        category.resize(860, 500);
        if (!Save(category, argv[3])) return 1;
    }
    return 0;
}
