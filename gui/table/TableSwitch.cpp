// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/TableSwitch.h"

#include <QAction>
#include <QBoxLayout>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include "gui/table/BalanceTableView.h"

namespace velmora {

namespace {

// The box layout under `layout` (itself included) that holds `widget`, and its place there.
QBoxLayout* LayoutHolding(QLayout& layout, const QWidget& widget, int& place) {
    for (int item = 0; item < layout.count(); ++item) {
        QLayoutItem* part = layout.itemAt(item);
        if (part->widget() == &widget) {
            place = item;
            return qobject_cast<QBoxLayout*>(&layout);
        }
        if (QLayout* inner = part->layout())
            if (QBoxLayout* found = LayoutHolding(*inner, widget, place)) return found;
    }
    return nullptr;
}

// Takes `widget` out of the layout of its parent that holds it, which it returns with the place.
QBoxLayout* TakeOut(QWidget& widget, int& place) {
    QWidget* holder = widget.parentWidget();
    QBoxLayout* layout = holder && holder->layout() ? LayoutHolding(*holder->layout(), widget, place) : nullptr;
    if (layout) layout->removeWidget(&widget);
    return layout;
}

}  // namespace

TableSwitch::TableSwitch(QWidget& window, QBoxLayout& windowLayout, QWidget& oneEntry, QBoxLayout& bar, Hooks hooks)
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
    const int place = m_windowLayout.indexOf(&m_oneEntry);
    if (on) {
        if (!m_table) {
            m_table = m_hooks.makeTable(&m_window);
            m_windowLayout.insertWidget(place + 1, m_table, m_windowLayout.stretch(place));
        }
        LendFilter();
        m_oneEntry.hide();
        m_table->show();
        m_table->SelectCode(m_hooks.currentEntry());
        m_table->Values().setFocus(Qt::ShortcutFocusReason);
        return;
    }
    const std::string code = m_table ? m_table->CurrentCode() : std::string();
    if (m_table) m_table->hide();
    TakeFilterBack();
    m_oneEntry.show();
    if (!code.empty()) m_hooks.selectEntry(code);
}

void TableSwitch::LendFilter() {
    QLineEdit* box = m_hooks.rowFilter;
    if (!box || !m_table) return;
    m_filterHome = TakeOut(*box, m_filterPlace);
    m_table->UseFilter(*box);
}

void TableSwitch::TakeFilterBack() {
    QLineEdit* box = m_hooks.rowFilter;
    if (!box || !m_filterHome) return;
    int place = 0;
    TakeOut(*box, place);
    m_filterHome->insertWidget(m_filterPlace, box);
    box->show();
}

}  // namespace velmora
