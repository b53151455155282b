// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <vector>

#include "gui/find/ResultsWindow.h"

class QCheckBox;

namespace velmora {

class DocumentLayers;
class ListedResults;

// The Conflicts window: every key that two or more files of the stack set, grouped by entry, each
// row with the chain of the files that set it ("Rules.ini 5 <- mode.ini 11 <- map.map 7") and the
// winner. "Only conflicts", on at first, hides the overrides that agree with what they override.
// A double-click asks for the entry to be opened with edits going into the file that wins. Its
// rows are read from the core each time the stack or a file of it changes (Refill).
class ConflictsWindow final : public ResultsWindow {
    Q_OBJECT

public:
    // `layers` outlives the window; `owner` is its Qt parent.
    ConflictsWindow(QWidget& owner, DocumentLayers& layers);

    void Refill();

signals:
    // The row of `target` was opened; `file` is the file that sets its winning value (0 the
    // document, 1 + i the layer at i).
    void openInFileRequested(const velmora::EntryTarget& target, size_t file);

private:
    DocumentLayers& m_layers;
    ListedResults* m_rows;   // owned by the window
    QCheckBox* m_onlyConflicts;  // owned through its Qt parent
    // Per row shown, the file of the winner: where a double-click sends the edits.
    std::vector<size_t> m_winners;
};

}  // namespace velmora
