// SPDX-License-Identifier: GPL-3.0-or-later
// The entries' pictures in a category window: which files an entry shows, drawn unscaled at (5, 5)
// over the Bitmap1 background and cut at the areas' edges, bad files announced at every filling,
// and pictures read from disk only when the entry list is filled.

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "core/store/IniError.h"
#include "gui/category/EntryPictures.h"
#include "support/BitmapFiles.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

using H = CategoryWindowHarness;

const QColor Background(0, 0, 255);
const QColor Own(255, 0, 0);
const QColor Icon(0, 160, 0);
const QColor Shared(255, 255, 0);
const QColor Big(255, 0, 255);
const QColor Root(0, 255, 255);

// Entry rows of the category Pics.
enum Row { OWN, ICONONLY, FALLBACK, MISSINGIMG, NOIMAGE, BIG, BAD, TRUNC, LIAR, ROOTPIC, LOWER };

const std::string Definition =
    "[AllSections]\r\nPics=0,Look\r\n\r\n[Look]\r\nName=Name.\r\nImage=Picture.\r\n";
const std::string Defaults =
    "[Pics]\r\n1=OWN\r\n2=ICONONLY\r\n3=FALLBACK\r\n4=MISSINGIMG\r\n5=NOIMAGE\r\n6=BIG\r\n7=BAD\r\n"
    "8=TRUNC\r\n9=LIAR\r\n10=ROOTPIC\r\n11=LOWER\r\n"
    "\r\n[OWN]\r\nName=Own pictures\r\nImage=SHARED\r\n"
    "\r\n[ICONONLY]\r\nName=Icon only\r\n"
    "\r\n[FALLBACK]\r\nImage=SHARED ; drawn like the others\r\n"
    "\r\n[MISSINGIMG]\r\nImage=NOFILE\r\n"
    "\r\n[NOIMAGE]\r\nName=Nothing\r\n"
    "\r\n[BIG]\r\n\r\n[BAD]\r\n\r\n[TRUNC]\r\n\r\n[LIAR]\r\n\r\n[ROOTPIC]\r\n\r\n[LOWER]\r\n";

}  // namespace

class EntryPicturesTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    void WritePictures(bool withBackground) {
        if (withBackground) h->folder.Write("Bitmap/Bitmap1.bmp", BitmapFile({120, 80}, Background));
        h->folder.Write("Bitmap/OWN.bmp", BitmapFile({20, 10}, Own));
        h->folder.Write("Bitmap/OWNicon.bmp", BitmapFile({8, 8}, Icon));
        h->folder.Write("Bitmap/ICONONLYicon.bmp", BitmapFile({8, 8}, Icon));
        h->folder.Write("Bitmap/SHARED.bmp", BitmapFile({10, 10}, Shared));
        h->folder.Write("Bitmap/BIG.bmp", BitmapFile({200, 150}, Big));
        h->folder.Write("Bitmap/BAD.bmp", "[Not]\r\nA=picture\r\n");
        const std::string sound = BitmapFile({30, 30}, Own);
        h->folder.Write("Bitmap/TRUNC.bmp", sound.substr(0, sound.size() / 2));
        std::string liar = sound;
        liar[22] = '\x7F';  // claims 127 rows; the file holds 30
        h->folder.Write("Bitmap/LIAR.bmp", liar);
        h->folder.Write("ROOTPIC.bmp", BitmapFile({6, 6}, Root));
        h->folder.Write("Bitmap/lower.bmp", BitmapFile({6, 6}, Root));
    }

    CategoryWindow* OpenPics(bool withBackground = true) {
        WritePictures(withBackground);
        h->StartWith(H::Settings(true), Definition, Defaults);
        h->TakeShown();
        return h->Open(0);
    }

    static QStringList BadFileNotices() {
        return {"Notice | VelmoraEdit | Error file format in BAD.bmp | OK",
                "Notice | VelmoraEdit | Error file format in TRUNC.bmp | OK",
                "Notice | VelmoraEdit | Error file format in LIAR.bmp | OK"};
    }

  private slots:
    void eachEntryShowsItsPictures_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QColor>("picture");  // at (5, 5) of the upper area
        QTest::addColumn<QColor>("icon");     // at (5, 5) of the lower area
        QTest::newRow("own picture and icon, Image not used") << int(OWN) << Own << Icon;
        QTest::newRow("icon only") << int(ICONONLY) << Background << Icon;
        QTest::newRow("Image names the picture") << int(FALLBACK) << Shared << Background;
        QTest::newRow("Image names a missing file") << int(MISSINGIMG) << Background << Background;
        QTest::newRow("no pictures, no Image") << int(NOIMAGE) << Background << Background;
        QTest::newRow("not a bitmap") << int(BAD) << Background << Background;
        QTest::newRow("in the program folder") << int(ROOTPIC) << Root << Background;
        QTest::newRow("name in other letter case") << int(LOWER) << Root << Background;
    }

    void eachEntryShowsItsPictures() {
        QFETCH(int, row);
        QFETCH(QColor, picture);
        QFETCH(QColor, icon);
        CategoryWindow* w = OpenPics();
        QCOMPARE(h->TakeShown(), BadFileNotices());
        w->FocusEntryRow(row);

        const QLabel& upper = H::In<QLabel>(w, "Image1");
        const QLabel& lower = H::In<QLabel>(w, "Image2");
        QCOMPARE(upper.pixmap().size(), QSize(117, 71));
        QCOMPARE(lower.pixmap().size(), QSize(117, 79));
        QCOMPARE(PixelAt(upper, 5, 5), picture);
        QCOMPARE(PixelAt(lower, 5, 5), icon);
        // The pictures start at (5, 5): the background shows above and to the left.
        QCOMPARE(PixelAt(upper, 4, 4), Background);
        QCOMPARE(PixelAt(lower, 4, 4), Background);
    }

    void aPictureLargerThanItsAreaIsCutAtTheEdges() {
        CategoryWindow* w = OpenPics();
        h->TakeShown();
        w->FocusEntryRow(BIG);
        const QLabel& upper = H::In<QLabel>(w, "Image1");
        QCOMPARE(upper.pixmap().size(), QSize(117, 71));
        QCOMPARE(PixelAt(upper, 5, 5), Big);
        QCOMPARE(PixelAt(upper, 116, 70), Big);
        QCOMPARE(PixelAt(upper, 116, 4), Background);
        QCOMPARE(PixelAt(upper, 4, 70), Background);

        // An own picture smaller than the area leaves the background around it.
        w->FocusEntryRow(OWN);
        QCOMPARE(PixelAt(upper, 24, 14), Own);
        QCOMPARE(PixelAt(upper, 25, 14), Background);
        QCOMPARE(PixelAt(upper, 24, 15), Background);
    }

    void badBitmapsAreAnnouncedAtEveryFilling() {
        CategoryWindow* w = OpenPics();
        QCOMPARE(h->TakeShown(), BadFileNotices());
        w->FocusEntryRow(TRUNC);  // selecting only draws what was loaded
        w->FocusEntryRow(LIAR);
        QCOMPARE(h->TakeShown(), QStringList());
        w->RefillEntryGrid();
        QCOMPARE(h->TakeShown(), BadFileNotices());

        QVERIFY(w->close());
        QVERIFY(h->Open(0));
        QCOMPARE(h->TakeShown(), BadFileNotices());
    }

    void withoutBitmap1TheAreasStartEmpty() {
        CategoryWindow* w = OpenPics(false);
        h->TakeShown();
        const QLabel& upper = H::In<QLabel>(w, "Image1");
        const QLabel& lower = H::In<QLabel>(w, "Image2");
        QCOMPARE(upper.pixmap().size(), QSize(117, 71));
        QCOMPARE(PixelAt(upper, 5, 5), Own);
        QCOMPARE(PixelAt(upper, 0, 0).alpha(), 0);
        w->FocusEntryRow(NOIMAGE);
        QVERIFY(upper.pixmap().isNull());
        QVERIFY(lower.pixmap().isNull());
    }

    void changingTheImageReplacesTheRowsPictures() {
        CategoryWindow* w = OpenPics();
        h->TakeShown();
        const QLabel& upper = H::In<QLabel>(w, "Image1");
        const QLabel& lower = H::In<QLabel>(w, "Image2");

        // The new picture alone, even where the code has files of its own.
        w->Pictures().ChangeTheImage(OWN, "SHARED");
        w->Pictures().ShowTheImage(OWN);
        QCOMPARE(PixelAt(upper, 5, 5), Shared);
        QCOMPARE(PixelAt(lower, 5, 5), Background);
        w->Pictures().ChangeTheImage(OWN, "NOFILE");
        w->Pictures().ShowTheImage(OWN);
        QCOMPARE(PixelAt(upper, 5, 5), Background);
        QCOMPARE(h->TakeShown(), QStringList());

        // The next filling brings the code's own pictures back.
        w->RefillEntryGrid();
        w->Pictures().ShowTheImage(OWN);
        QCOMPARE(PixelAt(upper, 5, 5), Own);
        QCOMPARE(PixelAt(lower, 5, 5), Icon);
        QCOMPARE(h->TakeShown(), BadFileNotices());

        QVERIFY_THROWS_EXCEPTION(IniError, w->Pictures().ChangeTheImage(LOWER + 1, "SHARED"));
    }

    void picturesAreReadOnlyWhenTheListIsFilled() {
        CategoryWindow* w = OpenPics();
        h->TakeShown();
        const QLabel& upper = H::In<QLabel>(w, "Image1");
        std::filesystem::remove(h->folder.Path() / "Bitmap" / "OWN.bmp");
        w->FocusEntryRow(NOIMAGE);
        w->FocusEntryRow(OWN);
        QCOMPARE(PixelAt(upper, 5, 5), Own);

        w->RefillEntryGrid();
        w->Pictures().ShowTheImage(OWN);
        QCOMPARE(PixelAt(upper, 5, 5), Background);
        QCOMPARE(PixelAt(H::In<QLabel>(w, "Image2"), 5, 5), Icon);
        h->TakeShown();
    }
};

VELMORA_GUI_TEST(EntryPicturesTest)
#include "EntryPicturesTest.moc"
