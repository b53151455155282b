// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"

namespace velmora::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"format", "IN OUT", Format},
        {"catalogue", "[--type NAME] [--write] DIR [DOC]", Catalogue},
        {"scaffold", "[--force] [[--type NAME] --mod MODFOLDER DIR] DOC OUT", Scaffold},
        {"diff", "[--type NAME] DIR DOC [--against FILE] [--patch OUT]", Diff},
        {"usages", "[--type NAME] DIR DOC CODE | --mod MODFOLDER DIR CODE", Usages},
        {"check", "[--values] [--type NAME] [--layer FILE]... DIR DOC | --mod MODFOLDER [--layer FILE]... DIR", Check},
        {"kinds", "[--type NAME] DIR DOC [CATEGORY] | [--type NAME] --mod MODFOLDER DIR [CATEGORY]", Kinds},
        {"table", "[--type NAME] DIR DOC CATEGORY [--page P | --keys K1,K2,...] [--csv OUT | --xlsx OUT]", Table},
        {"edit", "[--type NAME] [--layer FILE]... DIR DOC [--output FILE] < COMMANDS | [--type NAME] --mod MODFOLDER DIR < COMMANDS", Edit},
        {"effective",
         "[--type NAME] [--layer FILE]... DIR DOC CODE [KEY] | "
         "[--type NAME] --mod MODFOLDER [--layer FILE]... DIR CODE [KEY]",
         Effective},
        {"conflicts",
         "[--type NAME] [--all] [--layer FILE]... DIR DOC | "
         "[--type NAME] [--all] --mod MODFOLDER [--layer FILE]... DIR",
         Conflicts},
    };
    return commands;
}

std::string UsageText() {
    std::string text;
    for (const Command& command : Commands())
        text.append(text.empty() ? "usage: " : "       ")
            .append("velmora-ini ")
            .append(command.Name)
            .append(" ")
            .append(command.Usage)
            .append("\n");
    // The lines edit reads, one per line with tab-separated fields, as ScriptedEdits runs them.
    text += "COMMANDS of edit, one a line, fields separated by tabs:\n"
            "       set CODE KEY VALUE\n"
            "       duplicate CATEGORY CODE NEWCODE [NAME]\n"
            "       rename CATEGORY CODE NEWCODE [NAME]\n"
            "       rename-all CATEGORY CODE NEWCODE [all] [NAME]\n"
            "       replace KEY OLD NEW\n"
            "       delete CATEGORY CODE\n"
            "       revert CODE [KEY]\n"
            "       import-table CATEGORY FILE\n"
            "       target document | target FILE\n"
            "       undo | redo | save\n";
    return text;
}

int Run(const Arguments& args) {
    if (args.empty()) throw UsageError();
    for (const Command& command : Commands())
        if (args[0] == command.Name) return command.Run(Arguments(args.begin() + 1, args.end()));
    throw UsageError();
}

}  // namespace velmora::cli
