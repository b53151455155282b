// Draws the main window, started on a program folder, into a PNG file: the picture of the README.
//
//   grab-main-window PROGRAM_FOLDER OUT.png
//
// Run it under a real display (for instance Xvfb) to get the platform's fonts and style. Boxes
// that the start-up shows are printed on stderr and answered with their first button.

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <string>

#include "main/Boxes.h"
#include "main/Globals.h"
#include "main/mMainWin.h"

namespace {

class PrintedBoxes : public velmora::Boxes {
public:
    void Notice(const std::string& text) override { Print(text); }
    velmora::BoxAnswer Plain(const std::string&, const std::string& text, bool) override {
        Print(text);
        return velmora::BoxAnswer::Ok;
    }
    velmora::BoxAnswer Confirm(const std::string& text) override {
        Print(text);
        return velmora::BoxAnswer::Yes;
    }
    velmora::BoxAnswer Warning(const std::string& text) override {
        Print(text);
        return velmora::BoxAnswer::Ok;
    }
    void Error(const std::string& text) override { Print(text); }
    std::optional<std::string> OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> FolderName(const std::string&, const std::string&) override { return {}; }

private:
    static void Print(const std::string& text) { std::fprintf(stderr, "box: %s\n", text.c_str()); }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab-main-window PROGRAM_FOLDER OUT.png\n");
        return 2;
    }
    velmora::Globals globals;
    PrintedBoxes boxes;
    velmora::TMainWin mainWin(globals, boxes);
    mainWin.OnCreateMampir(argv[1]);
    QApplication::processEvents();
    if (!mainWin.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
