// SPDX-License-Identifier: GPL-3.0-or-later
// The program folder of a start: the command-line options, the folder question with its offer of
// the sample, and the change of the working directory.

#include "core/settings/ProgramFolder.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/boxes/Boxes.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace fs = std::filesystem;

namespace velmora {

namespace {

constexpr const char* FolderCaption = "Program Folder";

bool IsFolder(const std::string& dir) {
    std::error_code ec;
    return !dir.empty() && fs::is_directory(platform::ToPath(dir), ec);
}

bool IsEmptyFolder(const std::string& dir) {
    std::error_code ec;
    return fs::is_empty(platform::ToPath(dir), ec) && !ec;
}

// Copies a folder tree file by file: the library's recursive copy relies on a call that the
// Windows runtimes do not all have (creating a folder with the attributes of another).
void CopyTree(const fs::path& from, const fs::path& to, std::error_code& ec) {
    for (fs::recursive_directory_iterator entry(from, ec), end; !ec && entry != end; entry.increment(ec)) {
        const fs::path target = to / entry->path().lexically_relative(from);
        if (entry->is_directory(ec))
            fs::create_directories(target, ec);
        else if (!ec)
            fs::copy_file(entry->path(), target, ec);
        if (ec) return;
    }
}

// "%f", "%U" and the other field codes of a desktop entry's Exec line. A launcher replaces them with
// the files it was given, or with nothing; some pass them through as they stand.
bool IsUnexpandedFieldCode(const std::string& arg) {
    return arg.size() == 2 && arg[0] == '%' && std::string_view("fFuUdDnNickvm").find(arg[1]) != std::string_view::npos;
}

}  // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& given, StartOptions::Folder withoutOption) {
    std::vector<std::string> args;
    for (const std::string& arg : given)
        if (!IsUnexpandedFieldCode(arg)) args.push_back(arg);
    StartOptions options;
    options.folder = withoutOption;
    size_t next = 0;
    if (next < args.size() && args[next] == "--choose-program-dir") {
        options.folder = StartOptions::Folder::Remembered;
        ++next;
    } else if (next < args.size() && args[next] == "--program-dir") {
        if (next + 1 >= args.size() || args[next + 1].empty()) throw IniError(StartUsage);
        options.folder = StartOptions::Folder::Named;
        options.namedDir = args[next + 1];
        next += 2;
    }
    // Layers, each "--layer FILE", before the document or the mod folder or after it; over a mod
    // they go over its rules.
    const auto takeLayers = [&] {
        while (next < args.size() && args[next] == "--layer") {
            if (next + 1 >= args.size() || args[next + 1].empty()) throw IniError(StartUsage);
            options.layerFiles.push_back(platform::AbsoluteName(args[next + 1]));
            next += 2;
        }
    };
    takeLayers();
    if (next < args.size() && args[next] == "--mod") {
        if (next + 1 >= args.size() || args[next + 1].empty()) throw IniError(StartUsage);
        options.modFolder = platform::AbsoluteName(args[next + 1]);
        next += 2;
        takeLayers();
        if (next != args.size()) throw IniError(StartUsage);
        return options;
    }
    // A name that starts like an option is a mistyped option; "./-name" names such a file.
    if (next < args.size() && !args[next].empty() && args[next][0] != '-') {
        options.documentFile = platform::AbsoluteName(args[next]);
        ++next;
    }
    takeLayers();
    if (next != args.size()) throw IniError(StartUsage);
    return options;
}

ProgramFolderChoice::ProgramFolderChoice(Boxes& boxes, FolderMemory& memory, std::string sampleDir)
    : m_boxes(boxes), m_memory(memory), m_sampleDir(std::move(sampleDir)) {}

std::optional<std::string> ProgramFolderChoice::Remembered() const {
    std::string dir = m_memory.Remembered();
    if (!IsFolder(dir)) return std::nullopt;
    return dir;
}

std::optional<std::string> ProgramFolderChoice::Ask(const std::string& proposedDir) {
    std::string proposed = proposedDir;
    for (;;) {
        std::optional<std::string> dir = m_boxes.FolderName(FolderCaption, proposed);
        if (!dir) return std::nullopt;
        proposed = *dir;
        if (!IsFolder(*dir)) {
            m_boxes.Notice("Cannot open folder " + *dir);
            continue;
        }
        if (OfferSample(*dir)) return dir;
    }
}

// False when the user cancelled the offer and wants another folder.
bool ProgramFolderChoice::OfferSample(const std::string& dir) {
    if (!IsFolder(m_sampleDir) || !IsEmptyFolder(dir)) return true;
    switch (m_boxes.Confirm("The folder " + dir + " is empty.\r\n\r\nCopy the sample game into it?")) {
        case BoxAnswer::Yes:
            break;
        case BoxAnswer::No:
            return true;
        default:
            return false;
    }
    std::error_code ec;
    CopyTree(platform::ToPath(m_sampleDir), platform::ToPath(dir), ec);
    if (ec) throw IniError("Cannot copy the sample game into " + dir);
    return true;
}

std::string WorkingFolder() {
    std::error_code ec;
    const fs::path dir = fs::current_path(ec);
    // A folder the byte texts cannot spell is still reached by names relative to it.
    if (ec) return ".";
    return platform::PathText(dir).value_or(".");
}

void EnterProgramFolder(const std::string& dir) {
    std::error_code ec;
    if (!dir.empty()) fs::current_path(platform::ToPath(dir), ec);
    if (dir.empty() || ec) throw IniError("Cannot open folder " + dir);
}

std::optional<std::string> StartProgramFolder(const StartOptions& options, ProgramFolderChoice& choice) {
    switch (options.folder) {
        case StartOptions::Folder::Working:
            return WorkingFolder();
        case StartOptions::Folder::Named:
            EnterProgramFolder(options.namedDir);
            return WorkingFolder();
        case StartOptions::Folder::Remembered:
            break;
    }
    if (std::optional<std::string> dir = choice.Remembered()) {
        EnterProgramFolder(*dir);
        return WorkingFolder();
    }
    // The first start, or the remembered folder is gone: the question, from the home folder the
    // desktop started us in.
    std::optional<std::string> dir = choice.Ask(WorkingFolder());
    if (!dir) return std::nullopt;
    EnterProgramFolder(*dir);
    choice.Remember(*dir);
    return WorkingFolder();
}

}  // namespace velmora
