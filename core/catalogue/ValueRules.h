// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmora {

class IniStore;

// When a value or an entry counts as changed against a reference (the default copy): the rule
// behind the red marks of the category window and behind the comparison of two stores, written
// once so that both always agree. The program gives every store the same letter-case flag and
// passes that flag here.

// The value as the comparison sees it: the text without its ";" comment, blanks trimmed at both
// ends. `value` is the text after a line's "=", or a value as the store reads it.
std::string_view ComparableValue(std::string_view value);

// True when two values differ: compared as ComparableValue gives them, exactly when
// `caseSensitive` is on, else without regard to letter case.
bool ValuesDiffer(std::string_view documentValue, std::string_view referenceValue, bool caseSensitive);

// The red mark of a value: the document's value of `key` in the entry `code` differs from the
// reference's value of that key. A key the reference lacks has the empty value.
bool ValueIsRed(const IniStore& reference, std::string_view code, std::string_view key,
                std::string_view documentValue, bool caseSensitive);

// What a red value's tooltip says of the reference (the default copy): "default: " and the
// reference's value of `key` in the entry `code` as the red mark compares it, or "default: (none)"
// when the reference lacks that key.
std::string ReferenceValueTip(const IniStore& reference, std::string_view code, std::string_view key);

// The red mark of an entry: the reference has no section of that code (found as the reference
// finds sections).
bool EntryIsRed(const IniStore& reference, std::string_view code);

}  // namespace velmora
