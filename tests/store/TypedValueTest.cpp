// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers, flags, dates and floating-point values read and written through the text of a key.

#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"

namespace velmora::test {
namespace {

class TypedValueTest : public StoreTest {
protected:
    void SetUp() override { m_store = LoadLines({"[S]"}); }

    int32_t IntegerOf(std::string_view text, int32_t fallback = -7) {
        m_store->WriteString("S", "V", text);
        return m_store->ReadInteger("S", "V", fallback);
    }

    std::unique_ptr<IniStore> m_store;
};

TEST_F(TypedValueTest, ReadIntegerAcceptsDecimalAndEveryHexadecimalMark) {
    for (const char* text : {"0xFF", "0XFF", "$FF", "$ff", "xFF", "XfF", "255", "+255", "  255", "0255", "0x00ff"})
        EXPECT_EQ(IntegerOf(text), 255) << text;
    EXPECT_EQ(IntegerOf("-255"), -255);
    EXPECT_EQ(IntegerOf("  -1"), -1);
    EXPECT_EQ(IntegerOf("0"), 0);
    EXPECT_EQ(IntegerOf("2147483647"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(IntegerOf("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(IntegerOf("$7FFFFFFF"), std::numeric_limits<int32_t>::max());
}

TEST_F(TypedValueTest, ReadIntegerGivesDefaultForAnythingElse) {
    for (const char* text : {"", "12abc", "0x", "$", "x", "0x1G", "2147483648", "-2147483649", "x80000000",
                             "0x80000000", "$80000000", "$FFFFFFFF", "0x100000000", "12 ", "1 2", "--5", "+-5",
                             "- 5", "0x-5", "$+5", "1e3", "1.5", "\xB2", "99999999999999999999"})
        EXPECT_EQ(IntegerOf(text, -7), -7) << ::testing::PrintToString(std::string(text));
    EXPECT_EQ(m_store->ReadInteger("S", "Missing", 42), 42);
    EXPECT_EQ(m_store->ReadInteger("Missing", "V", 42), 42);
}

TEST_F(TypedValueTest, ReadIntegerSeesTheValueWithoutItsComment) {
    auto store = LoadLines({"[S]", "Cost = 0x10 ; sixteen", "Bad=1;2"});
    EXPECT_EQ(store->ReadInteger("S", "cost", 0), 16);
    EXPECT_EQ(store->ReadInteger("S", "Bad", 0), 1);
}

TEST_F(TypedValueTest, ReadBoolIsTrueForEveryNonZeroNumber) {
    auto boolOf = [this](std::string_view text, bool fallback) {
        m_store->WriteString("S", "B", text);
        return m_store->ReadBool("S", "B", fallback);
    };
    EXPECT_TRUE(boolOf("1", false));
    EXPECT_TRUE(boolOf("2", false));
    EXPECT_TRUE(boolOf("-1", false));
    EXPECT_FALSE(boolOf("0", true));
    EXPECT_TRUE(boolOf("true", true));
    EXPECT_FALSE(boolOf("true", false));
    EXPECT_TRUE(m_store->ReadBool("S", "Missing", true));
    EXPECT_FALSE(m_store->ReadBool("S", "Missing", false));
}

TEST_F(TypedValueTest, WritesIntegersAndFlagsAsPlainText) {
    m_store->WriteInteger("S", "Pos", 1200);
    m_store->WriteInteger("S", "Neg", -35);
    m_store->WriteInteger("S", "Min", std::numeric_limits<int32_t>::min());
    m_store->WriteInteger("S", "Zero", 0);
    m_store->WriteBool("S", "Yes", true);
    m_store->WriteBool("S", "No", false);
    EXPECT_EQ(m_store->RenderText(),
              CrLf({"[S]", "Pos=1200", "Neg=-35", "Min=-2147483648", "Zero=0", "Yes=1", "No=0"}));
}

TEST_F(TypedValueTest, FloatsAndDatesComeBackAsWritten) {
    m_store->WriteFloat("S", "F", 2.5);
    EXPECT_DOUBLE_EQ(m_store->ReadFloat("S", "F", 0.0), 2.5);
    m_store->WriteFloat("S", "F", -0.125);
    EXPECT_DOUBLE_EQ(m_store->ReadFloat("S", "F", 0.0), -0.125);

    const DateTime day = 45123.0;  // a date without a time of day
    m_store->WriteDate("S", "D", day);
    EXPECT_DOUBLE_EQ(m_store->ReadDate("S", "D", 0.0), day);

    const DateTime noon = 0.5;
    m_store->WriteTime("S", "T", noon);
    EXPECT_NEAR(m_store->ReadTime("S", "T", 0.0), noon, 1.0 / 86400);

    const DateTime moment = 45123.75;
    m_store->WriteDateTime("S", "DT", moment);
    EXPECT_NEAR(m_store->ReadDateTime("S", "DT", 0.0), moment, 1.0 / 86400);
}

TEST_F(TypedValueTest, DateTimesComeBackAsWrittenAtTheEdgesOfADay) {
    // Half a second before midnight rounds up to the next day, not back to the start of the same
    // one; before the epoch, whatever form is written must read back as the same moment.
    for (DateTime moment : {45123.9999999, 45123.0, -1.25, -0.75, -700.5}) {
        m_store->WriteDateTime("S", "DT", moment);
        EXPECT_NEAR(m_store->ReadDateTime("S", "DT", 9e9), moment, 1.0 / 86400)
            << moment << " written as " << m_store->ReadString("S", "DT", "");
    }
}

TEST_F(TypedValueTest, UnreadableFloatsAndDatesGiveDefault) {
    for (const char* text : {"", "abc", "12abc"}) {
        m_store->WriteString("S", "X", text);
        EXPECT_DOUBLE_EQ(m_store->ReadFloat("S", "X", 9.5), 9.5) << text;
        EXPECT_DOUBLE_EQ(m_store->ReadDate("S", "X", 9.5), 9.5) << text;
        EXPECT_DOUBLE_EQ(m_store->ReadTime("S", "X", 0.25), 0.25) << text;
        EXPECT_DOUBLE_EQ(m_store->ReadDateTime("S", "X", 9.5), 9.5) << text;
    }
    EXPECT_DOUBLE_EQ(m_store->ReadFloat("S", "Missing", 1.25), 1.25);
}

}  // namespace
}  // namespace velmora::test
