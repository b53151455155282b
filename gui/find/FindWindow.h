// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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

// The rows of the find indexes that a search found: category, code, name, key and value. With a mod
// open, the rows of every kind follow one another in [FilesToEdit] order, each category named with
// its kind's file ("Art.ini: Animations"). A row keeps where its line stands (PlaceOf), so that an
// edit of the selected results can find its lines. The rows are handed to the view a few thousand
// at a time, as it scrolls down to them.
class FindResults : public ResultsModel {
    Q_OBJECT

public:
    // A row of the index of kind `kind`.
    struct Found {
        uint32_t kind;
        FindIndex::Row row;
        bool operator==(const Found&) const = default;
    };

    using ResultsModel::ResultsModel;
    // The rows `rows` of the kinds' indexes `indexes`, which must stay alive until the next Show;
    // `kinds` names the kinds, none without a mod.
    void Show(std::vector<const FindIndex*> indexes, std::vector<std::string> kinds, std::vector<Found> rows);
    void Clear() { Show({}, {}, {}); }
    // All the rows found, fetched by the view or not.
    size_t FoundCount() const { return m_rows.size(); }
    // After an Update of kind `kind`'s index that read the sections at `sections` again (in
    // order): `found` is what the search now finds in them. The rows of other sections stay where
    // the view has them, with their selection; a touched section's rows are told changed when they
    // are the same rows as before, or else taken out and put in again.
    void Follow(uint32_t kind, const std::vector<size_t>& sections, std::vector<FindIndex::Row> found);
    // The first row that leads to each of `targets`, in row order, fetched if need be; a target
    // that no row leads to has none. With `sections`, only the rows of those sections (in order)
    // of kind `kind` are looked at.
    std::vector<int> RowsLeadingTo(const std::vector<EntryTarget>& targets, uint32_t kind = 0,
                                   const std::vector<size_t>* sections = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    EntryTarget TargetOf(int row) const override;
    LinePlace PlaceOf(int row) const;
    // The kind, and the position of the section in its document, that the row is of.
    uint32_t KindOf(int row) const { return m_rows[static_cast<size_t>(row)].kind; }
    size_t SectionOf(int row) const { return m_rows[static_cast<size_t>(row)].row.section; }
    // False for a row that stands for a section's code.
    bool IsKeyRow(int row) const;

private:
    void FetchUpTo(size_t count);
    // The rows of section `section` of kind `kind`: [first, second).
    std::pair<size_t, size_t> RowsOf(uint32_t kind, size_t section) const;
    const FindIndex& IndexOf(const Found& found) const { return *m_indexes[found.kind]; }

    std::vector<const FindIndex*> m_indexes;
    std::vector<std::string> m_kinds;
    std::vector<Found> m_rows;
    size_t m_fetched = 0;
};

// The find window: the whole document's codes, names, key names and values searched as the user
// types, letter case ignored, optionally for whole words only; with a mod open, every kind's
// document. It searches each document's find index, which it has made once per document, away
// from the windows' thread, as soon as the document is shown (DocumentReplaced), so that the
// window opens at once; a search typed before an index is ready runs again when it is. After every
// edit, undo and redo of any kind, shown or not, it brings that kind's index up to the document
// and its results with it, so that it searches the documents as they now stand.
//
// The selected results of the kind shown can be edited as one edit each: the search text replaced
// in their values, or one key set to one value in each of their entries. The lines that will change
// are shown first, and only then changed.
class FindWindow : public ResultsWindow {
    Q_OBJECT

public:
    FindWindow(QWidget& owner, OpenDocument& document, Boxes& boxes, DocumentSignals& news);
    ~FindWindow() override;

    // Shows the window in front with the search text selected, ready to be typed over.
    void Present();
    // The kinds of the mod open, by [FilesToEdit] name, with their models (the kind shown's being
    // the window's own document); none: the window's document alone. The window searches them
    // until told otherwise, and must be told before any of them goes.
    void SearchKinds(const std::vector<std::pair<std::string, OpenDocument*>>& kinds);
    // A document was opened (or the file type reloaded): its index is made afresh, and those of
    // the other kinds that no longer follow their documents.
    void DocumentReplaced();
    // True while an index is being made; a search then waits for it.
    bool Preparing() const;
    QLineEdit& SearchText() const { return *m_text; }

    // The two edits of the selected results (the buttons).
    void ReplaceSelected();
    void SetInSelected();

protected:
    // The first Escape clears the search text, the next one closes the window.
    bool EscapeTakenBack() override;

private:
    struct SearchedKind;
    // A search of the kinds' indexes, one after the other, a slice at a time.
    struct KindsSearch {
        size_t kind = 0;  // the kind being searched
        std::unique_ptr<FindIndex::Search> search;
        std::vector<FindResults::Found> found;
    };
    // The rows selected and the current row, by the entry and key they lead to.
    struct Place {
        std::vector<EntryTarget> selected;
        EntryTarget current;
        bool hasCurrent = false;
    };
    using Sections = std::vector<size_t>;
    // The rows of those sections of one kind.
    struct KindSections {
        uint32_t kind;
        const Sections* sections;
    };

    // Brings the indexes up to the edits since, and the results with them.
    void FollowEdits();
    // As FollowEdits, the rows of each kind's touched sections found again in place.
    void FollowTouchedSections(const std::string& text, const std::vector<std::optional<Sections>>& touched);
    void FollowEditsSoon();
    void KindEdited(const OpenDocument* models);
    // Starts the index of each kind that has none.
    void Prepare();
    void IndexMade(OpenDocument* models, std::unique_ptr<FindIndex> index, const std::string& error);
    std::unique_ptr<SearchedKind> MakeKind(const std::string& name, OpenDocument& models);
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
    Place TakePlace(const KindSections* sections = nullptr) const;
    void ShowPlace(const Place& place, const KindSections* sections = nullptr);
    std::vector<int> SelectedRows() const;
    // The rows selected of the kind shown only: the edits change its document.
    std::vector<int> ShownKindSelectedRows() const;
    uint32_t ShownKind() const;
    // " of Rules.ini", the kind shown, with a mod open; empty without.
    std::string ShownKindNote() const;
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
    // The kinds searched, in [FilesToEdit] order; the window's document alone without a mod.
    std::vector<std::unique_ptr<SearchedKind>> m_kinds;
    bool m_followPending = false;
    // The search under way, the place to keep once it is done, and what continues it.
    std::unique_ptr<KindsSearch> m_search;
    Place m_searchPlace;
    QTimer m_searchSlicer;
};

}  // namespace velmora
