// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/FindIndexBuilder.h"

#include "core/catalogue/Workspace.h"
#include "core/references/FindSource.h"
#include "core/store/IniError.h"

namespace velmora {

FindIndexBuilder::FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent)
    : OffThreadBuild<FindIndex>(
          [&workspace]() -> Work {
              if (!workspace.Doc().HasDocument()) throw IniError("There is no document to search.");
              auto source = std::make_shared<const FindSource>(workspace);
              return [source] { return FindIndex(*source); };
          },
          std::move(done), parent) {}

}  // namespace velmora
