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
//   velmora-ini table [--type NAME] DIR DOC CATEGORY [--page P | --keys K1,K2,...] [--csv OUT | --xlsx OUT]
//       starts in DIR and opens DOC as catalogue does, then prints the balance table of CATEGORY,
//       tab-separated: a header "Code", "Name" and the keys, then one line per entry. The keys are
//       those of page P, the columns K1,K2,... ("Primary:Damage" follows the entry named in
//       Primary), or every key of the category's pages. --csv writes the table to OUT as CSV,
//       --xlsx as an .xlsx workbook.
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
//
// Each command lives in a file of its own (FormatCommand.cpp...); Commands.cpp holds the table
// that runs them and prints the usage.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "core/store/PlatformFile.h"

int main(int argc, char** argv) {
    velmora::platform::KeepLargeBlocksReturnable();
    try {
        return velmora::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const velmora::cli::UsageError&) {
        std::cerr << velmora::cli::UsageText();
        return 2;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
