// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/BalanceTableModel.h"

#include <QBrush>
#include <QColor>

#include "core/entries/EntryOperations.h"
#include "core/store/MessageText.h"
#include "core/table/TableEdits.h"
#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerStack.h"
#include "core/session/DocumentLayers.h"
#include "gui/widgets/LayerColours.h"
#include "gui/widgets/QtText.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "core/values/LiveValueCheck.h"
#include "gui/widgets/MisfitMark.h"

namespace velmora {

namespace {

const QColor RedValue(255, 0, 0);
const QColor AbsentFace(232, 232, 232);

}  // namespace

QString ColumnCaption(const TableColumn& column) {
    if (!column.Followed()) return ToQString(column.Key);
    return ToQString(column.Key) + QStringLiteral(" \u203A ") + ToQString(column.Follow);
}

BalanceTableModel::BalanceTableModel(Workspace& workspace, const std::string& category, QObject* parent)
    : QAbstractTableModel(parent),
      m_workspace(workspace),
      m_table(std::make_unique<BalanceTable>(workspace, category, std::vector<TableColumn>())) {
    ArrangeRows();
}

BalanceTableModel::~BalanceTableModel() = default;

void BalanceTableModel::SetLayers(DocumentLayers* layers, std::function<size_t()> editTarget) {
    m_layers = layers;
    m_editTarget = std::move(editTarget);
    if (m_layers != nullptr && m_layers->Any()) Refresh();
}

bool BalanceTableModel::ReadAddedCodes() {
    m_added = m_layers != nullptr ? m_layers->Stack().AddedEntries(m_table->Category()) : std::vector<AddedEntry>();
    std::vector<std::string> codes;
    for (const AddedEntry& added : m_added) codes.push_back(added.Code);
    const bool any = !codes.empty();
    m_table->SetAddedCodes(std::move(codes));
    return any;
}

void BalanceTableModel::SetColumns(const std::vector<TableColumn>& columns) {
    beginResetModel();
    m_table = std::make_unique<BalanceTable>(m_workspace, m_table->Category(), columns);
    if (ReadAddedCodes()) m_table->Rebuild();
    if (m_sort && m_sort->Column && !m_table->ColumnOf(*m_sort->Column)) m_sort.reset();
    ArrangeRows();
    endResetModel();
}

int BalanceTableModel::SortColumn() const {
    if (!m_sort) return -1;
    if (!m_sort->Column) return 0;
    const std::optional<size_t> column = m_table->ColumnOf(*m_sort->Column);
    return column ? static_cast<int>(*column) + 1 : -1;
}

void BalanceTableModel::Refresh() {
    beginResetModel();
    ReadAddedCodes();
    m_table->Rebuild();
    ArrangeRows();
    endResetModel();
}

void BalanceTableModel::SetFilter(const std::string& text) {
    const std::string folded = FoldCase(text);
    if (folded == m_filter) return;
    beginResetModel();
    m_filter = folded;
    ArrangeRows();
    endResetModel();
}

void BalanceTableModel::sort(int column, Qt::SortOrder order) {
    // No column (a header without a sort indicator): the catalogue's order.
    std::optional<TableSort> sort;
    if (column >= 0 && column < columnCount()) {
        const std::optional<size_t> which = TableColumnOf(column);
        sort = TableSort{which ? std::optional(m_table->Columns()[*which]) : std::nullopt, order};
    }
    SetSort(sort);
}

void BalanceTableModel::SetSort(const std::optional<TableSort>& sort) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::string> codes;
    for (const QModelIndex& index : before) codes.push_back(m_table->Row(RowBehind(index.row())).Code);
    m_sort = sort && sort->Column && !m_table->ColumnOf(*sort->Column) ? std::nullopt : sort;
    ArrangeRows();
    // The views keep their selection on the same entries.
    QModelIndexList after;
    for (size_t i = 0; i < codes.size(); ++i) {
        const int row = RowOfCode(codes[i]);
        after.push_back(row < 0 ? QModelIndex() : index(row, before[static_cast<qsizetype>(i)].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void BalanceTableModel::ArrangeRows() {
    const int column = SortColumn();
    const std::vector<size_t> order =
        column >= 0 ? m_table->SortedRows(TableColumnOf(column), m_sort->Order == Qt::DescendingOrder)
                    : m_table->CatalogueOrder();
    m_shown.clear();
    for (size_t row : order) {
        const TableRow& entry = m_table->Row(row);
        if (m_filter.empty() || FoldCase(entry.Code).find(m_filter) != std::string::npos ||
            FoldCase(entry.Cells.front().Value).find(m_filter) != std::string::npos)
            m_shown.push_back(row);
    }
}

int BalanceTableModel::RowOfCode(const std::string& code) const {
    const std::optional<size_t> row = m_table->RowOf(code);
    if (!row) return -1;
    for (size_t shown = 0; shown < m_shown.size(); ++shown)
        if (m_shown[shown] == *row) return static_cast<int>(shown);
    return -1;
}

int BalanceTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int BalanceTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table->ColumnCount()) + 1;
}

QVariant BalanceTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const size_t row = RowBehind(index.row());
    const std::optional<size_t> column = TableColumnOf(index.column());
    if (!column) return CodeData(row, role);
    TableCell cell = m_table->Cell(row, *column);
    const std::optional<CellPlace> place = m_table->PlaceOf(row, *column);
    // Over layers a cell shows the value that wins, and where it comes from.
    const bool layered = place && m_layers != nullptr && m_layers->Any();
    const ValueChain chain = layered ? m_layers->Values().Chain(place->Code, place->Key) : ValueChain();
    if (layered) cell.Value = chain.Empty() ? std::string() : chain.Winner().Value;
    const size_t from = chain.Empty() ? 0 : chain.Winner().File;
    const IniStore* reference = m_workspace.DefaultIni();
    const bool red = place && reference != nullptr &&
                     ValueIsRed(*reference, place->Code, place->Key, cell.Value, m_workspace.G().CaseSensitive);
    switch (role) {
        case Qt::DisplayRole:
            // A value naming several entries shows the first one's, marked with how many more.
            return ToQString(cell.Value) +
                   (cell.MoreTargets > 0 ? QStringLiteral(" +%1").arg(cell.MoreTargets) : QString());
        case Qt::EditRole:
            return ToQString(cell.Value);
        case Qt::ForegroundRole:
            return red ? QVariant(QBrush(RedValue)) : QVariant();
        case Qt::BackgroundRole:
            if (from > 0) return QBrush(LayerColour(from - 1));
            return cell.Present || !chain.Empty() ? QVariant() : QVariant(QBrush(AbsentFace));
        case Qt::DecorationRole:
            return MisfitOf(row, *column) ? QVariant(MisfitIcon()) : QVariant();
        case Qt::ToolTipRole: {
            QStringList tips;
            if (layered && !chain.Empty()) tips << ToQString(chain.Provenance());
            if (red) tips << ToQString(ReferenceValueTip(*reference, place->Code, place->Key));
            if (const std::optional<std::string> misfit = MisfitOf(row, *column)) tips << ToQString(*misfit);
            if (!cell.Target.empty())
                tips << ToQString(cell.Target + " is used by " + Counted(m_table->SharingCount(row, *column), "entry", "entries"));
            return tips.isEmpty() ? QVariant() : QVariant(tips.join(QLatin1Char('\n')));
        }
        default:
            return {};
    }
}

QVariant BalanceTableModel::CodeData(size_t row, int role) const {
    if (role == Qt::DisplayRole || role == Qt::EditRole) return ToQString(m_table->Row(row).Code);
    // The entries a layer adds are the table's last rows, marked as the entry list marks them.
    if (m_layers == nullptr || m_added.size() > m_table->RowCount()) return {};
    const size_t own = m_table->RowCount() - m_added.size();
    if (row < own) return {};
    const AddedEntry& added = m_added[row - own];
    if (role == Qt::BackgroundRole) return QBrush(LayerColour(added.Layer));
    if (role == Qt::ToolTipRole) return ToQString("added by " + m_layers->FileName(added.Layer + 1));
    return {};
}

bool BalanceTableModel::CommitOverLayers(const CellPlace& place, const std::string& text) {
    // The editor hands back what the cell showed when nothing was typed: the winning value, which
    // must not be copied into the file edits go to.
    const std::string value = StorableValue(text);
    if (value == m_layers->ShownValue(place.Code, place.Key)) return false;
    return m_layers->Write(m_editTarget ? m_editTarget() : 0, place.Code, place.Key, value, m_table->Category());
}

std::optional<std::string> BalanceTableModel::MisfitOf(size_t row, size_t column) const {
    const std::optional<CellPlace> place = m_table->PlaceOf(row, column);
    if (!m_valueCheck || !place) return std::nullopt;
    // Over layers the value that wins is judged, wherever it comes from.
    if (m_layers != nullptr && m_layers->Any()) {
        const ValueChain chain = m_layers->Values().Chain(place->Code, place->Key);
        if (chain.Empty()) return std::nullopt;
        return chain.Winner().File == 0 ? m_valueCheck->StoredMisfit(place->Code, place->Key)
                                        : m_valueCheck->Misfit(place->Code, place->Key, chain.Winner().Value);
    }
    return m_valueCheck->StoredMisfit(place->Code, place->Key);
}

QVariant BalanceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    const std::optional<size_t> column = TableColumnOf(section);
    if (!column) return QStringLiteral("Code");
    return ColumnCaption(m_table->Columns()[*column]);
}

Qt::ItemFlags BalanceTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const std::optional<size_t> column = TableColumnOf(index.column());
    if (index.isValid() && column && m_table->PlaceOf(RowBehind(index.row()), *column)) flags |= Qt::ItemIsEditable;
    return flags;
}

bool BalanceTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const std::optional<size_t> column = TableColumnOf(index.column());
    if (!index.isValid() || role != Qt::EditRole || !column) return false;
    const QString text = value.toString();
    for (const QChar c : text)
        if (c.unicode() > 0xFF) {
            emit editRefused("The value holds a character that the document's texts (Latin-1) cannot hold.");
            return false;
        }
    try {
        // The document tells every view, this one included, what changed.
        const std::optional<CellPlace> place = m_table->PlaceOf(RowBehind(index.row()), *column);
        if (place && m_layers != nullptr && m_layers->Any()) {
            if (!CommitOverLayers(*place, ToBytes(text))) return false;
            emit valueCommitted(place->Code, place->Key);
            return true;
        }
        if (!CommitCell(m_workspace.Doc(), *m_table, RowBehind(index.row()), *column, ToBytes(text))) return false;
        if (place) emit valueCommitted(place->Code, place->Key);
        return true;
    } catch (const IniError& error) {
        emit editRefused(error.what());
        return false;
    }
}

}  // namespace velmora
