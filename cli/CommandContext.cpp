// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <algorithm>
#include <filesystem>

#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora::cli {

bool StartArguments::Has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> StartArguments::Option(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? std::nullopt : std::optional(it->second);
}

StartArguments ParseStartArguments(const std::vector<std::string>& args, const std::vector<std::string>& knownFlags,
                                   const std::vector<std::string>& knownOptions) {
    auto known = [](const std::vector<std::string>& names, const std::string& arg) {
        return std::find(names.begin(), names.end(), arg) != names.end();
    };
    StartArguments parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--type") {
            if (i + 1 >= args.size() || parsed.fileType) throw UsageError();
            parsed.fileType = args[++i];
        } else if (known(knownOptions, args[i])) {
            if (i + 1 >= args.size() || parsed.options.count(args[i]) != 0) throw UsageError();
            parsed.options[args[i]] = args[i + 1];
            ++i;
        } else if (known(knownFlags, args[i])) {
            parsed.flags.push_back(args[i]);
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw UsageError();
        } else {
            parsed.places.push_back(args[i]);
        }
    }
    return parsed;
}

CommandContext::CommandContext(const std::string& dir, const std::optional<std::string>& fileType,
                               const std::vector<std::string>& files, bool diskWrites) {
    std::error_code ec;
    if (!std::filesystem::is_directory(platform::ToPath(dir), ec)) throw IniError("Cannot open folder " + Escaped(dir));
    for (const std::string& file : files)
        if (!platform::IsRegularFile(file)) throw IniError::CannotOpen(file);

    workspace.SetDiskWrites(diskWrites);
    workspace.StartUpSettings(dir);
    if (fileType) {
        bool listed = false;
        for (size_t i = 0; i < workspace.FilesToEdit().Count(); ++i)
            listed |= workspace.FilesToEdit().Name(i) == *fileType;
        if (!listed) throw IniError("No file type " + Escaped(*fileType) + " in [FilesToEdit] of " + Escaped(dir));
        workspace.ChooseFileType(*fileType);
    }
}

void CommandContext::Load(const std::optional<std::string>& document) {
    workspace.BeginToLoadNONBASIC();
    if (document) {
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(*document, false);
        if (!globals.UnknownSelected) workspace.SelectUnknown();
    }
}

std::unique_ptr<ModContext> OpenModWith(const StartArguments& parsed, size_t restCount,
                                        std::vector<std::string>& rest) {
    const std::optional<std::string> modFolder = parsed.Option("--mod");
    if (!modFolder) return nullptr;
    if (parsed.places.size() != 1 + restCount) throw UsageError();
    rest.assign(parsed.places.begin() + 1, parsed.places.end());
    return std::make_unique<ModContext>(*modFolder, parsed.places[0]);
}

StackedDocument::StackedDocument(const StartArguments& parsed, size_t optionalCount,
                                 std::vector<std::string>& rest) {
    const std::optional<std::string> modFolder = parsed.Option("--mod");
    if (!modFolder) {
        m_context = OpenDocumentWith(parsed, optionalCount, rest);
        m_work = &m_context->workspace;
        return;
    }
    if (parsed.places.empty() || parsed.places.size() > 1 + optionalCount) throw UsageError();
    rest.assign(parsed.places.begin() + 1, parsed.places.end());
    m_mod = std::make_unique<ModContext>(*modFolder, parsed.places[0]);
    ModSession::Kind* kind = parsed.fileType ? m_mod->session.Find(*parsed.fileType) : &m_mod->session.At(0);
    if (kind == nullptr)
        throw IniError("No file type " + Escaped(*parsed.fileType) + " in [FilesToEdit] of " +
                       Escaped(parsed.places[0]));
    m_work = kind->Work.get();
}

std::unique_ptr<CommandContext> OpenDocumentWith(const StartArguments& parsed, size_t optionalCount,
                                                 std::vector<std::string>& rest) {
    if (parsed.places.size() < 2 || parsed.places.size() > 2 + optionalCount) throw UsageError();
    rest.assign(parsed.places.begin() + 2, parsed.places.end());
    auto context = std::make_unique<CommandContext>(parsed.places[0], parsed.fileType,
                                                    std::vector<std::string>{parsed.places[1]}, false);
    context->Load(parsed.places[1]);
    return context;
}

std::unique_ptr<CommandContext> OpenDocument(const std::vector<std::string>& args, size_t restCount,
                                             std::vector<std::string>& rest) {
    const StartArguments parsed = ParseStartArguments(args, {});
    if (parsed.places.size() != 2 + restCount) throw UsageError();
    return OpenDocumentWith(parsed, restCount, rest);
}

std::vector<std::string> TakeLayerFiles(std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--layer") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) throw UsageError();
        files.push_back(args[++i]);
    }
    args = std::move(rest);
    return files;
}

}  // namespace velmora::cli
