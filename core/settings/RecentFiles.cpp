// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RecentFiles.h"

#include <algorithm>

#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    return platform::FileNamesIgnoreCase() ? EqualsNoCase(a, b) : a == b;
}

}  // namespace

RecentFiles::RecentFiles(const std::vector<std::string>& names) {
    // Added oldest first, so that the newest ends in front.
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        if (!name->empty()) Add(*name);
}

void RecentFiles::Add(const std::string& fileName) {
    const std::string name = platform::AbsoluteName(fileName);
    std::erase_if(m_names, [&name](const std::string& known) { return SameFile(known, name); });
    m_names.insert(m_names.begin(), name);
    if (m_names.size() > MaxCount) m_names.resize(MaxCount);
}

bool RecentFiles::DropMissing() {
    return std::erase_if(m_names, [](const std::string& name) { return !platform::IsRegularFile(name); }) > 0;
}

}  // namespace velmora
