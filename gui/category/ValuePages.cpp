// SPDX-License-Identifier: GPL-3.0-or-later
// The pages of a category window and what the value grid on them shows: the pages' keys, the
// shown entry's values, red values and misfits, the keys no page lists, and a key's description.

#include "gui/category/ValuePages.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/boxes/Boxes.h"
#include "core/catalogue/OtherKeys.h"
#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "core/choice/ChoiceLists.h"
#include "core/layers/EffectiveValues.h"
#include "core/references/EntryTargets.h"
#include "core/session/DocumentLayers.h"
#include "core/settings/Globals.h"
#include "core/store/IniStore.h"
#include "core/store/MessageText.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/values/LiveValueCheck.h"
#include "gui/category/HeaderLook.h"
#include "gui/widgets/LayerColours.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StringGrid.h"

namespace velmora {

namespace {

constexpr int MarkerWidth = 12;

// What the memo says of a key on the "Other keys" page.
constexpr const char* OtherKeyDescription =
    "No page of the category lists this key; an entry of it holds the key, and here it can be changed.";

// A key description as the memo shows it: the first span from a "~" up to the next "~" (both
// included) left out, or a lone "~" dropped.
std::string StripApprox(const std::string& Text) {
    const size_t first = Text.find('~');
    if (first == std::string::npos) return Text;
    const std::string_view rest = std::string_view(Text).substr(first + 1);
    const size_t second = rest.find('~');
    const std::string_view tail = second == std::string_view::npos ? rest : rest.substr(second + 1);
    return Text.substr(0, first).append(tail);
}

}  // namespace

ValuePages::ValuePages(const Controls& controls, Workspace& work, LiveValueCheck& values, const Globals& globals,
                       Boxes& boxes, EntryCodes entryCodes)
    : m_pages(controls.pages), m_header(controls.header), m_grid(controls.grid),
      m_dialogParent(controls.dialogParent), m_work(work), m_values(values), m_globals(globals), m_boxes(boxes),
      m_entryCodes(std::move(entryCodes)) {
    // The first page exists from the start and shows the section of its caption until pages are
    // made from the category's page list.
    m_pageNames = {ToBytes(m_pages.tabText(0))};
    m_pageRows = {0};
    ConnectGrid();
    AddChooseValueAction();
    // A right click in the value grid opens the choice dialog; the value's usages are a key away.
    auto* usages = new QAction(QStringLiteral("Find Usages"), &m_grid);  // owned by the grid
    usages->setObjectName(QStringLiteral("ValueUsages"));
    usages->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F12));
    usages->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grid.addAction(usages);
    connect(usages, &QAction::triggered, this, &ValuePages::Guarded<&ValuePages::FindUsagesOfValue>);
}

void ValuePages::ConnectGrid() {
    connect(&m_grid, &StringGrid::selectCell, this, [this](int col, int row) {
        RunEventHandler(m_boxes, [this, col, row] { ValueCellMoving(col, row); });
    });
    connect(&m_grid, &StringGrid::selectionChangedByUserOrCode, this,
            &ValuePages::Guarded<&ValuePages::ValueRowSelected>);
    connect(&m_grid, &StringGrid::editorOpening, this, [this](int /*col*/, int row) {
        RunEventHandler(m_boxes, [this, row] { ShowStoredValueIfStale(row); });
    });
    connect(&m_grid, &StringGrid::gridDoubleClicked, this, &ValuePages::Guarded<&ValuePages::DoubleClickValueGrid>);
    connect(&m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        RunEventHandler(m_boxes, [this, position] { ValueGridContextMenu(position); });
    });
    connect(&m_grid, &StringGrid::keyPressed, this,
            [this](int key) { RunEventHandler(m_boxes, [this, key] { FormKeyPress(key); }); });
    connect(&m_grid, &StringGrid::focusLeft, this, &ValuePages::Guarded<&ValuePages::ValueGridLeft>);
    connect(&m_grid, &StringGrid::focusEntered, this, &ValuePages::focusEntered);
    connect(&m_pages, &QTabWidget::currentChanged, this, &ValuePages::Guarded<&ValuePages::SwitchPage>);
}

void ValuePages::UseLayers(DocumentLayers& layers, std::function<size_t()> editTarget) {
    m_layers = &layers;
    m_editTarget = std::move(editTarget);
}

const IniStore& ValuePages::DocumentStore() const {
    return m_work.Doc().Store();
}

void ValuePages::MakePages(const std::string& category, const std::vector<std::string>& Pages,
                           const std::string& Code) {
    m_category = category;
    m_code = Code;
    KeyDescriptions.clear();
    CreatePageControl(Pages);
    m_grid.setColumnWidth(MarkCol, MarkerWidth);
    SwitchPage();  // hidden still: the value grid does not take the focus
}

void ValuePages::CreatePageControl(const std::vector<std::string>& Pages) {
    m_pages.setTabPosition(QTabWidget::North);
    if (Pages.size() > 1) {
        m_pageNames[0] = Pages[1];
        m_pages.setTabText(0, ToCaption(Pages[1]));
        m_pages.widget(0)->setObjectName(QStringLiteral("ts") + ToQString(Pages[1]));
        m_header.setText(ToQString(Pages[1]));
    }
    // Any text names a page: it is shown as its caption and read as a section name as it stands.
    for (size_t i = 2; i < Pages.size(); ++i) AddPage(Pages[i], QStringLiteral("ts") + ToQString(Pages[i]));
    StringList keys;
    m_work.GetContentsOfAllPages(m_category, keys);
    m_pageKeys.clear();
    for (const StringItem& key : keys) m_pageKeys.insert(FoldCase(key.text));
    RefreshOtherKeys();
}

void ValuePages::AddPage(const std::string& Caption, const QString& ObjectName) {
    auto* page = new QWidget(&m_pages);  // owned through its Qt parent, the page set
    page->setObjectName(ObjectName);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pages.addTab(page, ToCaption(Caption));
    m_pageNames.push_back(Caption);
    m_pageRows.push_back(0);
}

void ValuePages::RefreshOtherKeys() {
    m_otherKeysPending = false;
    std::vector<std::string> keys = OtherKeysOf(m_work, m_category);
    if (keys == m_otherKeys) return;
    m_otherKeys = std::move(keys);
    if (m_otherKeysPage < 0) {
        if (m_otherKeys.empty()) return;
        m_otherKeysPage = m_pages.count();
        AddPage(OtherKeysPage, QStringLiteral("tsOtherKeys"));
        return;
    }
    if (m_gridPage != m_otherKeysPage) return;
    // The page shown gets its rows again, the row of the same key kept where it can be.
    const int shown = m_grid.Row();
    const std::string current = shown >= 0 && shown < m_grid.RowCount() ? m_grid.Cells(KeyCol, shown) : "";
    FillValueGridKeys();
    FillValueGridValues();
    int row = std::min(m_grid.Row(), m_grid.RowCount() - 1);
    for (int at = 0; at < m_grid.RowCount(); ++at)
        if (EqualsNoCase(m_grid.Cells(KeyCol, at), current)) row = at;
    if (row >= 0 && row != m_grid.Row()) m_grid.SetRow(row);
    DescribeKey();  // the descriptions were read again
}

void ValuePages::RefreshOtherKeysSoon() {
    if (m_otherKeysPending) return;
    m_otherKeysPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_otherKeysPending) RunEventHandler(m_boxes, [this] { RefreshOtherKeys(); });
    });
}

const std::string& ValuePages::GridPageName() const {
    return m_pageNames[static_cast<size_t>(m_gridPage)];
}

int ValuePages::PageIndex() const {
    return m_pages.currentIndex();
}

void ValuePages::ShowPageIndex(int Index) {
    if (Index >= 0 && Index < m_pages.count()) m_pages.setCurrentIndex(Index);
}

void ValuePages::SwitchPage() {
    const int index = m_pages.currentIndex();
    QWidget* page = m_pages.widget(index);
    if (!page || static_cast<size_t>(index) >= m_pageNames.size()) return;
    if (m_grid.parentWidget() != page) {
        page->layout()->addWidget(&m_header);
        page->layout()->addWidget(&m_grid);
        // A widget moved into a shown page would appear only once the event loop runs.
        m_header.show();
        m_grid.show();
    }
    m_gridPage = index;
    m_header.setText(ToQString(GridPageName()));

    FillValueGridKeys();
    FillValueGridValues();
    m_grid.SetRow(std::min(m_pageRows[static_cast<size_t>(index)], m_grid.RowCount() - 1));
    m_grid.SetTopRow(0);
    DescribeKey();
    if (m_grid.window()->isVisible()) m_grid.setFocus(Qt::OtherFocusReason);
}

void ValuePages::FillValueGridKeys() {
    const std::string& page = GridPageName();
    StringList keys;
    StringList lines;
    if (m_gridPage == m_otherKeysPage) {
        for (const std::string& key : m_otherKeys) {
            keys.Add(key);
            lines.Add(key + "=" + OtherKeyDescription);
        }
    } else {
        m_work.Doc().Definition().ReadSection(page, keys);
        m_work.Doc().Definition().ReadSectionValues(page, lines);
    }

    // Each line's description is final before the grid moves: a move shows it in the memo.
    KeyDescriptions.clear();
    for (const StringItem& line : lines) {
        const size_t equals = line.text.find('=');
        KeyDescriptions.push_back(
            equals == std::string::npos
                ? line.text
                : std::string(TrimLeftView(std::string_view(line.text).substr(equals + 1))));
    }
    if (KeyDescriptions.empty()) KeyDescriptions.emplace_back();

    m_grid.SetRowCount(static_cast<int>(keys.Count()));
    for (int row = 0; row < m_grid.RowCount(); ++row)
        m_grid.SetCells(KeyCol, row, static_cast<size_t>(row) < keys.Count() ? keys[static_cast<size_t>(row)] : "");
    if (m_grid.Col() != ValueCol) m_grid.SetCol(ValueCol);
    m_grid.horizontalScrollBar()->setValue(0);
    for (int row = 0; row < m_grid.RowCount(); ++row) {
        const bool hasSources = ValueSourcesOf(KeyDescriptions[static_cast<size_t>(row)]).has_value();
        m_grid.SetCells(MarkCol, row, hasSources ? ">" : "");
    }
}

void ValuePages::ShowEntry(const std::string& Code) {
    m_code = Code;
    FillValueGridValues();
}

void ValuePages::FillValueGridValues() {
    if (m_code.empty()) {
        for (int row = 0; row < m_grid.RowCount(); ++row) {
            m_grid.SetCells(ValueCol, row, std::string());
            m_grid.SetRedMarked(ValueCol, row, false);
        }
        return;
    }
    for (int row = 0; row < m_grid.RowCount(); ++row) ShowStoredValue(row);
}

void ValuePages::ShowStoredValue(int Row) {
    const IniStore& defaults = *m_work.DefaultIni();
    const std::string key = m_grid.Cells(KeyCol, Row);
    const bool layered = m_layers != nullptr && m_layers->Any();
    const ValueChain chain = layered ? m_layers->Values().Chain(m_code, key) : ValueChain();
    const std::string value = layered ? (chain.Empty() ? std::string() : chain.Winner().Value)
                                      : DocumentStore().ReadString(m_code, key, "");
    const size_t from = chain.Empty() ? 0 : chain.Winner().File;
    m_grid.SetCells(ValueCol, Row, value);
    m_grid.SetShade(ValueCol, Row, from > 0 ? LayerColour(from - 1) : QColor());
    const bool red = ValueIsRed(defaults, m_code, key, value, m_globals.CaseSensitive);
    m_grid.SetRedMarked(ValueCol, Row, red);
    // A value that does not fit its key's kind carries a mark of its own, with the reason; a value
    // a layer sets is judged as the document's would be.
    const std::optional<std::string> misfit =
        from == 0 ? m_values.StoredMisfit(m_code, key) : m_values.Misfit(m_code, key, value);
    m_grid.SetMisfitMark(ValueCol, Row, misfit.has_value());
    std::string tip = layered ? chain.Provenance() : std::string();
    if (red) tip += (tip.empty() ? "" : "\n") + ReferenceValueTip(defaults, m_code, key);
    if (misfit) tip += (tip.empty() ? "" : "\n") + *misfit;
    m_grid.SetTip(ValueCol, Row, tip);
}

std::string ValuePages::ShownValueOf(const std::string& key) const {
    if (m_code.empty()) return {};
    return m_layers ? m_layers->ShownValue(m_code, key) : DocumentStore().ReadString(m_code, key, "");
}

void ValuePages::ShowValueChange(const std::string& Code, const std::string& Key) {
    // A key no page lists may have come to the category's entries, or gone from them.
    if (m_pageKeys.count(FoldCase(Key)) == 0) RefreshOtherKeysSoon();
    if (m_code.empty() || !NamesEqual(m_code, Code, m_globals.CaseSensitive)) return;
    // Another row of the page may show the same key, spelt in other letters: both read one line.
    for (int row = 0; row < m_grid.RowCount(); ++row)
        if (EqualsNoCase(m_grid.Cells(KeyCol, row), Key)) ShowStoredValue(row);
}

void ValuePages::ValueRowSelected() {
    m_grid.horizontalScrollBar()->setValue(0);
    if (m_grid.Col() != ValueCol) m_grid.SetCol(ValueCol);  // a click on a key lands on its value
    DescribeKey();
}

void ValuePages::DescribeKey() {
    const size_t row = static_cast<size_t>(m_grid.Row());
    emit keyDescribed(StripApprox(row < KeyDescriptions.size() ? KeyDescriptions[row] : std::string()));
}

void ValuePages::RememberPageRow() {
    if (static_cast<size_t>(m_gridPage) < m_pageRows.size()) m_pageRows[static_cast<size_t>(m_gridPage)] = m_grid.Row();
}

bool ValuePages::ShowPageRow(size_t page, size_t row) {
    m_pageRows[page] = static_cast<int>(row);
    const int index = static_cast<int>(page);
    if (m_pages.currentIndex() != index)
        m_pages.setCurrentIndex(index);  // shows the page on the row kept for it
    else
        m_grid.SetRow(static_cast<int>(row));
    m_grid.setFocus(Qt::OtherFocusReason);
    return true;
}

bool ValuePages::ShowKey(const std::string& Key) {
    StringList keys;
    for (size_t page = 0; page < m_pageNames.size(); ++page) {
        if (static_cast<int>(page) == m_otherKeysPage) continue;
        m_work.Doc().Definition().ReadSection(m_pageNames[page], keys);
        for (size_t row = 0; row < keys.Count(); ++row)
            if (EqualsNoCase(keys[row], Key)) return ShowPageRow(page, row);
    }
    // A key no page lists shows on the page of the other keys, which the latest edits may not
    // have brought yet.
    RefreshOtherKeys();
    for (size_t row = 0; row < m_otherKeys.size(); ++row)
        if (EqualsNoCase(m_otherKeys[row], Key)) return ShowPageRow(static_cast<size_t>(m_otherKeysPage), row);
    return false;
}

void ValuePages::SelectKey(const std::string& Key) {
    for (int row = 0; row < m_grid.RowCount(); ++row) {
        if (!EqualsNoCase(m_grid.Cells(KeyCol, row), Key)) continue;
        m_grid.SetRow(row);
        m_grid.setFocus(Qt::OtherFocusReason);
        return;
    }
}

void ValuePages::FindUsagesOfValue() {
    const std::string value = m_grid.Cells(ValueCol, m_grid.Row());
    const std::optional<std::string> code = FirstItemNamingSection(DocumentStore(), value);
    if (!code) {
        m_boxes.Notice("No item of \"" + Escaped(value) + "\" names an entry of the document.");
        return;
    }
    emit usagesWanted(*code);
}

void ValuePages::SetEnabled(bool enabled) {
    m_pages.setEnabled(enabled);
}

void ValuePages::ShowHeaderActive(bool active) {
    ShowHeaderLook(m_header, active);
}

int ValuePages::HeightShort(int rows) const {
    const int rowHeight = std::max(1, m_grid.verticalHeader()->defaultSectionSize());
    const int missing = rows - m_grid.viewport()->height() / rowHeight;
    return missing > 0 ? missing * rowHeight : 0;
}

}  // namespace velmora
