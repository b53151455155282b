// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// The program's global state: one instance, owned by the program and handed to everything that
// reads it; tests make their own. Directories always end with a separator.
struct Globals {
    std::string ProgramDir;
    std::string DefaultFileName;
    std::string UntitledName = "Untitle.ini";
    std::string BackupExt = ".BAK";
    std::string TitleText = "VELMORA EDIT";
    std::string GameExe = "Pyre.exe";
    std::string GameDirectory = "C:\\Kelvane\\Pyre\\";
    std::string BitmapDir;  // "Bitmap" completed with the platform's separator
    std::string Bitmap1File = "Bitmap1.bmp";
    std::string Bitmap2File = "Bitmap2.bmp";
    int32_t VariantAllowed = 4;
    int32_t NumberOfMain = 10;
    bool AllowedShowAll = true;
    bool CaseSensitive = true;
    bool CheckDoubleSection = true;
    bool UpdateUnknown001 = true;
    int32_t SizeOfBuffer = 16384;
    bool UnknownSelected = false;

    Globals();
    // Puts back every value a fresh start begins with (ProgramDir excepted).
    void ResetToDefaults();
};

}  // namespace velmora
