// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "core/store/StringList.h"

namespace velmora {

// The lines of sections as a saved store writes them: the comment block above a header, the header
// line as read, and each line as read after its own comment block. A section an operation added has
// no header as read: it is written "[name]", after one empty line when it has no comment block. The
// patch and the whole-store revert write through it, so both give what a save would.
class SectionLines {
public:
    template <class Block>
    void Header(const Block* leading, std::string_view name, std::string_view headerAsRead) {
        if (leading)
            AddBlock(*leading);
        else if (headerAsRead.empty())
            m_lines.Add(std::string());
        if (headerAsRead.empty())
            m_lines.Add("[" + std::string(name) + "]");
        else
            m_lines.Add(std::string(headerAsRead));
    }

    template <class Block>
    void Line(const Block* comments, std::string_view text) {
        if (comments) AddBlock(*comments);
        m_lines.Add(std::string(text));
    }

    void Add(std::string_view line) { m_lines.Add(std::string(line)); }

    StringList& Lines() { return m_lines; }
    // Every line followed by CR LF.
    std::string Text() const {
        std::string text;
        for (const StringItem& line : m_lines) text.append(line.text).append("\r\n");
        return text;
    }

private:
    template <class Block>
    void AddBlock(const Block& lines) {
        for (const auto& line : lines) m_lines.Add(std::string(std::string_view(line)));
    }

    StringList m_lines;
};

}  // namespace velmora
