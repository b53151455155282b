// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>
#include <string>
#include <vector>

namespace velmora::cli {

using Arguments = std::vector<std::string>;

// Thrown for arguments a command does not take; the program then prints the usage and exits with 2.
struct UsageError {};

// One command of velmora-ini: its name, its arguments as the usage shows them, and what runs it
// (the arguments after the name; the result is the exit code). Each command lives in a file of its
// own; Commands.cpp holds the table.
struct Command {
    std::string_view Name;
    std::string_view Usage;
    int (*Run)(const Arguments& args);
};

int Format(const Arguments& args);
int Catalogue(const Arguments& args);
int Scaffold(const Arguments& args);
int Diff(const Arguments& args);
int Usages(const Arguments& args);
int Check(const Arguments& args);
int Kinds(const Arguments& args);
int Table(const Arguments& args);
int Edit(const Arguments& args);
int Effective(const Arguments& args);
int Conflicts(const Arguments& args);

// Every command, in the order the usage lists them.
const std::vector<Command>& Commands();
// The usage of every command, and the lines `edit` reads.
std::string UsageText();
// Runs the command named by the first argument. Throws UsageError when there is none.
int Run(const Arguments& args);

}  // namespace velmora::cli
