// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// How the table's values fare in a spreadsheet, which reads a cell's text as it likes: "007" as
// the number 7, "0,255,255" as 255255, "=1+1" as a formula, "1/2" as a date. The table files keep
// such values from it, and an import tells what a spreadsheet rewrote on its own from what the
// modder changed.

// A number that a spreadsheet reads as itself and writes back with the same value: a number of
// ParseDecimal without "+", without a zero before its other digits, of at most 15 significant
// digits (what a spreadsheet's number holds). A workbook stores it as a number.
bool IsPlainNumber(std::string_view value);

// Whether a CSV file must keep the value from being read as anything but its text: not a plain
// number, and beginning as a formula does ("=", "+", "-", "@"), beginning with a digit or ".", or
// holding a digit beside a blank or one of "/-:.," (a number, a date or a time to a spreadsheet:
// "007", "1e3", "0,255,255", "1/2", "Jan 5"). A code such as "M60" is left as it is.
bool NeedsProtection(std::string_view value);
// The value as a formula whose result is the value as text: ="007". Spreadsheets show the text
// and write the text back.
std::string Protected(std::string_view value);
// The text a formula of Protected stands for; none when `cell` is no such formula.
std::optional<std::string> Unprotected(std::string_view cell);

// What a cell of a table file read back is, against the document's value.
enum class CellReading {
    Same,     // the value, as text, as numbers ("0.5" for ".5"), as percents or as yes/no words
    Mangled,  // what a spreadsheet makes of the value read as a number: "0,255,255" run together
              // as 255255, a long digit string rounded to 15 digits, "1e3" written out
    Changed,  // a new value
};

struct CellComparison {
    CellReading Reading = CellReading::Changed;
    std::string Value;  // the value to write: the document's own when the same, else the cell's
};

// The cell (blanks at its ends ignored, a protection taken off) against `documentValue`.
CellComparison CompareCell(std::string_view documentValue, std::string_view cell);

}  // namespace velmora
