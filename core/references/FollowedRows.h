// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace velmora {

// `rows`, results in document order (each with a Place), with the rows of the sections at
// `sections` (positions in store order) given way to `fresh`, the rows of just those sections as
// found again, in document order.
template <class Row>
void ReplaceRowsOfSections(std::vector<Row>& rows, const std::vector<size_t>& sections, std::vector<Row> fresh) {
    std::vector<Row> merged;
    merged.reserve(rows.size() + fresh.size());
    auto next = fresh.begin();
    for (Row& row : rows) {
        if (std::binary_search(sections.begin(), sections.end(), row.Place.Section)) continue;
        for (; next != fresh.end() && next->Place.Section < row.Place.Section; ++next) merged.push_back(std::move(*next));
        merged.push_back(std::move(row));
    }
    for (; next != fresh.end(); ++next) merged.push_back(std::move(*next));
    rows = std::move(merged);
}

// A list of results over the document that follows its edits: after edits of values it finds its
// rows again in just the sections they touched; after anything else, or edits it was not told
// of, it finds them all again.
template <class Row>
class FollowedRows {
public:
    using FindAll = std::function<std::vector<Row>()>;
    // The rows of the given sections alone; none when they cannot be found apart from the rest.
    using FindIn = std::function<std::optional<std::vector<Row>>(const std::vector<size_t>&)>;

    const std::vector<Row>& Rows() const { return m_rows; }

    void Renew(const FindAll& findAll) {
        m_rows = findAll();
        m_followed = true;
    }
    // Brought up to the document after edits that touched `sections` (as TouchedSections gives
    // them; none: read everything).
    void Follow(const std::optional<std::vector<size_t>>& sections, const FindAll& findAll, const FindIn& findIn) {
        if (m_followed && sections) {
            if (std::optional<std::vector<Row>> fresh = findIn(*sections)) {
                ReplaceRowsOfSections(m_rows, *sections, std::move(*fresh));
                return;
            }
        }
        Renew(findAll);
    }
    // Edits go by unfollowed: the rows are found afresh next time.
    void Forget() {
        m_rows.clear();
        m_followed = false;
    }

private:
    std::vector<Row> m_rows;
    bool m_followed = false;
};

}  // namespace velmora
