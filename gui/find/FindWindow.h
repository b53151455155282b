// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <vector>

#include "core/references/FindIndex.h"
#include "gui/find/ResultsWindow.h"
#include "core/catalogue/TouchedSections.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velmora {

class Boxes;
class DocumentSignals;
class Workspace;
struct LineRewrite;

// The rows of the find index that a search found: category, code, name, key and value. A row keeps
// where its line stands (PlaceOf), so that an edit of the selected results can find its lines.
class FindResults : public ResultsModel {
    Q_OBJECT

public:
    using ResultsModel::ResultsModel;
    // The rows `rows` of `index`, which must stay alive until the next Show.
    void Show(const FindIndex* index, std::vector<FindIndex::Row> rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    EntryTarget TargetOf(int row) const override;
    LinePlace PlaceOf(int row) const;
    // False for a row that stands for a section's code.
    bool IsKeyRow(int row) const;

private:
    const FindIndex* m_index = nullptr;
    std::vector<FindIndex::Row> m_rows;
};

// The find window: the whole document's codes, names, key names and values searched as the user
// types, letter case ignored, optionally for whole words only. The index is built afresh whenever
// the window is shown or comes to the front, or the document is replaced, and after every edit,
// undo and redo it reads again the sections the edit touched, so that it searches the document as
// it now stands.
//
// The selected results can be edited as one edit each: the search text replaced in their values,
// or one key set to one value in each of their entries. The lines that will change are shown
// first, and only then changed.
class FindWindow : public ResultsWindow {
    Q_OBJECT

public:
    FindWindow(QWidget& owner, Workspace& workspace, Boxes& boxes, DocumentSignals& news);
    ~FindWindow() override;

    // Shows the window in front with the search text selected, ready to be typed over.
    void Present();
    // Another document was loaded or made: nothing of the index may stay.
    void DocumentReplaced();
    QLineEdit& SearchText() const { return *m_text; }

    // The two edits of the selected results (the buttons).
    void ReplaceSelected();
    void SetInSelected();

protected:
    void changeEvent(QEvent* event) override;
    // The first Escape clears the search text, the next one closes the window.
    bool EscapeTakenBack() override;

private:
    void Rebuild();
    // Brings the index up to the edits gathered in m_touched.
    void Update();
    void UpdateSoon();
    void Search();
    std::vector<int> SelectedRows() const;
    // Shows `rewrites` and commits them as one edit named `text` when the user agrees.
    void ConfirmAndCommit(const std::string& caption, std::string text, const std::vector<LineRewrite>& rewrites);

    Workspace& m_workspace;
    Boxes& m_boxes;
    FindResults* m_results;
    QLineEdit* m_text;
    QCheckBox* m_wholeWords;
    QLineEdit* m_replacement;
    QLineEdit* m_setKey;
    QLineEdit* m_setValue;
    std::unique_ptr<FindIndex> m_index;
    TouchedSections m_touched;
    bool m_updatePending = false;
};

}  // namespace velmora
