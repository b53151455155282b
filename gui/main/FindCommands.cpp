// SPDX-License-Identifier: GPL-3.0-or-later
// Finding from the main window: the Search menu (Find, Check References), the entry list's filter
// box, type-ahead and Find Usages, and opening the entry that a row of results leads to.

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTimer>

#include "gui/category/CategoryWindow.h"
#include "gui/services/GatherTouched.h"
#include "gui/services/DocumentSignals.h"
#include "core/references/EntryTargets.h"
#include "gui/widgets/FilterBox.h"
#include "gui/find/FindWindow.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "core/references/References.h"
#include "core/store/Routines.h"
#include "gui/widgets/StringGrid.h"
#include "gui/main/MainWindow.h"
#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "ui_MainWindow.h"

namespace velmora {

void MainWindow::SetUpFinding() {
    auto* search = new QMenu(QStringLiteral("&Search"), this);  // owned through its Qt parent
    search->setObjectName(QStringLiteral("Search1"));
    menuBar()->insertMenu(ui->Help1->menuAction(), search);
    QAction* find = search->addAction(QStringLiteral("&Find..."));
    find->setObjectName(QStringLiteral("Find1"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::ApplicationShortcut);  // from the category windows too
    connect(find, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::FindClick>);
    QAction* check = search->addAction(QStringLiteral("&Check References"));
    check->setObjectName(QStringLiteral("CheckReferences1"));
    connect(check, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::CheckReferencesClick>);
    QAction* values = search->addAction(QStringLiteral("Check &Values"));
    values->setObjectName(QStringLiteral("CheckValues1"));
    connect(values, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::CheckValuesClick>);

    GatherTouched(*m_documentNews, this, m_resultsTouched, [this] { RefreshResultsSoon(); });

    m_entryFilter = FilterBox::Above(*ui->ListBox2);
    ui->ListBox2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->ListBox2, &QWidget::customContextMenuRequested, this, &MainWindow::EntryListMenu);
}

void MainWindow::EntryListMenu(const QPoint& at) {
    QListWidgetItem* item = ui->ListBox2->itemAt(at);
    if (!item) return;
    ui->ListBox2->setCurrentItem(item);
    const std::string code = ToBytes(item->text());
    QMenu menu;
    const QAction* usages = menu.addAction(QStringLiteral("Find &Usages"));
    if (menu.exec(ui->ListBox2->viewport()->mapToGlobal(at)) == usages)
        RunEventHandler(m_boxes, [this, &code] { FindUsages(code); });
}

void MainWindow::FindClick() {
    TheFindWindow().Present();
}

FindWindow& MainWindow::TheFindWindow() {
    if (!m_findWindow) {
        m_findWindow = new FindWindow(*this, m_workspace, m_boxes, *m_documentNews);  // owned through its Qt parent, this window
        connect(m_findWindow, &ResultsWindow::openRequested, this, [this](const EntryTarget& target) {
            RunEventHandler(m_boxes, [this, &target] { OpenEntryTarget(target); });
        });
    }
    return *m_findWindow;
}

ResultsWindow& MainWindow::ListWindow(QPointer<ResultsWindow>& window, const QString& objectName,
                                      const QStringList& headers) {
    if (!window) {
        // Owned through its Qt parent, this window; the window adopts its rows.
        window = new ResultsWindow(*this, objectName, new ListedResults(headers, nullptr), true);
        connect(window, &ResultsWindow::openRequested, this, [this](const EntryTarget& target) {
            RunEventHandler(m_boxes, [this, &target] { OpenEntryTarget(target); });
        });
    }
    return *window;
}

// The usages and check windows that are open show the document as it now stands after every
// edit, undo and redo; one refresh for all the news of one edit. Their lists are found again in
// the sections the edits touched, and whole only when that cannot tell.
void MainWindow::RefreshResultsSoon() {
    if (m_resultsRefreshPending) return;
    m_resultsRefreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_resultsRefreshPending = false;
        RunEventHandler(m_boxes, [this] {
            const std::optional<std::vector<size_t>> sections = m_resultsTouched.SectionsToRead(m_workspace);
            m_resultsTouched.Clear();
            if (!m_workspace.Doc().HasStores()) {
                m_usages.Forget();
                m_referenceCheck.reset();
                return;
            }
            const IniStore& document = m_workspace.Doc().Store();
            const bool caseSensitive = m_globals.CaseSensitive;
            if (m_usagesWindow && m_usagesWindow->isVisible()) {
                m_usages.Follow(
                    sections, [&] { return velmora::FindUsages(document, m_usagesCode, caseSensitive); },
                    [&](const std::vector<size_t>& in) {
                        return std::optional(FindUsagesIn(document, m_usagesCode, caseSensitive, in));
                    });
                ShowUsages();
            } else {
                m_usages.Forget();
            }
            if (m_checkWindow && m_checkWindow->isVisible()) {
                if (!m_referenceCheck || !sections || !m_referenceCheck->Follow(*sections))
                    m_referenceCheck = std::make_unique<ReferenceCheck>(m_workspace);
                ShowCheckReferences();
            } else {
                m_referenceCheck.reset();  // edits go by unfollowed
            }
            if (m_valuesWindow && m_valuesWindow->isVisible()) FillCheckValues();
        });
    });
}

void MainWindow::FindUsages(const std::string& Code) {
    if (!m_workspace.Doc().HasDocument()) return;
    m_usagesCode = Code;
    m_usages.Renew([this] { return velmora::FindUsages(m_workspace.Doc().Store(), m_usagesCode, m_globals.CaseSensitive); });
    FocusAndShow(&ShowUsages());
}

ResultsWindow& MainWindow::ShowUsages() {
    const std::string& Code = m_usagesCode;
    ResultsWindow& window =
        ListWindow(m_usagesWindow, QStringLiteral("UsagesWindow"), {QStringLiteral("Section"), QStringLiteral("Key"),
                                                                      QStringLiteral("Value")});
    std::vector<ListedResults::Row> rows;
    rows.reserve(m_usages.Rows().size());
    for (const Usage& usage : m_usages.Rows()) {
        std::string key(usage.Key());
        rows.push_back({{usage.SectionName, key, std::string(usage.Value())}, {usage.SectionName, key}});
    }
    window.setWindowTitle(ToQString("Usages of " + Code));
    window.SetSummary(rows.size() == 1 ? QStringLiteral("1 line names %1").arg(ToQString(Code))
                                       : QStringLiteral("%1 lines name %2").arg(rows.size()).arg(ToQString(Code)));
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

void MainWindow::CheckReferencesClick() {
    if (!m_workspace.Doc().HasStores()) return;
    const HourglassPointer hourglass;
    m_referenceCheck = std::make_unique<ReferenceCheck>(m_workspace);
    FocusAndShow(&ShowCheckReferences());
}

ResultsWindow& MainWindow::ShowCheckReferences() {
    ResultsWindow& window = ListWindow(
        m_checkWindow, QStringLiteral("CheckReferencesWindow"),
        {QStringLiteral("Category"), QStringLiteral("Section"), QStringLiteral("Key"), QStringLiteral("Value"),
         QStringLiteral("Item")});
    const std::vector<DanglingItem>& dangling = m_referenceCheck->DanglingItems();
    const std::vector<DoubleListing>& doubles = m_referenceCheck->DoubleListings();
    std::vector<ListedResults::Row> rows;
    rows.reserve(dangling.size() + doubles.size());
    for (const DanglingItem& item : dangling)
        rows.push_back({{item.Category, item.SectionName, item.Key, item.Value, item.Item}, {item.SectionName, item.Key}});
    for (const DoubleListing& listing : doubles)
        rows.push_back({{listing.Category, listing.Code, "", "", "listed " + std::to_string(listing.Times) + " times"},
                        {listing.Code, ""}});
    window.setWindowTitle(QStringLiteral("Check References"));
    const QString danglingText = dangling.size() == 1 ? QStringLiteral("1 item names nothing its key allows")
                                                      : QStringLiteral("%1 items name nothing their key allows")
                                                            .arg(dangling.size());
    const QString doublesText = doubles.size() == 1 ? QStringLiteral("1 entry is listed more than once")
                                                    : QStringLiteral("%1 entries are listed more than once")
                                                          .arg(doubles.size());
    window.SetSummary(danglingText + QStringLiteral("; ") + doublesText);
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

void MainWindow::OpenEntryTarget(const EntryTarget& Target) {
    const std::optional<EntryListing> listing = FindEntryListing(m_workspace, Target.Section);
    if (!listing) throw IniError("\"" + Escaped(Target.Section) + "\" is no entry of any category.");
    const int row = static_cast<int>(listing->CategoryRow);
    const int entry = static_cast<int>(listing->EntryIndex);
    const std::string category = ui->CategoryGrid->Cells(0, row);
    if (NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive)) {
        // "Unknown!" has no window: its entries are shown in this window's list.
        ui->CategoryGrid->SetRow(row);
        m_entryFilter->clear();
        ui->ListBox2->setCurrentRow(entry);
        FocusAndShow(this);
        return;
    }
    OpenCategoryWindow(row, entry);
    if (CategoryWindow* window = FindCategoryWindow(category)) window->ShowEntryKey(entry, Target.Key);
}

}  // namespace velmora
