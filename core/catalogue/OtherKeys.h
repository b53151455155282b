// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class Workspace;

// The caption of the page of a category window that shows the keys no page of the category lists.
constexpr const char* OtherKeysPage = "Other keys";

// The keys the category's entries hold that no page of the category lists (key names compared
// without regard to letter case): each once, as first spelled, in the order first met along the
// category's list. The category window shows them on its "Other keys" page, and the table's
// column chooser offers them after the page keys, so that every value of an entry can be seen and
// changed. None for a category the workspace does not have.
std::vector<std::string> OtherKeysOf(const Workspace& workspace, std::string_view category);

}  // namespace velmora
