// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <string>
#include <vector>

class QLabel;

namespace velmora {

class Boxes;
class DocumentLayers;
class FilterBox;
struct Globals;
class StringGrid;
class Workspace;

// The entry list of a category window: the code and name of each entry of the category, in the
// order the category lists them, with the filter box above it. The selection is kept by the
// entry's code across a refilling, and typing the first letters of a code jumps to it. The list
// reads the document as the workspace holds it and writes nothing; what the user asks of an entry
// (a change of code, its usages) it hands on as signals.
class EntryList final : public QObject {
    Q_OBJECT

public:
    // The grid's columns.
    static constexpr int EntryCodeCol = 0;
    static constexpr int EntryNameCol = 1;

    // The list over `grid`, whose headers are `codeHeader` and `nameHeader`. All outlive it.
    EntryList(StringGrid& grid, QLabel& codeHeader, QLabel& nameHeader, const Workspace& work,
              const Globals& globals, Boxes& boxes);

    // With layers over the document the list shows, after the document's own entries, those the
    // layers' lists add, marked with the adding layer's colour. `layers` outlives the list.
    void UseLayers(DocumentLayers& layers) { m_layers = &layers; }

    // The category the list shows, by its name and kind (which store lists its entries).
    void ShowCategory(const std::string& category, int kind);
    // Refills the list from the stores; the current row stays where it was.
    void RefillEntryGrid();
    // After a refilling: the entry that was selected (`code`, on `row` before) is selected again
    // wherever its row went, without a signal, and the filter stays. When it is gone, the row it
    // stood on (or the last) is selected, or the first the filter shows.
    void SelectAgain(const std::string& code, int row);

    // Selects entry row `Row` (a negative row means row 0), scrolled so that it is the last fully
    // visible row unless it is near the top, and focuses the list.
    void FocusEntryRow(int Row);
    void ClearFilter();

    int Row() const;
    // The code and name on the current row; empty without one.
    std::string SelectedCode() const;
    std::string SelectedName() const;
    // The row of `Code`, or every row of it (an entry may be listed twice); -1 or none when the
    // list does not hold it.
    int RowOfEntry(const std::string& Code) const;
    std::vector<int> RowsOfEntry(const std::string& Code) const;
    // The codes row by row: the one row of a category without entries shows none.
    std::vector<std::string> Codes() const;
    int RowCount() const;
    // The rows of `Code` show its name as the document now holds it.
    void ShowNameOf(const std::string& Code);

    // The filter box (the table of all entries borrows it while it shows).
    FilterBox& Filter() const { return *m_filter; }
    // The headers show whether the list got the focus last.
    void ShowHeadersActive(bool active);

signals:
    // The current row moved, by the user or by code.
    void selectionChanged();
    // A double click or F2: the user asks to change the selected entry's code.
    void changeCodeWanted();
    void usagesWanted(const std::string& code);
    void focusEntered();
    // Whether the filter shows any row: nothing may act on an entry it hides.
    void anyRowShown(bool any);

private:
    void AddUsagesAction();
    void AddChangeCodeAction();
    void FitEntryHeaders();
    // The entry's name as the views show it: a layer may set it, or add the entry.
    std::string NameOf(const std::string& code) const;

    StringGrid& m_grid;
    QLabel& m_codeHeader;
    QLabel& m_nameHeader;
    const Workspace& m_work;
    const Globals& m_globals;
    Boxes& m_boxes;
    DocumentLayers* m_layers = nullptr;
    FilterBox* m_filter;  // owned through its Qt parent, the grid's
    std::string m_category;
    int m_kind = 0;
};

}  // namespace velmora
