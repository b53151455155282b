// The entry of Velmora Edit: the main window on the program folder (the working directory), and
// the event loop until that window closes.

#include <QApplication>
#include <filesystem>
#include <system_error>

#include "main/Globals.h"
#include "main/QtBoxes.h"
#include "main/mMainWin.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);

    velmora::Globals globals;
    velmora::QtBoxes boxes(nullptr);
    velmora::TMainWin mainWin(globals, boxes);
    boxes.SetOwner(&mainWin);

    std::error_code error;
    const std::filesystem::path workingDir = std::filesystem::current_path(error);
    mainWin.OnCreateMampir(workingDir.string());
    return QApplication::exec();
}
