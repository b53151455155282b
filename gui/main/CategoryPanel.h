// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <array>
#include <string>

#include "core/catalogue/Workspace.h"

class QAbstractButton;
class QListWidget;
class QToolButton;

namespace velmora {

class Boxes;
class DocumentLayers;
class DocumentSignals;
struct Globals;
class StringGrid;

// The categories of the file type as buttons (page "MAIN") and as a grid (page "ALL"), and the
// entries of the selected category in the list beside them, kept up as the document changes. A
// double-click on a category or an entry, Enter on a category or the Edit button asks the window
// to open the category's window there.
class CategoryPanel : public QObject {
    Q_OBJECT

  public:
    // What the panel asks of the window it belongs to.
    class Host {
      public:
        // Opens the category window of the current row at the entry `EntryIndex` (-1: none).
        virtual void OpenDbl2Click(int EntryIndex) = 0;
        // The layers over the document shown: the entries they add are listed too.
        virtual DocumentLayers& Layers() = 0;

      protected:
        ~Host() = default;
    };
    // The window's controls the panel runs.
    struct Controls {
        std::array<QToolButton*, Workspace::MainButtonCount> Buttons;
        StringGrid& Grid;
        QListWidget& Entries;
        QAbstractButton& EditButton;
    };

    // Everything given outlives the panel.
    CategoryPanel(const Controls& controls, const Workspace& workspace, DocumentSignals& news,
                  const Globals& globals, Boxes& boxes, Host& host);

    // The category rows the workspace built, in the grid and on the buttons.
    void ShowRows();
    // After a load: the first row becomes the current one, its entries listed by ShowCurrentCategory
    // once the window can show them.
    void ShowFirstRow();
    // The Edit button's caption, the pressed category button and the entries of the current row.
    void ShowCurrentCategory();
    // The category of grid row `row`, and the row of `category` (the row count when none).
    std::string Category(int row) const;
    int Row() const;
    int RowOf(const std::string& category) const;
    // Makes `row` the current row, with its entries listed.
    void SelectRow(int row);
    // The entry `code` of `category` selected in the list and scrolled into view.
    void ShowEntry(const std::string& category, const std::string& code);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ArrangeButton();
    void MainButtonClicked(int index);
    void PressButton(int index);
    void AllButtonClick(int index);
    void AllButtonDoubleClick(int index);
    void CategoryGridClicked();
    void DoubleClick1();
    void DoubleClick2();
    // The list of a category is a section too: a value written into it changes the entries listed.
    void ShowValueChange(const std::string& Code, const std::string& Key);

    std::array<QToolButton*, Workspace::MainButtonCount> MainButtons;
    StringGrid& m_grid;
    QListWidget& m_entries;
    QAbstractButton& m_editButton;
    const Workspace& m_workspace;
    const Globals& m_globals;
    Boxes& m_boxes;
    Host& m_host;
    // The category names the buttons carry, as bytes (the widgets show them with "&" escaped).
    std::array<std::string, Workspace::MainButtonCount> m_buttonCaptions;
};

}  // namespace velmora
