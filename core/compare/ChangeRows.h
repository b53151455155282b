// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/compare/Comparison.h"

namespace velmora {

// How the Changes window shows a difference, as data: a row of four cells and the test of its
// filter box.

enum ChangeColumn { EntryColumn, KeyColumn, ReferenceColumn, DocumentColumn, ChangeColumnCount };

// The cells of a difference's row: the entry (section), the key, and the value on each side.
// A side that lacks the key reads "(none)"; for a whole entry on one side only, that side reads
// "(entry)" and the other "(none)".
std::array<std::string, ChangeColumnCount> ChangeRowTexts(const Difference& difference);

// Whether the row of a difference passes the filter box: the filter, blanks at its ends trimmed,
// is found in the difference's line (DifferenceText) without regard to letter case. An empty
// filter passes every row.
bool ChangeRowPasses(const Difference& difference, std::string_view filter);

}  // namespace velmora
