// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures: where they are looked up, and what a file that is not a sound bitmap does (a notice,
// no picture, and the load goes on).

#include <QImage>

#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "gui/widgets/Pictures.h"
#include "support/BitmapFiles.h"

using namespace velmora;
using namespace velmora::testing;

Q_DECLARE_METATYPE(std::string)

namespace {

std::string SampleBitmap(const char* name) {
    TempFolder scratch;
    scratch.CopyTree(std::filesystem::path(SourceFolder("samples")) / "Bitmap");
    return scratch.Read(name);
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

class PicturesTest : public HarnessTest<MainWindowHarness> {
    Q_OBJECT

private slots:
    void soundBitmapsOfEveryDepthLoad_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::newRow("sample tile") << SampleBitmap("Bitmap1.bmp") << QSize(120, 80);
        QTest::newRow("sample icon") << SampleBitmap("GRUNTicon.bmp") << QSize(60, 48);
        QImage colours(7, 5, QImage::Format_RGB32);
        colours.fill(Qt::darkCyan);
        QTest::newRow("1 bit") << BitmapFile(colours.convertToFormat(QImage::Format_Mono)) << QSize(7, 5);
        QTest::newRow("8 bits") << BitmapFile(colours.convertToFormat(QImage::Format_Indexed8))
                                << QSize(7, 5);
        QTest::newRow("32 bits") << BitmapFile(colours.convertToFormat(QImage::Format_ARGB32)) << QSize(7, 5);
    }

    void soundBitmapsOfEveryDepthLoad() {
        QFETCH(std::string, bytes);
        QFETCH(QSize, size);
        QVERIFY(IsSaneBitmap(bytes));
        h->folder.Write("Bitmap/Picture.bmp", bytes);
        h->globals.ProgramDir = h->folder.Dir();
        const Picture picture = LoadBitmapFile(h->globals, h->boxes, "Picture.bmp");
        QVERIFY(picture);
        QCOMPARE(picture->size(), size);
        QCOMPARE(h->TakeShown(), QStringList());
    }

    void aFileThatIsNotASoundBitmapGivesTheNoticeAndNoPicture_data() {
        QTest::addColumn<std::string>("bytes");
        const std::string tile = SampleBitmap("Bitmap1.bmp");
        QTest::newRow("text named .bmp") << std::string("[GeneralSetup]\r\nTitle=not a picture\r\n");
        QTest::newRow("empty") << std::string();
        QTest::newRow("signature only") << std::string("BM");
        QTest::newRow("truncated") << tile.substr(0, tile.size() / 2);
        QTest::newRow("last row short") << tile.substr(0, tile.size() - 1);
        std::string wide = tile;
        PutU32(wide, 18, 100000);
        QTest::newRow("huge width") << wide;
        std::string vast = tile;
        PutU32(vast, 18, 8000);
        PutU32(vast, 22, 8000);
        QTest::newRow("vast area") << vast;
        std::string negative = tile;
        PutU32(negative, 18, static_cast<uint32_t>(-120));
        QTest::newRow("negative width") << negative;
        std::string header = tile;
        PutU32(header, 14, 1000);
        QTest::newRow("unknown header") << header;
        std::string offset = tile;
        PutU32(offset, 10, 0xFFFFFFF0u);
        QTest::newRow("pixels past the end") << offset;
    }

    void aFileThatIsNotASoundBitmapGivesTheNoticeAndNoPicture() {
        QFETCH(std::string, bytes);
        QVERIFY(!IsSaneBitmap(bytes));
        h->folder.Write("Bitmap/Bitmap1.bmp", bytes);
        h->Start();

        QCOMPARE(h->TakeShown(),
                 QStringList({"Notice | VelmoraEdit | Error file format in Bitmap1.bmp | OK"}));
        QVERIFY(!h->window->Bitmap1());
        QVERIFY(h->window->centralWidget()->palette().brush(QPalette::Window).textureImage().isNull());
        // The load went on.
        QCOMPARE(h->Grid().Cells(0, 0), std::string("Unknown!"));
        QCOMPARE(h->Text("Panel6"), QStringLiteral("VELMORA EDIT"));
    }

    void thePictureFolderComesBeforeTheProgramFolder() {
        h->folder.Write("Bitmap/Bitmap1.bmp", SampleBitmap("Bitmap1.bmp"));
        h->folder.Write("Bitmap1.bmp", "not a picture");
        h->folder.Write("Bitmap2.bmp", SampleBitmap("Bitmap2.bmp"));
        h->Start();
        QCOMPARE(h->TakeShown(), QStringList());
        QVERIFY(h->window->Bitmap1());
        QCOMPARE(h->window->Bitmap1()->size(), QSize(120, 80));
        QVERIFY(h->window->Bitmap2());  // found in the program folder
        QCOMPARE(h->window->Bitmap2()->size(), QSize(64, 64));
    }

    void aPictureThatCannotBeReadIsReportedAndTheLoadGoesOn() {
        std::filesystem::create_directories(h->folder.Path() / "Bitmap");
        if (!MakeUnreadableFile(h->folder, "Bitmap/Bitmap2.bmp"))
            QSKIP("no file here that exists but cannot be read");
        h->Start();
        QCOMPARE(h->TakeShown(), QStringList({"Error | VelmoraEdit | Cannot open file " +
                                              Latin1(h->folder.Dir() + "Bitmap/Bitmap2.bmp") + " | OK"}));
        QVERIFY(!h->window->Bitmap2());
        QCOMPARE(h->Grid().Cells(0, 0), std::string("Unknown!"));
    }
};

VELMORA_GUI_TEST(PicturesTest)
#include "PicturesTest.moc"
