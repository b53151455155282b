// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "core/table/BalanceTable.h"
#include "core/table/TableEdits.h"
#include "gui/table/BalanceTableModel.h"
#include "gui/table/TableColumnMemory.h"

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QSettings;
class QTableView;

namespace velmora {

class BalanceTableModel;
class Boxes;
class DocumentSignals;
class RowsTabBar;
class Workspace;

// What a table shows beyond its category: the page, the columns (without the Name), the sort and
// the current cell (its entry and model column). A table made afresh (after the document was read
// again) shows the same.
struct TableState {
    int Page = 0;
    std::vector<TableColumn> Columns;
    std::optional<TableSort> Sort;
    std::string Code;
    int Column = -1;
};

// "All entries" of the category window: every entry of the category side by side, one tab per
// page, Code and Name kept at the left while the values scroll. The columns of a page may be
// chosen (Columns...), followed ones included. Typing commits a cell; Copy and Paste move
// tab-separated blocks to and from a spreadsheet; Adjust values, Export Table and Import Table act
// on the selection or the whole table. Each change is one edit of the document, and the table shows
// what the document tells, keeping the current cell on the same entry.
class BalanceTableView final : public QWidget {
    Q_OBJECT

public:
    // `settings` (none: nothing kept) keeps the chosen columns and widths per category and page.
    BalanceTableView(Workspace& workspace, const DocumentSignals& news, Boxes& boxes, QSettings* settings,
                     const std::string& category, QWidget* parent);
    ~BalanceTableView() override;

    BalanceTableModel& Model() { return *m_model; }
    QTableView& Values() { return *m_values; }
    // The window's filter box filters the rows, and stands at the start of the table's bar until
    // the window takes it back.
    void UseFilter(QLineEdit& box);
    // The entry of the current row; empty when none.
    std::string CurrentCode() const;
    void SelectCode(const std::string& code);
    TableState State() const;
    void ShowState(const TableState& state);
    // A value being typed into a cell is committed, as when the cell loses the focus.
    void CommitOpenEdit();

    // The operations of the buttons and keys; each shows its refusal in a box.
    void CopySelection();
    void PasteBlock(const std::string& block);
    void AdjustSelection(AdjustOperation operation, const std::string& operand);
    void ExportTable();
    void ImportTable();
    // Opens the column chooser for the page shown.
    void ChooseColumns();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The construction's steps: the two views made one table, the bar and the views laid out,
    // and the views following the model and the document's news.
    void PairViews();
    void LayOut(std::initializer_list<QPushButton*> buttons);
    void FollowModelAndDocument(const DocumentSignals& news);
    void ShowPage(int page);
    // Both views' headers mark the column the rows are sorted by.
    void ShowSortIndicator();
    void RefreshSoon();
    void RememberWidth(int column, int oldWidth, int width);
    // The page's own keys; every key of the category when it has no pages.
    std::vector<TableColumn> PageColumns(int page) const;
    std::string PageName() const;
    // The selected cells as (table row, table column), without the code column.
    std::vector<std::pair<size_t, size_t>> SelectedCells() const;
    void AskAdjust();
    template <class Work>
    void Guarded(Work&& work);
    template <class Work>
    void KeepingCurrent(Work&& work);

    Workspace& m_workspace;
    Boxes& m_boxes;
    TableColumnMemory m_columnMemory;
    std::string m_category;
    std::vector<std::string> m_pages;
    BalanceTableModel* m_model;  // owned through its Qt parent, as are the controls
    RowsTabBar* m_pageTabs;
    QHBoxLayout* m_bar;
    QPointer<QLineEdit> m_filtering;  // the window's, once it was handed over
    QTableView* m_fixed;   // Code and Name
    QTableView* m_values;  // the other columns
    bool m_refreshPending = false;
    bool m_restoringWidths = false;
};

}  // namespace velmora
