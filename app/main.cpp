// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of Velmora Edit: settles the program folder (the working directory, or the folder the
// command line names or asks for), then runs the main window on it until that window closes.
//
//   VelmoraEdit                        the folder it is started in (on Windows: as --choose-program-dir)
//   VelmoraEdit --program-dir DIR      DIR
//   VelmoraEdit --choose-program-dir   the folder chosen once and remembered (the desktop entry)
//   ... FILE                           each of the above, and then opens the document FILE
//   ... --mod MODFOLDER                each of the above, and then opens every kind of file
//                                      together, from MODFOLDER where it holds them
//   ... --layer FILE ...               reads FILE over the document (with --mod, over its rules) as a
//                                      layer (as often as wanted)

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/Globals.h"
#include "core/settings/ProgramFolder.h"
#include "gui/services/QtBoxes.h"
#include "gui/services/QtFolderMemory.h"
#include "gui/widgets/QtText.h"
#include "gui/main/MainWindow.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "gui/services/TimingTrace.h"

namespace {

#ifdef _WIN32
// On Windows the program is started from Explorer or the Start menu, not from a shell in the game's
// folder: a start without options asks for the program folder once and remembers it, as the
// desktop entry does elsewhere.
constexpr velmora::StartOptions::Folder DefaultFolder = velmora::StartOptions::Folder::Remembered;
#else
constexpr velmora::StartOptions::Folder DefaultFolder = velmora::StartOptions::Folder::Working;
#endif

// The sample installation that the package puts beside the program, from the program's folder.
std::string InstalledSampleDir() {
    const QString dir = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(VELMORA_SAMPLE_FROM_BINDIR));
    return velmora::ToBytes(QDir::toNativeSeparators(QDir::cleanPath(dir)));
}

}  // namespace

int main(int argc, char* argv[]) {
    velmora::platform::KeepLargeBlocksReturnable();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("VelmoraEdit"));
    // Lets a desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.VelmoraEdit"));
    // For measuring how quickly the program answers (tools/measure-window-steps.sh).
    const std::unique_ptr<velmora::TimingTrace> trace = velmora::TimingTrace::FromEnvironment();

    velmora::QtBoxes boxes(nullptr);
    // A scripted start (the check of an installed program) answers the folder question itself.
    if (const char* answer = std::getenv("VELMORA_EDIT_FOLDER_ANSWER")) boxes.AnswerFolderQuestionsWith(answer);

    QSettings settings;
    velmora::QtFolderMemory memory(settings);
    velmora::ProgramFolderChoice choice(boxes, memory, InstalledSampleDir());
    velmora::StartOptions options;
    std::optional<std::string> programDir;
    try {
        // Qt took its own options out of argv; what is left are ours, as the bytes given.
        options = velmora::ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc), DefaultFolder);
    } catch (const velmora::IniError& usage) {
        boxes.Error(usage.what());
        return 2;
    }
    try {
        programDir = velmora::StartProgramFolder(options, choice);
    } catch (const std::exception& error) {
        boxes.Error(error.what());
        return 1;
    }
    if (!programDir) return 0;  // the user did not choose a folder

    velmora::Globals globals;
    velmora::MainWindow mainWin(globals, boxes);
    boxes.SetOwner(&mainWin);
    mainWin.SetProgramFolderChoice(&choice);
    mainWin.SetUserSettings(&settings);
    // Unsaved work is copied to the user's own data folder, and offered again after a crash.
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!dataDir.isEmpty()) mainWin.SetRecoveryFolder(velmora::ToBytes(QDir(dataDir).filePath(QStringLiteral("recovery"))));
    mainWin.StartInFolder(*programDir);
    mainWin.OpenAtStart(options.documentFile);
    if (!options.modFolder.empty()) mainWin.OpenModFolder(options.modFolder);
    mainWin.AddLayersAtStart(options.layerFiles);
    return QApplication::exec();
}
