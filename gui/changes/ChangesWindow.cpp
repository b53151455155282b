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
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

#include "core/catalogue/Boxes.h"
#include "core/compare/ChangeRows.h"
#include "core/compare/EntryRevert.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/DocumentSignals.h"
#include "core/catalogue/Globals.h"
#include "gui/widgets/QtText.h"
#include "core/compare/RevertPlan.h"
#include "core/catalogue/Routines.h"
#include "core/catalogue/Workspace.h"
#include "gui/widgets/WindowHost.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"
#include "core/store/mIniGue.h"

namespace velmora {

namespace {

constexpr const char* OtherFileFilter = "INI files (*.ini)|*.ini|All files|*.*";
constexpr const char* PatchFilter = "INI file (*.ini)|*.ini|All files (*.*)|*.*";

// What a row of the tree stands for: a difference's position (rows only) and its group's.
constexpr int DifferenceRole = Qt::UserRole;
constexpr int GroupRole = Qt::UserRole + 1;

constexpr int DesignedWidth = 640;
constexpr int DesignedHeight = 420;
constexpr int DesignedColumnWidth = 150;
constexpr int GapBelowMain = 8;
constexpr std::chrono::milliseconds FilterPause(200);
// Edits come in bursts (a script, a revert and its undo); the list is compared once they pause.
constexpr std::chrono::milliseconds EditPause(250);

// True when the two names are one file: the same text, or the same existing file.
bool SameFile(const std::string& a, const std::string& b) {
    if (EqualsNoCase(a, b)) return true;
    std::error_code error;
    return std::filesystem::equivalent(platform::ToPath(a), platform::ToPath(b), error);
}

}  // namespace

TChangesWin::TChangesWin(WindowHost& MainWin, const Globals& globals, Boxes& boxes)
    : QWidget(&MainWin.HostWidget(), Qt::Window), m_main(MainWin), m_globals(globals), m_boxes(boxes) {
    BuildControls();
}

TChangesWin::~TChangesWin() = default;

void TChangesWin::BuildControls() {
    setObjectName(QStringLiteral("ChangesWindow"));
    setWindowTitle(QStringLiteral("Changes"));

    auto* chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(QStringLiteral("Compare with:"), this));
    m_referenceBox = new QComboBox(this);
    m_referenceBox->setObjectName(QStringLiteral("ReferenceBox"));
    // In the order of ReferenceKind.
    m_referenceBox->addItems({QStringLiteral("Default copy"), QStringLiteral("Game's copy"),
                              QStringLiteral("Other INI file…")});
    chooser->addWidget(m_referenceBox, 1);
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh->setObjectName(QStringLiteral("RefreshButton"));
    chooser->addWidget(refresh);

    m_referencePanel = new QLabel(this);
    m_referencePanel->setObjectName(QStringLiteral("ReferencePanel"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("FilterEdit"));
    m_filter->setPlaceholderText(QStringLiteral("Filter"));
    m_filter->setClearButtonEnabled(true);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("ChangesTree"));
    m_tree->setHeaderLabels(
        {QStringLiteral("Entry"), QStringLiteral("Key"), QStringLiteral("Reference"), QStringLiteral("Document")});
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setUniformRowHeights(true);  // a long list scrolls without measuring every row
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setExpandsOnDoubleClick(true);
    for (int column = EntryColumn; column < DocumentColumn; ++column)
        m_tree->setColumnWidth(column, DesignedColumnWidth);

    auto* commands = new QHBoxLayout;
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusPanel"));
    commands->addWidget(m_status, 1);
    auto* revert = new QPushButton(QStringLiteral("Re&vert"), this);
    revert->setObjectName(QStringLiteral("RevertButton"));
    revert->setToolTip(QStringLiteral("Put the reference back for the selected rows"));
    commands->addWidget(revert);
    auto* revertEntry = new QPushButton(QStringLiteral("Revert &Entry"), this);
    revertEntry->setObjectName(QStringLiteral("RevertEntryButton"));
    revertEntry->setToolTip(QStringLiteral("Put the reference back for every change of the selected rows' entries"));
    commands->addWidget(revertEntry);
    auto* save = new QPushButton(QStringLiteral("Save Changes As…"), this);
    save->setObjectName(QStringLiteral("SaveChangesButton"));
    commands->addWidget(save);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    commands->addWidget(closeButton);

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
    FitCaptions({refresh, revert, revertEntry, save, closeButton});

    m_treeMenu = new QMenu(this);
    QAction* revertRows = m_treeMenu->addAction(QStringLiteral("Re&vert"));
    revertRows->setObjectName(QStringLiteral("RevertRows1"));
    QAction* revertEntries = m_treeMenu->addAction(QStringLiteral("Revert &Entry"));
    revertEntries->setObjectName(QStringLiteral("RevertEntries1"));
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_compareAfterEdits = new QTimer(this);
    m_compareAfterEdits->setSingleShot(true);
    m_compareAfterEdits->setInterval(EditPause);
    resize(DesignedWidth, DesignedHeight);

    connect(m_referenceBox, &QComboBox::activated, this,
            [this](int index) { RunEventHandler(m_boxes, [this, index] { ChooseReference(index); }); });
    connect(refresh, &QPushButton::clicked, this, &TChangesWin::Guarded<&TChangesWin::Compare>);
    // A long list is filled again once the typing pauses, not at every key.
    auto* filterPause = new QTimer(this);
    filterPause->setSingleShot(true);
    filterPause->setInterval(FilterPause);
    connect(m_filter, &QLineEdit::textChanged, filterPause, qOverload<>(&QTimer::start));
    connect(filterPause, &QTimer::timeout, this, &TChangesWin::Guarded<&TChangesWin::ShowDifferences>);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        RunEventHandler(m_boxes, [this, item] { OpenSelectedRow(item); });
    });
    connect(save, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { SaveChangesAs(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto revertRowsNow = [this] { RunEventHandler(m_boxes, [this] { RevertSelected(); }); };
    auto revertEntriesNow = [this] { RunEventHandler(m_boxes, [this] { RevertSelectedEntries(); }); };
    connect(revert, &QPushButton::clicked, this, revertRowsNow);
    connect(revertRows, &QAction::triggered, this, revertRowsNow);
    connect(revertEntry, &QPushButton::clicked, this, revertEntriesNow);
    connect(revertEntries, &QAction::triggered, this, revertEntriesNow);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &TChangesWin::ShowTreeMenu);

    // Edits, undos and redos from any window change what differs.
    const DocumentSignals& news = m_main.DocumentNews();
    connect(&news, &DocumentSignals::valueChanged, this, [this](const std::string& code) {
        m_touched.Add(code);
        DocumentEdited();
    });
    connect(&news, &DocumentSignals::entriesChanged, this, [this] {
        m_touched.AddEverything();
        DocumentEdited();
    });
    connect(m_compareAfterEdits, &QTimer::timeout, this, &TChangesWin::FollowEdits);
}

void TChangesWin::AddMenuCommands(QMenu& menu, QAction* before) {
    auto* compare = new QAction(QStringLiteral("Co&mpare…"), &menu);
    compare->setObjectName(QStringLiteral("Compare1"));
    auto* save = new QAction(QStringLiteral("Save &Changes As…"), &menu);
    save->setObjectName(QStringLiteral("SaveChanges1"));
    menu.insertAction(before, compare);
    menu.insertAction(before, save);
    menu.insertSeparator(before);
    connect(compare, &QAction::triggered, this, &TChangesWin::Guarded<&TChangesWin::ShowAndCompare>);
    connect(save, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { SaveChangesAs(); }); });
}

// ---------------------------------------------------------------------------------------------
// The reference and the comparison

void TChangesWin::ChooseReference(int index) {
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

void TChangesWin::ShowAndCompareWithFile(const std::string& fileName) {
    m_otherFile = fileName;
    m_referenceKind = ReferenceKind::OtherFile;
    {
        const QSignalBlocker blocker(m_referenceBox);
        m_referenceBox->setCurrentIndex(static_cast<int>(m_referenceKind));
    }
    ShowAndCompare();
}

std::string TChangesWin::ReferenceFileName() const {
    const Workspace& work = m_main.Work();
    switch (m_referenceKind) {
        case ReferenceKind::DefaultCopy:
            return work.DefaultIni ? work.DefaultIni->FileName() : m_globals.DefaultFileName;
        case ReferenceKind::GameCopy:
            return work.GameCopyFileName();
        case ReferenceKind::OtherFile:
            break;
    }
    return m_otherFile;
}

void TChangesWin::LoadReference() {
    if (m_referenceKind == ReferenceKind::DefaultCopy) return;  // the store the file type loaded
    const std::string file = ReferenceFileName();
    // A missing file would read as an empty store, and every entry would look new.
    if (!platform::IsRegularFile(file)) throw IniError::CannotOpen(file);
    m_readReference = std::make_unique<TMemIniFile>(file, &m_globals.CaseSensitive);
}

const TMemIniFile* TChangesWin::Reference() const {
    if (!m_compared) return nullptr;
    if (m_referenceKind == ReferenceKind::DefaultCopy) return m_main.Work().DefaultIni.get();
    return m_readReference.get();
}

void TChangesWin::Forget() {
    m_compared = false;
    m_comparison.reset();  // before the reference it refers to
    m_categories.reset();
    m_readReference.reset();
    m_groups.clear();
    m_touched.Clear();
}

void TChangesWin::Compare() {
    Forget();
    m_referencePanel->setText(ToQString("Reference: " + ReferenceFileName()));
    const Workspace& work = m_main.Work();
    try {
        // A start-up that failed left no document.
        if (!work.DocumentIni || !work.DefaultIni) throw IniError("There is no document to compare.");
        LoadReference();
    } catch (const std::exception& error) {
        ShowDifferences();
        ShowStatus(error.what());
        throw;
    }
    const HourglassPointer hourglass;
    const TMemIniFile& reference = *(m_readReference ? m_readReference.get() : work.DefaultIni.get());
    m_comparison = std::make_unique<LiveComparison>(*work.DocumentIni, reference, m_globals.CaseSensitive);
    m_categories = std::make_unique<DifferenceCategories>(work, reference);
    m_groups = m_categories->GroupsOf(Differences());
    m_compared = true;
    ShowDifferences();
}

void TChangesWin::ShowAndCompare() {
    if (!m_placed) {
        // First shown below the main window, where the category windows, which open beside it,
        // leave room; inside the screen.
        m_placed = true;
        const QRect main = m_main.HostWidget().frameGeometry();
        QPoint place(main.left(), main.bottom() + 1 + GapBelowMain);
        if (const QScreen* screen = m_main.HostWidget().screen()) {
            const QRect room = screen->availableGeometry();
            place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), room.right() - width())));
            place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - height())));
        }
        move(place);
    }
    m_main.FocusAndShow(this);
    Compare();
}

void TChangesWin::DocumentReplaced() {
    if (!isVisible()) {
        // Compared again when next shown; nothing of the old document stays.
        Forget();
        m_tree->clear();
        return;
    }
    CompareAgain();
}

void TChangesWin::CompareAgain() {
    m_compareAfterEdits->stop();
    try {
        Compare();
    } catch (const std::exception&) {
        // Compare tells the reason in the window.
    }
}

void TChangesWin::FollowEdits() {
    m_compareAfterEdits->stop();
    const Workspace& work = m_main.Work();
    const TMemIniFile* reference = Reference();
    const bool sameStores = m_comparison && reference != nullptr && &m_comparison->Reference() == reference &&
                            work.DocumentIni && work.DefaultIni;
    if (!sameStores) {
        CompareAgain();
        return;
    }
    const TouchedSections touched = std::exchange(m_touched, {});
    if (!m_comparison->Update(*work.DocumentIni, touched.SectionsToRead(work)))
        m_categories = std::make_unique<DifferenceCategories>(work, *reference);  // what the lists hold may have changed
    m_groups = m_categories->GroupsOf(Differences());
    ShowDifferences();
}

const std::vector<Difference>& TChangesWin::Differences() const {
    static const std::vector<Difference> none;
    return m_comparison ? m_comparison->Differences() : none;
}

void TChangesWin::DocumentEdited() {
    // A hidden window compares afresh when it is next shown.
    if (isVisible() && m_compared) m_compareAfterEdits->start();
}

// ---------------------------------------------------------------------------------------------
// The list

void TChangesWin::ShowDifferences() {
    m_tree->clear();
    const std::string filter = ToBytes(m_filter->text());
    size_t shown = 0;
    QList<QTreeWidgetItem*> groups;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        const DifferenceCategories::Group& group = m_groups[g];
        QList<QTreeWidgetItem*> rows;
        for (const size_t index : group.Rows) {
            const Difference& difference = Differences()[index];
            if (!ChangeRowPasses(difference, filter)) continue;
            auto* row = new QTreeWidgetItem;
            const auto cells = ChangeRowTexts(difference);
            for (int column = 0; column < ChangeColumnCount; ++column)
                row->setText(column, ToQString(cells[static_cast<size_t>(column)]));
            row->setToolTip(EntryColumn, PlainToolTip(ToQString(DifferenceText(difference))));
            row->setData(EntryColumn, DifferenceRole, QVariant::fromValue<qulonglong>(index));
            row->setData(EntryColumn, GroupRole, QVariant::fromValue<qulonglong>(g));
            rows << row;
        }
        if (rows.isEmpty()) continue;
        shown += static_cast<size_t>(rows.size());
        std::string count = std::to_string(rows.size());
        if (static_cast<size_t>(rows.size()) != group.Rows.size()) count += " of " + std::to_string(group.Rows.size());
        auto* header = new QTreeWidgetItem({ToQString(group.Category + " (" + count + ")")});
        header->setData(EntryColumn, GroupRole, QVariant::fromValue<qulonglong>(g));
        header->addChildren(rows);
        groups << header;
    }
    m_tree->addTopLevelItems(groups);
    for (QTreeWidgetItem* header : groups) {
        header->setFirstColumnSpanned(true);
        header->setExpanded(true);
    }
    if (!m_compared) return;
    const size_t total = Differences().size();
    const std::string counted = std::to_string(total) + (total == 1 ? " difference" : " differences");
    if (total == 0)
        ShowStatus("No differences.");
    else if (shown == total)
        ShowStatus(counted + ".");
    else
        ShowStatus(std::to_string(shown) + " of " + counted + " shown.");
}

void TChangesWin::ShowStatus(const std::string& text) {
    m_status->setText(ToQString(text));
}

std::vector<Difference> TChangesWin::SelectedDifferences() const {
    std::vector<Difference> selected;
    std::vector<char> taken(Differences().size(), 0);
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = m_tree->topLevelItem(g);
        for (int r = 0; r < group->childCount(); ++r) {
            const QTreeWidgetItem* row = group->child(r);
            if (!group->isSelected() && !row->isSelected()) continue;
            const size_t index = row->data(EntryColumn, DifferenceRole).toULongLong();
            if (index >= Differences().size() || taken[index]) continue;
            taken[index] = 1;
            selected.push_back(Differences()[index]);
        }
    }
    return selected;
}

// ---------------------------------------------------------------------------------------------
// Revert

void TChangesWin::ShowTreeMenu(const QPoint& position) {
    if (m_tree->selectedItems().isEmpty()) return;
    m_treeMenu->popup(m_tree->viewport()->mapToGlobal(position));
}

bool TChangesWin::RevertSelected() { return Revert(SelectedDifferences()); }

bool TChangesWin::RevertSelectedEntries() {
    return Revert(DifferencesOfEntries(Differences(), SelectedDifferences(), m_globals.CaseSensitive));
}

bool TChangesWin::Revert(const std::vector<Difference>& selection) {
    const TMemIniFile* reference = Reference();
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

std::string TChangesWin::SelectedCategory() const {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty()) return {};
    const size_t group = selected.front()->data(EntryColumn, GroupRole).toULongLong();
    if (group >= m_groups.size()) return {};
    const std::string& category = m_groups[group].Category;
    // "Unknown!" has no window to show the entry in.
    return NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive) ? std::string() : category;
}

void TChangesWin::OpenSelectedRow(QTreeWidgetItem* item) {
    const QVariant position = item ? item->data(EntryColumn, DifferenceRole) : QVariant();
    if (!position.isValid()) return;  // a group row opens and closes by itself
    const size_t index = position.toULongLong();
    const size_t group = item->data(EntryColumn, GroupRole).toULongLong();
    if (index >= Differences().size() || group >= m_groups.size()) return;
    const Difference& difference = Differences()[index];
    const std::string& category = m_groups[group].Category;
    const std::string entry = "[" + difference.Section + "]";
    if (NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive)) {
        ShowStatus(entry + " is in no category, and " + category + " has no window.");
        return;
    }
    if (difference.Kind == DifferenceKind::SectionOnlyInReference) {
        ShowStatus("The document has no entry " + entry + ".");
        return;
    }
    if (!m_main.ShowEntryAt(category, difference.Section, difference.Key))
        ShowStatus("The window of " + category + " does not show " + Trim(entry + " " + difference.Key) + ".");
}

// ---------------------------------------------------------------------------------------------
// The patch

bool TChangesWin::SaveChangesAs() {
    // The patch is of the document as it stands, and the list shows what it holds.
    Compare();
    if (Differences().empty()) {
        m_boxes.Notice("The document does not differ from " + ExtractFileName(ReferenceFileName()) +
                       ": there are no changes to save.");
        return false;
    }
    const std::string proposed = ChangeFileExt(m_globals.CurrentFileName, "") + "-changes.ini";
    const std::optional<std::string> name = m_boxes.SaveFileName(PatchFilter, proposed);
    if (!name) return false;
    // The patch must not take the place of a file it is made from.
    for (const auto& [file, role] : {std::pair{m_globals.CurrentFileName, "the document"},
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
    platform::WriteWholeFile(*name, PatchText(*m_main.Work().DocumentIni, Differences()));
    ShowStatus("Changes saved to " + *name + ".");
    return true;
}

}  // namespace velmora
