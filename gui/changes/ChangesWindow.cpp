// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/changes/ChangesWindow.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QLayout>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>
#include <QItemSelectionModel>
#include <set>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>
#include "core/boxes/Boxes.h"
#include "core/compare/ChangeRows.h"
#include "core/compare/EntryRevert.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/services/DocumentSignals.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "gui/services/WindowPlaces.h"
#include "core/compare/RevertPlan.h"
#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/session/DocumentComparison.h"
#include "gui/services/WindowHost.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "gui/changes/ChangesModel.h"

namespace velmora {

namespace {

constexpr const char* OtherFileFilter = "INI files (*.ini)|*.ini|All files|*.*";
constexpr const char* PatchFilter = "INI file (*.ini)|*.ini|All files (*.*)|*.*";

constexpr int DesignedWidth = 640;
constexpr int DesignedHeight = 420;
constexpr int DesignedColumnWidth = 150;
constexpr int GapBelowMain = 8;
constexpr std::chrono::milliseconds FilterPause(200);
// Edits come in bursts (a script, a revert and its undo); the list is compared once they pause.
constexpr std::chrono::milliseconds EditPause(250);
// A list opens with its groups expanded as long as their rows stay within this many.
constexpr size_t RowsExpandedAtFirst = 2000;

// What a row stands for across comparisons: its entry and key, never its place in the list.
std::string Identity(const Difference& difference) {
    std::string identity(difference.Section());
    identity += '\n';
    identity += difference.Key();
    return identity;
}

// True when the two names are one file: the same text, or the same existing file.
bool SameFile(const std::string& a, const std::string& b) {
    if (EqualsNoCase(a, b)) return true;
    std::error_code error;
    return std::filesystem::equivalent(platform::ToPath(a), platform::ToPath(b), error);
}

}  // namespace

ChangesWindow::ChangesWindow(WindowHost& MainWin, DocumentComparison& comparison, const Globals& globals,
                             Boxes& boxes)
    : QWidget(&MainWin.HostWidget(), Qt::Window),
      m_main(MainWin),
      m_comparison(comparison),
      m_globals(globals),
      m_boxes(boxes) {
    BuildControls();
}

ChangesWindow::~ChangesWindow() = default;

void ChangesWindow::BuildControls() {
    setObjectName(QStringLiteral("ChangesWindow"));
    setWindowTitle(QStringLiteral("Changes"));
    QHBoxLayout* chooser = BuildReferenceLine();
    m_referencePanel = new QLabel(this);
    m_referencePanel->setObjectName(QStringLiteral("ReferencePanel"));
    BuildFilter();
    BuildTree();
    QHBoxLayout* commands = BuildCommandLine();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(m_referencePanel);
    layout->addWidget(m_filter);
    layout->addWidget(m_tree, 1);
    layout->addLayout(commands);
    // Names and texts from files are shown as they are, never read as markup.
    for (QLabel* panel : {m_referencePanel, m_status}) {
        panel->setTextFormat(Qt::PlainText);
        panel->setMinimumWidth(1);  // a long name is cut, not widening the window
    }
    TipWhenCut({m_referencePanel, m_status});
    resize(DesignedWidth, DesignedHeight);
    FollowTheDocument();
}

QHBoxLayout* ChangesWindow::BuildReferenceLine() {
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(QStringLiteral("Compare with:"), this));
    m_referenceBox = new QComboBox(this);
    m_referenceBox->setObjectName(QStringLiteral("ReferenceBox"));
    // In the order of ReferenceKind.
    m_referenceBox->addItems({QStringLiteral("Default copy"), QStringLiteral("Game's copy"),
                              QStringLiteral("Other INI file…")});
    line->addWidget(m_referenceBox, 1);
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh->setObjectName(QStringLiteral("RefreshButton"));
    line->addWidget(refresh);
    FitCaptions({refresh});
    connect(m_referenceBox, &QComboBox::activated, this,
            [this](int index) { RunEventHandler(m_boxes, [this, index] { ChooseReference(index); }); });
    connect(refresh, &QPushButton::clicked, this, &ChangesWindow::Guarded<&ChangesWindow::Compare>);
    return line;
}

void ChangesWindow::BuildFilter() {
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("FilterEdit"));
    m_filter->setPlaceholderText(QStringLiteral("Filter"));
    m_filter->setClearButtonEnabled(true);
    // A long list is filled again once the typing pauses, not at every key.
    auto* filterPause = new QTimer(this);
    filterPause->setSingleShot(true);
    filterPause->setInterval(FilterPause);
    connect(m_filter, &QLineEdit::textChanged, filterPause, qOverload<>(&QTimer::start));
    connect(filterPause, &QTimer::timeout, this,
            [this] { RunEventHandler(m_boxes, [this] { ShowDifferences(TakePlace()); }); });
}

void ChangesWindow::BuildTree() {
    m_model = new ChangesModel(this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("ChangesTree"));
    m_tree->setModel(m_model);
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setUniformRowHeights(true);  // a long list scrolls without measuring every row
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setExpandsOnDoubleClick(true);
    for (int column = EntryColumn; column < DocumentColumn; ++column)
        m_tree->setColumnWidth(column, DesignedColumnWidth);
    m_treeMenu = new QMenu(this);
    QAction* revertRows = m_treeMenu->addAction(QStringLiteral("Re&vert"));
    revertRows->setObjectName(QStringLiteral("RevertRows1"));
    QAction* revertEntries = m_treeMenu->addAction(QStringLiteral("Revert &Entry"));
    revertEntries->setObjectName(QStringLiteral("RevertEntries1"));
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        RunEventHandler(m_boxes, [this, index] { OpenSelectedRow(index); });
    });
    // A group's rows are made when it is first opened.
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex& group) {
        if (m_model->canFetchMore(group)) m_model->fetchMore(group);
    });
    connect(m_tree, &QWidget::customContextMenuRequested, this, &ChangesWindow::ShowTreeMenu);
    connect(revertRows, &QAction::triggered, this,
            [this] { RunEventHandler(m_boxes, [this] { RevertSelected(); }); });
    connect(revertEntries, &QAction::triggered, this,
            [this] { RunEventHandler(m_boxes, [this] { RevertSelectedEntries(); }); });
}

QHBoxLayout* ChangesWindow::BuildCommandLine() {
    auto* line = new QHBoxLayout;
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusPanel"));
    line->addWidget(m_status, 1);
    const auto button = [this, line](const QString& text, const QString& name) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(name);
        line->addWidget(made);
        return made;
    };
    QPushButton* revert = button(QStringLiteral("Re&vert"), QStringLiteral("RevertButton"));
    revert->setToolTip(QStringLiteral("Put the reference back for the selected rows"));
    QPushButton* revertEntry = button(QStringLiteral("Revert &Entry"), QStringLiteral("RevertEntryButton"));
    revertEntry->setToolTip(
        QStringLiteral("Put the reference back for every change of the selected rows' entries"));
    QPushButton* save = button(QStringLiteral("Save Changes As…"), QStringLiteral("SaveChangesButton"));
    QPushButton* closeButton = button(QStringLiteral("Close"), QStringLiteral("CloseButton"));
    FitCaptions({revert, revertEntry, save, closeButton});

    connect(revert, &QPushButton::clicked, this,
            [this] { RunEventHandler(m_boxes, [this] { RevertSelected(); }); });
    connect(revertEntry, &QPushButton::clicked, this,
            [this] { RunEventHandler(m_boxes, [this] { RevertSelectedEntries(); }); });
    connect(save, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { SaveChangesAs(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    return line;
}

// Edits, undos and redos from any window change what differs: the comparison is brought up to
// them once they pause, or made again from a new copy when they reshaped the one under way.
void ChangesWindow::FollowTheDocument() {
    m_compareAfterEdits = new QTimer(this);
    m_compareAfterEdits->setSingleShot(true);
    m_compareAfterEdits->setInterval(EditPause);
    connect(m_compareAfterEdits, &QTimer::timeout, this, &ChangesWindow::FollowEdits);
    m_builder = new OffThreadBuild<ChangesSource::Compared, ChangesSource>(  // owned through its Qt parent
        m_main.Work().Doc(), [this] { return m_comparison.CopyToCompare(); },
        [](const ChangesSource& source) { return source.Compare(); },
        [this](std::unique_ptr<ChangesSource::Compared> compared, const std::string& error) {
            Compared(std::move(compared), error);
        },
        this);
    connect(&m_main.DocumentNews(), &DocumentSignals::edited, this, &ChangesWindow::DocumentEdited);
}

void ChangesWindow::AddMenuCommands(QMenu& menu, QAction* before) {
    auto* compare = new QAction(QStringLiteral("Co&mpare…"), &menu);
    compare->setObjectName(QStringLiteral("Compare1"));
    auto* save = new QAction(QStringLiteral("Save &Changes As…"), &menu);
    save->setObjectName(QStringLiteral("SaveChanges1"));
    menu.insertAction(before, compare);
    menu.insertAction(before, save);
    menu.insertSeparator(before);
    connect(compare, &QAction::triggered, this, &ChangesWindow::Guarded<&ChangesWindow::ShowChanges>);
    connect(save, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { SaveChangesAs(); }); });
}

// ---------------------------------------------------------------------------------------------
// The reference and the comparison

void ChangesWindow::ChooseReference(int index) {
    const auto kind = static_cast<ReferenceKind>(index);
    if (kind == ReferenceKind::OtherFile) {
        const std::optional<std::string> name = m_boxes.OpenFileName(OtherFileFilter, m_otherFile);
        if (!name) {
            // Called off: the reference stays what it was.
            m_referenceBox->setCurrentIndex(static_cast<int>(m_referenceKind));
            return;
        }
        m_otherFile = *name;
    }
    m_referenceKind = kind;
    Compare();
}

void ChangesWindow::ShowAndCompareWithFile(const std::string& fileName) {
    m_otherFile = fileName;
    m_referenceKind = ReferenceKind::OtherFile;
    {
        const QSignalBlocker blocker(m_referenceBox);
        m_referenceBox->setCurrentIndex(static_cast<int>(m_referenceKind));
    }
    ShowAndCompare();
}

std::string ChangesWindow::ReferenceFileName() const {
    const Workspace& work = m_main.Work();
    switch (m_referenceKind) {
        case ReferenceKind::DefaultCopy:
            return work.DefaultIni() ? work.DefaultIni()->FileName() : m_globals.DefaultFileName;
        case ReferenceKind::GameCopy:
            return work.GameCopyFileName();
        case ReferenceKind::OtherFile:
            break;
    }
    return m_otherFile;
}

void ChangesWindow::LoadReference() {
    // The default copy is the store the file type loaded.
    if (m_referenceKind != ReferenceKind::DefaultCopy) m_comparison.ReadReference(ReferenceFileName());
}

const IniStore* ChangesWindow::Reference() const {
    return m_comparison.Reference();
}

void ChangesWindow::ForgetDifferences() {
    m_model->Show(nullptr, nullptr, {});  // no row may stand for a difference that goes
    m_comparison.ForgetDifferences();
}

void ChangesWindow::Forget() {
    m_builder->Cancel();
    m_model->Show(nullptr, nullptr, {});
    m_comparison.Forget();
}

void ChangesWindow::BeginComparison() {
    // A comparison under way has the list's place still to show.
    if (!m_builder->Building()) m_pendingPlace = TakePlace();
    Forget();
    m_referencePanel->setText(ToQString("Reference: " + ReferenceFileName()));
    const Workspace& work = m_main.Work();
    try {
        // A start-up that failed left no document.
        if (!work.Doc().HasDocument() || !work.DefaultIni())
            throw IniError("There is no document to compare.");
        LoadReference();
    } catch (const std::exception& error) {
        ShowDifferences(std::exchange(m_pendingPlace, {}));
        ShowStatus(error.what());
        throw;
    }
}

void ChangesWindow::Compare() {
    BeginComparison();
    m_status->setText(QStringLiteral("Comparing…"));
    m_builder->Start();
}

void ChangesWindow::CompareWithTheSameReference() {
    m_pendingPlace = TakePlace();
    ForgetDifferences();
    m_status->setText(QStringLiteral("Comparing…"));
    m_builder->Start();
}

bool ChangesWindow::Comparing() const {
    return m_builder->Building();
}

void ChangesWindow::CompareNow() {
    BeginComparison();
    const HourglassPointer hourglass;
    m_comparison.CompareNow();
    ShowDifferences(std::exchange(m_pendingPlace, {}));
}

void ChangesWindow::Compared(std::unique_ptr<ChangesSource::Compared> compared, const std::string& error) {
    if (!compared) {
        ShowDifferences(std::exchange(m_pendingPlace, {}));
        ShowStatus(error);
        return;
    }
    // A copy that the edits since have outdated is made again.
    if (!m_comparison.TakeUp(std::move(*compared))) {
        m_builder->Start();
        return;
    }
    ShowDifferences(std::exchange(m_pendingPlace, {}));
}

void ChangesWindow::ShowChanges() {
    if (!m_comparison.Compared() && !Comparing()) {
        ShowAndCompare();
        return;
    }
    Present();
}

void ChangesWindow::ShowAndCompare() {
    Present();
    Compare();
}

void ChangesWindow::Present() {
    if (!m_placed) {
        // First shown below the main window, where the category windows, which open beside it,
        // leave room; inside the screen.
        m_placed = true;
        if (layout()) layout()->activate();  // its real size before it is placed
        const QRect main = m_main.HostWidget().frameGeometry();
        move(main.left(), main.bottom() + 1 + GapBelowMain);
        WindowPlaces::KeepOnScreen(*this, m_main.HostWidget());
        // Its frame is only guessed until the window manager has framed it: once it has, a window
        // whose frame came out taller than guessed moves up as far as it passes the screen's edge.
        QTimer::singleShot(0, this, [this] { WindowPlaces::KeepOnScreen(*this, m_main.HostWidget()); });
    }
    m_main.FocusAndShow(this);
}

void ChangesWindow::DocumentReplaced() {
    if (!isVisible() && m_referenceKind != ReferenceKind::DefaultCopy) {
        // Compared again when next shown; nothing of the old document stays.
        Forget();
        return;
    }
    CompareAgain();
}

void ChangesWindow::CompareAgain() {
    m_compareAfterEdits->stop();
    try {
        Compare();
    } catch (const std::exception&) {
        // Compare tells the reason in the window.
    }
}

void ChangesWindow::FollowEdits() {
    m_compareAfterEdits->stop();
    if (m_builder->Building()) return;  // the comparison under way catches up when it is done
    switch (m_comparison.HowToFollow()) {
        case DocumentComparison::FollowUp::NewComparison:
            CompareAgain();
            return;
        case DocumentComparison::FollowUp::NewCopy:
            // Entries that came or went, or a list edited, are compared afresh, away from this thread.
            CompareWithTheSameReference();
            return;
        case DocumentComparison::FollowUp::Sections:
            break;
    }
    const Place place = TakePlace();
    m_model->Show(nullptr, nullptr, {});  // no row may stand for a difference while they change
    m_comparison.FollowEdits();
    ShowDifferences(place);
}

const std::vector<Difference>& ChangesWindow::Differences() const {
    return m_comparison.Differences();
}

void ChangesWindow::DocumentEdited() {
    if (m_builder->Building()) {
        // The copy being compared lacks the edit: values are caught up when it is done; a
        // document reshaped needs a copy made after the edit.
        if (m_comparison.CopyOutdated()) m_builder->Start();
        return;
    }
    if (m_comparison.Compared()) m_compareAfterEdits->start();
}

// ---------------------------------------------------------------------------------------------
// The list

ChangesWindow::Place ChangesWindow::TakePlace() const {
    Place place;
    for (const QModelIndex& index : m_tree->selectionModel()->selectedRows()) {
        if (const std::optional<size_t> difference = m_model->DifferenceOf(index))
            place.rows.insert(Identity(Differences()[*difference]));
        else
            place.groups.insert(m_comparison.Groups()[m_model->GroupOf(index)].Category);
    }
    for (int g = 0; g < m_model->rowCount(); ++g) {
        const QModelIndex group = m_model->index(g, 0);
        const std::string& category = m_comparison.Groups()[m_model->GroupOf(group)].Category;
        place.shownGroups.insert(category);
        if (m_tree->isExpanded(group)) place.expanded.insert(category);
    }
    if (const std::optional<size_t> difference = m_model->DifferenceOf(m_tree->currentIndex()))
        place.current = Identity(Differences()[*difference]);
    return place;
}

void ChangesWindow::ShowDifferences(const Place& place) {
    m_model->Show(&Differences(), &m_comparison.Groups(), ToBytes(m_filter->text()));
    for (int g = 0; g < m_model->rowCount(); ++g) m_tree->setFirstColumnSpanned(g, QModelIndex(), true);
    // A group shown before keeps its state; one that comes into view opens as a new list's would.
    const std::vector<bool> atFirst = ExpandedAtFirst();
    const bool rowsKept = !place.rows.empty() || !place.current.empty();
    QItemSelection selection;
    QModelIndex currentIndex;
    for (int g = 0; g < m_model->rowCount(); ++g) {
        const QModelIndex group = m_model->index(g, 0);
        const std::string& category = m_comparison.Groups()[m_model->GroupOf(group)].Category;
        if (place.groups.count(category)) selection.select(group, group);
        const bool shownBefore = place.shownGroups.count(category) != 0;
        if (shownBefore ? place.expanded.count(category) == 0 : !atFirst[static_cast<size_t>(g)]) continue;
        m_tree->expand(group);  // its rows are fetched as it opens
        if (!rowsKept) continue;
        const std::vector<size_t>& rows = m_model->RowsOfGroup(g);
        for (size_t r = 0; r < rows.size(); ++r) {
            const std::string identity = Identity(Differences()[rows[r]]);
            const QModelIndex row = m_model->index(static_cast<int>(r), 0, group);
            if (place.rows.count(identity)) selection.select(row, row);
            if (identity == place.current) currentIndex = row;
        }
    }
    if (currentIndex.isValid()) m_tree->selectionModel()->setCurrentIndex(currentIndex, QItemSelectionModel::NoUpdate);
    if (!selection.isEmpty())
        m_tree->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (currentIndex.isValid()) m_tree->scrollTo(currentIndex);

    if (!m_comparison.Compared()) return;
    const size_t shown = m_model->ShownCount();
    const size_t total = Differences().size();
    const std::string counted = std::to_string(total) + (total == 1 ? " difference" : " differences");
    if (total == 0)
        ShowStatus("No differences.");
    else if (shown == total)
        ShowStatus(counted + ".");
    else
        ShowStatus(std::to_string(shown) + " of " + counted + " shown.");
}

std::vector<bool> ChangesWindow::ExpandedAtFirst() const {
    std::vector<bool> expanded(static_cast<size_t>(m_model->rowCount()), false);
    size_t rows = 0;
    for (size_t g = 0; g < expanded.size(); ++g) {
        rows += m_model->RowsOfGroup(static_cast<int>(g)).size();
        if (rows > RowsExpandedAtFirst) break;
        expanded[g] = true;
    }
    return expanded;
}

void ChangesWindow::ShowStatus(const std::string& text) {
    m_status->setText(ToQString(text));
}

std::vector<Difference> ChangesWindow::SelectedDifferences() const {
    std::vector<char> rowSelected(Differences().size(), 0);
    std::vector<char> groupSelected(static_cast<size_t>(m_model->rowCount()), 0);
    for (const QModelIndex& index : m_tree->selectionModel()->selectedRows()) {
        if (const std::optional<size_t> difference = m_model->DifferenceOf(index))
            rowSelected[*difference] = 1;
        else if (!index.parent().isValid() && index.row() < m_model->rowCount())
            groupSelected[static_cast<size_t>(index.row())] = 1;
    }
    // A selected group stands for all its shown rows, opened or not.
    std::vector<Difference> selected;
    for (int g = 0; g < m_model->rowCount(); ++g)
        for (const size_t index : m_model->RowsOfGroup(g))
            if (groupSelected[static_cast<size_t>(g)] || rowSelected[index]) selected.push_back(Differences()[index]);
    return selected;
}

// ---------------------------------------------------------------------------------------------
// Revert

void ChangesWindow::ShowTreeMenu(const QPoint& position) {
    if (!m_tree->selectionModel()->hasSelection()) return;
    m_treeMenu->popup(m_tree->viewport()->mapToGlobal(position));
}

bool ChangesWindow::RevertSelected() { return Revert(SelectedDifferences()); }

bool ChangesWindow::RevertSelectedEntries() {
    return Revert(DifferencesOfEntries(Differences(), SelectedDifferences(), m_globals.CaseSensitive));
}

bool ChangesWindow::Revert(const std::vector<Difference>& selection) {
    const IniStore* reference = Reference();
    if (selection.empty() || reference == nullptr) {
        ShowStatus("Select the changes to revert.");
        return false;
    }
    // The edit is planned from the list as shown. One that no longer fits the document (edited
    // since, and not yet compared again) changes nothing and says so; the list is then renewed.
    try {
        RevertEntries(m_main.Work(), selection, *reference, SelectedCategory());
    } catch (const IniError&) {
        CompareAgain();
        throw;
    }
    FollowEdits();
    return true;
}

std::string ChangesWindow::SelectedCategory() const {
    const QModelIndexList selected = m_tree->selectionModel()->selectedRows();
    if (selected.isEmpty()) return {};
    const size_t group = m_model->GroupOf(selected.front());
    if (group >= m_comparison.Groups().size()) return {};
    const std::string& category = m_comparison.Groups()[group].Category;
    // "Unknown!" has no window to show the entry in.
    return NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive) ? std::string() : category;
}

void ChangesWindow::OpenSelectedRow(const QModelIndex& index) {
    const std::optional<size_t> position = m_model->DifferenceOf(index);
    if (!position) return;  // a group row opens and closes by itself
    const size_t group = m_model->GroupOf(index);
    if (*position >= Differences().size() || group >= m_comparison.Groups().size()) return;
    const Difference& difference = Differences()[*position];
    const std::string& category = m_comparison.Groups()[group].Category;
    const std::string entry = "[" + std::string(difference.Section()) + "]";
    if (NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive)) {
        ShowStatus(entry + " is in no category, and " + category + " has no window.");
        return;
    }
    if (difference.Kind() == DifferenceKind::SectionOnlyInReference) {
        ShowStatus("The document has no entry " + entry + ".");
        return;
    }
    if (!m_main.ShowEntryAt(category, std::string(difference.Section()), std::string(difference.Key())))
        ShowStatus("The window of " + category + " does not show " +
                   Trim(entry + " " + std::string(difference.Key())) + ".");
}

// ---------------------------------------------------------------------------------------------
// The patch

bool ChangesWindow::SaveChangesAs() {
    // The patch is of the document as it stands, and the list shows what it holds.
    CompareNow();
    if (Differences().empty()) {
        m_boxes.Notice("The document does not differ from " + ExtractFileName(ReferenceFileName()) +
                       ": there are no changes to save.");
        return false;
    }
    const std::string proposed = ChangeFileExt(m_main.Work().Doc().FileName(), "") + "-changes.ini";
    const std::optional<std::string> name = m_boxes.SaveFileName(PatchFilter, proposed);
    if (!name) return false;
    // The patch must not take the place of a file it is made from.
    for (const auto& [file, role] : {std::pair{m_main.Work().Doc().FileName(), "the document"},
                                     std::pair{ReferenceFileName(), "the reference"},
                                     std::pair{m_globals.DefaultFileName, "the default copy"}}) {
        if (SameFile(*name, file)) {
            m_boxes.Notice("Cannot save the changes as " + *name + ": it is " + role + " itself.");
            return false;
        }
    }
    if (!m_main.FileExistOK(*name)) return false;
    if (const size_t removals = PatchRemovals(Differences()).size();
        removals > 0 && m_boxes.Plain("Save Changes", PatchRemovalsWarning(removals), true) != BoxAnswer::Ok)
        return false;
    platform::WriteWholeFile(*name, PatchText(m_main.Work().Doc().Store(), Differences()));
    ShowStatus("Changes saved to " + *name + ".");
    return true;
}

}  // namespace velmora
