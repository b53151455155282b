// SPDX-License-Identifier: GPL-3.0-or-later
// The Check the Mod window's wiring on the sample mod: its rows and summary come from the core's
// live check, follow an edit and its undo, and a double-click asks for the finding's spot. What
// the check finds is tested in the core.

#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "GuiTestMain.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/session/ModSession.h"
#include "gui/modcheck/ModCheckWindow.h"
#include "support/ScriptedBoxes.h"
#include "support/SourceFolder.h"
#include "support/TempFolder.h"

namespace velmora::testing {

class ModCheckWindowTest : public QObject {
    Q_OBJECT

private slots:
    void RowsAndSummaryFollowTheEditsOfEveryKindAndADoubleClickAsksForTheSpot() {
        TempFolder folder;
        folder.CopyTree(SourceFolder("samples"));
        ScriptedBoxes boxes;
        ModSession session(boxes, false);
        session.OpenMod(folder.Dir(), folder.File("mods/cinderfall/"));
        QWidget owner;
        ModCheckWindow window(owner, session.Check());
        window.show();
        QTableView& view = window.View();
        const auto summary = [&window] { return window.findChild<QLabel*>(QStringLiteral("Summary"))->text(); };
        QCOMPARE(view.model()->rowCount(), 0);
        QCOMPARE(summary(), QStringLiteral("No problems found"));

        // A sound the rules name, renamed in the sound file alone.
        ScriptedEdits sound(*session.Find("Sound.ini")->Work);
        sound.Run("rename\tEffects\tSquish\tSquash");
        QTRY_COMPARE(view.model()->rowCount(), 1);
        QCOMPARE(summary(), QStringLiteral("1 will crash"));
        const auto cell = [&view](int column) { return view.model()->index(0, column).data().toString(); };
        QCOMPARE(cell(0), QStringLiteral("will crash"));
        QCOMPARE(cell(1), QStringLiteral("Rules.ini"));
        QCOMPARE(cell(3), QStringLiteral("TANKL"));
        QCOMPARE(cell(4), QStringLiteral("CrushSound"));
        QCOMPARE(cell(5), QStringLiteral("Squish"));

        QSignalSpy spot(&window, &ModCheckWindow::spotRequested);
        const QRect rect = view.visualRect(view.model()->index(0, 3));
        // A double-click counts on the row its first press went to.
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(spot.count(), 1);
        const QList<QVariant> arguments = spot.takeFirst();
        QCOMPARE(arguments.at(0).toInt(), 0);
        QCOMPARE(arguments.at(1).toString(), QStringLiteral("Rules.ini"));
        QCOMPARE(arguments.at(2).toString(), QStringLiteral("TANKL"));
        QCOMPARE(arguments.at(3).toString(), QStringLiteral("CrushSound"));
        QCOMPARE(arguments.at(4).toInt(), cell(2).toInt());

        sound.Run("undo");
        QTRY_COMPARE(view.model()->rowCount(), 0);
        QCOMPARE(summary(), QStringLiteral("No problems found"));

        // The mod opened again: the old check is gone, and the window shows nothing of it.
        session.OpenMod(folder.Dir(), folder.File("mods/cinderfall/"));
        QCOMPARE(view.model()->rowCount(), 0);
        QCOMPARE(summary(), QStringLiteral("No mod is open"));
    }
};

}  // namespace velmora::testing

VELMORA_GUI_TEST(velmora::testing::ModCheckWindowTest)
#include "ModCheckWindowTest.moc"
