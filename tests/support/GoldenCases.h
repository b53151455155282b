// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Golden-file tests keep one case per folder under a golden/ directory; these run such a test once
// per folder, named after it, so that adding a case is adding a folder.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora::testing {

// The names of the case folders under `dir`, sorted so that the run order does not depend on the
// file system.
inline std::vector<std::string> GoldenCaseNames(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Names a test after its case folder, so that a failure says which case failed.
struct GoldenCaseName {
    std::string operator()(const ::testing::TestParamInfo<std::string>& info) const { return info.param; }
};

}  // namespace velmora::testing

// Runs the parameterised `fixture` once for every case folder under `dir`.
#define VELMORA_GOLDEN_CASES(fixture, dir)                                                            \
    INSTANTIATE_TEST_SUITE_P(Golden, fixture, ::testing::ValuesIn(::velmora::testing::GoldenCaseNames(dir)), \
                             ::velmora::testing::GoldenCaseName())
