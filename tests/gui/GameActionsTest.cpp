// SPDX-License-Identifier: GPL-3.0-or-later
// The four game buttons on a copy of the sample installation, whose game folder holds the game's
// copies of the rules and a stand-in game program that records each start.

#include <QDir>
#include <QFile>

#include "GuiTestMain.h"
#include "MainWindowHarness.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

const QString SaveQuestion = "Confirm | Confirm | Save changes to Untitle.ini? | &Yes,&No,Cancel";
// The question, which names the program it starts.
QString RunBox(const std::string& program) {
    return "Plain | Run the Game | This will run the Game, and minimize or close the windows.\r\nYour work "
           "might "
           "be lost, save it first.\r\n\r\nContinue?\r\n\r\nProgram: " +
           Latin1(program) + " | OK,Cancel";
}

QString Overwrite(const std::string& name) {
    return "Plain | Existing File | File:\r\n" + Latin1(name) +
           "\r\nis already exist.\r\n\r\nOverwrite file ? | OK,Cancel";
}

QString BackupDialog(const std::string& proposed) {
    return "SaveFile | Backup file (*.bak)|*.bak|All files (*.*)|*.* | " + Latin1(proposed);
}

}  // namespace

class GameActionsTest : public HarnessTest<MainWindowHarness> {
    Q_OBJECT

    void Prepare() override { h->StartOnSample(); }

private slots:
    void loadGameOpensTheGamesCopyOrSaysItIsMissing() {
        const std::string gameCopy = h->folder.Dir() + "game/Rules.ini";
        QVERIFY(h->Click("Load1"));
        QCOMPARE(h->TakeShown(), QStringList());
        QCOMPARE(h->window->Work().Doc().FileName(), gameCopy);
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Rules.ini"));
        QVERIFY(!h->window->Work().Doc().Modified());

        std::filesystem::remove(gameCopy);
        QVERIFY(h->Click("Load1"));
        QCOMPARE(h->TakeShown(),
                 QStringList({"Notice | VelmoraEdit | " + Latin1(gameCopy) + " not exist | OK"}));
        QCOMPARE(h->window->Work().Doc().FileName(), gameCopy);
    }

    void applyWritesTheDocumentAsItIsIntoTheGame() {
        const std::string gameCopy = h->folder.Dir() + "game/Rules.ini";
        const std::string before = h->folder.Read("game/Rules.ini");
        const QString notice =
            "Notice | VelmoraEdit | This will apply current Untitle.ini\r\nto the Game in Rules.ini\r\nYou "
            "may save "
            "your work first.\r\nThis will create Rules.ini in your game directory\r\nor ask to override it, "
            "if it "
            "already exist. | OK";
        h->Edit("GRUNT", "Cost", "999");

        // No to saving, Cancel to overwriting: nothing is written.
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Click("Apply1"));
        QCOMPARE(h->TakeShown(), QStringList({notice, SaveQuestion, Overwrite(gameCopy)}));
        QCOMPARE(h->folder.Read("game/Rules.ini"), before);

        // Cancel to saving stops before the overwrite question.
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Click("Apply1"));
        QCOMPARE(h->TakeShown(), QStringList({notice, SaveQuestion}));

        // OK: the game gets the unsaved content; the document keeps its name and its changes.
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QVERIFY(h->Click("Apply1"));
        h->TakeShown();
        QVERIFY(h->folder.Read("game/Rules.ini").find("Cost=999") != std::string::npos);
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));
        QVERIFY(h->window->Work().Doc().Modified());
    }

    void backupProposesTheBakNameAndAsksAgainAfterARefusedOverwrite() {
        h->Edit("GRUNT", "Cost", "999");
        h->folder.Write("Old.BAK", "old");
        const std::string old = h->folder.File("Old.BAK");
        const std::string fresh = h->folder.File("Fresh.BAK");

        h->boxes.EnqueueFileName(old);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        h->boxes.EnqueueFileName(fresh);
        QVERIFY(h->Click("BackupButton"));
        QCOMPARE(h->TakeShown(),
                 QStringList({BackupDialog("Untitle.BAK"), Overwrite(old), BackupDialog(old)}));
        QCOMPARE(h->folder.Read("Old.BAK"), std::string("old"));
        QVERIFY(h->folder.Read("Fresh.BAK").find("Cost=999") != std::string::npos);
        QCOMPARE(h->window->Work().Doc().FileName(), std::string("Untitle.ini"));
        QVERIFY(h->window->Work().Doc().Modified());

        // Refused again, then the dialog cancelled: the command ends, nothing written.
        h->boxes.EnqueueFileName(old);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        h->boxes.EnqueueFileName(std::nullopt);
        QVERIFY(h->Click("BackupButton"));
        QCOMPARE(h->TakeShown().size(), 3);
        QCOMPARE(h->folder.Read("Old.BAK"), std::string("old"));
    }

    void backupUnderTheDocumentsOwnNameIsRefused() {
        const std::string document = h->folder.File("Mine.ini");
        h->boxes.EnqueueFileName(document);
        QVERIFY(h->Trigger("SaveAs1"));
        h->TakeShown();
        const std::string saved = h->folder.Read("Mine.ini");
        h->Edit("GRUNT", "Cost", "999");

        std::string otherCase = document;
        otherCase.replace(otherCase.size() - 8, 4, "MINE");
        h->boxes.EnqueueFileName(otherCase);
        QVERIFY(h->Click("BackupButton"));
        QCOMPARE(h->TakeShown(),
                 QStringList({BackupDialog(h->folder.File("Mine.BAK")),
                              "Notice | VelmoraEdit | Can not create file: " + Latin1(otherCase) +
                                  "\r\nthe file is the same name with the current file. | OK"}));
        QCOMPARE(h->folder.Read("Mine.ini"), saved);
    }

    void runTheGameAsksThenMinimisesAndStartsIt() {
#ifdef _WIN32
        QSKIP("the sample's stand-in game is a shell script");
#endif
        const QString RunBox = ::RunBox(h->folder.Dir() + "game/Pyre.sh");
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Click("Button1"));
        QCOMPARE(h->TakeShown(), QStringList({RunBox}));
        QVERIFY(!h->window->isMinimized());

        // Cancel at the save question stops before anything is minimised.
        h->Edit("GRUNT", "Cost", "999");
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Click("Button1"));
        QCOMPARE(h->TakeShown(), QStringList({RunBox, SaveQuestion}));
        QVERIFY(!h->window->isMinimized());
        QVERIFY(!h->folder.Exists("game/started.log"));

        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->Click("Button1"));
        QCOMPARE(h->TakeShown(), QStringList({RunBox, SaveQuestion}));
        QVERIFY(h->window->isMinimized());
        QTRY_VERIFY_WITH_TIMEOUT(h->folder.Exists("game/started.log"), 10000);
        // The document stays loaded as it was.
        QVERIFY(h->window->Work().Doc().Modified());
    }

    // A definition file may choose the program; the question says so.
    void aGameThatCannotStartIsNamedWithTheReason() {
        h->folder.Write("Rules.001", "[GeneralSetup]\r\nTheGameExeIs=NoSuchGame.exe\r\n\r\n" +
                                         h->folder.Read("Rules.001"));
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        QVERIFY(h->ChooseFileType("Art.ini"));
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        QVERIFY(h->ChooseFileType("Rules.ini"));
        h->TakeShown();

        const std::string program = h->folder.Dir() + "game/NoSuchGame.exe";
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QVERIFY(h->Click("Button1"));
        QCOMPARE(h->TakeShown(),
                 QStringList({RunBox(program).replace(" | OK,Cancel", " (set by Rules.001) | OK,Cancel"),
                              "Error | VelmoraEdit | The game program could not be started:\r\n" +
                                  Latin1(program) + "\r\nThe file does not exist on this system. | OK"}));
        // Nothing was started, so the editor stays in front of the user.
        QVERIFY(!h->window->isMinimized());
    }
};

VELMORA_GUI_TEST(GameActionsTest)
#include "GameActionsTest.moc"
