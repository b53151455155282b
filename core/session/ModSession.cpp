// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/ModSession.h"

#include <filesystem>
#include <system_error>

#include "core/session/LiveModCheck.h"
#include "core/values/LiveValueCheck.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "core/store/PlatformFile.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"

namespace velmora {

ModSession::ModSession(Boxes& boxes, bool diskWrites) : m_boxes(boxes), m_diskWrites(diskWrites) {}

ModSession::~ModSession() = default;

namespace {

bool IsFolder(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_directory(platform::ToPath(dir), ec);
}

}  // namespace

std::unique_ptr<ModSession::Kind> ModSession::OpenKind(const std::string& programDir,
                                                       const std::string& fileType, std::string document) {
    auto kind = std::make_unique<Kind>();
    kind->Work = std::make_unique<Workspace>(kind->Settings, m_boxes);
    kind->Models = std::make_unique<OpenDocument>(*kind->Work);
    Workspace& work = *kind->Work;
    // The settings file was rewritten once by the lister; the kinds read it as it now stands.
    work.SetDiskWrites(false);
    work.StartUpSettings(programDir);
    work.SetDiskWrites(m_diskWrites);
    work.ChooseFileType(fileType);
    work.BeginToLoadNONBASIC();

    kind->From = Origin::ModFolder;
    if (document.empty()) {
        const std::string gameCopy = work.GameCopyFileName();
        if (platform::IsRegularFile(gameCopy)) {
            document = gameCopy;
            kind->From = Origin::GameCopy;
        } else {
            kind->From = Origin::DefaultCopy;
        }
    }
    if (!document.empty()) {
        work.BeginCopyDefaultOrLoadINItoCurrentBuffer(document, false);
        if (!kind->Settings.UnknownSelected) work.SelectUnknown();
    }
    return kind;
}

StringList ModSession::ListKinds(const std::string& programDir) {
    if (!IsFolder(programDir)) throw IniError("Cannot open folder " + Escaped(programDir));
    // The settings file names the kinds; each kind then starts as the editor starts with it.
    Globals settings;
    Workspace lister(settings, m_boxes);
    lister.SetDiskWrites(m_diskWrites);
    lister.StartUpSettings(programDir);
    return lister.FilesToEdit();
}

template <class DocumentOf>
void ModSession::OpenKinds(const std::string& programDir, DocumentOf&& documentOf) {
    m_check.reset();
    m_kinds.clear();
    m_unread.clear();
    const StringList files = ListKinds(programDir);
    std::vector<std::unique_ptr<Kind>> kinds;
    for (size_t i = 0; i < files.Count(); ++i)
        kinds.push_back(OpenKind(programDir, files.Name(i), documentOf(files.Name(i))));
    m_kinds = std::move(kinds);
    for (const std::unique_ptr<Kind>& kind : m_kinds) kind->Models->Values().SeeKinds(Workspaces());
    std::vector<LiveModCheck::Kind> checked;
    for (const std::unique_ptr<Kind>& kind : m_kinds) checked.push_back({kind->Work.get(), &kind->Models->Values()});
    m_check = std::make_unique<LiveModCheck>(std::move(checked));
}

void ModSession::OpenBeside(const std::string& programDir, const std::string& shownFileType) {
    m_check.reset();
    m_kinds.clear();
    m_unread.clear();
    const StringList files = ListKinds(programDir);
    for (size_t i = 0; i < files.Count(); ++i) {
        const std::string& fileType = files.Name(i);
        if (EqualsNoCase(fileType, shownFileType)) continue;
        // A kind that cannot be read costs only its names: the file opened alone stays open.
        try {
            m_kinds.push_back(OpenKind(programDir, fileType, std::string()));
        } catch (const std::exception& error) {
            m_unread.push_back(fileType + " (" + error.what() + ")");
        }
    }
}

LiveModCheck& ModSession::Check() {
    if (!m_check) throw IniError("No mod is open");
    return *m_check;
}

void ModSession::OpenMod(const std::string& programDir, const std::string& modFolder) {
    if (!IsFolder(modFolder)) throw IniError("Cannot open folder " + Escaped(modFolder));
    const std::string folder = CompleteDir(modFolder);
    OpenKinds(programDir, [&folder](const std::string& fileType) {
        const std::string file = platform::ExistingFileName(folder + fileType);
        return platform::IsRegularFile(file) ? file : std::string();
    });
}

void ModSession::OpenFile(const std::string& programDir, const std::optional<std::string>& fileType,
                          const std::string& document) {
    if (!platform::IsRegularFile(document)) throw IniError::CannotOpen(document);
    bool first = true;
    bool found = false;
    OpenKinds(programDir, [&](const std::string& kind) {
        const bool chosen = fileType ? EqualsNoCase(kind, *fileType) : first;
        first = false;
        found = found || chosen;
        return chosen ? document : std::string();
    });
    if (!found) {
        m_kinds.clear();
        throw IniError("No file type " + Escaped(fileType.value_or(std::string())) + " in [FilesToEdit] of " +
                       Escaped(programDir));
    }
}

ModSession::Kind* ModSession::Find(const std::string& fileType) {
    for (const auto& kind : m_kinds)
        if (EqualsNoCase(kind->Work->FileToEdit(), fileType)) return kind.get();
    return nullptr;
}

std::vector<const Workspace*> ModSession::Workspaces() const {
    std::vector<const Workspace*> workspaces;
    for (const auto& kind : m_kinds) workspaces.push_back(kind->Work.get());
    return workspaces;
}

std::vector<Workspace*> ModSession::WorkspacesToEdit() {
    std::vector<Workspace*> workspaces;
    for (const auto& kind : m_kinds) workspaces.push_back(kind->Work.get());
    return workspaces;
}

std::vector<Workspace*> ModSession::Writable() {
    std::vector<Workspace*> workspaces;
    for (const auto& kind : m_kinds)
        if (!kind->ReadOnly()) workspaces.push_back(kind->Work.get());
    return workspaces;
}

std::string ModSession::OriginText(Origin from) {
    switch (from) {
    case Origin::ModFolder:
        return "from the mod folder";
    case Origin::GameCopy:
        return "read-only, from the game's copy";
    case Origin::DefaultCopy:
        break;
    }
    return "read-only, from the default copy";
}

}  // namespace velmora
