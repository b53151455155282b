// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/ColumnChooser.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/table/BalanceTableModel.h"
#include "gui/widgets/QtText.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

constexpr int ColumnIdRole = Qt::UserRole;

TableColumn ColumnOfItem(const QVariant& id) {
    return TableColumn::FromId(ToBytes(id.toString()));
}

QPushButton* NewButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

}  // namespace

ColumnChooser::ColumnChooser(const std::vector<TableColumn>& choosable, const std::vector<TableColumn>& shown,
                             std::vector<TableColumn> pageColumns, QWidget* parent)
    : QDialog(parent), m_pageColumns(std::move(pageColumns)) {
    setObjectName(QStringLiteral("ColumnChooser"));
    setWindowTitle(QStringLiteral("Choose Columns"));
    m_keys = new QTreeWidget(this);
    m_keys->setObjectName(QStringLiteral("ChooserKeys"));
    m_keys->setHeaderHidden(true);
    m_keys->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_shown = new QListWidget(this);
    m_shown->setObjectName(QStringLiteral("ChooserShown"));
    m_shown->setSelectionMode(QAbstractItemView::ExtendedSelection);

    // A followed column comes right after its key, which the tree shows as its parent.
    QTreeWidgetItem* key = nullptr;
    for (const TableColumn& column : choosable) {
        if (!column.Followed() && EqualsNoCase(column.Key, "Name")) continue;  // always shown
        auto* item = column.Followed() && key ? new QTreeWidgetItem(key) : new QTreeWidgetItem(m_keys);
        item->setText(0, ColumnCaption(column));
        item->setData(0, ColumnIdRole, ToQString(column.Id()));
        if (!column.Followed()) key = item;
    }
    ShowColumns(shown);

    auto* add = NewButton(QStringLiteral("Add"), "ChooserAdd", this);
    auto* remove = NewButton(QStringLiteral("Remove"), "ChooserRemove", this);
    auto* up = NewButton(QStringLiteral("Up"), "ChooserUp", this);
    auto* down = NewButton(QStringLiteral("Down"), "ChooserDown", this);
    auto* pageKeys = NewButton(QStringLiteral("Page's Keys"), "ChooserPageKeys", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* moves = new QVBoxLayout;
    for (QPushButton* button : {add, remove, up, down, pageKeys}) moves->addWidget(button);
    moves->addStretch(1);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Keys of the category:"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Columns shown:"), this), 0, 2);
    layout->addWidget(m_keys, 1, 0);
    layout->addLayout(moves, 1, 1);
    layout->addWidget(m_shown, 1, 2);
    layout->addWidget(buttons, 2, 0, 1, 3);
    layout->setRowStretch(1, 1);

    connect(add, &QPushButton::clicked, this, &ColumnChooser::AddSelected);
    connect(m_keys, &QTreeWidget::itemDoubleClicked, this, &ColumnChooser::AddSelected);
    connect(remove, &QPushButton::clicked, this, &ColumnChooser::RemoveSelected);
    connect(m_shown, &QListWidget::itemDoubleClicked, this, &ColumnChooser::RemoveSelected);
    connect(up, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(pageKeys, &QPushButton::clicked, this, [this] { ShowColumns(m_pageColumns); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, 420);
}

std::vector<TableColumn> ColumnChooser::Shown() const {
    std::vector<TableColumn> columns;
    columns.reserve(static_cast<size_t>(m_shown->count()));
    for (int row = 0; row < m_shown->count(); ++row) columns.push_back(ColumnOfItem(m_shown->item(row)->data(ColumnIdRole)));
    return columns;
}

void ColumnChooser::ShowColumns(const std::vector<TableColumn>& columns) {
    m_shown->clear();
    for (const TableColumn& column : columns) AddColumn(column);
}

QListWidgetItem* ColumnChooser::AddColumn(const TableColumn& column) {
    if (!column.Followed() && EqualsNoCase(column.Key, "Name")) return nullptr;
    // A column is shown once; key names compare as the document compares them.
    for (const TableColumn& there : Shown())
        if (EqualsNoCase(there.Key, column.Key) && EqualsNoCase(there.Follow, column.Follow)) return nullptr;
    auto* item = new QListWidgetItem(ColumnCaption(column), m_shown);
    item->setData(ColumnIdRole, ToQString(column.Id()));
    return item;
}

// The columns added come out selected, for Up and Down to move them into place.
void ColumnChooser::AddSelected() {
    m_shown->clearSelection();
    for (const QTreeWidgetItem* item : m_keys->selectedItems())
        if (QListWidgetItem* added = AddColumn(ColumnOfItem(item->data(0, ColumnIdRole)))) added->setSelected(true);
}

void ColumnChooser::RemoveSelected() {
    for (QListWidgetItem* item : m_shown->selectedItems()) delete item;
}

// The selected columns move one place together, keeping their order among themselves.
void ColumnChooser::MoveSelected(int step) {
    const int count = m_shown->count();
    std::vector<bool> selected(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) selected[static_cast<size_t>(row)] = m_shown->item(row)->isSelected();
    for (int k = 0; k < count; ++k) {
        const int row = step < 0 ? k : count - 1 - k;
        const int to = row + step;
        if (!selected[static_cast<size_t>(row)] || to < 0 || to >= count || selected[static_cast<size_t>(to)]) continue;
        QListWidgetItem* item = m_shown->takeItem(row);
        m_shown->insertItem(to, item);
        item->setSelected(true);
        selected[static_cast<size_t>(row)] = false;
        selected[static_cast<size_t>(to)] = true;
    }
}

}  // namespace velmora
