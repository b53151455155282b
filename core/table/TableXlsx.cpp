// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/TableXlsx.h"

#include <expat.h>
#include <unzip.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "core/table/BalanceTable.h"
#include "core/table/SpreadsheetValues.h"
#include "core/table/TableCsv.h"
#include "core/document/TextRules.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora {

namespace {

// ---- Writing ----

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

std::string CellText(std::string_view value) { return Utf8FromLatin1(value); }

void Check(lxw_error error, const std::string& what) {
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        throw IniError(what + ": the value is longer than a workbook's cell holds (32,767 characters).");
    if (error != LXW_NO_ERROR) throw IniError(what + ": " + lxw_strerror(error) + ".");
}

lxw_error WriteValue(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, std::string_view value) {
    if (value.empty()) return LXW_NO_ERROR;
    double number = 0;
    if (IsPlainNumber(value) && std::from_chars(value.data(), value.data() + value.size(), number).ec == std::errc())
        return worksheet_write_number(sheet, row, column, number, nullptr);
    return worksheet_write_string(sheet, row, column, CellText(value).c_str(), nullptr);
}

void WriteWorkbook(const std::string& fileName, const BalanceTable& table, const std::vector<size_t>& rowOrder) {
    // Rows go out one after the other: the workbook need not hold them all.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(fileName.c_str(), &options));
    if (!book) throw IniError::CannotCreate(fileName);
    const std::string sheetName = CellText(table.Category());
    const bool nameFits = workbook_validate_sheet_name(book.get(), sheetName.c_str()) == LXW_NO_ERROR;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), nameFits ? sheetName.c_str() : "Table");
    if (sheet == nullptr) throw IniError::CannotCreate(fileName);
    worksheet_freeze_panes(sheet, 1, 2);  // the header, the code and the name stay in view

    Check(worksheet_write_string(sheet, 0, 0, "Code", nullptr), "Code");
    for (size_t column = 0; column < table.ColumnCount(); ++column) {
        const std::string id = table.Columns()[column].Id();
        Check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column + 1), CellText(id).c_str(), nullptr), id);
    }
    lxw_row_t row = 1;
    for (size_t at : rowOrder) {
        const TableRow& entry = table.Row(at);
        Check(worksheet_write_string(sheet, row, 0, CellText(entry.Code).c_str(), nullptr), entry.Code);
        for (size_t column = 0; column < entry.Cells.size(); ++column) {
            const lxw_error error = WriteValue(sheet, row, static_cast<lxw_col_t>(column + 1), entry.Cells[column].Value);
            if (error != LXW_NO_ERROR) Check(error, entry.Code + " " + table.Columns()[column].Id());
        }
        ++row;
    }
    // workbook_close writes the file and frees the workbook, whatever it answers.
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR) throw IniError("Cannot create file " + fileName + ": " + lxw_strerror(closed) + ".");
}

// ---- Reading ----

constexpr size_t MaxPartSize = size_t{256} << 20;  // unpacked bytes of one part of the workbook
constexpr size_t MaxCells = size_t{8} << 20;       // rows times columns of the table read
constexpr uint32_t MaxRow = LXW_ROW_MAX;
constexpr uint32_t MaxColumn = LXW_COL_MAX;

// The workbook's bytes as minizip's file: reads and seeks in memory.
struct MemoryFile {
    std::string_view bytes;
    uint64_t position = 0;
};

voidpf OpenMemory(voidpf opaque, const void* /*name*/, int /*mode*/) { return opaque; }

uLong ReadMemory(voidpf /*opaque*/, voidpf stream, void* buffer, uLong size) {
    auto* file = static_cast<MemoryFile*>(stream);
    const uint64_t left = file->bytes.size() - std::min<uint64_t>(file->position, file->bytes.size());
    const auto count = static_cast<size_t>(std::min<uint64_t>(size, left));
    std::copy_n(file->bytes.data() + file->position, count, static_cast<char*>(buffer));
    file->position += count;
    return static_cast<uLong>(count);
}

uLong WriteMemory(voidpf /*opaque*/, voidpf /*stream*/, const void* /*buffer*/, uLong /*size*/) { return 0; }

ZPOS64_T TellMemory(voidpf /*opaque*/, voidpf stream) { return static_cast<MemoryFile*>(stream)->position; }

long SeekMemory(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
    auto* file = static_cast<MemoryFile*>(stream);
    const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? file->position
                          : origin == ZLIB_FILEFUNC_SEEK_END ? file->bytes.size()
                                                             : 0;
    if (offset > file->bytes.size() || base > file->bytes.size() - offset) return -1;
    file->position = base + offset;
    return 0;
}

int CloseMemory(voidpf /*opaque*/, voidpf /*stream*/) { return 0; }
int MemoryError(voidpf /*opaque*/, voidpf /*stream*/) { return 0; }

struct ZipCloser {
    void operator()(unzFile zip) const { unzClose(zip); }
};

// The parts of a workbook (a zip archive), read whole and bounded.
class WorkbookParts {
public:
    explicit WorkbookParts(std::string_view bytes) : m_file{bytes} {
        zlib_filefunc64_def functions{};
        functions.zopen64_file = OpenMemory;
        functions.zread_file = ReadMemory;
        functions.zwrite_file = WriteMemory;
        functions.ztell64_file = TellMemory;
        functions.zseek64_file = SeekMemory;
        functions.zclose_file = CloseMemory;
        functions.zerror_file = MemoryError;
        functions.opaque = &m_file;
        m_zip.reset(unzOpen2_64("workbook", &functions));
        if (!m_zip) throw IniError("The file is not an .xlsx workbook, or it is damaged.");
    }
    // The archive reads through the address of m_file: the parts stay where they were made.
    WorkbookParts(const WorkbookParts&) = delete;
    WorkbookParts& operator=(const WorkbookParts&) = delete;
    WorkbookParts(WorkbookParts&&) = delete;
    WorkbookParts& operator=(WorkbookParts&&) = delete;
    ~WorkbookParts() = default;

    // The part's bytes; none when the workbook has no such part. Names are compared without
    // regard to letter case, as the format asks.
    std::optional<std::string> Part(const std::string& name) {
        if (unzLocateFile(m_zip.get(), name.c_str(), 2) != UNZ_OK) return std::nullopt;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(m_zip.get()) != UNZ_OK)
            throw IniError(name + " in the workbook cannot be read: the workbook is damaged or encrypted.");
        if (info.uncompressed_size > MaxPartSize) TooLarge(name);
        std::string content;
        // What the archive says of the size is checked as the bytes come, not trusted for memory.
        content.reserve(static_cast<size_t>(std::min<uint64_t>(info.uncompressed_size, uint64_t{64} << 20)));
        std::array<char, 1 << 16> buffer{};
        int got = 0;
        while ((got = unzReadCurrentFile(m_zip.get(), buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
            if (content.size() + static_cast<size_t>(got) > MaxPartSize) {
                unzCloseCurrentFile(m_zip.get());
                TooLarge(name);
            }
            content.append(buffer.data(), static_cast<size_t>(got));
        }
        // A bad check sum shows only at the close.
        if (unzCloseCurrentFile(m_zip.get()) != UNZ_OK || got < 0)
            throw IniError(name + " in the workbook cannot be read: the workbook is damaged.");
        return content;
    }

private:
    [[noreturn]] static void TooLarge(const std::string& name) {
        throw IniError(name + " in the workbook is larger than a table file may be (" +
                       std::to_string(MaxPartSize >> 20) + " MB unpacked).");
    }

    MemoryFile m_file;
    std::unique_ptr<void, ZipCloser> m_zip;
};

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The value of the attribute named `name` (without its prefix); empty when absent.
std::string_view Attribute(const XML_Char** attributes, std::string_view name) {
    for (size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
        if (LocalName(attributes[i]) == name) return attributes[i + 1];
    return {};
}

// What a walk through one XML part is told: each element by its name without a prefix.
struct XmlWalk {
    std::function<void(std::string_view name, const XML_Char** attributes)> Start;
    std::function<void(std::string_view name)> End;
    std::function<void(std::string_view text)> Text;
};

struct XmlParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// A walk under way, as expat's handlers see it.
struct XmlWalkState {
    XmlWalk* walk = nullptr;
    XML_Parser parser = nullptr;
    bool doctype = false;
    std::exception_ptr thrown;

    template <class Work>
    void Guarded(Work&& work) {
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
            XML_StopParser(parser, XML_FALSE);
        }
    }
};

// Walks the part `name` with expat. A part declaring a document type is refused: the format has
// none, and its entities could make a small file expand without bound. What a handler throws is
// held while the parser stops, and thrown once it has returned.
void WalkXml(const std::string& xml, const std::string& name, XmlWalk& walk) {
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, XmlParserFree> parser(XML_ParserCreate("UTF-8"));
    if (!parser) throw std::bad_alloc();
    XmlWalkState state;
    state.walk = &walk;
    state.parser = parser.get();
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* element, const XML_Char** attributes) {
            auto* own = static_cast<XmlWalkState*>(data);
            own->Guarded([&] {
                if (own->walk->Start) own->walk->Start(LocalName(element), attributes);
            });
        },
        [](void* data, const XML_Char* element) {
            auto* own = static_cast<XmlWalkState*>(data);
            own->Guarded([&] {
                if (own->walk->End) own->walk->End(LocalName(element));
            });
        });
    XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* text, int length) {
        auto* own = static_cast<XmlWalkState*>(data);
        own->Guarded([&] {
            if (own->walk->Text) own->walk->Text(std::string_view(text, static_cast<size_t>(length)));
        });
    });
    XML_SetStartDoctypeDeclHandler(parser.get(), [](void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        auto* own = static_cast<XmlWalkState*>(data);
        own->doctype = true;
        XML_StopParser(own->parser, XML_FALSE);
    });
    const bool parsed = XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    if (state.thrown) std::rethrow_exception(state.thrown);
    if (parsed) return;
    if (state.doctype) throw IniError(name + " in the workbook declares a document type, which a workbook never does.");
    throw IniError(name + " in the workbook, line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                   XML_ErrorString(XML_GetErrorCode(parser.get())) + ".");
}

// A relationship's target as a part name: relative to the folder of the part that names it.
std::string PartName(std::string_view target, std::string_view folder) {
    if (!target.empty() && target.front() == '/') return std::string(target.substr(1));
    return std::string(folder) + std::string(target);
}

// The parts of the first sheet and of the texts it shares.
struct SheetParts {
    std::string Sheet;
    std::string SharedTexts;  // empty: none
};

SheetParts FindSheet(WorkbookParts& parts) {
    const std::optional<std::string> workbook = parts.Part("xl/workbook.xml");
    if (!workbook) {
        const std::optional<std::string> kind = parts.Part("mimetype");
        if (kind && kind->find("opendocument") != std::string::npos)
            throw IniError("The file is an OpenDocument spreadsheet: save it as .xlsx or as CSV.");
        throw IniError("The file is no .xlsx workbook: it holds no xl/workbook.xml.");
    }
    std::string sheetId;
    XmlWalk walkBook;
    walkBook.Start = [&sheetId](std::string_view name, const XML_Char** attributes) {
        if (name == "sheet" && sheetId.empty()) sheetId = Attribute(attributes, "id");
    };
    WalkXml(*workbook, "xl/workbook.xml", walkBook);

    const std::optional<std::string> relations = parts.Part("xl/_rels/workbook.xml.rels");
    SheetParts found;
    if (relations) {
        XmlWalk walkRelations;
        walkRelations.Start = [&](std::string_view name, const XML_Char** attributes) {
            if (name != "Relationship") return;
            const std::string_view type = Attribute(attributes, "Type");
            if (!sheetId.empty() && Attribute(attributes, "Id") == sheetId)
                found.Sheet = PartName(Attribute(attributes, "Target"), "xl/");
            else if (type.ends_with("/sharedStrings"))
                found.SharedTexts = PartName(Attribute(attributes, "Target"), "xl/");
        };
        WalkXml(*relations, "xl/_rels/workbook.xml.rels", walkRelations);
    }
    if (found.Sheet.empty()) throw IniError("The workbook names no sheet.");
    return found;
}

// The texts that cells of type "s" name by their index: each the text of its runs, without the
// phonetic guides some spreadsheets add.
std::vector<std::string> ReadSharedTexts(const std::string& xml, const std::string& name) {
    std::vector<std::string> texts;
    size_t guideDepth = 0;
    bool inText = false;
    XmlWalk walk;
    walk.Start = [&](std::string_view element, const XML_Char**) {
        if (element == "si") texts.emplace_back();
        if (element == "rPh") ++guideDepth;
        inText = element == "t" && guideDepth == 0 && !texts.empty();
    };
    walk.End = [&](std::string_view element) {
        if (element == "rPh" && guideDepth > 0) --guideDepth;
        inText = false;
    };
    walk.Text = [&](std::string_view text) {
        if (inText) texts.back() += text;
    };
    WalkXml(xml, name, walk);
    return texts;
}

// "B7" as its column and row, counted from 1; false for a reference out of a sheet's bounds.
bool ParseReference(std::string_view reference, uint32_t& column, uint32_t& row) {
    column = 0;
    row = 0;
    size_t i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i) {
        column = column * 26 + static_cast<uint32_t>(reference[i] - 'A' + 1);
        if (column > MaxColumn) return false;
    }
    for (; i < reference.size() && reference[i] >= '0' && reference[i] <= '9'; ++i) {
        row = row * 10 + static_cast<uint32_t>(reference[i] - '0');
        if (row > MaxRow) return false;
    }
    return i == reference.size() && column > 0 && row > 0;
}

std::string ColumnLetters(uint32_t column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

// A number as a spreadsheet shows it in its general form: at most 15 significant digits, without
// an exponent ("1.23456789012346E+19" is 12345678901234600000).
std::string NumberText(std::string_view stored) {
    double number = 0;
    const auto [end, fault] = std::from_chars(stored.data(), stored.data() + stored.size(), number);
    if (fault != std::errc() || end != stored.data() + stored.size() || !std::isfinite(number)) return std::string(stored);
    std::array<char, 32> scientific{};
    const auto written =
        std::to_chars(scientific.data(), scientific.data() + scientific.size(), number, std::chars_format::scientific, 14);
    const std::string_view text(scientific.data(), static_cast<size_t>(written.ptr - scientific.data()));
    const size_t mark = text.find('e');
    const bool negative = text.front() == '-';
    std::string digits;
    for (char c : text.substr(0, mark))
        if (c >= '0' && c <= '9') digits += c;
    int exponent = 0;
    std::string_view power = text.substr(mark + 1);
    if (!power.empty() && power.front() == '+') power.remove_prefix(1);
    std::from_chars(power.data(), power.data() + power.size(), exponent);
    // digits[0] stands at 10^exponent.
    std::string whole;
    std::string fraction;
    const int wholeCount = exponent + 1;
    if (wholeCount <= 0) {
        fraction = std::string(static_cast<size_t>(-wholeCount), '0') + digits;
        whole = "0";
    } else if (static_cast<size_t>(wholeCount) >= digits.size()) {
        whole = digits + std::string(static_cast<size_t>(wholeCount) - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<size_t>(wholeCount));
        fraction = digits.substr(static_cast<size_t>(wholeCount));
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string shown = fraction.empty() ? whole : whole + "." + fraction;
    return negative && shown != "0" ? "-" + shown : shown;
}

// One cell with a value, where the sheet has it.
struct SheetCell {
    uint32_t Row = 0;
    uint32_t Column = 0;
    std::string Value;
};

// The text of a cell of type `type` (its "t"), from the text of its <v> or of its <is>; `place`
// names the cell in a message.
std::string CellText(const std::string& type, const std::string& stored, const std::string& inlineText,
                     const std::vector<std::string>& shared, const std::string& place) {
    if (type == "s") {
        size_t index = 0;
        const auto [end, fault] = std::from_chars(stored.data(), stored.data() + stored.size(), index);
        if (fault != std::errc() || end != stored.data() + stored.size() || index >= shared.size())
            throw IniError("Cell " + place + " names a shared text the workbook does not hold.");
        return shared[index];
    }
    if (type == "inlineStr") return inlineText;
    if (type == "b") return stored == "1" ? "TRUE" : stored == "0" ? "FALSE" : stored;
    if (type == "str" || type == "e" || type == "d") return stored;
    return stored.empty() ? std::string() : NumberText(stored);
}

std::vector<SheetCell> ReadCells(const std::string& xml, const std::string& name, const std::vector<std::string>& shared) {
    std::vector<SheetCell> cells;
    uint32_t row = 0;
    uint32_t column = 0;
    std::string type;
    std::string stored;   // the text of <v>
    std::string inlineText;  // the text of <is>
    bool inCell = false;
    bool inValue = false;
    bool inInline = false;
    bool inInlineText = false;
    XmlWalk walk;
    walk.Start = [&](std::string_view element, const XML_Char** attributes) {
        if (element == "row") {
            const std::string_view number = Attribute(attributes, "r");
            uint32_t next = row + 1;
            if (!number.empty()) {
                const auto [end, fault] = std::from_chars(number.data(), number.data() + number.size(), next);
                if (fault != std::errc() || end != number.data() + number.size() || next == 0 || next > MaxRow)
                    throw IniError(name + " in the workbook has a row numbered \"" + std::string(number) + "\".");
            }
            row = next;
            column = 0;
        } else if (element == "c") {
            const std::string_view reference = Attribute(attributes, "r");
            uint32_t cellRow = row;
            uint32_t cellColumn = column + 1;
            if (!reference.empty() && !ParseReference(reference, cellColumn, cellRow))
                throw IniError(name + " in the workbook names the cell \"" + std::string(reference) + "\".");
            if (cellRow == 0 || cellColumn > MaxColumn) throw IniError(name + " in the workbook has a cell outside a row.");
            row = cellRow;
            column = cellColumn;
            type = Attribute(attributes, "t");
            stored.clear();
            inlineText.clear();
            inCell = true;
        } else if (inCell && element == "v") {
            inValue = true;
        } else if (inCell && element == "is") {
            inInline = true;
        } else if (inInline && element == "t") {
            inInlineText = true;
        }
    };
    walk.End = [&](std::string_view element) {
        if (element == "v") inValue = false;
        if (element == "t") inInlineText = false;
        if (element == "is") inInline = false;
        if (element != "c" || !inCell) return;
        inCell = false;
        const std::string place = ColumnLetters(column) + std::to_string(row);
        const std::string value = CellText(type, stored, inlineText, shared, place);
        if (value.empty()) return;
        try {
            cells.push_back({row, column, Latin1FromUtf8(value)});
        } catch (const IniError& error) {
            throw IniError("Cell " + place + ": " + error.what() + ".");
        }
    };
    walk.Text = [&](std::string_view text) {
        if (inValue) stored += text;
        if (inInlineText) inlineText += text;
    };
    WalkXml(xml, name, walk);
    return cells;
}

}  // namespace

std::string TableXlsx(const BalanceTable& table, const std::vector<size_t>& rowOrder) {
    if (rowOrder.size() + 1 > MaxRow || table.ColumnCount() + 1 > MaxColumn)
        throw IniError("The table is larger than a workbook's sheet: " + std::to_string(rowOrder.size() + 1) + " rows and " +
                       std::to_string(table.ColumnCount() + 1) + " columns.");
    return platform::WrittenThroughTemporary("velmora-table.xlsx", [&](const std::string& fileName) {
        WriteWorkbook(fileName, table, rowOrder);
    });
}

std::vector<std::vector<std::string>> ReadXlsx(std::string_view file) {
    WorkbookParts parts(file);
    const SheetParts found = FindSheet(parts);
    std::vector<std::string> shared;
    if (!found.SharedTexts.empty())
        if (const std::optional<std::string> xml = parts.Part(found.SharedTexts)) shared = ReadSharedTexts(*xml, found.SharedTexts);
    const std::optional<std::string> sheet = parts.Part(found.Sheet);
    if (!sheet) throw IniError("The workbook lacks its sheet " + found.Sheet + ".");
    std::vector<SheetCell> cells = ReadCells(*sheet, found.Sheet, shared);
    std::stable_sort(cells.begin(), cells.end(), [](const SheetCell& a, const SheetCell& b) {
        return a.Row != b.Row ? a.Row < b.Row : a.Column < b.Column;
    });

    std::vector<std::vector<std::string>> records;
    if (cells.empty()) return records;
    // The header is the first row with a value; its last value ends every row.
    uint32_t width = 0;
    for (const SheetCell& cell : cells)
        if (cell.Row == cells.front().Row) width = cell.Column;
    size_t rowCount = 1;
    for (size_t i = 1; i < cells.size(); ++i) rowCount += cells[i].Row != cells[i - 1].Row ? 1 : 0;
    if (rowCount > MaxCells / width)
        throw IniError("The sheet is too large for a table: " + std::to_string(rowCount) + " rows of " +
                       std::to_string(width) + " columns.");
    uint32_t row = 0;
    for (SheetCell& cell : cells) {
        if (cell.Column > width)
            throw IniError("Cell " + ColumnLetters(cell.Column) + std::to_string(cell.Row) +
                           " has a value right of the header's last column (" + ColumnLetters(width) + ").");
        if (cell.Row != row) {
            records.emplace_back(width);
            row = cell.Row;
        }
        records.back()[cell.Column - 1] = std::move(cell.Value);
    }
    return records;
}

}  // namespace velmora
