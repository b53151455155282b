// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <utility>

namespace velmora {

class Boxes;

// Shows an error that ended an event handler: the text of an IniError or of any other standard
// exception in an error box. Never throws.
void ShowUnhandledError(Boxes& boxes, std::exception_ptr error) noexcept;

// Runs one event handler of a window. An error the handler does not handle itself ends it and is
// shown in an error box; whatever it had changed before stays changed. Nothing is let out into
// Qt's event dispatch, which cannot pass exceptions on. False when an error ended the handler.
template <class Handler>
bool RunEventHandler(Boxes& boxes, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        ShowUnhandledError(boxes, std::current_exception());
        return false;
    }
}

// The hourglass pointer for as long as the guard lives, put back on every way out. Guards nest:
// the pointer returns to normal when the outermost one ends.
class HourglassPointer {
public:
    HourglassPointer();
    ~HourglassPointer();
    HourglassPointer(const HourglassPointer&) = delete;
    HourglassPointer& operator=(const HourglassPointer&) = delete;
    HourglassPointer(HourglassPointer&&) = delete;
    HourglassPointer& operator=(HourglassPointer&&) = delete;

    // The same as a guard's start and end, for callers that report the two apart (the core's
    // busy hooks). Every Begin must be matched by one End.
    static void Begin();
    static void End();
};

}  // namespace velmora
