// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <string>

#include "GuiTestMain.h"
#include "ModalDialog.h"
#include "gui/dialogs/CodeNameDialog.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

QLineEdit* Field(CodeNameDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

QPushButton* Button(CodeNameDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

void ClickOK(CodeNameDialog& dialog) {
    QTest::mouseClick(Button(dialog, "OKButton1"), Qt::LeftButton);
}

}  // namespace

class CodeNameDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void okAcceptsACodeOfAtMostTwentyCharacters_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("twenty") << QStringLiteral("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("empty") << QString();
    }

    void okAcceptsACodeOfAtMostTwentyCharacters() {
        QFETCH(QString, code);
        CodeNameDialog dialog;
        dialog.SetCaption("Duplicate E1/Rifleman");
        dialog.SetCode(code.toStdString());
        dialog.SetName("D1Rifleman");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Duplicate E1/Rifleman"));
        QVERIFY(Button(dialog, "OKButton1") && Button(dialog, "OKButton1")->isEnabled());
        ModalRun run = RunModal<CodeNameDialog>(dialog, ClickOK);
        QVERIFY(run.wasModal && !run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(dialog.Code()), code);
        QCOMPARE(dialog.Name(), std::string("D1Rifleman"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void okCutsALongerCodeAndWaitsForASecondOK() {
        CodeNameDialog dialog;
        dialog.SetCode("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        bool openAfterFirstOK = false;
        QString shownAfterFirstOK;
        ModalRun run = RunModal<CodeNameDialog>(dialog, [&](CodeNameDialog& shown) {
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Field(shown, "Edit1")));
            ClickOK(shown);
            openAfterFirstOK = shown.isVisible();
            shownAfterFirstOK = Field(shown, "Edit1")->text();
            ClickOK(shown);
        });
        QVERIFY(openAfterFirstOK);
        QCOMPARE(shownAfterFirstOK, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QVERIFY(!run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Accepted));
        QCOMPARE(dialog.Code(), std::string("ABCDEFGHIJKLMNOPQRST"));
    }

    void enterIsOkAndEscapeAndTheCloseBoxCancel() {
        CodeNameDialog dialog;
        dialog.SetCode("E1");
        dialog.SetName("Rifleman");
        ModalRun run = RunModal<CodeNameDialog>(dialog, [](CodeNameDialog& shown) {
            QTest::keyClick(Field(shown, "Edit2"), Qt::Key_Return);
        });
        QVERIFY(!run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Accepted));
        run = RunModal<CodeNameDialog>(dialog, [](CodeNameDialog& shown) {
            QTest::keyClick(Field(shown, "Edit1"), Qt::Key_Escape);
        });
        QVERIFY(!run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Rejected));
        run = RunModal<CodeNameDialog>(dialog, [](CodeNameDialog& shown) { shown.close(); });
        QVERIFY(!run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Rejected));
    }

    // The name field stops at forty typed characters and says so there; a longer name the file
    // holds is shown and given back whole.
    void nameStopsAtItsLimitWithANoteButALongerNameStaysWhole() {
        CodeNameDialog dialog;
        dialog.SetCode("E1");
        dialog.SetName(std::string(39, 'n'));
        QString note;
        QString typed;
        RunModal<CodeNameDialog>(dialog, [&](CodeNameDialog& shown) {
            QTest::keyClicks(Field(shown, "Edit2"), QStringLiteral("ab"));
            QTRY_VERIFY(QToolTip::isVisible());
            note = QToolTip::text();
            typed = Field(shown, "Edit2")->text();
            QToolTip::hideText();
        });
        QCOMPARE(typed, QString(39, u'n') + u'a');
        QCOMPARE(note, QStringLiteral("A name holds at most 40 characters."));

        const std::string held = "Allied American Airforce Command Headquarters";
        dialog.SetName(held);
        QCOMPARE(dialog.Name(), held);
    }

    // A wider dialog gives the room to the fields, so that a long name shows whole.
    void fieldsGrowWithTheDialog() {
        CodeNameDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int narrow = Field(dialog, "Edit2")->width();
        dialog.resize(800, dialog.height());
        QTRY_VERIFY(Field(dialog, "Edit2")->width() >= narrow + 400);
    }

    void cancelButtonCancels() {
        CodeNameDialog dialog;
        ModalRun run = RunModal<CodeNameDialog>(dialog, [](CodeNameDialog& shown) {
            QTest::mouseClick(Button(shown, "CancelButton2"), Qt::LeftButton);
        });
        QVERIFY(!run.leftOpen);
        QCOMPARE(run.result, int(QDialog::Rejected));
    }

    void nameFieldCanBeDisabled() {
        CodeNameDialog dialog;
        dialog.SetName("");
        dialog.SetNameEnabled(false);
        QVERIFY(!Field(dialog, "Edit2")->isEnabled());
        QVERIFY(Field(dialog, "Edit1")->isEnabled());
        QCOMPARE(dialog.Name(), std::string());
    }

    // What the fields show is what the caller reads: a character without a byte, a line break or
    // NUL would be written as "?" or would split the saved file's line.
    void fieldsTakeOnlyCharactersWithAByte() {
        CodeNameDialog dialog;
        dialog.SetCode("");
        dialog.SetName("");
        QString codeTyped;
        QString nameAfterInserts;
        ModalRun run = RunModal<CodeNameDialog>(dialog, [&](CodeNameDialog& shown) {
            QLineEdit* code = Field(shown, "Edit1");
            QLineEdit* name = Field(shown, "Edit2");
            for (const QChar typed : QStringLiteral(u"A\u0100\u20ACB\u00E9"))
                QTest::sendKeyEvent(QTest::Click, code, Qt::Key_unknown, QString(typed), Qt::NoModifier);
            codeTyped = code->text();
            name->insert(QStringLiteral(u"\u00C4rger"));
            name->insert(QStringLiteral("Two\nLines"));
            name->insert(QStringLiteral("Car\rriage"));
            name->insert(QString(QChar(u'\0')));
            name->insert(QStringLiteral(u"\u0152"));
            nameAfterInserts = name->text();
            ClickOK(shown);
        });
        QCOMPARE(run.result, int(QDialog::Accepted));
        QCOMPARE(codeTyped, QStringLiteral(u"AB\u00E9"));
        QCOMPARE(dialog.Code(), std::string("AB\xE9"));
        QCOMPARE(nameAfterInserts, QStringLiteral(u"\u00C4rger"));
        QCOMPARE(dialog.Name(), std::string("\xC4rger"));
    }

    // A character the field refuses is not dropped without a word: a note under the field says why.
    void aRefusedCharacterIsExplainedAtTheField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("pasted");
        QTest::newRow("code, typed") << QStringLiteral("Edit1") << false;
        QTest::newRow("name, pasted") << QStringLiteral("Edit2") << true;
    }

    void aRefusedCharacterIsExplainedAtTheField() {
        QFETCH(QString, field);
        QFETCH(bool, pasted);
        CodeNameDialog dialog;
        dialog.SetCode("E1");
        dialog.SetName("Rifleman");
        QString note;
        QString text;
        ModalRun run = RunModal<CodeNameDialog>(dialog, [&](CodeNameDialog& shown) {
            QLineEdit* edit = Field(shown, field.toLatin1().constData());
            edit->setFocus();
            if (pasted)
                edit->insert(QStringLiteral("Two\nLines"));
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral(u"\u20AC"),
                                    Qt::NoModifier);
            QTRY_VERIFY(QToolTip::isVisible());
            note = QToolTip::text();
            text = edit->text();
            QToolTip::hideText();
            shown.close();
        });
        QVERIFY(run.wasModal && !run.leftOpen);
        QVERIFY(text == "E1" || text == "Rifleman");
        QCOMPARE(note,
                 QStringLiteral("Left out: a rules file holds only Latin-1 characters, and no line breaks or "
                       "other control characters."));
    }

    void staysOnTopCentredOnItsOwner() {
        // Well inside the screen, so that the dialog need not be moved to stay on it.
        QWidget owner;
        owner.setGeometry(150, 120, 460, 340);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        CodeNameDialog dialog(&owner);
        QVERIFY(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(dialog.isWindow());
        QPoint centre;
        ModalRun run = RunModal<CodeNameDialog>(dialog, [&](CodeNameDialog& shown) {
            centre = shown.frameGeometry().center();
            shown.close();
        });
        QVERIFY(run.wasModal);
        const QPoint offset = centre - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
    }
};

VELMORA_GUI_TEST(CodeNameDialogTest)
#include "CodeNameDialogTest.moc"
