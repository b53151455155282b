// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "core/store/StoreTexts.h"

namespace velmora {

class IniStore;
class Workspace;

// What the find index reads of a workspace: the document's texts (StoreTexts), and the entries each
// category lists. The copy owns all its texts, so an index can be made from it on another thread
// while the document goes on changing. A sliced copy takes the lists a category at a time and the
// texts a few sections at a time (Continue), the document unchanged meanwhile.
class FindSource {
public:
    explicit FindSource(const Workspace& workspace);
    FindSource(const Workspace& workspace, StoreTexts::Sliced);
    FindSource(const FindSource&) = delete;
    FindSource& operator=(const FindSource&) = delete;

    // Copies at least `lines` more lines (an entry of a list counting as one): the lists, then the
    // texts; true once all is copied.
    bool Continue(size_t lines);

    bool CaseSensitive() const { return m_caseSensitive; }
    const StoreTexts& Texts() const { return m_texts; }
    // The store the copy was made of, as an identity only: never read through it on another thread.
    const IniStore* Origin() const { return m_texts.Origin(); }
    // The category rows, and per row the codes its list names, in list order.
    const std::vector<std::string>& Categories() const { return m_categories; }
    const std::vector<std::vector<std::string>>& Members() const { return m_members; }

private:
    // What the lists are read from, until they are read.
    const Workspace& m_workspace;
    StoreTexts m_texts;
    bool m_caseSensitive = false;
    std::vector<std::string> m_categories;
    std::vector<std::vector<std::string>> m_members;
};

}  // namespace velmora
