// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/modcheck/ModFindingsModel.h"

#include "core/session/ModCheck.h"
#include "gui/widgets/QtText.h"

namespace velmora {

void ModFindingsModel::Show(const ModCheckResult* result) {
    beginResetModel();
    m_result = result;
    m_rows = result ? static_cast<int>(result->Findings.size()) : 0;
    endResetModel();
}

const ModFinding* ModFindingsModel::FindingAt(int row) const {
    // The check may have judged again before the view is reset: a row it no longer has is none.
    if (m_result == nullptr || row < 0 || row >= m_rows || static_cast<size_t>(row) >= m_result->Findings.size())
        return nullptr;
    return &m_result->Findings[static_cast<size_t>(row)];
}

int ModFindingsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int ModFindingsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant ModFindingsModel::data(const QModelIndex& index, int role) const {
    const ModFinding* finding = index.isValid() ? FindingAt(index.row()) : nullptr;
    if (finding == nullptr || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    switch (index.column()) {
        case SeverityColumn: return ToQString(std::string(SeverityText(finding->Level)));
        case FileColumn: return ToQString(finding->File);
        case LineColumn: return static_cast<qulonglong>(finding->Line);
        case EntryColumn: return ToQString(finding->Entry);
        case KeyColumn: return ToQString(finding->Key);
        case ValueColumn: return ToQString(finding->Value);
        case ReasonColumn: return ToQString(finding->Reason);
        default: return {};
    }
}

QVariant ModFindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case SeverityColumn: return tr("Severity");
        case FileColumn: return tr("File");
        case LineColumn: return tr("Line");
        case EntryColumn: return tr("Entry");
        case KeyColumn: return tr("Key");
        case ValueColumn: return tr("Value");
        case ReasonColumn: return tr("Reason");
        default: return {};
    }
}

}  // namespace velmora
