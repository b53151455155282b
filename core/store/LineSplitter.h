// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstring>
#include <string_view>

namespace velmora {

// Splits a text into lines where a file's lines end: at CR LF, at a lone LF and at a lone CR. The
// next LF is remembered, so that a text of CR-only line ends is still split in one pass.
class LineSplitter {
public:
    LineSplitter() = default;
    explicit LineSplitter(std::string_view text) : m_next(text.data()), m_end(text.data() + text.size()) {}

    bool AtEnd() const { return m_next == m_end; }

    // The line at the current place, after which the place moves past the line and its end.
    // `ended` tells whether a line end followed the line; at the end of the text the line is empty.
    std::string_view Next(bool& ended) {
        const char* const start = m_next;
        if (start == m_end) {
            ended = false;
            return {};
        }
        if (!m_lfKnown || (m_lf != nullptr && m_lf < start)) {
            m_lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(m_end - start)));
            m_lfKnown = true;
        }
        const char* const stop = m_lf != nullptr ? m_lf : m_end;
        const auto* cr =
            static_cast<const char*>(std::memchr(start, '\r', static_cast<size_t>(stop - start)));
        if (cr != nullptr) {
            m_next = cr + 1;
            if (m_next < m_end && *m_next == '\n') ++m_next;
            ended = true;
            return {start, static_cast<size_t>(cr - start)};
        }
        ended = m_lf != nullptr;
        m_next = m_lf != nullptr ? m_lf + 1 : m_end;
        return {start, static_cast<size_t>(stop - start)};
    }

private:
    const char* m_next = nullptr;
    const char* m_end = nullptr;
    const char* m_lf = nullptr;
    bool m_lfKnown = false;
};

}  // namespace velmora
