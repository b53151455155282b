// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class QBoxLayout;
class QLabel;
class QWidget;

namespace velmora {

class LiveValueCheck;
class Workspace;

// The note under a category window on a committed value that does not fit the kind of value its
// key takes. A commit is never refused for it (the modder may know better) and the note asks for
// nothing: it says why the value looks wrong, and goes once the value fits again (a correction,
// an undo) or a fitting value is committed. The value grid's commits and the table's both get it.
class ValueNote {
public:
    // The note is made for the first misfit, at the end of `layout`, a layout of `window`.
    ValueNote(QWidget& window, QBoxLayout& layout, const Workspace& work, LiveValueCheck& values);

    // The value of `Key` in entry `Code` was just committed: the note says why it looks wrong, or
    // goes when it fits.
    void NoteCommittedValue(const std::string& Code, const std::string& Key);
    // The noted value changed or went: the note follows it, and goes once it fits.
    void RefreshValueNote();

private:
    QWidget& m_window;
    QBoxLayout& m_layout;
    const Workspace& m_work;
    LiveValueCheck& m_values;
    QLabel* m_label = nullptr;  // owned through its Qt parent, the window; made for the first note
    std::string m_notedCode;    // the entry and key the note is about; none: no note
    std::string m_notedKey;
};

}  // namespace velmora
