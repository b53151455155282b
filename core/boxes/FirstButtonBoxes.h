// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "core/boxes/Boxes.h"

namespace velmora {

// Boxes with nobody to click them (the command line, the benchmarks, the picture grabber): every
// box is answered with its first button, as a user clicking through would, and every file or
// folder dialog is cancelled. Given a stream, each box is also printed there, one line
// "<caption>: <text>" with the text's line breaks turned into blanks.
class FirstButtonBoxes : public Boxes {
public:
    explicit FirstButtonBoxes(std::ostream* log = nullptr) : m_log(log) {}

    void Notice(const std::string& text) override;
    BoxAnswer Plain(const std::string& caption, const std::string& text, bool withCancel) override;
    BoxAnswer Confirm(const std::string& text) override;
    BoxAnswer Warning(const std::string& text) override;
    void Error(const std::string& text) override;
    std::optional<std::string> OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> FolderName(const std::string&, const std::string&) override { return {}; }

private:
    void Print(const std::string& caption, const std::string& text) const;

    std::ostream* m_log;
};

}  // namespace velmora
