// Start-up and the program settings: the settings file's [GeneralSetup] options, the list of
// file types, and the per-type overrides that a definition file may carry.

#include <algorithm>

#include "main/Boxes.h"
#include "main/Routines.h"
#include "main/Workspace.h"
#include "store/IniError.h"

namespace velmora {

namespace {

constexpr const char* GeneralSetup = "GeneralSetup";

// A line of a settings list holds "=": a name (possibly empty) and its value.
bool HasKeyName(const std::string& line) { return line.find('=') != std::string::npos; }

}  // namespace

void Workspace::StartUp(const std::string& workingDir) {
    StartUpSettings(workingDir);
    BeginToLoadNONBASIC();
    if (m_view) m_view->ShowStatus(BannerText);
}

void Workspace::StartUpSettings(const std::string& workingDir) {
    if (m_view) m_view->ShowTitle("wait a moment... please");
    m_globals.ProgramDir = CompleteDir(workingDir);
    SettingsIni = NewStore(m_globals.ProgramDir + SettingsFileName);
    BeginToLoadBasicValue();
}

void Workspace::BeginToLoadBasicValue() {
    m_globals.ResetToDefaults();

    TStringList list;
    ReadProgBuffer(*SettingsIni, "FilesToEdit", "Rules.ini", "1", &list);
    // Rewritten at every start, so the file gains missing keys and shows normalised values.
    WriteProgBuffer(*SettingsIni, "FilesToEdit", true, list);
    if (m_diskWrites) {
        // A settings file that cannot be written (read-only, locked) must not keep the program
        // from starting: the user is told, and the values in memory serve this session.
        try {
            SettingsIni->UpdateFile();
        } catch (const IniError& error) {
            m_boxes.Error(error.what());
        }
    }

    // A line without "=" names no file type; it stays in the settings file as it stands.
    FilesToEdit.Clear();
    for (const auto& item : list)
        if (HasKeyName(item.text)) FilesToEdit.Add(item);
    FileToEdit = FilesToEdit.Name(0);
}

void Workspace::ReadProgBuffer(TMemIniFile& Ini, const std::string& ListSection,
                               const std::string& DefaultLineName, const std::string& DefaultLineValue,
                               TStringList* List) {
    Globals& g = m_globals;
    g.TitleText = Ini.ReadString(GeneralSetup, "Title", g.TitleText);
    g.GameExe = Ini.ReadString(GeneralSetup, "TheGameExeIs", g.GameExe);
    g.GameDirectory = CompleteDir(Ini.ReadString(GeneralSetup, "GameDirectory", g.GameDirectory));
    g.BitmapDir = CompleteDir(Ini.ReadString(GeneralSetup, "BitmapDir", g.BitmapDir));
    g.Bitmap1File = Ini.ReadString(GeneralSetup, "Bitmap1File", g.Bitmap1File);
    g.Bitmap2File = Ini.ReadString(GeneralSetup, "Bitmap2File", g.Bitmap2File);
    g.VariantAllowed = Ini.ReadInteger(GeneralSetup, "VariantAllowed", g.VariantAllowed);
    g.NumberOfMain = Ini.ReadInteger(GeneralSetup, "NumberOfMain", g.NumberOfMain);
    g.AllowedShowAll = Ini.ReadBool(GeneralSetup, "AllowedShowAll", g.AllowedShowAll);
    g.CaseSensitive = Ini.ReadBool(GeneralSetup, "Case_Sensitive", g.CaseSensitive);
    g.CheckDoubleSection = Ini.ReadBool(GeneralSetup, "CheckDoubleSection", g.CheckDoubleSection);
    g.UpdateUnknown001 = Ini.ReadBool(GeneralSetup, "UpdateUnknown001", g.UpdateUnknown001);
    g.SizeOfBuffer = Ini.ReadInteger(GeneralSetup, "SizeOfBuffer", g.SizeOfBuffer);

    if (ListSection.empty() || List == nullptr) return;
    Ini.ReadSectionValues(ListSection, *List);
    if (std::none_of(List->begin(), List->end(), [](const StringItem& item) { return HasKeyName(item.text); }))
        List->Add(DefaultLineName + "=" + DefaultLineValue);
}

void Workspace::WriteProgBuffer(TMemIniFile& Ini, const std::string& ListSection, bool WriteAll,
                                const TStringList& List) {
    const Globals& g = m_globals;
    Ini.WriteString(GeneralSetup, "Title", g.TitleText);
    Ini.WriteString(GeneralSetup, "BitmapDir", g.BitmapDir);
    Ini.WriteString(GeneralSetup, "Bitmap1File", g.Bitmap1File);
    Ini.WriteString(GeneralSetup, "Bitmap2File", g.Bitmap2File);
    Ini.WriteInteger(GeneralSetup, "VariantAllowed", g.VariantAllowed);
    Ini.WriteInteger(GeneralSetup, "NumberOfMain", g.NumberOfMain);
    if (WriteAll) {
        Ini.WriteString(GeneralSetup, "TheGameExeIs", g.GameExe);
        Ini.WriteString(GeneralSetup, "GameDirectory", g.GameDirectory);
        Ini.WriteBool(GeneralSetup, "AllowedShowAll", g.AllowedShowAll);
        Ini.WriteBool(GeneralSetup, "Case_Sensitive", g.CaseSensitive);
        Ini.WriteBool(GeneralSetup, "CheckDoubleSection", g.CheckDoubleSection);
        Ini.WriteBool(GeneralSetup, "UpdateUnknown001", g.UpdateUnknown001);
        Ini.WriteInteger(GeneralSetup, "SizeOfBuffer", g.SizeOfBuffer);
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
    const bool overridden = DefinitionIni && (DefinitionIni->ValueExists(GeneralSetup, "GameDirectory") ||
                                              DefinitionIni->ValueExists(GeneralSetup, "TheGameExeIs"));
    if (overridden) line += " (set by " + ExtractFileName(DefinitionIni->FileName()) + ")";
    return line;
}

}  // namespace velmora
