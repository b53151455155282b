// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace velmora {

class Boxes;
class DocumentLayers;
class LayersDialog;

// The File menu's commands of the layers over the document: "Add Layer…", which asks for a game
// mode or a map through the box seam and puts it on top, and "Layers…", the list to reorder and
// remove them.
class LayerCommands final : public QObject {
    Q_OBJECT

public:
    // Everything given outlives the commands; `window` is the parent of the list's dialog.
    LayerCommands(QWidget& window, DocumentLayers& layers, Boxes& boxes);

    // Puts the commands into `menu` before `before`.
    void AddMenuCommands(QMenu& menu, QAction* before);
    void AddLayerClick();
    // Puts each of `files` on top in turn, as at start-up; a file that cannot be read is told and
    // skipped.
    void AddLayers(const std::vector<std::string>& files);
    LayersDialog& ShowLayers();

private:
    QWidget& m_window;
    DocumentLayers& m_layers;
    Boxes& m_boxes;
    QPointer<LayersDialog> m_dialog;  // owned through its Qt parent, the window
};

}  // namespace velmora
