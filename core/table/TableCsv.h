// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class BalanceTable;

// The balance table as a spreadsheet file and back. Texts of the document are Latin-1 bytes; a
// file is UTF-8.

// The rows of `rowOrder` as CSV (RFC 4180): a byte order mark, the header "Code,Name,key…", one
// record per row, each line ended by CR LF. A value that a spreadsheet would read as a formula, a
// number or a date it is not goes in as a formula giving its text (NeedsProtection). A field with a
// separator, a quote or a line break is quoted.
std::string TableCsv(const BalanceTable& table, const std::vector<size_t>& rowOrder);
// The same as tab-separated lines in the document's own bytes, for a terminal.
std::string TableTabs(const BalanceTable& table, const std::vector<size_t>& rowOrder);

// The records of a CSV file, UTF-8 with or without a byte order mark, each value as Latin-1
// bytes, as the file holds it. The values are separated by ",", ";" or tabs, whichever the header
// holds most. Blank lines are skipped. Throws IniError naming the line (and column) for text that
// is not UTF-8 or lies outside Latin-1, a value holding a line break, a quote left open and a
// record whose count of values differs from the header's, and saying so for UTF-16 text.
std::vector<std::vector<std::string>> ReadCsv(std::string_view file);

// The records ReadCsv gives, one at a time: a record is a line (no value holds a line break), decoded
// when it is reached, so that a big file is read holding one record beside it. The file must
// outlive the reader. Throws IniError as ReadCsv does, for UTF-16 at once and otherwise when the
// line at fault is reached.
class CsvRecords {
public:
    explicit CsvRecords(std::string_view file);
    // The next record, blank lines skipped; false after the last.
    bool Next(std::vector<std::string>& record);

private:
    void Split(bool broken, std::vector<std::string>& record) const;

    std::string_view m_rest;  // the lines not read yet
    bool m_more = true;
    char m_separator = ',';
    size_t m_line = 0;   // of the record read last
    size_t m_width = 0;  // the header's count of values, once read
    std::string m_text;  // the line read last, decoded
};

// The document's Latin-1 text in UTF-8, as the table files hold it.
std::string Utf8FromLatin1(std::string_view latin1);

}  // namespace velmora
