// SPDX-License-Identifier: GPL-3.0-or-later
// The category window on a small installation written by each test: opening at an entry, the entry
// list and its red rows, the pages and their keys, red values, the memo, the selection rules and
// the header highlighting.

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "core/store/IniError.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

// Categories by grid row: 0 Units and 2 Many, whose lists the document keeps; 1 Empty; 3 Odd,
// whose list the definition file keeps; then "Unknown!".
const std::string Definition =
    "[AllSections]\r\n"
    "Units=0,General,Combat,Missing\r\n"
    "Empty=1,General\r\n"
    "Many=0,General\r\n"
    "Odd=1,\"Page One\",Stats&More!,(misc)\r\n"
    "\r\n[General]\r\n"
    "Name=Name shown in the game.\r\n"
    "Cost=  Price in ore.\r\n"
    "Armor=Armor class ~@ArmorTypes@~ of the unit.\r\n"
    "this line has no equals sign\r\n"
    "Image=Graphics set.\r\n"
    "\r\n[Combat]\r\n"
    "Strength=Hit points.\r\n"
    "Primary=Main weapon. ~@Weapons@~\r\n"
    "Range=Reach in cells.\r\n"
    "\r\n[Page One]\r\nName=On the first odd page.\r\n"
    "\r\n[Stats&More!]\r\nCost=On the second odd page.\r\nArmor=Also there.\r\n"
    "\r\n[(misc)]\r\nStrength=On the third odd page.\r\n"
    "\r\n[Odd]\r\n1=ALPHA\r\n";

const std::string Defaults =
    "[Units]\r\n1=ALPHA\r\n2=BRAVO\r\n3=NONAME\r\n4=BLANKNAME\r\n"
    "\r\n[ALPHA]\r\nName=Alpha Trooper\r\nCost=100\r\nArmor=heavy\r\nStrength=50\r\n"
    "\r\n[BRAVO]\r\nName=Bravo Tank\r\nCost=700 ; pricey\r\nArmor=plate\r\n"
    "\r\n[NONAME]\r\nCost=5\r\n"
    "\r\n[BLANKNAME]\r\nName=\r\nCost=6\r\n";

QList<int> RedRows(const StringGrid& grid, int col) {
    QList<int> rows;
    for (int row = 0; row < grid.RowCount(); ++row)
        if (grid.IsDrawnRed(col, row)) rows << row;
    return rows;
}

bool ShownActive(const QLabel& header) {
    return header.palette().color(QPalette::Window) == QColor(0, 0, 0) &&
           header.palette().color(QPalette::WindowText) == QColor(255, 255, 0) &&
           header.frameShadow() == QFrame::Raised && header.autoFillBackground();
}

bool ShownPassive(const QLabel& header) {
    return header.palette().color(QPalette::Window) == QColor(192, 192, 192) &&
           header.palette().color(QPalette::WindowText) == QColor(0, 0, 0) &&
           header.frameShape() == QFrame::NoFrame && header.autoFillBackground();
}

}  // namespace

class CategoryWindowTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    using H = CategoryWindowHarness;

    // Nothing a test did may have left a box unanswered or an error shown.
    void Finish() override { QCOMPARE(h->TakeShown(), QStringList()); }

    // The installation above, with a document opened from a file: the default copy with two of
    // ALPHA's values changed (one only in letter case), and NOVA and the entries of Many added.
    void StartSmall(bool caseSensitive = false, int many = 100) {
        h->StartWith(H::Settings(caseSensitive), Definition, Defaults);
        std::string document = Defaults;
        document.replace(document.find("3=NONAME\r\n4=BLANKNAME"), 22, "3=NOVA\r\n4=NONAME\r\n5=BLANKNAME");
        document.replace(document.find("Cost=100"), 8, "Cost=250");
        document.replace(document.find("Armor=heavy"), 11, "Armor=HEAVY");
        document += "\r\n[NOVA]\r\nName=Nova Walker\r\n\r\n[Many]\r\n";
        for (int i = 0; i < many; ++i) document += std::to_string(i + 1) + "=M" + std::to_string(i) + "\r\n";
        for (int i = 0; i < many; ++i) document += "\r\n[M" + std::to_string(i) + "]\r\n";
        h->folder.Write("Mod.ini", document);
        h->boxes.EnqueueFileName(h->folder.File("Mod.ini"));
        QVERIFY(h->Trigger("Open1"));
        QCOMPARE(h->window->Work().Doc().FileName(), h->folder.File("Mod.ini"));
        h->TakeShown();
    }

  private slots:
    void opensAsItsOwnWindowAtTheChosenEntry() {
        StartSmall();
        CategoryWindow* w = h->Open(0, 2);
        QVERIFY(w);
        QVERIFY(w->isWindow() && w->isVisible());
        QCOMPARE(w->parentWidget(), h->window.get());
        QCOMPARE(w->windowTitle(), QStringLiteral("Units"));
        QCOMPARE(H::LabelText(w, "Panel1"), QStringLiteral("Units"));
        QCOMPARE(H::LabelText(w, "Panel5"), QStringLiteral("1"));
        QCOMPARE(w->Tag(), 1);

        // Codes as listed, names as stored: "-" without a "Name" key, empty for an empty one.
        const StringGrid& entries = H::EntryList(w);
        QCOMPARE(Column(entries, 0), QStringList({"ALPHA", "BRAVO", "NOVA", "NONAME", "BLANKNAME"}));
        QCOMPARE(Column(entries, 1), QStringList({"Alpha Trooper", "Bravo Tank", "Nova Walker", "-", ""}));
        QCOMPARE(entries.columnWidth(0), 85);
        QCOMPARE(entries.columnWidth(0) + entries.columnWidth(1), entries.viewport()->width());  // names take the rest
        QCOMPARE(entries.Row(), 2);

        QCOMPARE(H::LabelText(w, "Label2"), QStringLiteral("NOVA"));
        QCOMPARE(H::LabelText(w, "Label3"), QStringLiteral("Nova Walker"));
        QCOMPARE(H::Memo(w), QStringLiteral("NOVA\nNova Walker"));

        const QTabWidget& pages = H::Pages(w);
        QCOMPARE(pages.count(), 3);
        QCOMPARE(pages.tabText(0), QStringLiteral("General"));
        QCOMPARE(pages.tabText(2), QStringLiteral("Missing"));
        QCOMPARE(pages.currentIndex(), 0);
        QCOMPARE(pages.widget(1)->objectName(), QStringLiteral("tsCombat"));
        QCOMPARE(H::LabelText(w, "Panel8"), QStringLiteral("General"));

        const StringGrid& values = H::ValueGrid(w);
        QCOMPARE(values.columnWidth(0), 12);
        QCOMPARE(Column(values, 1), QStringList({"Name", "Cost", "Armor", "", "Image"}));
        QCOMPARE(Column(values, 2), QStringList({"Nova Walker", "", "", "", ""}));
        QCOMPARE(values.Col(), 2);
    }

    void openingAtTheFirstEntryKeepsTheFirstKeysDescription() {
        StartSmall();
        CategoryWindow* w = h->Open(0);
        QCOMPARE(H::EntryList(w).Row(), 0);
        QCOMPARE(H::LabelText(w, "Label2"), QStringLiteral("ALPHA"));
        QCOMPARE(H::Memo(w), QStringLiteral("Name shown in the game."));
        // Values without their comments.
        H::ClickCell(H::EntryList(w), 0, 1);
        QCOMPARE(Column(H::ValueGrid(w), 2), QStringList({"Bravo Tank", "700", "plate", "", ""}));
    }

    void anEmptyCategoryShowsOneEmptyRow() {
        StartSmall();
        CategoryWindow* w = h->Open(1);
        const StringGrid& entries = H::EntryList(w);
        QCOMPARE(entries.RowCount(), 1);
        QCOMPARE(Column(entries, 0), QStringList({""}));
        QCOMPARE(Column(entries, 1), QStringList({""}));
        QCOMPARE(Column(H::ValueGrid(w), 1), QStringList({"Name", "Cost", "Armor", "", "Image"}));
        QCOMPARE(Column(H::ValueGrid(w), 2), QStringList({"", "", "", "", ""}));
        QCOMPARE(H::LabelText(w, "Label2"), QString());
        QVERIFY(H::In<QLabel>(w, "Image1").pixmap().isNull());
    }

    void redEntriesAndRedValues_data() {
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QList<int>>("redValueRows");
        // Cost differs; Armor differs only in letter case, which counts only when case matters.
        QTest::newRow("letter case ignored") << false << QList<int>({1});
        QTest::newRow("letter case counts") << true << QList<int>({1, 2});
    }

    void redEntriesAndRedValues() {
        QFETCH(bool, caseSensitive);
        QFETCH(QList<int>, redValueRows);
        StartSmall(caseSensitive);
        CategoryWindow* w = h->Open(0);

        // NOVA is not in the default copy: its whole row is red; the others are not.
        const StringGrid& entries = H::EntryList(w);
        QCOMPARE(RedRows(entries, 0), QList<int>({2}));
        QCOMPARE(RedRows(entries, 1), QList<int>({2}));
        QVERIFY(entries.RedMarked(0, 2));

        const StringGrid& values = H::ValueGrid(w);
        QCOMPARE(RedRows(values, 2), redValueRows);
        QCOMPARE(RedRows(values, 1), QList<int>());

        // NOVA's name is red against the default copy, which has no NOVA at all.
        H::ClickCell(H::EntryList(w), 1, 2);
        QCOMPARE(RedRows(values, 2), QList<int>({0}));
    }

    void keysMarkersAndDescriptionsInTheMemo() {
        StartSmall();
        CategoryWindow* w = h->Open(0);
        StringGrid& values = H::ValueGrid(w);
        // A key whose description names value sources is marked; a line without "=" has no key.
        QCOMPARE(Column(values, 0), QStringList({"", "", ">", "", ""}));

        H::ClickCell(values, 1, 2);  // the key: the value column becomes current
        QCOMPARE(values.Row(), 2);
        QCOMPARE(values.Col(), 2);
        QCOMPARE(H::Memo(w), QStringLiteral("Armor class  of the unit."));
        H::ClickCell(values, 2, 3);
        QCOMPARE(H::Memo(w), QStringLiteral("this line has no equals sign"));
        H::ClickCell(values, 2, 1);  // leading blanks of a description go
        QCOMPARE(H::Memo(w), QStringLiteral("Price in ore."));

        H::ClickTab(w, 1);
        QCOMPARE(Column(values, 0), QStringList({"", ">", ""}));
        QCOMPARE(Column(values, 2), QStringList({"50", "", ""}));
        // A page naming a section the definition file does not have: one empty row.
        H::ClickTab(w, 2);
        QCOMPARE(values.RowCount(), 1);
        QCOMPARE(Column(values, 1), QStringList({""}));
        QCOMPARE(Column(values, 2), QStringList({""}));
        QCOMPARE(H::Memo(w), QString());
    }

    void pageNamesWithBlanksAndPunctuationWork() {
        StartSmall();
        CategoryWindow* w = h->Open(3);
        QTabWidget& pages = H::Pages(w);
        QCOMPARE(pages.count(), 3);
        QCOMPARE(pages.tabText(0), QStringLiteral("Page One"));
        QCOMPARE(pages.tabText(1), QStringLiteral("Stats&&More!"));  // shown with its "&", not as a shortcut
        QCOMPARE(pages.tabText(2), QStringLiteral("(misc)"));
        QCOMPARE(Column(H::ValueGrid(w), 2), QStringList({"Alpha Trooper"}));
        H::ClickTab(w, 1);
        QCOMPARE(H::LabelText(w, "Panel8"), QStringLiteral("Stats&More!"));
        QCOMPARE(Column(H::ValueGrid(w), 1), QStringList({"Cost", "Armor"}));
        QCOMPARE(Column(H::ValueGrid(w), 2), QStringList({"250", "HEAVY"}));
        H::ClickTab(w, 2);
        QCOMPARE(Column(H::ValueGrid(w), 2), QStringList({"50"}));
    }

    void eachPageGetsBackItsRowScrolledToTheTop() {
        StartSmall();
        CategoryWindow* w = h->Open(0);
        QTRY_COMPARE(QApplication::activeWindow(), w);
        StringGrid& values = H::ValueGrid(w);
        H::ClickCell(values, 2, 4);

        H::ClickTab(w, 1);
        QCOMPARE(values.parentWidget(), H::Pages(w).widget(1));
        QCOMPARE(H::LabelText(w, "Panel8"), QStringLiteral("Combat"));
        QCOMPARE(values.Row(), 0);
        QCOMPARE(H::Memo(w), QStringLiteral("Hit points."));
        H::ClickCell(values, 2, 2);

        H::ClickTab(w, 0);
        QCOMPARE(values.parentWidget(), H::Pages(w).widget(0));
        QCOMPARE(values.Row(), 4);
        QCOMPARE(values.TopRow(), 0);
        QCOMPARE(H::Memo(w), QStringLiteral("Graphics set."));
        QTRY_VERIFY(values.hasFocus());

        H::ClickTab(w, 1);
        QCOMPARE(values.Row(), 2);
    }

    void theMemoIsRewrittenOnlyWhenItsSubjectChanges() {
        StartSmall();
        CategoryWindow* w = h->Open(0);
        QSignalSpy rewrites(&H::In<QPlainTextEdit>(w, "Memo1"), &QPlainTextEdit::textChanged);
        StringGrid& entries = H::EntryList(w);
        StringGrid& values = H::ValueGrid(w);

        H::ClickCell(entries, 0, 1);
        QCOMPARE(H::Memo(w), QStringLiteral("BRAVO\nBravo Tank"));
        const qsizetype afterEntry = rewrites.count();
        QVERIFY(afterEntry > 0);
        H::ClickCell(entries, 1, 1);  // the same entry again
        QCOMPARE(rewrites.count(), afterEntry);

        H::ClickCell(values, 2, 1);
        QCOMPARE(H::Memo(w), QStringLiteral("Price in ore."));
        const qsizetype afterKey = rewrites.count();
        QVERIFY(afterKey > afterEntry);
        H::ClickCell(values, 1, 1);  // the same key, by its name
        QCOMPARE(rewrites.count(), afterKey);

        H::ClickCell(entries, 0, 1);  // the same entry, after a key
        QCOMPARE(H::Memo(w), QStringLiteral("BRAVO\nBravo Tank"));
        QVERIFY(rewrites.count() > afterKey);
    }

    void theGridsTakeTheRoomOfALargerWindowAndTheTabsWrapInRows() {
        std::string definition = "[AllSections]\r\nUnits=0";
        for (int i = 1; i <= 3; ++i) definition += ",PageNumber" + std::to_string(i);
        definition += "\r\n\r\n[PageNumber1]\r\nName=Name.\r\nCost=Price.\r\n";
        h->StartWith(H::Settings(true), definition, Defaults);
        CategoryWindow* w = h->Open(0);
        const StringGrid& entries = H::EntryList(w);
        const StringGrid& values = H::ValueGrid(w);
        const RowsTabBar& tabs = *static_cast<PageControl&>(H::Pages(w)).Tabs();

        // At the designed size every tab (three pages and "Other keys") shows, in two rows, and a click
        // on one in the lower row selects it.
        QCOMPARE(tabs.RowCount(), 2);
        for (int i = 0; i < tabs.count(); ++i) QVERIFY(tabs.rect().contains(tabs.RowTabRect(i)));
        H::ClickTab(w, 3);
        QCOMPARE(H::Pages(w).currentIndex(), 3);
        H::ClickTab(w, 0);

        // On the test's small screen the first size may leave the panels scrolled: start from a size
        // at which they are not, so that every pixel the window gains goes to the grids.
        w->resize(w->width() + 300, w->height() + 300);
        QCoreApplication::sendPostedEvents();
        const QSize entriesBefore = entries.size();
        const int valuesWidth = values.viewport()->width();
        const int valuesHeight = values.height();
        const int keyWidth = values.columnWidth(1);
        w->resize(w->width() + 600, w->height() + 200);
        QTRY_VERIFY(entries.height() >= entriesBefore.height() + 200);
        QCOMPARE(entries.width(), entriesBefore.width());
        // The value column takes the width, the value grid at least the height (and a tab row less).
        QTRY_VERIFY(values.viewport()->width() >= valuesWidth + 600);
        QCOMPARE(values.columnWidth(0), 12);
        QCOMPARE(values.columnWidth(1), keyWidth);
        QCOMPARE(values.columnWidth(0) + values.columnWidth(1) + values.columnWidth(2), values.viewport()->width());
        QVERIFY(values.height() >= valuesHeight + 200);
        QCOMPARE(tabs.RowCount(), 1);
        // The black picture panel keeps its designed height; the window's background shows below.
        QCOMPARE(H::In<QLabel>(w, "Panel3").height(), 161);
    }

    // A window opens inside the screen, as wide as its panels need where the screen allows; its least size
    // fits 1024×768 at 200% (512×384); tabs that would take more than two rows take one row that
    // scrolls, and ten rows of values show.
    void aNewWindowFitsTheScreenAndShowsTenValueRowsUnderManyPages() {
        std::string definition = "[AllSections]\r\nUnits=0";
        for (int i = 1; i <= 15; ++i) definition += ",PageNumber" + std::to_string(i);
        definition += "\r\n\r\n[PageNumber1]\r\nName=Name.\r\nCost=Price.\r\n";
        h->StartWith(H::Settings(true), definition, Defaults);
        CategoryWindow* w = h->Open(0);
        const RowsTabBar& tabs = *static_cast<PageControl&>(H::Pages(w)).Tabs();
        QCOMPARE(tabs.RowCount(), 1);
        QVERIFY(tabs.Scrolls());
        const StringGrid& values = H::ValueGrid(w);
        QVERIFY(values.viewport()->height() / values.rowHeight(0) >= 10);

        const QRect screen = w->screen()->availableGeometry();
        QVERIFY(screen.contains(w->frameGeometry()));
        // Where the screen has the room, the panels show whole, without scrolling.
        QTRY_VERIFY(!H::In<QScrollArea>(w, "PanelsScroll").horizontalScrollBar()->isVisible());
        QVERIFY(w->minimumSizeHint().width() <= 512 && w->minimumSizeHint().height() <= 384);
        QVERIFY(h->window->minimumSizeHint().width() <= 512 && h->window->minimumSizeHint().height() <= 384);
    }

    void selectingByNumberScrollsTheEntryToTheBottom() {
        StartSmall(false, 100);
        CategoryWindow* w = h->Open(2);
        StringGrid& entries = H::EntryList(w);
        QCOMPARE(entries.RowCount(), 100);
        // Room for exactly 12 rows.
        entries.resize(entries.width(), 12 * 20 + 2 * entries.frameWidth() + 7);
        QCOMPARE(entries.viewport()->height() / 20, 12);

        w->FocusEntryRow(30);
        QCOMPARE(entries.Row(), 30);
        QCOMPARE(entries.TopRow(), 19);
        QCOMPARE(H::LabelText(w, "Label2"), QStringLiteral("M30"));
        w->FocusEntryRow(-5);
        QCOMPARE(entries.Row(), 0);
        w->FocusEntryRow(5);
        QCOMPARE(entries.TopRow(), 0);
        w->FocusEntryRow(99);
        QCOMPARE(entries.TopRow(), 88);
        QVERIFY_THROWS_EXCEPTION(IniError, w->FocusEntryRow(100));
        QCOMPARE(entries.Row(), 99);
        QTRY_VERIFY(entries.hasFocus());
    }

    // Tab goes through the controls as they are laid out, top to bottom and left to right.
    void tabFollowsTheLayout() {
        StartSmall();
        CategoryWindow* w = h->Open(0);
        QTRY_COMPARE(QApplication::activeWindow(), w);
        const QStringList expected = {"Button4",   "Button2",      "Button3",    "EntryGridFilter",
                                      "EntryGrid", "Duplicate",  "Delete",     "PageControl1",
                                      "ValueGrid", "Memo1",      "AllEntriesButton", "Button4"};
        QCOMPARE(TabWalk(H::In<QWidget>(w, "AllEntriesButton"), static_cast<int>(expected.size())), expected);
    }

    void theHeadersOfTheFocusedGridShowActive() {
        StartSmall();
        CategoryWindow* w = h->Open(0);
        QTRY_COMPARE(QApplication::activeWindow(), w);
        const QLabel& code = H::In<QLabel>(w, "Panel6");
        const QLabel& name = H::In<QLabel>(w, "Panel7");
        const QLabel& page = H::In<QLabel>(w, "Panel8");
        // The entry list gets the focus last at opening; the value grid's header keeps its look.
        QTRY_VERIFY(ShownActive(code) && ShownActive(name));
        QCOMPARE(page.palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(page.frameShape(), QFrame::NoFrame);

        H::ClickCell(H::ValueGrid(w), 2, 1);
        QTRY_VERIFY(ShownActive(page));
        QVERIFY(ShownPassive(code) && ShownPassive(name));
        H::ClickCell(H::EntryList(w), 0, 1);
        QTRY_VERIFY(ShownActive(code));
        QVERIFY(ShownPassive(page));
    }

    void tenThousandEntries() {
        StartSmall(false, 10000);
        h->Grid().SetRow(2);
        QCOMPARE(h->Entries().size(), 10000);
        CategoryWindow* w = h->Open(2, 9999);
        const StringGrid& entries = H::EntryList(w);
        QCOMPARE(entries.RowCount(), 10000);
        QCOMPARE(entries.Row(), 9999);
        QCOMPARE(entries.TopRow() + entries.VisibleRowCount() - 1, 9999);
        QCOMPARE(H::LabelText(w, "Label2"), QStringLiteral("M9999"));
        QCOMPARE(Column(entries, 1).count(QStringLiteral("-")), 10000);
        QCOMPARE(RedRows(entries, 0).size(), 10000);
    }
};

VELMORA_GUI_TEST(CategoryWindowTest)
#include "CategoryWindowTest.moc"
