// SPDX-License-Identifier: GPL-3.0-or-later
// Value editing in a category window on a small installation written by each test: when a typed
// value reaches the document and when it does not, Escape, the value choice dialog opened by a
// double-click or a right click, and what a commit changes besides the document.

#include <QContextMenuEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "gui/dialogs/ValueChoiceDialog.h"
#include "core/store/IniStore.h"
#include "support/BitmapFiles.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

using H = CategoryWindowHarness;

// Categories by grid row: 0 Units, whose list the document keeps; 1 Empty, without entries.
const std::string Definition =
    "[AllSections]\r\n"
    "Units=0,General,Combat\r\n"
    "Empty=1,General\r\n"
    "\r\n[General]\r\n"
    "Name=Name shown in the game.\r\n"
    "Cost=Price in ore.\r\n"
    "Armor=Armor class ~@ArmorTypes@~ of the unit.\r\n"
    "Owner=Who builds it. ~@Sides@~\r\n"
    "Image=Graphics set.\r\n"
    "this line has no equals sign\r\n"
    "\r\n[Combat]\r\n"
    "Strength=Hit points.\r\n"
    "Broken=Sources ~@Sides without an end.\r\n"
    "Backwards=An end @~ before ~@Sides the start.\r\n"
    "image=The graphics set once more.\r\n"
    "IMAGE=And in capitals.\r\n"
    "\r\n[ArmorTypes]\r\n1=plate\r\n2=heavy\r\n3=light ; the usual\r\n"
    "\r\n[Sides]\r\n1=North = the houses of the north\r\n2=South\r\n";

const std::string Defaults =
    "[Units]\r\n1=ALPHA\r\n2=BRAVO\r\n3=GHOST\r\n"
    "\r\n[ALPHA]\r\nName=Alpha Trooper\r\nCost=100\r\nArmor=heavy\r\nOwner=North\r\n"
    "\r\n[BRAVO]\r\nName=Bravo Tank\r\nCost=700 ; pricey\r\nArmor=plate\r\nImage=BRAVO\r\n"
    "\r\n[GHOST]\r\nCost=1\r\n";

// The default copy without GHOST's section, and a last section that belongs to no category.
const std::string DocumentText =
    "[Units]\r\n1=ALPHA\r\n2=BRAVO\r\n3=GHOST\r\n"
    "\r\n[ALPHA]\r\nName=Alpha Trooper\r\nCost=100\r\nArmor=heavy\r\nOwner=North\r\n"
    "\r\n[BRAVO]\r\nName=Bravo Tank\r\nCost=700 ; pricey\r\nArmor=plate\r\nImage=BRAVO\r\n"
    "\r\n[Tail]\r\nZz=1\r\n";

// The same document in a modder's own layout, with line ends of both kinds.
const std::string LaidOutDocument =
    "; units of the mod\r\n[Units]\r\n1 = ALPHA\r\n2=BRAVO ; the tank\n3=GHOST\r\n"
    "[ALPHA]  ; the trooper\r\n  Name = Alpha Trooper\r\n\tCost = 100 \r\nArmor=heavy\r\nOwner=North\r\n"
    "[BRAVO]\r\nName=Bravo Tank\r\n   ; pricey\r\nCost=700\nArmor=plate\r\nImage=BRAVO\r\n"
    "[Tail]\r\nZz = 1\r\n; the end\r\n";

// Entry rows of Units and value rows of its two pages.
enum Entry { ALPHA, BRAVO, GHOST };
enum General { NAME, COST, ARMOR, OWNER, IMAGE, NOKEY };
enum Combat { STRENGTH, BROKEN, BACKWARDS, LOWERIMAGE, UPPERIMAGE };

const QColor Background(0, 0, 255);
const QColor OwnPicture(255, 0, 0);
const QColor OwnIcon(0, 160, 0);
const QColor Shared(255, 255, 0);

QListWidget& List(ValueChoiceDialog& dialog) {
    return *dialog.findChild<QListWidget*>(QStringLiteral("ListBox1"));
}

QStringList Items(ValueChoiceDialog& dialog) {
    QStringList items;
    for (int i = 0; i < List(dialog).count(); ++i) items << List(dialog).item(i)->text();
    return items;
}

void ClickItem(ValueChoiceDialog& dialog, const QString& text,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QListWidget& list = List(dialog);
    const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(text));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, list.visualItemRect(found[0]).center());
}

void ClickButton(ValueChoiceDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QPushButton*>(QLatin1String(name));
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// Answers the next value choice dialog that opens, at once or once the event loop runs, with `act`
// once the dialog is shown modally. What the dialog showed is kept; a dialog
// that `act` leaves open is cancelled so that a failing test ends instead of waiting.
class ChoiceProbe : public QObject {
  public:
    explicit ChoiceProbe(std::function<void(ValueChoiceDialog&)> act = {}) : m_act(std::move(act)) {
        qApp->installEventFilter(this);
    }
    ~ChoiceProbe() override { qApp->removeEventFilter(this); }

    bool shown = false;
    bool wasModal = false;
    bool leftOpen = false;
    bool valuesButtonEnabled = false;
    QString caption;
    QString keyAndValue;  // the key and the value the dialog was opened on
    QStringList items;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && !m_seen)
            if (auto* dialog = qobject_cast<ValueChoiceDialog*>(object)) {
                m_seen = true;
                QTimer::singleShot(0, dialog, [this, dialog] { Answer(*dialog); });
            }
        return false;
    }

  private:
    void Answer(ValueChoiceDialog& dialog) {
        shown = true;
        wasModal = QApplication::activeModalWidget() == &dialog;
        caption = dialog.windowTitle();
        keyAndValue = dialog.findChild<QLabel*>(QStringLiteral("Panel1"))->text();
        items = Items(dialog);
        valuesButtonEnabled = dialog.findChild<QPushButton*>(QStringLiteral("ValuesButton"))->isEnabled();
        if (m_act) m_act(dialog);
        if (dialog.isVisible()) {
            leftOpen = true;
            dialog.reject();
        }
    }

    std::function<void(ValueChoiceDialog&)> m_act;
    bool m_seen = false;
};

// Runs `seen` for every event of `type` that any object of the program gets, while it lives.
class EventCounter : public QObject {
  public:
    EventCounter(QEvent::Type type, std::function<void(QObject*)> seen) : m_type(type), m_seen(std::move(seen)) {
        qApp->installEventFilter(this);
    }
    ~EventCounter() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == m_type) m_seen(object);
        return false;
    }

  private:
    QEvent::Type m_type;
    std::function<void(QObject*)> m_seen;
};

// Picks the items with these texts, the first by a click and the others by Ctrl+click, then OK.
std::function<void(ValueChoiceDialog&)> Pick(const QStringList& texts) {
    return [texts](ValueChoiceDialog& dialog) {
        for (qsizetype i = 0; i < texts.size(); ++i)
            ClickItem(dialog, texts[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
        ClickButton(dialog, "OKButton");
    };
}

}  // namespace

class ValueEditingTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    CategoryWindow* w = nullptr;

    void Finish() override {
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(h->TakeShown(), QStringList());
        w = nullptr;
    }

    const IniStore& Doc() const { return h->window->Work().Doc().Store(); }
    std::string DocText() const { return Doc().RenderText(); }
    bool Modified() const { return h->window->Work().Doc().Modified(); }
    StringGrid& Values() const { return H::ValueGrid(w); }
    StringGrid& Entries() const { return H::EntryList(w); }
    std::string Cell(int row) const { return Values().Cells(2, row); }

    // The installation above with the document opened from a file, and the window of category
    // row `category` at entry `entry`, active, its value grid focused on the first page.
    void OpenWindow(int category = 0, int entry = ALPHA, bool caseSensitive = false,
                    const std::string& definition = Definition, const std::string& document = DocumentText) {
        h->folder.Write("Bitmap/Bitmap1.bmp", BitmapFile({12, 12}, Background));
        h->folder.Write("Bitmap/BRAVO.bmp", BitmapFile({12, 12}, OwnPicture));
        h->folder.Write("Bitmap/BRAVOicon.bmp", BitmapFile({12, 12}, OwnIcon));
        h->folder.Write("Bitmap/SHARED.bmp", BitmapFile({12, 12}, Shared));
        h->StartWith(H::Settings(caseSensitive), definition, Defaults);
        h->folder.Write("Mod.ini", document);
        h->boxes.EnqueueFileName(h->folder.File("Mod.ini"));
        QVERIFY(h->Trigger("Open1"));
        h->TakeShown();
        QVERIFY(!Modified());
        w = h->Open(category, entry);
        QVERIFY(w);
        QTRY_COMPARE(QApplication::activeWindow(), w);
        Values().setFocus();
        QTRY_VERIFY(Values().hasFocus());
    }

    // Types `text` into the value cell of `row` as the user does: the row selected, then the keys,
    // the first of which opens the editor in place of the value.
    void Type(int row, const QString& text) {
        if (Values().Row() != row) H::ClickCell(Values(), 2, row);
        QTRY_VERIFY(Values().hasFocus());
        QVERIFY(!Values().IsEditorOpen());
        QTest::keyClicks(&Values(), text.left(1));
        QVERIFY(Values().IsEditorOpen());
        QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
        QCOMPARE(Cell(row), text.toStdString());
    }

    // The offscreen platform has no window manager to give the window back its activation when a
    // modal dialog closes, as a desktop does.
    void Reactivate() {
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), w);
    }

    void PressKey(Qt::Key key) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused) QFAIL("nothing has the focus");
        QTest::keyClick(focused, key);
    }

    void DoubleClickKey(int row) {
        QTest::mouseDClick(Values().viewport(), Qt::LeftButton, {},
                           Values().visualRect(Values().model()->index(row, 1)).center());
    }

    // A right click as the window system delivers it: the button, then the context-menu request.
    void RightClickAt(QPoint position) {
        QWidget* viewport = Values().viewport();
        QTest::mouseClick(viewport, Qt::RightButton, {}, position);
        QContextMenuEvent request(QContextMenuEvent::Mouse, position, viewport->mapToGlobal(position));
        QApplication::sendEvent(viewport, &request);
    }
    void RightClickRow(int row) {
        RightClickAt(Values().visualRect(Values().model()->index(row, 2)).center());
    }

    QAction& MenuAction(const char* name) const { return *h->window->findChild<QAction*>(QLatin1String(name)); }

  private slots:
    // The keys work in the category window where the value was typed; the Edit menu names the
    // edit, and the caption's marker follows the saved state.
    void undoAndRedoKeysInTheCategoryWindow() {
        OpenWindow();
        const std::string before = DocText();
        Type(COST, "150");
        PressKey(Qt::Key_Return);
        QCOMPARE(MenuAction("Undo1").text(), QStringLiteral("Undo Change of Cost"));
        QVERIFY(h->window->isWindowModified());
        QVERIFY(h->window->windowTitle().endsWith(QStringLiteral("[*]")));

        QTest::keyClick(&Values(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Cell(COST), std::string("100"));
        QCOMPARE(DocText(), before);
        QVERIFY(!h->window->isWindowModified());
        QCOMPARE(MenuAction("Redo1").text(), QStringLiteral("Redo Change of Cost"));
        QVERIFY(!MenuAction("Undo1").isEnabled());

        QTest::keyClick(&Values(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Cell(COST), std::string("150"));
        QTest::keyClick(&Values(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&Values(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Cell(COST), std::string("150"));
        QVERIFY(Modified());
    }

    // An undo started from the main window's menu shows in the category window and in the main
    // window's entry list, with the entry it touched selected.
    void anUndoFromTheMainWindowRefreshesTheCategoryWindow() {
        OpenWindow();
        const std::string before = DocText();
        H::ClickCell(Entries(), 0, BRAVO);
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QTest::mouseClick(&H::In<QPushButton>(w, "Delete"), Qt::LeftButton);
        h->TakeShown();
        QCOMPARE(Column(Entries(), 0), QStringList({"ALPHA", "GHOST"}));
        QCOMPARE(h->Entries(), QStringList({"ALPHA", "GHOST"}));
        H::ClickCell(Entries(), 0, 0);

        QCOMPARE(MenuAction("Undo1").text(), QStringLiteral("Undo Delete BRAVO"));
        QVERIFY(h->Trigger("Undo1"));
        QCOMPARE(DocText(), before);
        QCOMPARE(Column(Entries(), 0), QStringList({"ALPHA", "BRAVO", "GHOST"}));
        QCOMPARE(Entries().Row(), static_cast<int>(BRAVO));
        QCOMPARE(H::LabelText(w, "Label3"), QStringLiteral("Bravo Tank"));
        QCOMPARE(Cell(COST), std::string("700"));
        QCOMPARE(h->Entries(), QStringList({"ALPHA", "BRAVO", "GHOST"}));
        QVERIFY(!Modified());
    }

    void typingAloneWritesNothingMovingToAnotherRowDoes() {
        OpenWindow();
        const std::string before = DocText();
        Type(COST, "250");
        QCOMPARE(DocText(), before);
        QVERIFY(!Modified());

        H::ClickCell(Values(), 2, ARMOR);
        QCOMPARE(Values().Row(), int(ARMOR));
        QCOMPARE(Doc().ReadString("ALPHA", "Cost", ""), std::string("250"));
        QVERIFY(Modified());
        QVERIFY(Values().IsDrawnRed(2, COST));  // the default copy has 100
        QVERIFY(!Values().IsEditorOpen());

        // Arrow keys move the same way.
        Type(ARMOR, "light");
        PressKey(Qt::Key_Down);
        QCOMPARE(Values().Row(), int(OWNER));
        QCOMPARE(Doc().ReadString("ALPHA", "Armor", ""), std::string("light"));
    }

    void losingTheFocusWritesTheEditedValue() {
        OpenWindow();
        Type(COST, "300");
        H::ClickCell(Entries(), 0, BRAVO);
        QCOMPARE(Doc().ReadString("ALPHA", "Cost", ""), std::string("300"));
        QVERIFY(Modified());
        // The grid shows the entry clicked, and its value went to no other entry.
        QCOMPARE(Cell(COST), std::string("700"));
        QCOMPARE(Doc().ReadString("BRAVO", "Cost", ""), std::string("700"));

        Values().setFocus();
        Type(COST, "800");
        H::ClickTab(w, 1);
        QCOMPARE(Doc().ReadString("BRAVO", "Cost", ""), std::string("800"));
    }

    void enterWritesOnlyWithTheEditorOpen() {
        OpenWindow();
        const std::string before = DocText();
        H::ClickCell(Values(), 2, COST);
        PressKey(Qt::Key_Return);  // opens the editor
        QVERIFY(Values().IsEditorOpen());
        QCOMPARE(DocText(), before);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("125"));
        QCOMPARE(Cell(COST), std::string("125"));
        QCOMPARE(DocText(), before);
        PressKey(Qt::Key_Return);
        QVERIFY(!Values().IsEditorOpen());
        QCOMPARE(Doc().ReadString("ALPHA", "Cost", ""), std::string("125"));
        QCOMPARE(Values().Row(), int(COST));
        QVERIFY(Modified());
    }

    void escapePutsTheStoredValueBack() {
        OpenWindow();
        const std::string before = DocText();
        Type(COST, "999");
        PressKey(Qt::Key_Escape);
        QVERIFY(!Values().IsEditorOpen());
        QCOMPARE(Cell(COST), std::string("100"));
        // Nothing is left to commit when the grid is left afterwards.
        H::ClickCell(Values(), 2, ARMOR);
        H::ClickCell(Entries(), 0, ALPHA);
        QCOMPARE(DocText(), before);
        QVERIFY(!Modified());

        Values().setFocus();
        QTRY_VERIFY(Values().hasFocus());
        PressKey(Qt::Key_Escape);  // on an unchanged cell, the editor closed
        QCOMPARE(Cell(ARMOR), std::string("heavy"));
        QCOMPARE(DocText(), before);
        QVERIFY(!Modified());
    }

    void theStoredTextWritesNothingALetterCaseChangeDoes() {
        OpenWindow();
        const std::string before = DocText();
        Type(COST, "100");
        PressKey(Qt::Key_Return);
        QCOMPARE(DocText(), before);
        QVERIFY(!Modified());

        Type(ARMOR, "HEAVY");
        PressKey(Qt::Key_Return);
        QCOMPARE(Doc().ReadString("ALPHA", "Armor", ""), std::string("HEAVY"));
        QVERIFY(Modified());
        QVERIFY(!Values().IsDrawnRed(2, ARMOR));  // equal to the default copy's without regard to case
    }

    void aSavedCommitChangesOnlyItsOwnLineOfTheFile() {
        OpenWindow(0, ALPHA, false, Definition, LaidOutDocument);
        Type(COST, "250");
        PressKey(Qt::Key_Return);
        QVERIFY(h->Trigger("Save1"));
        std::string expected = LaidOutDocument;
        expected.replace(expected.find("\tCost = 100 "), 12, "\tCost = 250 ");
        for (size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; ++at)
            if (at == 0 || expected[at - 1] != '\r') expected.insert(at++, "\r");
        QCOMPARE(h->folder.Read("Mod.ini"), expected);
    }

    void aLetterCaseChangeIsRedWhenCaseCounts() {
        OpenWindow(0, ALPHA, true);
        Type(ARMOR, "HEAVY");
        PressKey(Qt::Key_Return);
        QVERIFY(Values().IsDrawnRed(2, ARMOR));
        Type(ARMOR, "heavy");
        PressKey(Qt::Key_Return);
        QVERIFY(!Values().IsDrawnRed(2, ARMOR));
    }

    void aCommentStaysWhenTheValueChanges() {
        OpenWindow(0, BRAVO);
        QCOMPARE(Cell(COST), std::string("700"));
        Type(COST, "700");
        PressKey(Qt::Key_Return);
        QVERIFY(DocText().find("Cost=700 ; pricey\r\n") != std::string::npos);
        QVERIFY(!Modified());

        Type(COST, "750");
        PressKey(Qt::Key_Return);
        const std::string text = DocText();
        QVERIFY(text.find("[BRAVO]\r\nName=Bravo Tank\r\nCost=750 ; pricey\r\nArmor=plate\r\n") != std::string::npos);
    }

    void theDialogOnADoubleClickGivesThePickedValuesInListOrder() {
        OpenWindow();
        ChoiceProbe probe(Pick({"South", "North = the houses of the north"}));
        DoubleClickKey(OWNER);
        QVERIFY(probe.shown);
        QCOMPARE(probe.caption, QStringLiteral("Sides"));
        QCOMPARE(probe.keyAndValue, QStringLiteral("Owner=North"));
        QCOMPARE(probe.items, QStringList({"North = the houses of the north", "South"}));
        QVERIFY(!probe.leftOpen);
        QCOMPARE(Cell(OWNER), std::string("North,South"));
        QCOMPARE(Doc().ReadString("ALPHA", "Owner", ""), std::string("North,South"));
        QVERIFY(Values().IsDrawnRed(2, OWNER));
        QVERIFY(Modified());
        Reactivate();

        // A double-click in the editor: the dialog opens on the typed value, and the answer
        // replaces it.
        Type(ARMOR, "typed");
        ChoiceProbe again(Pick({"plate"}));
        QTest::mouseDClick(QApplication::focusWidget(), Qt::LeftButton);
        QTRY_VERIFY(again.shown);
        QCOMPARE(again.keyAndValue, QStringLiteral("Armor=typed"));
        QCOMPARE(again.items, QStringList({"heavy", "light", "plate"}));
        QCOMPARE(Cell(ARMOR), std::string("plate"));
        QCOMPARE(Doc().ReadString("ALPHA", "Armor", ""), std::string("plate"));
    }

    // The keyboard's ways to the dialog, on the value grid and in its open editor.
    void shiftF10AndTheMenuKeyOpenTheDialogOnTheValue() {
        OpenWindow();
        for (const QKeyCombination keys : {QKeyCombination(Qt::SHIFT, Qt::Key_F10), QKeyCombination(Qt::Key_Menu)}) {
            H::ClickCell(Values(), 2, OWNER);
            ChoiceProbe probe(Pick({"South"}));
            QTest::keyClick(&Values(), keys.key(), keys.keyboardModifiers());
            QTRY_VERIFY(probe.shown);
            QCOMPARE(probe.keyAndValue, QStringLiteral("Owner=North"));
            QCOMPARE(Cell(OWNER), std::string("South"));
            QCOMPARE(Doc().ReadString("ALPHA", "Owner", ""), std::string("South"));
            QVERIFY(h->Trigger("Undo1"));
            Reactivate();
        }
        Type(ARMOR, "typed");
        ChoiceProbe inEditor(Pick({"plate"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
        QTRY_VERIFY(inEditor.shown);
        QCOMPARE(inEditor.keyAndValue, QStringLiteral("Armor=typed"));
        QCOMPARE(Cell(ARMOR), std::string("plate"));
    }

    // A desktop turns the Menu key into a context-menu request too, delivered before the key
    // itself, which then reaches the grid while the dialog opened by the request is up.
    void theMenuKeyOpensOneDialog() {
        OpenWindow();
        H::ClickCell(Values(), 2, OWNER);
        int dialogs = 0;
        const EventCounter counter(QEvent::Show, [&dialogs](QObject* object) {
            auto* dialog = qobject_cast<ValueChoiceDialog*>(object);
            if (!dialog || ++dialogs == 1) return;
            QTimer::singleShot(0, dialog, &QDialog::reject);  // a second one is left at once
        });
        ChoiceProbe probe([this](ValueChoiceDialog& dialog) {
            Values().findChild<QAction*>(QStringLiteral("ChooseValue"))->trigger();
            Pick({"South"})(dialog);
        });
        // Where a desktop puts a request from the keyboard: the current cell.
        const QPoint cell = Values().inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, cell, Values().mapToGlobal(cell));
        QApplication::sendEvent(&Values(), &request);
        QTRY_VERIFY(probe.shown);
        QCOMPARE(dialogs, 1);
        QCOMPARE(Cell(OWNER), std::string("South"));
    }

    // Opening the dialog moves the focus, which commits the edit and closes the editor that the
    // double-click was delivered to; whichever way the dialog closes, the window goes on working.
    void aDoubleClickInTheOpenEditorSurvivesTheEditorClosing_data() {
        QTest::addColumn<bool>("pick");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }

    void aDoubleClickInTheOpenEditorSurvivesTheEditorClosing() {
        QFETCH(bool, pick);
        OpenWindow();
        Type(ARMOR, "t");
        const QPointer<QWidget> editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &Values());
        ChoiceProbe probe([&](ValueChoiceDialog& dialog) {
            // As on a desktop, the dialog takes the focus and the editor goes.
            dialog.activateWindow();
            QTRY_VERIFY(!editor);
            if (pick)
                Pick({"plate"})(dialog);
            else
                ClickButton(dialog, "CancelButton");
        });
        QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
        QTRY_VERIFY(probe.shown);
        QVERIFY(probe.wasModal && !probe.leftOpen);
        QCOMPARE(Doc().ReadString("ALPHA", "Armor", ""), std::string(pick ? "plate" : "t"));
        QCOMPARE(Cell(ARMOR), Doc().ReadString("ALPHA", "Armor", ""));
        QVERIFY(!Values().IsEditorOpen());
    }

    void okWithoutAPickOrCancelChangesNothing() {
        OpenWindow();
        const std::string before = DocText();
        ChoiceProbe nothingPicked([](ValueChoiceDialog& dialog) { ClickButton(dialog, "OKButton"); });
        DoubleClickKey(ARMOR);
        QVERIFY(nothingPicked.shown && !nothingPicked.leftOpen);

        ChoiceProbe cancelled([](ValueChoiceDialog& dialog) {
            ClickItem(dialog, "plate");
            ClickButton(dialog, "CancelButton");
        });
        DoubleClickKey(ARMOR);
        QVERIFY(cancelled.shown && !cancelled.leftOpen);

        // The current value picked again.
        ChoiceProbe same(Pick({"heavy"}));
        DoubleClickKey(ARMOR);
        QVERIFY(same.shown && !same.leftOpen);

        QCOMPARE(Cell(ARMOR), std::string("heavy"));
        QCOMPARE(DocText(), before);
        QVERIFY(!Modified());
    }

    void aRightClickSelectsTheRowUnderTheMouse() {
        OpenWindow();
        Type(COST, "555");
        ChoiceProbe onOwner(Pick({"South"}));
        RightClickRow(OWNER);
        QCOMPARE(Doc().ReadString("ALPHA", "Cost", ""), std::string("555"));
        QCOMPARE(Values().Row(), int(OWNER));
        QCOMPARE(Values().Col(), 2);
        QVERIFY(onOwner.shown);
        QCOMPARE(Doc().ReadString("ALPHA", "Owner", ""), std::string("South"));
        Reactivate();

        // Below the last row it is for the current row.
        const QRect last = Values().visualRect(Values().model()->index(Values().RowCount() - 1, 2));
        QVERIFY(last.bottom() + 10 < Values().viewport()->height());
        ChoiceProbe below(Pick({"North = the houses of the north"}));
        RightClickAt(QPoint(last.center().x(), last.bottom() + 10));
        QVERIFY(below.shown);
        QCOMPARE(below.caption, QStringLiteral("Sides"));
        QCOMPARE(Values().Row(), int(OWNER));
        QCOMPARE(Doc().ReadString("ALPHA", "Owner", ""), std::string("North"));
    }

    // The right click reaches the editor through the window, as the window system delivers it.
    void aRightClickOnTheOpenEditorOpensTheDialogAndNoOtherMenu() {
        OpenWindow();
        Type(OWNER, "West");
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &Values());
        bool otherMenu = false;
        ChoiceProbe probe(
            [&](ValueChoiceDialog&) { otherMenu = QApplication::activePopupWidget() != nullptr; });
        QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, editor->mapTo(w, editor->rect().center()));
        QTRY_VERIFY(probe.shown);
        QVERIFY(!otherMenu);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(probe.keyAndValue, QStringLiteral("Owner=West"));
    }

    void withoutShowAllOnlyKeysWithSourcesOpenTheDialog() {
        OpenWindow();
        h->globals.AllowedShowAll = false;
        ChoiceProbe noSources;
        DoubleClickKey(COST);
        QVERIFY(!noSources.shown);
        ChoiceProbe rightClicked;
        RightClickRow(NAME);
        QVERIFY(!rightClicked.shown);

        ChoiceProbe withSources;
        DoubleClickKey(ARMOR);
        QVERIFY(withSources.shown);
        QCOMPARE(withSources.caption, QStringLiteral("ArmorTypes"));

        h->globals.AllowedShowAll = true;
        ChoiceProbe others;
        DoubleClickKey(COST);
        QVERIFY(others.shown);
        QCOMPARE(others.caption, QStringLiteral("OTHERS VALUES"));
        QCOMPARE(others.items, QStringList({"100=   ALPHA", "700=   BRAVO"}));
        QVERIFY(!Modified());
    }

    void aMarkerWithoutItsEndNamesNoSource() {
        OpenWindow();
        H::ClickTab(w, 1);
        for (int row : {int(BROKEN), int(BACKWARDS)}) {
            ChoiceProbe probe;
            DoubleClickKey(row);
            QVERIFY(probe.shown);
            QCOMPARE(probe.caption, QStringLiteral("OTHERS VALUES"));
            QVERIFY(!probe.valuesButtonEnabled);
        }
    }

    // Text from a ";" on is the line's comment: written, but no part of the value shown anywhere.
    // Blanks at the ends would not survive a save and a load: they are not written.
    void aTypedCommentIsWrittenAndTheValueShownAsItReadsBack() {
        OpenWindow();
        const std::string before = DocText();
        Type(COST, "100  ");
        PressKey(Qt::Key_Return);
        QCOMPARE(DocText(), before);
        QCOMPARE(Cell(COST), std::string("100"));
        Type(COST, " 250 ");
        PressKey(Qt::Key_Return);
        QVERIFY(DocText().find("\r\nCost=250\r\n") != std::string::npos);
        QCOMPARE(Cell(COST), std::string("250"));

        Type(NAME, "Alpha Prime ; renamed");
        PressKey(Qt::Key_Return);
        QVERIFY(DocText().find("\r\nName=Alpha Prime ; renamed\r\n") != std::string::npos);
        QCOMPARE(Cell(NAME), std::string("Alpha Prime"));
        QCOMPARE(Entries().Cells(1, ALPHA), std::string("Alpha Prime"));
        QCOMPARE(H::LabelText(w, "Label3"), QStringLiteral("Alpha Prime"));
    }

    void aNewNameShowsInTheEntryListAndPanel() {
        OpenWindow();
        const QString memo = H::Memo(w);
        Type(NAME, "Alpha Prime");
        PressKey(Qt::Key_Return);
        QCOMPARE(Entries().Cells(1, ALPHA), std::string("Alpha Prime"));
        QCOMPARE(H::LabelText(w, "Label3"), QStringLiteral("Alpha Prime"));
        QCOMPARE(H::Memo(w), memo);

        // An emptied name stays empty.
        QTest::keyClick(&Values(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        PressKey(Qt::Key_Delete);
        PressKey(Qt::Key_Return);
        QCOMPARE(Doc().ReadString("ALPHA", "Name", "-"), std::string());
        QCOMPARE(Entries().Cells(1, ALPHA), std::string());
        QCOMPARE(H::LabelText(w, "Label3"), QString());
    }

    // The definition file lists ALPHA once more, after the document's list: both rows are ALPHA.
    void anEntryListedTwiceShowsTheCommitOnBothRows() {
        OpenWindow(0, ALPHA, false, Definition + "\r\n[Units]\r\n9=ALPHA\r\n");
        const int again = 3;
        QCOMPARE(Entries().Cells(0, again), std::string("ALPHA"));
        Type(NAME, "Alpha Prime");
        PressKey(Qt::Key_Return);
        QCOMPARE(Entries().Cells(1, again), std::string("Alpha Prime"));

        Type(IMAGE, "SHARED");
        PressKey(Qt::Key_Return);
        H::ClickCell(Entries(), 0, again);
        QCOMPARE(PixelAt(H::In<QLabel>(w, "Image1"), 6, 6), Shared);
    }

    void aNewImageReplacesThePictureAndDropsTheIcon_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("line");  // as written into BRAVO's section, its key as the file spells it
        QTest::newRow("Image") << 0 << int(IMAGE) << QStringLiteral("Image=SHARED");
        QTest::newRow("image") << 1 << int(LOWERIMAGE) << QStringLiteral("Image=SHARED");
    }

    void aNewImageReplacesThePictureAndDropsTheIcon() {
        QFETCH(int, page);
        QFETCH(int, row);
        QFETCH(QString, line);
        OpenWindow(0, BRAVO);
        const QLabel& picture = H::In<QLabel>(w, "Image1");
        const QLabel& icon = H::In<QLabel>(w, "Image2");
        QCOMPARE(PixelAt(picture, 6, 6), OwnPicture);
        QCOMPARE(PixelAt(icon, 6, 6), OwnIcon);

        if (page != 0) H::ClickTab(w, page);
        Type(row, "SHARED");
        PressKey(Qt::Key_Return);
        QCOMPARE(PixelAt(picture, 6, 6), Shared);
        QCOMPARE(PixelAt(icon, 6, 6), Background);
        QVERIFY(DocText().find("\r\nArmor=plate\r\n" + line.toStdString() + "\r\n") != std::string::npos);

        // A name without a file leaves the background alone.
        Type(row, "NOFILE");
        PressKey(Qt::Key_Return);
        QCOMPARE(PixelAt(picture, 6, 6), Background);
        QCOMPARE(PixelAt(icon, 6, 6), Background);
    }

    // Keys are one whatever their letters: every row of the key shows what was written.
    void aCommittedKeyShowsInEveryRowOfIt() {
        OpenWindow(0, BRAVO);
        H::ClickTab(w, 1);
        QCOMPARE(Cell(LOWERIMAGE), std::string("BRAVO"));
        Type(UPPERIMAGE, "SHARED");
        PressKey(Qt::Key_Return);
        QCOMPARE(Doc().ReadString("BRAVO", "Image", ""), std::string("SHARED"));
        QCOMPARE(Cell(LOWERIMAGE), std::string("SHARED"));
        QCOMPARE(Values().IsDrawnRed(2, LOWERIMAGE), Values().IsDrawnRed(2, UPPERIMAGE));
    }

    void aValueForAnEntryWithoutSectionAddsItAtTheEnd() {
        OpenWindow(0, GHOST);
        QCOMPARE(Cell(COST), std::string());
        QVERIFY(!Doc().SectionExists("GHOST"));
        Type(COST, "5");
        PressKey(Qt::Key_Return);
        const std::string text = DocText();
        const std::string added = "[GHOST]\r\nCost=5\r\n";
        QVERIFY(text.size() > added.size());
        QCOMPARE(text.substr(text.size() - added.size()), added);
        QVERIFY(Modified());
        QVERIFY(Values().IsDrawnRed(2, COST));  // the default copy has 1
    }

    void withoutAnEntryOrAKeyNothingIsWritten() {
        OpenWindow(1, 0);
        QCOMPARE(Entries().RowCount(), 1);
        QCOMPARE(Entries().Cells(0, 0), std::string());
        const std::string before = DocText();
        const int sections = Doc().IndexOfSection("Tail");

        Type(COST, "12");
        PressKey(Qt::Key_Return);
        QCOMPARE(Cell(COST), std::string());
        Type(ARMOR, "heavy");
        H::ClickCell(Values(), 2, NAME);
        QCOMPARE(Cell(ARMOR), std::string());
        QCOMPARE(DocText(), before);
        QCOMPARE(Doc().IndexOfSection(""), -1);
        QCOMPARE(Doc().IndexOfSection("Tail"), sections);
        QVERIFY(!Modified());

        // Neither does a row without a key (a page line without "=") of a real entry.
        w->close();
        w = h->Open(0, ALPHA);
        QVERIFY(w);
        QTRY_COMPARE(QApplication::activeWindow(), w);
        QCOMPARE(Values().Cells(1, NOKEY), std::string());
        Type(NOKEY, "orphan");
        PressKey(Qt::Key_Return);
        QCOMPARE(Cell(NOKEY), std::string());
        QCOMPARE(DocText(), before);
        QVERIFY(!Modified());
    }

    void theKeyColumnIsNeverEdited() {
        OpenWindow();
        H::ClickCell(Values(), 1, COST);
        QCOMPARE(Values().Col(), 2);
        PressKey(Qt::Key_Left);
        QCOMPARE(Values().Col(), 2);
        QTest::keyClick(&Values(), Qt::Key_7);
        QVERIFY(Values().IsEditorOpen());
        PressKey(Qt::Key_Return);
        QCOMPARE(Values().Cells(1, COST), std::string("Cost"));
        QCOMPARE(Doc().ReadString("ALPHA", "Cost", ""), std::string("7"));
    }

    // A value unlike the key's others is written all the same; the cell carries the mark with the
    // reason, a note says why it looks wrong, and Undo takes back mark and note with the value.
    void marksAndNotesAValueThatDoesNotFitItsKey() {
        h->StartOnSample();
        int category = 0;
        while (h->Grid().Cells(0, category) != "InfantryTypes") ++category;
        w = h->Open(category, 0);
        QVERIFY(w);
        QTRY_COMPARE(QApplication::activeWindow(), w);
        Values().setFocus();
        const int cost = 1;
        QCOMPARE(Values().Cells(1, cost), std::string("Cost"));
        QVERIFY(!Values().IsMarkedMisfit(2, cost));

        Type(cost, QStringLiteral("12O"));
        PressKey(Qt::Key_Return);
        QCOMPARE(Doc().ReadString("GRUNT", "Cost", ""), std::string("12O"));
        QVERIFY(Values().IsMarkedMisfit(2, cost));
        QVERIFY(QString::fromStdString(Values().Tip(2, cost)).contains(QStringLiteral("expected a whole number")));
        const QLabel& note = H::In<QLabel>(w, "ValueNote");
        QVERIFY(note.isVisible());
        QVERIFY(note.text().startsWith(QStringLiteral("GRUNT: Cost=12O looks wrong: expected a whole number")));
        QVERIFY(!QApplication::activeModalWidget());

        QVERIFY(h->Trigger("Undo1"));
        QCOMPARE(Cell(cost), std::string("100"));
        QVERIFY(!Values().IsMarkedMisfit(2, cost));
        QVERIFY(!note.isVisible());

        // Redo is the commit again, note and all.
        QVERIFY(h->Trigger("Redo1"));
        QVERIFY(Values().IsMarkedMisfit(2, cost));
        QVERIFY(note.isVisible());
        QVERIFY(note.text().startsWith(QStringLiteral("GRUNT: Cost=12O looks wrong")));
    }
};

VELMORA_GUI_TEST(ValueEditingTest)
#include "ValueEditingTest.moc"
