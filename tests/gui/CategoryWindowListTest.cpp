// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's list of open category windows, on a copy of the sample installation: one
// window per category in category order, "Next Window", "Open Next" and "Main Window", bringing an
// open category forward, closing, the commands that replace the document closing every window, and
// where the windows are placed.

#include <QPointer>
#include <QScreen>
#include <QScopeGuard>
#include <QSettings>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "core/store/IniStore.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

// Grid rows of the sample: 0 InfantryTypes, 1 VehicleTypes, 2 AircraftTypes, 3 BuildingTypes,
// 4 Weapons, 5 Projectiles, 6 WarheadTypes, 7 Superweapons, 8 Factions, 9 Unknown!.
using H = CategoryWindowHarness;

bool Press(const CategoryWindow* window, const char* button) {
    auto* control = window->findChild<QPushButton*>(QLatin1String(button));
    if (!control || !control->isEnabled() || !control->isVisible()) return false;
    QTest::mouseClick(control, Qt::LeftButton);
    return true;
}

}  // namespace

class CategoryWindowListTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    void StartSample(int numberOfMain = 10) {
        h->CopySample();
        std::string settings = h->folder.Read("Velmedit.ini");
        settings.replace(settings.find("NumberOfMain=10"), 15,
                         "NumberOfMain=" + std::to_string(numberOfMain));
        h->folder.Write("Velmedit.ini", settings);
        h->Start();
        h->TakeShown();
    }

  private slots:
    void nextWindowFollowsTheCategoryOrder() {
        StartSample();
        CategoryWindow* row2 = h->Open(2);
        CategoryWindow* row7 = h->Open(7);
        CategoryWindow* row4 = h->Open(4);
        QVERIFY(row2 && row7 && row4);
        QCOMPARE(h->OpenTags(), QList<int>({3, 5, 8}));
        QTRY_COMPARE(QApplication::activeWindow(), row4);

        QVERIFY(Press(row2, "Button2"));
        QTRY_COMPARE(QApplication::activeWindow(), row4);
        QVERIFY(Press(row4, "Button2"));
        QTRY_COMPARE(QApplication::activeWindow(), row7);
        QVERIFY(Press(row7, "Button2"));
        QTRY_COMPARE(QApplication::activeWindow(), row2);

        QVERIFY(Press(row2, "Button4"));  // "Main Window"
        QTRY_COMPARE(QApplication::activeWindow(), h->window.get());
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void openNextOpensTheFirstMainCategoryWithoutAWindow() {
        StartSample();
        CategoryWindow* row0 = h->Open(0);
        h->Open(2, 1);
        QVERIFY(Press(row0, "Button3"));
        CategoryWindow* row1 = h->WindowOf("VehicleTypes");
        QVERIFY(row1);
        QCOMPARE(h->OpenTags(), QList<int>({1, 2, 3}));
        QCOMPARE(H::EntryList(row1).Row(), 0);
        QCOMPARE(h->Grid().Row(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), row1);

        QVERIFY(Press(row1, "Button3"));
        QVERIFY(h->WindowOf("BuildingTypes"));
        QCOMPARE(h->OpenTags(), QList<int>({1, 2, 3, 4}));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void openNextStepsOnWhenEveryMainCategoryIsOpen() {
        StartSample(2);
        CategoryWindow* row0 = h->Open(0);
        CategoryWindow* row1 = h->Open(1);
        QVERIFY(Press(row1, "Button3"));
        QTRY_COMPARE(QApplication::activeWindow(), row0);
        QCOMPARE(h->OpenTags(), QList<int>({1, 2}));
    }

    void openNextReachingUnknownRunsOnlyTheUnknownPass() {
        h->StartWith(H::Settings(true, 2), "[AllSections]\r\nUnits=1,General\r\n\r\n[Units]\r\n1=ALPHA\r\n",
                     "[ALPHA]\r\nName=Alpha\r\n\r\n[STRAY]\r\nName=Nobody's\r\n");
        h->TakeShown();
        CategoryWindow* units = h->Open(0);
        QVERIFY(Press(units, "Button3"));
        QCOMPARE(h->Grid().Row(), 1);
        QCOMPARE(h->Entries(), QStringList({"STRAY"}));
        QCOMPARE(h->OpenTags(), QList<int>({1}));
        h->TakeShown();
    }

    void newWindowsOpenOneStepApartInsideTheScreen() {
        StartSample();
        CategoryWindow* first = h->Open(0);
        CategoryWindow* second = h->Open(1);
        const QRect screen = h->window->screen()->availableGeometry();
        QVERIFY(screen.contains(first->frameGeometry()));
        QVERIFY(screen.contains(second->frameGeometry()));
        QVERIFY(first->x() > h->window->x());  // towards the main window's right, as far as the screen allows
        QCOMPARE(second->y(), first->y() + 24);
        QVERIFY(second->x() >= first->x());
    }

    void windowsComeBackWhereTheUserLeftThem() {
        QSettings settings(QString::fromStdString(h->folder.File("user-settings.ini")), QSettings::IniFormat);
        h->userSettings = &settings;
        // The window keeps what it remembers in the settings until it goes, and it goes first.
        const auto dropWindow = qScopeGuard([this] { h->window.reset(); });
        StartSample();
        CategoryWindow* window = h->Open(0);
        window->move(40, 50);
        window->resize(700, 450);
        window->close();
        window = h->Open(0);
        QCOMPARE(window->pos(), QPoint(40, 50));
        QCOMPARE(window->size(), QSize(700, 450));
        // A second window remembered at the same place steps down and to the right of it.
        CategoryWindow* other = h->Open(1);
        other->move(40, 50);
        other->close();
        other = h->Open(1);
        QCOMPARE(other->pos(), QPoint(64, 74));

        h->window->move(30, 40);
        h->window->resize(600, 500);
        h->window.reset();
        h->Start();
        QCOMPARE(h->window->pos(), QPoint(30, 40));
        QCOMPARE(h->window->size(), QSize(600, 500));
        h->TakeShown();
    }

    void openingAnOpenCategoryBringsItForwardAtTheEntry() {
        StartSample();
        QPointer<CategoryWindow> window = h->Open(0);
        window->showMinimized();
        QVERIFY(window->isMinimized());

        QCOMPARE(h->Open(0, 3), window.data());
        QCOMPARE(h->window->CategoryWindows().size(), size_t{1});
        QVERIFY(!window->isMinimized());
        QCOMPARE(H::EntryList(window).Row(), 3);
        QCOMPARE(H::LabelText(window, "Label2"), QStringLiteral("SCOUT"));
        QTRY_COMPARE(QApplication::activeWindow(), window.data());
        // Without an entry chosen, the window keeps its entry.
        QCOMPARE(h->Open(0), window.data());
        QCOMPARE(H::EntryList(window).Row(), 3);
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void closingDropsTheWindowAndReopeningMakesANewOne() {
        StartSample();
        h->Open(1);
        QPointer<CategoryWindow> middle = h->Open(3);
        h->Open(5);
        QVERIFY(middle->close());
        QCOMPARE(h->OpenTags(), QList<int>({2, 6}));
        QTRY_VERIFY(middle.isNull());

        CategoryWindow* again = h->Open(3);
        QVERIFY(again);
        QCOMPARE(h->OpenTags(), QList<int>({2, 4, 6}));
        QCOMPARE(H::EntryList(again).ColumnTexts(0).front(), std::string("HEARTH"));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void commandsThatReplaceTheDocumentCloseEveryWindow_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("New") << "New";
        QTest::newRow("Open") << "Open";
        QTest::newRow("Load Game's Data") << "Load";
        QTest::newRow("file type") << "Art.ini";
        QTest::newRow("Run the Game") << "Run";
    }

    void commandsThatReplaceTheDocumentCloseEveryWindow() {
        QFETCH(QString, command);
        StartSample();
        const QList<QPointer<CategoryWindow>> windows = {h->Open(0, 2), h->Open(4), h->Open(8)};

        if (command == "New") {
            QVERIFY(h->Trigger("New1"));
        } else if (command == "Open") {
            h->boxes.EnqueueFileName(h->folder.File("mods/Cinderfall.ini"));
            QVERIFY(h->Trigger("Open1"));
        } else if (command == "Load") {
            QVERIFY(h->Click("Load1"));
        } else if (command == "Run") {
            h->boxes.EnqueueAnswer(BoxAnswer::Ok);
            QVERIFY(h->Click("Button1"));
            QTRY_VERIFY_WITH_TIMEOUT(h->folder.Exists("game/started.log"), 10000);
        } else {
            h->boxes.EnqueueAnswer(BoxAnswer::Yes);
            QVERIFY(h->ChooseFileType(command));
        }
        QVERIFY(h->window->CategoryWindows().empty());
        for (const QPointer<CategoryWindow>& window : windows) QTRY_VERIFY(window.isNull());
        QCOMPARE(h->boxes.PendingAnswers(), size_t{0});

        // A window opened now reads the new stores.
        if (command == "Run") return;
        CategoryWindow* reopened = h->Open(0);
        QVERIFY(reopened);
        QCOMPARE(H::EntryList(reopened).RowCount(), static_cast<int>(h->Entries().size()));
    }

    // A category window takes the document's keys as the main window does; a value still being
    // typed is part of what is saved.
    void documentKeysWorkInACategoryWindow() {
        StartSample();
        QPointer<CategoryWindow> window = h->Open(0);
        QTRY_COMPARE(QApplication::activeWindow(), window.data());
        StringGrid& values = H::ValueGrid(window);
        H::ClickCell(values, 2, 1);  // GRUNT's Cost
        QTest::keyClicks(&values, QStringLiteral("7"));
        QVERIFY(values.IsEditorOpen());
        auto pressInWindow = [](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        };

        const std::string saved = h->folder.File("Mine.ini");
        h->boxes.EnqueueFileName(saved);
        pressInWindow(Qt::Key_S);
        QCOMPARE(h->TakeShown(),
                 QStringList({"SaveFile | INI file (*.ini)|*.ini|All files (*.*)|*.* | Untitle.ini"}));
        QCOMPARE(IniStore(saved).ReadString("GRUNT", "Cost", ""), std::string("7"));
        QVERIFY(!h->window->Work().Doc().Modified());

        h->boxes.EnqueueFileName(std::nullopt);
        pressInWindow(Qt::Key_O);
        QCOMPARE(h->TakeShown(), QStringList({"OpenFile | INI files (*.ini)|*.ini|All files|*.* | "}));
        QVERIFY(window);

        pressInWindow(Qt::Key_N);
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));
        QVERIFY(h->window->CategoryWindows().empty());
        QTRY_VERIFY(window.isNull());
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void aCommandTheUserCancelsKeepsTheWindows() {
        StartSample();
        QPointer<CategoryWindow> window = h->Open(0);
        h->window->Work().Doc().Restart(true);  // a document with changes to save
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Trigger("New1"));
        QCOMPARE(h->window->CategoryWindows().size(), size_t{1});
        QVERIFY(window && window->isVisible());
        h->window->Work().Doc().Restart(false);
    }
};

VELMORA_GUI_TEST(CategoryWindowListTest)
#include "CategoryWindowListTest.moc"
