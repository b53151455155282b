// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QAction;
class QBoxLayout;
class QLayout;
class QWidget;

namespace velmora {

class BalanceTableView;

// Switches a category window between "one entry", its own controls, and "all entries", the
// balance table, which takes their place. The table is made when first shown. The switch is a
// checkable action (Ctrl+T) that a button of the window's bar and a menu can both show.
class TableSwitch final : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<BalanceTableView*(QWidget* parent)> makeTable;
        std::function<std::string()> currentEntry;            // the entry shown in one-entry mode
        std::function<void(const std::string&)> selectEntry;  // selects it there
        std::function<void()> beforeSwitch;                   // commits what is being typed
    };

    // `oneEntry` holds the window's own controls; the table goes into `windowLayout` at its place.
    // The button goes at the end of `bar`.
    TableSwitch(QWidget& window, QBoxLayout& windowLayout, QLayout& oneEntry, QBoxLayout& bar, Hooks hooks);

    QAction& Action() { return *m_action; }
    bool ShowsAllEntries() const;
    void ShowAllEntries(bool on);
    // The table, once it was shown.
    BalanceTableView* Table() const { return m_table; }

private:
    void SetOneEntryVisible(bool visible);

    QWidget& m_window;
    QBoxLayout& m_windowLayout;
    QLayout& m_oneEntry;
    Hooks m_hooks;
    QAction* m_action;  // owned by the window
    QPointer<BalanceTableView> m_table;
};

}  // namespace velmora
