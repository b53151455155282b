// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/FindController.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTimer>
#include <optional>
#include <utility>
#include <vector>

#include "core/catalogue/Workspace.h"
#include "core/layers/LayerReferences.h"
#include "core/references/EntryTargets.h"
#include "core/references/ModReferences.h"
#include "core/references/References.h"
#include "core/session/EditingSession.h"
#include "core/session/DocumentLayers.h"
#include "core/session/OpenDocument.h"
#include "core/values/LiveValueCheck.h"
#include "core/values/ValueCheck.h"
#include "gui/find/ConflictsWindow.h"
#include "gui/find/FindWindow.h"
#include "gui/find/ResultsWindow.h"
#include "gui/services/DocumentSignals.h"
#include "gui/services/GeneralHandler.h"
#include "gui/services/WindowHost.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

// "1 line names %1" or "2 lines name %2": the text for one, or for many with their count filled in.
QString Counted(size_t count, const char* one, const char* many) {
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

// The columns of a check's results: where the value stands, the value, and what is wrong with it.
QStringList CheckColumns(const QString& finding) {
    return {QStringLiteral("Category"), QStringLiteral("Section"), QStringLiteral("Key"),
            QStringLiteral("Value"), finding};
}

}  // namespace

FindController::FindController(WindowHost& host, OpenDocument& document, Boxes& boxes, DocumentSignals& news,
                               OpenTarget openTarget)
    : m_host(host), m_document(document), m_boxes(boxes), m_news(news), m_openTarget(std::move(openTarget)) {
    // The open results windows show the document as it stands after every edit, undo and redo.
    connect(&news, &DocumentSignals::edited, this, &FindController::RefreshResultsSoon);
}

FindController::~FindController() {
    // They read the document's models, which may go right after.
    for (QWidget* window :
         std::initializer_list<QWidget*>{m_findWindow, m_usagesWindow, m_checkWindow, m_valuesWindow})
        delete window;
}

QMenu& FindController::AddSearchMenu(QMenuBar& menuBar, QAction* before) {
    auto* search = new QMenu(QStringLiteral("&Search"), &menuBar);  // owned through its Qt parent
    search->setObjectName(QStringLiteral("Search1"));
    menuBar.insertMenu(before, search);
    const auto command = [this, search](const QString& text, const QString& name,
                                        void (FindController::*run)()) {
        QAction* action = search->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, run] { RunEventHandler(m_boxes, [this, run] { (this->*run)(); }); });
        return action;
    };
    QAction* find = command(QStringLiteral("&Find..."), QStringLiteral("Find1"), &FindController::FindClick);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::ApplicationShortcut);  // from the category windows too
    command(QStringLiteral("&Check References"), QStringLiteral("CheckReferences1"),
            &FindController::CheckReferencesClick);
    command(QStringLiteral("Check &Values"), QStringLiteral("CheckValues1"),
            &FindController::CheckValuesClick);
    command(QStringLiteral("C&onflicts"), QStringLiteral("Conflicts1"), &FindController::ConflictsClick);
    return *search;
}

void FindController::OfferUsagesOn(QListWidget& list) {
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &QWidget::customContextMenuRequested, this,
            [this, &list](const QPoint& at) { EntryListMenu(list, at); });
}

void FindController::EntryListMenu(QListWidget& list, const QPoint& at) {
    QListWidgetItem* item = list.itemAt(at);
    if (!item) return;
    list.setCurrentItem(item);
    const std::string code = ToBytes(item->text());
    QMenu menu;
    const QAction* usages = menu.addAction(QStringLiteral("Find &Usages"));
    if (menu.exec(list.viewport()->mapToGlobal(at)) == usages)
        RunEventHandler(m_boxes, [this, &code] { FindUsages(code); });
}

void FindController::DocumentReplaced() {
    TheFindWindow().SearchKinds(ModKindModels());
    TheFindWindow().DocumentReplaced();
    // A Check References window kept open across kinds lists them as they now are.
    RefreshResultsSoon();
}

void FindController::CloseResults() {
    // With a mod open, Check References names each row's kind: it stays across kinds, and is
    // found again once the kind shown is in place.
    const bool keepCheck = ModKinds().has_value();
    for (ResultsWindow* results : {m_usagesWindow.data(), m_checkWindow.data()})
        if (results && !(keepCheck && results == m_checkWindow)) results->close();
    // The kinds may go or change places: Find lets go of them until they are in place again.
    if (m_findWindow) m_findWindow->SearchKinds({});
    m_document.ForgetUsages();
    m_document.ForgetReferences();
}

std::vector<std::pair<std::string, OpenDocument*>> FindController::ModKindModels() const {
    std::vector<std::pair<std::string, OpenDocument*>> kinds;
    EditingSession* session = m_host.Session();
    if (session == nullptr || !session->ModOpen()) return kinds;
    for (const std::string& name : session->KindNames()) kinds.emplace_back(name, session->KindModels(name));
    return kinds;
}

std::optional<std::vector<const Workspace*>> FindController::ModKinds() const {
    const EditingSession* session = m_host.Session();
    if (session == nullptr || !session->ModOpen()) return std::nullopt;
    return session->Kinds();
}

// ---------------------------------------------------------------------------------------------
// The windows

void FindController::FindClick() {
    TheFindWindow().SearchKinds(ModKindModels());
    TheFindWindow().Present();
}

FindWindow& FindController::TheFindWindow() {
    if (!m_findWindow) {
        // Owned through its Qt parent, the host's widget.
        m_findWindow = new FindWindow(m_host.HostWidget(), m_document, m_boxes, m_news);
        connect(m_findWindow, &ResultsWindow::openRequested, this, [this](const EntryTarget& target) {
            RunEventHandler(m_boxes, [this, &target] { m_openTarget(target); });
        });
    }
    return *m_findWindow;
}

ResultsWindow& FindController::ListWindow(QPointer<ResultsWindow>& window, const QString& objectName,
                                          const QStringList& headers) {
    if (!window) {
        // Owned through its Qt parent, the host's widget; the window adopts its rows.
        window =
            new ResultsWindow(m_host.HostWidget(), objectName, new ListedResults(headers, nullptr), true);
        connect(window, &ResultsWindow::openRequested, this, [this](const EntryTarget& target) {
            RunEventHandler(m_boxes, [this, &target] { m_openTarget(target); });
        });
    }
    return *window;
}

void FindController::FindUsages(const std::string& code) {
    if (!m_document.Work().Doc().HasDocument()) return;
    m_document.FindUsagesOf(code);
    m_host.FocusAndShow(&ShowUsages());
}

void FindController::CheckReferencesClick() {
    if (!m_document.Work().Doc().HasStores()) return;
    const HourglassPointer hourglass;
    if (!ModKinds()) m_document.CheckReferences();
    m_host.FocusAndShow(&ShowCheckReferences());
}

void FindController::CheckValuesClick() {
    if (!m_document.Work().Doc().HasStores()) return;
    const HourglassPointer hourglass;
    m_host.FocusAndShow(&ShowCheckValues());
}

void FindController::ConflictsClick() {
    if (!m_document.Work().Doc().HasStores()) return;
    const HourglassPointer hourglass;
    m_host.FocusAndShow(&ShowConflicts());
}

ConflictsWindow& FindController::ShowConflicts() {
    if (!m_conflictsWindow) {
        // Owned through its Qt parent, the host's widget.
        m_conflictsWindow = new ConflictsWindow(m_host.HostWidget(), m_document.Layers());
        connect(m_conflictsWindow, &ConflictsWindow::openInFileRequested, this,
                [this](const EntryTarget& target, size_t file) {
                    RunEventHandler(m_boxes, [&] {
                        if (m_openTargetIn)
                            m_openTargetIn(target, file);
                        else
                            m_openTarget(target);
                    });
                });
    }
    m_conflictsWindow->Refill();
    return *m_conflictsWindow;
}

// One refresh for all the news of an edit, once it is told; the lists are found again in the
// sections the edits touched, and whole only when that cannot tell. A list no window shows is let
// go, edits going by unfollowed, and found afresh when next asked for.
void FindController::RefreshResultsSoon() {
    if (m_refreshPending) return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        RunEventHandler(m_boxes, [this] { RefreshResults(); });
    });
}

void FindController::RefreshResults() {
    if (!m_document.Work().Doc().HasStores()) {
        m_document.ForgetUsages();
        m_document.ForgetReferences();
        return;
    }
    if (m_usagesWindow && m_usagesWindow->isVisible()) {
        m_document.FollowUsages();
        ShowUsages();
    } else {
        m_document.ForgetUsages();
    }
    if (m_checkWindow && m_checkWindow->isVisible() && ModKinds()) {
        // Across kinds, a name of one may point at a section of any other: found whole again.
        m_document.ForgetReferences();
        ShowCheckReferences();
    } else if (m_checkWindow && m_checkWindow->isVisible()) {
        if (m_document.References())
            m_document.FollowReferences();
        else
            m_document.CheckReferences();
        ShowCheckReferences();
    } else {
        m_document.ForgetReferences();
    }
    // The value check follows every edit itself, so the list only shows it again.
    if (m_valuesWindow && m_valuesWindow->isVisible()) ShowCheckValues();
    if (m_conflictsWindow && m_conflictsWindow->isVisible()) m_conflictsWindow->Refill();
}

// ---------------------------------------------------------------------------------------------
// The lists

ResultsWindow& FindController::ShowUsages() {
    const std::string& code = m_document.UsagesCode();
    ResultsWindow& window =
        ListWindow(m_usagesWindow, QStringLiteral("UsagesWindow"),
                   {QStringLiteral("Section"), QStringLiteral("Key"), QStringLiteral("Value")});
    std::vector<ListedResults::Row> rows;
    rows.reserve(m_document.Usages().size());
    for (const Usage& usage : m_document.Usages()) {
        std::string key(usage.Key());
        rows.push_back({{usage.SectionName, key, std::string(usage.Value())}, {usage.SectionName, key, {}}});
    }
    // With a mod open, the lines of the other kinds follow, each named by its file.
    if (const EditingSession* session = m_host.Session(); session && session->ModOpen()) {
        std::vector<const Workspace*> others;
        for (const Workspace* kind : session->Kinds())
            if (kind != &m_document.Work()) others.push_back(kind);
        for (const ModUsage& usage : FindModUsages(others, code)) {
            std::string key(usage.Line.Key());
            const std::string& kind = usage.Kind->FileToEdit();
            rows.push_back({{kind + ": " + usage.Line.SectionName, key, std::string(usage.Line.Value())},
                            {usage.Line.SectionName, key, kind}});
        }
    }
    window.setWindowTitle(ToQString("Usages of " + code));
    window.SetSummary(Counted(rows.size(), "1 line names %1", "%1 lines name %2").arg(ToQString(code)));
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

ResultsWindow& FindController::ShowCheckReferences() {
    if (const std::optional<std::vector<const Workspace*>> kinds = ModKinds()) return ShowModReferences(*kinds);
    ResultsWindow& window = ListWindow(m_checkWindow, QStringLiteral("CheckReferencesWindow"),
                                       CheckColumns(QStringLiteral("Item")));
    const ReferenceCheck& check = *m_document.References();
    const std::vector<DanglingItem>& dangling = check.DanglingItems();
    const std::vector<DoubleListing>& doubles = check.DoubleListings();
    std::vector<ListedResults::Row> rows;
    rows.reserve(dangling.size() + doubles.size());
    for (const DanglingItem& item : dangling)
        rows.push_back({{item.Category, item.SectionName, item.Key, item.Value, item.Item},
                        {item.SectionName, item.Key, {}}});
    for (const DoubleListing& listing : doubles)
        rows.push_back(
            {{listing.Category, listing.Code, "", "", "listed " + std::to_string(listing.Times) + " times"},
             {listing.Code, "", {}}});
    // A name a layer uses must be there once the game read the whole stack.
    const std::vector<LayerDanglingItem> layered = FindLayerDanglingItems(m_document.Layers().Stack());
    for (const LayerDanglingItem& item : layered)
        rows.push_back({{item.Category, item.SectionName, item.Key, item.FileName + " line " + std::to_string(item.Line),
                         item.Item},
                        {item.SectionName, item.Key, {}}});
    window.setWindowTitle(QStringLiteral("Check References"));
    QString summary =
        Counted(dangling.size(), "1 item names nothing its key allows",
                "%1 items name nothing their key allows") +
        QStringLiteral("; ") +
        Counted(doubles.size(), "1 entry is listed more than once", "%1 entries are listed more than once");
    if (m_document.Layers().Any())
        summary += QStringLiteral("; ") + Counted(layered.size(), "1 name a layer uses is nowhere in the stack",
                                                  "%1 names the layers use are nowhere in the stack");
    window.SetSummary(summary);
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

// Every kind's rows, each category named with the kind's file, each row leading into its kind.
ResultsWindow& FindController::ShowModReferences(const std::vector<const Workspace*>& kinds) {
    ResultsWindow& window = ListWindow(m_checkWindow, QStringLiteral("CheckReferencesWindow"),
                                       CheckColumns(QStringLiteral("Item")));
    const ModReferenceFindings found = CheckModReferences(kinds);
    std::vector<ListedResults::Row> rows;
    rows.reserve(found.Dangling.size() + found.Doubles.size());
    for (const ModDanglingItem& dangling : found.Dangling) {
        const DanglingItem& item = dangling.Item;
        const std::string& kind = dangling.Kind->FileToEdit();
        rows.push_back({{kind + ": " + item.Category, item.SectionName, item.Key, item.Value, item.Item},
                        {item.SectionName, item.Key, kind}});
    }
    for (const ModDoubleListing& listing : found.Doubles) {
        const std::string& kind = listing.Kind->FileToEdit();
        rows.push_back({{kind + ": " + listing.Listing.Category, listing.Listing.Code, "", "",
                         "listed " + std::to_string(listing.Listing.Times) + " times"},
                        {listing.Listing.Code, "", kind}});
    }
    window.setWindowTitle(QStringLiteral("Check References"));
    window.SetSummary(Counted(found.Dangling.size(), "1 item names nothing its key allows",
                              "%1 items name nothing their key allows") +
                      QStringLiteral("; ") +
                      Counted(found.Doubles.size(), "1 entry is listed more than once",
                              "%1 entries are listed more than once") +
                      QStringLiteral(" (every file of the mod)"));
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

ResultsWindow& FindController::ShowCheckValues() {
    ResultsWindow& window = ListWindow(m_valuesWindow, QStringLiteral("CheckValuesWindow"),
                                       CheckColumns(QStringLiteral("Reason")) << QStringLiteral("Severity"));
    const ValueCheck& check = m_document.Values().Check();
    const std::vector<ValueFinding> findings = check.Findings();
    std::vector<ListedResults::Row> rows;
    rows.reserve(findings.size());
    for (const ValueFinding& finding : findings)
        rows.push_back({{finding.Category, finding.SectionName, finding.Key, finding.Value, finding.Reason,
                         std::string(SeverityText(finding.Severity))},
                        {finding.SectionName, finding.Key, {}}});
    // The values the layers set that the game will use are judged as the document's are.
    const std::vector<LayerValueFinding> layered = m_document.Layers().Misfits(m_document.Values());
    for (const LayerValueFinding& finding : layered)
        rows.push_back({{finding.Category, finding.SectionName, finding.Key, finding.Value,
                         finding.Reason + " (" + finding.FileName + " line " + std::to_string(finding.Line) + ")",
                         std::string(SeverityText(Severity::LikelyWrong))},
                        {finding.SectionName, finding.Key, {}}});
    window.setWindowTitle(QStringLiteral("Check Values"));
    QString summary =
        Counted(findings.size() + layered.size(), "1 value does not fit its key", "%1 values do not fit their keys");
    for (const std::string& problem : check.Problems()) summary += QStringLiteral("\n") + ToQString(problem);
    window.SetSummary(summary);
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

}  // namespace velmora
