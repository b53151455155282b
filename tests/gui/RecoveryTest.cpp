// SPDX-License-Identifier: GPL-3.0-or-later
// The window's part in never losing an edit: the recovery copy follows the document's unsaved
// state and belongs to its own copy of the program, copies left by earlier runs are offered as one
// list and restored where they were open, and a file changed by another program is read again or
// asked about, never overwritten unasked.

#include <QLabel>

#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "core/settings/ProgramFolder.h"
#include "core/recovery/RecoveryFile.h"
#include "gui/main/RecoveryKeeper.h"
#include "core/store/PlatformFile.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

// As recorded: the labels' bytes, each shown as a Latin-1 character.
const QString RestoreButtons = Latin1("&Restore,&Discard,&Compare…,&Not Now");
enum : size_t { Restore, Discard, Compare, NotNow };

}  // namespace

class RecoveryTest : public HarnessTest<MainWindowHarness> {
    Q_OBJECT

    void Prepare() override {
        h->StartOnSample();
        m_dir = h->folder.File("recovery");
        h->window->SetRecoveryFolder(m_dir);
    }

    // The fresh document saved as doc.ini, a file of its own.
    std::string SaveAsDoc() {
        const std::string name = h->folder.File("doc.ini");
        h->Edit("GRUNT", "Cost", "150");
        h->boxes.EnqueueFileName(name);
        h->Trigger("SaveAs1");
        h->TakeShown();
        return name;
    }
    std::string Cost() const { return h->window->Work().Doc().Store().ReadString("GRUNT", "Cost", ""); }
    std::string Text() const { return h->window->Work().Doc().Store().RenderText(); }
    // Another program writes the document.
    void WriteFromOutside(const std::string& cost) {
        std::string text = h->folder.Read("doc.ini");
        const size_t at = text.find("Cost=", text.find("[GRUNT]"));
        QVERIFY(at != std::string::npos);
        text.replace(at, text.find("\r\n", at) - at, "Cost=" + cost);
        h->folder.Write("doc.ini", text);
    }
    // The copy a run that ended left behind: written, and no longer held by anyone.
    std::string LeaveCopy(const Recovery& recovery) {
        const std::unique_ptr<RecoveryClaim> claim = RecoveryClaim::TakeNew(m_dir, recovery.Document().Path);
        claim->Write(recovery);
        return claim->FileName();
    }
    // A session of doc.ini whose text is `bytes`.
    static Recovery SessionOf(const std::string& name, const std::string& bytes, const std::string& folder) {
        Recovery recovery;
        recovery.SavedAt = 1;
        recovery.FileType = "Rules.ini";
        recovery.ProgramFolder = folder;
        recovery.Files.push_back({std::string(Recovery::DocumentRole), name, TakeDiskStamp(name), bytes});
        return recovery;
    }

    std::string m_dir;

private slots:
    void theCopyFollowsTheUnsavedState() {
        const std::string name = SaveAsDoc();
        RecoveryKeeper& keeper = h->window->RecoveryCopies();
        QVERIFY(keeper.CurrentFile().empty());

        h->Edit("GRUNT", "Cost", "999");
        QTRY_VERIFY(!keeper.CurrentFile().empty() && platform::IsRegularFile(keeper.CurrentFile()));
        const std::string copy = keeper.CurrentFile();
        keeper.Drain();
        const Recovery recovery = ReadRecoveryFile(copy);
        QCOMPARE(recovery.Document().Path, name);
        QVERIFY(recovery.Document().Loaded.Exists);
        QVERIFY(recovery.Document().Bytes == Text());
        QCOMPARE(recovery.ProgramFolder, h->folder.Dir());

        // Deleted from outside while the program runs: written again.
        QVERIFY(std::filesystem::remove(copy));
        QTRY_VERIFY_WITH_TIMEOUT(platform::IsRegularFile(copy), 3 * RecoveryKeeper::LookForCopyMs);

        h->window->Work().Doc().Undo();  // back where it was saved: nothing left to recover
        QTRY_VERIFY(!platform::IsRegularFile(copy));
        h->window->Work().Doc().Redo();
        QTRY_VERIFY(!keeper.CurrentFile().empty() && platform::IsRegularFile(keeper.CurrentFile()));
        QVERIFY(h->Trigger("Save1"));
        QTRY_VERIFY(RecoveryFiles(m_dir).empty());
        QCOMPARE(h->TakeShown(), QStringList());
    }

    // A second copy of the program finds the first one's copy held: it neither offers it nor
    // deletes it.
    void aCopyOfARunningProgramIsNotOffered() {
        SaveAsDoc();
        h->Edit("GRUNT", "Cost", "999");
        RecoveryKeeper& keeper = h->window->RecoveryCopies();
        QTRY_VERIFY(!keeper.CurrentFile().empty() && platform::IsRegularFile(keeper.CurrentFile()));
        keeper.Drain();

        MainWindowHarness second;
        second.StartOnSample();
        second.window->SetRecoveryFolder(m_dir);
        second.window->OfferRecoveries();
        QCOMPARE(second.TakeShown(), QStringList());
        QVERIFY(platform::IsRegularFile(keeper.CurrentFile()));
    }

    // An unreadable copy is reported and kept, whatever name it has: later copies and saves of the
    // document it would have named leave it alone.
    void aCopyLeftByAnEarlierRunIsRestored() {
        const std::string name = SaveAsDoc();
        const std::string saved = h->folder.Read("doc.ini");
        std::string edited = saved;
        edited.replace(edited.find("Cost=150"), 8, "Cost=4321");
        const std::string damaged = RecoveryFileName(m_dir, name);
        std::filesystem::create_directories(m_dir);
        const std::string damagedName = std::filesystem::path(damaged).filename().string();
        h->folder.Write("recovery/" + damagedName, "VelmoraEdit recovery 2\ncut");
        const std::string copy = LeaveCopy(SessionOf(name, edited, h->folder.Dir()));

        h->boxes.EnqueueListChoice(Restore, 0);
        h->window->OfferRecoveries();
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].startsWith("Error") && shown[0].contains(Latin1(damaged)), qPrintable(shown[0]));
        const QString question = QStringLiteral("Confirm | Confirm | VelmoraEdit closed before doc.ini was saved. "
                                                "Restore the unsaved changes?\r\n* ") +
                                 Latin1(name) + QStringLiteral("\r\nlast changed ");
        QVERIFY2(shown[1].startsWith(question), qPrintable(shown[1]));
        QVERIFY2(shown[1].endsWith(", as Rules.ini in the program folder " + Latin1(h->folder.Dir()) + " | " +
                                   RestoreButtons),
                 qPrintable(shown[1]));
        QVERIFY(Text() == edited);
        QVERIFY(h->window->Work().Doc().Modified());
        QVERIFY(!h->window->Work().Doc().CanUndo());
        QCOMPARE(h->window->RecoveryCopies().CurrentFile(), copy);

        h->Edit("GRUNT", "Cost", "4322");
        QTRY_VERIFY(ReadRecoveryFile(copy).Document().Bytes == Text());
        QVERIFY(h->Trigger("Save1"));
        QVERIFY(h->folder.Read("doc.ini") == Text());
        QTRY_VERIFY(!platform::IsRegularFile(copy));
        h->window->RecoveryCopies().Drain();
        QCOMPARE(RecoveryFiles(m_dir), std::vector<std::string>{damaged});
        QVERIFY(platform::ReadWholeFile(damaged) == "VelmoraEdit recovery 2\ncut");
    }

    // Several copies come as one list; Escape is "not now": every copy stays, to be asked about
    // at the next start.
    void severalCopiesComeAsOneList() {
        const std::string name = SaveAsDoc();
        const std::string saved = h->folder.Read("doc.ini");
        Recovery later = SessionOf(name, saved + "; one\r\n", h->folder.Dir());
        later.SavedAt = 2;
        const std::string first = LeaveCopy(later);
        Recovery kept = SessionOf(name, saved + "; two\r\n", h->folder.Dir());
        kept.Kept = std::string(Recovery::KeptOnReload);
        const std::string second = LeaveCopy(kept);

        h->boxes.EnqueueListChoice(NotNow, 1);
        h->window->OfferRecoveries();
        QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 1);
        // The latest first.
        QVERIFY2(shown[0].startsWith("Confirm | Confirm | Unsaved changes of 2 documents were kept. Choose the "
                                     "changes to restore:\r\n* " +
                                     Latin1(name) + "\r\nlast changed "),
                 qPrintable(shown[0]));
        QVERIFY2(shown[0].contains("\r\n* " + Latin1(name) + "\r\nkept when the file was read again from disk "),
                 qPrintable(shown[0]));
        QVERIFY(shown[0].endsWith(" | " + RestoreButtons));
        QVERIFY(!h->window->Work().Doc().Modified());
        QCOMPARE(RecoveryFiles(m_dir).size(), size_t(2));

        // Asked again: Discard takes the one picked and asks about the rest.
        h->boxes.EnqueueListChoice(Discard, 0);
        h->boxes.EnqueueListChoice(Compare, 0);
        h->window->OfferRecoveries();
        shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[1].startsWith("Confirm | Confirm | Your changes to doc.ini were kept when the file was read "
                                     "again from disk. Restore them?"),
                 qPrintable(shown[1]));
        QVERIFY(Text() == saved + "; two\r\n");
        QTRY_VERIFY(!platform::IsRegularFile(first));
        QCOMPARE(h->window->RecoveryCopies().CurrentFile(), second);
        auto* changes = h->window->findChild<QWidget*>(QStringLiteral("ChangesWindow"));
        QVERIFY(changes && changes->isVisible());
    }

    // A start on a document asks about its copies as it opens and then about the others only:
    // Not Now on the first question is not asked again at once.
    void aDocumentNamedAtTheStartIsAskedAboutOnce() {
        const std::string name = SaveAsDoc();
        const std::string saved = h->folder.Read("doc.ini");
        LeaveCopy(SessionOf(name, saved + "; mine\r\n", h->folder.Dir()));
        const std::string other = h->folder.File("other.ini");
        LeaveCopy(SessionOf(other, saved, h->folder.Dir()));

        h->boxes.EnqueueListChoice(NotNow, 0);
        h->boxes.EnqueueListChoice(NotNow, 0);
        h->window->OpenAtStart(name);
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].contains("before doc.ini was saved") && !shown[0].contains("other.ini"),
                 qPrintable(shown[0]));
        QVERIFY2(shown[1].contains("before other.ini was saved") && !shown[1].contains("doc.ini"),
                 qPrintable(shown[1]));
        QCOMPARE(RecoveryFiles(m_dir).size(), size_t(2));
    }

    // A session comes back in the program folder and kind of file it was open under.
    void aSessionComesBackWhereItWasOpen() {
        TempFolder other;
        other.CopyTree(SourceFolder("samples"));
        Globals otherGlobals;
        Workspace session(otherGlobals, h->boxes);
        session.StartUp(other.Dir());
        session.ChooseFileType("Art.ini");
        session.BeginToLoadNONBASIC();
        other.Write("mods/ArtMod.ini", other.Read("Art.INI"));
        session.BeginCopyDefaultOrLoadINItoCurrentBuffer(other.File("mods/ArtMod.ini"), false);
        session.Doc().SetValue("FIREBALL", "PlayRate", "99");
        LeaveCopy(RecoveryOfSession(session, 1));
        h->TakeShown();

        h->boxes.EnqueueListChoice(Restore, 0);
        h->window->OfferRecoveries();
        QVERIFY(h->TakeShown().first().contains(" in the program folder " + Latin1(other.Dir())));
        QCOMPARE(h->window->Work().G().ProgramDir, other.Dir());
        QCOMPARE(h->window->Work().FileToEdit(), std::string("Art.ini"));
        QCOMPARE(h->window->Work().CategoryRows(), session.CategoryRows());
        QVERIFY(Text() == session.Doc().Store().RenderText());
        QCOMPARE(h->window->windowTitle(), Latin1(other.File("mods/ArtMod.ini")) + QStringLiteral("[*]"));
        bool artMarked = false;
        for (QAction* item : h->FileTypeMenu().actions())
            if (item->isChecked()) artMarked = item->text() == QStringLiteral("Art.ini");
        QVERIFY(artMarked);
        EnterProgramFolder(h->folder.Dir());
    }

    // A failed Save As leaves the document under its name: the title, the next save and the
    // recovery copy keep it.
    void aFailedSaveAsKeepsTheOldName() {
        const std::string name = SaveAsDoc();
        h->Edit("GRUNT", "Cost", "777");
        const std::string nope = h->folder.File("nope/New.ini");
        h->boxes.EnqueueFileName(nope);
        QVERIFY(h->Trigger("SaveAs1"));
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[1].startsWith("Error | VelmoraEdit | Cannot create file " + Latin1(nope)), qPrintable(shown[1]));
        QCOMPARE(h->window->Work().Doc().FileName(), name);
        QCOMPARE(h->window->windowTitle(), Latin1(name) + QStringLiteral("[*]"));
        QCOMPARE(h->Text("Panel1"), QStringLiteral("doc.ini"));

        RecoveryKeeper& keeper = h->window->RecoveryCopies();
        QTRY_VERIFY(!keeper.CurrentFile().empty() && platform::IsRegularFile(keeper.CurrentFile()));
        keeper.Drain();
        QCOMPARE(ReadRecoveryFile(keeper.CurrentFile()).Document().Path, name);
        QVERIFY(h->Trigger("Save1"));
        QVERIFY(h->folder.Read("doc.ini").find("Cost=777") != std::string::npos);
        QCOMPARE(h->TakeShown(), QStringList());
    }

    // When no copy can be written, the status line says so at every edit; the box comes once.
    void aCopyThatCannotBeWrittenIsToldAtEveryEdit() {
        h->folder.Write("blocked", "a file where the folder would be");
        h->window->SetRecoveryFolder(h->folder.File("blocked/recovery"));
        auto* status = h->Find<QLabel>("Panel5");
        h->Edit("GRUNT", "Cost", "1");
        QTRY_VERIFY(status->text().contains("The recovery copy could not be written"));
        QCOMPARE(h->TakeShown().size(), 1);
        status->clear();
        h->Edit("GRUNT", "Cost", "2");
        QTRY_VERIFY(status->text().contains("The recovery copy could not be written"));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void aFileChangedOnDiskIsReadAgainOrAskedAbout() {
        SaveAsDoc();
        // Unmodified: read again at once.
        WriteFromOutside("555");
        QTRY_COMPARE(Cost(), std::string("555"));
        QVERIFY(!h->window->Work().Doc().Modified());
        QVERIFY(h->Text("Panel5").contains("read again"));

        // Modified: asked; Keep Mine keeps ours, and the save asks once more before it overwrites.
        h->Edit("GRUNT", "Cost", "1");
        WriteFromOutside("666");
        h->boxes.EnqueueChoice(1);
        QTRY_VERIFY(!h->boxes.Shown().empty());
        QCOMPARE(h->TakeShown(), QStringList({Latin1("Confirm | Confirm | doc.ini was changed by another "
                                                         "program. | &Reload,&Keep Mine,&Compare…")}));
        QCOMPARE(Cost(), std::string("1"));
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->Trigger("Save1"));
        QCOMPARE(h->TakeShown().size(), 1);
        QVERIFY(h->folder.Read("doc.ini").find("Cost=666") != std::string::npos);

        // Reload: theirs comes in, ours is kept in a recovery file of its own.
        WriteFromOutside("777");
        h->boxes.EnqueueChoice(0);
        QTRY_COMPARE(Cost(), std::string("777"));
        QVERIFY(!h->window->Work().Doc().Modified());
        h->window->RecoveryCopies().Drain();
        const std::vector<std::string> kept = RecoveryFiles(m_dir);
        QCOMPARE(kept.size(), size_t(1));
        const Recovery keptCopy = ReadRecoveryFile(kept.front());
        QCOMPARE(keptCopy.Document().Path, h->folder.File("doc.ini"));
        QCOMPARE(keptCopy.Kept, std::string(Recovery::KeptOnReload));
        QVERIFY(keptCopy.Document().Bytes.find("Cost=1\r\n") != std::string::npos);
    }
};

VELMORA_GUI_TEST(RecoveryTest)
#include "RecoveryTest.moc"
