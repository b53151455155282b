// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

class Boxes;

// Which folder a start works on, and which document it opens, as its command line says.
struct StartOptions {
    enum class Folder {
        Working,     // no option: the folder it is started in
        Remembered,  // --choose-program-dir: the folder chosen once and remembered
        Named,       // --program-dir DIR
    };
    Folder folder = Folder::Working;
    std::string namedDir;
    // The document to open once the start is done (a full path); empty for none.
    std::string documentFile;
    // --mod DIR: the mod folder to open once the start is done, every kind of file together (a
    // full path); empty for none.
    std::string modFolder;
    // The files to read over the document (with a mod, over its rules) as layers, in the order
    // given (full paths).
    std::vector<std::string> layerFiles{};
};

constexpr const char* StartUsage = "usage: VelmoraEdit [--choose-program-dir | --program-dir DIR] "
                                   "[--layer FILE]... [--mod MODFOLDER | FILE] [--layer FILE]...";

// The options after the program's name. A FILE is made a full path against the working directory,
// the folder the start began in, before the start moves to the program folder. A desktop entry's
// field code left unexpanded by its launcher ("%f", "%U", ...) is no argument. Throws IniError
// with StartUsage for anything else. `withoutOption` is the folder of a start that names none.
StartOptions ParseStartOptions(const std::vector<std::string>& args,
                               StartOptions::Folder withoutOption = StartOptions::Folder::Working);

// Keeps the chosen program folder from one start to the next.
class FolderMemory {
public:
    virtual ~FolderMemory() = default;
    // Empty when no folder was chosen yet.
    virtual std::string Remembered() const = 0;
    virtual void Remember(const std::string& dir) = 0;
};

// The choice of the program folder by the user: the folder dialog, the offer of the installed
// sample for an empty folder, and the folder remembered for the next start.
class ProgramFolderChoice {
public:
    // `sampleDir`: the installed sample installation; none is offered when it does not exist.
    ProgramFolderChoice(Boxes& boxes, FolderMemory& memory, std::string sampleDir);

    // The remembered folder while it still exists.
    std::optional<std::string> Remembered() const;
    // Asks for a folder, proposing `proposedDir`, until the user picks an existing one or
    // cancels (none). An empty folder gets the sample if the user wants it; Cancel on that
    // question asks for the folder again. Throws IniError when the sample cannot be copied.
    std::optional<std::string> Ask(const std::string& proposedDir);
    void Remember(const std::string& dir) { m_memory.Remember(dir); }

private:
    bool OfferSample(const std::string& dir);

    Boxes& m_boxes;
    FolderMemory& m_memory;
    std::string m_sampleDir;
};

// The working directory as a text; "." when it cannot be had or spelt in bytes.
std::string WorkingFolder();
// Makes `dir` the working directory. Throws IniError "Cannot open folder DIR" when it cannot.
void EnterProgramFolder(const std::string& dir);

// Settles the folder a start works on and makes it the working directory: the folder it was
// started in, the named one, or the remembered one (asked for, and remembered, when there is
// none yet or it is gone). None when the user cancelled the question.
std::optional<std::string> StartProgramFolder(const StartOptions& options, ProgramFolderChoice& choice);

}  // namespace velmora
