// velmora-ini: the core of the editor on the command line.
//
//   velmora-ini format IN OUT
//       reads IN and writes it to OUT in the editor's text format.
//   velmora-ini catalogue [--type NAME] [--write] DIR [DOC]
//       starts in program folder DIR as the editor does, optionally opens DOC and collects its
//       unknown sections, and prints every category with its entries. Without --write nothing
//       is written to disk.
//   velmora-ini scaffold [--force] DOC OUT
//       writes a first definition file for documents like DOC to OUT and prints its categories
//       with their entry counts and how many sections fall to "Unknown!". An existing OUT is
//       replaced only with --force.
//   velmora-ini usages [--type NAME] DIR DOC CODE
//       starts in DIR and opens DOC as catalogue does, then prints every key line whose value
//       names CODE: the section, a tab and the line as KEY=VALUE.
//   velmora-ini check [--type NAME] DIR DOC
//       starts in DIR and opens DOC as catalogue does, then prints every item of a reference key
//       that names nothing the key allows: the section, a tab, the key, a tab and the item. Exits
//       1 when it prints any.
//
// Usages and check write nothing to disk.
//
// Exit codes: 0 done, 1 an error (its text on stderr) or a dangling item found, 2 wrong usage.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "main/Boxes.h"
#include "main/CatalogueText.h"
#include "main/DefinitionScaffold.h"
#include "main/Globals.h"
#include "main/References.h"
#include "main/Workspace.h"
#include "store/IniError.h"
#include "store/PlatformFile.h"
#include "store/mIniGue.h"

namespace velmora {
namespace {

constexpr const char* ApplicationTitle = "VelmoraEdit";

constexpr const char* UsageText =
    "usage: velmora-ini format IN OUT\n"
    "       velmora-ini catalogue [--type NAME] [--write] DIR [DOC]\n"
    "       velmora-ini scaffold [--force] DOC OUT\n"
    "       velmora-ini usages [--type NAME] DIR DOC CODE\n"
    "       velmora-ini check [--type NAME] DIR DOC\n";

struct UsageError {};

// Boxes on a terminal: each is printed on stderr as "<caption>: <text>" and answered with its
// first button; file and folder dialogs are cancelled.
class PrintedBoxes : public Boxes {
public:
    void Notice(const std::string& text) override { Print(ApplicationTitle, text); }
    BoxAnswer Plain(const std::string& caption, const std::string& text, bool) override {
        Print(caption, text);
        return BoxAnswer::Ok;
    }
    BoxAnswer Confirm(const std::string& text) override {
        Print("Confirm", text);
        return BoxAnswer::Yes;
    }
    BoxAnswer Warning(const std::string& text) override {
        Print("Warning", text);
        return BoxAnswer::Ok;
    }
    void Error(const std::string& text) override { Print(ApplicationTitle, text); }
    std::optional<std::string> OpenFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> FolderName(const std::string&, const std::string&) override { return {}; }

private:
    static void Print(const std::string& caption, const std::string& text) {
        std::string line;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
        }
        std::cerr << caption << ": " << line << '\n';
    }
};

int Format(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError();
    // The store reads a missing file as empty; here that would write an empty OUT as a success.
    if (!platform::IsRegularFile(args[0])) throw IniError::CannotOpen(args[0]);
    TMemIniFile store(args[0]);
    store.Rename(args[1], false);
    store.UpdateFile();
    return 0;
}

// The arguments of a command that starts like the program: "--type NAME", the flags the command
// knows, and the rest in order.
struct StartArguments {
    std::optional<std::string> fileType;
    std::vector<std::string> flags;
    std::vector<std::string> places;
};

StartArguments ParseStartArguments(const std::vector<std::string>& args, const std::vector<std::string>& knownFlags) {
    StartArguments parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--type") {
            if (i + 1 >= args.size() || parsed.fileType) throw UsageError();
            parsed.fileType = args[++i];
        } else if (std::find(knownFlags.begin(), knownFlags.end(), args[i]) != knownFlags.end()) {
            parsed.flags.push_back(args[i]);
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw UsageError();
        } else {
            parsed.places.push_back(args[i]);
        }
    }
    return parsed;
}

bool HasFlag(const StartArguments& parsed, const std::string& flag) {
    return std::find(parsed.flags.begin(), parsed.flags.end(), flag) != parsed.flags.end();
}

// The program as it runs in a program folder: settings, the file type, the catalogue, and boxes
// printed on stderr, each answered with its first button.
struct Session {
    Globals globals;
    PrintedBoxes boxes;
    Workspace workspace{globals, boxes};

    // Starts in program folder `dir` as the editor does, on `fileType` when given, then opens
    // `document` when given and collects its unknown sections. Nothing is written to disk unless
    // `diskWrites` is set.
    Session(const std::string& dir, const std::optional<std::string>& fileType,
            const std::optional<std::string>& document, bool diskWrites) {
        std::error_code ec;
        if (!std::filesystem::is_directory(platform::ToPath(dir), ec)) throw IniError("Cannot open folder " + dir);
        // A document named on the command line must be there: an empty result for a mistyped name
        // would look like a result.
        if (document && !platform::IsRegularFile(*document)) throw IniError::CannotOpen(*document);

        workspace.SetDiskWrites(diskWrites);
        workspace.StartUpSettings(dir);
        if (fileType) {
            bool listed = false;
            for (size_t i = 0; i < workspace.FilesToEdit.Count(); ++i)
                listed |= workspace.FilesToEdit.Name(i) == *fileType;
            if (!listed) throw IniError("No file type " + *fileType + " in [FilesToEdit] of " + dir);
            workspace.FileToEdit = *fileType;
        }
        workspace.BeginToLoadNONBASIC();
        if (document) {
            workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(*document, false);
            if (!globals.UnknownSelected) workspace.SelectUnknown();
        }
    }
};

int Catalogue(const std::vector<std::string>& args) {
    const StartArguments parsed = ParseStartArguments(args, {"--write"});
    const auto& places = parsed.places;
    if (places.empty() || places.size() > 2) throw UsageError();
    const std::optional<std::string> document = places.size() == 2 ? std::optional(places[1]) : std::nullopt;
    Session session(places[0], parsed.fileType, document, HasFlag(parsed, "--write"));
    WriteCatalogueText(session.workspace, std::cout);
    return 0;
}

// The start of a command on an opened document: [--type NAME] DIR DOC, then the command's own
// arguments, which land in `rest`. Nothing is written to disk.
std::unique_ptr<Session> OpenDocument(const std::vector<std::string>& args, size_t restCount,
                                      std::vector<std::string>& rest) {
    const StartArguments parsed = ParseStartArguments(args, {});
    if (parsed.places.size() != 2 + restCount) throw UsageError();
    rest.assign(parsed.places.begin() + 2, parsed.places.end());
    return std::make_unique<Session>(parsed.places[0], parsed.fileType, parsed.places[1], false);
}

int Usages(const std::vector<std::string>& args) {
    std::vector<std::string> code;
    const std::unique_ptr<Session> session = OpenDocument(args, 1, code);
    for (const Usage& usage : FindUsages(*session->workspace.DocumentIni, code[0], session->globals.CaseSensitive))
        std::cout << usage.SectionName << '\t' << usage.Text << '\n';
    return 0;
}

int Check(const std::vector<std::string>& args) {
    std::vector<std::string> none;
    const std::unique_ptr<Session> session = OpenDocument(args, 0, none);
    const std::vector<DanglingItem> dangling = FindDanglingItems(session->workspace);
    for (const DanglingItem& item : dangling)
        std::cout << item.SectionName << '\t' << item.Key << '\t' << item.Item << '\n';
    return dangling.empty() ? 0 : 1;
}

int Scaffold(const std::vector<std::string>& args) {
    bool force = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--force")
            force = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError();
        else
            files.push_back(arg);
    }
    if (files.size() != 2) throw UsageError();
    const std::string& documentFile = files[0];
    const std::string& definitionFile = files[1];
    if (!platform::IsRegularFile(documentFile)) throw IniError::CannotOpen(documentFile);
    std::error_code ec;
    if (std::filesystem::equivalent(platform::ToPath(documentFile), platform::ToPath(definitionFile), ec))
        throw IniError(definitionFile + " is the document itself");
    if (!force && std::filesystem::exists(platform::ToPath(definitionFile), ec))
        throw IniError(definitionFile + " already exists; give --force to replace it");

    const Globals defaults;
    const TMemIniFile document(documentFile, &defaults.CaseSensitive);
    const DefinitionScaffold scaffold = ScaffoldDefinition(document, defaults.VariantAllowed);
    WriteDefinitionFile(scaffold, definitionFile);

    for (const ScaffoldCategory& category : scaffold.Categories)
        std::cout << '[' << category.Name << "] kind=" << category.Kind
                  << " entries=" << category.Entries.size() << '\n';
    std::cout << Workspace::UnknownCategory << ' ' << scaffold.UnknownCount << " of " << scaffold.SectionCount
              << " sections\n";
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "format") return Format(rest);
    if (args[0] == "catalogue") return Catalogue(rest);
    if (args[0] == "scaffold") return Scaffold(rest);
    if (args[0] == "usages") return Usages(rest);
    if (args[0] == "check") return Check(rest);
    throw UsageError();
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    try {
        return velmora::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const velmora::UsageError&) {
        std::cerr << velmora::UsageText;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
