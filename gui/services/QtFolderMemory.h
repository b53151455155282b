// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <string>

#include "core/settings/ProgramFolder.h"
#include "gui/widgets/QtText.h"

namespace velmora {

// The chosen program folder, kept in the program's own user settings (QSettings), apart from the
// settings file of the program folder itself.
class QtFolderMemory final : public FolderMemory {
public:
    explicit QtFolderMemory(QSettings& settings) : m_settings(settings) {}

    std::string Remembered() const override { return ToBytes(m_settings.value(Key).toString()); }
    void Remember(const std::string& dir) override {
        m_settings.setValue(Key, ToQString(dir));
        m_settings.sync();
    }

private:
    static constexpr const char* Key = "ProgramFolder";
    QSettings& m_settings;
};

}  // namespace velmora
