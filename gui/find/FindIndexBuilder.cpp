// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/FindIndexBuilder.h"

#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"

namespace velmora {

FindIndexBuilder::FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent)
    : OffThreadBuild<FindIndex, FindSource>(
          workspace.Doc(),
          [&workspace] {
              if (!workspace.Doc().HasDocument()) throw IniError("There is no document to search.");
              return std::make_shared<FindSource>(workspace, StoreTexts::Sliced{});
          },
          [](const FindSource& source) { return FindIndex(source); }, std::move(done), parent) {}

}  // namespace velmora
