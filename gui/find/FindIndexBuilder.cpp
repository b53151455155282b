// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/FindIndexBuilder.h"

#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"

namespace velmora {

FindIndexBuilder::FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent)
    : OffThreadBuild<FindIndex, FindIndex>(
          workspace.Doc(),
          [&workspace] {
              if (!workspace.Doc().HasDocument()) throw IniError("There is no document to search.");
              return std::make_shared<FindIndex>(workspace, FindIndex::Sliced{});
          },
          [](FindIndex& read) {
              read.Seal();
              return std::move(read);
          },
          std::move(done), parent) {}

}  // namespace velmora
