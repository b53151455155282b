// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "gui/services/GeneralHandler.h"

class QLabel;
class QPoint;
class QTabWidget;
class QWidget;

namespace velmora {

class Boxes;
class EditingSession;
class DocumentLayers;
struct Globals;
class IniStore;
class LiveValueCheck;
class StringGrid;
class Workspace;

// The pages of a category window: a tab per page of the category, and on the page shown the value
// grid with the page's keys and the shown entry's values of them. A key no page lists, which an
// entry of the category holds, shows on the page of the other keys.
//
// The grid is where the user edits values. The cell editor writes every keystroke into the cell,
// so the cell always holds what the user sees; typing alone never reaches the document. A value is
// written only when it is committed: before the current cell moves, when the grid loses the focus,
// on Enter (each with the editor open) and after the value choice dialog's OK. A cell is put right
// before its editor opens, so that nothing is written that was not read from the document.
//
// Its operations are spread over two files: the pages and what they show (ValuePages.cpp) and
// value editing (ValueEditing.cpp).
class ValuePages final : public QObject {
    Q_OBJECT

public:
    // The value grid's columns: the value-sources mark, the key, its value.
    static constexpr int MarkCol = 0;
    static constexpr int KeyCol = 1;
    static constexpr int ValueCol = 2;

    // The window's controls the pages work on; all outlive them.
    struct Controls {
        QTabWidget& pages;      // with its first page, which the form made
        QLabel& header;         // the page's name above the grid
        StringGrid& grid;       // the value grid
        QWidget& dialogParent;  // the window, over which the choice dialog opens
    };
    // The codes of the category's entries as the entry list shows them, for the choice dialog.
    using EntryCodes = std::function<std::vector<std::string>()>;

    ValuePages(const Controls& controls, Workspace& work, LiveValueCheck& values, const Globals& globals,
               Boxes& boxes, EntryCodes entryCodes);
    // The session whose other kinds of file the choice dialog lists for a kind source; none by
    // default. It outlives the pages.
    void ListKindsOf(EditingSession* session) { m_session = session; }

    // With layers over the document the grid shows the value that wins, marked with its layer's
    // colour and telling where it comes from, and a commit goes into the file `editTarget` names
    // (0 the document, 1 + i the layer at i). `layers` outlives the pages.
    void UseLayers(DocumentLayers& layers, std::function<size_t()> editTarget);

    // Makes the pages of `category` once, `Pages` being its line of [AllSections] as a list (item 0
    // the kind, then the page names), and shows the first with the values of entry `Code`.
    void MakePages(const std::string& category, const std::vector<std::string>& Pages, const std::string& Code);
    // Shows the values of entry `Code`; none for no entry (a category without entries).
    void ShowEntry(const std::string& Code);
    // The value of `Key` in entry `Code` changed: the rows that show it show it anew.
    void ShowValueChange(const std::string& Code, const std::string& Key);
    // The keys of the category's entries that no page lists read again (OtherKeysOf): the "Other
    // keys" page comes once there are any, and shows them as they now stand.
    void RefreshOtherKeys();
    // Writes the value being typed, if any, as leaving the grid would.
    void CommitOpenEdit();

    // The page shown; showing a page that does not exist does nothing.
    int PageIndex() const;
    void ShowPageIndex(int Index);
    // Shows the page and row of `Key` when a page lists it, or else on the "Other keys" page when
    // an entry of the category holds it (key names compared without regard to letter case), and
    // focuses the grid. False when no page shows it.
    bool ShowKey(const std::string& Key);
    // Selects the row of `Key` on the page shown, when it shows that key, and focuses the grid.
    void SelectKey(const std::string& Key);

    void SetEnabled(bool enabled);
    // The page header shows whether the grid got the focus last.
    void ShowHeaderActive(bool active);
    // How much taller the grid must be to show `rows` rows; 0 when it shows them.
    int HeightShort(int rows) const;

signals:
    // The user committed the value of `key` in `code` and the document took it.
    void valueCommitted(const std::string& code, const std::string& key);
    // The description of the key on the row selected, for the memo.
    void keyDescribed(const std::string& description);
    void usagesWanted(const std::string& code);
    void focusEntered();

private:
    // ---- The pages and what they show (ValuePages.cpp) ----
    void ConnectGrid();
    void CreatePageControl(const std::vector<std::string>& Pages);
    // A page tab after the others, whose value grid rows `Caption` names (a page section of the
    // definition file, or the other keys).
    void AddPage(const std::string& Caption, const QString& ObjectName);
    // An edit may have brought or taken away a key no page lists: the keys are read again once
    // the edit's news is all told.
    void RefreshOtherKeysSoon();
    void SwitchPage();
    void FillValueGridKeys();
    void FillValueGridValues();
    void ValueRowSelected();
    // Value-grid row `Row` shows the entry's stored value of its key, red unless the default copy
    // holds the same; a red value's tooltip names the default copy's value.
    void ShowStoredValue(int Row);
    // The value the grid shows for `key` of the entry shown: the one that wins over the layers.
    std::string ShownValueOf(const std::string& key) const;
    void DescribeKey();
    // The value grid's row becomes the row to select when its page is shown again.
    void RememberPageRow();
    // The name of the page the value grid stands on, as written in the page list.
    const std::string& GridPageName() const;
    // Shows page `page` on row `row`.
    bool ShowPageRow(size_t page, size_t row);
    // The value of the first item of the selected value that names an entry: its usages.
    void FindUsagesOfValue();
    const IniStore& DocumentStore() const;

    // ---- Value editing (ValueEditing.cpp) ----
    void AddChooseValueAction();
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

    // A handler without arguments run through the general handler; connected as a slot.
    template <void (ValuePages::*Handler)()>
    void Guarded() {
        RunEventHandler(m_boxes, [this] { (this->*Handler)(); });
    }

    QTabWidget& m_pages;
    QLabel& m_header;
    StringGrid& m_grid;
    QWidget& m_dialogParent;
    Workspace& m_work;
    EditingSession* m_session = nullptr;
    LiveValueCheck& m_values;
    const Globals& m_globals;
    Boxes& m_boxes;
    EntryCodes m_entryCodes;
    DocumentLayers* m_layers = nullptr;
    std::function<size_t()> m_editTarget;

    std::string m_category;
    std::string m_code;  // the entry whose values the grid shows; none: no entry
    // One description per value-grid row of the page shown: the page line's text after its first
    // "=", leading blanks removed.
    std::vector<std::string> KeyDescriptions;
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
    // While the value choice dialog is open: a second request (the Menu key comes as a context
    // menu request and as a key) does not open another over it.
    bool m_choosing = false;
};

}  // namespace velmora
