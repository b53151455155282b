// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/TableSwitch.h"

#include <QAction>
#include <QTableView>
#include <QBoxLayout>
#include <QToolButton>
#include <QWidget>

#include "gui/table/BalanceTableView.h"

namespace velmora {

TableSwitch::TableSwitch(QWidget& window, QBoxLayout& windowLayout, QLayout& oneEntry, QBoxLayout& bar, Hooks hooks)
    : QObject(&window), m_window(window), m_windowLayout(windowLayout), m_oneEntry(oneEntry), m_hooks(std::move(hooks)) {
    m_action = new QAction(QStringLiteral("All Entries"), &window);
    m_action->setObjectName(QStringLiteral("AllEntries"));
    m_action->setCheckable(true);
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_action->setShortcutContext(Qt::WindowShortcut);
    m_action->setToolTip(QStringLiteral("Switch between one entry and all entries (Ctrl+T)"));
    window.addAction(m_action);
    auto* button = new QToolButton(&window);
    button->setObjectName(QStringLiteral("AllEntriesButton"));
    button->setDefaultAction(m_action);
    bar.addWidget(button);
    connect(m_action, &QAction::toggled, this, &TableSwitch::ShowAllEntries);
}

bool TableSwitch::ShowsAllEntries() const { return m_table && m_table->isVisible(); }

void TableSwitch::ShowAllEntries(bool on) {
    if (m_action->isChecked() != on) {
        m_action->setChecked(on);  // comes back here through toggled
        return;
    }
    if (m_hooks.beforeSwitch) m_hooks.beforeSwitch();
    if (on) {
        if (!m_table) {
            m_table = m_hooks.makeTable(&m_window);
            m_windowLayout.insertWidget(m_windowLayout.indexOf(&m_oneEntry) + 1, m_table, 1);
        }
        SetOneEntryVisible(false);
        m_table->show();
        m_table->SelectCode(m_hooks.currentEntry());
        m_table->Values().setFocus(Qt::ShortcutFocusReason);
        return;
    }
    const std::string code = m_table ? m_table->CurrentCode() : std::string();
    if (m_table) m_table->hide();
    SetOneEntryVisible(true);
    if (!code.empty()) m_hooks.selectEntry(code);
}

namespace {

void SetLayoutVisible(QLayout& layout, bool visible) {
    for (int item = 0; item < layout.count(); ++item) {
        QLayoutItem* part = layout.itemAt(item);
        if (QWidget* widget = part->widget()) widget->setVisible(visible);
        if (QLayout* inner = part->layout()) SetLayoutVisible(*inner, visible);
    }
}

}  // namespace

void TableSwitch::SetOneEntryVisible(bool visible) {
    SetLayoutVisible(m_oneEntry, visible);
    const int at = m_windowLayout.indexOf(&m_oneEntry);
    if (at >= 0) m_windowLayout.setStretch(at, visible ? 1 : 0);
}

}  // namespace velmora
