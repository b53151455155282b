// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "core/references/EntryTargets.h"

class QLabel;
class QTableView;
class QVBoxLayout;

namespace velmora {

// Rows of results that each lead to an entry: the find window's, the usages of a code, the
// problems Check References lists.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;
    virtual EntryTarget TargetOf(int row) const = 0;
};

// Results given as texts, row by row, each row with where it leads.
class ListedResults : public ResultsModel {
    Q_OBJECT

public:
    struct Row {
        std::vector<std::string> Cells;
        EntryTarget Target;
    };

    ListedResults(QStringList headers, QObject* parent);
    void SetRows(std::vector<Row> rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    EntryTarget TargetOf(int row) const override;

private:
    QStringList m_headers;
    std::vector<Row> m_rows;
};

// A window of results: a line that sums them up and the table of rows. Enter or a double-click on
// a row asks for its entry to be opened; with `openOnClick`, a click does too. Escape closes it. A top-level window
// of the program, owned by the main window; it adopts its model.
class ResultsWindow : public QWidget {
    Q_OBJECT

public:
    ResultsWindow(QWidget& owner, const QString& objectName, ResultsModel* model, bool openOnClick);

    QTableView& View() const { return *m_view; }
    void SetSummary(const QString& text);
    // Opens the entry of the current row, or of the first when none is current.
    void OpenCurrent();

signals:
    void openRequested(const velmora::EntryTarget& target);

protected:
    // Where a window adds its own controls, above the summary.
    QVBoxLayout& Layout() const { return *m_layout; }
    void keyPressEvent(QKeyEvent* event) override;
    // What Escape does before it closes the window; true when that was all it did.
    virtual bool EscapeTakenBack() { return false; }

private:
    void OpenRow(const QModelIndex& index);

    ResultsModel& m_model;
    QVBoxLayout* m_layout;
    QLabel* m_summary;
    QTableView* m_view;
};

}  // namespace velmora
