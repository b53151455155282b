// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/LayersDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/boxes/Boxes.h"
#include "core/session/DocumentLayers.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"

namespace velmora {

LayersDialog::LayersDialog(DocumentLayers& layers, Boxes& boxes, QWidget* parent)
    : QDialog(parent),
      m_layers(layers),
      m_boxes(boxes),
      m_list(new QListWidget(this)),
      m_up(new QPushButton(QStringLiteral("&Up"), this)),
      m_down(new QPushButton(QStringLiteral("&Down"), this)),
      m_remove(new QPushButton(QStringLiteral("&Remove"), this)) {
    setObjectName(QStringLiteral("LayersDialog"));
    setWindowTitle(QStringLiteral("Layers"));
    m_list->setObjectName(QStringLiteral("LayerList"));
    m_up->setObjectName(QStringLiteral("LayerUp"));
    m_down->setObjectName(QStringLiteral("LayerDown"));
    m_remove->setObjectName(QStringLiteral("LayerRemove"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Read over the document in this order; the last one wins:"), this));
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout();
    for (QPushButton* button : {m_up, m_down, m_remove}) buttons->addWidget(button);
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_up, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { MoveSelected(-1); }); });
    connect(m_down, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { MoveSelected(1); }); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { RemoveSelected(); }); });
    connect(m_list, &QListWidget::currentRowChanged, this, &LayersDialog::SelectRow);
    Refresh();
}

void LayersDialog::Refresh() {
    const int row = m_list->currentRow();
    const QString selected = row >= 0 ? m_list->item(row)->data(Qt::UserRole).toString() : QString();
    m_list->clear();
    const LayerStack& stack = m_layers.Stack();
    for (size_t i = 0; i < stack.Count(); ++i) {
        auto* item = new QListWidgetItem(ToQString(stack.Layer(i).ShortName()), m_list);
        item->setData(Qt::UserRole, ToQString(stack.Layer(i).FileName()));
        item->setToolTip(ToQString(stack.Layer(i).FileName()));
        if (item->data(Qt::UserRole).toString() == selected) m_list->setCurrentItem(item);
    }
    if (m_list->currentRow() < 0 && m_list->count() > 0) m_list->setCurrentRow(std::min(std::max(row, 0), m_list->count() - 1));
    SelectRow(m_list->currentRow());
}

void LayersDialog::SelectRow(int row) {
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_list->count());
    m_remove->setEnabled(row >= 0);
}

void LayersDialog::MoveSelected(int by) {
    const int row = m_list->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_list->count()) return;
    m_layers.Move(static_cast<size_t>(row), static_cast<size_t>(to));
    Refresh();
}

void LayersDialog::RemoveSelected() {
    const int row = m_list->currentRow();
    if (row < 0) return;
    const LayerFile& layer = m_layers.Stack().Layer(static_cast<size_t>(row));
    // Its edits stay in the history, but no save would write them once it is off the stack.
    if (layer.Changed() &&
        m_boxes.Confirm(layer.ShortName() + " has changes that are not saved. Remove it and lose them?") !=
            BoxAnswer::Yes)
        return;
    m_layers.Remove(static_cast<size_t>(row));
    Refresh();
}

}  // namespace velmora
