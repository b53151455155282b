// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/BuildTurns.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <deque>

namespace velmora {
namespace {

// The windows' thread's turn: who holds it, and who waits, first come first served.
struct Turn {
    BuildTurns::Waiter* holder = nullptr;
    std::deque<BuildTurns::Waiter*> line;
};

Turn& TheTurn() {
    static Turn turn;
    return turn;
}

// The free turn goes to the first in line.
void HandOn() {
    Turn& turn = TheTurn();
    if (turn.holder != nullptr || turn.line.empty()) return;
    BuildTurns::Waiter* next = turn.line.front();
    turn.line.pop_front();
    turn.holder = next;
    next->TurnCame();
}

}  // namespace

bool BuildTurns::Take(Waiter* waiter, bool afterThoseWaiting) {
    Turn& turn = TheTurn();
    const auto waiting = std::find(turn.line.begin(), turn.line.end(), waiter);
    if (turn.holder == waiter ||
        (turn.holder == nullptr && (!afterThoseWaiting || turn.line.empty() || waiting == turn.line.begin()))) {
        if (waiting != turn.line.end()) turn.line.erase(waiting);
        turn.holder = waiter;
        return true;
    }
    if (waiting == turn.line.end()) turn.line.push_back(waiter);
    return false;
}

void BuildTurns::Release(Waiter* waiter) {
    Turn& turn = TheTurn();
    if (turn.holder != waiter) return;
    turn.holder = nullptr;
    // Queued: the one releasing may be in the middle of handing over its result, or start again.
    if (!turn.line.empty())
        QMetaObject::invokeMethod(QCoreApplication::instance(), &HandOn, Qt::QueuedConnection);
}

void BuildTurns::Leave(Waiter* waiter) {
    Turn& turn = TheTurn();
    turn.line.erase(std::remove(turn.line.begin(), turn.line.end(), waiter), turn.line.end());
    Release(waiter);
}

}  // namespace velmora
