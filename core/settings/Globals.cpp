// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/Globals.h"

#include "core/store/Routines.h"

namespace velmora {

Globals::Globals() : BitmapDir(CompleteDir("Bitmap")) {}

void Globals::ResetToDefaults() {
    std::string programDir = std::move(ProgramDir);
    *this = Globals();
    ProgramDir = std::move(programDir);
}

}  // namespace velmora
