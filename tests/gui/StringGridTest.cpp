// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "GuiTestMain.h"
#include "gui/widgets/StringGrid.h"
#include "core/store/IniError.h"

using velmora::StringGrid;

namespace {

// A window holding the grid between two buttons, the grid set up like the value grid: a fixed
// column 0 and column 2 editable. Every hook of the grid is logged with the state it saw.
class GridWindow {
public:
    GridWindow() {
        auto* layout = new QVBoxLayout(&window);
        before = new QPushButton(QStringLiteral("before"), &window);
        grid = new StringGrid(&window);
        after = new QPushButton(QStringLiteral("after"), &window);
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        grid->SetColCount(3);
        grid->SetRowCount(10);
        grid->SetFixedCols(1);
        grid->SetEditableCol(2);
        grid->verticalHeader()->setDefaultSectionSize(20);
        QObject::connect(grid, &StringGrid::selectCell, grid, [this](int col, int row) {
            log << QStringLiteral("select %1,%2 from %3,%4 editor=%5")
                       .arg(col)
                       .arg(row)
                       .arg(grid->Col())
                       .arg(grid->Row())
                       .arg(grid->IsEditorOpen());
        });
        QObject::connect(grid, &StringGrid::selectionChangedByUserOrCode, grid, [this] {
            log << QStringLiteral("moved %1,%2 editor=%3")
                       .arg(grid->Col())
                       .arg(grid->Row())
                       .arg(grid->IsEditorOpen());
        });
        QObject::connect(grid, &StringGrid::focusLeft, grid,
                         [this] { log << QStringLiteral("left editor=%1").arg(grid->IsEditorOpen()); });
        QObject::connect(grid, &StringGrid::focusEntered, grid, [this] { log << QStringLiteral("entered"); });
    }

    bool Show() {
        window.show();
        return QTest::qWaitForWindowActive(&window);
    }

    QPoint CellCentre(int col, int row) const {
        return grid->visualRect(grid->model()->index(row, col)).center();
    }

    void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, CellCentre(col, row));
    }

    QLineEdit* Editor() const { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }

    QStringList log;  // outlives the window, whose closing still reports to it
    QWidget window;
    QPushButton* before;
    StringGrid* grid;
    QPushButton* after;
};

// The contrast ratio of two colours as readers of a screen perceive it, from 1 (none) to 21.
double Contrast(const QColor& one, const QColor& other) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

void ExpectOutOfRange(const std::function<void()>& action) {
    try {
        action();
        QFAIL("no error");
    } catch (const velmora::IniError& error) {
        QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("Grid index out of range"));
    }
}

}  // namespace

class StringGridTest : public QObject {
    Q_OBJECT

private slots:
    void codeSelectionRunsBeforeHookThenMovesThenClickHook() {
        GridWindow w;
        QCOMPARE(w.grid->Col(), 1);  // the first column that is not fixed
        w.grid->SetCurrentCell(2, 0);
        w.grid->SetRow(3);
        QCOMPARE(w.log, QStringList({"select 2,0 from 1,0 editor=0", "moved 2,0 editor=0",
                                     "select 2,3 from 2,0 editor=0", "moved 2,3 editor=0"}));
        w.log.clear();
        w.grid->SetRow(3);
        w.grid->SetCol(2);
        w.grid->SetCurrentCell(2, 3);
        QVERIFY(w.log.isEmpty());
    }

    void clicksAndKeysRunTheSameHooks() {
        GridWindow w;
        QVERIFY(w.Show());
        w.Click(2, 5);
        QCOMPARE(w.log.mid(1), QStringList({"select 2,5 from 1,0 editor=0", "moved 2,5 editor=0"}));
        w.log.clear();
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(w.log, QStringList({"select 2,6 from 2,5 editor=0", "moved 2,6 editor=0"}));
        w.log.clear();
        // Neither the fixed column, the current cell, nor the right button moves anything.
        w.Click(0, 2);
        w.Click(2, 6);
        w.Click(2, 1, Qt::RightButton);
        QTest::keyClick(w.grid, Qt::Key_Left);
        QCOMPARE(w.log, QStringList({"select 1,6 from 2,6 editor=0", "moved 1,6 editor=0"}));
        w.log.clear();
        QTest::keyClick(w.grid, Qt::Key_Left);
        QVERIFY(w.log.isEmpty());
        QCOMPARE(w.grid->Col(), 1);
    }

    void cellsOutsideTheGridAreAnError() {
        GridWindow w;
        ExpectOutOfRange([&] { w.grid->SetRow(10); });
        ExpectOutOfRange([&] { w.grid->SetRow(-1); });
        ExpectOutOfRange([&] { w.grid->SetCol(0); });  // fixed
        ExpectOutOfRange([&] { w.grid->SetCol(3); });
        ExpectOutOfRange([&] { w.grid->Cells(3, 0); });
        ExpectOutOfRange([&] { w.grid->SetCells(0, 10, "x"); });
        ExpectOutOfRange([&] { w.grid->RedMarked(-1, 0); });
        QVERIFY(w.log.isEmpty());
        QCOMPARE(w.grid->Row(), 0);
    }

    void rowCountIsAtLeastOneAndFillingIsSilent() {
        GridWindow w;
        QSignalSpy itemChanges(w.grid, &QTableWidget::itemChanged);
        w.grid->SetCells(1, 2, "key");
        w.grid->SetRedMarked(2, 2, true);
        w.grid->SetCurrentCell(2, 8);
        w.log.clear();
        w.grid->SetRowCount(3);  // drops the current row: the grid stays on a row of its own
        QCOMPARE(w.grid->Row(), 2);
        QCOMPARE(w.grid->Cells(1, 2), std::string("key"));
        w.grid->SetRowCount(0);
        QCOMPARE(w.grid->RowCount(), 1);
        w.grid->SetRowCount(-4);
        QCOMPARE(w.grid->RowCount(), 1);
        QCOMPARE(w.grid->Row(), 0);
        w.grid->SetRowCount(4);
        QCOMPARE(w.grid->ColumnTexts(1), std::vector<std::string>(4));
        QVERIFY(w.log.isEmpty());
        QCOMPARE(itemChanges.count(), 0);
    }

    void textsAreBytesAndRedMarksAreKept() {
        GridWindow w;
        const std::string latin1 = "Caf\xE9 \xFF";
        w.grid->SetCells(2, 1, latin1);
        QCOMPARE(w.grid->Cells(2, 1), latin1);
        w.grid->SetRedMarked(1, 1, true);
        QVERIFY(w.grid->RedMarked(1, 1));
        QVERIFY(!w.grid->RedMarked(2, 3));
        w.grid->SetRedMarked(1, 1, false);
        QVERIFY(!w.grid->RedMarked(1, 1));
    }

    void typedTextIsInTheCellAtEveryKeystroke() {
        GridWindow w;
        QVERIFY(w.Show());
        w.grid->setFocus();
        w.grid->SetCurrentCell(2, 1);
        w.grid->SetCells(2, 1, "old");
        w.log.clear();
        QSignalSpy itemChanges(w.grid, &QTableWidget::itemChanged);
        QSignalSpy keys(w.grid, &StringGrid::keyPressed);
        w.grid->OpenEditor();
        QVERIFY(w.grid->IsEditorOpen());
        QLineEdit* editor = w.Editor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("old"));
        QTest::keyClick(editor, Qt::Key_X);  // replaces the selected text
        QCOMPARE(w.grid->Cells(2, 1), std::string("x"));
        QTest::keyClick(editor, Qt::Key_Y);
        QCOMPARE(w.grid->Cells(2, 1), std::string("xy"));
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(w.grid->Cells(2, 1), std::string("x"));
        // Writing the cell does not disturb the user's cursor.
        QTest::keyClick(editor, Qt::Key_Home);
        QTest::keyClicks(editor, QStringLiteral("ab"));
        QCOMPARE(w.grid->Cells(2, 1), std::string("abx"));
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClick(editor, Qt::Key_Backspace);
        // A character without a byte is refused rather than stored as something else.
        editor->insert(QString(QChar(0x20AC)));
        QCOMPARE(editor->text(), QStringLiteral("ab"));
        // So is a line break (pasted), which would split the line of a saved file.
        editor->insert(QStringLiteral("c\nd"));
        QCOMPARE(editor->text(), QStringLiteral("ab"));
        QCOMPARE(keys.count(), 8);
        QCOMPARE(w.grid->Cells(2, 1), std::string("ab"));
        QCOMPARE(itemChanges.count(), 0);
        QVERIFY(w.log.isEmpty());
        // Code writing the cell shows in the editor.
        w.grid->SetCells(2, 1, "stored");
        QCOMPARE(editor->text(), QStringLiteral("stored"));

        // Typing on the editable cell opens the editor with that key, reported once.
        w.grid->CloseEditor();
        keys.clear();
        QTest::keyClick(w.grid, Qt::Key_Q);
        QVERIFY(w.grid->IsEditorOpen());
        QCOMPARE(w.grid->Cells(2, 1), std::string("q"));
        QCOMPARE(keys.count(), 1);
    }

    void movingAwayRunsTheBeforeHookWithTheEditorStillOpen() {
        GridWindow w;
        QVERIFY(w.Show());
        w.grid->SetCurrentCell(2, 1);
        w.grid->OpenEditor();
        QTest::keyClicks(w.Editor(), QStringLiteral("abc"));
        w.log.clear();
        QSignalSpy keys(w.grid, &StringGrid::keyPressed);
        QTest::keyClick(w.Editor(), Qt::Key_Down);  // the editor passes it on to the grid
        QCOMPARE(keys.count(), 1);
        QCOMPARE(w.log, QStringList({"select 2,2 from 2,1 editor=1", "moved 2,2 editor=0"}));
        QCOMPARE(w.grid->Cells(2, 1), std::string("abc"));

        w.grid->OpenEditor();
        QTest::keyClicks(w.Editor(), QStringLiteral("def"));
        w.log.clear();
        w.Click(1, 4);
        QCOMPARE(w.log, QStringList({"select 1,4 from 2,2 editor=1", "moved 1,4 editor=0"}));
        QCOMPARE(w.grid->Cells(2, 2), std::string("def"));
        QTRY_VERIFY(w.grid->hasFocus());

        w.grid->SetCurrentCell(2, 4);
        w.grid->OpenEditor();
        w.log.clear();
        w.grid->SetRow(7);
        QCOMPARE(w.log, QStringList({"select 2,7 from 2,4 editor=1", "moved 2,7 editor=0"}));
    }

    void enterAndEscapeRunTheKeyHookBeforeTheEditorCloses() {
        GridWindow w;
        QVERIFY(w.Show());
        QStringList seen;
        QObject::connect(w.grid, &StringGrid::keyPressed, w.grid, [&](int key) {
            seen << QStringLiteral("%1 editor=%2").arg(key, 0, 16).arg(w.grid->IsEditorOpen());
            if (key == Qt::Key_Escape) w.grid->SetCells(2, 3, "stored");
        });
        w.grid->SetCurrentCell(2, 3);
        QTest::keyClick(w.grid, Qt::Key_Return);  // opens the editor
        QVERIFY(w.grid->IsEditorOpen());
        QTest::keyClick(w.Editor(), Qt::Key_Return);
        QVERIFY(!w.grid->IsEditorOpen());
        QVERIFY(w.grid->hasFocus());
        w.grid->OpenEditor();
        QTest::keyClicks(w.Editor(), QStringLiteral("typed"));
        seen.clear();
        QTest::keyClick(w.Editor(), Qt::Key_Escape);
        QCOMPARE(seen, QStringList({QStringLiteral("%1 editor=1").arg(Qt::Key_Escape, 0, 16)}));
        QVERIFY(!w.grid->IsEditorOpen());
        QCOMPARE(w.grid->Cells(2, 3), std::string("stored"));
        // Only the editable column opens.
        w.grid->SetCol(1);
        QTest::keyClick(w.grid, Qt::Key_Return);
        QVERIFY(!w.grid->IsEditorOpen());
        w.grid->OpenEditor();
        QVERIFY(!w.grid->IsEditorOpen());
    }

    void leavingTheGridIsReportedWhileTheEditorIsOpen() {
        GridWindow w;
        QVERIFY(w.Show());
        w.before->setFocus();
        QTRY_VERIFY(w.before->hasFocus());
        w.log.clear();
        w.grid->setFocus();
        w.grid->SetCurrentCell(2, 0);
        w.grid->OpenEditor();
        QTest::keyClicks(w.Editor(), QStringLiteral("v"));
        w.grid->CloseEditor();
        w.grid->OpenEditor();
        QCOMPARE(w.log.first(), QStringLiteral("entered"));
        QCOMPARE(w.log.count(QStringLiteral("entered")), 1);  // the editor is part of the grid
        w.log.clear();
        QTest::keyClick(w.Editor(), Qt::Key_Tab);
        QCOMPARE(w.log, QStringList({"left editor=1"}));
        QVERIFY(!w.grid->IsEditorOpen());
        QVERIFY(w.after->hasFocus());
        QCOMPARE(w.grid->Cells(2, 0), std::string("v"));

        w.grid->setFocus();
        w.grid->OpenEditor();
        w.log.clear();
        w.before->setFocus();
        QCOMPARE(w.log, QStringList({"left editor=1"}));
        QVERIFY(!w.grid->IsEditorOpen());
    }

    // A window that goes with an edit in progress takes the open editor with it; the editor's
    // going must not reach into the grid, which is gone by then.
    void aGridDestroyedWithItsEditorOpenLetsTheEditorGo() {
        auto w = std::make_unique<GridWindow>();
        QVERIFY(w->Show());
        // The window closes while another one is active, as when a command from there closes it.
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w->grid->SetCurrentCell(2, 1);
        w->grid->OpenEditor();
        QVERIFY(w->grid->IsEditorOpen());
        w->window.close();
        QVERIFY(w->grid->IsEditorOpen());
        w.reset();
    }

    void redMarkedCellsAreDrawnRed() {
        GridWindow w;
        w.grid->horizontalHeader()->setDefaultSectionSize(60);
        QVERIFY(w.Show());
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) w.grid->SetCells(col, row, "WWWW");
        w.grid->SetRedMarked(2, 1, true);
        QVERIFY(w.grid->IsDrawnRed(2, 1));
        QVERIFY(!w.grid->IsDrawnRed(1, 1));
        w.grid->SetRedMarkWholeRow(true);  // the entry list: a mark in column 0 colours the row
        w.grid->SetRedMarked(0, 2, true);
        QVERIFY(w.grid->IsDrawnRed(1, 2));
        QVERIFY(!w.grid->IsDrawnRed(2, 1));

        const QImage image = w.grid->viewport()->grab().toImage();
        auto redPixels = [&](int col, int row) {
            const QRect cell = w.grid->visualRect(w.grid->model()->index(row, col)) & image.rect();
            if (cell.width() < 20) return -1;  // not on screen
            int count = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++count;
                }
            return count;
        };
        QVERIFY(redPixels(1, 2) > 0);
        QVERIFY(redPixels(2, 2) > 0);
        QCOMPARE(redPixels(1, 1), 0);
        QCOMPARE(redPixels(2, 1), 0);

        // Selected, a red value stays readable: its selection is light enough behind red, and still
        // tells the selected cell from the others.
        w.grid->SetRow(2);
        w.grid->SetCol(2);
        const QImage selected = w.grid->viewport()->grab().toImage();
        auto backgroundOf = [&](int col, int row) {  // the colour most of the cell has
            const QRect cell = w.grid->visualRect(w.grid->model()->index(row, col));
            std::map<QRgb, int> counts;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x) ++counts[selected.pixel(x, y)];
            const auto most = std::max_element(counts.begin(), counts.end(),
                                               [](const auto& a, const auto& b) { return a.second < b.second; });
            return QColor(most->first);
        };
        const QColor behindRed = backgroundOf(2, 2);
        QVERIFY2(Contrast(behindRed, QColor(255, 0, 0)) >= 3.0, qPrintable(behindRed.name()));
        QVERIFY(behindRed != backgroundOf(1, 2));
        QVERIFY(redPixels(2, 2) > 0);
    }

    void scrollingByWholeRows() {
        GridWindow w;
        w.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.grid->setFixedHeight(12 * 20 + 10 + 2 * w.grid->frameWidth());
        QVERIFY(w.Show());
        w.grid->SetRowCount(100);
        QCOMPARE(w.grid->VisibleRowCount(), 12);
        w.grid->SetTopRow(19);  // right after filling, before any layout pass
        QCOMPARE(w.grid->TopRow(), 19);
        QCOMPARE(w.grid->VisibleRowCount(), 12);
        w.grid->SetTopRow(1000);
        QCOMPARE(w.grid->TopRow(), 88);
        w.grid->SetRowCount(5);
        QCOMPARE(w.grid->TopRow(), 0);
        QCOMPARE(w.grid->VisibleRowCount(), 5);
    }

    void longTextsShowInTooltipsAndColumnBordersCanBeDragged() {
        GridWindow w;
        w.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.grid->SetStretchLastCol(true);
        w.grid->setColumnWidth(0, 12);
        w.grid->setColumnWidth(1, 60);
        w.grid->setFixedWidth(220);
        const std::string value = "CINDER,HOLLOW,DRIFT,EMBER,ASHEN,<b>GLOW</b>";
        w.grid->SetCells(1, 1, "Cost");
        w.grid->SetCells(2, 1, value);
        QVERIFY(w.Show());
        const int viewport = w.grid->viewport()->width();
        QCOMPARE(w.grid->columnWidth(0) + w.grid->columnWidth(1) + w.grid->columnWidth(2), viewport);

        // The cut value shows whole, as written, in its tooltip; the key that fits has none.
        auto tipAt = [&w](int col) {
            const QPoint at = w.CellCentre(col, 1);
            QHelpEvent help(QEvent::ToolTip, at, w.grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(w.grid->viewport(), &help);
        };
        tipAt(2);
        QTRY_VERIFY(QToolTip::isVisible());
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QCOMPARE(shown.toPlainText(), QString::fromLatin1(value.c_str()));
        tipAt(1);
        QTRY_VERIFY(!QToolTip::isVisible());

        // Dragging the key column's border widens it and selects nothing; the value column takes
        // what is left, and never less than a sliver.
        const int y = w.CellCentre(1, 3).y();
        const int border = w.grid->columnViewportPosition(1) + w.grid->columnWidth(1);
        QTest::mousePress(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(border, y));
        QTest::mouseMove(w.grid->viewport(), QPoint(border + 40, y));
        QTest::mouseRelease(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(border + 40, y));
        QCOMPARE(w.grid->columnWidth(1), 100);
        QTRY_COMPARE(w.grid->columnWidth(0) + w.grid->columnWidth(1) + w.grid->columnWidth(2), viewport);
        const QRegularExpression cellMoves(QStringLiteral("^(select|moved)"));
        QCOMPARE(w.log.filter(cellMoves), QStringList());
        QTest::mousePress(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(border + 40, y));
        QTest::mouseMove(w.grid->viewport(), QPoint(viewport + 50, y));
        QTest::mouseRelease(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(viewport + 50, y));
        QTRY_VERIFY(w.grid->columnWidth(2) >= 12);
        QCOMPARE(w.grid->columnWidth(0) + w.grid->columnWidth(1) + w.grid->columnWidth(2), viewport);

        // A double-click on the border fits the column to its texts, and is no double-click on a cell.
        QSignalSpy doubleClicks(w.grid, &StringGrid::gridDoubleClicked);
        const int wide = w.grid->columnViewportPosition(1) + w.grid->columnWidth(1);
        QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(wide, y));
        QVERIFY(w.grid->columnWidth(1) < 100);
        QVERIFY(w.grid->columnWidth(1) > w.grid->fontMetrics().horizontalAdvance(QStringLiteral("Cost")));
        QCOMPARE(doubleClicks.count(), 0);
        QCOMPARE(w.log.filter(cellMoves), QStringList());
    }

    void aGridWithoutAHorizontalScrollBarNeverScrollsSideways() {
        GridWindow w;
        w.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.grid->setColumnWidth(0, 12);
        w.grid->setColumnWidth(1, 120);
        w.grid->setColumnWidth(2, 300);  // wider than the grid
        w.grid->setFixedWidth(220);
        w.grid->SetRowCount(40);
        QVERIFY(w.Show());
        w.grid->setFocus();
        w.Click(2, 1);
        QTest::keyClick(w.grid, Qt::Key_Down);
        w.grid->OpenEditor();
        QTest::keyClicks(w.Editor(), "typed");
        w.grid->scrollTo(w.grid->model()->index(30, 2));
        QCOMPARE(w.grid->columnViewportPosition(0), 0);  // the marker column stays in view
        QCOMPARE(w.grid->Row(), 2);
    }

    void doubleClicksAndWholeRowSelection() {
        GridWindow w;
        QVERIFY(w.Show());
        QSignalSpy doubleClicks(w.grid, &StringGrid::gridDoubleClicked);
        QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, w.CellCentre(1, 2));
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(w.grid->Row(), 2);
        QTest::mouseDClick(w.grid->viewport(), Qt::RightButton, Qt::NoModifier, w.CellCentre(1, 3));
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(w.grid->Row(), 2);

        w.grid->SetFixedCols(0);
        w.grid->SetRowSelect(true);
        w.grid->SetRow(4);
        QVERIFY(w.grid->selectionModel()->isRowSelected(4, QModelIndex()));
        QCOMPARE(w.grid->selectionModel()->selectedIndexes().size(), 3);
    }
};

VELMORA_GUI_TEST(StringGridTest)
#include "StringGridTest.moc"
