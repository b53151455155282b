// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/LayerCommands.h"

#include <QAction>
#include <QMenu>

#include "core/boxes/Boxes.h"
#include "core/session/DocumentLayers.h"
#include "gui/dialogs/LayersDialog.h"
#include "gui/services/GeneralHandler.h"

namespace velmora {

namespace {

constexpr const char* LayerFilter = "Game modes and maps (*.ini;*.map;*.mpr)|*.ini;*.map;*.mpr|All files|*.*";

}  // namespace

LayerCommands::LayerCommands(QWidget& window, DocumentLayers& layers, Boxes& boxes)
    : QObject(&window), m_window(window), m_layers(layers), m_boxes(boxes) {}

void LayerCommands::AddMenuCommands(QMenu& menu, QAction* before) {
    auto* add = new QAction(QStringLiteral("Add &Layer…"), &menu);  // owned through its Qt parent
    add->setObjectName(QStringLiteral("AddLayer1"));
    auto* list = new QAction(QStringLiteral("La&yers…"), &menu);
    list->setObjectName(QStringLiteral("Layers1"));
    menu.insertActions(before, {add, list});
    connect(add, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { AddLayerClick(); }); });
    connect(list, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { ShowLayers(); }); });
}

void LayerCommands::AddLayerClick() {
    const std::optional<std::string> name = m_boxes.OpenFileName(LayerFilter, std::string());
    if (!name) return;
    m_layers.Add(*name);
    if (m_dialog) m_dialog->Refresh();
}

void LayerCommands::AddLayers(const std::vector<std::string>& files) {
    for (const std::string& file : files) RunEventHandler(m_boxes, [&] { m_layers.Add(file); });
    if (m_dialog) m_dialog->Refresh();
}

LayersDialog& LayerCommands::ShowLayers() {
    if (!m_dialog) m_dialog = new LayersDialog(m_layers, m_boxes, &m_window);
    m_dialog->Refresh();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    return *m_dialog;
}

}  // namespace velmora
