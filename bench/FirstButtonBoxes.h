// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "core/catalogue/Boxes.h"

namespace velmora::bench {

// Answers every box with its first button, as a user clicking through would.
class FirstButtonBoxes final : public Boxes {
  public:
    void Notice(const std::string&) override {}
    BoxAnswer Plain(const std::string&, const std::string&, bool) override { return BoxAnswer::Ok; }
    BoxAnswer Confirm(const std::string&) override { return BoxAnswer::Yes; }
    BoxAnswer Warning(const std::string&) override { return BoxAnswer::Ok; }
    void Error(const std::string&) override {}
    std::optional<std::string> OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> FolderName(const std::string&, const std::string&) override { return {}; }
};

}  // namespace velmora::bench
