// SPDX-License-Identifier: GPL-3.0-or-later
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
//       with their entry counts and how many sections fall to "Unknown!". The kinds of value it
//       learns go into its [ValueKinds]. An existing OUT is replaced only with --force.
//   velmora-ini diff [--type NAME] DIR DOC [--against FILE] [--patch OUT]
//       starts in program folder DIR as the editor does and prints, one per line, what DOC
//       changed against the file type's default copy (or FILE): "[S] K: OLD -> NEW",
//       "[S] +K=V", "[S] -K=V", "+[S]" and "-[S]". --patch writes the changes to OUT as an INI
//       file to share; what it cannot remove it lists in a comment at its start, and a warning
//       with their count goes to stderr.
//   velmora-ini usages [--type NAME] DIR DOC CODE
//       starts in DIR and opens DOC as catalogue does, then prints every key line whose value
//       names CODE: the section, a tab and the line as KEY=VALUE.
//   velmora-ini check [--type NAME] DIR DOC
//       starts in DIR and opens DOC as catalogue does, then prints every item of a reference key
//       that names nothing the key allows: the section, a tab, the key, a tab and the item. Exits
//       1 when it prints any.
//   velmora-ini table [--type NAME] DIR DOC CATEGORY [--page P | --keys K1,K2,...] [--csv OUT]
//       starts in DIR and opens DOC as catalogue does, then prints the balance table of CATEGORY,
//       tab-separated: a header "Code", "Name" and the keys, then one line per entry. The keys are
//       those of page P, the columns K1,K2,... ("Primary:Damage" follows the entry named in
//       Primary), or every key of the category's pages. --csv writes the table to OUT as CSV.
//   velmora-ini check --values [--type NAME] DIR DOC
//       as check, but prints every value that does not fit the kind of value its key takes (as
//       learned from the document and the default copy, or pinned by the definition file's
//       [ValueKinds]): the section, the key, the value and the reason, separated by tabs.
//   velmora-ini kinds [--type NAME] DIR DOC [CATEGORY]
//       prints, category by category (or for CATEGORY only), each key's kind and how many of its
//       values fit it: "[CATEGORY]", then "KEY<TAB>KIND<TAB>FIT of VALUES", with "(pinned)" or
//       "(all categories)" after it where that applies.
//
//   velmora-ini edit [--type NAME] DIR DOC [--output FILE]
//       starts in DIR and opens DOC as catalogue does, then runs the edits read from standard
//       input, one per line with tab-separated fields: "set CODE KEY VALUE", "duplicate CATEGORY
//       CODE NEWCODE [NAME]", "rename CATEGORY CODE NEWCODE [NAME]", "rename-all CATEGORY CODE
//       NEWCODE [all] [NAME]" (a rename that also rewrites the references to CODE, the items of
//       keys whose value sources name the category, and prints each other line naming CODE as
//       "not changed: [S] K=V" on stderr; "all" rewrites those too), "replace KEY OLD NEW"
//       (each item OLD of KEY's values in every section), "delete CATEGORY CODE", "revert CODE
//       [KEY]" (puts back the default copy's text for the entry or its key), "import-table
//       CATEGORY FILE" (a table file as the table command writes it; its changes are printed
//       first), "undo", "redo" and "save". Save writes DOC (or FILE) and the definition file as the
//       editor's Save and its collection of unknown sections would, once every line has run. A
//       line that cannot be done is reported as "line N: reason"; nothing is written then. Nor
//       is anything written when another program changed DOC (or, as the save writes it, the
//       definition file) while the script ran: "the file changed on disk while editing", exit 1.
//       The commands are UTF-8 text, written into the document in Latin-1.
//
// Usages, check and diff write nothing to disk but diff's patch; edit writes only on save.
//
// Exit codes: 0 done, 1 an error (its text on stderr), 2 wrong usage. check also exits 1 when it
// finds a dangling item. diff exits 0 when there is no difference, 1 when there are differences
// and 3 on an error.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/table/BalanceTable.h"
#include "core/table/TableCsv.h"
#include "core/table/TableFiles.h"
#include "core/values/ValueCheck.h"
#include "main/core/Boxes.h"
#include "main/core/CatalogueText.h"
#include "main/core/Comparison.h"
#include "main/core/DefinitionScaffold.h"
#include "main/core/DocumentSave.h"
#include "main/core/Globals.h"
#include "main/core/References.h"
#include "main/core/ScriptedEdits.h"
#include "main/core/Workspace.h"
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
    "       velmora-ini diff [--type NAME] DIR DOC [--against FILE] [--patch OUT]\n"
    "       velmora-ini usages [--type NAME] DIR DOC CODE\n"
    "       velmora-ini check [--values] [--type NAME] DIR DOC\n"
    "       velmora-ini kinds [--type NAME] DIR DOC [CATEGORY]\n"
    "       velmora-ini table [--type NAME] DIR DOC CATEGORY [--page P | --keys K1,K2,...] [--csv OUT]\n"
    "       velmora-ini edit [--type NAME] DIR DOC [--output FILE] < COMMANDS\n";

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

// The arguments of a command that starts like the program: "--type NAME", the flags and the
// options (each with one value, given once) the command knows, and the rest in order.
struct StartArguments {
    std::optional<std::string> fileType;
    std::vector<std::string> flags;
    std::map<std::string, std::string> options;
    std::vector<std::string> places;

    bool Has(const std::string& flag) const { return std::find(flags.begin(), flags.end(), flag) != flags.end(); }
    std::optional<std::string> Option(const std::string& name) const {
        auto it = options.find(name);
        return it == options.end() ? std::nullopt : std::optional(it->second);
    }
};

StartArguments ParseStartArguments(const std::vector<std::string>& args, const std::vector<std::string>& knownFlags,
                                   const std::vector<std::string>& knownOptions = {}) {
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

// The program as it runs in a program folder: settings, the file type, and boxes printed on
// stderr, each answered with its first button.
struct Session {
    Globals globals;
    PrintedBoxes boxes;
    Workspace workspace{globals, boxes};

    // Starts in program folder `dir` as the editor does: its settings, then the file type
    // `fileType` (by default the first of [FilesToEdit]) chosen but not yet loaded. The folder and
    // `files` named on the command line are looked at first: an empty result for a mistyped name
    // would look like a result, and nothing is written. Nothing goes to disk unless `diskWrites`.
    Session(const std::string& dir, const std::optional<std::string>& fileType, const std::vector<std::string>& files,
            bool diskWrites) {
        std::error_code ec;
        if (!std::filesystem::is_directory(platform::ToPath(dir), ec)) throw IniError("Cannot open folder " + dir);
        for (const std::string& file : files)
            if (!platform::IsRegularFile(file)) throw IniError::CannotOpen(file);

        workspace.SetDiskWrites(diskWrites);
        workspace.StartUpSettings(dir);
        if (fileType) {
            bool listed = false;
            for (size_t i = 0; i < workspace.FilesToEdit.Count(); ++i)
                listed |= workspace.FilesToEdit.Name(i) == *fileType;
            if (!listed) throw IniError("No file type " + *fileType + " in [FilesToEdit] of " + dir);
            workspace.FileToEdit = *fileType;
        }
    }

    // The file-type load, then `document` opened (when given) with its unknown sections collected.
    void Load(const std::optional<std::string>& document) {
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
    Session session(places[0], parsed.fileType, {places.begin() + 1, places.end()}, parsed.Has("--write"));
    session.Load(document);
    WriteCatalogueText(session.workspace, std::cout);
    return 0;
}

// The start of a command on an opened document: [--type NAME] [flags] DIR DOC, then up to
// `optionalCount` arguments of the command's own, which land in `rest`. Nothing is written to disk.
std::unique_ptr<Session> OpenDocumentWith(const StartArguments& parsed, size_t optionalCount,
                                          std::vector<std::string>& rest) {
    if (parsed.places.size() < 2 || parsed.places.size() > 2 + optionalCount) throw UsageError();
    rest.assign(parsed.places.begin() + 2, parsed.places.end());
    auto session = std::make_unique<Session>(parsed.places[0], parsed.fileType,
                                             std::vector<std::string>{parsed.places[1]}, false);
    session->Load(parsed.places[1]);
    return session;
}

// As OpenDocumentWith, for a command that takes exactly `restCount` arguments of its own.
std::unique_ptr<Session> OpenDocument(const std::vector<std::string>& args, size_t restCount,
                                      std::vector<std::string>& rest) {
    const StartArguments parsed = ParseStartArguments(args, {});
    if (parsed.places.size() != 2 + restCount) throw UsageError();
    return OpenDocumentWith(parsed, restCount, rest);
}

int Usages(const std::vector<std::string>& args) {
    std::vector<std::string> code;
    const std::unique_ptr<Session> session = OpenDocument(args, 1, code);
    for (const Usage& usage : FindUsages(*session->workspace.DocumentIni, code[0], session->globals.CaseSensitive))
        std::cout << usage.SectionName << '\t' << usage.Text << '\n';
    return 0;
}

// The definition file's [ValueKinds] lines that could not be read, on stderr: the check goes on
// with the kinds it learned for those keys.
void PrintPinProblems(const ValueCheck& check) {
    for (const std::string& problem : check.Problems()) std::cerr << problem << '\n';
}

int CheckValues(const Session& session) {
    const ValueCheck check(session.workspace);
    PrintPinProblems(check);
    const std::vector<ValueFinding> findings = check.Findings();
    std::string listing;
    for (const ValueFinding& finding : findings)
        listing.append(finding.SectionName).append("\t").append(finding.Key).append("\t").append(finding.Value)
            .append("\t").append(finding.Reason).append("\n");
    std::cout << listing;
    return findings.empty() ? 0 : 1;
}

int Check(const std::vector<std::string>& args) {
    const StartArguments parsed = ParseStartArguments(args, {"--values"});
    std::vector<std::string> none;
    const std::unique_ptr<Session> session = OpenDocumentWith(parsed, 0, none);
    if (parsed.Has("--values")) return CheckValues(*session);
    const std::vector<DanglingItem> dangling = FindDanglingItems(session->workspace);
    for (const DanglingItem& item : dangling)
        std::cout << item.SectionName << '\t' << item.Key << '\t' << item.Item << '\n';
    return dangling.empty() ? 0 : 1;
}

// The balance table of a category: tab-separated on stdout, or a CSV file with --csv.
int Table(const std::vector<std::string>& args) {
    const StartArguments parsed = ParseStartArguments(args, {}, {"--page", "--keys", "--csv"});
    if (parsed.places.size() != 3 || (parsed.Option("--page") && parsed.Option("--keys"))) throw UsageError();
    Session session(parsed.places[0], parsed.fileType, {parsed.places[1]}, false);
    session.Load(parsed.places[1]);
    std::optional<std::vector<std::string>> ids;
    if (const auto keys = parsed.Option("--keys")) {
        ids.emplace();
        for (size_t start = 0; start <= keys->size();) {
            const size_t comma = std::min(keys->find(',', start), keys->size());
            ids->push_back(keys->substr(start, comma - start));
            start = comma + 1;
        }
    }
    const std::string& category = parsed.places[2];
    const BalanceTable table(session.workspace, category,
                             ChosenColumns(session.workspace, category, parsed.Option("--page"), ids));
    const std::vector<size_t> rows = table.CatalogueOrder();
    if (const auto csv = parsed.Option("--csv"))
        WriteTableFile(table, rows, *csv);
    else
        std::cout << TableTabs(table, rows);
    return 0;
}

int Kinds(const std::vector<std::string>& args) {
    std::vector<std::string> only;
    const std::unique_ptr<Session> session = OpenDocumentWith(ParseStartArguments(args, {}), 1, only);
    const ValueCheck check(session->workspace);
    PrintPinProblems(check);
    const KindLearner& learner = check.Learner();
    int shown = only.empty() ? -1 : learner.CategoryIndex(only[0]);
    if (!only.empty() && shown < 0) throw IniError("No category " + only[0]);
    std::string listing;
    for (size_t c = 0; c < learner.Categories().size(); ++c) {
        if (shown >= 0 && c != static_cast<size_t>(shown)) continue;
        listing.append("[").append(learner.Categories()[c].Name).append("]\n");
        for (const KeyKind& kind : check.KindsOf(c)) {
            listing.append(kind.Key).append("\t").append(KindText(kind.Count.Kind)).append("\t");
            listing.append(std::to_string(kind.Count.Fit)).append(" of ").append(std::to_string(kind.Count.Values));
            if (kind.Pinned) listing.append(" (pinned)");
            if (kind.Count.AcrossCategories) listing.append(" (all categories)");
            listing.append("\n");
        }
    }
    std::cout << listing;
    return 0;
}

int Edit(const std::vector<std::string>& args) {
    const StartArguments parsed = ParseStartArguments(args, {}, {"--output"});
    if (parsed.places.size() != 2) throw UsageError();
    const std::string& documentFile = parsed.places[1];
    Session session(parsed.places[0], parsed.fileType, {documentFile}, false);
    session.Load(documentFile);

    ScriptedEdits edits(session.workspace);
    std::string line;
    for (size_t number = 1; std::getline(std::cin, line); ++number) {
        try {
            edits.Run(line);
            for (const std::string& note : edits.TakeNotes()) std::cerr << note << '\n';
            for (const std::string& shown : edits.TakeOutput()) std::cout << shown << '\n';
        } catch (const std::exception& error) {
            std::cerr << "line " << number << ": " << error.what() << '\n';
            return 1;
        }
    }
    if (const auto& saved = edits.Saved()) {
        // The script's edits were made on the document as it was read: another program's change
        // since then would be overwritten unseen.
        RefuseSaveOverChangedFile(session.workspace, saved->Definition.has_value());
        WriteSaveTexts(*saved, parsed.Option("--output").value_or(documentFile),
                       session.workspace.DefinitionIni->FileName());
    }
    return 0;
}

// diff: 1 reports differences, so an error has a code of its own.
constexpr int DiffFailed = 3;

int CompareWithReference(const std::vector<std::string>& args) {
    const StartArguments parsed = ParseStartArguments(args, {}, {"--against", "--patch"});
    if (parsed.places.size() != 2) throw UsageError();
    const std::string& documentFile = parsed.places[1];
    const std::optional<std::string> against = parsed.Option("--against");
    const std::optional<std::string> patch = parsed.Option("--patch");

    Session session(parsed.places[0], parsed.fileType, {documentFile}, false);
    Workspace& workspace = session.workspace;
    const Globals& globals = session.globals;
    // The file type's default copy and its settings (the letter-case flag among them); listing
    // differences needs no catalogue.
    workspace.BeginLoadDefault_INI_file();
    workspace.ReadCreate_001FilenameAndDefault();
    // A missing reference would read as empty, and every section would look new.
    const std::string referenceFile = against.value_or(globals.DefaultFileName);
    if (!platform::IsRegularFile(referenceFile)) throw IniError::CannotOpen(referenceFile);

    const TMemIniFile document(documentFile, &globals.CaseSensitive);
    const TMemIniFile reference(referenceFile, &globals.CaseSensitive);
    const std::vector<Difference> differences = CompareStores(document, reference, globals.CaseSensitive);
    if (patch) {
        std::error_code ec;
        for (const auto& [file, role] : {std::pair{documentFile, "document"}, std::pair{referenceFile, "reference"}})
            if (std::filesystem::equivalent(platform::ToPath(file), platform::ToPath(*patch), ec))
                throw IniError(*patch + " is the " + role + " itself");
        platform::WriteWholeFile(*patch, PatchText(document, differences));
        if (const size_t removals = PatchRemovals(differences).size(); removals > 0)
            std::cerr << "warning: " << PatchRemovalsWarning(removals) << '\n';
    }
    std::string listing;
    for (const Difference& difference : differences) listing.append(DifferenceText(difference)).append("\n");
    std::cout << listing;
    return differences.empty() ? 0 : 1;
}

int Diff(const std::vector<std::string>& args) {
    try {
        return CompareWithReference(args);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return DiffFailed;
    }
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
    if (args[0] == "diff") return Diff(rest);
    if (args[0] == "usages") return Usages(rest);
    if (args[0] == "check") return Check(rest);
    if (args[0] == "table") return Table(rest);
    if (args[0] == "kinds") return Kinds(rest);
    if (args[0] == "edit") return Edit(rest);
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
