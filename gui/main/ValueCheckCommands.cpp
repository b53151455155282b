// SPDX-License-Identifier: GPL-3.0-or-later
// Search, Check Values: the values that do not fit the kind of value their key takes, each row
// leading to its entry at the key.

#include <QTableView>

#include "core/values/LiveValueCheck.h"
#include "core/values/ValueCheck.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"
#include "gui/find/ResultsWindow.h"
#include "gui/main/MainWindow.h"

namespace velmora {

void MainWindow::CheckValuesClick() {
    if (!m_workspace.Doc().HasStores()) return;
    const HourglassPointer hourglass;
    FocusAndShow(&FillCheckValues());
}

ResultsWindow& MainWindow::FillCheckValues() {
    ResultsWindow& window = ListWindow(
        m_valuesWindow, QStringLiteral("CheckValuesWindow"),
        {QStringLiteral("Category"), QStringLiteral("Section"), QStringLiteral("Key"), QStringLiteral("Value"),
         QStringLiteral("Reason")});
    // The check follows every edit, so the list does too.
    const ValueCheck& check = m_valueCheck->Check();
    const std::vector<ValueFinding> findings = check.Findings();
    std::vector<ListedResults::Row> rows;
    rows.reserve(findings.size());
    for (const ValueFinding& finding : findings)
        rows.push_back({{finding.Category, finding.SectionName, finding.Key, finding.Value, finding.Reason},
                        {finding.SectionName, finding.Key}});
    window.setWindowTitle(QStringLiteral("Check Values"));
    QString summary = findings.size() == 1 ? QStringLiteral("1 value does not fit its key")
                                           : QStringLiteral("%1 values do not fit their keys").arg(findings.size());
    for (const std::string& problem : check.Problems()) summary += QStringLiteral("\n") + ToQString(problem);
    window.SetSummary(summary);
    static_cast<ListedResults*>(window.View().model())->SetRows(std::move(rows));
    return window;
}

}  // namespace velmora
