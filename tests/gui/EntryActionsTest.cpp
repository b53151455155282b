// SPDX-License-Identifier: GPL-3.0-or-later
// Duplicate, change of code and delete in a category window, driven through its buttons, the entry
// list and the code and name dialog: the proposals, the refusals and their loop, what is written
// and what the window selects and shows afterwards.

#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "core/entries/EntryOperations.h"
#include "gui/dialogs/CodeNameDialog.h"
#include "gui/modcheck/ModCheckWindow.h"
#include "gui/widgets/FilterBox.h"
#include "core/store/IniStore.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

// Categories by grid row: 0 Units, whose list the document keeps; 1 Weapons, with a single entry in
// the definition file's list; 2 Empty; then "Unknown!". D2ALPHA and GUN are sections outside Units.
const std::string Definition =
    "[AllSections]\r\n"
    "Units=0,General\r\n"
    "Weapons=1,General\r\n"
    "Empty=1,General\r\n"
    "\r\n[General]\r\n"
    "Name=Name shown in the game.\r\n"
    "Cost=Price in ore.\r\n"
    "Image=Picture.\r\n"
    "\r\n[Weapons]\r\n1=GUN\r\n";

const std::string Defaults =
    "[Units]\r\n1=ALPHA\r\n2=BRAVO\r\n3=ABCDEFGHIJKLMNOPQRS\r\n4=NONAME\r\n"
    "5=d1alpha\r\n6=ECHO\r\n7=FOXTROT\r\n"
    "\r\n; the first unit\r\n[ALPHA]\r\nName=Alpha Trooper\r\nCost=100\r\nImage=alpha\r\n"
    "\r\n[BRAVO]\r\nName=Bravo Tank\r\nCost=700 ; pricey\r\n"
    "\r\n[ABCDEFGHIJKLMNOPQRS]\r\nName=Long One\r\nCost=19\r\n"
    "\r\n[NONAME]\r\nCost=5\r\n"
    "\r\n[d1alpha]\r\nName=First Copy\r\nCost=101\r\n"
    "\r\n[ECHO]\r\nName=Echo Scout\r\nCost=6\r\n"
    "\r\n[FOXTROT]\r\nName=Foxtrot Jet of the Allied Airforce Command\r\nCost=7\r\n"
    "\r\n[D2ALPHA]\r\nSpeed=1\r\nSight=2\r\nReach=3\r\n"
    "\r\n[GUN]\r\nName=Gun\r\nCost=1\r\n";

const QStringList UnitCodes = {
    "ALPHA", "BRAVO", "ABCDEFGHIJKLMNOPQRS", "NONAME", "d1alpha", "ECHO", "FOXTROT",
};

const QString Warning = QStringLiteral(
    "Notice | VelmoraEdit | It's not recommended to change the Code in the Game.\r\n"
    "To change the Name and other parameters use the Right table. | OK");

QString TakenNotice(const QString& code) {
    return "Notice | VelmoraEdit | " + code +
           "\r\nCode already exist.\r\nTo change Name use the Right table. | OK";
}

QString NotValidNotice(const QString& code) {
    return "Notice | VelmoraEdit | " + code +
           "\r\nCode is not valid.\r\nA code may not be empty, begin or end with a blank, or hold \"]\", "
           "\";\", \"=\" or \",\". | OK";
}

QLineEdit* Field(CodeNameDialog& dialog, const char* name) {
    auto* field = dialog.findChild<QLineEdit*>(QLatin1String(name));
    if (!field) qFatal("no field %s", name);
    return field;
}

// What a code and name dialog showed when it opened.
struct DialogSeen {
    QString caption;
    QString code;
    QString name;
    bool nameEnabled = false;
    bool wasModal = false;
};

// Answers the code and name dialogs that an operation opens, one step per dialog shown, in turn:
// each step acts on the dialog as the user would. A dialog that no step is left for, or that a
// step leaves open, is cancelled and counted, so that a failing test ends instead of waiting.
class DialogScript : public QObject {
  public:
    using Step = std::function<void(CodeNameDialog&)>;

    explicit DialogScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        qApp->installEventFilter(this);
    }
    ~DialogScript() override { qApp->removeEventFilter(this); }

    std::vector<DialogSeen> seen;
    int leftOpen = 0;

  protected:
    // The dialog is shown right before its modal loop runs; the answer comes once the loop runs.
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<CodeNameDialog*>(object))
                QTimer::singleShot(0, dialog, [this, dialog] { Answer(*dialog); });
        return false;
    }

  private:
    void Answer(CodeNameDialog& dialog) {
        const QLineEdit* name = Field(dialog, "Edit2");
        seen.push_back({dialog.windowTitle(), Field(dialog, "Edit1")->text(), name->text(), name->isEnabled(),
                        QApplication::activeModalWidget() == &dialog});
        if (m_next < m_steps.size()) m_steps[m_next++](dialog);
        if (dialog.isVisible()) {
            ++leftOpen;
            dialog.reject();
        }
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
};

// Clicks a button of the dialog, which must be there and enabled.
void Press(CodeNameDialog& dialog, const char* buttonName) {
    auto* button = dialog.findChild<QPushButton*>(QLatin1String(buttonName));
    QVERIFY2(button && button->isEnabled(), buttonName);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types over a field's text as the user would: all of it selected, deleted, the new text typed.
void TypeOver(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

DialogScript::Step Cancel() {
    return [](CodeNameDialog& dialog) { Press(dialog, "CancelButton2"); };
}

// Confirms the dialog as it stands, or with a code (and a name) typed first.
DialogScript::Step Ok(std::optional<QString> code = {}, std::optional<QString> name = {}) {
    return [code, name](CodeNameDialog& dialog) {
        if (code) TypeOver(Field(dialog, "Edit1"), *code);
        if (name) TypeOver(Field(dialog, "Edit2"), *name);
        Press(dialog, "OKButton1");
    };
}

}  // namespace

class EntryActionsTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    using H = CategoryWindowHarness;

    void Finish() override { QCOMPARE(h->TakeShown(), QStringList()); }

    const IniStore& Document() const { return h->window->Work().Doc().Store(); }

    // The Units window on a fresh untitled document (a copy of the default copy), with the entry
    // `entry` clicked in its entry list.
    CategoryWindow* OpenUnits(int entry) {
        h->StartWith(H::Settings(false), Definition, Defaults);
        h->TakeShown();
        CategoryWindow* w = h->Open(0);
        if (!w || Column(H::EntryList(w), 0) != UnitCodes) return nullptr;
        if (entry != 0) H::ClickCell(H::EntryList(w), 0, entry);
        return H::EntryList(w).Row() == entry ? w : nullptr;
    }

    static void ClickButton(CategoryWindow* w, const char* name) {
        auto& button = H::In<QPushButton>(w, name);
        QVERIFY(button.isEnabled() && button.isVisible());
        QTest::mouseClick(&button, Qt::LeftButton);
    }

    static void DoubleClickEntry(CategoryWindow* w, int row) {
        StringGrid& grid = H::EntryList(w);
        const QRect cell = grid.visualRect(grid.model()->index(row, 0));
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }

    // The operation's dialogs are gone and no modal is left open.
    static void VerifyNoDialogLeft(CategoryWindow* w, const DialogScript& script) {
        QCOMPARE(script.leftOpen, 0);
        for (const DialogSeen& seen : script.seen) QVERIFY(seen.wasModal);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w->findChildren<CodeNameDialog*>().isEmpty());
    }

    // The window shows entry `row` as selected: in the list, the panel and the value grid.
    static void VerifyShown(CategoryWindow* w, int row, const QString& code, const QString& name,
                            const QStringList& values) {
        QCOMPARE(H::EntryList(w).Row(), row);
        QCOMPARE(Latin1(H::EntryList(w).Cells(0, row)), code);
        QCOMPARE(H::LabelText(w, "Label2"), code);
        QCOMPARE(H::LabelText(w, "Label3"), name);
        QCOMPARE(Column(H::ValueGrid(w), 2), values);
        // The entry list has the window's focus (offscreen, a window that a closed dialog leaves
        // behind is not made active again).
        QCOMPARE(w->focusWidget(), static_cast<QWidget*>(&H::EntryList(w)));
    }

  private slots:
    void duplicateProposesTheFirstFreeCode_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("nameEnabled");
        // D1ALPHA is listed (in other letters), D2ALPHA names a section outside the category.
        QTest::newRow("taken") << 0 << QStringLiteral("Duplicate ALPHA/Alpha Trooper")
                               << QStringLiteral("D3ALPHA") << QStringLiteral("D3Alpha Trooper") << true;
        QTest::newRow("19 characters")
            << 2 << QStringLiteral("Duplicate ABCDEFGHIJKLMNOPQRS/Long One")
            << QStringLiteral("D1ABCDEFGHIJKLMNOPQR") << QStringLiteral("D1Long One") << true;
        QTest::newRow("no name") << 3 << QStringLiteral("Duplicate NONAME/-") << QStringLiteral("D1NONAME")
                                 << QString() << false;
    }

    void duplicateProposesTheFirstFreeCode() {
        QFETCH(int, entry);
        QFETCH(QString, caption);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(bool, nameEnabled);
        CategoryWindow* w = OpenUnits(entry);
        QVERIFY(w);
        const std::string before = Document().RenderText();

        DialogScript script({Cancel()});
        ClickButton(w, "Duplicate");

        VerifyNoDialogLeft(w, script);
        QCOMPARE(script.seen.size(), size_t(1));
        QCOMPARE(script.seen[0].caption, caption);
        QCOMPARE(script.seen[0].code, code);
        QCOMPARE(script.seen[0].name, name);
        QCOMPARE(script.seen[0].nameEnabled, nameEnabled);
        // Cancelled: nothing is written and the window stays as it was.
        QCOMPARE(Document().RenderText(), before);
        QVERIFY(!h->window->Work().Doc().Modified());
        QCOMPARE(Column(H::EntryList(w), 0), UnitCodes);
        QCOMPARE(H::EntryList(w).Row(), entry);
    }

    void duplicateWritesTheCopyAndSelectsIt() {
        CategoryWindow* w = OpenUnits(0);
        QVERIFY(w);
        DialogScript script({Ok(QStringLiteral("NEWT"), QStringLiteral("Newt Rider"))});
        ClickButton(w, "Duplicate");
        VerifyNoDialogLeft(w, script);

        // Listed under the next number, the copy placed directly before the entry it copies.
        QCOMPARE(Column(H::EntryList(w), 0), UnitCodes + QStringList{"NEWT"});
        QCOMPARE(Document().ReadString("Units", "8", ""), std::string("NEWT"));
        QCOMPARE(Document().IndexOfSection("NEWT"), Document().IndexOfSection("ALPHA") - 1);
        QVERIFY(h->window->Work().Doc().Modified());
        VerifyShown(w, 7, "NEWT", "Newt Rider", {"Newt Rider", "100", "alpha"});
        QCOMPARE(H::Memo(w), QStringLiteral("NEWT\nNewt Rider"));

        // A copy of an entry without a name gets none; it shows the copied entry's picture.
        H::ClickCell(H::EntryList(w), 0, 3);
        DialogScript unnamed({Ok()});
        ClickButton(w, "Duplicate");
        VerifyNoDialogLeft(w, unnamed);
        QCOMPARE(Column(H::EntryList(w), 0).last(), QStringLiteral("D1NONAME"));
        QVERIFY(!Document().ValueExists("D1NONAME", "Name"));
        VerifyShown(w, 8, "D1NONAME", "-", {"", "5", "NONAME"});
    }

    void changeOfCodeRenamesTheEntryInPlace() {
        CategoryWindow* w = OpenUnits(0);
        QVERIFY(w);
        const std::string before = Document().RenderText();
        const int place = Document().IndexOfSection("BRAVO");

        // Warned, then cancelled: nothing changes.
        DialogScript cancelled({Cancel()});
        DoubleClickEntry(w, 1);
        VerifyNoDialogLeft(w, cancelled);
        QCOMPARE(h->TakeShown(), QStringList{Warning});
        QCOMPARE(cancelled.seen.size(), size_t(1));
        QCOMPARE(cancelled.seen[0].caption, QStringLiteral("EDIT CODE"));
        QCOMPARE(cancelled.seen[0].code, QStringLiteral("BRAVO"));
        QCOMPARE(cancelled.seen[0].name, QStringLiteral("Bravo Tank"));
        QVERIFY(cancelled.seen[0].nameEnabled);
        QCOMPARE(Document().RenderText(), before);
        QVERIFY(!h->window->Work().Doc().Modified());

        DialogScript script({Ok(QStringLiteral("CHARLIE"), QStringLiteral("Charlie Tank"))});
        DoubleClickEntry(w, 1);
        VerifyNoDialogLeft(w, script);
        QCOMPARE(h->TakeShown(), QStringList{Warning});

        QStringList codes = UnitCodes;
        codes[1] = QStringLiteral("CHARLIE");
        QCOMPARE(Column(H::EntryList(w), 0), codes);
        QCOMPARE(Document().ReadString("Units", "2", ""), std::string("CHARLIE"));
        QCOMPARE(Document().IndexOfSection("CHARLIE"), place);
        QVERIFY(!Document().SectionExists("BRAVO"));
        QVERIFY(h->window->Work().Doc().Modified());
        // The row did not change, yet the panel and the value grid show the entry as written.
        VerifyShown(w, 1, "CHARLIE", "Charlie Tank", {"Charlie Tank", "700", ""});
        QCOMPARE(H::Memo(w), QStringLiteral("CHARLIE\nCharlie Tank"));
    }

    // The references to the entry are asked about after the dialog: Cancel cancels the change of
    // code, Yes rewrites them in the same edit. A line of a key that is no reference (no value
    // source names the category) is listed as not changed, with a box that takes it in. The delete
    // question counts them.
    void changeOfCodeAsksAboutTheReferences() {
        CategoryWindow* w = OpenUnits(0);
        QVERIFY(w);
        QVERIFY(h->window->Work().Doc().SetValue("ALPHA", "Escort", "BRAVO, GUN ; both"));
        const std::string before = Document().RenderText();
        const QString question = QStringLiteral("Confirm | Confirm | Also change the 0 references to BRAVO into "
                                                "CHARLIE?\r\n[ ] not changed: [ALPHA] Escort=BRAVO, GUN ; both"
                                                " | &Yes,&No,Cancel");

        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        {
            DialogScript script({Ok(QStringLiteral("CHARLIE"))});
            DoubleClickEntry(w, 1);
        }
        QCOMPARE(h->TakeShown(), (QStringList{Warning, question}));
        QCOMPARE(Document().RenderText(), before);

        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        h->boxes.EnqueueTicks({true});
        {
            DialogScript script({Ok(QStringLiteral("CHARLIE"))});
            DoubleClickEntry(w, 1);
        }
        QCOMPARE(h->TakeShown(), (QStringList{Warning, question}));
        QCOMPARE(Document().ReadString("ALPHA", "Escort", ""), std::string("CHARLIE, GUN"));
        QVERIFY(!Document().SectionExists("BRAVO"));

        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        H::ClickCell(H::EntryList(w), 0, 1);
        ClickButton(w, "Delete");
        QCOMPARE(h->TakeShown(), QStringList{"Plain | Delete Item | Really want to delete CHARLIE ?\r\n"
                                             "1 line will still name it. | OK,Cancel"});
        h->window->Work().Doc().Undo();
        QCOMPARE(Document().RenderText(), before);
    }

    // The main window lists the category's entries too; a row of it opens that very entry.
    void theMainWindowsEntryListFollowsEveryOperation() {
        CategoryWindow* w = OpenUnits(1);
        QVERIFY(w);
        QCOMPARE(h->Entries(), UnitCodes);
        QStringList codes = UnitCodes;

        {
            DialogScript duplicate({Ok(QStringLiteral("NEWT"))});
            ClickButton(w, "Duplicate");
        }
        codes << QStringLiteral("NEWT");
        QCOMPARE(h->Entries(), codes);

        {
            DialogScript change({Ok(QStringLiteral("CHARLIE"))});
            DoubleClickEntry(w, 7);
            QCOMPARE(h->TakeShown(), QStringList{Warning});
        }
        codes[7] = QStringLiteral("CHARLIE");
        QCOMPARE(h->Entries(), codes);

        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        ClickButton(w, "Delete");
        h->TakeShown();
        codes.removeAt(7);
        QCOMPARE(h->Entries(), codes);
        QCOMPARE(Column(H::EntryList(w), 0), codes);

        QCOMPARE(h->Open(0, 5), w);
        QCOMPARE(H::LabelText(w, "Label2"), codes[5]);
    }

    void takenCodeIsAskedForAgain_data() {
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<QString>("typed");
        QTest::newRow("own code in other letters") << false << QStringLiteral("alpha");
        QTest::newRow("listed code in other letters") << false << QStringLiteral("bravo");
        QTest::newRow("section outside the category") << false << QStringLiteral("GUN");
        QTest::newRow("duplicate as a listed code") << true << QStringLiteral("Echo");
        QTest::newRow("duplicate as a section outside") << true << QStringLiteral("D2ALPHA");
    }

    // Refused, then asked again with what the user typed, and a change of code warned about again.
    void takenCodeIsAskedForAgain() {
        QFETCH(bool, duplicate);
        QFETCH(QString, typed);
        CategoryWindow* w = OpenUnits(0);
        QVERIFY(w);
        const std::string before = Document().RenderText();

        DialogScript script({Ok(typed, QStringLiteral("Changed")), Cancel()});
        if (duplicate)
            ClickButton(w, "Duplicate");
        else
            DoubleClickEntry(w, 0);
        VerifyNoDialogLeft(w, script);

        const QStringList expected =
            duplicate ? QStringList{TakenNotice(typed)} : QStringList{Warning, TakenNotice(typed), Warning};
        QCOMPARE(h->TakeShown(), expected);
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(script.seen[0].code, duplicate ? QStringLiteral("D3ALPHA") : QStringLiteral("ALPHA"));
        QCOMPARE(script.seen[1].code, typed);
        QCOMPARE(script.seen[1].name, QStringLiteral("Changed"));
        QCOMPARE(Document().RenderText(), before);
        QVERIFY(!h->window->Work().Doc().Modified());
    }

    void codeThatWouldNotReadBackIsAskedForAgain_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("leading blank") << QStringLiteral(" NEW");
        QTest::newRow("trailing blank") << QStringLiteral("NEW ");
        QTest::newRow("bracket") << QStringLiteral("NE]W");
        QTest::newRow("semicolon") << QStringLiteral("NE;W");
    }

    void codeThatWouldNotReadBackIsAskedForAgain() {
        QFETCH(QString, typed);
        CategoryWindow* w = OpenUnits(1);
        QVERIFY(w);
        const std::string before = Document().RenderText();

        DialogScript script({Ok(typed), Cancel()});
        ClickButton(w, "Duplicate");
        VerifyNoDialogLeft(w, script);

        QCOMPARE(h->TakeShown(), QStringList{NotValidNotice(typed)});
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(script.seen[1].code, typed);
        QCOMPARE(Document().RenderText(), before);
        QVERIFY(!h->window->Work().Doc().Modified());
    }

    void typingStopsAtTwentyCharactersForACodeAndFortyForAName() {
        CategoryWindow* w = OpenUnits(1);
        QVERIFY(w);
        const QString code = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
        const QString name = QString(45, QLatin1Char('n'));
        DialogScript script({Ok(code, name)});
        ClickButton(w, "Duplicate");
        VerifyNoDialogLeft(w, script);
        VerifyShown(w, 7, code.left(20), name.left(40), {name.left(40), "700", "BRAVO"});
    }

    void f2OnTheEntryListChangesTheCode() {
        CategoryWindow* w = OpenUnits(1);
        QVERIFY(w);
        DialogScript script({Cancel()});
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w));
        H::EntryList(w).setFocus();
        QTest::keyClick(&H::EntryList(w), Qt::Key_F2);
        VerifyNoDialogLeft(w, script);
        QCOMPARE(h->TakeShown(), QStringList{Warning});
        QCOMPARE(script.seen.size(), size_t(1));
        QCOMPARE(script.seen[0].caption, QStringLiteral("EDIT CODE"));
        QCOMPARE(script.seen[0].code, QStringLiteral("BRAVO"));
    }

    // A change of code leaves a name the file holds as it was, however long.
    void changeOfCodeKeepsALongNameWhole() {
        CategoryWindow* w = OpenUnits(6);
        QVERIFY(w);
        const QString name = QStringLiteral("Foxtrot Jet of the Allied Airforce Command");
        DialogScript script({Ok(QStringLiteral("FOX"))});
        DoubleClickEntry(w, 6);
        VerifyNoDialogLeft(w, script);
        QCOMPARE(h->TakeShown(), QStringList{Warning});
        QCOMPARE(Document().ReadString("FOX", "Name", ""), name.toStdString());
        QCOMPARE(script.seen[0].name, name);
    }

    void deleteSelectsTheRowBefore_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("selected");
        QTest::newRow("first row") << 0 << 0;
        QTest::newRow("row 5") << 5 << 4;
    }

    void deleteSelectsTheRowBefore() {
        QFETCH(int, row);
        QFETCH(int, selected);
        CategoryWindow* w = OpenUnits(1);
        QVERIFY(w);
        // The memo shows the entry to delete, from the entry list.
        H::ClickCell(H::EntryList(w), 0, row);
        const QString code = UnitCodes[row];
        QCOMPARE(H::Memo(w), code + "\n" + H::LabelText(w, "Label3"));

        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        ClickButton(w, "Delete");
        QCOMPARE(h->TakeShown(),
                 QStringList{"Plain | Delete Item | Really want to delete " + code + " ? | OK,Cancel"});

        QStringList codes = UnitCodes;
        codes.removeAt(row);
        QCOMPARE(Column(H::EntryList(w), 0), codes);
        QVERIFY(!Document().SectionExists(code.toStdString()));
        QVERIFY(h->window->Work().Doc().Modified());
        const QString shown = codes[selected];
        const std::string section = shown.toStdString();
        VerifyShown(w, selected, shown, Latin1(Document().ReadString(section, "Name", "-")),
                    {Latin1(Document().ReadString(section, "Name", "")),
                     Latin1(Document().ReadString(section, "Cost", "")),
                     Latin1(Document().ReadString(section, "Image", ""))});
        QCOMPARE(H::Memo(w), shown + "\n" + H::LabelText(w, "Label3"));
    }

    // Entries coming and going elsewhere (another window) leave the selected entry selected by its
    // code, never by its row, and the filter as typed; the undo of a duplicate selects the entry it
    // leaves.
    void theSelectedEntryStaysWhenEntriesComeAndGo() {
        CategoryWindow* w = OpenUnits(5);
        QVERIFY(w);
        auto& filter = H::In<FilterBox>(w, "EntryGridFilter");
        QTest::keyClicks(&filter, "echo");
        EntryOperations operations(h->window->Work(), "Units", 0);
        const auto verifySelected = [&](const QString& code) {
            QCoreApplication::sendPostedEvents();  // a filtering the refill queued
            QCOMPARE(Latin1(H::EntryList(w).Cells(0, H::EntryList(w).Row())), code);
            QCOMPARE(H::LabelText(w, "Label2"), code);
            QCOMPARE(filter.text(), QStringLiteral("echo"));
        };

        operations.DeleteEntry("ALPHA");
        verifySelected("ECHO");

        operations.DuplicateOrChangeCode("ECHO", "ECHO2", std::nullopt, true);
        w->SelectEntry("ECHO2", "");
        verifySelected("ECHO2");
        h->window->Work().Doc().Undo();
        verifySelected("ECHO");
    }

    void deleteNotConfirmedChangesNothing() {
        CategoryWindow* w = OpenUnits(2);
        QVERIFY(w);
        const std::string before = Document().RenderText();
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        ClickButton(w, "Delete");
        QCOMPARE(
            h->TakeShown(),
            QStringList{"Plain | Delete Item | Really want to delete ABCDEFGHIJKLMNOPQRS ? | OK,Cancel"});
        QCOMPARE(Document().RenderText(), before);
        QVERIFY(!h->window->Work().Doc().Modified());
        QCOMPARE(Column(H::EntryList(w), 0), UnitCodes);
        QCOMPARE(H::EntryList(w).Row(), 2);
    }

    void singleMemberCannotBeDeleted_data() {
        QTest::addColumn<int>("category");
        QTest::newRow("one entry") << 1;
        QTest::newRow("no entry") << 2;
    }

    void singleMemberCannotBeDeleted() {
        QFETCH(int, category);
        h->StartWith(H::Settings(false), Definition, Defaults);
        h->TakeShown();
        CategoryWindow* w = h->Open(category);
        QVERIFY(w);
        const std::string document = Document().RenderText();
        const std::string definition = h->window->Work().Doc().Definition().RenderText();
        ClickButton(w, "Delete");
        QCOMPARE(h->TakeShown(), QStringList{"Notice | VelmoraEdit | Can not delete single member | OK"});
        QCOMPARE(Document().RenderText(), document);
        QCOMPARE(h->window->Work().Doc().Definition().RenderText(), definition);
        QVERIFY(!h->window->Work().Doc().Modified());
    }

    // A mod open as a whole: the kinds switched from the file-type menu, an edit in each taken back
    // by Undo in turn, a change of code of a sound that rewrites the rules' reference in the same
    // step, and one save writing every changed file.
    void modFolderEditsEveryKindInOneHistoryAndSavesThemTogether() {
        h->CopySample();
        h->Start();
        h->TakeShown();
        h->boxes.EnqueueFileName(h->folder.File("mods/cinderfall"));
        QVERIFY(h->Trigger("OpenModFolder1"));
        QCOMPARE(h->TakeShown().size(), qsizetype(1));  // the folder question
        EditingSession& session = *h->window->Session();
        const auto value = [&session](const char* kind, const char* code, const char* key) {
            return session.KindWork(kind) ? session.KindWork(kind)->Doc().Store().ReadString(code, key, "")
                                          : std::string("(no kind)");
        };
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Rules.ini"));

        h->Edit("GRUNT", "Cost", "130");
        QVERIFY(h->ChooseFileType(QStringLiteral("Art.ini")));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Art.ini"));
        QCOMPARE(h->Find<QAction>("Undo1")->text(), QStringLiteral("Undo Change of Cost in Rules.ini"));
        h->Edit("FIREBALL", "LastFrame", "20");
        QVERIFY(h->Trigger("Undo1"));
        QCOMPARE(value("Art.ini", "FIREBALL", "LastFrame"), std::string("18"));
        QCOMPARE(h->Find<QAction>("Undo1")->text(), QStringLiteral("Undo Change of Cost in Rules.ini"));
        QVERIFY(h->Trigger("Undo1"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Rules.ini"));
        QCOMPARE(value("Rules.ini", "GRUNT", "Cost"), std::string("120"));
        QVERIFY(h->Trigger("Redo1"));
        QVERIFY(h->Trigger("Redo1"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Art.ini"));
        QCOMPARE(value("Rules.ini", "GRUNT", "Cost"), std::string("130"));

        QVERIFY(h->ChooseFileType(QStringLiteral("Sound.ini")));
        CategoryWindow* voices = h->Open(0);
        QVERIFY(voices);
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        DialogScript script({Ok(QStringLiteral("GruntHello"))});
        DoubleClickEntry(voices, 0);
        VerifyNoDialogLeft(voices, script);
        const QStringList shown = h->TakeShown();
        QVERIFY2(shown.size() == 2 && shown[1].contains("Rules.ini: "), qPrintable(shown.join('\n')));
        QCOMPARE(value("Rules.ini", "GRUNT", "VoiceSelect"), std::string("GruntHello"));

        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown(), QStringList());
        const std::string rules = h->folder.Read("mods/cinderfall/Rules.ini");
        QVERIFY(rules.find("VoiceSelect=GruntHello\r\n") != std::string::npos);
        QVERIFY(rules.find("Cost=130 ;") != std::string::npos);
        QVERIFY(h->folder.Read("mods/cinderfall/Sound.ini").find("[GruntHello]") != std::string::npos);
        QVERIFY(h->folder.Read("mods/cinderfall/Art.ini").find("LastFrame=20\r\n") != std::string::npos);

        // One Undo takes the change of code back in both files.
        QVERIFY(h->Trigger("Undo1"));
        QCOMPARE(value("Rules.ini", "GRUNT", "VoiceSelect"), std::string("GruntSelect"));
        QVERIFY(h->window->Work().Doc().Store().IndexOfSection("GruntSelect") >= 0);
    }
    // Check the Mod from the Search menu: the window follows an edit of the rules, stays on the
    // check when another kind is shown, and a double-click opens the finding's kind and entry.
    void checkTheModFollowsEditsAcrossKindsAndOpensTheSpot() {
        h->CopySample();
        h->Start();
        h->TakeShown();
        QVERIFY(h->Trigger("CheckMod1"));
        QCOMPARE(h->TakeShown().size(), qsizetype(1));  // no mod open: the notice
        h->boxes.EnqueueFileName(h->folder.File("mods/cinderfall"));
        QVERIFY(h->Trigger("OpenModFolder1"));
        h->TakeShown();
        QVERIFY(h->Trigger("CheckMod1"));
        auto* window = h->window->findChild<ModCheckWindow*>(QStringLiteral("ModCheckWindow"));
        QVERIFY(window);
        QCOMPARE(window->View().model()->rowCount(), 0);

        h->Edit("GRUNT", "Image", "NOSUCHART");
        QTRY_COMPARE(window->View().model()->rowCount(), 1);
        QVERIFY(h->ChooseFileType(QStringLiteral("Sound.ini")));
        QTRY_COMPARE(window->View().model()->rowCount(), 1);
        emit window->View().activated(window->View().model()->index(0, 0));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Rules.ini"));
        QVERIFY(h->window->findChild<CategoryWindow*>());
    }
};

VELMORA_GUI_TEST(EntryActionsTest)
#include "EntryActionsTest.moc"
