// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/ConflictsWindow.h"

#include <QCheckBox>
#include <QTableView>
#include <QVBoxLayout>
#include <string>

#include "core/layers/EffectiveValues.h"
#include "core/session/DocumentLayers.h"
#include "core/store/MessageText.h"
#include "gui/widgets/QtText.h"

namespace velmora {

ConflictsWindow::ConflictsWindow(QWidget& owner, DocumentLayers& layers)
    : ResultsWindow(owner, QStringLiteral("ConflictsWindow"),
                    new ListedResults({QStringLiteral("Entry"), QStringLiteral("Key"), QStringLiteral("Chain"),
                                       QStringLiteral("Winner")},
                                      nullptr),
                    false),
      m_layers(layers),
      m_rows(static_cast<ListedResults*>(View().model())),
      m_onlyConflicts(new QCheckBox(QStringLiteral("Only conflicts"), this)) {
    setWindowTitle(QStringLiteral("Conflicts"));
    m_onlyConflicts->setObjectName(QStringLiteral("OnlyConflicts"));
    m_onlyConflicts->setChecked(true);
    Layout().insertWidget(0, m_onlyConflicts);
    connect(m_onlyConflicts, &QCheckBox::toggled, this, &ConflictsWindow::Refill);
    // The row opened is the current one: its winner's file goes with it.
    connect(this, &ResultsWindow::openRequested, this, [this](const EntryTarget& target) {
        const int row = View().currentIndex().isValid() ? View().currentIndex().row() : 0;
        const size_t file = static_cast<size_t>(row) < m_winners.size() ? m_winners[static_cast<size_t>(row)] : 0;
        emit openInFileRequested(target, file);
    });
}

void ConflictsWindow::Refill() {
    const bool onlyConflicts = m_onlyConflicts->isChecked();
    const std::vector<EntryOverrides> entries = OverridesOf(m_layers.Stack(), onlyConflicts);
    std::vector<ListedResults::Row> rows;
    m_winners.clear();
    size_t keys = 0;
    for (const EntryOverrides& entry : entries) {
        for (size_t i = 0; i < entry.Keys.size(); ++i) {
            const KeyOverride& key = entry.Keys[i];
            const ValueSetting& winner = key.Chain.Winner();
            // The entry's code heads its group only.
            rows.push_back({{i == 0 ? entry.Code : std::string(), key.Key, key.Chain.ChainText(),
                             winner.FileName + " " + winner.Value},
                            {entry.Code, key.Key, {}}});
            m_winners.push_back(winner.File);
        }
        keys += entry.Keys.size();
    }
    m_rows->SetRows(std::move(rows));
    SetSummary(ToQString(Counted(keys, "key", "keys") +
                         (onlyConflicts ? " the files set differently, in " : " two or more files set, in ") +
                         Counted(entries.size(), "entry", "entries")));
    // The chains are what the window is for: shown whole.
    View().resizeColumnsToContents();
}

}  // namespace velmora
