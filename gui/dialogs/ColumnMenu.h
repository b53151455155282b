// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMenu>
#include <vector>

namespace velmora {

struct PopupMenuEntry;

// A context menu whose items stand in columns side by side, each column set off from the one
// before by a vertical bar. Qt's menus have no column break, so the items are laid out by a
// widget that the menu holds as its one action. The items are for reading: choosing one only
// closes the menu.
class ColumnMenu : public QMenu {
    Q_OBJECT

  public:
    explicit ColumnMenu(QWidget* parent = nullptr);

    // Replaces the menu's items. An entry "-" is a separator; an entry marked as beginning a
    // column starts a new one. No entries leave the menu without items.
    void SetEntries(const std::vector<PopupMenuEntry>& entries);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool m_pressedOnItem = false;  // since the menu opened
};

}  // namespace velmora
