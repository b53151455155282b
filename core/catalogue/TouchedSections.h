// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class Workspace;

// What the views that follow the document have yet to read again: the sections whose lines an
// edit, undo or redo changed, gathered from the document's news (ValueChanged, EntriesChanged)
// until a view catches up. A view then reads only those sections again, or everything when that
// is the sounder or the quicker way.
class TouchedSections {
public:
    // A line of the section `code` changed (ValueChanged).
    void Add(std::string_view code) { m_codes.emplace(code); }
    // Entries or sections came, went or were renamed (EntriesChanged).
    void AddEverything() { m_everything = true; }
    bool Empty() const { return !m_everything && m_codes.empty(); }
    void Clear();

    // The positions in the workspace's document of the touched sections, each once, in store
    // order. None when everything is to be read again: entries changed, a touched section is the
    // document's list of a category (what the categories hold changed), or more than a tenth of
    // the document's sections were touched, where one pass over the whole document costs no more.
    std::optional<std::vector<size_t>> SectionsToRead(const Workspace& workspace) const;

private:
    std::set<std::string> m_codes;
    bool m_everything = false;
};

}  // namespace velmora
