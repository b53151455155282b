// Value editing in the category window: committing a value cell into the document, Escape, the
// keys of the value grid and the value choice dialog.

#include "category/mChildWin.h"

namespace velmora {

void TChildWin::OnSelectKu(int /*col*/, int /*row*/) {
    // comes with value editing
}

void TChildWin::OnExitKu() {
    // The commit of an open edit comes with value editing; it goes before the row is kept.
    RememberPageRow();
}

void TChildWin::FormKeyPress(int /*Key*/) {
    // comes with value editing
}

void TChildWin::DoubleClickStringGrid2() {
    // comes with value editing
}

void TChildWin::OnContextPopUpKu(const QPoint& /*MousePos*/) {
    // comes with value editing
}

void TChildWin::EditBerubahIsi() {
    // comes with value editing
}

void TChildWin::EscapePerubahan() {
    // comes with value editing
}

void TChildWin::InterpretModalResult(const std::string& /*Text*/) {
    // comes with value editing
}

}  // namespace velmora
