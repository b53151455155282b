// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SourceFolder.h"

namespace velmora::testing {

std::string SourceFolder(std::string_view relative) {
    return std::string(VELMORA_SOURCE_DIR).append(1, '/').append(relative);
}

}  // namespace velmora::testing
