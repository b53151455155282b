// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// What a file held when the program last read it or wrote it: enough to tell whether another
// program has changed it since. Size and modification time are the quick check; the hash of the
// bytes settles it when the time moved but the size did not (a file touched, or saved unchanged).
struct DiskStamp {
    bool Exists = false;
    uint64_t Size = 0;
    int64_t ModifiedTicks = 0;  // the file system's modification time, in its own ticks
    uint64_t Hash = 0;          // HashOfBytes of the content

    bool operator==(const DiskStamp&) const = default;
};

enum class DiskChange { None, Changed, Deleted };

// A 64-bit hash of the bytes (FNV-1a): the same on every platform, so a stamp kept in a file can
// be checked by another build.
uint64_t HashOfBytes(std::string_view bytes);

// The stamp of `fileName` as it now stands; Exists false when there is no regular file of that
// name. Throws IniError "Cannot open file <name>" when the file exists but cannot be read.
DiskStamp TakeDiskStamp(const std::string& fileName);

// The stamp of a file the program has just written with `content`: the time is read from the
// disk, the bytes are not read back.
DiskStamp StampOfWritten(const std::string& fileName, std::string_view content);

// The size and time of `fileName` as it now stands, without reading it (Hash 0): what tells a file
// that is still being written from one that has stood still.
DiskStamp GlanceAtFile(const std::string& fileName);

// Whether the text of `fileName` looks cut short, as a program that has not finished writing it
// leaves it: empty, or ending in the middle of a line. What the editor writes always ends with a
// line break. False when there is no such file or it cannot be read.
bool LooksCutShort(const std::string& fileName);

// How `fileName` differs from `stamp`: Deleted when the file is gone, Changed when it came, its
// size differs, or its time moved and its bytes differ. The bytes are read only when the size
// and time alone cannot decide.
DiskChange ChangeOnDisk(const DiskStamp& stamp, const std::string& fileName);

}  // namespace velmora
