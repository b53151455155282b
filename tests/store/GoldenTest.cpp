// SPDX-License-Identifier: GPL-3.0-or-later
// Each folder under golden/ holds a file as a user might have written it (input.ini) and the
// exact bytes the store must write back for it (expected.ini).

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/StoreRendering.h"
#include "core/store/IniStore.h"
#include "support/GoldenCases.h"
#include "support/SourceFolder.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// Shows where two byte texts part, with the line around it, instead of two walls of bytes.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    auto around = [at](const std::string& text) {
        size_t from = at < 40 ? 0 : at - 40;
        return ::testing::PrintToString(text.substr(from, 80));
    };
    return "first difference at byte " + std::to_string(at) + "\n  expected: " + around(expected) +
           "\n  actual:   " + around(actual);
}

class GoldenFileTest : public ::testing::TestWithParam<std::string> {
protected:
    TempFolder m_folder;
};

TEST_P(GoldenFileTest, WritesExpectedBytesAndIsStable) {
    const fs::path caseDir = fs::path(::velmora::testing::SourceFolder("tests/store/golden")) / GetParam();
    const std::string expected = ReadBytes(caseDir / "expected.ini");

    IniStore store((caseDir / "input.ini").string());
    const std::string first = m_folder.File("first.ini");
    store.Rename(first, false);
    store.UpdateFile();
    const std::string written = ReadBytes(first);
    ASSERT_EQ(written, expected) << FirstDifference(expected, written);
    EXPECT_EQ(store.RenderText(), expected);
    // The same bytes made a slice at a time, as the recovery copy of a big document is.
    for (size_t slice : {size_t{1}, size_t{3}}) {
        StoreRendering rendering(store);
        size_t calls = 0;
        while (!rendering.Continue(slice)) ++calls;
        EXPECT_EQ(rendering.Take(), expected) << "in slices of " << slice << " lines, " << calls << " calls";
    }

    IniStore reloaded(first);
    const std::string second = m_folder.File("second.ini");
    reloaded.Rename(second, false);
    reloaded.UpdateFile();
    const std::string rewritten = ReadBytes(second);
    EXPECT_EQ(rewritten, expected) << FirstDifference(expected, rewritten);
}

VELMORA_GOLDEN_CASES(GoldenFileTest, ::velmora::testing::SourceFolder("tests/store/golden"));

}  // namespace
}  // namespace velmora::test
