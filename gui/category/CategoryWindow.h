// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "gui/services/GeneralHandler.h"
#include "gui/widgets/Pictures.h"

class QLabel;

namespace Ui {
class CategoryWindow;
}

namespace velmora {

class Boxes;
struct CodeChangeRewrites;
class FilterBox;
struct LineRewrite;
struct Globals;
class StringGrid;
class WindowHost;
class IniStore;
struct EntryPictures;
class CodeNameDialog;
class TableSwitch;
struct TableState;

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
// The window reads the stores of the workspace's document and changes them only through that
// document; it owns only the pictures of its entry rows. Its operations are spread over six files:
// the window itself, its filling, selection and memo (CategoryWindow.cpp), value editing
// (ValueEditing.cpp), the note on a value that does not fit its key (ValueNote.cpp), the entry
// operations (EntryActions.cpp), the table of all entries (EntryTable.cpp) and finding
// (EntryFinding.cpp).
class CategoryWindow : public QWidget {
    Q_OBJECT

  public:
    // The columns of the entry grid (EntryGrid: code, name) and of the key grid (ValueGrid:
    // the value-sources mark, the key, its value).
    static constexpr int EntryCodeCol = 0;
    static constexpr int EntryNameCol = 1;
    static constexpr int MarkCol = 0;
    static constexpr int KeyCol = 1;
    static constexpr int ValueCol = 2;

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
    // Refills the entry list from the stores; the current row stays where it was.
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

    // The pictures of the entry rows. ChangeTheImage replaces the pair of row `Row` by the picture
    // `ImageName` + ".bmp" alone; ShowTheImage draws the pair of the current entry row.
    void ChangeTheImage(int Row, const std::string& ImageName);
    void ShowTheImage();

    // Shows entry row `EntryRow` (every row shown again), on the page and value-grid row of `Key`
    // when a page holds it, or else on the "Other keys" page when an entry of the category holds
    // it (key names compared without regard to letter case). False when `Key` is named but shows
    // on no page.
    bool ShowEntryKey(int EntryRow, const std::string& Key);

    // A key description as the memo shows it: the first span from a "~" up to the next "~" (both
    // included) left out, or a lone "~" dropped.
    static std::string StripApprox(const std::string& Text);

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
    static constexpr int FirstValueRows = 20;
    static constexpr int MinValueRows = 10;
    // Makes the window taller, within the screen, until the value grid shows `rows` rows.
    void ShowValueRows(int rows);
    void FollowLayoutWithTab();
    // ---- The window: filling, pages, selection, memo, headers (CategoryWindow.cpp) ----
    void ConnectControls();
    void FollowTheDocument();
    // The entry row of `Code`; -1 when the list does not hold it.
    int RowOfEntry(const std::string& Code) const;
    void GetLabelCodeAndName();
    void CreatePageControl(const std::vector<std::string>& Pages);
    // A page tab after the others, whose value grid rows `Caption` names (a page section of the
    // definition file, or the other keys).
    void AddPage(const std::string& Caption, const QString& ObjectName);
    // The keys of the category's entries that no page lists read again (OtherKeysOf): the "Other
    // keys" page comes once there are any, and shows them as they now stand.
    void RefreshOtherKeys();
    // An edit may have brought or taken away a key no page lists: the keys are read again once
    // the edit's news is all told.
    void RefreshOtherKeysSoon();
    void SwitchPage();
    void FillValueGridKeys();
    void FillValueGridValues();
    void ValueRowSelected();
    // Value-grid row `Row` shows entry `Code`'s stored value of its key, red unless the default
    // copy holds the same; a red value's tooltip names the default copy's value.
    void ShowStoredValue(int Row, const std::string& Code);
    void RefreshMemo(const StringGrid* Grid);
    void FreeRowPictures();
    void FitEntryHeaders();
    void OnEnterEntryGrid();
    void OnEnterValueGrid();
    void MakeGridActive(StringGrid* Grid);
    void ShowHeadersActive(const StringGrid* Grid, bool active);
    void MainWindowButton();
    void NextFocusOnly();
    void NextFocusAndShow();
    void FormClose();
    // The value grid's row becomes the row to select when its page is shown again.
    void RememberPageRow();
    // The page the value grid stands on, and its name (the page caption as written).
    QWidget* GridPage() const;
    const std::string& GridPageName() const;

    // ---- Value editing (ValueEditing.cpp) ----
    // The value grid's current cell is about to move to (col, row); the old cell is still current
    // and its editor still open.
    void ValueCellMoving(int col, int row);
    // The value grid lost the focus, its editor still open. Also keeps the page's row.
    void ValueGridLeft();
    // A key pressed in the value grid or its editor (a Qt::Key), before either handles it.
    void FormKeyPress(int Key);
    void DoubleClickValueGrid();
    // A context-menu request at `MousePos` in the value grid's viewport.
    void ValueGridContextMenu(const QPoint& MousePos);
    void CommitValueEdit();
    // Value-grid row `Row` shows the stored value again when it shows another (a view missed no
    // news, but nothing typed is ever written over a value the user did not see).
    void ShowStoredValueIfStale(int Row);
    void CancelValueEdit();
    void InterpretModalResult(const std::string& Text);

    // ---- The note on a committed value that does not fit its key (ValueNote.cpp) ----
    // The value of `Key` in entry `Code` was just committed: the note says why it looks wrong, or
    // goes when it fits.
    void NoteCommittedValue(const std::string& Code, const std::string& Key);
    // The noted value changed or went: the note follows it, and goes once it fits.
    void RefreshValueNote();

    // ---- Entry operations (EntryActions.cpp) ----
    void DuplicateButtonClick();
    void EntryGridDoubleClick();
    void DuplicateOrEditAction(bool IsDuplicate);
    // Fills, shows and checks the code and name dialog; true on OK, with the new code and name.
    bool AskCodeAndName(CodeNameDialog& Dialog, bool IsDuplicate, std::string& NewCode, std::string& NewName);
    // What a change of code rewrites besides its own lines, as the user chose; none on Cancel.
    std::optional<std::vector<LineRewrite>> AskReferences(CodeChangeRewrites Rewrites, const std::string& OldCode,
                                                          const std::string& NewCode);
    void DeleteButton();
    // Shows the selected entry in the value grid, the panel and the memo as it now stands.
    void ShowEntryAfresh();

    // ---- All entries (EntryTable.cpp) ----
    void SetUpTable();

    // ---- Finding (EntryFinding.cpp) ----
    void SetUpFinding();
    void FindUsagesOfEntry();
    // The usages of the first item of the selected value that names an entry.
    void FindUsagesOfValue();

    // A handler without arguments run through the general handler; connected as a slot.
    template <void (CategoryWindow::*Handler)()>
    void Guarded() {
        RunEventHandler(m_boxes, [this] { (this->*Handler)(); });
    }

    std::unique_ptr<Ui::CategoryWindow> ui;
    WindowHost& m_main;
    const Globals& m_globals;
    Boxes& m_boxes;

    // The document's stores, as the document holds them now.
    const IniStore& DocumentStore() const;
    const IniStore& DefinitionStore() const;

    // The default copy of the current file type, as the workspace holds it.
    const IniStore& DefaultStore() const;
    // Set by FillAndShow.
    int CategoryKind = 0;
    // One description per value-grid row of the active page: the page line's text after its
    // first "=", leading blanks removed.
    std::vector<std::string> KeyDescriptions;
    // What the memo shows: the value-grid row and page, or the entry-list row, and which of the
    // grids filled it last (none at first).
    int MemoKeyRow = 0;
    const QWidget* MemoKeyPage = nullptr;
    const StringGrid* MemoSource = nullptr;
    int MemoEntryRow = 0;
    // The grid that got the focus last (none at first); its headers are shown active.
    const StringGrid* ActiveGrid = nullptr;

    int m_tag = 0;
    bool m_sizeRemembered = false;
    // While the value choice dialog is open: a second request (the Menu key comes as a context
    // menu request and as a key) does not open another over it.
    bool m_choosing = false;
    std::string m_categoryName;
    // Per page, in tab order: the name as written in the page list, and the value-grid row to
    // select when the page is shown again.
    std::vector<std::string> m_pageNames;
    std::vector<int> m_pageRows;
    // The keys the pages list, folded; the page of the other keys (-1 until there are any) and
    // its keys, as first spelled.
    std::unordered_set<std::string> m_pageKeys;
    int m_otherKeysPage = -1;
    std::vector<std::string> m_otherKeys;
    bool m_otherKeysPending = false;
    int m_gridPage = 0;  // the page the value grid and its header stand on
    // The pictures of the entry rows, row by row; the grid's column-1 cells point at them.
    std::vector<std::unique_ptr<EntryPictures>> m_rowPictures;
    Picture m_pictureBackground;
    FilterBox* m_entryFilter = nullptr;  // owned through its Qt parent
    TableSwitch* m_tableSwitch = nullptr;  // owned through its Qt parent
    QLabel* m_valueNote = nullptr;         // owned through its Qt parent; made for the first note
    std::string m_notedCode;               // the entry and key the note is about; none: no note
    std::string m_notedKey;
};

}  // namespace velmora
