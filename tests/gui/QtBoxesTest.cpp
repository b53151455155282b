// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QDir>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "GuiTestMain.h"
#include "gui/services/QtBoxes.h"

using velmora::BoxAnswer;
using velmora::QtBoxes;

namespace {

// What a message box showed, read while it was open.
struct SeenBox {
    bool shown = false;
    QString caption;
    QString text;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
};

// Answers the next modal box once its event loop runs: records it, then clicks the button with
// the given label, or presses Esc when the label is empty.
void AnswerNextBox(SeenBox& seen, const QString& label) {
    QTimer::singleShot(0, qApp, [&seen, label] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.shown = true;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
        seen.buttons.sort();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen.icon = box->icon();
        seen.format = box->textFormat();
        seen.parent = box->parentWidget();
        if (label.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == label) {
                button->click();
                return;
            }
        }
        box->reject();
    });
}

// Runs the next file dialog through `answer` once its event loop runs.
void HandleNextFileDialog(const std::function<void(QFileDialog&)>& answer) {
    QTimer::singleShot(0, qApp, [answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) answer(*dialog);
    });
}

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

}  // namespace

class QtBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(!QApplication::activeModalWidget()); }

    void noticeAndErrorUseTheProgramTitle() {
        QtBoxes boxes(nullptr);
        SeenBox notice;
        AnswerNextBox(notice, QStringLiteral("OK"));
        boxes.Notice("Saved.\r\nNothing else.");
        QVERIFY(notice.shown);
        QCOMPARE(notice.caption, QApplication::applicationName());
        QCOMPARE(notice.text, QStringLiteral("Saved.\nNothing else."));
        QCOMPARE(notice.buttons, QStringList({"OK"}));
        QCOMPARE(notice.icon, QMessageBox::NoIcon);

        SeenBox error;
        AnswerNextBox(error, QString());
        boxes.Error("Cannot open file <b>x</b>");
        QCOMPARE(error.caption, QApplication::applicationName());
        QCOMPARE(error.text, QStringLiteral("Cannot open file <b>x</b>"));
        QCOMPARE(error.format, Qt::PlainText);
        QCOMPARE(error.icon, QMessageBox::Critical);
    }

    // A box raised while the user works in another window opens over that one, not over the owner.
    void boxesOpenOverTheActiveWindow() {
        QWidget owner;
        owner.show();
        QtBoxes boxes(&owner);
        SeenBox seen;
        AnswerNextBox(seen, QStringLiteral("OK"));
        boxes.Notice("x");
        QCOMPARE(seen.parent, &owner);

        QWidget working;
        working.show();
        working.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&working));
        AnswerNextBox(seen, QStringLiteral("OK"));
        boxes.Notice("x");
        QCOMPARE(seen.parent, &working);
    }

    // Right after a dialog of the window the user works in closed, such as the question of Adjust
    // values or a file dialog, a box goes over that window and not over the owner: the closed dialog
    // may still count as active.
    void boxesAfterADialogOpenOverTheWindowItBelongsTo() {
        QWidget owner;
        owner.show();
        QtBoxes boxes(&owner);
        QWidget working;
        auto* field = new QLineEdit(&working);  // owned by the window
        working.show();
        working.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&working));
        field->setFocus();
        QDialog question(&working);
        QTimer::singleShot(0, &question, &QDialog::accept);
        question.exec();
        SeenBox seen;
        AnswerNextBox(seen, QStringLiteral("OK"));
        boxes.Notice("3 values changed.");
        QVERIFY(seen.shown);
        QCOMPARE(seen.parent, &working);

        std::vector<bool> ticked;
        AnswerNextBox(seen, QStringLiteral("&Yes"));
        boxes.ConfirmWithChoices("Also change?", {"the lists"}, ticked);
        QCOMPARE(seen.parent, &working);
    }

    void plainBoxAnswersOkOrCancel() {
        QtBoxes boxes(nullptr);
        SeenBox seen;
        AnswerNextBox(seen, QStringLiteral("OK"));
        QCOMPARE(boxes.Plain("Existing File", "Overwrite file ?", true), BoxAnswer::Ok);
        QCOMPARE(seen.caption, QStringLiteral("Existing File"));
        QCOMPARE(seen.buttons, Sorted({"OK", "Cancel"}));
        QCOMPARE(seen.defaultButton, QStringLiteral("OK"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);

        AnswerNextBox(seen, QStringLiteral("Cancel"));
        QCOMPARE(boxes.Plain("Existing File", "Overwrite file ?", true), BoxAnswer::Cancel);
        AnswerNextBox(seen, QString());
        QCOMPARE(boxes.Plain("Existing File", "Overwrite file ?", true), BoxAnswer::Cancel);

        SeenBox single;
        AnswerNextBox(single, QString());
        QCOMPARE(boxes.Plain("Default", "text", false), BoxAnswer::Ok);
        QCOMPARE(single.buttons, QStringList({"OK"}));
    }

    void confirmationAnswersYesNoOrCancel() {
        QtBoxes boxes(nullptr);
        SeenBox seen;
        AnswerNextBox(seen, QStringLiteral("&Yes"));
        QCOMPARE(boxes.Confirm("Save changes to Untitle.ini?"), BoxAnswer::Yes);
        QCOMPARE(seen.caption, QStringLiteral("Confirm"));
        QCOMPARE(seen.text, QStringLiteral("Save changes to Untitle.ini?"));
        QCOMPARE(seen.buttons, Sorted({"&Yes", "&No", "Cancel"}));
        QCOMPARE(seen.defaultButton, QStringLiteral("&Yes"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        AnswerNextBox(seen, QStringLiteral("&No"));
        QCOMPARE(boxes.Confirm("q"), BoxAnswer::No);
        AnswerNextBox(seen, QString());
        QCOMPARE(boxes.Confirm("q"), BoxAnswer::Cancel);
    }

    // The list question gives the button pressed and the item picked; Esc gives the last button.
    void listQuestionGivesTheButtonAndTheItemPicked() {
        QtBoxes boxes(nullptr);
        const std::vector<std::string> items{"/a/one.ini\r\nlast changed at 14:02", "/a/two.ini"};
        const std::vector<std::string> buttons{"&Restore", "&Discard", "&Not Now"};
        QStringList rows;
        QTimer::singleShot(0, qApp, [&rows] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            auto* list = box ? box->findChild<QListWidget*>(QStringLiteral("Choices")) : nullptr;
            if (!list) {
                if (box) box->reject();
                return;
            }
            for (int row = 0; row < list->count(); ++row) rows << list->item(row)->text();
            list->setCurrentRow(1);
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QStringLiteral("&Discard")) button->click();
        });
        velmora::ListAnswer answer = boxes.ChooseFromList("Restore?", items, buttons);
        QCOMPARE(rows, QStringList({"/a/one.ini\nlast changed at 14:02", "/a/two.ini"}));
        QCOMPARE(answer.Button, size_t(1));
        QCOMPARE(answer.Item, size_t(1));

        SeenBox seen;
        AnswerNextBox(seen, QString());
        answer = boxes.ChooseFromList("Restore?", items, buttons);
        QCOMPARE(answer.Button, size_t(2));
        QCOMPARE(answer.Item, size_t(0));
        QCOMPARE(seen.text, QStringLiteral("Restore?"));
        QCOMPARE(seen.defaultButton, QStringLiteral("&Restore"));
    }

    void warningAnswersOkOrIgnore() {
        QtBoxes boxes(nullptr);
        SeenBox seen;
        AnswerNextBox(seen, QStringLiteral("&Ignore"));
        QCOMPARE(boxes.Warning("X in Cat reveals more than once."), BoxAnswer::Ignore);
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QCOMPARE(seen.buttons, Sorted({"OK", "&Ignore"}));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        AnswerNextBox(seen, QStringLiteral("OK"));
        QCOMPARE(boxes.Warning("w"), BoxAnswer::Ok);
        AnswerNextBox(seen, QString());
        QCOMPARE(boxes.Warning("w"), BoxAnswer::Ok);
    }

    void filtersBecomeQtNameFilters() {
        using velmora::QtNameFilters;
        QCOMPARE(QtNameFilters("INI files (*.ini)|*.ini|All files|*.*"),
                 QStringList({"INI files (*.ini)", "All files (*)"}));
        QCOMPARE(QtNameFilters("All file (*.*)|*.*"), QStringList({"All file (*)"}));
        QCOMPARE(QtNameFilters("Texts|*.txt;*.ini"), QStringList({"Texts (*.txt *.ini)"}));
        QCOMPARE(QtNameFilters("Lonely"), QStringList({"Lonely (*)"}));
        QVERIFY(QtNameFilters("").isEmpty());
    }

    void fileDialogsPresetTheNameAndGiveBytes() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string dir = QDir::toNativeSeparators(folder.path()).toLatin1().toStdString();
        const std::string proposed = dir + QDir::separator().toLatin1() + "Caf\xE9.ini";
        QtBoxes boxes(nullptr);

        QStringList filters;
        QString preset;
        HandleNextFileDialog([&](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            preset = dialog.selectedFiles().value(0);
            static_cast<QDialog&>(dialog).accept();  // QFileDialog makes accept() protected
        });
        const auto opened = boxes.OpenFileName("INI files (*.ini)|*.ini|All files|*.*", proposed);
        QCOMPARE(filters, QStringList({"INI files (*.ini)", "All files (*)"}));
        QCOMPARE(QDir::toNativeSeparators(preset), QString::fromLatin1(proposed.c_str()));
        QVERIFY(opened.has_value());
        QCOMPARE(*opened, proposed);  // a file that does not exist yet is a valid answer

        HandleNextFileDialog([](QFileDialog& dialog) { dialog.reject(); });
        QVERIFY(!boxes.SaveFileName("Backup file (*.bak)|*.bak", proposed).has_value());

        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        HandleNextFileDialog([&](QFileDialog& dialog) {
            mode = dialog.acceptMode();
            static_cast<QDialog&>(dialog).accept();  // QFileDialog makes accept() protected
        });
        QCOMPARE(boxes.SaveFileName("All file (*.*)|*.*", proposed).value_or(""), proposed);
        QCOMPARE(mode, QFileDialog::AcceptSave);
    }

    void folderDialogGivesTheFolderAndAScriptedStartIsAnsweredWithoutOne() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string dir = QDir::toNativeSeparators(folder.path()).toLatin1().toStdString();
        QtBoxes boxes(nullptr);

        QString caption;
        QString shownDir;
        bool foldersOnly = false;
        HandleNextFileDialog([&](QFileDialog& dialog) {
            caption = dialog.windowTitle();
            shownDir = dialog.directory().path();
            foldersOnly = dialog.fileMode() == QFileDialog::Directory;
            static_cast<QDialog&>(dialog).accept();  // QFileDialog makes accept() protected
        });
        QCOMPARE(boxes.FolderName("Program Folder", dir).value_or(""), dir);
        QCOMPARE(caption, QStringLiteral("Program Folder"));
        QCOMPARE(shownDir, folder.path());
        QVERIFY(foldersOnly);

        bool shown = false;
        boxes.AnswerFolderQuestionsWith("/srv/pyre");
        HandleNextFileDialog([&](QFileDialog& dialog) {
            shown = true;
            dialog.reject();
        });
        QCOMPARE(boxes.FolderName("Program Folder", dir).value_or(""), std::string("/srv/pyre"));
        QVERIFY(!shown);
    }
};

VELMORA_GUI_TEST(QtBoxesTest)
#include "QtBoxesTest.moc"
