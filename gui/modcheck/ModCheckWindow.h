// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "core/session/LiveModCheck.h"

class QLabel;
class QModelIndex;
class QTableView;

namespace velmora {

class ModFindingsModel;

// The "Check the Mod" window: every finding across the kinds of the mod in one list, a line that
// sums them up by severity, and the warnings that keep the check from judging everything. It shows
// the core's live check and follows it: after an edit of any kind the rows are read again once
// events are handled, the selected finding kept by its file, entry and key. Enter or a
// double-click asks for the finding's spot to be opened. A top-level window of the program.
class ModCheckWindow : public QWidget, private LiveModCheck::Listener {
    Q_OBJECT

public:
    // `check` may go before the window (the mod closed): the window then shows nothing.
    ModCheckWindow(QWidget& owner, LiveModCheck& check);
    ~ModCheckWindow() override;
    ModCheckWindow(const ModCheckWindow&) = delete;
    ModCheckWindow& operator=(const ModCheckWindow&) = delete;

    QTableView& View() const { return *m_view; }
    // Shows `check` from now on (none: no mod is open), as when the kinds change places.
    void Watch(LiveModCheck* check);

signals:
    // The spot of a finding: `kind` is its kind's position among the mod's kinds, `file` its file
    // name, `line` counted from 1.
    void spotRequested(int kind, const QString& file, const QString& entry, const QString& key, int line);

private:
    void ModCheckChanged() override;
    void ModCheckGone() override;
    void Refresh();
    void OpenRow(const QModelIndex& index);

    LiveModCheck* m_check;
    ModFindingsModel* m_model;
    QLabel* m_summary;
    QLabel* m_warnings;
    QTableView* m_view;
    bool m_refreshQueued = false;
};

}  // namespace velmora
