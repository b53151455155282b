// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The program's only contact with the operating system's file calls.
namespace velmora::platform {

// Sets the allocator up for documents of tens of megabytes, once at start: a large block (a loaded
// text, a list of a million lines, a block of the find index) comes from the system and goes back to
// it when freed, and the threads share few pools. Otherwise what a background build or a
// replaced document freed stays with the allocator, out of reach of the rest of the system.
void KeepLargeBlocksReturnable();
// Gives the pages the allocator holds free back to the system: what a big piece of work made and
// dropped lies in free blocks amid the blocks still in use, which later work may never fill.
void GiveBackFreeMemory();

// A path text as the file system sees it. Texts from Windows settings files use "\" between
// folders; elsewhere those become "/".
std::filesystem::path ToPath(std::string_view text);
// The text of a path, byte for byte as ToPath takes it; none when the path holds a character
// that has no byte (on Windows, one beyond Latin-1).
std::optional<std::string> PathText(const std::filesystem::path& path);

// The name as a full path, against the working directory when it is relative; the name as it is
// when no full path can be had or spelt in bytes.
std::string AbsoluteName(std::string_view fileName);

// True when the text names an existing regular file (a directory does not count).
bool IsRegularFile(std::string_view fileName);

// The whole content of a regular file; none when there is no regular file of that name.
// Throws IniError "Cannot open file <name>" when the file exists but cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view fileName);

// Hands the content of a regular file to `piece` a buffer at a time, for work that needs every byte
// but not all of them at once; false when there is no regular file of that name. Throws IniError
// "Cannot open file <name>" when the file exists but cannot be read.
bool ReadFileInPieces(std::string_view fileName, const std::function<void(std::string_view)>& piece);

// The last `count` bytes of a regular file, or all of it when it is shorter; none when there is no
// regular file of that name or it cannot be read.
std::optional<std::string> ReadFileEnd(std::string_view fileName, size_t count);

// The names of the regular files directly in the folder `dir` (links to regular files included),
// as the file system spells them; none when the folder does not exist or cannot be read.
std::vector<std::string> RegularFileNames(std::string_view dir);

// Whether the file system finds a file by its name without regard to letter case.
bool FileNamesIgnoreCase();

// The name under which the file `fileName` is found. Games installed through a compatibility layer
// spell their file names as they like ("RULES.INI", "rules.ini"): when no regular file has exactly
// that name, but its folder holds one whose name differs only in letter case, that file is meant,
// and its name (the first in byte order when several match) is given in the same folder text.
// Otherwise `fileName` as it is, so that a new file is made with the configured name.
std::string ExistingFileName(std::string_view fileName);

// A lock that this program holds on a file of its own while it runs. Another holder, in this
// program or another, cannot take it meanwhile; the operating system lets it go when the program
// ends, however it ends, so a lock left by a program that was killed is free to be taken again.
// The file is made when missing and goes when the lock is let go.
class FileLock {
public:
    // The lock of `fileName`; none while another holds it. Throws IniError "Cannot create file
    // <name>" when the file cannot be made.
    static std::unique_ptr<FileLock> TryTake(std::string_view fileName);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&&) = delete;
    FileLock& operator=(FileLock&&) = delete;

private:
    FileLock(std::filesystem::path path, std::intptr_t handle) : m_path(std::move(path)), m_handle(handle) {}

    std::filesystem::path m_path;
    std::intptr_t m_handle;  // the open file that holds the lock, as the system numbers it
};

// Replaces the file by `content` without ever leaving a half-written file: the bytes go into a
// temporary file in the same folder, which is flushed to the device and then renamed over the
// target. A symbolic link is written through to the file it points to; the target's permission
// bits are kept. Throws IniError "Cannot create file <name>: <why>" (the file is read-only, the
// folder may not be written, the disk is full, the rename failed...) and leaves the old file
// untouched on any failure.
void WriteWholeFile(std::string_view fileName, std::string_view content);

// A file's name and the whole content it is to hold.
struct FileContent {
    std::string_view Name;
    std::string_view Content;
};

// WriteWholeFile for several files as one save: all or none. Every file is written to its
// temporary file first; only then are they renamed into place, in order. When a rename fails, the
// files already replaced get their old content back (a file that was new goes), and IniError
// "Cannot create file <name>: <why>" names the file that failed; when an old content cannot be
// put back, the error also says under which name it is kept.
void WriteFilesTogether(const std::vector<FileContent>& files);

// For a library that writes only to a file it is given by name: `write` gets the name of a new,
// empty file in the system's temporary folder (its name begins with `name`), and what it wrote there
// comes back. The file is removed whatever happens. Throws IniError when no such file can be made
// or read back, and passes on what `write` throws.
std::string WrittenThroughTemporary(std::string_view name, const std::function<void(const std::string&)>& write);

// A write's temporary files are named after their target: "<name>.~<number>.tmp". One that a
// program killed during a save left behind is stale once no write holds it and it has not changed
// for this long; a live write changes its temporary file all the time and holds it locked.
inline constexpr std::chrono::seconds StaleTemporaryAge{60};
// Removes the stale temporary files from the folder of `fileName`, whichever file they were for.
// Every write does so beside the files it writes; a load beside the file it reads. Files that
// cannot be removed stay.
void RemoveStaleTemporaries(std::string_view fileName);

// The steps of a write that a test can make fail.
enum class WriteStep { CreateTemporary, Write, Replace, PutBack };
// Test seam: while set, each step asks the function, with the name of the file it is for, for the
// error number (errno) it fails with; 0 lets it go on.
void SetStepFaultForTesting(std::function<int(WriteStep, std::string_view)> fault);

// Test seam: while set, each write asks the function whether to fail part-way through.
void SetWriteFaultForTesting(std::function<bool()> fault);
// Test seam: while set, each rename into place asks the function, with the file's name, whether
// to fail.
void SetReplaceFaultForTesting(std::function<bool(std::string_view)> fault);

}  // namespace velmora::platform
