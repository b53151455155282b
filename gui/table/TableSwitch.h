// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QAction;
class QBoxLayout;
class QLineEdit;
class QWidget;

namespace velmora {

class BalanceTableView;

// Switches a category window between "one entry", its own controls, and "all entries", the
// balance table, which takes their place. The table is made when first shown. The switch is a
// checkable action (Ctrl+T) that a button of the window's bar and the View menu both show. The
// window's filter box filters both: while the table shows, it stands in the table's bar.
class TableSwitch final : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<BalanceTableView*(QWidget* parent)> makeTable;
        std::function<std::string()> currentEntry;            // the entry shown in one-entry mode
        std::function<void(const std::string&)> selectEntry;  // selects it there
        std::function<void()> beforeSwitch;                   // commits what is being typed
        QLineEdit* rowFilter = nullptr;                       // the window's filter box, if any
    };

    // `oneEntry` holds the window's own controls, a part of `windowLayout`; the table takes its
    // place there. The button goes at the end of `bar`.
    TableSwitch(QWidget& window, QBoxLayout& windowLayout, QWidget& oneEntry, QBoxLayout& bar, Hooks hooks);

    QAction& Action() { return *m_action; }
    bool ShowsAllEntries() const;
    void ShowAllEntries(bool on);
    // The table, once it was shown.
    BalanceTableView* Table() const { return m_table; }

private:
    void LendFilter();
    void TakeFilterBack();

    QWidget& m_window;
    QBoxLayout& m_windowLayout;
    QWidget& m_oneEntry;
    Hooks m_hooks;
    QAction* m_action;  // owned by the window
    QPointer<BalanceTableView> m_table;
    // Where the filter box stands in one-entry mode.
    QPointer<QBoxLayout> m_filterHome;
    int m_filterPlace = -1;
};

}  // namespace velmora
