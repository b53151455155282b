// SPDX-License-Identifier: GPL-3.0-or-later
// The window's part in never losing an edit: the recovery copy follows the document's unsaved
// state, a copy left by an earlier run is offered and restored, and a file changed by another
// program is read again or asked about, never overwritten unasked.

#include "MainWindowHarness.h"
#include "core/catalogue/RecoveryFile.h"
#include "gui/main/RecoveryKeeper.h"
#include "core/store/PlatformFile.h"

using namespace velmora;
using namespace velmora::testing;

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

    std::string m_dir;

private slots:
    void theCopyFollowsTheUnsavedState() {
        const std::string name = SaveAsDoc();
        const std::string copy = RecoveryFileName(m_dir, name);
        QVERIFY(!platform::IsRegularFile(copy));

        h->Edit("GRUNT", "Cost", "999");
        QTRY_VERIFY(platform::IsRegularFile(copy));
        h->window->RecoveryCopies().Drain();
        const Recovery recovery = ReadRecoveryFile(copy);
        QCOMPARE(recovery.Record.DocumentPath, name);
        QVERIFY(recovery.Record.Loaded.Exists);
        QVERIFY(recovery.Bytes == Text());

        h->window->Work().Doc().Undo();  // back where it was saved: nothing left to recover
        QTRY_VERIFY(!platform::IsRegularFile(copy));
        h->window->Work().Doc().Redo();
        QTRY_VERIFY(platform::IsRegularFile(copy));
        QVERIFY(h->Trigger("Save1"));
        QTRY_VERIFY(!platform::IsRegularFile(copy));
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void aCopyLeftByAnEarlierRunIsRestored() {
        const std::string name = SaveAsDoc();
        const std::string saved = h->folder.Read("doc.ini");
        std::string edited = saved;
        edited.replace(edited.find("Cost=150"), 8, "Cost=4321");
        const std::string copy = RecoveryFileName(m_dir, name);
        WriteRecoveryFile(copy, {name, TakeDiskStamp(name), 1}, edited);
        h->folder.Write("recovery/recovery-0.velrec", "VelmoraEdit recovery 1\ncut short");

        h->boxes.EnqueueChoice(0);  // Restore
        h->window->OfferRecoveries();
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].startsWith("Error") && shown[0].contains("recovery-0.velrec"), qPrintable(shown[0]));
        QCOMPARE(shown[1], Latin1("Confirm | Confirm | VelmoraEdit closed before doc.ini was saved. Restore the "
                                  "unsaved changes? | &Restore,&Discard,&Compare…"));
        QVERIFY(Text() == edited);
        QVERIFY(h->window->Work().Doc().Modified());
        QVERIFY(!h->window->Work().Doc().CanUndo());
        QVERIFY(h->folder.Exists("recovery/recovery-0.velrec"));  // unreadable, so kept

        QVERIFY(h->Trigger("Save1"));
        QVERIFY(h->folder.Read("doc.ini") == edited);
        QTRY_VERIFY(!platform::IsRegularFile(copy));
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
        QCOMPARE(ReadRecoveryFile(kept.front()).Record.DocumentPath, h->folder.File("doc.ini"));
        QVERIFY(ReadRecoveryFile(kept.front()).Bytes.find("Cost=1\r\n") != std::string::npos);
    }
};

QTEST_MAIN(RecoveryTest)
#include "RecoveryTest.moc"
