// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <cstddef>
#include <string>

class QComboBox;
class QHBoxLayout;

namespace velmora {

class DocumentLayers;

// The line of a category window that shows the layers over the document: "Edit in:", the file an
// edit of the window goes into (the document unless the user picks a layer), and the legend of the
// layers' colours. Hidden while there are no layers. The choice is this window's own, kept by the
// file's name when the stack changes; a file that left the stack gives the choice back to the
// document.
class LayerBar final : public QWidget {
    Q_OBJECT

public:
    // `layers` outlives the bar.
    LayerBar(DocumentLayers& layers, QWidget* parent);

    // The file edits go into: 0 the document, 1 + i the layer at i.
    size_t Target() const;
    void SetTarget(size_t file);
    // Reads the stack again: the choices, the legend and whether the bar shows.
    void Refresh();

private:
    DocumentLayers& m_layers;
    QComboBox* m_editIn;       // owned through its Qt parent, the bar
    QHBoxLayout* m_legend;     // likewise
    std::string m_targetName;  // the full name of the chosen layer's file; empty: the document
};

}  // namespace velmora
