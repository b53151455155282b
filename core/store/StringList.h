// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class IniSection;

// The comment and blank lines that stood directly before a line (or a header) in the file.
using CommentBlock = std::vector<std::string>;

// One item of a string list: its text and what the filling operation attached to it.
struct StringItem {
    std::string text;
    // The section record, for lists filled by ReadSections. Not owned; valid until the store
    // removes or replaces sections.
    IniSection* section = nullptr;
    // The line's comment block, for lists filled by ReadSectionValues; empty when none.
    std::shared_ptr<const CommentBlock> comments;
};

// An ordered list of texts, each with an optional attached reference. Every operation of the core
// that fills a caller's list fills one of these (and empties it first).
class StringList {
public:
    StringList() = default;
    StringList(std::initializer_list<std::string> texts);

    size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    void Clear() { m_items.clear(); }
    void Reserve(size_t count) { m_items.reserve(count); }

    const std::string& operator[](size_t index) const { return m_items[index].text; }
    std::string& operator[](size_t index) { return m_items[index].text; }
    const StringItem& Item(size_t index) const { return m_items[index]; }
    StringItem& Item(size_t index) { return m_items[index]; }

    void Add(std::string text) { m_items.push_back(StringItem{std::move(text), nullptr, nullptr}); }
    void Add(StringItem item) { m_items.push_back(std::move(item)); }
    void Insert(size_t index, std::string text);
    void Delete(size_t index) { m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index)); }
    void Append(const StringList& other);

    // The key name of item `index` (the text before its first "=", empty when it has none) and
    // its value (the text after that "=", empty when it has none).
    std::string Name(size_t index) const;
    std::string Value(size_t index) const;

    // Position of the first item equal to `text` (exactly, or without regard to letter case); -1.
    int IndexOf(std::string_view text) const;
    int IndexOfNoCase(std::string_view text) const;
    // Position of the first item whose name (text before its first "=") equals `name` without
    // regard to letter case; items without "=" never match. -1 when none.
    int IndexOfName(std::string_view name) const;

    std::vector<std::string> Texts() const;

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<StringItem> m_items;
};

}  // namespace velmora
