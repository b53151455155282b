// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/PlatformFile.h"

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

bool MayWrite(const fs::path& path) {
#ifdef _WIN32
    return _waccess(path.c_str(), 2) == 0;
#else
    return access(path.c_str(), W_OK) == 0;
#endif
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

// Creates a new, empty temporary file beside `target`; never reuses an existing name.
FileHandle CreateTemporary(const fs::path& target, fs::path& tempPath) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = target;
        tempPath += ".~" + std::to_string(random() % 1000000) + ".tmp";
        if (std::FILE* file = OpenFile(tempPath, "wbx")) return FileHandle(file);
    }
    return nullptr;
}

// Puts the written temporary file in the target's place in one step: a reader sees the old file
// or the new one, never a mix. Windows refuses while another program holds the target open
// without sharing it for deletion; the target then stays as it was.
bool ReplaceByRename(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
#endif
}

}  // namespace

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

// Writes `content` into a new temporary file beside the file `fileName` (links followed), flushed
// to the device and with the target's permission bits. Throws IniError "Cannot create file" and
// leaves nothing behind on any failure.
PreparedFile Prepare(std::string_view fileName, std::string_view content) {
    PreparedFile prepared{std::string(fileName), {}, {}};
    if (fileName.empty()) throw IniError::CannotCreate(prepared.name);
    prepared.target = ResolveLinks(ToPath(fileName));
    std::error_code ec;
    const fs::file_status targetStatus = fs::status(prepared.target, ec);
    if (fs::is_directory(targetStatus)) throw IniError::CannotCreate(prepared.name);
    // Renaming over a file would replace it even where the user may not write it.
    if (fs::exists(targetStatus) && !MayWrite(prepared.target)) throw IniError::CannotCreate(prepared.name);

    FileHandle file = CreateTemporary(prepared.target, prepared.temp);
    if (!file) throw IniError::CannotCreate(prepared.name);

    bool written = true;
    const size_t half = content.size() / 2;
    if (WriteFault() && WriteFault()()) {
        // Simulates a device that fails after part of the text went out.
        std::fwrite(content.data(), 1, half, file.get());
        written = false;
    } else {
        written = std::fwrite(content.data(), 1, content.size(), file.get()) == content.size();
    }
    written = written && FlushToDevice(file.get());
    written = (std::fclose(file.release()) == 0) && written;
    if (written && fs::exists(targetStatus)) fs::permissions(prepared.temp, targetStatus.permissions(), ec);
    if (!written) {
        fs::remove(prepared.temp, ec);
        throw IniError::CannotCreate(prepared.name);
    }
    return prepared;
}

// The old content of a replaced file, kept under a second name until every file of the save is in
// place; none for a file that did not exist.
std::optional<fs::path> KeepOld(const fs::path& target) {
    std::error_code ec;
    if (!fs::exists(target, ec)) return std::nullopt;
    fs::path kept;
    for (int attempt = 0; attempt < 16; ++attempt) {
        kept = target;
        kept += ".~old" + (attempt == 0 ? std::string() : std::to_string(attempt));
        if (!fs::exists(kept, ec)) break;
    }
    fs::create_hard_link(target, kept, ec);
    if (ec) fs::copy_file(target, kept, fs::copy_options::overwrite_existing, ec);
    if (ec) throw IniError::CannotCreate(PathText(target).value_or(std::string()));
    return kept;
}

}  // namespace

void WriteWholeFile(std::string_view fileName, std::string_view content) { WriteFilesTogether({{fileName, content}}); }

void WriteFilesTogether(const std::vector<FileContent>& files) {
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
        fs::path target;
        std::optional<fs::path> old;
    };
    std::vector<Replaced> replaced;
    for (size_t i = 0; i < prepared.size(); ++i) {
        const PreparedFile& file = prepared[i];
        bool done = false;
        std::optional<fs::path> old;
        try {
            if (prepared.size() > 1) old = KeepOld(file.target);
            done = !(ReplaceFault() && ReplaceFault()(file.name)) && ReplaceByRename(file.temp, file.target);
        } catch (const IniError&) {
            done = false;
        }
        if (done) {
            replaced.push_back({file.target, old});
            continue;
        }
        if (old) fs::remove(*old, ec);
        for (auto back = replaced.rbegin(); back != replaced.rend(); ++back) {
            if (back->old)
                ReplaceByRename(*back->old, back->target);
            else
                fs::remove(back->target, ec);
        }
        for (size_t j = i; j < prepared.size(); ++j) fs::remove(prepared[j].temp, ec);
        throw IniError::CannotCreate(file.name);
    }
    for (const Replaced& file : replaced)
        if (file.old) fs::remove(*file.old, ec);
}

std::string WrittenThroughTemporary(std::string_view name, const std::function<void(const std::string&)>& write) {
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    fs::path temp;
    FileHandle file = ec ? nullptr : CreateTemporary(folder / ToPath(name), temp);
    const std::optional<std::string> tempName = file ? PathText(temp) : std::nullopt;
    if (!tempName) throw IniError::CannotCreate(PathText(folder / ToPath(name)).value_or(std::string(name)));
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

}  // namespace velmora::platform
