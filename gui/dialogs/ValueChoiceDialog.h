// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QListWidgetItem;

namespace Ui {
class ValueChoiceDialog;
}

namespace velmora {

class Boxes;
class ColumnMenu;
class Workspace;

// The modal dialog in which the user picks a value for one key of an entry: from the BASIC list
// (the values the key's sources allow) or the OTHERS list (the values the category's entries hold
// for the key, each with the codes that hold it). A button switches between the two; several
// items may be picked and are joined into a comma list. A category window creates one for a
// single use: PrepareFor, exec(), and on OK ChosenValue().
//
class ValueChoiceDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ValueChoiceDialog(QWidget* parent = nullptr);
    ~ValueChoiceDialog() override;

    // Prepares the dialog before it is shown, for `Key` of the entry `Code`; `EntryCodes` are the
    // category's entries, whose values of the key the OTHERS list shows. `workspace` gives the
    // category rows and kinds and the document, definition and default stores. A key with sources
    // opens on the BASIC list, one without on the OTHERS list with the switch disabled. The notice
    // for a source that gives no value is shown here, before the dialog. The workspace and `boxes`
    // must outlive the dialog. `KindValues`: what the key's kind of value allows ("yes" and "no"),
    // the BASIC list of a key without sources.
    void PrepareFor(std::string ValueSources, std::string CurrentValue, std::string Key, std::string Code,
                    std::vector<std::string> EntryCodes, const Workspace& workspace, Boxes& boxes,
                    std::vector<std::string> KindValues = {});

    // The kinds of file open together, whose names a kind source (`~@Art:*@~`) lists; given before
    // PrepareFor. None by default: such a source then gives no value.
    void ListKinds(std::vector<const Workspace*> kinds) { m_kinds = std::move(kinds); }

    // The answer after OK: the values of the selected items in list order, joined by "," without
    // blanks; empty when nothing is selected.
    std::string ChosenValue() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Fills the list with the list that is due next and shows the key, its current and default
    // values, and positions on the current value.
    void GetPreparedValuesOK();
    void ValuesButtonClick();
    void ShowItems(std::vector<std::string> items);
    void PositionOnCurrentValue();
    void ListBox1MouseMove(const QPoint& position);
    void OnPopUpLaunch(const QPoint& position);

    std::unique_ptr<Ui::ValueChoiceDialog> m_ui;
    ColumnMenu* PopupMenu1;
    // The list box's items as bytes, row by row (the list box never reorders them).
    std::vector<std::string> m_items;

    // What PrepareFor was given, and which list shows when the switch is pressed next.
    std::string m_valueSources;  // comma-separated source names; empty: the key names none
    std::string m_currentValue;
    std::string m_defaultValue;
    std::string m_key;
    std::vector<std::string> m_entryCodes;
    std::vector<std::string> m_kindValues;  // the BASIC list when the key names no sources
    bool m_showBasicNext = false;
    const Workspace* m_workspace = nullptr;
    std::vector<const Workspace*> m_kinds;
    Boxes* m_boxes = nullptr;
};

}  // namespace velmora
