// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/TableCsv.h"

#include <array>
#include <cstdint>
#include <iomanip>
#include <sstream>

#include "core/table/BalanceTable.h"
#include "core/table/SpreadsheetValues.h"
#include "core/store/IniError.h"

namespace velmora {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, std::string_view latin1) {
    for (char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
}

// The value as a field, kept from a spreadsheet's reading when it must be (NeedsProtection).
void AppendField(std::string& out, std::string_view value) {
    const std::string field = NeedsProtection(value) ? Protected(value) : std::string(value);
    if (field.find_first_of(",;\t\"\r\n") == std::string::npos) {
        AppendUtf8(out, field);
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        AppendUtf8(out, std::string_view(&c, 1));
    }
    out += '"';
}

template <class AddLine>
void EachLine(const BalanceTable& table, const std::vector<size_t>& rowOrder, AddLine&& addLine) {
    std::vector<std::string_view> fields;
    fields.emplace_back("Code");
    std::vector<std::string> ids;
    for (const TableColumn& column : table.Columns()) ids.push_back(column.Id());
    fields.insert(fields.end(), ids.begin(), ids.end());
    addLine(fields);
    for (size_t row : rowOrder) {
        fields.clear();
        fields.emplace_back(table.Row(row).Code);
        for (const TableCell& cell : table.Row(row).Cells) fields.emplace_back(cell.Value);
        addLine(fields);
    }
}

std::string Place(size_t line, size_t column) {
    return "Line " + std::to_string(line) + ", column " + std::to_string(column);
}

// A spreadsheet's "Unicode text" is UTF-16: read as UTF-8, every other byte of its letters is a NUL.
void RefuseUtf16(std::string_view file) {
    const bool marked = file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF");
    const auto zeroAt = [&file](size_t at) { return at < file.size() && file[at] == '\0'; };
    const bool unmarked = file.size() >= 4 && zeroAt(0) != zeroAt(1) && zeroAt(0) == zeroAt(2) && zeroAt(1) == zeroAt(3);
    if (marked || unmarked)
        throw IniError(std::string("The file is UTF-16 text") + (marked ? "" : " without a byte order mark") +
                       ", and a table file is read as UTF-8: save it as CSV in UTF-8.");
}

// Line `line` of the file (without its line break) as Latin-1 bytes, into `text`; every character
// must have one.
void DecodeLine(std::string_view file, size_t line, std::string& text) {
    text.clear();
    size_t column = 1;
    for (size_t i = 0; i < file.size(); ++column) {
        const auto lead = static_cast<unsigned char>(file[i]);
        if (lead < 0x80) {
            text += file[i++];
            continue;
        }
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        uint32_t code = length == 2 ? lead & 0x1Fu : length == 3 ? lead & 0x0Fu : lead & 0x07u;
        bool valid = length > 0 && lead < 0xF5 && i + length <= file.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(file[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid || (length == 2 && code < 0x80))
            throw IniError(Place(line, column) + ": the file is not UTF-8 text.");
        if (code > 0xFF) {
            std::ostringstream hex;
            hex << std::uppercase << std::hex << std::setw(4) << std::setfill('0') << code;
            throw IniError(Place(line, column) + ": the character U+" + hex.str() +
                           " has no place in the document's texts (Latin-1).");
        }
        text += static_cast<char>(code);
        i += length;
    }
}

// The separator of the file's values: of ",", ";" (a spreadsheet set to a language that writes
// decimal commas) and tab, the one the header holds most often outside quotes; "," when it holds none.
char SeparatorOf(std::string_view text) {
    constexpr std::string_view Separators = ",;\t";
    std::array<size_t, Separators.size()> counts{};
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        const size_t which = Separators.find(c);
        if (which != std::string_view::npos) ++counts[which];
    }
    size_t most = 0;
    for (size_t which = 1; which < Separators.size(); ++which)
        if (counts[which] > counts[most]) most = which;
    return Separators[most];
}

std::string SeparatorName(char separator) {
    return separator == '\t' ? std::string("tabs") : "\"" + std::string(1, separator) + "\"";
}

}  // namespace

std::string Utf8FromLatin1(std::string_view latin1) {
    std::string utf8;
    AppendUtf8(utf8, latin1);
    return utf8;
}

std::string TableCsv(const BalanceTable& table, const std::vector<size_t>& rowOrder) {
    std::string out(ByteOrderMark);
    EachLine(table, rowOrder, [&out](const std::vector<std::string_view>& fields) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) out += ',';
            AppendField(out, fields[i]);
        }
        out += "\r\n";
    });
    return out;
}

std::string TableTabs(const BalanceTable& table, const std::vector<size_t>& rowOrder) {
    std::string out;
    EachLine(table, rowOrder, [&out](const std::vector<std::string_view>& fields) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) out += '\t';
            out += fields[i];
        }
        out += '\n';
    });
    return out;
}

CsvRecords::CsvRecords(std::string_view file) : m_rest(file) {
    RefuseUtf16(file);
    if (m_rest.starts_with(ByteOrderMark)) m_rest.remove_prefix(ByteOrderMark.size());
    // The separators are ASCII, which no byte of a UTF-8 sequence is: the bytes tell as the text would.
    m_separator = SeparatorOf(m_rest);
}

bool CsvRecords::Next(std::vector<std::string>& record) {
    while (m_more) {
        const size_t lineBreak = m_rest.find_first_of("\r\n");
        const bool broken = lineBreak != std::string_view::npos;
        const std::string_view raw = m_rest.substr(0, lineBreak);
        if (broken) {
            const bool crlf = m_rest[lineBreak] == '\r' && lineBreak + 1 < m_rest.size() && m_rest[lineBreak + 1] == '\n';
            m_rest.remove_prefix(lineBreak + (crlf ? 2 : 1));
        }
        m_more = broken;
        ++m_line;
        DecodeLine(raw, m_line, m_text);
        Split(broken, record);
        if (record.size() == 1 && record.front().empty()) continue;  // a blank line
        if (m_width == 0) {
            m_width = record.size();
        } else if (record.size() != m_width) {
            throw IniError("Line " + std::to_string(m_line) + " has " + std::to_string(record.size()) +
                           " values; the header has " + std::to_string(m_width) + " (values separated by " +
                           SeparatorName(m_separator) + ").");
        }
        return true;
    }
    return false;
}

// The values of the decoded line; `broken`: a line break ended it, rather than the file.
void CsvRecords::Split(bool broken, std::vector<std::string>& record) const {
    const std::string& text = m_text;
    record.assign(1, std::string());
    for (size_t i = 0; i < text.size(); ++i) {
        std::string& field = record.back();
        const char c = text[i];
        if (c == '"' && field.empty()) {
            // A quoted value runs to the quote that is not doubled.
            for (++i;; ++i) {
                if (i >= text.size())
                    throw IniError("Line " + std::to_string(m_line) +
                                   (broken ? ": a value may not hold a line break." : ": a quoted value is not closed."));
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    break;
                }
            }
            if (i + 1 < text.size() && text[i + 1] != m_separator)
                throw IniError("Line " + std::to_string(m_line) + ": text follows a quoted value.");
            continue;
        }
        if (c == m_separator)
            record.emplace_back();
        else
            field += c;
    }
}

std::vector<std::vector<std::string>> ReadCsv(std::string_view file) {
    CsvRecords reader(file);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    while (reader.Next(record)) records.push_back(std::move(record));
    return records;
}

}  // namespace velmora
