// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/TableColumnMemory.h"

#include <QSettings>
#include <QStringList>
#include <QVariantMap>

#include "gui/widgets/QtText.h"
#include "core/store/IniError.h"

namespace velmora {

TableColumnMemory::TableColumnMemory(QSettings* settings, std::string category)
    : m_settings(settings), m_category(std::move(category)) {}

QString TableColumnMemory::Key(const std::string& page, const char* what) const {
    return ToQString("BalanceTable/" + m_category + "/" + page + "/") + QLatin1String(what);
}

std::optional<std::vector<TableColumn>> TableColumnMemory::Chosen(const std::string& page) const {
    if (const auto told = m_chosen.find(page); told != m_chosen.end()) return told->second;
    if (!m_settings || !m_settings->contains(Key(page, "Columns"))) return std::nullopt;
    std::vector<TableColumn> columns;
    for (const QString& id : m_settings->value(Key(page, "Columns")).toStringList()) {
        try {
            columns.push_back(TableColumn::FromId(ToBytes(id)));
        } catch (const IniError&) {
            // Not a column name: the settings file was edited by hand. The rest still count.
        }
    }
    return columns;
}

void TableColumnMemory::SetChosen(const std::string& page, const std::optional<std::vector<TableColumn>>& columns) {
    m_chosen[page] = columns;
    if (!m_settings) return;
    if (!columns) {
        m_settings->remove(Key(page, "Columns"));
        return;
    }
    QStringList ids;
    for (const TableColumn& column : *columns) ids << ToQString(column.Id());
    m_settings->setValue(Key(page, "Columns"), ids);
}

std::optional<int> TableColumnMemory::Width(const std::string& page, const TableColumn& column) const {
    if (const auto told = m_widths.find(page); told != m_widths.end())
        if (const auto width = told->second.find(column.Id()); width != told->second.end()) return width->second;
    if (!m_settings) return std::nullopt;
    const QVariant width = m_settings->value(Key(page, "Widths")).toMap().value(ToQString(column.Id()));
    bool number = false;
    const int pixels = width.toInt(&number);
    return number && pixels > 0 ? std::optional(pixels) : std::nullopt;
}

void TableColumnMemory::SetWidth(const std::string& page, const TableColumn& column, int width) {
    if (width <= 0) return;
    m_widths[page][column.Id()] = width;
    if (!m_settings) return;
    QVariantMap widths = m_settings->value(Key(page, "Widths")).toMap();
    widths.insert(ToQString(column.Id()), width);
    m_settings->setValue(Key(page, "Widths"), widths);
}

}  // namespace velmora
