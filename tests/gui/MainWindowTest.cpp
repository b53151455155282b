// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on its own: start-up, the category buttons and grid, the entry list, the
// unknown-section pass on "Unknown!", the file-type menu, the room of a larger window and the Help
// menu.

#include <QContextMenuEvent>
#include <QScopeGuard>
#include <QScreen>
#include <cstdlib>
#include <QTabWidget>
#include <QToolButton>
#include <QPushButton>

#include "GuiTestMain.h"
#include "gui/category/CategoryWindow.h"

#include "MainWindowHarness.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

QStringList MenuTexts(const QMenu& menu) {
    QStringList texts;
    for (QAction* item : menu.actions()) texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return texts;
}

// The text of every category button, "" for an unlabelled one.
QStringList ButtonTexts(const MainWindowHarness& h) {
    QStringList texts;
    for (int k = 1; k <= 10; ++k)
        texts << h.Find<QToolButton>(qPrintable(QStringLiteral("SpeedButton%1").arg(k)))->text();
    return texts;
}

// The numbers (1 to 10) of the buttons that are down.
QList<int> ButtonsDown(const MainWindowHarness& h) {
    QList<int> down;
    for (int k = 1; k <= 10; ++k)
        if (h.Find<QToolButton>(qPrintable(QStringLiteral("SpeedButton%1").arg(k)))->isChecked()) down << k;
    return down;
}

// The items of the file-type menu that are marked.
QStringList CheckedFileTypes(const MainWindowHarness& h) {
    QStringList checked;
    for (QAction* item : h.FileTypeMenu().actions())
        if (item->isChecked()) checked << item->text();
    return checked;
}

const QStringList SampleCategories = {"InfantryTypes", "VehicleTypes", "AircraftTypes", "BuildingTypes",
                                      "Weapons",       "Projectiles",  "WarheadTypes",  "Superweapons",
                                      "Factions",      "Unknown!"};

}  // namespace

class MainWindowTest : public HarnessTest<MainWindowHarness> {
    Q_OBJECT

private slots:
    void startUpInAnEmptyFolderCreatesTheSettingsAndShowsOnlyUnknown() {
        h->Start();

        const QString settings = Latin1(h->folder.Read("Velmedit.ini"));
        QVERIFY2(settings.contains("[GeneralSetup]\r\nTitle=VELMORA EDIT\r\n"), qPrintable(settings));
        QVERIFY2(settings.contains("[FilesToEdit]\r\nRules.ini=1\r\n"), qPrintable(settings));

        QCOMPARE(MenuTexts(h->FileTypeMenu()), QStringList({"Files to Edit:", "-", "Rules.ini"}));
        QCOMPARE(h->Grid().ColumnTexts(0), std::vector<std::string>({"Unknown!"}));
        QCOMPARE(ButtonTexts(*h), QStringList({"Unknown!", "", "", "", "", "", "", "", "", ""}));
        QCOMPARE(ButtonsDown(*h), QList<int>({1}));
        QCOMPARE(h->globals.NumberOfMain, 1);
        QCOMPARE(h->Text("Panel6"), QStringLiteral("VELMORA EDIT"));
        QCOMPARE(h->Find<QLabel>("Panel6")->height(), 41);
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Untitle.ini"));
        QCOMPARE(h->Text("Panel5"), QStringLiteral("halvek v3.2"));
        QCOMPARE(h->window->windowTitle(), QStringLiteral("Untitle.ini[*]"));
        QCOMPARE(h->Find<QAbstractButton>("Button2")->text(), QStringLiteral("Edit: Unknown!"));
        QCOMPARE(h->Entries(), QStringList());
        QVERIFY(!h->window->Bitmap1() && !h->window->Bitmap2());
        QCOMPARE(h->TakeShown(), QStringList());  // an empty document leaves nothing unknown to announce
    }

    void aDefaultCopyThatCannotBeReadEndsTheLoadButNotTheProgram() {
        if (!MakeUnreadableFile(h->folder, "Rules.INI")) QSKIP("no file here that exists but cannot be read");
        h->Start();
        QCOMPARE(h->TakeShown(), QStringList({"Error | VelmoraEdit | Cannot open file " +
                                              Latin1(h->folder.Dir() + "Rules.INI") + " | OK"}));
        QCOMPARE(h->Text("Panel6"), QStringLiteral("VELMORA EDIT"));
        QCOMPARE(h->Find<QLabel>("Panel6")->height(), 41);
        QCOMPARE(MenuTexts(h->FileTypeMenu()), QStringList({"Files to Edit:", "-", "Rules.ini"}));

        // The window still works: a new, empty document, and nothing to open on the grid.
        QVERIFY(h->Trigger("New1"));
        QCOMPARE(h->Entries(), QStringList());
        QTest::mouseDClick(h->Grid().viewport(), Qt::LeftButton);
        h->boxes.EnqueueFileName(std::nullopt);
        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown(),
                 QStringList({"SaveFile | INI file (*.ini)|*.ini|All files (*.*)|*.* | Untitle.ini"}));
    }

    void theTopPanelsSpanALargerWindowAndTheListsTakeItsRoom() {
        h->StartOnSample();
        auto* entries = h->Find<QListWidget>("ListBox2");
        auto* pages = h->Find<QTabWidget>("PageControl1");
        auto* left = h->Find<QLabel>("Panel3");
        auto* right = h->Find<QLabel>("Panel4");
        const int entriesHeight = entries->height();
        const int pagesHeight = pages->height();
        const int centralHeight = h->window->centralWidget()->height();
        const int button = h->Find<QToolButton>("SpeedButton1")->height();

        h->window->resize(900, h->window->height() + 200);
        QTRY_COMPARE(h->window->centralWidget()->width(), 900);
        for (const char* name : {"Panel6", "Panel1", "Panel2"}) QCOMPARE(h->Find<QLabel>(name)->width(), 900);
        auto* arrow = h->Find<QAbstractButton>("Button3");
        QCOMPARE(arrow->geometry().right(), 900 - 8);
        QCOMPARE(left->mapTo(h->window->centralWidget(), QPoint(0, 0)), QPoint(0, 104));
        // The two panels share the width; the entry list, the pages and their buttons take the height.
        QVERIFY(std::abs(left->width() - right->width()) <= 1);
        const int taller = h->window->centralWidget()->height() - centralHeight;
        QVERIFY(taller >= 190);
        QCOMPARE(entries->height(), entriesHeight + taller);
        QCOMPARE(pages->height(), pagesHeight + taller);
        QVERIFY(h->Find<QToolButton>("SpeedButton1")->height() > button);
        pages->setCurrentIndex(1);
        QCOMPARE(h->Grid().height(), pages->currentWidget()->height());
    }

    // A first start sizes the window to the screen: about half its width, yet no narrower than
    // designed, and most of its height, inside the available area.
    void aFirstStartFitsTheWindowToTheScreen() {
        QSettings settings(QString::fromStdString(h->folder.File("user-settings.ini")), QSettings::IniFormat);
        h->userSettings = &settings;
        const auto dropWindow = qScopeGuard([this] { h->window.reset(); });
        h->StartOnSample();
        const QWidget& window = *h->window;
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(screen.contains(window.frameGeometry()));
        const int room = screen.width() - (window.frameGeometry().width() - window.width());
        const int designed = h->Find<QWidget>("PanelsContent")->sizeHint().width();
        QVERIFY(window.width() >= std::min(std::max(screen.width() / 2, designed), room));
        QVERIFY(window.height() >= screen.height() * 3 / 4);
    }

    void helpMenuShowsTheShortcutsAndWhatTheProgramIs() {
        h->Start();
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QVERIFY(h->Trigger("KeyboardShortcuts1"));
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QVERIFY(h->Trigger("About1"));
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].startsWith("Plain | Keyboard Shortcuts | Main window\r\n"), qPrintable(shown[0]));
        for (const char* line : {"Ctrl+N: New\r\n", "Ctrl+S: Save\r\n", "Alt+F: the File menu\r\n", "Escape: Cancel",
                                 "Shift+F10, the Menu key: pick it from its lists\r\n"})
            QVERIFY2(shown[0].contains(QLatin1String(line)), line);
        QVERIFY(shown[1].startsWith("Plain | About Velmora Edit | Velmora Edit " VELMORA_VERSION "\r\n"));
        QVERIFY(shown[1].contains(QLatin1String(qVersion())));
    }

    void startUpOnTheSampleWaitsVisiblyThenShowsTheCategories() {
        h->CopySample();
        // A section no category claims: the load tells of it while it runs.
        h->folder.Write("Rules.INI", h->folder.Read("Rules.INI") + "[Mystery]\r\nx=1\r\n");
        QStringList seenDuringLoad;
        h->boxes.onNotice = [this, &seenDuringLoad] {
            const QLabel& title = *h->Find<QLabel>("Panel6");
            const bool spans = title.geometry() == QRect(0, 0, h->window->centralWidget()->width(), title.height());
            seenDuringLoad << QStringLiteral("%1 %2 %3 %4")
                                  .arg(h->Text("Panel6"))
                                  .arg(title.height())
                                  .arg(spans ? "across the window" : "cut short")
                                  .arg(h->window->isVisible() ? "shown" : "hidden");
        };
        h->Start();

        QCOMPARE(
            h->TakeShown(),
            QStringList({"Notice | VelmoraEdit | Rules.001 not exist or will be updated.\r\nUpdating will "
                         "perform. | OK"}));
        QCOMPARE(seenDuringLoad, QStringList({"wait a moment... please 164 across the window shown"}));
        QCOMPARE(h->Text("Panel6"), QStringLiteral("PYRE RULES EDITOR"));
        QCOMPARE(h->Find<QLabel>("Panel6")->height(), 41);
        QCOMPARE(h->Text("Panel5"), QStringLiteral("halvek v3.2"));
        QCOMPARE(MenuTexts(h->FileTypeMenu()), QStringList({"Files to Edit:", "-", "Rules.ini", "Art.ini", "Sound.ini"}));
        QCOMPARE(ButtonTexts(*h), SampleCategories);
        QCOMPARE(ButtonsDown(*h), QList<int>({1}));
        QCOMPARE(h->Find<QAbstractButton>("Button2")->text(), QStringLiteral("Edit: InfantryTypes"));
        QCOMPARE(h->Entries(), QStringList({"GRUNT", "TORCH", "SAPPER", "SCOUT", "LONGSHOT"}));
        QVERIFY(h->Find<QListWidget>("ListBox2")->selectedItems().isEmpty());

        // The background is tiled with the first picture.
        QVERIFY(h->window->Bitmap1() && h->window->Bitmap2());
        const QBrush background = h->window->centralWidget()->palette().brush(QPalette::Window);
        QCOMPARE(background.textureImage().size(), h->window->Bitmap1()->size());
    }

    void categoryButtonsSelectTheirCategory() {
        h->CopySample();
        h->Start();

        QVERIFY(h->Click("SpeedButton3"));
        QCOMPARE(h->Grid().Row(), 2);
        QCOMPARE(h->Find<QAbstractButton>("Button2")->text(), QStringLiteral("Edit: AircraftTypes"));
        QCOMPARE(h->Entries(), QStringList({"KITE", "FALCON"}));
        QCOMPARE(ButtonsDown(*h), QList<int>({3}));

        // Clicking the button that is down keeps its category shown and the button down.
        QVERIFY(h->Click("SpeedButton3"));
        QCOMPARE(ButtonsDown(*h), QList<int>({3}));
        QCOMPARE(h->Entries(), QStringList({"KITE", "FALCON"}));

        // A row picked in the grid presses its button.
        h->Grid().SetRow(4);
        QCOMPARE(ButtonsDown(*h), QList<int>({5}));
        QCOMPARE(h->Find<QAbstractButton>("Button2")->text(), QStringLiteral("Edit: Weapons"));
        QCOMPARE(h->Entries().size(), 9);
    }

    void buttonsFollowNumberOfMainAndRowsBeyondThemReleaseAll() {
        QString categories;
        for (int k = 1; k <= 11; ++k) categories += QStringLiteral("Cat%1=1,Page\r\n").arg(k);
        categories += "Arms&Armour=1,Page\r\n";
        h->folder.Write("Rules.001",
                        "[AllSections]\r\n" + categories.toStdString() + "[Arms&Armour]\r\n1=SHIELD\r\n");
        h->folder.Write("Rules.INI", "[SHIELD]\r\nName=Shield\r\n");
        h->folder.Write("Velmedit.ini", "[GeneralSetup]\r\nNumberOfMain=3\r\n");
        h->Start();

        QCOMPARE(ButtonTexts(*h), QStringList({"Cat1", "Cat2", "Cat3", "", "", "", "", "", "", ""}));
        QCOMPARE(h->globals.NumberOfMain, 3);

        // Row 5 has no label on its button, yet the button shows the selection.
        h->Grid().SetRow(5);
        QCOMPARE(ButtonsDown(*h), QList<int>({6}));
        h->Grid().SetRow(11);
        QCOMPARE(ButtonsDown(*h), QList<int>());
        QCOMPARE(h->Find<QAbstractButton>("Button2")->text(), QStringLiteral("Edit: Arms&&Armour"));
        QCOMPARE(h->Entries(), QStringList({"SHIELD"}));

        // A button without a category is not shown.
        QVERIFY(h->Find<QToolButton>("SpeedButton3")->isVisible());
        QVERIFY(!h->Find<QToolButton>("SpeedButton4")->isVisible());
        QVERIFY(h->Click("SpeedButton2"));
        QCOMPARE(h->Grid().Row(), 1);
        QCOMPARE(ButtonsDown(*h), QList<int>({2}));
    }

    void doubleClickOnUnknownRunsThePassOncePerDocument() {
        h->CopySample();
        h->Start();
        h->folder.Write("Mystery.ini", "[Mystery]\r\nFoo=1\r\n");
        h->boxes.EnqueueFileName(h->folder.File("Mystery.ini"));
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();

        // The loaded document knows none of the sections listed as unknown before.
        auto* pages = h->Find<QTabWidget>("PageControl1");
        pages->setCurrentIndex(1);
        StringGrid& grid = h->Grid();
        grid.SetRow(grid.RowCount() - 1);
        QCOMPARE(h->Entries(), QStringList());
        QVERIFY(!h->globals.UnknownSelected);

        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                           grid.visualRect(grid.model()->index(grid.Row(), 0)).center());
        QCOMPARE(h->TakeShown(),
                 QStringList({"Notice | VelmoraEdit | Rules.001 not exist or will be updated.\r\n"
                              "Updating will perform. | OK"}));
        QCOMPARE(h->Entries(), QStringList({"Mystery"}));
        QVERIFY(h->folder.Read("Rules.001").find("=Mystery\r\n") != std::string::npos);

        // Once per document: the button of "Unknown!" double-clicked says why nothing more comes.
        pages->setCurrentIndex(0);
        QTest::mouseDClick(h->Find<QToolButton>("SpeedButton10"), Qt::LeftButton);
        QCOMPARE(h->TakeShown(), QStringList({"Notice | VelmoraEdit | " +
                                              Latin1(Workspace::UnknownHasNoWindowNotice()) + " | OK"}));
        QCOMPARE(h->Entries(), QStringList({"Mystery"}));
        QCOMPARE(ButtonsDown(*h), QList<int>({10}));
    }

    void fileTypeMenuOpensFromTheTitlePanelAndTheArrowButton() {
        h->CopySample();
        h->Start();
        QMenu& menu = h->FileTypeMenu();

        auto* title = h->Find<QLabel>("Panel6");
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20),
                                     title->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(title, &rightClick);
        QTRY_VERIFY(menu.isVisible());
        menu.hide();

        // The arrow button, clicked or pressed with ">", opens the menu under itself.
        auto* arrow = h->Find<QPushButton>("Button3");
        QTest::keyClick(h->window.get(), '>');
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), arrow->mapToGlobal(QPoint(0, arrow->height())));
        QVERIFY(!menu.actions().first()->isEnabled());  // the heading is no choice
        menu.hide();
    }

    // Every category opens from the keyboard: Enter on a focused button or on a row of ALL.
    void enterOnACategoryButtonOrRowOpensItsWindow() {
        h->StartOnSample();
        auto* button = h->Find<QToolButton>("SpeedButton5");
        QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTRY_VERIFY(h->window->findChild<CategoryWindow*>());
        QCOMPARE(Latin1(h->Grid().Cells(0, h->Grid().Row())), button->text());

        h->Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        h->Grid().SetRow(2);
        h->Grid().setFocus();
        QTest::keyClick(&h->Grid(), Qt::Key_Enter);
        QTRY_COMPARE(h->window->findChildren<CategoryWindow*>().size(), 2);
    }

    // Tab goes through the controls as they are laid out: the title's arrow, the game buttons left
    // to right, the pages and their buttons, then the entry panel top to bottom.
    void tabFollowsTheLayout() {
        h->StartOnSample();
        h->window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), h->window.get());
        QStringList expected = {"Load1", "Apply1", "BackupButton", "Button1", "PageControl1"};
        for (int k = 1; k <= 10; ++k) expected << QStringLiteral("SpeedButton%1").arg(k);
        expected << "Button2" << "ListBox2Filter" << "ListBox2" << "Button3" << "Load1";
        QCOMPARE(TabWalk(*h->Find<QWidget>("Button3"), static_cast<int>(expected.size())), expected);

        // On the page of all categories the grid takes the buttons' turn.
        h->Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        QCOMPARE(TabWalk(*h->Find<QWidget>("BackupButton"), 4),
                 QStringList({"Button1", "PageControl1", "CategoryGrid", "Button2"}));
    }

    void fileTypeSwitchAsksThenLoadsTheOtherType() {
        h->CopySample();
        h->Start();
        QCOMPARE(h->TakeShown(), QStringList());  // the sample ships with nothing left to collect

        // The current type: nothing asked, nothing loaded.
        QVERIFY(h->ChooseFileType("Rules.ini"));
        QCOMPARE(h->TakeShown(), QStringList());

        const QString question =
            "Confirm | Confirm | Change the type of file to edit to Art.ini | &Yes,&No,Cancel";
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->ChooseFileType("Art.ini"));
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->ChooseFileType("Art.ini"));
        QCOMPARE(h->TakeShown(), QStringList({question, question}));
        QCOMPARE(h->window->Work().FileToEdit(), std::string("Rules.ini"));
        QCOMPARE(CheckedFileTypes(*h), QStringList({"Rules.ini"}));

        // A changed document: Cancel at the save question keeps everything.
        h->Edit("GRUNT", "Cost", "999");
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->ChooseFileType("Art.ini"));
        const QString saveQuestion = "Confirm | Confirm | Save changes to Untitle.ini? | &Yes,&No,Cancel";
        QCOMPARE(h->TakeShown(), QStringList({question, saveQuestion}));
        QCOMPARE(h->window->Work().FileToEdit(), std::string("Rules.ini"));
        QCOMPARE(h->window->Work().Doc().Store().ReadString("GRUNT", "Cost", ""), std::string("999"));
        QCOMPARE(h->Grid().Cells(0, 0), std::string("InfantryTypes"));

        // No drops the changes and loads the other type.
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->ChooseFileType("Art.ini"));
        QCOMPARE(h->TakeShown(), QStringList({question, saveQuestion}));
        QCOMPARE(h->window->Work().FileToEdit(), std::string("Art.ini"));
        QCOMPARE(CheckedFileTypes(*h), QStringList({"Art.ini"}));
        QCOMPARE(h->Grid().Cells(0, 0), std::string("Animations"));
        QCOMPARE(h->Text("Panel6"), QStringLiteral("PYRE ART EDITOR"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Untitle.ini"));
        QVERIFY(!h->window->Work().Doc().Modified());
    }

    void fileTypeCaptionsShowExactly() {
        h->folder.Write("Velmedit.ini", "[FilesToEdit]\r\nRules.ini=1\r\nR&D.ini=1\r\n");
        h->Start();
        QCOMPARE(MenuTexts(h->FileTypeMenu()), QStringList({"Files to Edit:", "-", "Rules.ini", "R&&D.ini"}));

        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        QVERIFY(h->ChooseFileType("R&&D.ini"));
        QCOMPARE(h->TakeShown(),
                 QStringList(
                     {"Confirm | Confirm | Change the type of file to edit to R&D.ini | &Yes,&No,Cancel"}));
        QCOMPARE(h->window->Work().FileToEdit(), std::string("R&D.ini"));
        QCOMPARE(h->globals.DefaultFileName, h->folder.Dir() + "R&D.INI");
    }
};

VELMORA_GUI_TEST(MainWindowTest)
#include "MainWindowTest.moc"
