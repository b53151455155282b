// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmora::testing {

// A folder of the repository that tests read from (the samples, the golden cases), `relative` to
// its top. The repository's place is compiled into one file of the test support only, so that the
// tests themselves compile to the same in every clone and a compiler cache serves a fresh one.
std::string SourceFolder(std::string_view relative);

}  // namespace velmora::testing
