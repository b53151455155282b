// The entry operations of the category window: duplicate, change of code and delete, with their
// questions; the writes themselves are the core's (category/EntryOperations.h).

#include "category/mChildWin.h"

namespace velmora {

void TChildWin::DuplicateButtonClick() {
    // comes with the entry operations
}

void TChildWin::StringGroodDoubleClick() {
    // comes with the entry operations
}

void TChildWin::DuplicateOrEditAction(bool /*IsDuplicate*/) {
    // comes with the entry operations
}

bool TChildWin::AskCodeAndName(TSmallEdit& /*Dialog*/, bool /*IsDuplicate*/, std::string& /*NewCode*/,
                               std::string& /*NewName*/) {
    // comes with the entry operations
    return false;
}

void TChildWin::DeleteButton() {
    // comes with the entry operations
}

}  // namespace velmora
