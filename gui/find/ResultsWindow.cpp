// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/ResultsWindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "gui/widgets/QtText.h"
#include "gui/services/WindowPlaces.h"
#include "gui/widgets/ListTableLook.h"

namespace velmora {

ListedResults::ListedResults(QStringList headers, QObject* parent)
    : ResultsModel(parent), m_headers(std::move(headers)) {}

void ListedResults::SetRows(std::vector<Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int ListedResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListedResults::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant ListedResults::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const std::vector<std::string>& cells = m_rows[static_cast<size_t>(index.row())].Cells;
    const auto col = static_cast<size_t>(index.column());
    return col < cells.size() ? ToQString(cells[col]) : QString();
}

QVariant ListedResults::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= m_headers.size()) return {};
    return m_headers[section];
}

EntryTarget ListedResults::TargetOf(int row) const {
    return m_rows[static_cast<size_t>(row)].Target;
}

namespace {

// Enter on a row opens it, as a double-click does, on every platform.
class ResultsTable : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
            emit activated(currentIndex());
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

public:
    // Every row is selected, those the view has not fetched yet too.
    void selectAll() override {
        while (model()->canFetchMore(QModelIndex())) model()->fetchMore(QModelIndex());
        QTableView::selectAll();
    }
};

}  // namespace

ResultsWindow::ResultsWindow(QWidget& owner, const QString& objectName, ResultsModel* model, bool openOnClick)
    : QWidget(&owner, Qt::Window), m_model(*model) {
    model->setParent(this);
    setObjectName(objectName);
    resize(720, 420);
    WindowPlaces::CentreOver(*this, owner);
    m_layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_view = new ResultsTable(this);
    m_view->setObjectName(QStringLiteral("Results"));
    m_view->setModel(model);
    LookAsResultList(*m_view, QAbstractItemView::ExtendedSelection);
    m_layout->addWidget(m_summary);
    m_layout->addWidget(m_view, 1);

    connect(m_view, &QAbstractItemView::activated, this, &ResultsWindow::OpenRow);
    if (openOnClick) connect(m_view, &QAbstractItemView::clicked, this, &ResultsWindow::OpenRow);
}

void ResultsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!EscapeTakenBack()) close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ResultsWindow::SetSummary(const QString& text) {
    m_summary->setText(text);
}

void ResultsWindow::OpenCurrent() {
    const QModelIndex current = m_view->currentIndex();
    OpenRow(current.isValid() ? current : m_model.index(0, 0));
}

void ResultsWindow::OpenRow(const QModelIndex& index) {
    if (index.isValid() && index.row() < m_model.rowCount()) emit openRequested(m_model.TargetOf(index.row()));
}

}  // namespace velmora
