// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/layers/LayerStack.h"
#include "core/table/BalanceTable.h"

namespace velmora {

class DocumentLayers;
class LiveValueCheck;
class Workspace;

// How a header names the column: "Cost", "Primary › Damage".
QString ColumnCaption(const TableColumn& column);

// What the rows are sorted by: a column of the table, kept by its key so that it stays with the
// column when the columns change, or the code (no column).
struct TableSort {
    std::optional<TableColumn> Column;
    Qt::SortOrder Order = Qt::AscendingOrder;
};

// The balance table of one category as a Qt model: column 0 the entry's code, then the table's
// columns (the Name first). It holds no cell of its own: every cell is read from the core's table,
// which reads the document. A row of the model is a row shown, after the sort and the filter;
// RowBehind gives the core's row behind it. An edit commits through the document, and the model
// shows it when the document tells (Refresh).
class BalanceTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    BalanceTableModel(Workspace& workspace, const std::string& category, QObject* parent);
    ~BalanceTableModel() override;

    const BalanceTable& Table() const { return *m_table; }
    // The check whose misfits the cells mark (none: no marks). It must outlive the model.
    void SetValueCheck(LiveValueCheck* check) { m_valueCheck = check; }
    // With layers over the document the cells show the values that win, marked with their
    // layer's colour, and a typed value goes into the file `editTarget` names (0 the document,
    // 1 + i the layer at i). `layers` outlives the model.
    // The entries the layers add to the category are rows too.
    void SetLayers(DocumentLayers* layers, std::function<size_t()> editTarget);
    // The columns shown: the table's columns are built afresh. The sort follows its column to its
    // new place, and goes when the column does.
    void SetColumns(const std::vector<TableColumn>& columns);
    // The sort (none: the catalogue's order), and the model column it sorts by (-1 for none).
    const std::optional<TableSort>& Sort() const { return m_sort; }
    void SetSort(const std::optional<TableSort>& sort);
    int SortColumn() const;
    // Reads the document again, keeping the sort and the filter.
    void Refresh();
    // Shows the rows whose code or name holds `text`, letter case ignored.
    void SetFilter(const std::string& text);

    // The core's row shown on model row `row`, and the rows shown in order.
    size_t RowBehind(int row) const { return m_shown[static_cast<size_t>(row)]; }
    const std::vector<size_t>& ShownRows() const { return m_shown; }
    // The model row of the entry `code`; -1 when it is not shown.
    int RowOfCode(const std::string& code) const;
    // The table column of model column `column`; none for the code.
    static std::optional<size_t> TableColumnOf(int column) {
        return column > 0 ? std::optional(static_cast<size_t>(column - 1)) : std::nullopt;
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A typed value, committed as the value grid commits one; a refusal is told by editRefused.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void sort(int column, Qt::SortOrder order) override;

signals:
    // Why a typed value was not written.
    void editRefused(const std::string& reason);
    // A typed value was written into the key `key` of entry `code`.
    void valueCommitted(const std::string& code, const std::string& key);

private:
    void ArrangeRows();
    // The table learns the entries the layers now add; true when there are any.
    bool ReadAddedCodes();
    QVariant CodeData(size_t row, int role) const;
    // Why the cell's value does not fit its key's kind; nothing when it fits or nothing checks.
    std::optional<std::string> MisfitOf(size_t row, size_t column) const;
    // Writes `text` into the cell's place in the file edits go to, over layers; false when the
    // cell already shows it.
    bool CommitOverLayers(const CellPlace& place, const std::string& text);

    DocumentLayers* m_layers = nullptr;
    std::vector<AddedEntry> m_added;  // the layers' entries, the table's last rows
    std::function<size_t()> m_editTarget;

    Workspace& m_workspace;
    LiveValueCheck* m_valueCheck = nullptr;
    std::unique_ptr<BalanceTable> m_table;
    std::vector<size_t> m_shown;
    std::optional<TableSort> m_sort;
    std::string m_filter;  // folded
};

}  // namespace velmora
