// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QObject>
#include <QSettings>
#include <QStringList>
#include <QTabBar>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "gui/widgets/PageControl.h"
#include "core/settings/Globals.h"
#include "gui/widgets/StringGrid.h"
#include "gui/main/MainWindow.h"
#include "support/ScriptedBoxes.h"
#include "support/SourceFolder.h"
#include "support/TempFolder.h"

namespace velmora::testing {

inline QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Where tab `index` of a tab bar takes clicks: a page set of a category window lays its tabs out
// in rows of its own.
inline QRect TabPlace(const QTabBar& bar, int index) {
    if (const auto* rows = qobject_cast<const RowsTabBar*>(&bar)) return rows->RowTabRect(index);
    return bar.tabRect(index);
}

// The texts of one column of a grid, as shown.
inline QStringList Column(const StringGrid& grid, int col) {
    QStringList texts;
    for (const std::string& text : grid.ColumnTexts(col)) texts << Latin1(text);
    return texts;
}

// The widgets the focus visits from `start` as Tab is pressed `steps` times, by object name (a
// page set's tab bar by its page set's name).
inline QStringList TabWalk(QWidget& start, int steps) {
    start.setFocus(Qt::TabFocusReason);
    QStringList names;
    for (int step = 0; step < steps; ++step) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused) break;
        QTest::keyClick(focused, Qt::Key_Tab);
        focused = QApplication::focusWidget();
        if (qobject_cast<QTabBar*>(focused) && focused->parentWidget()) focused = focused->parentWidget();
        names << (focused ? focused->objectName() : QStringLiteral("(none)"));
    }
    return names;
}

// The scripted boxes, with a look at the window each time a notice is shown: the notices of a load
// come while the load runs, so they tell what the window showed at that moment.
class WatchedBoxes : public ScriptedBoxes {
public:
    std::function<void()> onNotice;

    void Notice(const std::string& text) override {
        if (onNotice) onNotice();
        ScriptedBoxes::Notice(text);
    }
};

// One main window on a program folder of its own, with its boxes answered from a script.
class MainWindowHarness {
public:
    // The sample installation, copied into the folder (without any record of earlier game starts).
    void CopySample() {
        folder.CopyTree(SourceFolder("samples"));
        std::filesystem::remove(folder.Path() / "game" / "started.log");
    }

    void Start() {
        window = std::make_unique<MainWindow>(globals, boxes);
        window->SetUserSettings(userSettings);
        window->StartInFolder(folder.Dir());
    }

    // Starts on a copy of the sample and forgets the boxes the start-up showed.
    void StartOnSample() {
        CopySample();
        Start();
        TakeShown();
    }

    template <class T>
    T* Find(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QString Text(const char* labelName) const { return Find<QLabel>(labelName)->text(); }
    StringGrid& Grid() const { return *Find<StringGrid>("CategoryGrid"); }
    QMenu& FileTypeMenu() const { return *Find<QMenu>("FileTypeMenu"); }

    // Acts as the user would, on an enabled control only. False when there is no such control or
    // it cannot be used.
    bool Click(const char* buttonName) const {
        auto* button = Find<QAbstractButton>(buttonName);
        if (!button || !button->isEnabled() || !button->isVisible()) return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }
    bool Trigger(const char* actionName) const {
        auto* action = Find<QAction>(actionName);
        if (!action || !action->isEnabled()) return false;
        action->trigger();
        return true;
    }
    // Chooses the item of the file-type menu that shows `text`.
    bool ChooseFileType(const QString& text) const {
        for (QAction* item : FileTypeMenu().actions()) {
            if (item->text() != text) continue;
            item->trigger();
            return true;
        }
        return false;
    }

    // The entry list as shown.
    QStringList Entries() const {
        QStringList entries;
        const auto* list = Find<QListWidget>("ListBox2");
        for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
        return entries;
    }

    // Changes a value as a category window would: one edit of the document.
    void Edit(const std::string& section, const std::string& key, const std::string& value) {
        window->Work().Doc().SetValue(section, key, value);
    }

    // Every box and file dialog shown so far, one line each: kind, caption, text and buttons; for
    // file dialogs the filter and the proposed name, for folder dialogs the caption and the
    // proposed folder. The record is cleared.
    QStringList TakeShown() {
        static const char* const kinds[] = {"Notice", "Plain",    "Confirm",  "Warning",
                                            "Error",  "OpenFile", "SaveFile", "Folder"};
        QStringList lines;
        for (const ShownBox& box : boxes.Shown()) {
            QString line = QString::fromLatin1(kinds[static_cast<int>(box.kind)]);
            if (box.kind == BoxKind::OpenFile || box.kind == BoxKind::SaveFile) {
                line += " | " + Latin1(box.filter) + " | " + Latin1(box.text);
            } else if (box.kind == BoxKind::Folder) {
                line += " | " + Latin1(box.caption) + " | " + Latin1(box.text);
            } else {
                QStringList buttons;
                for (const std::string& button : box.buttons) buttons << Latin1(button);
                line += " | " + Latin1(box.caption) + " | " + Latin1(box.text) + " | " +
                        buttons.join(QLatin1Char(','));
            }
            lines << line;
        }
        boxes.ClearRecord();
        return lines;
    }

    TempFolder folder;
    Globals globals;
    WatchedBoxes boxes;
    // The user's own settings the window is given; none unless a test gives a file of its own.
    QSettings* userSettings = nullptr;
    std::unique_ptr<MainWindow> window;
};

// The frame of a test program on the windows: every test function gets a fresh harness, and
// whatever command a test ran, it may not leave the hourglass behind. A program adds what it does
// before each test in Prepare() and what it checks after each one in Finish().
class HarnessTestCase : public QObject {
    Q_OBJECT

protected:
    virtual void MakeHarness() = 0;
    virtual void DropHarness() = 0;
    virtual void Prepare() {}
    virtual void Finish() {}

protected slots:
    void init() {
        MakeHarness();
        Prepare();
    }
    void cleanup() {
        QVERIFY(!QApplication::overrideCursor());
        Finish();
        DropHarness();
    }
};

// The frame with its harness, of the kind the program drives, in `h`.
template <class Harness>
class HarnessTest : public HarnessTestCase {
protected:
    void MakeHarness() override { h = std::make_unique<Harness>(); }
    void DropHarness() override { h.reset(); }

    std::unique_ptr<Harness> h;
};

// A file that exists but cannot be read, whoever runs the test (root reads files whatever their
// permissions): on Linux a link to the process's own memory file, whose first page is never
// mapped, so reading it fails. False when this system offers no such file.
inline bool MakeUnreadableFile(const TempFolder& folder, const std::string& name) {
    const std::filesystem::path file = folder.Path() / name;
#ifdef __linux__
    std::error_code error;
    std::filesystem::create_symlink("/proc/self/mem", file, error);
    return !error;
#else
    folder.Write(name, "[Section]\r\nKey=Value\r\n");
    std::filesystem::permissions(file, std::filesystem::perms::none);
    std::FILE* probe = std::fopen(file.string().c_str(), "rb");
    if (!probe) return true;
    std::fclose(probe);
    return false;
#endif
}

}  // namespace velmora::testing
