// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <memory>
#include <vector>

#include "core/references/FindIndex.h"
#include "gui/find/ResultsWindow.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velmora {

class Boxes;
class DocumentSignals;
class FindIndexBuilder;
class OpenDocument;
struct LineRewrite;

// The rows of the find index that a search found: category, code, name, key and value. A row keeps
// where its line stands (PlaceOf), so that an edit of the selected results can find its lines.
// The rows are handed to the view a few thousand at a time, as it scrolls down to them.
class FindResults : public ResultsModel {
    Q_OBJECT

public:
    using ResultsModel::ResultsModel;
    // The rows `rows` of `index`, which must stay alive until the next Show.
    void Show(const FindIndex* index, std::vector<FindIndex::Row> rows);
    // All the rows found, fetched by the view or not.
    size_t FoundCount() const { return m_rows.size(); }
    // After an Update of the index that read the sections at `sections` again (in order):
    // `found` is what the search now finds in them. The rows of other sections stay where the view
    // has them, with their selection; a touched section's rows are told changed when they are the
    // same rows as before, or else taken out and put in again.
    void Follow(const std::vector<size_t>& sections, std::vector<FindIndex::Row> found);
    // The first row that leads to each of `targets`, in row order, fetched if need be; a target
    // that no row leads to has none. With `sections`, only the rows of those sections (in order)
    // are looked at.
    std::vector<int> RowsLeadingTo(const std::vector<EntryTarget>& targets,
                                   const std::vector<size_t>* sections = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    EntryTarget TargetOf(int row) const override;
    LinePlace PlaceOf(int row) const;
    // The position of the section the row is of.
    size_t SectionOf(int row) const;
    // False for a row that stands for a section's code.
    bool IsKeyRow(int row) const;

private:
    void FetchUpTo(size_t count);
    // The rows of section `section`: [first, second).
    std::pair<size_t, size_t> RowsOf(size_t section) const;

    const FindIndex* m_index = nullptr;
    std::vector<FindIndex::Row> m_rows;
    size_t m_fetched = 0;
};

// The find window: the whole document's codes, names, key names and values searched as the user
// types, letter case ignored, optionally for whole words only. It searches the open document's
// find index, which it has made once per document, away from the windows' thread, as soon as the
// document is shown (DocumentReplaced), so that the window opens at once; a search typed before
// it is ready runs when it is. After every edit, undo and redo, shown or not, it brings the index
// up to the document and its results with it, so that it searches the document as it now stands.
//
// The selected results can be edited as one edit each: the search text replaced in their values,
// or one key set to one value in each of their entries. The lines that will change are shown
// first, and only then changed.
class FindWindow : public ResultsWindow {
    Q_OBJECT

public:
    FindWindow(QWidget& owner, OpenDocument& document, Boxes& boxes, DocumentSignals& news);
    ~FindWindow() override;

    // Shows the window in front with the search text selected, ready to be typed over.
    void Present();
    // A document was opened (or the file type reloaded): the index is made afresh.
    void DocumentReplaced();
    // True while the index is being made; a search then waits for it.
    bool Preparing() const;
    QLineEdit& SearchText() const { return *m_text; }

    // The two edits of the selected results (the buttons).
    void ReplaceSelected();
    void SetInSelected();

protected:
    // The first Escape clears the search text, the next one closes the window.
    bool EscapeTakenBack() override;

private:
    // The rows selected and the current row, by the entry and key they lead to.
    struct Place {
        std::vector<EntryTarget> selected;
        EntryTarget current;
        bool hasCurrent = false;
    };
    using Sections = std::vector<size_t>;

    // Brings the index up to the edits since, and the results with it.
    void FollowEdits();
    void FollowEditsSoon();
    void DocumentEdited();
    void Prepare();
    void IndexMade(std::unique_ptr<FindIndex> index, const std::string& error);
    // Searches the index a slice at a time; once done, the results show, with `place` kept.
    void Search(Place place);
    void Search();
    void SearchSlice();
    // Ends the search under way at once.
    void FinishSearch();
    void DropSearch();
    void ForgetIndex();
    void ShowFoundCount();
    // With `sections`, only of the rows of those sections (in order).
    Place TakePlace(const Sections* sections = nullptr) const;
    void ShowPlace(const Place& place, const Sections* sections = nullptr);
    std::vector<int> SelectedRows() const;
    // Shows `rewrites` and commits them as one edit named `text` when the user agrees.
    void ConfirmAndCommit(const std::string& caption, std::string text, const std::vector<LineRewrite>& rewrites);

    OpenDocument& m_document;
    Boxes& m_boxes;
    FindResults* m_results;
    QLineEdit* m_text;
    QCheckBox* m_wholeWords;
    QLineEdit* m_replacement;
    QLineEdit* m_setKey;
    QLineEdit* m_setValue;
    FindIndexBuilder* m_builder;
    bool m_followPending = false;
    // The search under way, the place to keep once it is done, and what continues it.
    std::unique_ptr<FindIndex::Search> m_search;
    Place m_searchPlace;
    QTimer m_searchSlicer;
};

}  // namespace velmora
