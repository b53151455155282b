// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "core/catalogue/TouchedSections.h"
#include "gui/services/DocumentSignals.h"

namespace velmora {

// For a view that follows edits by reading again only what they touched: every edit, undo or redo
// adds its sections to `touched` (everything, when entries came or went), then `edited` runs. The
// connections last as long as `receiver`, which owns `touched`.
inline void GatherTouched(const DocumentSignals& news, QObject* receiver, TouchedSections& touched,
                          const std::function<void()>& edited) {
    QObject::connect(&news, &DocumentSignals::valueChanged, receiver, [&touched, edited](const std::string& code) {
        touched.Add(code);
        edited();
    });
    QObject::connect(&news, &DocumentSignals::entriesChanged, receiver, [&touched, edited] {
        touched.AddEverything();
        edited();
    });
}

}  // namespace velmora
