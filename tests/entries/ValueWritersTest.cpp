// SPDX-License-Identifier: GPL-3.0-or-later
// The contract of every path that writes a value: the line keeps the key as the file spells it,
// the blanks around "=", the blanks after the value and its comment; a control character, or a
// name past its limit, is refused and changes nothing. Each writer is driven as its window or
// command drives it, so that a new path or a path that drifts fails here.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "EntriesFixture.h"
#include "core/document/Document.h"
#include "core/document/TextRules.h"
#include "core/entries/ValueEdits.h"
#include "core/layers/LayerEdit.h"
#include "core/layers/LayerStack.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/IniError.h"
#include "core/table/BalanceTable.h"
#include "core/table/TableEdits.h"

namespace velmora::testing {
namespace {

constexpr const char* WrittenDefinition =
    "[AllSections]\n"
    "Infantry=0,Body\n"
    "[Body]\n"
    "Name=\n"
    "Cost=\n";

constexpr const char* WrittenDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "3=E3\n"
    "4=E4\n"
    "\n"
    "[E1]\n"
    "  name = Ash Grunt   ; basic soldier\n"
    "Cost=100\n"
    "\n"
    "[E2]\n"
    "NAME =  Torch\t  \n"
    "\n"
    "[E3]\n"
    "Name=Tanya\x92s Tank\n"
    "\n"
    "[E4]\n";

// The text a user's terminal hands to `velmora-ini edit` for the Latin-1 bytes `text`.
std::string Utf8(const std::string& text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// Sets the name of the entry `code` to `value` the writer's way; gives the entry's code afterwards.
using Writer = std::function<std::string(Workspace&, const std::string& code, const std::string& value)>;

struct NamedWriter {
    const char* name;
    Writer write;  // none: the value goes into a layer that holds the same text
};

BalanceTable NameTable(const Workspace& workspace) { return BalanceTable(workspace, "Infantry", {{"Cost", {}}}); }

void CommitTableWrites(Workspace& workspace, const BalanceTable& table, const std::vector<CellWrite>& writes) {
    CommitChanges(workspace.Doc(), "Infantry", "Paste", PlanChanges(table, workspace.Doc().Store(), writes));
}

void RunScript(Workspace& workspace, const std::string& line) { ScriptedEdits(workspace).Run(Utf8(line)); }

// A name the file holds past the limit.
const std::string LongName(MaxNameLength + 5, 'n');

const NamedWriter Writers[] = {
    {"GridCommit",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         workspace.Doc().SetValue(code, "Name", value, "Infantry");
         return code;
     }},
    {"TableCell",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         const BalanceTable table = NameTable(workspace);
         CommitCell(workspace.Doc(), table, *table.RowOf(code), 0, value);
         return code;
     }},
    {"TablePaste",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         const BalanceTable table = NameTable(workspace);
         const std::vector<size_t> order = table.CatalogueOrder();
         CommitTableWrites(workspace, table, PasteWrites(table, order, {{*table.RowOf(code), 0}}, value + "\r\n"));
         return code;
     }},
    {"TableAdjust",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         const BalanceTable table = NameTable(workspace);
         CommitTableWrites(workspace, table,
                           AdjustWrites(table, {{*table.RowOf(code), 0}}, AdjustOperation::SetTo, value).Writes);
         return code;
     }},
    {"CsvImport",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         const TableImport import = PlanImport(workspace, "Infantry", {{"Code", "Name"}, {code, value}});
         CommitChanges(workspace.Doc(), "Infantry", ImportText(import.Changes.size()), import.Changes);
         return code;
     }},
    {"FindSet",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         CommitRewrites(workspace.Doc(), "Set Name", {{}, code, "Name"},
                        SetValueRewrites(workspace, {code}, "Name", value));
         return code;
     }},
    {"EditSet",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         RunScript(workspace, "set\t" + code + "\tName\t" + value);
         return code;
     }},
    {"Rename",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         RunScript(workspace, "rename\tInfantry\t" + code + "\t" + code + "X\t" + value);
         return code + "X";
     }},
    {"Duplicate",
     [](Workspace& workspace, const std::string& code, const std::string& value) {
         RunScript(workspace, "duplicate\tInfantry\t" + code + "\tD1" + code + "\t" + value);
         return "D1" + code;
     }},
    {"LayerCommit", nullptr},
};

class ValueWritersTest : public EntriesFixture, public ::testing::TestWithParam<NamedWriter> {
protected:
    void SetUp() override {
        const std::string text = std::string(WrittenDocument) + "Name=" + LongName + "\n";
        Load(text, WrittenDefinition);
        if (GetParam().write) return;
        folder.Write("layer.ini", text);
        layers.Add(folder.File("layer.ini"));
    }

    std::string Write(const std::string& code, const std::string& value) {
        if (GetParam().write) return GetParam().write(workspace, code, value);
        SetLayerValue(layers, 0, code, "Name", value, "Infantry");
        return code;
    }
    const IniStore& Written() const {
        return GetParam().write ? workspace.Doc().Store() : layers.Layer(0).Store();
    }
    std::string NameLine(const std::string& code) const {
        const IniStore& store = Written();
        const int section = store.IndexOfSection(code);
        if (section < 0) return "(no entry " + code + ")";
        const IniSection& lines = store.SectionAt(static_cast<size_t>(section));
        const long line = lines.IndexOfKey("Name");
        return line < 0 ? "(no Name)" : std::string(lines.LineAt(static_cast<size_t>(line)).Raw());
    }
    // The writer refuses `value` with an IniError and leaves the document and its history alone.
    void ExpectRefused(const std::string& code, const std::string& value, const char* why) {
        const std::string before = Written().RenderText();
        const size_t edits = workspace.Doc().History().Count();
        EXPECT_THROW(Write(code, value), IniError) << why;
        EXPECT_EQ(Written().RenderText(), before) << why;
        EXPECT_EQ(workspace.Doc().History().Count(), edits) << why;
    }

    LayerStack layers{workspace};
};

TEST_P(ValueWritersTest, KeepsTheRestOfTheLine) {
    const std::string first = Write("E1", "Ash Private");
    EXPECT_EQ(NameLine(first), "  name = Ash Private   ; basic soldier");
    const std::string second = Write("E2", "Torch Bearer");
    EXPECT_EQ(NameLine(second), "NAME =  Torch Bearer\t  ");
    // A byte of a Windows code page that the name already holds may stay in it.
    const std::string third = Write("E3", "Tanya\x92s Tank 2");
    EXPECT_EQ(NameLine(third), "Name=Tanya\x92s Tank 2");
}

TEST_P(ValueWritersTest, RefusesControlCharactersAndNamesPastTheLimit) {
    ExpectRefused("E1", "Ash\x1BPrivate", "a C0 control character");
    ExpectRefused("E1", "Ash\x85Private", "a C1 control character");
    ExpectRefused("E1", std::string(MaxNameLength + 1, 'n'), "a name one past the limit");
    ExpectRefused("E1", std::string(1 << 20, 'n'), "a name of a megabyte");
    // The limit holds typing, not what the file holds: a name as long as the old one may come.
    const std::string code = Write("E4", std::string(LongName.size(), 'm'));
    EXPECT_EQ(NameLine(code), "Name=" + std::string(LongName.size(), 'm'));
    ExpectRefused(code, LongName + "n", "a name longer than the old one");
}

// The bytes 0x80 to 0x9F are C1 control characters in Latin-1 text, and the bytes of ordinary
// letters in a file saved as UTF-8.
TEST(FirstControlCharacter, TellsC1ControlsFromTheBytesOfUtf8Letters) {
    constexpr size_t none = std::string_view::npos;
    EXPECT_EQ(FirstControlCharacter("Tank\x85"), 4u);
    EXPECT_EQ(FirstControlCharacter("\xD0\x9F\xD0\xB5\xD1\x85"), none);  // Cyrillic
    EXPECT_EQ(FirstControlCharacter("Tanya\xE2\x80\x99s"), none);          // a curly apostrophe
    EXPECT_EQ(FirstControlCharacter("\xC3\xA9\x9B"), 2u);                  // a lone CSI after a letter
    EXPECT_EQ(FirstControlCharacter("\xC0\x85"), 1u);                       // overlong: no letter
    EXPECT_EQ(FirstControlCharacter("\xE0\x80\x85"), 1u);
    EXPECT_EQ(FirstControlCharacter("\xED\xA0\x80"), 2u);                  // a surrogate: no letter
    EXPECT_EQ(FirstControlCharacter("\xE2\x80"), 1u);                       // cut short
    EXPECT_EQ(FirstControlCharacter("Tanya\x92s", "Tanya\x92"), none);      // kept from the old text
    EXPECT_EQ(FirstControlCharacter("A\x1B", "\x1B"), 1u);                  // a C0 control never is
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, ValueWritersTest, ::testing::ValuesIn(Writers),
                         [](const ::testing::TestParamInfo<NamedWriter>& writer) {
                             return std::string(writer.param.name);
                         });

}  // namespace
}  // namespace velmora::testing
