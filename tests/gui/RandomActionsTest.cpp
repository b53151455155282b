// SPDX-License-Identifier: GPL-3.0-or-later
// A seeded run of random user actions on the real windows, on a copy of the sample installation:
// clicks, double-clicks and right clicks on the main window and the category windows, typed text
// and keys, the entry operations and the document commands, with every box and dialog answered at
// random. It passes when nothing crashes and, after every action, the windows are idle and show
// what the document holds, no error box was shown, and every file written reads back.
//
// The seed comes from VELMORA_RANDOM_SEED, or from the clock; a failure prints it with the last
// actions, and the same seed repeats the run. A run is VELMORA_RANDOM_ACTIONS actions long (2,000
// unless given), however slow the machine: a run cut short by a clock would reach a different
// action on every machine.

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <initializer_list>

#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "RandomRun.h"
#include "gui/category/CategoryWindow.h"
#include "core/settings/Globals.h"
#include "gui/widgets/StringGrid.h"
#include "gui/main/MainWindow.h"
#include "core/store/IniStore.h"
#include "support/TempFolder.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int DefaultActions = 2000;

int RunLength() {
    bool given = false;
    const int actions = qEnvironmentVariable("VELMORA_RANDOM_ACTIONS").toInt(&given);
    return given && actions > 0 ? actions : DefaultActions;
}

uint64_t RunSeed() {
    bool given = false;
    const qulonglong seed = qEnvironmentVariable("VELMORA_RANDOM_SEED").toULongLong(&given);
    if (given) return seed;
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) % 1000000007ULL;
}

template <class T>
T* In(const QWidget* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

// The user acting on the program's windows: each action brings a window forward as a click on it
// would, then acts there through the window, as the window system delivers input.
class RandomUser {
  public:
    RandomUser(MainWindow& main, Dice& dice, ActionLog& log) : m_main(main), m_dice(dice), m_log(log) {}

    // Runs action `number`, logged before it is made.
    void Act(int number) {
        m_number = number;
        std::vector<CategoryWindow*> open;
        for (const auto& line : m_main.CategoryWindows())
            if (line.Window) open.push_back(line.Window);
        if (!open.empty() && m_dice.Chance(70))
            ActIn(*m_dice.Pick(open));
        else
            ActInMain();
    }

  private:
    void Say(const std::string& text) { m_log.Action(m_number, text); }

    int Weighted(std::initializer_list<int> weights) {
        int total = 0;
        for (int weight : weights) total += weight;
        int roll = m_dice.Below(total);
        int index = 0;
        for (int weight : weights) {
            if (roll < weight) return index;
            roll -= weight;
            ++index;
        }
        return index - 1;
    }

    // As the window manager does on a click: the window restored, raised and made active.
    static void BringForward(QWidget& window) {
        if (window.isMinimized()) window.showNormal();
        window.raise();
        window.activateWindow();
        // Offscreen, activation comes with the next events; a window that does not take it is
        // acted on all the same, as a click on it would.
        (void)QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; }, 200);
    }

    QPoint Anywhere(const QWidget& widget) {
        return QPoint(m_dice.Below(std::max(1, widget.width())), m_dice.Below(std::max(1, widget.height())));
    }

    QString RandomText() {
        static const QString letters = QStringLiteral(u"ABCxyz0129 ;=,-_.\u00E9");
        QString typed;
        for (int n = 1 + m_dice.Below(5); n > 0; --n) typed += letters[m_dice.Below(int(letters.size()))];
        if (m_dice.Chance(5)) typed += QChar(0x20AC);
        return typed;
    }
    // A point in the middle of a row of a grid, or below its rows; a random row of those in view.
    QPoint InGrid(StringGrid& grid, int col) {
        QWidget* view = grid.viewport();
        const int row = grid.rowAt(m_dice.Below(std::max(1, view->height())));
        if (row < 0) return QPoint(m_dice.Below(std::max(1, view->width())), view->height() - 2);
        return grid.visualRect(grid.model()->index(row, col)).center();
    }

    void ClickTab(QTabWidget& pages, const std::string& where) {
        QTabBar* bar = pages.tabBar();
        const int tab = m_dice.Below(bar->count());
        Say(where + " tab " + std::to_string(tab));
        ClickAt(bar, TabPlace(*bar, tab).center());
    }

    void PressKey(QWidget& window, const std::string& where, Qt::Key key, const char* name,
                  Qt::KeyboardModifiers modifiers = {}) {
        Say(where + " " + name);
        PressKeyIn(window, key, modifiers);
    }

    void DocumentKey(QWidget& window, const std::string& where) {
        switch (m_dice.Below(8)) {
            case 0:
                return PressKey(window, where, Qt::Key_O, "Ctrl+O", Qt::ControlModifier);
            case 1:
                return PressKey(window, where, Qt::Key_N, "Ctrl+N", Qt::ControlModifier);
            case 2:
            case 3:
                return PressKey(window, where, Qt::Key_Z, "Ctrl+Z", Qt::ControlModifier);
            case 4:
                return PressKey(window, where, Qt::Key_Z, "Ctrl+Shift+Z", Qt::ControlModifier | Qt::ShiftModifier);
            case 5:
                return PressKey(window, where, Qt::Key_Y, "Ctrl+Y", Qt::ControlModifier);
            default:
                return PressKey(window, where, Qt::Key_S, "Ctrl+S", Qt::ControlModifier);
        }
    }

    void ClickButton(QWidget& parent, const char* name, const std::string& said) {
        Say(said);
        auto* button = In<QAbstractButton>(&parent, name);
        ClickAt(button, button->rect().center());
    }

    void ActIn(CategoryWindow& window) {
        const QPointer<CategoryWindow> alive(&window);
        BringForward(window);
        // The wait lets events through, among them the deletion of a window the last action closed.
        if (!alive) return Say("a closed window went away");
        StringGrid& entries = *In<StringGrid>(&window, "EntryGrid");
        StringGrid& values = *In<StringGrid>(&window, "ValueGrid");
        QWidget* focused = QApplication::focusWidget();
        QWidget* editor = values.IsEditorOpen() && focused && focused->parentWidget() == values.viewport()
                              ? focused
                              : nullptr;
        const std::string where = window.CategoryName() + (editor ? " [editing]" : "") + ":";
        switch (Weighted(
            {8, 2, 12, 4, 4, 10, 5, 3, 2, 3, editor ? 8 : 0, editor ? 8 : 0, 4, 3, 2, 1, 1, 1, 2, 4})) {
            case 0:
                Say(where + " click entry list");
                return ClickAt(entries.viewport(), InGrid(entries, 0));
            case 1:
                Say(where + " double-click entry list");
                return DoubleClickAt(entries.viewport(), InGrid(entries, 0));
            case 2:
                Say(where + " click value grid");
                return ClickAt(values.viewport(), InGrid(values, m_dice.Below(3)));
            case 3:
                Say(where + " double-click value grid");
                return DoubleClickAt(values.viewport(), InGrid(values, m_dice.Below(3)));
            case 4:
                Say(where + " right click value grid");
                return ClickAt(values.viewport(), InGrid(values, 2), Qt::RightButton);
            case 5: {
                const QString typed = RandomText();
                Say(where + " type \"" + typed.toStdString() + "\"");
                return TypeIn(window, typed);
            }
            case 6:
                return PressKey(window, where, Qt::Key_Return, "Enter");
            case 7:
                return PressKey(window, where, Qt::Key_Escape, "Escape");
            case 8:
                return m_dice.Chance(70) ? PressKey(window, where, Qt::Key_Tab, "Tab")
                                         : PressKey(window, where, Qt::Key_Backtab, "Backtab");
            case 9:
                switch (m_dice.Below(3)) {
                    case 0:
                        return PressKey(window, where, Qt::Key_Up, "Up");
                    case 1:
                        return PressKey(window, where, Qt::Key_Down, "Down");
                    default:
                        return PressKey(window, where, Qt::Key_Backspace, "Backspace");
                }
            case 10:
                Say(where + " double-click in the editor");
                return DoubleClickAt(editor, Anywhere(*editor));
            case 11:
                Say(where + " right click in the editor");
                return ClickAt(editor, Anywhere(*editor), Qt::RightButton);
            case 12:
                return ClickTab(*In<QTabWidget>(&window, "PageControl1"), where);
            case 13:
                return ClickButton(window, "Duplicate", where + " Duplicate");
            case 14:
                return ClickButton(window, "Delete", where + " Delete");
            case 15:
                return ClickButton(window, "Button4", where + " Main Window");
            case 16:
                return ClickButton(window, "Button2", where + " Next Window");
            case 17:
                return ClickButton(window, "Button3", where + " Open Next");
            case 18:
                Say(where + " close the window");
                window.close();
                return;
            default:
                return DocumentKey(window, where);
        }
    }

    void ActInMain() {
        QMainWindow& main = m_main;
        BringForward(main);
        QWidget& face = *main.centralWidget();  // the category windows are the main window's children too
        auto& pages = *In<QTabWidget>(&face, "PageControl1");
        auto& grid = *In<StringGrid>(&face, "CategoryGrid");
        auto& list = *In<QListWidget>(&face, "ListBox2");
        const bool onButtons = pages.currentIndex() == 0;
        const std::string where = "main window:";
        switch (Weighted({onButtons ? 6 : 0, onButtons ? 3 : 0, 2, onButtons ? 0 : 4, onButtons ? 0 : 2, 4, 5,
                          3, 2, 1, 1, 1, 1, 3, 1})) {
            case 0:
            case 1: {
                const std::string name = "SpeedButton" + std::to_string(1 + m_dice.Below(10));
                auto* button = In<QToolButton>(&face, name.c_str());
                if (m_dice.Chance(66)) return ClickButton(face, name.c_str(), where + " click " + name);
                Say(where + " double-click " + name);
                return DoubleClickAt(button, button->rect().center());
            }
            case 2:
                return ClickTab(pages, where);
            case 3:
                Say(where + " click category grid");
                return ClickAt(grid.viewport(), InGrid(grid, 0));
            case 4:
                Say(where + " double-click category grid");
                return DoubleClickAt(grid.viewport(), InGrid(grid, 0));
            case 5:
                Say(where + " click entry list");
                return ClickAt(list.viewport(), Anywhere(*list.viewport()));
            case 6:
                Say(where + " double-click entry list");
                return DoubleClickAt(list.viewport(), Anywhere(*list.viewport()));
            case 7:
                return ClickButton(face, "Button2", where + " Edit");
            case 8:
                return FileTypeMenu(face, where);
            case 9:
                return ClickButton(face, "Load1", where + " Load Game's Data");
            case 10:
                return ClickButton(face, "Apply1", where + " Apply to Game");
            case 11:
                return ClickButton(face, "BackupButton", where + " Create Backup now");
            case 12:
                // Each start of the game minimises every window; now and then is enough.
                if (m_dice.Chance(20)) return ClickButton(face, "Button1", where + " Run the Game");
                return Say(where + " nothing");
            case 13:
                return DocumentKey(main, where);
            default:
                // File, Save As, by the keyboard.
                Say(where + " File, Save As");
                PressKeyIn(main, Qt::Key_F, Qt::AltModifier);
                if (QWidget* menu = QApplication::activePopupWidget()) PressKeyIn(*menu, Qt::Key_A);
                return;
        }
    }

    // The file-type menu, opened by its button or a right click on the title, then a choice or Escape.
    void FileTypeMenu(QWidget& face, const std::string& where) {
        const int steps = m_dice.Chance(40) ? 0 : 1 + m_dice.Below(4);
        const std::string choice = steps == 0 ? ", Escape" : ", item " + std::to_string(steps);
        if (m_dice.Chance(50)) {
            ClickButton(face, "Button3", where + " file-type button" + choice);
        } else {
            auto* title = In<QLabel>(&face, "Panel6");
            Say(where + " right click title" + choice);
            ClickAt(title, Anywhere(*title), Qt::RightButton);
        }
        QWidget* menu = QApplication::activePopupWidget();
        if (!menu) return m_log.Detail("no menu");
        if (steps == 0) return PressKeyIn(*menu, Qt::Key_Escape);
        for (int n = 0; n < steps; ++n) PressKeyIn(*menu, Qt::Key_Down);
        PressKeyIn(*menu, Qt::Key_Return);
    }

    MainWindow& m_main;
    Dice& m_dice;
    ActionLog& m_log;
    int m_number = 0;
};

// What must hold whenever the user may act again: nothing left open or busy, and every view shows
// what the document holds. Empty when all holds.
std::string CheckIdle(MainWindow& main) {
    std::string problems;
    if (QApplication::activeModalWidget()) problems += "a modal dialog is left open\n";
    if (QWidget* popup = QApplication::activePopupWidget()) {
        problems += std::string("a menu is left open: ") + popup->metaObject()->className() + "\n";
        popup->close();
    }
    if (QApplication::overrideCursor()) problems += "the hourglass is left on\n";

    const Workspace& work = main.Work();
    if (!work.Doc().HasStores()) return problems + "no document\n";
    const auto codesOf = [&work](int row, const std::string& category) {
        StringList codes;
        work.GetReadSectionValuesOnly(work.CategoryKinds()[static_cast<size_t>(row)], category, codes);
        return codes.Texts();
    };

    QWidget& face = *main.centralWidget();
    const StringGrid& grid = *In<StringGrid>(&face, "CategoryGrid");
    const QListWidget& list = *In<QListWidget>(&face, "ListBox2");
    const std::string category = grid.Cells(0, grid.Row());
    const std::vector<std::string> listed = codesOf(grid.Row(), category);
    bool sameList = list.count() == static_cast<int>(listed.size());
    for (int i = 0; sameList && i < list.count(); ++i)
        sameList = list.item(i)->text() == Latin1(listed[size_t(i)]);
    if (!sameList) problems += "the main window's entry list of " + category + " is not the category's\n";

    for (const auto& line : main.CategoryWindows()) {
        if (!line.Window) continue;
        const CategoryWindow& window = *line.Window;
        const StringGrid& entries = *In<StringGrid>(&window, "EntryGrid");
        const StringGrid& values = *In<StringGrid>(&window, "ValueGrid");
        std::vector<std::string> codes = codesOf(window.Tag() - 1, window.CategoryName());
        if (codes.empty()) codes.emplace_back();
        if (entries.ColumnTexts(0) != codes)
            problems += line.Name + ": the entry list is not the category's\n";
        for (int row = 0; row < entries.RowCount(); ++row) {
            const std::string entry = entries.Cells(0, row);
            const std::string name =
                entry.empty() ? std::string() : work.Doc().Store().ReadString(entry, "Name", "-");
            if (entries.Cells(1, row) != name)
                problems += line.Name + ": " + entry + " is listed as \"" + entries.Cells(1, row) +
                            "\", the document names it \"" + name + "\"\n";
        }
        const std::string code = entries.Cells(0, entries.Row());
        if (In<QLabel>(&window, "Label2")->text() != Latin1(code))
            problems += line.Name + ": the panel does not show the selected entry " + code + "\n";
        for (int row = 0; row < values.RowCount(); ++row) {
            if (row == values.Row() && values.IsEditorOpen()) continue;
            const std::string stored =
                code.empty() ? std::string() : work.Doc().Store().ReadString(code, values.Cells(1, row), "");
            if (values.Cells(2, row) != stored)
                problems += line.Name + ": " + code + "'s " + values.Cells(1, row) + " shows \"" +
                            values.Cells(2, row) + "\", the document holds \"" + stored + "\"\n";
        }
    }
    return problems;
}

}  // namespace

class RandomActionsTest : public QObject {
    Q_OBJECT

  private slots:
    void randomActionsKeepTheProgramSound() {
        const uint64_t seed = RunSeed();
        std::fprintf(stderr, "Random actions with seed %llu\n", static_cast<unsigned long long>(seed));
        Dice dice(seed);
        ActionLog log(seed);

        TempFolder folder;
        folder.CopyTree(SourceFolder("samples"));
        std::filesystem::remove(folder.Path() / "game" / "started.log");
        Globals globals;
        RandomBoxes boxes(dice, log);
        for (const char* name : {"Saved1.ini", "Saved2.ini", "Saved.BAK", "game/Rules.ini", "Rules.INI"})
            boxes.saveNames.push_back(folder.File(name));
        for (const char* name :
             {"Saved1.ini", "Saved2.ini", "mods/Cinderfall.ini", "game/Art.ini", "Missing.ini"})
            boxes.openNames.push_back(folder.File(name));
        DialogAnswers dialogs(dice, log);

        // The same seed must give the same run, so nothing may depend on how fast the machine is.
        // The one timer that changes what the windows do is the grid's delayed edit after a click
        // on the selected cell, which waits a double-click interval: that interval is made 1 ms
        // (the test's clicks carry their own times, so double-clicks are still told apart), and
        // every action first lets timers that are due run.
        const int doubleClickInterval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(1);
        const auto restoreInterval = qScopeGuard([doubleClickInterval] {
            QGuiApplication::styleHints()->setMouseDoubleClickInterval(doubleClickInterval);
        });

        MainWindow main(globals, boxes);
        main.StartInFolder(folder.Dir());
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        WrittenFiles written(folder.Path());
        RandomUser user(main, dice, log);

        QElapsedTimer clock;
        clock.start();
        std::string problems;
        int actions = 0;
        const int runLength = RunLength();
        while (actions < runLength && problems.empty()) {
            ++actions;
            dialogs.NextAction();
            QTest::qWait(2);
            user.Act(actions);
            for (const std::string& error : boxes.errors)
                // A value the random user put together from a list may pass a limit: refusing it
                // is sound, as long as every view then shows the stored value (CheckIdle).
                if (error.find(" is longer than ") == std::string::npos) problems += "error box: " + error + "\n";
            boxes.errors.clear();
            problems += written.CheckNewWrites();
            problems += CheckIdle(main);
            boxes.ClearRecord();
        }
        std::fprintf(stderr, "%d actions in %lld ms, %d written files read back\n", actions,
                     static_cast<long long>(clock.elapsed()), written.Checked());
        if (!problems.empty()) {
            std::fputs(log.Report().c_str(), stderr);
            QFAIL(qPrintable(QStringLiteral("after action %1:\n%2").arg(actions).arg(Latin1(problems))));
        }
    }
};

VELMORA_GUI_TEST(RandomActionsTest)
#include "RandomActionsTest.moc"
