// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::cli {

int Format(const Arguments& args) {
    if (args.size() != 2) throw UsageError();
    // The store reads a missing file as empty; here that would write an empty OUT as a success.
    if (!platform::IsRegularFile(args[0])) throw IniError::CannotOpen(args[0]);
    IniStore store(args[0]);
    store.Rename(args[1], false);
    store.UpdateFile();
    return 0;
}

}  // namespace velmora::cli
