// SPDX-License-Identifier: GPL-3.0-or-later
// The table as an .xlsx workbook: what the program writes reads back unchanged, a workbook written
// as spreadsheets write theirs is read as they show it, and a damaged or strange file is refused
// with a reason.

#include <gtest/gtest.h>
#include <zip.h>

#include "TableFixture.h"
#include "core/table/TableEdits.h"
#include "core/table/TableXlsx.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora::testing {
namespace {

using Records = std::vector<std::vector<std::string>>;
using Parts = std::vector<std::pair<std::string, std::string>>;

class TableXlsxTest : public TableFixture, public ::testing::Test {
protected:
    // A zip archive of the parts, as a workbook is one.
    std::string Zip(const Parts& parts) {
        const std::string name = folder.File("made.zip");
        zipFile zip = zipOpen64(name.c_str(), APPEND_STATUS_CREATE);
        for (const auto& [part, content] : parts) {
            zip_fileinfo info{};
            zipOpenNewFileInZip64(zip, part.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_DEFAULT_COMPRESSION, 0);
            zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
            zipCloseFileInZip(zip);
        }
        zipClose(zip, nullptr);
        return platform::ReadWholeFile(name).value_or("");
    }
    // A workbook of one sheet whose rows are `rows` (the inside of <sheetData>).
    std::string Workbook(const std::string& rows, const std::string& shared = {}) {
        Parts parts = {
            {"xl/workbook.xml", "<workbook xmlns:r=\"rels\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"/xl/sharedStrings.xml\"/></Relationships>"},
            {"xl/worksheets/sheet1.xml", "<x:worksheet xmlns:x=\"main\"><x:sheetData>" + rows + "</x:sheetData></x:worksheet>"},
        };
        if (!shared.empty()) parts.emplace_back("xl/sharedStrings.xml", "<sst>" + shared + "</sst>");
        return Zip(parts);
    }
    static std::string Refusal(std::string_view file) {
        try {
            ReadXlsx(file);
        } catch (const IniError& error) {
            return error.what();
        }
        return "read";
    }
};

TEST_F(TableXlsxTest, WhatIsWrittenReadsBackAndImportsAsNoChange) {
    Load("[Infantry]\n1=E1\n2=E2\n[E1]\nName=Caf\xE9\nCost=007\nSpeed=1.0\nColor=0,255,255\n"
         "[E2]\nName==1+1\nCost=12345678901234567890\nSpeed=-4.5\n",
         "[AllSections]\nInfantry=0,Main\n[Main]\nCost=\nSpeed=\nColor=\n");
    const BalanceTable table(workspace, "Infantry", BalanceTable::PageColumns(workspace, "Main"));
    const Records records = ReadXlsx(TableXlsx(table, {0, 1}));
    EXPECT_EQ(records, (Records{{"Code", "Name", "Cost", "Speed", "Color"},
                                {"E1", "Caf\xE9", "007", "1", "0,255,255"},
                                {"E2", "=1+1", "12345678901234567890", "-4.5", ""}}));
    const TableImport import = PlanImport(workspace, "Infantry", records);
    EXPECT_TRUE(import.Changes.empty());
    EXPECT_TRUE(import.Mangled.empty());
}

TEST_F(TableXlsxTest, ReadsCellsAsASpreadsheetShowsThem) {
    const std::string shared =
        "<si><t>Code</t></si><si><r><t>Na</t></r><r><rPr/><t xml:space=\"preserve\">me</t></r><rPh><t>ne</t></rPh></si>"
        "<si><t>A &amp; B</t></si>";
    const std::string rows =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c t=\"inlineStr\"><is><t>V</t></is></c></row>"
        "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>2</v></c><c r=\"C3\"><v>1.2345678901234567E+19</v></c></row>"
        "<row><c r=\"A4\" t=\"b\"><v>1</v></c><c r=\"B4\" t=\"str\"><f>B1</f><v>x</v></c><c r=\"C4\"><v>0.30000000000000004</v></c></row>"
        "<row r=\"5\"><c r=\"A5\"/></row>";
    EXPECT_EQ(ReadXlsx(Workbook(rows, shared)),
              (Records{{"Code", "Name", "V"}, {"A & B", "", "12345678901234600000"}, {"TRUE", "x", "0.3"}}));
}

TEST_F(TableXlsxTest, RefusesWhatIsNoTableWithTheReason) {
    EXPECT_EQ(Refusal("PK\x03\x04 not a zip"), "The file is not an .xlsx workbook, or it is damaged.");
    EXPECT_EQ(Refusal(Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}})),
              "The file is an OpenDocument spreadsheet: save it as .xlsx or as CSV.");
    EXPECT_EQ(Refusal(Zip({{"word/document.xml", "<w/>"}})), "The file is no .xlsx workbook: it holds no xl/workbook.xml.");
    EXPECT_EQ(Refusal(Workbook("<row><c t=\"inlineStr\"><is><t>Code</t></is></c></row><row><c t=\"inlineStr\"><is>"
                               "<t>E1</t></is></c><c t=\"inlineStr\"><is><t>x</t></is></c></row>")),
              "Cell B2 has a value right of the header's last column (A).");
    EXPECT_EQ(Refusal(Workbook("<row><c t=\"inlineStr\"><is><t>\xE2\x82\xAC</t></is></c></row>")),
              "Cell A1: \"\xE2\x82\xAC\" is not a Latin-1 character, and a rules file holds no other.");
    EXPECT_EQ(Refusal(Workbook("<row><c t=\"s\"><v>3</v></c></row>", "<si><t>a</t></si>")),
              "Cell A1 names a shared text the workbook does not hold.");
    EXPECT_EQ(Refusal(Workbook("<row><c r=\"XFE1\"/></row>")), "xl/worksheets/sheet1.xml in the workbook names the cell \"XFE1\".");
    EXPECT_EQ(Refusal(Workbook("<row><c>")), "xl/worksheets/sheet1.xml in the workbook, line 1: mismatched tag.");
    // Entities declared in a document type could expand a small file without bound.
    EXPECT_EQ(Refusal(Zip({{"xl/workbook.xml", "<!DOCTYPE w [<!ENTITY a \"aaaa\">]><w>&a;</w>"}})),
              "xl/workbook.xml in the workbook declares a document type, which a workbook never does.");
}

}  // namespace
}  // namespace velmora::testing
