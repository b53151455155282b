// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/Globals.h"

#include "core/catalogue/Routines.h"

namespace velmora {

Globals::Globals() : BitmapDir(CompleteDir("Bitmap")) {}

void Globals::ResetToDefaults() {
    std::string programDir = std::move(ProgramDir);
    *this = Globals();
    ProgramDir = std::move(programDir);
}

}  // namespace velmora
