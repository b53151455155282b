// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the program settings: the settings file's [GeneralSetup] options, the list of
// file types, and the per-type overrides that a definition file may carry.

#include <algorithm>
#include <type_traits>
#include <variant>

#include "core/boxes/Boxes.h"
#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"

namespace velmora {

namespace {

// A line of a settings list holds "=": a name (possibly empty) and its value.
bool HasKeyName(const std::string& line) { return line.find('=') != std::string::npos; }

// The [GeneralSetup] keys and the setting each one holds, in the order a new settings file gets
// them. A definition file gets only the first ones (WriteAll false); a folder is read with its
// separator completed.
struct SettingKey {
    const char* name;
    std::variant<std::string Globals::*, int32_t Globals::*, bool Globals::*> member;
    bool alwaysWritten;
    bool folder = false;
};

const SettingKey SettingKeys[] = {
    {"Title", &Globals::TitleText, true},
    {"BitmapDir", &Globals::BitmapDir, true, true},
    {"Bitmap1File", &Globals::Bitmap1File, true},
    {"Bitmap2File", &Globals::Bitmap2File, true},
    {"VariantAllowed", &Globals::VariantAllowed, true},
    {"NumberOfMain", &Globals::NumberOfMain, true},
    {"TheGameExeIs", &Globals::GameExe, false},
    {"GameDirectory", &Globals::GameDirectory, false, true},
    {"AllowedShowAll", &Globals::AllowedShowAll, false},
    {"Case_Sensitive", &Globals::CaseSensitive, false},
    {"CheckDoubleSection", &Globals::CheckDoubleSection, false},
    {"UpdateUnknown001", &Globals::UpdateUnknown001, false},
    {"SizeOfBuffer", &Globals::SizeOfBuffer, false},
};

}  // namespace

void Workspace::StartUp(const std::string& workingDir) {
    StartUpSettings(workingDir);
    BeginToLoadNONBASIC();
    if (m_view) m_view->ShowStatus(BannerText);
}

void Workspace::StartUpSettings(const std::string& workingDir) {
    if (m_view) m_view->ShowTitle("wait a moment... please");
    m_globals.ProgramDir = CompleteDir(workingDir);
    m_settingsIni = NewStore(m_globals.ProgramDir + SettingsFileName);
    BeginToLoadBasicValue();
}

void Workspace::BeginToLoadBasicValue() {
    m_globals.ResetToDefaults();

    StringList list;
    ReadProgBuffer(*m_settingsIni, "FilesToEdit", "Rules.ini", "1", &list);
    // Rewritten at every start, so the file gains missing keys and shows normalised values.
    WriteProgBuffer(*m_settingsIni, "FilesToEdit", true, list);
    if (m_diskWrites) {
        // A settings file that cannot be written (read-only, locked) must not keep the program
        // from starting: the user is told, and the values in memory serve this session.
        try {
            m_settingsIni->UpdateFile();
        } catch (const IniError& error) {
            m_boxes.Error(error.what());
        }
    }

    // A line without "=" names no file type; it stays in the settings file as it stands.
    m_filesToEdit.Clear();
    for (const auto& item : list)
        if (HasKeyName(item.text)) m_filesToEdit.Add(item);
    m_fileToEdit = m_filesToEdit.Name(0);
}

void Workspace::ReadProgBuffer(const IniStore& Ini, const std::string& ListSection,
                               const std::string& DefaultLineName, const std::string& DefaultLineValue,
                               StringList* List) {
    for (const SettingKey& key : SettingKeys) {
        std::visit(
            [&](auto member) {
                auto& value = m_globals.*member;
                using Value = std::remove_reference_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, std::string>) {
                    value = Ini.ReadString(GeneralSetup, key.name, value);
                    if (key.folder) value = CompleteDir(value);
                } else if constexpr (std::is_same_v<Value, bool>) {
                    value = Ini.ReadBool(GeneralSetup, key.name, value);
                } else {
                    value = Ini.ReadInteger(GeneralSetup, key.name, value);
                }
            },
            key.member);
    }

    if (ListSection.empty() || List == nullptr) return;
    Ini.ReadSectionValues(ListSection, *List);
    if (std::none_of(List->begin(), List->end(), [](const StringItem& item) { return HasKeyName(item.text); }))
        List->Add(DefaultLineName + "=" + DefaultLineValue);
}

void Workspace::WriteProgBuffer(IniStore& Ini, const std::string& ListSection, bool WriteAll,
                                const StringList& List) {
    for (const SettingKey& key : SettingKeys) {
        if (!key.alwaysWritten && !WriteAll) continue;
        std::visit(
            [&](auto member) {
                const auto& value = m_globals.*member;
                using Value = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, std::string>)
                    Ini.WriteString(GeneralSetup, key.name, value);
                else if constexpr (std::is_same_v<Value, bool>)
                    Ini.WriteBool(GeneralSetup, key.name, value);
                else
                    Ini.WriteInteger(GeneralSetup, key.name, value);
            },
            key.member);
    }

    // A name listed twice (in any letter case) is written with the value of its first line. A line
    // without "=" has no name to write; the list was read from this section, where it stands.
    for (size_t i = 0; i < List.Count(); ++i) {
        if (!HasKeyName(List[i])) continue;
        std::string name = List.Name(i);
        int first = List.IndexOfName(name);
        Ini.WriteString(ListSection, name, first < 0 ? std::string() : List.Value(static_cast<size_t>(first)));
    }
}

// Read by ReadProgBuffer after the settings file, the definition file's values win.
std::string Workspace::GameProgramLine() const {
    std::string line = "Program: " + GameProgramFileName();
    const bool overridden = m_document.HasDefinition() &&
                            (m_document.Definition().ValueExists(GeneralSetup, "GameDirectory") ||
                             m_document.Definition().ValueExists(GeneralSetup, "TheGameExeIs"));
    if (overridden) line += " (set by " + ExtractFileName(m_document.Definition().FileName()) + ")";
    return line;
}

}  // namespace velmora
