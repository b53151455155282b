// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "core/boxes/FirstButtonBoxes.h"
#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"
#include "core/session/ModSession.h"

namespace velmora {
class ValueCheck;
}

namespace velmora::cli {

// The arguments of a command that starts like the program: "--type NAME", the flags and the
// options (each with one value, given once) the command knows, and the rest in order.
struct StartArguments {
    std::optional<std::string> fileType;
    std::vector<std::string> flags;
    std::map<std::string, std::string> options;
    std::vector<std::string> places;

    bool Has(const std::string& flag) const;
    std::optional<std::string> Option(const std::string& name) const;
};

StartArguments ParseStartArguments(const std::vector<std::string>& args, const std::vector<std::string>& knownFlags,
                                   const std::vector<std::string>& knownOptions = {});

// The program as it runs in a program folder: settings, the file type, and boxes printed on
// stderr, each answered with its first button.
struct CommandContext {
    Globals globals;
    FirstButtonBoxes boxes{&std::cerr};
    Workspace workspace{globals, boxes};

    // Starts in program folder `dir` as the editor does: its settings, then the file type
    // `fileType` (by default the first of [FilesToEdit]) chosen but not yet loaded. The folder and
    // `files` named on the command line are looked at first: an empty result for a mistyped name
    // would look like a result, and nothing is written. Nothing goes to disk unless `diskWrites`.
    CommandContext(const std::string& dir, const std::optional<std::string>& fileType,
                   const std::vector<std::string>& files, bool diskWrites);

    // The file-type load, then `document` opened (when given) with its unknown sections collected.
    void Load(const std::optional<std::string>& document);
};

// A mod open as a whole for a command: every kind of program folder `dir`, each from `modFolder`
// when it holds the kind's file, boxes printed on stderr. Nothing is written to disk on the way.
struct ModContext {
    FirstButtonBoxes boxes{&std::cerr};
    ModSession session{boxes, false};

    ModContext(const std::string& modFolder, const std::string& dir) { session.OpenMod(dir, modFolder); }
};

// The mod of "--mod MODFOLDER DIR", with the `restCount` arguments after DIR in `rest`; null when
// the arguments name no mod.
std::unique_ptr<ModContext> OpenModWith(const StartArguments& parsed, size_t restCount, std::vector<std::string>& rest);

// The document a command puts layers over: DOC of "[--type NAME] DIR DOC", or with "--mod
// MODFOLDER DIR" the mod's kind NAME, by default its rules (the first kind). Up to `optionalCount`
// arguments of the command's own follow and land in `rest`. Nothing is written to disk.
class StackedDocument {
public:
    StackedDocument(const StartArguments& parsed, size_t optionalCount, std::vector<std::string>& rest);
    Workspace& Work() { return *m_work; }

private:
    std::unique_ptr<CommandContext> m_context;
    std::unique_ptr<ModContext> m_mod;
    Workspace* m_work = nullptr;
};

// The start of a command on an opened document: [--type NAME] [flags] DIR DOC, then up to
// `optionalCount` arguments of the command's own, which land in `rest`. Nothing is written to disk.
std::unique_ptr<CommandContext> OpenDocumentWith(const StartArguments& parsed, size_t optionalCount,
                                                 std::vector<std::string>& rest);

// As OpenDocumentWith, for a command that takes exactly `restCount` arguments of its own.
std::unique_ptr<CommandContext> OpenDocument(const std::vector<std::string>& args, size_t restCount,
                                             std::vector<std::string>& rest);

// The files of every "--layer FILE" of `args`, in order, taken out of `args`. Throws UsageError
// for a "--layer" without a file.
std::vector<std::string> TakeLayerFiles(std::vector<std::string>& args);

// The definition file's [ValueKinds] lines that could not be read, on stderr.
void PrintPinProblems(const ValueCheck& check);

}  // namespace velmora::cli
