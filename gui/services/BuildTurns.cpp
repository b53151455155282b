// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/BuildTurns.h"

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

}  // namespace

bool BuildTurns::Take(Waiter* waiter) {
    Turn& turn = TheTurn();
    if (turn.holder == nullptr || turn.holder == waiter) {
        turn.holder = waiter;
        return true;
    }
    if (std::find(turn.line.begin(), turn.line.end(), waiter) == turn.line.end()) turn.line.push_back(waiter);
    return false;
}

void BuildTurns::Release(Waiter* waiter) {
    Turn& turn = TheTurn();
    if (turn.holder != waiter) return;
    turn.holder = nullptr;
    if (turn.line.empty()) return;
    Waiter* next = turn.line.front();
    turn.line.pop_front();
    turn.holder = next;
    // Queued: the one releasing may be in the middle of handing over its result.
    QMetaObject::invokeMethod(next, [next] { next->TurnCame(); }, Qt::QueuedConnection);
}

void BuildTurns::Leave(Waiter* waiter) {
    Turn& turn = TheTurn();
    turn.line.erase(std::remove(turn.line.begin(), turn.line.end(), waiter), turn.line.end());
    Release(waiter);
}

}  // namespace velmora
