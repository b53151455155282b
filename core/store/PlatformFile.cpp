// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/PlatformFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <random>
#include <system_error>

#include "core/store/IniError.h"
#include "core/store/TextCase.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

namespace velmora::platform {
namespace {

std::function<bool()>& WriteFault() {
    static std::function<bool()> fault;
    return fault;
}

std::function<int(WriteStep, std::string_view)>& StepFault() {
    static std::function<int(WriteStep, std::string_view)> fault;
    return fault;
}

// The error a test makes `step` fail with for the file `name`; none when no test asks.
std::error_code InjectedError(WriteStep step, std::string_view name) {
    const int error = StepFault() ? StepFault()(step, name) : 0;
    return error == 0 ? std::error_code() : std::error_code(error, std::generic_category());
}

// The error of the C library call that just failed.
std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Why a file call failed, as the user reads it after "Cannot create file X: ".
std::string ReasonText(const std::error_code& error) {
    if (!error) return "the system gave no reason";
    if (error == std::errc::no_space_on_device) return "the disk is full";
#ifdef EDQUOT
    if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
        return "the disk quota is used up";
#endif
    if (error == std::errc::read_only_file_system) return "the disk is read-only";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "permission denied";
    if (error == std::errc::file_too_large) return "the file is too large for the disk";
    std::string text = error.message();
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        text.pop_back();
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text.empty() ? "error " + std::to_string(error.value()) : text;
}

std::string FolderText(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    return PathText(folder).value_or(std::string("?"));
}

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* OpenFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool FlushToDevice(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Why the user may not write the existing file `path`; no error when they may.
std::error_code WriteDenied(const fs::path& path) {
#ifdef _WIN32
    if (_waccess(path.c_str(), 2) == 0) return {};
#else
    if (access(path.c_str(), W_OK) == 0) return {};
#endif
    return LastError();
}

// Follows a chain of symbolic links to the file that is really written.
fs::path ResolveLinks(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hops) {
        fs::path next = fs::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Creates a new, empty temporary file beside `target`; never reuses an existing name. The write
// holds it locked while it is open, so that a cleanup by another copy of the program leaves it be.
FileHandle CreateTemporary(const fs::path& target, fs::path& tempPath, std::error_code& error) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = target;
        tempPath += ".~" + std::to_string(random() % 1000000) + ".tmp";
        if (std::FILE* file = OpenFile(tempPath, "wbx")) {
#ifndef _WIN32
            // Windows holds a file open for writing against removal without being asked.
            flock(fileno(file), LOCK_EX | LOCK_NB);
#endif
            return FileHandle(file);
        }
        error = LastError();
        if (error != std::errc::file_exists) break;
    }
    return nullptr;
}

// Puts the written temporary file in the target's place in one step: a reader sees the old file
// or the new one, never a mix. Windows refuses while another program holds the target open
// without sharing it for deletion; the target then stays as it was.
std::error_code ReplaceByRename(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return {};
    return {static_cast<int>(GetLastError()), std::system_category()};
#else
    std::error_code ec;
    fs::rename(from, to, ec);
    return ec;
#endif
}

}  // namespace

void KeepLargeBlocksReturnable() {
#if defined(__GLIBC__)
    // Fixed thresholds: the allocator would otherwise raise them after the first large block is
    // freed and keep every later one. 64 KiB wastes little to page rounding and keeps the many
    // small blocks of a document in the pools.
    constexpr int kLargeBlock = 64 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargeBlock);
    mallopt(M_TRIM_THRESHOLD, kLargeBlock);
    // One pool for the window thread and one for the background builds, instead of one per thread.
    mallopt(M_ARENA_MAX, 2);
#endif
}

void GiveBackFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

fs::path ToPath(std::string_view text) {
#ifdef _WIN32
    // Each byte is the Latin-1 character it stands for, as at the widget boundary; the runtime's
    // own conversion would depend on the code page and differ between compilers.
    std::wstring wide(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return fs::path(std::move(wide));
#else
    std::string native(text);
    for (char& c : native)
        if (c == '\\') c = '/';
    return fs::path(native);
#endif
}

std::optional<std::string> PathText(const fs::path& path) {
#ifdef _WIN32
    std::string text;
    text.reserve(path.native().size());
    for (wchar_t c : path.native()) {
        if (static_cast<unsigned>(c) > 0xFF) return std::nullopt;
        text += static_cast<char>(c);
    }
    return text;
#else
    return path.native();
#endif
}

std::string AbsoluteName(std::string_view fileName) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(ToPath(fileName), ec);
    if (ec || fileName.empty()) return std::string(fileName);
    return PathText(absolute.lexically_normal()).value_or(std::string(fileName));
}

bool IsRegularFile(std::string_view fileName) {
    if (fileName.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(ToPath(fileName), ec);
}

std::optional<std::string> ReadWholeFile(std::string_view fileName) {
    if (!IsRegularFile(fileName)) return std::nullopt;
    const std::string name(fileName);
    FileHandle file(OpenFile(ToPath(fileName), "rb"));
    if (!file) throw IniError::CannotOpen(name);
    std::string content;
    std::error_code ec;
    auto size = fs::file_size(ToPath(fileName), ec);
    if (!ec) content.reserve(static_cast<size_t>(size));
    char buffer[1 << 16];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
    if (std::ferror(file.get())) throw IniError::CannotOpen(name);
    return content;
}

bool ReadFileInPieces(std::string_view fileName, const std::function<void(std::string_view)>& piece) {
    if (!IsRegularFile(fileName)) return false;
    FileHandle file(OpenFile(ToPath(fileName), "rb"));
    if (!file) throw IniError::CannotOpen(std::string(fileName));
    std::vector<char> buffer(size_t{1} << 16);
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0)
        piece(std::string_view(buffer.data(), got));
    if (std::ferror(file.get())) throw IniError::CannotOpen(std::string(fileName));
    return true;
}

std::optional<std::string> ReadFileEnd(std::string_view fileName, size_t count) {
    if (!IsRegularFile(fileName)) return std::nullopt;
    FileHandle file(OpenFile(ToPath(fileName), "rb"));
    if (!file) return std::nullopt;
    std::error_code ec;
    const uintmax_t size = fs::file_size(ToPath(fileName), ec);
    if (ec) return std::nullopt;
    const uintmax_t start = size > count ? size - count : 0;
#ifdef _WIN32
    const bool placed = _fseeki64(file.get(), static_cast<long long>(start), SEEK_SET) == 0;
#else
    const bool placed = fseeko(file.get(), static_cast<off_t>(start), SEEK_SET) == 0;
#endif
    if (!placed) return std::nullopt;
    std::string end(static_cast<size_t>(size - start), '\0');
    end.resize(std::fread(end.data(), 1, end.size(), file.get()));
    if (std::ferror(file.get())) return std::nullopt;
    return end;
}

std::vector<std::string> RegularFileNames(std::string_view dir) {
    std::vector<std::string> names;
    std::error_code ec;
    // Stepping with an error code: a folder that fails part-way gives what was read so far.
    for (fs::directory_iterator entry(ToPath(dir), ec); !ec && entry != fs::directory_iterator();
         entry.increment(ec)) {
        std::error_code typeError;
        if (!entry->is_regular_file(typeError)) continue;
        // A name the byte texts cannot spell can never be asked for by one.
        if (std::optional<std::string> name = PathText(entry->path().filename())) names.push_back(std::move(*name));
    }
    return names;
}

bool FileNamesIgnoreCase() {
#if defined(_WIN32) || defined(__APPLE__)
    return true;
#else
    return false;
#endif
}

std::string ExistingFileName(std::string_view fileName) {
    if (fileName.empty() || IsRegularFile(fileName) || FileNamesIgnoreCase()) return std::string(fileName);
    const size_t slash = fileName.find_last_of("/\\");
    const std::string_view dir =
        slash == std::string_view::npos ? std::string_view() : fileName.substr(0, slash + 1);
    const std::string_view name = fileName.substr(dir.size());
    if (name.empty()) return std::string(fileName);
    const std::string* found = nullptr;
    const std::vector<std::string> names = RegularFileNames(dir.empty() ? std::string_view(".") : dir);
    for (const std::string& candidate : names)
        if (EqualsNoCase(candidate, name) && (!found || candidate < *found)) found = &candidate;
    if (!found) return std::string(fileName);
    return std::string(dir) + *found;
}

#ifdef _WIN32

std::unique_ptr<FileLock> FileLock::TryTake(std::string_view fileName) {
    fs::path path = ToPath(fileName);
    // Opened without sharing, nobody else can open it until it is closed; the system closes it,
    // and deletes it, when the program ends.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        return std::unique_ptr<FileLock>(new FileLock(std::move(path), reinterpret_cast<std::intptr_t>(handle)));
    const DWORD error = GetLastError();
    // Held by another, or let go by one and not yet deleted.
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) return nullptr;
    throw IniError::CannotCreate(std::string(fileName));
}

FileLock::~FileLock() { CloseHandle(reinterpret_cast<HANDLE>(m_handle)); }

#else

std::unique_ptr<FileLock> FileLock::TryTake(std::string_view fileName) {
    fs::path path = ToPath(fileName);
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Not handed down to the programs this one starts (the game), which would hold the lock on.
        const int handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (handle < 0) throw IniError::CannotCreate(std::string(fileName));
        if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(handle);
            if (error == EWOULDBLOCK) return nullptr;
            throw IniError::CannotCreate(std::string(fileName));
        }
        // The holder before may have deleted the file while letting go: a lock on a file no longer
        // under that name guards nothing, and a fresh file is taken instead.
        struct stat held {};
        struct stat named {};
        if (::fstat(handle, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino)
            return std::unique_ptr<FileLock>(new FileLock(std::move(path), handle));
        ::close(handle);
    }
    return nullptr;
}

FileLock::~FileLock() {
    // Deleted while still held, so that nobody takes a lock on a file that is about to go.
    ::unlink(m_path.c_str());
    ::close(static_cast<int>(m_handle));
}

#endif

namespace {

std::function<bool(std::string_view)>& ReplaceFault() {
    static std::function<bool(std::string_view)> fault;
    return fault;
}

// A file whose new content is written beside it and not yet in its place.
struct PreparedFile {
    std::string name;
    fs::path target;
    fs::path temp;
};

// Why the temporary file beside `target` could not be made.
std::string CreateFailure(const fs::path& target, const std::error_code& error) {
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return "the folder " + FolderText(target) + " does not exist";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "the folder " + FolderText(target) + " may not be written to (permission denied)";
    return ReasonText(error);
}

// Writes `content` into a new temporary file beside the file `fileName` (links followed), flushed
// to the device and with the target's permission bits. Throws IniError "Cannot create file <name>:
// <why>" and leaves nothing behind on any failure.
PreparedFile Prepare(std::string_view fileName, std::string_view content) {
    PreparedFile prepared{std::string(fileName), {}, {}};
    if (fileName.empty()) throw IniError::CannotCreate(prepared.name);
    const auto failure = [&prepared](const std::string& reason) {
        return IniError::CannotCreate(prepared.name, reason);
    };
    prepared.target = ResolveLinks(ToPath(fileName));
    std::error_code ec;
    const fs::file_status targetStatus = fs::status(prepared.target, ec);
    if (fs::is_directory(targetStatus)) throw failure("it is a folder");
    // Renaming over a file would replace it even where the user may not write it.
    if (fs::exists(targetStatus)) {
        if (const std::error_code denied = WriteDenied(prepared.target))
            throw failure(denied == std::errc::read_only_file_system ? ReasonText(denied)
                                                                     : "the file is read-only (" + ReasonText(denied) + ")");
    }

    std::error_code error = InjectedError(WriteStep::CreateTemporary, prepared.name);
    FileHandle file = error ? nullptr : CreateTemporary(prepared.target, prepared.temp, error);
    if (!file) throw failure(CreateFailure(prepared.target, error));

    error = InjectedError(WriteStep::Write, prepared.name);
    if (!error && WriteFault() && WriteFault()()) {
        // Simulates a device that fills up after part of the text went out.
        std::fwrite(content.data(), 1, content.size() / 2, file.get());
        error = std::make_error_code(std::errc::no_space_on_device);
    }
    if (!error && std::fwrite(content.data(), 1, content.size(), file.get()) != content.size()) error = LastError();
    if (!error && !FlushToDevice(file.get())) error = LastError();
    if (std::fclose(file.release()) != 0 && !error) error = LastError();
    if (!error && fs::exists(targetStatus)) fs::permissions(prepared.temp, targetStatus.permissions(), ec);
    if (error) {
        fs::remove(prepared.temp, ec);
        throw failure(ReasonText(error));
    }
    return prepared;
}

// The old content of a replaced file, kept under a second name until every file of the save is in
// place; none for a file that did not exist, or, with `error` set, that could not be kept.
std::optional<fs::path> KeepOld(const fs::path& target, std::error_code& error) {
    std::error_code ec;
    if (!fs::exists(target, ec)) return std::nullopt;
    fs::path kept;
    for (int attempt = 0; attempt < 16; ++attempt) {
        kept = target;
        kept += ".~old" + (attempt == 0 ? std::string() : std::to_string(attempt));
        if (!fs::exists(kept, ec)) break;
    }
    fs::create_hard_link(target, kept, error);
    if (error) {
        error.clear();
        fs::copy_file(target, kept, fs::copy_options::overwrite_existing, error);
    }
    if (error) return std::nullopt;
    return kept;
}

// Whether a write that is still running holds the temporary file `temp`.
bool HeldByAWrite(const fs::path& temp) {
#ifdef _WIN32
    // Windows refuses to remove a file that a write holds open.
    (void)temp;
    return false;
#else
    const int descriptor = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return true;  // cannot tell: left alone
    const bool held = flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(descriptor);  // lets go of the lock taken to look
    return held;
#endif
}

// "<name>.~<number>.tmp", as CreateTemporary names its files.
bool IsTemporaryName(std::string_view name) {
    constexpr std::string_view mark = ".~";
    constexpr std::string_view end = ".tmp";
    if (name.size() <= end.size() || name.substr(name.size() - end.size()) != end) return false;
    const std::string_view rest = name.substr(0, name.size() - end.size());
    const size_t at = rest.rfind(mark);
    if (at == std::string_view::npos || at == 0) return false;
    const std::string_view number = rest.substr(at + mark.size());
    if (number.empty() || number.size() > 7) return false;
    for (const char digit : number)
        if (digit < '0' || digit > '9') return false;
    return true;
}

}  // namespace

void RemoveStaleTemporaries(std::string_view fileName) {
    if (fileName.empty()) return;
    const fs::path target = ResolveLinks(ToPath(fileName));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator entry(folder, ec); !ec && entry != fs::directory_iterator(); entry.increment(ec)) {
        std::error_code entryError;
        if (!entry->is_regular_file(entryError)) continue;
        const std::optional<std::string> name = PathText(entry->path().filename());
        if (!name || !IsTemporaryName(*name)) continue;
        const auto written = entry->last_write_time(entryError);
        if (entryError || now - written < StaleTemporaryAge || HeldByAWrite(entry->path())) continue;
        fs::remove(entry->path(), entryError);
    }
}

void WriteWholeFile(std::string_view fileName, std::string_view content) { WriteFilesTogether({{fileName, content}}); }

void WriteFilesTogether(const std::vector<FileContent>& files) {
    for (const FileContent& file : files) RemoveStaleTemporaries(file.Name);
    std::vector<PreparedFile> prepared;
    std::error_code ec;
    try {
        for (const FileContent& file : files) prepared.push_back(Prepare(file.Name, file.Content));
    } catch (...) {
        for (const PreparedFile& file : prepared) fs::remove(file.temp, ec);
        throw;
    }

    // Each file in its place in turn; when one cannot be, those already replaced get their old
    // content back (or go, when they were new) and the rest stay as they were.
    struct Replaced {
        const PreparedFile* file;
        std::optional<fs::path> old;
    };
    std::vector<Replaced> replaced;
    for (size_t i = 0; i < prepared.size(); ++i) {
        const PreparedFile& file = prepared[i];
        std::string failure;
        std::optional<fs::path> old;
        std::error_code error;
        if (prepared.size() > 1) old = KeepOld(file.target, error);
        if (error) {
            failure = "its present content could not be kept aside (" + ReasonText(error) + ")";
        } else {
            error = InjectedError(WriteStep::Replace, file.name);
            if (!error && ReplaceFault() && ReplaceFault()(file.name))
                error = std::make_error_code(std::errc::device_or_resource_busy);
            if (!error) error = ReplaceByRename(file.temp, file.target);
            if (!error) {
                replaced.push_back({&file, old});
                continue;
            }
            failure = "the new text could not take its place (rename failed: " + ReasonText(error) + ")";
        }
        if (old) fs::remove(*old, ec);
        for (auto back = replaced.rbegin(); back != replaced.rend(); ++back) {
            if (!back->old) {
                fs::remove(back->file->target, ec);
                continue;
            }
            std::error_code putBack = InjectedError(WriteStep::PutBack, back->file->name);
            if (!putBack) putBack = ReplaceByRename(*back->old, back->file->target);
            // The old content stays where it is and the user is told where: it is theirs to put back.
            if (putBack)
                failure += ". " + back->file->name + " was already replaced, and its old content could not be put " +
                           "back (" + ReasonText(putBack) + "): it is kept as " +
                           PathText(*back->old).value_or(std::string("?"));
        }
        for (size_t j = i; j < prepared.size(); ++j) fs::remove(prepared[j].temp, ec);
        throw IniError::CannotCreate(file.name, failure);
    }
    for (const Replaced& file : replaced)
        if (file.old) fs::remove(*file.old, ec);
}

std::string WrittenThroughTemporary(std::string_view name, const std::function<void(const std::string&)>& write) {
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    fs::path temp;
    FileHandle file = ec ? nullptr : CreateTemporary(folder / ToPath(name), temp, ec);
    const std::optional<std::string> tempName = file ? PathText(temp) : std::nullopt;
    if (!tempName)
        throw IniError::CannotCreate(PathText(folder / ToPath(name)).value_or(std::string(name)), ReasonText(ec));
    file.reset();
    const auto removeTemp = [&temp] {
        std::error_code ignored;
        fs::remove(temp, ignored);
    };
    try {
        write(*tempName);
        std::optional<std::string> content = ReadWholeFile(*tempName);
        if (!content) throw IniError::CannotOpen(*tempName);
        removeTemp();
        return std::move(*content);
    } catch (...) {
        removeTemp();
        throw;
    }
}

void SetReplaceFaultForTesting(std::function<bool(std::string_view)> fault) { ReplaceFault() = std::move(fault); }

void SetWriteFaultForTesting(std::function<bool()> fault) { WriteFault() = std::move(fault); }

void SetStepFaultForTesting(std::function<int(WriteStep, std::string_view)> fault) {
    StepFault() = std::move(fault);
}

}  // namespace velmora::platform
