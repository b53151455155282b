// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace velmora {

class Boxes;
class DocumentLayers;

// The list of the layers over the document, in the order the game reads them (the last wins), with
// Up, Down and Remove. Each change goes through the session, which tells every view. A layer with
// unsaved edits is removed only when the user agrees to lose them. Not modal: it follows the
// stack while it stays open.
class LayersDialog final : public QDialog {
    Q_OBJECT

public:
    // `layers` and `boxes` outlive the dialog.
    LayersDialog(DocumentLayers& layers, Boxes& boxes, QWidget* parent);

    // Reads the stack again, the same layer staying selected where it can.
    void Refresh();

private:
    void MoveSelected(int by);
    void RemoveSelected();
    void SelectRow(int row);

    DocumentLayers& m_layers;
    Boxes& m_boxes;
    QListWidget* m_list;  // owned through its Qt parent, the dialog
    QPushButton* m_up;
    QPushButton* m_down;
    QPushButton* m_remove;
};

}  // namespace velmora
