// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/KindHistory.h"

#include <algorithm>
#include <iterator>

namespace velmora {

namespace {

// Moves the latest step of `kind` from `from` to the back of `to`; a step the history never saw
// (made before it watched) moves as a step of its own.
template <class Step>
void MoveLatest(std::vector<Step>& from, std::vector<Step>& to, const std::string& kind) {
    const auto latest = std::find_if(from.rbegin(), from.rend(), [&kind](const Step& step) { return step.Kind == kind; });
    if (latest == from.rend()) {
        to.push_back({kind, false});
        return;
    }
    to.push_back(*latest);
    from.erase(std::next(latest).base());
}

// Takes the steps of `kind` out of [first, last), where a step's joined steps follow it; the first
// joined step left of a step taken out begins a step of its own.
template <class Iterator>
void TakeOut(Iterator first, Iterator last, const std::string& kind) {
    bool headGone = false;
    for (Iterator step = first; step != last; ++step) {
        if (step->Kind == kind) {
            headGone = headGone || !step->Joined;
            step->Kind.clear();
            continue;
        }
        if (headGone) step->Joined = false;
        headGone = false;
    }
}

}  // namespace

void KindHistory::Took(const std::string& kind) {
    m_done.push_back({kind, m_joinNext && !m_done.empty()});
    m_joinNext = false;
    m_undone.clear();
}

void KindHistory::Undid(const std::string& kind) {
    MoveLatest(m_done, m_undone, kind);
}

void KindHistory::Redid(const std::string& kind) {
    MoveLatest(m_undone, m_done, kind);
}

void KindHistory::Forget(const std::string& kind) {
    // The undone steps lie in reverse: a step's joined steps before it.
    TakeOut(m_done.begin(), m_done.end(), kind);
    TakeOut(m_undone.rbegin(), m_undone.rend(), kind);
    const auto gone = [](const Step& step) { return step.Kind.empty(); };
    std::erase_if(m_done, gone);
    std::erase_if(m_undone, gone);
}

void KindHistory::Clear() {
    m_done.clear();
    m_undone.clear();
    m_joinNext = false;
}

// The latest steps back to the one the others joined.
std::vector<std::string> KindHistory::NextUndo() const {
    std::vector<std::string> kinds;
    for (auto step = m_done.rbegin(); step != m_done.rend(); ++step) {
        kinds.push_back(step->Kind);
        if (!step->Joined) break;
    }
    return kinds;
}

// Undone in reverse, the step's first edit lies at the back, its joined edits before it: done again
// in the order they were made.
std::vector<std::string> KindHistory::NextRedo() const {
    std::vector<std::string> kinds;
    if (m_undone.empty()) return kinds;
    kinds.push_back(m_undone.back().Kind);
    for (auto step = std::next(m_undone.rbegin()); step != m_undone.rend() && step->Joined; ++step)
        kinds.push_back(step->Kind);
    return kinds;
}

}  // namespace velmora
