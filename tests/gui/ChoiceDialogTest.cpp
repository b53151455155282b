// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GuiTestMain.h"
#include "ModalDialog.h"
#include "gui/dialogs/ValueChoiceDialog.h"
#include "core/settings/Globals.h"
#include "gui/widgets/StringGrid.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"
#include "support/LoadedStores.h"
#include "support/ScriptedBoxes.h"
#include "support/TempFolder.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr std::string_view Definition =
    "[AllSections]\n"
    "Infantry=0,InfGeneral\n"
    "Warheads=2,WhGeneral\n"
    "[Warheads]\n"
    "1=AP\n"
    "2=HE\n";

constexpr std::string_view DocumentText =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "3=E3\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "Armor=none\n"
    "Owner=Allies\n"
    "[E2]\n"
    "Armor=Light\n"
    "Owner=Soviet\n"
    "[E3]\n"
    "Armor=light ; same as E2\n"
    "Owner=Allies\n"
    "[Sides]\n"
    "1=Allies\n"
    "2=Soviet\n"
    "3=allied\n"
    "[AP]\n"
    "[HE]\n";

constexpr std::string_view Defaults =
    "[E1]\n"
    "Armor=heavy\n";

// The stores of a file type in a folder of the test's own, and the two grids of a category window
// the dialog reads: the value grid (keys in column 1) and the entry list (codes in column 0).
class ChoiceSetup {
  public:
    explicit ChoiceSetup(std::string_view document = DocumentText) {
        folder.Write("Rules.ini", document);
        folder.Write("Rules.001", Definition);
        folder.Write("Default.ini", Defaults);
        LoadStores(workspace, folder.File("Rules.ini"), folder.File("Rules.001"));
        workspace.UseDefaultCopy(
            std::make_unique<IniStore>(folder.File("Default.ini"), &globals.CaseSensitive));
        SetColumn(entryGrid, 2, 0, {"E1", "E2", "E3"});
    }

    static void SetColumn(StringGrid& grid, int colCount, int col, const std::vector<std::string>& texts) {
        grid.SetColCount(colCount);
        grid.SetRowCount(static_cast<int>(texts.size()));
        for (size_t row = 0; row < texts.size(); ++row) grid.SetCells(col, static_cast<int>(row), texts[row]);
    }

    // Opens the dialog for `key` of `code` (both must be in the grids).
    void Open(ValueChoiceDialog& dialog, const std::string& sources, const std::string& key,
              const std::string& code, const std::string& currentValue) {
        dialog.PrepareFor(sources, currentValue, key, code, entryGrid.ColumnTexts(0), workspace, boxes);
    }

    TempFolder folder;
    Globals globals;
    ScriptedBoxes boxes;
    Workspace workspace{globals, boxes};
    StringGrid entryGrid;
};

QListWidget* List(ValueChoiceDialog& dialog) {
    return dialog.findChild<QListWidget*>(QStringLiteral("ListBox1"));
}

QPushButton* Button(ValueChoiceDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

QString LabelText(ValueChoiceDialog& dialog, const char* name) {
    return dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

QStringList Items(ValueChoiceDialog& dialog) {
    QStringList texts;
    for (int row = 0; row < List(dialog)->count(); ++row) texts << List(dialog)->item(row)->text();
    return texts;
}

QPoint ItemCentre(ValueChoiceDialog& dialog, int row) {
    return List(dialog)->visualItemRect(List(dialog)->item(row)).center();
}

// A point of the list below its last item.
QPoint BelowLastItem(ValueChoiceDialog& dialog) {
    QListWidget* list = List(dialog);
    return list->visualItemRect(list->item(list->count() - 1)).bottomLeft() + QPoint(5, 20);
}

void ClickItem(ValueChoiceDialog& dialog, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(List(dialog)->viewport(), Qt::LeftButton, modifiers, ItemCentre(dialog, row));
}

void MoveMouse(ValueChoiceDialog& dialog, QPoint position) {
    QWidget* viewport = List(dialog)->viewport();
    QMouseEvent move(QEvent::MouseMove, position, viewport->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

// A right-click as the window system delivers it: the button, then the context-menu request.
void RightClick(ValueChoiceDialog& dialog, QPoint position) {
    QWidget* viewport = List(dialog)->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, position);
    QContextMenuEvent request(QContextMenuEvent::Mouse, position, viewport->mapToGlobal(position));
    QApplication::sendEvent(viewport, &request);
}

// The open context menu as the user sees it: its captions column by column, left to right and
// top to bottom, a separator shown as "-"; and the number of vertical bars between columns.
struct ShownMenu {
    std::vector<QStringList> columns;
    int bars = 0;
};

ShownMenu ShowingMenu(QMenu& menu) {
    std::map<int, std::map<int, QString>> byPlace;
    for (QFrame* frame : menu.findChildren<QFrame*>()) {
        if (!frame->isVisible()) continue;
        const QPoint place = frame->mapTo(&menu, QPoint());
        if (auto* label = qobject_cast<QLabel*>(frame))
            byPlace[place.x()][place.y()] = label->text();
        else if (frame->frameShape() == QFrame::HLine)
            byPlace[place.x()][place.y()] = QStringLiteral("-");
    }
    ShownMenu shown;
    for (QFrame* frame : menu.findChildren<QFrame*>())
        if (frame->isVisible() && !qobject_cast<QLabel*>(frame) && frame->frameShape() == QFrame::VLine)
            ++shown.bars;
    for (const auto& [x, column] : byPlace) {
        QStringList captions;
        for (const auto& [y, caption] : column) captions << caption;
        shown.columns.push_back(captions);
    }
    return shown;
}

QStringList Codes(const char* prefix, int first, int last) {
    QStringList codes;
    for (int n = first; n <= last; ++n)
        codes << QStringLiteral("%1%2").arg(QString::fromLatin1(prefix)).arg(n);
    return codes;
}

}  // namespace

class ChoiceDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void keyWithoutSourcesOpensOnTheOthersList() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "", "Armor", "E1", "none");

        // Values of one letter case apart are one item, shown as first met; a comment is no value.
        QCOMPARE(Items(dialog), (QStringList{"Light=   E2,E3", "none=   E1"}));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("OTHERS VALUES"));
        QCOMPARE(LabelText(dialog, "Label1"), QString());
        QVERIFY(!Button(dialog, "ValuesButton")->isEnabled());
        QCOMPARE(Button(dialog, "ValuesButton")->text(), QStringLiteral("Click to &see BASIC values"));
        QCOMPARE(LabelText(dialog, "Panel1"), QStringLiteral("Armor=none"));
        QCOMPARE(LabelText(dialog, "Panel2"), QStringLiteral("Default=heavy"));

        // The list opens on the current value's item without choosing it: OK gives no value.
        QCOMPARE(List(dialog)->currentRow(), 1);
        QVERIFY(List(dialog)->selectedItems().isEmpty());
        QPushButton* ok = Button(dialog, "OKButton");
        QVERIFY(ok && ok->isEnabled());
        ModalRun run = RunModal<ValueChoiceDialog>(
            dialog, [ok](ValueChoiceDialog&) { QTest::mouseClick(ok, Qt::LeftButton); });
        QVERIFY(run.wasModal && !run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Accepted));
        QCOMPARE(dialog.ChosenValue(), std::string());
        QVERIFY(setup.boxes.Shown().empty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A yes/no key without sources opens on yes and no, and still switches to the others' values.
    void keyOfYesNoKindOffersYesAndNo() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        dialog.PrepareFor("", "ye", "Armor", "E1", setup.entryGrid.ColumnTexts(0), setup.workspace,
                          setup.boxes, {"yes", "no"});
        QCOMPARE(Items(dialog), (QStringList{"no", "yes"}));
        QCOMPARE(LabelText(dialog, "Label1"), QStringLiteral("BASIC"));
        QPushButton* values = Button(dialog, "ValuesButton");
        QVERIFY(values && values->isEnabled());
        QTest::mouseClick(values, Qt::LeftButton);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("OTHERS VALUES"));
    }

    void keyWithSourcesSwitchesBetweenBasicAndOthers() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "Sides, Warheads", "Owner", "E2", "Soviet");

        const QStringList basic{"allied", "Allies", "AP", "HE", "Soviet"};
        QCOMPARE(Items(dialog), basic);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sides, Warheads"));
        QCOMPARE(LabelText(dialog, "Label1"), QStringLiteral("BASIC"));
        QPushButton* values = Button(dialog, "ValuesButton");
        QVERIFY(values && values->isEnabled());
        QCOMPARE(values->text(), QStringLiteral("Click to &see values used by the OTHERS"));
        QCOMPARE(LabelText(dialog, "Panel1"), QStringLiteral("Owner=Soviet"));
        QCOMPARE(LabelText(dialog, "Panel2"), QStringLiteral("Default="));
        QCOMPARE(List(dialog)->currentRow(), 4);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        ClickItem(dialog, 0);
        values->setFocus();
        QTest::mouseClick(values, Qt::LeftButton);
        QCOMPARE(Items(dialog), (QStringList{"Allies=   E1,E3", "Soviet=   E2"}));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("OTHERS VALUES"));
        QCOMPARE(LabelText(dialog, "Label1"), QString());
        QCOMPARE(values->text(), QStringLiteral("Click to &see BASIC values"));
        // The switch drops the selection; on screen, the list takes the focus on the current value.
        QVERIFY(List(dialog)->selectedItems().isEmpty());
        QCOMPARE(List(dialog)->currentRow(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(List(dialog)));

        QTest::mouseClick(values, Qt::LeftButton);
        QCOMPARE(Items(dialog), basic);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sides, Warheads"));
        QVERIFY(setup.boxes.Shown().empty());
    }

    void sourceWithoutValuesIsNoticedBeforeTheList() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "Nowhere,Sides", "Owner", "E1", "Allies");
        QCOMPARE(setup.boxes.TextsOf(BoxKind::Notice),
                 (std::vector<std::string>{"Nowhere stated in Velmedit.sis not found"}));
        QCOMPARE(Items(dialog), (QStringList{"allied", "Allies", "Soviet"}));

        // Coming back to the BASIC list reads the sources again.
        QTest::mouseClick(Button(dialog, "ValuesButton"), Qt::LeftButton);
        QCOMPARE(setup.boxes.TextsOf(BoxKind::Notice).size(), size_t(1));
        QTest::mouseClick(Button(dialog, "ValuesButton"), Qt::LeftButton);
        QCOMPARE(setup.boxes.TextsOf(BoxKind::Notice).size(), size_t(2));
        QCOMPARE(Items(dialog), (QStringList{"allied", "Allies", "Soviet"}));
    }

    void pickedItemsAreAnsweredInListOrder() {
        ChoiceSetup setup;
        {
            ValueChoiceDialog dialog;
            setup.Open(dialog, "Sides", "Owner", "E1", "Allies");
            ModalRun run = RunModal<ValueChoiceDialog>(dialog, [](ValueChoiceDialog& shown) {
                ClickItem(shown, 2);
                ClickItem(shown, 0, Qt::ControlModifier);
                // A look at an item's users keeps the choice as it is.
                RightClick(shown, ItemCentre(shown, 1));
                if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
                QTest::mouseClick(Button(shown, "OKButton"), Qt::LeftButton);
            });
            QVERIFY(run.wasModal && !run.leftOpen);
            QCOMPARE(run.result, int(QDialog::Accepted));
            QCOMPARE(dialog.ChosenValue(), std::string("allied,Soviet"));
        }
        {
            // A range, and Ctrl+click taking one out of it again.
            ValueChoiceDialog dialog;
            setup.Open(dialog, "Sides", "Owner", "E1", "Allies");
            ModalRun run = RunModal<ValueChoiceDialog>(dialog, [](ValueChoiceDialog& shown) {
                ClickItem(shown, 0);
                ClickItem(shown, 2, Qt::ShiftModifier);
                ClickItem(shown, 1, Qt::ControlModifier);
                QTest::mouseClick(Button(shown, "OKButton"), Qt::LeftButton);
            });
            QCOMPARE(run.result, int(QDialog::Accepted));
            QCOMPARE(dialog.ChosenValue(), std::string("allied,Soviet"));
        }
        {
            // An OTHERS item stands for its value alone; Enter in the list is OK.
            ValueChoiceDialog dialog;
            setup.Open(dialog, "", "Owner", "E1", "Allies");
            ModalRun run = RunModal<ValueChoiceDialog>(dialog, [](ValueChoiceDialog& shown) {
                ClickItem(shown, 0);
                QTest::keyClick(List(shown), Qt::Key_Return);
            });
            QVERIFY(!run.leftOpen);
            QCOMPARE(run.result, int(QDialog::Accepted));
            QCOMPARE(dialog.ChosenValue(), std::string("Allies"));
        }
        QVERIFY(!QApplication::activeModalWidget());
    }

    void doubleClickAcceptsAndEveryOtherWayOutCancels() {
        ChoiceSetup setup;
        {
            ValueChoiceDialog dialog;
            setup.Open(dialog, "Sides", "Owner", "E1", "Allies");
            ModalRun run = RunModal<ValueChoiceDialog>(dialog, [](ValueChoiceDialog& shown) {
                // A double-click comes after the click that selected the item.
                ClickItem(shown, 2);
                QTest::mouseDClick(List(shown)->viewport(), Qt::LeftButton, Qt::NoModifier,
                                   ItemCentre(shown, 2));
            });
            QVERIFY(!run.leftOpen);
            QCOMPARE(run.result, int(QDialog::Accepted));
            QCOMPARE(dialog.ChosenValue(), std::string("Soviet"));
        }
        const std::vector<std::function<void(ValueChoiceDialog&)>> cancels{
            [](ValueChoiceDialog& shown) { QTest::keyClick(List(shown), Qt::Key_Escape); },
            [](ValueChoiceDialog& shown) {
                QTest::mouseClick(Button(shown, "CancelButton"), Qt::LeftButton);
            },
            [](ValueChoiceDialog& shown) { shown.close(); },
        };
        for (const auto& cancel : cancels) {
            ValueChoiceDialog dialog;
            setup.Open(dialog, "Sides", "Owner", "E1", "Allies");
            ModalRun run = RunModal<ValueChoiceDialog>(dialog, [&cancel](ValueChoiceDialog& shown) {
                ClickItem(shown, 1);
                cancel(shown);
            });
            QVERIFY(run.wasModal && !run.leftOpen);
            QCOMPARE(run.result, int(QDialog::Rejected));
        }
        QVERIFY(!QApplication::activeModalWidget());
    }

    void theListTakesTheRoomOfALargerDialog() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "", "Armor", "E1", "none");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QListWidget* list = List(dialog);
        const QSize before = list->size();
        dialog.resize(dialog.width() + 120, dialog.height() + 150);
        QTRY_COMPARE(list->size(), before + QSize(120, 150));
    }

    void tooltipShowsTheItemUnderTheMouse() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "", "Armor", "E1", "none");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QListWidget* list = List(dialog);

        MoveMouse(dialog, ItemCentre(dialog, 0));
        QCOMPARE(list->toolTip(), QStringLiteral("Light=   E2,E3"));
        MoveMouse(dialog, ItemCentre(dialog, 1));
        QCOMPARE(list->toolTip(), QStringLiteral("none=   E1"));
        MoveMouse(dialog, BelowLastItem(dialog));
        QCOMPARE(list->toolTip(), QStringLiteral("none=   E1"));

        const QPoint below = BelowLastItem(dialog);
        QHelpEvent help(QEvent::ToolTip, below, list->viewport()->mapToGlobal(below));
        QApplication::sendEvent(list->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("none=   E1"));
        QToolTip::hideText();
    }

    void contextMenuShowsTheUsersInColumns() {
        // Three values held by 100, 27 and 26 entries.
        std::string document;
        std::vector<std::string> codes;
        auto addUsers = [&](const char* prefix, int count, const char* value) {
            for (int n = 1; n <= count; ++n) {
                codes.push_back(prefix + std::to_string(n));
                document += "[" + codes.back() + "]\nOwner=" + value + "\n";
            }
        };
        addUsers("H", 100, "Hundred");
        addUsers("S", 27, "TwentySeven");
        addUsers("T", 26, "TwentySix");
        ChoiceSetup setup(document);
        ChoiceSetup::SetColumn(setup.entryGrid, 2, 0, codes);
        ValueChoiceDialog dialog;
        setup.Open(dialog, "", "Owner", "H1", "Hundred");
        QCOMPARE(List(dialog)->count(), 3);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto menuOf = [&](int row) {
            RightClick(dialog, ItemCentre(dialog, row));
            QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ShownMenu shown = menu ? ShowingMenu(*menu) : ShownMenu{};
            if (menu) menu->close();
            return shown;
        };

        ShownMenu hundred = menuOf(0);
        QCOMPARE(hundred.columns.size(), size_t(3));
        QCOMPARE(hundred.bars, 2);
        QCOMPARE(hundred.columns[0], QStringList({"Hundred", "used by:", "-"}) + Codes("H", 1, 25));
        QCOMPARE(hundred.columns[1], Codes("H", 26, 51));
        QCOMPARE(hundred.columns[2], Codes("H", 52, 78));

        ShownMenu twentySeven = menuOf(1);
        QCOMPARE(twentySeven.columns.size(), size_t(2));
        QCOMPARE(twentySeven.bars, 1);
        QCOMPARE(twentySeven.columns[0], QStringList({"TwentySeven", "used by:", "-"}) + Codes("S", 1, 25));
        QCOMPARE(twentySeven.columns[1], Codes("S", 26, 27));

        ShownMenu twentySix = menuOf(2);
        QCOMPARE(twentySix.columns.size(), size_t(1));
        QCOMPARE(twentySix.bars, 0);
        QCOMPARE(twentySix.columns[0], QStringList({"TwentySix", "used by:", "-"}) + Codes("T", 1, 26));

        // Below the last item there is nothing to tell: no menu opens.
        RightClick(dialog, BelowLastItem(dialog));
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(List(dialog)->selectedItems().isEmpty());
    }

    void contextMenuOfABareValueIsTheValue() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "Sides", "Owner", "E1", "Allies");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        RightClick(dialog, ItemCentre(dialog, 2));
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        ShownMenu shown = ShowingMenu(*menu);
        QCOMPARE(shown.columns, std::vector<QStringList>{QStringList{"Soviet"}});
        QCOMPARE(shown.bars, 0);
        // Choosing the item only closes the menu.
        QLabel* item = menu->findChild<QLabel*>();
        QTest::mouseClick(item, Qt::LeftButton);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(Items(dialog), (QStringList{"allied", "Allies", "Soviet"}));
    }

    // The window system opens the menu on the press, with the menu under the pointer; the release
    // of that same press is no choice of an item.
    void contextMenuStaysOpenAfterTheReleaseOfItsOwnPress() {
        ChoiceSetup setup;
        ValueChoiceDialog dialog;
        setup.Open(dialog, "", "Owner", "E1", "Allies");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QWindow* window = dialog.windowHandle();
        const QPoint at = List(dialog)->viewport()->mapTo(&dialog, ItemCentre(dialog, 0));
        QTest::mousePress(window, Qt::RightButton, {}, at);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTest::mouseRelease(window, Qt::RightButton, {}, at);
        QCOMPARE(QApplication::activePopupWidget(), menu);
        QVERIFY(menu->isVisible());
        // It goes as any menu goes: by Escape.
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    void fiveThousandValuesOpenOnTheCurrentOne() {
        std::string document = "[Many]\n";
        for (int n = 5000; n >= 1; --n)
            document += std::to_string(n) + "=Value" + std::to_string(100000 + n) + "\n";
        ChoiceSetup setup(document + std::string(DocumentText));
        ValueChoiceDialog dialog;
        setup.Open(dialog, "Many", "Owner", "E1", "value104990");
        QListWidget* list = List(dialog);
        QCOMPARE(list->count(), 5000);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Value100001"));
        QCOMPARE(list->currentRow(), 4989);
        ModalRun run = RunModal<ValueChoiceDialog>(dialog, [list](ValueChoiceDialog&) {
            // The dialog shows with the list focused on the current value, fully in view.
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
            QCOMPARE(list->currentRow(), 4989);
            QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->currentItem())));
            QTest::keyClick(list, Qt::Key_Escape);
        });
        QVERIFY(run.wasModal && !run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Rejected));
        QVERIFY(setup.boxes.Shown().empty());
    }
};

VELMORA_GUI_TEST(ChoiceDialogTest)
#include "ChoiceDialogTest.moc"
