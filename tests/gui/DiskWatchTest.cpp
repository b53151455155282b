// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's watch on its files: the editor's own writes are not taken for another
// program's, each file keeps the choice made about it, a file deleted and made again is watched
// again, and a file another program is still writing is not read half-way.

#include <filesystem>

#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "core/entries/EntryOperations.h"
#include "gui/main/DiskWatch.h"

using namespace velmora;
using namespace velmora::testing;

class DiskWatchTest : public HarnessTest<MainWindowHarness> {
    Q_OBJECT

    void Prepare() override {
        h->CopySample();
        // A section no category claims: the start updates the definition file.
        h->folder.Write("Rules.INI", h->folder.Read("Rules.INI") + "[Mystery]\r\nx=1\r\n");
        h->Start();
        QCOMPARE(h->TakeShown(), QStringList({"Notice | VelmoraEdit | Rules.001 not exist or will be updated.\r\n"
                                              "Updating will perform. | OK"}));
        h->window->findChild<DiskWatch*>()->SetWaits(20, 300);
    }

    // The fresh document saved as doc.ini, a file of its own.
    void SaveAsDoc() {
        h->Edit("GRUNT", "Cost", "150");
        h->boxes.EnqueueFileName(h->folder.File("doc.ini"));
        QVERIFY(h->Trigger("SaveAs1"));
        QCOMPARE(h->TakeShown().size(), 1);
        m_saved = h->folder.Read("doc.ini");
    }
    std::string Cost() const { return h->window->Work().Doc().Store().ReadString("GRUNT", "Cost", ""); }
    QString Status() const { return h->Text("Panel5"); }
    // Another program writes doc.ini as saved with GRUNT's cost replaced; with `halfWay`, it has
    // written only up to the middle of that line so far.
    void WriteFromOutside(const std::string& cost, bool halfWay = false) {
        std::string text = m_saved;
        const size_t at = text.find("Cost=", text.find("[GRUNT]"));
        text.replace(at, text.find("\r\n", at) - at, "Cost=" + cost);
        h->folder.Write("doc.ini", halfWay ? text.substr(0, at + 6) : text);
    }
    void ChangeDefinitionFromOutside(const std::string& line) {
        h->folder.Write("Rules.001", h->folder.Read("Rules.001") + line + "\r\n");
    }
    void Duplicate() {
        EntryOperations(h->window->Work(), "Weapons", 1)
            .DuplicateOrChangeCode("RIFLE", "D1RIFLE", std::nullopt, true);
    }

    // The boxes shown once the first comes.
    QStringList Asked() {
        if (!QTest::qWaitFor([this] { return !h->boxes.Shown().empty(); })) return {};
        return h->TakeShown();
    }
    static constexpr const char* DefinitionQuestion =
        "Confirm | Confirm | Rules.001 was changed by another program. | &Reload,&Keep Mine";
    static QString DocumentQuestion() {
        return Latin1("Confirm | Confirm | doc.ini was changed by another program. | &Reload,&Keep Mine,&Compare…");
    }

    std::string m_saved;

private slots:
    void theEditorsOwnWritesAreNotTakenForAnotherProgramsChange() {
        SaveAsDoc();
        WriteFromOutside("555");
        QTRY_COMPARE(Cost(), std::string("555"));
        QCOMPARE(Status(), QStringLiteral("doc.ini was changed by another program and has been read again."));

        // A save after a duplicate writes the definition file too, and asks nothing.
        Duplicate();
        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown(), QStringList());
        QVERIFY(h->folder.Read("Rules.001").find("=D1RIFLE\r\n") != std::string::npos);
        WriteFromOutside("556");
        QTRY_COMPARE(Cost(), std::string("556"));
        QCOMPARE(Status(), QStringLiteral("doc.ini was changed by another program and has been read again."));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void eachFileKeepsTheChoiceMadeAboutIt() {
        SaveAsDoc();
        Duplicate();  // unsaved, in both files
        h->boxes.EnqueueChoice(1);  // Keep Mine
        WriteFromOutside("666");
        QCOMPARE(Asked(), QStringList({DocumentQuestion()}));
        h->boxes.EnqueueChoice(1);
        ChangeDefinitionFromOutside("; theirs");
        QCOMPARE(Asked(), QStringList({DefinitionQuestion}));
        // Another change of the definition file is asked about; the document's kept version is not.
        h->boxes.EnqueueChoice(1);
        ChangeDefinitionFromOutside("; theirs again");
        QCOMPARE(Asked(), QStringList({DefinitionQuestion}));
        QCOMPARE(Cost(), std::string("150"));
        QCOMPARE(h->boxes.PendingAnswers(), size_t(0));
    }

    void aFileDeletedAndMadeAgainIsWatchedAgain() {
        SaveAsDoc();
        std::filesystem::remove(h->folder.Path() / "doc.ini");
        QTRY_COMPARE(Status(), QStringLiteral("doc.ini was deleted by another program. Save writes it again."));
        QVERIFY(h->window->Work().Doc().Modified());

        // Made again: read, as the user had made no change of their own, and watched from then on.
        WriteFromOutside("777");
        QTRY_COMPARE(Cost(), std::string("777"));
        QVERIFY(!h->window->Work().Doc().Modified());
        WriteFromOutside("778");
        QTRY_COMPARE(Cost(), std::string("778"));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void aFileStillBeingWrittenIsNotReadOverUnsavedChanges() {
        SaveAsDoc();
        h->Edit("GRUNT", "Armor", "heavy");
        // Part of the file, then a pause: the text ends in the middle of a line.
        WriteFromOutside("888", true);
        QTRY_VERIFY(Status().contains(QLatin1String("ends in the middle of a line")));
        QCOMPARE(h->TakeShown(), QStringList());
        QCOMPARE(Cost(), std::string("150"));
        QVERIFY(h->window->Work().Doc().Modified());

        // The rest comes: the whole file is asked about.
        h->boxes.EnqueueChoice(0);  // Reload
        WriteFromOutside("888");
        QCOMPARE(Asked(), QStringList({DocumentQuestion()}));
        QCOMPARE(Cost(), std::string("888"));
    }

    // With a mod open, the kinds not shown are watched too: one is read again alone when it holds
    // no change of the user's, and asked about, named, when it does.
    void theKindsOfAModNotShownAreWatchedToo() {
        h->boxes.EnqueueFileName(h->folder.File("mods/cinderfall"));
        QVERIFY(h->Trigger("OpenModFolder1"));
        h->TakeShown();
        EditingSession& session = *h->window->Session();
        const auto frames = [&session] {
            return session.KindWork("Art.ini")->Doc().Store().ReadString("FIREBALL", "LastFrame", "");
        };
        const std::string art = h->folder.Read("mods/cinderfall/Art.ini");
        const auto writeArt = [this, &art](const std::string& lastFrame) {
            std::string text = art;
            const size_t at = text.find("LastFrame=", text.find("[FIREBALL]"));
            text.replace(at, text.find("\r\n", at) - at, "LastFrame=" + lastFrame);
            h->folder.Write("mods/cinderfall/Art.ini", text);
        };
        writeArt("25");
        QTRY_COMPARE(frames(), std::string("25"));
        QCOMPARE(Status(), QStringLiteral("Art.ini was changed by another program and has been read again."));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Rules.ini"));

        QVERIFY(h->ChooseFileType(QStringLiteral("Art.ini")));
        h->Edit("FIREBALL", "LastFrame", "30");
        QVERIFY(h->ChooseFileType(QStringLiteral("Rules.ini")));
        const QStringList question = {QStringLiteral(
            "Confirm | Confirm | Art.ini was changed by another program. Read it again, or keep your changes to "
            "it? | &Reload,&Keep Mine")};
        h->boxes.EnqueueChoice(1);  // Keep Mine
        writeArt("26");
        QCOMPARE(Asked(), question);
        QCOMPARE(frames(), std::string("30"));
        h->boxes.EnqueueChoice(0);  // Reload
        writeArt("27");
        QCOMPARE(Asked(), question);
        QCOMPARE(frames(), std::string("27"));
        QVERIFY(!session.KindWork("Art.ini")->Doc().Modified());
    }
};

VELMORA_GUI_TEST(DiskWatchTest)
#include "DiskWatchTest.moc"
