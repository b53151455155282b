// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "core/store/LineSplitter.h"

namespace velmora {

// A block of comment and blank lines (or the text before a file's first header) held as one text:
// the lines as they stood in the file, from the first line's start to the last line's end, split
// where a file's lines end when read. A block read from a file is a view into the loaded text, so
// it costs no allocation; a block made of lines from elsewhere is joined with "\n" once. A block
// holds at least one line, perhaps empty; the default block holds none.
class CommentLines {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = const std::string_view&;

        Iterator() = default;
        explicit Iterator(std::string_view text) : m_split(text), m_done(false) {
            m_line = m_split.Next(m_more);
        }

        reference operator*() const { return m_line; }
        pointer operator->() const { return &m_line; }
        Iterator& operator++() {
            if (m_more) {
                m_line = m_split.Next(m_more);
            } else {
                m_done = true;
                m_line = {};
            }
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        // Each line of a block starts at its own place.
        bool operator==(const Iterator& other) const {
            return m_done == other.m_done && (m_done || m_line.data() == other.m_line.data());
        }

    private:
        LineSplitter m_split;
        std::string_view m_line;
        bool m_more = false;  // a line end followed m_line, so another line comes
        bool m_done = true;
    };

    using value_type = std::string_view;
    using iterator = Iterator;
    using const_iterator = Iterator;

    CommentLines() = default;
    // The block whose lines `text` holds; an empty text is one empty line.
    explicit CommentLines(std::string_view text) : m_text(text.data() != nullptr ? text : OneEmptyLine()) {}

    // The lines with the line ends between them, as they were read.
    std::string_view Text() const { return m_text; }
    bool empty() const { return m_text.data() == nullptr; }
    // Counted on each call: a block is a few lines.
    size_t size() const { return static_cast<size_t>(std::distance(begin(), end())); }
    Iterator begin() const { return empty() ? Iterator() : Iterator(m_text); }
    Iterator end() const { return Iterator(); }

private:
    static std::string_view OneEmptyLine() {
        static constexpr char kNothing[] = "";
        return std::string_view(kNothing);  // empty, at a place of its own
    }

    std::string_view m_text;
};

}  // namespace velmora
