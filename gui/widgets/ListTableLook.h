// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTableView>

namespace velmora {

// The look of a read-only list of results: whole rows selected, no editing, one line per row.
// Fixed row heights: tens of thousands of rows show at once.
inline void LookAsResultList(QTableView& view, QAbstractItemView::SelectionMode selection) {
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(selection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
    view.horizontalHeader()->setStretchLastSection(true);
}

}  // namespace velmora
