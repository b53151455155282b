// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace velmora {

// One history over the documents of several kinds of file: which kind took each step, so that
// Undo takes back the latest step whichever kind it was made in, and Redo does again the one
// undone last. Each document keeps its own edits; this keeps only their order across kinds. A
// step may span kinds (a change of code with the references other kinds make to it): each kind's
// document took an edit of its own, and Undo and Redo take them together.
class KindHistory {
public:
    // A new step in `kind`: what was undone anywhere can no longer be done again from here.
    void Took(const std::string& kind);
    // The next step taken is part of the latest one (`join` false: it is not, after all).
    void JoinNext(bool join = true) { m_joinNext = join; }
    // The latest step of `kind` was undone, or done again.
    void Undid(const std::string& kind);
    void Redid(const std::string& kind);
    // The kind's document was loaded afresh: its steps are gone.
    void Forget(const std::string& kind);
    void Clear();

    // The kinds whose edits Undo (Redo) takes, in the order their documents step: Undo ends with
    // the kind the step began in, Redo begins with it. None when there is nothing to take.
    std::vector<std::string> NextUndo() const;
    std::vector<std::string> NextRedo() const;

private:
    struct Step {
        std::string Kind;
        bool Joined = false;  // part of the step before it
    };

    std::vector<Step> m_done;
    // The undone steps, the one undone last at the back.
    std::vector<Step> m_undone;
    bool m_joinNext = false;
};

}  // namespace velmora
