// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu and the close query: which questions come, in which order, and what is on disk
// and in the window afterwards; the recent files and documents dropped on the window.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSettings>
#include <QUrl>

#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "core/entries/EntryOperations.h"
#include "core/settings/ProgramFolder.h"
#include "gui/services/QtFolderMemory.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

const QString SaveQuestion = "Confirm | Confirm | Save changes to Untitle.ini? | &Yes,&No,Cancel";
const QString NoModification = "Notice | VelmoraEdit | No modification. Saving is not performed. | OK";

QString SaveDialog(const std::string& proposed) {
    return "SaveFile | INI file (*.ini)|*.ini|All files (*.*)|*.* | " + Latin1(proposed);
}

QString Overwrite(const std::string& name) {
    return "Plain | Existing File | File:\r\n" + Latin1(name) +
           "\r\nis already exist.\r\n\r\nOverwrite file ? | OK,Cancel";
}

}  // namespace

class DocumentCommandsTest : public HarnessTest<MainWindowHarness> {
    Q_OBJECT

    void Prepare() override { h->StartOnSample(); }

    std::string Cost() const { return h->window->Work().Doc().Store().ReadString("GRUNT", "Cost", ""); }

private slots:
    void saveOfTheFreshDocumentAsksForAName() {
        h->boxes.EnqueueFileName(std::nullopt);
        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown(), QStringList({SaveDialog("Untitle.ini")}));
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));
        QVERIFY(!h->folder.Exists("Untitle.ini"));
    }

    void saveAsWritesUnderTheNewNameAndASecondSaveHasNothingToDo() {
        QVERIFY(h->Trigger("New1"));
        QVERIFY(h->window->Work().Doc().Modified());
        h->Edit("GRUNT", "Cost", "999");
        const std::string name = h->folder.File("Mine.ini");
        h->boxes.EnqueueFileName(name);
        QVERIFY(h->Trigger("SaveAs1"));

        QCOMPARE(h->TakeShown(), QStringList({SaveDialog("Untitle.ini")}));
        QVERIFY(h->folder.Read("Mine.ini").find("Cost=999") != std::string::npos);
        QCOMPARE(h->window->windowTitle(), Latin1(name) + QStringLiteral("[*]"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Mine.ini"));
        QVERIFY(!h->window->Work().Doc().Modified());
        QVERIFY(!h->window->isWindowModified());
        QCOMPARE(h->window->Work().Doc().FileName(), name);

        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown(), QStringList({NoModification}));

        // A later change is written straight to the file.
        h->Edit("GRUNT", "Cost", "1000");
        QTest::keyClick(h->window.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(h->TakeShown(), QStringList());
        QVERIFY(h->folder.Read("Mine.ini").find("Cost=1000") != std::string::npos);
    }

    // Save writes the definition file with the document once an entry operation changed its lists.
    void saveWritesTheDefinitionFileWhenItsListsChanged() {
        const std::string name = h->folder.File("Mine.ini");
        h->boxes.EnqueueFileName(name);
        QVERIFY(h->Trigger("SaveAs1"));
        h->TakeShown();
        const std::string definition = h->folder.Read("Rules.001");
        EntryOperations(h->window->Work(), "Weapons", 1)
            .DuplicateOrChangeCode("RIFLE", "RIFLE2", std::nullopt, true);
        QTest::keyClick(h->window.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(h->folder.Read("Mine.ini").find("[RIFLE2]") != std::string::npos);
        QVERIFY(h->folder.Read("Rules.001").find("=RIFLE2\r\n") != std::string::npos);
        QVERIFY(h->folder.Read("Rules.001") != definition);
    }

    void theDefaultCopyIsNeverSavedOver() {
        const std::string defaultCopy = h->folder.File("Rules.INI");
        const std::string original = h->folder.Read("Rules.INI");
        const QString defaultBox = "Plain | Default | Cannot use the name " + Latin1(defaultCopy) +
                                   ", use text editor to create default file. | OK";

        // Opened itself and changed: Save shows the box, then the dialog preset with its name.
        h->boxes.EnqueueFileName(defaultCopy);
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();
        h->Edit("GRUNT", "Cost", "999");
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        h->boxes.EnqueueFileName(std::nullopt);
        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown(), QStringList({defaultBox, SaveDialog(defaultCopy)}));

        // Chosen in the dialog in other letter case: the box, then the dialog again with that name.
        std::string otherCase = defaultCopy;
        otherCase.replace(otherCase.size() - 3, 3, "ini");
        h->boxes.EnqueueFileName(otherCase);
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        h->boxes.EnqueueFileName(std::nullopt);
        QVERIFY(h->Trigger("SaveAs1"));
        QCOMPARE(h->TakeShown(), QStringList({SaveDialog(defaultCopy), defaultBox, SaveDialog(otherCase)}));
        QCOMPARE(h->folder.Read("Rules.INI"), original);
        QVERIFY(h->window->Work().Doc().Modified());
    }

    void saveAsOntoAnExistingFileAsksBeforeOverwriting() {
        h->folder.Write("Taken.ini", "[Old]\r\n");
        const std::string taken = h->folder.File("Taken.ini");
        h->Edit("GRUNT", "Cost", "999");

        h->boxes.EnqueueFileName(taken);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Trigger("SaveAs1"));
        QCOMPARE(h->TakeShown(), QStringList({SaveDialog("Untitle.ini"), Overwrite(taken)}));
        QCOMPARE(h->folder.Read("Taken.ini"), std::string("[Old]\r\n"));
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));
        QVERIFY(h->window->Work().Doc().Modified());

        h->boxes.EnqueueFileName(taken);
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QVERIFY(h->Trigger("SaveAs1"));
        QCOMPARE(h->TakeShown(), QStringList({SaveDialog("Untitle.ini"), Overwrite(taken)}));
        QVERIFY(h->folder.Read("Taken.ini").find("Cost=999") != std::string::npos);
        QCOMPARE(h->window->Work().Doc().FileName(), taken);
    }

    void newAsksAboutUnsavedChangesFirst() {
        h->Edit("GRUNT", "Cost", "999");

        // Yes, then the save dialog of an untitled document cancelled: no New.
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueFileName(std::nullopt);
        QTest::keyClick(h->window.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(h->TakeShown(), QStringList({SaveQuestion, SaveDialog("Untitle.ini")}));
        QCOMPARE(Cost(), std::string("999"));

        // No: the changes go, the new document counts as changed.
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->Trigger("New1"));
        QCOMPARE(h->TakeShown(), QStringList({SaveQuestion}));
        QCOMPARE(Cost(), std::string("100"));
        QVERIFY(h->window->Work().Doc().Modified());
        QCOMPARE(h->Entries(), QStringList({"GRUNT", "TORCH", "SAPPER", "SCOUT", "LONGSHOT"}));
    }

    void openReplacesTheDocumentUnlessCancelled() {
        const std::string mod = h->folder.File("mods/Cinderfall.ini");

        h->boxes.EnqueueFileName(std::nullopt);
        QTest::keyClick(h->window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(h->TakeShown(), QStringList({"OpenFile | INI files (*.ini)|*.ini|All files|*.* | "}));
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));

        h->boxes.EnqueueFileName(mod);
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();
        QCOMPARE(h->window->windowTitle(), Latin1(mod) + QStringLiteral("[*]"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Cinderfall.ini"));
        QVERIFY(!h->window->Work().Doc().Modified());
        QVERIFY(h->Entries().contains("ZEALOT"));

        // The save question names only the file name part; Cancel keeps the changed document.
        h->Edit("GRUNT", "Cost", "999");
        h->boxes.EnqueueFileName(h->folder.File("Rules.INI"));
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Trigger("Open1"));
        QCOMPARE(h->TakeShown().last(),
                 QStringLiteral("Confirm | Confirm | Save changes to Cinderfall.ini? | &Yes,&No,Cancel"));
        QCOMPARE(h->window->Work().Doc().FileName(), mod);
        QCOMPARE(Cost(), std::string("999"));
    }

    void aDocumentThatCannotBeReadLeavesTheLoadedOneInPlace() {
        const std::string mod = h->folder.File("mods/Cinderfall.ini");
        h->boxes.EnqueueFileName(mod);
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();
        const QStringList entries = h->Entries();
        if (!MakeUnreadableFile(h->folder, "Locked.ini"))
            QSKIP("no file here that exists but cannot be read");

        const std::string locked = h->folder.File("Locked.ini");
        h->boxes.EnqueueFileName(locked);
        QVERIFY(h->Trigger("Open1"));
        QCOMPARE(h->TakeShown(),
                 QStringList({"OpenFile | INI files (*.ini)|*.ini|All files|*.* | ",
                              "Error | VelmoraEdit | Cannot open file " + Latin1(locked) + " | OK"}));
        QCOMPARE(h->window->Work().Doc().FileName(), mod);
        QCOMPARE(h->window->windowTitle(), Latin1(mod) + QStringLiteral("[*]"));
        QCOMPARE(h->Entries(), entries);
        QCOMPARE(h->window->Work().Doc().FileName(), mod);
    }

    void aSaveIntoAMissingFolderFailsAndKeepsTheChanges() {
        h->Edit("GRUNT", "Cost", "999");
        const std::string name = h->folder.File("missing/Mine.ini");
        h->boxes.EnqueueFileName(name);
        QVERIFY(h->Trigger("SaveAs1"));

        QCOMPARE(h->TakeShown(),
                 QStringList({SaveDialog("Untitle.ini"),
                              "Error | VelmoraEdit | Cannot create file " + Latin1(name) + ": the folder " +
                                  Latin1(h->folder.File("missing")) + " does not exist | OK"}));
        QVERIFY(h->window->Work().Doc().Modified());
        QVERIFY(!h->folder.Exists("missing"));
        QCOMPARE(Cost(), std::string("999"));
        // The new name is the document's only once it is written.
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Untitle.ini"));
    }

    void closingAsksAboutUnsavedChanges() {
        // Unchanged: closes without a question.
        QVERIFY(h->window->close());
        QCOMPARE(h->TakeShown(), QStringList());
        h->window->show();

        h->Edit("GRUNT", "Cost", "999");
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Trigger("Exit1"));
        QVERIFY(h->window->isVisible());

        // A save that fails keeps the window open.
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueFileName(h->folder.File("missing/Mine.ini"));
        QVERIFY(!h->window->close());
        QVERIFY(h->window->isVisible());

        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->window->close());
        QVERIFY(!h->window->isVisible());
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0], SaveQuestion);
        QCOMPARE(shown[1], SaveQuestion);
        QVERIFY(shown[3].startsWith("Error | VelmoraEdit | Cannot create file "));
        QCOMPARE(shown[4], QStringLiteral("Confirm | Confirm | Save changes to Untitle.ini? | &Yes,&No,Cancel"));
    }

    // The new definition is written from the document alone; the open document stays as it is,
    // changes and all, and the new file is loaded for it only once the user agrees.
    void newDefinitionFromTheDocumentIsLoadedForTheOpenDocument() {
        h->folder.Write("Mine.ini", h->folder.Read("Rules.INI"));
        const std::string mine = h->folder.File("Mine.ini");
        h->boxes.EnqueueFileName(mine);
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();
        const std::string oldDefinition = h->folder.Read("Rules.001");
        h->Edit("GRUNT", "Cost", "999");
        const QString question =
            "Confirm | Confirm | Write a new definition file " + Latin1(h->folder.File("Rules.001")) +
            " from the document Mine.ini?\r\nThe present file is kept as Rules.001.BAK. | "
            "&Yes,&No,Cancel";
        const QString load = QStringLiteral(
            "Confirm | Confirm | The new definition file is written. Load it now for the open document?\r\n"
            "The edits made so far can then no longer be undone. | &Yes,&No,Cancel");
        const QStringList oldRows = Column(h->Grid(), 0);

        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->Trigger("NewDefinition1"));
        QCOMPARE(h->TakeShown(), QStringList({question}));
        QVERIFY(!h->folder.Exists("Rules.001.BAK"));

        // Written, not loaded: nothing of the open document changes.
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->Trigger("NewDefinition1"));
        QCOMPARE(h->TakeShown(), QStringList({question, load}));
        QCOMPARE(h->folder.Read("Rules.001.BAK"), oldDefinition);
        QVERIFY(h->folder.Read("Rules.001").find("Primaries=1,Primaries1") != std::string::npos);
        QCOMPARE(Column(h->Grid(), 0), oldRows);
        QVERIFY(h->window->Work().Doc().CanUndo());

        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        QVERIFY(h->Trigger("NewDefinition1"));
        QCOMPARE(h->TakeShown().mid(0, 2), QStringList({question, load}));
        QCOMPARE(Column(h->Grid(), 0),
                 QStringList({"InfantryTypes", "VehicleTypes", "BuildingTypes", "WarheadTypes",
                              "AircraftTypes2", "Primaries", "StrikeWeapons", "Projectiles", "PowerStrikes",
                              "BuiltBys", "Unknown!"}));
        QCOMPARE(h->window->Work().Doc().FileName(), mine);
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Mine.ini"));
        QVERIFY(h->window->Work().Doc().Modified());
        QCOMPARE(Cost(), std::string("999"));
    }

    void recentAndDroppedFilesOpenThroughTheSaveQuestion() {
        QSettings settings(QString::fromStdString(h->folder.File("user-settings.ini")), QSettings::IniFormat);
        h->window->SetUserSettings(&settings);
        // The window keeps what it remembers in the settings until it goes, and it goes first.
        const auto dropWindow = qScopeGuard([this] { h->window.reset(); });
        auto& fileMenu = *h->Find<QMenu>("File1");
        auto& recent = *h->Find<QMenu>("RecentFiles1");
        auto recentShown = [&] {
            emit fileMenu.aboutToShow();
            QStringList texts;
            for (const QAction* item : recent.actions()) texts << item->text();
            return texts;
        };
        QCOMPARE(recentShown(), QStringList());
        QVERIFY(!recent.menuAction()->isEnabled());

        const std::string mod = h->folder.File("mods/Cinderfall.ini");
        h->boxes.EnqueueFileName(mod);
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();
        QCOMPARE(recentShown(), QStringList({"&1 " + Latin1(mod)}));
        QCOMPARE(settings.value("RecentFiles").toStringList(), QStringList({Latin1(mod)}));

        // A file dropped on the window opens once the drop is done, after the question about changes.
        h->Edit("GRUNT", "Cost", "999");
        const std::string game = h->folder.File("game/Rules.ini");
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(Latin1(game))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h->window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h->window.get(), &drop);
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QTRY_COMPARE(h->window->Work().Doc().FileName(), game);
        QCOMPARE(h->TakeShown(), QStringList({"Confirm | Confirm | Save changes to Cinderfall.ini? | &Yes,&No,Cancel"}));
        QCOMPARE(recentShown(), QStringList({"&1 " + Latin1(game), "&2 " + Latin1(mod)}));

        // The list reopens a document; one that is gone leaves the list.
        recent.actions().last()->trigger();
        QCOMPARE(h->window->Work().Doc().FileName(), mod);
        std::filesystem::remove(game);
        QCOMPARE(recentShown(), QStringList({"&1 " + Latin1(mod)}));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void programFolderStartsTheEditorAfreshOnTheChosenFolder() {
        QVERIFY(!h->Trigger("ProgramFolder1"));  // the program has not given the choice of a folder
        const std::filesystem::path startedIn = std::filesystem::current_path();
        TempFolder other;
        QSettings settings(h->folder.File("user-settings.ini").c_str(), QSettings::IniFormat);
        QtFolderMemory memory(settings);
        ProgramFolderChoice choice(h->boxes, memory, SourceFolder("samples"));
        h->window->SetProgramFolderChoice(&choice);

        h->boxes.EnqueueFileName(std::nullopt);
        QVERIFY(h->Trigger("ProgramFolder1"));
        QCOMPARE(h->TakeShown(), QStringList({"Folder | Program Folder | " + Latin1(h->folder.Dir())}));
        QCOMPARE(h->globals.ProgramDir, h->folder.Dir());

        h->Edit("GRUNT", "Cost", "999");
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        h->boxes.EnqueueFileName(other.Path().string());
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        QVERIFY(h->Trigger("ProgramFolder1"));

        const QStringList shown = h->TakeShown();
        // The load of the new folder runs as a start does; the copied sample has nothing new to list.
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0], SaveQuestion);
        QVERIFY(shown[2].startsWith("Confirm | Confirm | The folder " + Latin1(other.Path().string()) + " is empty."));
        QCOMPARE(h->globals.ProgramDir, other.Dir());
        QVERIFY(std::filesystem::equivalent(std::filesystem::current_path(), other.Path()));
        QVERIFY(other.Exists("Velmedit.ini") && other.Exists("Rules.001"));
        QCOMPARE(Cost(), std::string("100"));  // the untitled document of the new folder
        QVERIFY(!h->window->Work().Doc().Modified());
        QVERIFY(h->Grid().RowCount() > 1);
        QCOMPARE(ToBytes(QSettings(h->folder.File("user-settings.ini").c_str(), QSettings::IniFormat)
                             .value("ProgramFolder")
                             .toString()),
                 other.Path().string());
        std::filesystem::current_path(startedIn);
    }
};

VELMORA_GUI_TEST(DocumentCommandsTest)
#include "DocumentCommandsTest.moc"
