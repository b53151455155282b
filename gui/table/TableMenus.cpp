// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/TableMenus.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "gui/table/BalanceTableView.h"
#include "gui/table/TableSwitch.h"

namespace velmora {

namespace {

QMenu* NewMenu(QMenuBar& bar, const QString& title, const char* name) {
    auto* menu = bar.addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

// An item that runs `operation` of the table shown.
QAction* TableItem(QMenu& menu, TableSwitch& tableSwitch, const QString& text, const char* name,
                   void (BalanceTableView::*operation)()) {
    QAction* item = menu.addAction(text);
    item->setObjectName(QLatin1String(name));
    item->setEnabled(false);
    QObject::connect(item, &QAction::triggered, &tableSwitch, [&tableSwitch, operation] {
        if (BalanceTableView* table = tableSwitch.Table(); table && tableSwitch.ShowsAllEntries()) (table->*operation)();
    });
    QObject::connect(&tableSwitch.Action(), &QAction::toggled, item, &QAction::setEnabled);
    return item;
}

}  // namespace

void AddTableMenus(QWidget& window, QBoxLayout& windowLayout, TableSwitch& tableSwitch) {
    auto* bar = new QMenuBar(&window);  // owned by the window
    bar->setObjectName(QStringLiteral("EntryMenus"));
    windowLayout.setMenuBar(bar);
    QMenu* file = NewMenu(*bar, QStringLiteral("&File"), "EntryFile1");
    TableItem(*file, tableSwitch, QStringLiteral("Export Table\u2026"), "ExportTable1", &BalanceTableView::ExportTable);
    TableItem(*file, tableSwitch, QStringLiteral("Import Table\u2026"), "ImportTable1", &BalanceTableView::ImportTable);
    QMenu* view = NewMenu(*bar, QStringLiteral("&View"), "EntryView1");
    view->addAction(&tableSwitch.Action());
    TableItem(*view, tableSwitch, QStringLiteral("Choose Columns\u2026"), "ChooseColumns1", &BalanceTableView::ChooseColumns);
}

}  // namespace velmora
