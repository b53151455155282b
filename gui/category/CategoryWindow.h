// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/services/GeneralHandler.h"
#include "gui/widgets/Pictures.h"

namespace Ui {
class CategoryWindow;
}

namespace velmora {

class Boxes;
class EntryActions;
class EntryList;
class EntryPictures;
class LayerBar;
struct Globals;
class LiveValueCheck;
class TableSwitch;
struct TableState;
class ValueNote;
class ValuePages;
class WindowHost;

// What the main window hands a new category window to fill it with.
struct CategoryToShow {
    // The category's line of [AllSections] as a list: item 0 the kind, then the page names.
    std::vector<std::string> Pages;
    int Number = 0;    // the category's row in the main window's grid plus 1
    std::string Name;  // the category name, also the window's caption
    int Kind = 0;      // 0: the document lists the entries; otherwise the definition file only
    int EntryRow = 0;  // the entry row selected first
};

// The window in which the user edits the entries of one category: the entry list on the left, the
// keys of the category's pages and the selected entry's values on the right, one tab per page, the
// entry's code, name and pictures in between and the description of what was selected last at the
// bottom. It is a top-level window of its own, owned by the main window, which creates it, fills
// it once with FillAndShow and keeps it in its list of open category windows until it closes.
//
// The window is made of parts, each with its own state and controls, which it composes and wires:
// the entry list (EntryList), the pages with the value grid (ValuePages), the pictures
// (EntryPictures), the entry operations (EntryActions), the note on a value that does not fit
// (ValueNote) and the switch to the table of all entries (TableSwitch). It keeps the window's own
// controls: the title, the window buttons, the code and name labels and the memo. The parts read
// the stores of the workspace's document and change them only through that document. The window
// spreads over two files: the window and its wiring (CategoryWindow.cpp) and what it shows when
// the document or the selection changes (CategoryWindowShows.cpp).
class CategoryWindow : public QWidget {
    Q_OBJECT

public:
    // A hidden, empty window owned by `MainWin`. `globals` and `boxes` outlive it.
    CategoryWindow(WindowHost& MainWin, const Globals& globals, Boxes& boxes);
    ~CategoryWindow() override;

    // What the main window hands over before FillAndShow: the tile of the window's background
    // (Bitmap2) and the background of the two picture areas (Bitmap1). None leaves the design look.
    void SetBackgroundTile(const Picture& Bitmap2);
    // Whether the window came back at a size the user left it; one that did not is made taller.
    void SetSizeRemembered(bool remembered) { m_sizeRemembered = remembered; }
    void SetPictureBackground(const Picture& Bitmap1);

    // Fills the hidden window once, as `shown` says, and shows it, then selects the entry row
    // `shown.EntryRow`. The window reads the document's stores and the default copy from the
    // workspace as they stand, and its changes go through that document.
    void FillAndShow(const CategoryToShow& shown);

    // The category number (the category's row in the main window's grid plus 1) and name (the
    // window's caption).
    int Tag() const { return m_tag; }
    const std::string& CategoryName() const { return m_categoryName; }

    // Selects entry row `Row` (a negative row means row 0), scrolled so that it is the last fully
    // visible row unless it is near the top, and focuses the entry list.
    void FocusEntryRow(int Row);
    // Refills the entry list and its pictures from the stores; the current row stays where it was.
    void RefillEntryGrid();
    // Writes the value being typed in the value grid or the table, if any, as leaving them would.
    void CommitOpenEdit();
    // Shows the values, the code and name and the pictures of the selected entry.
    void ShowSelectedEntry();
    // The category's entries changed: the entry list is refilled, its current row kept where it
    // can be, and the entry on that row shown as it now stands.
    void ShowEntriesAfresh();
    // The value of `Key` in the entry `Code` changed: every place that shows it shows it anew (the
    // entry list's names and pictures, the value grid, the panel and the memo); a change in the
    // category's own list section refills the entry list.
    void ShowValueChange(const std::string& Code, const std::string& Key);
    // Where the user stands, to come back to when the document is read again: the code of the
    // selected entry and the page shown.
    std::string SelectedCode() const;
    int PageIndex() const;
    void ShowPageIndex(int Index);
    // True when the entry list holds `Code`.
    bool ListsEntry(const std::string& Code) const;
    // Selects the entry `Code`, and the value-grid row of `Key` when the page shows that key.
    void SelectEntry(const std::string& Code, const std::string& Key);

    // Shows entry row `EntryRow` (every row shown again), on the page and value-grid row of `Key`
    // when a page holds it, or else on the "Other keys" page when an entry of the category holds
    // it (key names compared without regard to letter case). False when `Key` is named but shows
    // on no page.
    bool ShowEntryKey(int EntryRow, const std::string& Key);

    // Edits of this window go into file `file` of the stack (0 the document, 1 + i a layer).
    void EditIn(size_t file);
    // The file of the stack the window's edits go into now, numbered as EditIn takes it.
    size_t EditTarget() const;

    // The pictures of the entry rows.
    EntryPictures& Pictures() const { return *m_pictures; }
    // The switch between this entry and all entries of the category (made by FillAndShow).
    TableSwitch* Switch() const { return m_tableSwitch; }
    // What the table of all entries shows, to come back to when the document is read again; none
    // while the window shows one entry.
    std::optional<TableState> ShownTable() const;
    // Shows all entries as `state` says.
    void ShowTable(const TableState& state);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Which part filled the memo last, and which grid got the focus last (its headers are shown
    // active).
    enum class Part { None, Entries, Values };

    // ---- The window and its wiring (CategoryWindow.cpp) ----
    void MakeParts();
    void ConnectParts();
    void ConnectButtons();
    void FollowTheDocument();
    void SetUpTable();
    void FollowLayoutWithTab();
    // Makes the window taller, within the screen, until the value grid shows `rows` rows.
    void ShowValueRows(int rows);
    void MainWindowButton();
    void NextFocusOnly();
    void NextFocusAndShow();
    void FormClose();

    // ---- What the window shows (CategoryWindowShows.cpp) ----
    void GetLabelCodeAndName();
    void ShowEntryInMemo();
    // The memo shows `text` for `source`; a text it already shows is left as it is (and scrolled).
    void ShowInMemo(const std::string& text, Part source);
    void MakeGridActive(Part grid);
    void DuplicateButtonClick();
    void EntryGridDoubleClick();
    void DuplicateOrEditAction(bool IsDuplicate);
    void DeleteButton();

    // A handler without arguments run through the general handler; connected as a slot.
    template <void (CategoryWindow::*Handler)()>
    void Guarded() {
        RunEventHandler(m_boxes, [this] { (this->*Handler)(); });
    }

    std::unique_ptr<Ui::CategoryWindow> ui;
    WindowHost& m_main;
    const Globals& m_globals;
    Boxes& m_boxes;
    // The values' check as the main window keeps it: the value grid, the table and the note show it.
    LiveValueCheck& m_valueCheck;

    std::unique_ptr<EntryList> m_entries;
    std::unique_ptr<ValuePages> m_values;
    std::unique_ptr<EntryPictures> m_pictures;
    std::unique_ptr<EntryActions> m_actions;
    std::unique_ptr<ValueNote> m_valueNote;
    TableSwitch* m_tableSwitch = nullptr;  // owned through its Qt parent
    LayerBar* m_layerBar = nullptr;        // likewise

    int m_tag = 0;
    std::string m_categoryName;
    bool m_sizeRemembered = false;
    Part MemoSource = Part::None;
    Part ActiveGrid = Part::None;
};

}  // namespace velmora
