// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace velmora {

// The windows' background builds take turns, one at a time. A build holds a copy of its document
// and, while it runs, what it makes of it: the find index and the comparison that a load starts
// held both copies and both results in the making at once, tens of megabytes at the program's
// peak on a big document. A build takes the turn before it copies anything and gives it back
// once its result is handed over or it is cancelled; one that asks while another holds it is
// called back when its turn comes. A turn given back is handed on through the event loop, so
// that a build cancelled and started again in one step (as a load does) keeps its place. Used on
// the windows' thread only.
class BuildTurns {
public:
    // What waits for a turn: a QObject, so that a call-back to one gone meanwhile is dropped.
    class Waiter : public QObject {
    public:
        using QObject::QObject;
        // The turn is this one's now: it starts its build, or gives the turn back.
        virtual void TurnCame() = 0;
    };

    // True when `waiter` holds the turn now (it was free, or already its own); otherwise it waits
    // in line and TurnCame is called, through the event loop, once the turn is its own. With
    // `afterThoseWaiting`, a free turn is taken only when no one waits for it.
    static bool Take(Waiter* waiter, bool afterThoseWaiting = false);
    // Gives the turn back if `waiter` holds it, to the first in line.
    static void Release(Waiter* waiter);
    // Release, and out of the line: for a waiter that goes.
    static void Leave(Waiter* waiter);
};

}  // namespace velmora
