// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/references/References.h"

namespace velmora {

class Document;
struct EditFocus;
class Workspace;

// Edits of the values of many lines at once, as the find window makes them from its selected
// results. Only values change: codes, key names, comments and the list lines of categories stay
// as written.

// `value` (a line's text after its "=") with every occurrence of `find` before the comment
// replaced by `with`, letter case ignored. With `wholeWords`, only occurrences with no letter,
// digit or "_" right before or after them. No value when nothing is replaced.
std::optional<std::string> ReplaceTextInValue(std::string_view value, std::string_view find, std::string_view with,
                                              bool wholeWords);

// The key lines at `places` whose values hold `find`, with it replaced. Lines of the categories'
// list sections are left out. Throws IniError when `find` is empty, `with` holds ";" or a control
// character, or RefuseValue refuses a replaced value (a name grown past its limit).
std::vector<LineRewrite> ReplaceTextRewrites(const Workspace& workspace, const std::vector<LinePlace>& places,
                                             std::string_view find, std::string_view with, bool wholeWords);

// `key` set to `value` in the sections of `codes` (each once): the first line of the key gets the
// value in place of its own, keeping its key name and comment; a section without the key gets a
// line at its end. Sections that are missing or list sections are left out, and so are lines that
// already read `value`. Throws IniError for a key that UsableKey refuses, a value holding ";", and
// a value that RefuseValue refuses for one of the entries.
std::vector<LineRewrite> SetValueRewrites(const Workspace& workspace, const std::vector<std::string>& codes,
                                          std::string_view key, std::string_view value);

// What the user is shown before the rewrites are made: their count, then one line each (the
// first `shown` of them), "SECTION: OLD  ->  NEW", or "SECTION: added NEW" for a new line.
std::string RewritesPreview(const std::vector<LineRewrite>& rewrites, size_t shown = 30);

// The rewrites as one edit of `document`; false, and nothing done, when there are none.
bool CommitRewrites(Document& document, std::string text, EditFocus focus, const std::vector<LineRewrite>& rewrites);

}  // namespace velmora
