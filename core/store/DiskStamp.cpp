// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/DiskStamp.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/store/PlatformFile.h"

namespace velmora {

namespace {

struct Attributes {
    uint64_t Size = 0;
    int64_t ModifiedTicks = 0;
};

// Size and time of a regular file; none when there is none.
std::optional<Attributes> AttributesOf(const std::string& fileName) {
    std::error_code error;
    const std::filesystem::path path = platform::ToPath(fileName);
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    return Attributes{static_cast<uint64_t>(size), static_cast<int64_t>(time.time_since_epoch().count())};
}

}  // namespace

namespace {

constexpr uint64_t HashStart = 14695981039346656037ULL;

// The hash of bytes that follow those `hash` was taken of: a file hashed a piece at a time hashes
// as it would whole.
uint64_t ContinueHash(uint64_t hash, std::string_view bytes) {
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return hash;
}

}  // namespace

uint64_t HashOfBytes(std::string_view bytes) { return ContinueHash(HashStart, bytes); }

DiskStamp TakeDiskStamp(const std::string& fileName) {
    // The time first: a write that comes between it and the read moves the time again, so the
    // next check reads the bytes rather than trusting a stamp older than its hash.
    const std::optional<Attributes> attributes = AttributesOf(fileName);
    if (!attributes) return {};
    // Read a piece at a time: a stamp is taken right after a load, which holds the bytes already.
    uint64_t size = 0;
    uint64_t hash = HashStart;
    const bool read = platform::ReadFileInPieces(fileName, [&size, &hash](std::string_view piece) {
        size += piece.size();
        hash = ContinueHash(hash, piece);
    });
    if (!read) return {};
    return {true, size, attributes->ModifiedTicks, hash};
}

DiskStamp StampOfWritten(const std::string& fileName, std::string_view content) {
    const std::optional<Attributes> attributes = AttributesOf(fileName);
    if (!attributes) return {};
    return {true, static_cast<uint64_t>(content.size()), attributes->ModifiedTicks, HashOfBytes(content)};
}

DiskStamp GlanceAtFile(const std::string& fileName) {
    const std::optional<Attributes> attributes = AttributesOf(fileName);
    if (!attributes) return {};
    return {true, attributes->Size, attributes->ModifiedTicks, 0};
}

bool LooksCutShort(const std::string& fileName) {
    const std::optional<std::string> end = platform::ReadFileEnd(fileName, 1);
    if (!end) return false;
    return end->empty() || (end->back() != '\n' && end->back() != '\r');
}

DiskChange ChangeOnDisk(const DiskStamp& stamp, const std::string& fileName) {
    const std::optional<Attributes> attributes = AttributesOf(fileName);
    if (!attributes) return stamp.Exists ? DiskChange::Deleted : DiskChange::None;
    if (!stamp.Exists || attributes->Size != stamp.Size) return DiskChange::Changed;
    if (attributes->ModifiedTicks == stamp.ModifiedTicks) return DiskChange::None;
    const DiskStamp now = TakeDiskStamp(fileName);
    if (!now.Exists) return DiskChange::Deleted;
    return now.Size == stamp.Size && now.Hash == stamp.Hash ? DiskChange::None : DiskChange::Changed;
}

}  // namespace velmora
