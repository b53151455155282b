// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/DiskStamp.h"

namespace velmora {

// A recovery file keeps the bytes of a document with unsaved changes, so that a program that ends
// before a save (a crash, a power cut) loses nothing. It starts with a short header naming the
// document and the file as it was when the document was read, then holds the document's bytes as
// they would be saved; their length and hash let a damaged file be told from a good one.

// What a recovery file says about its document.
struct RecoveryRecord {
    std::string DocumentPath;  // the document's file name, as the program named it
    DiskStamp Loaded;          // the file as it was read (Exists false: a document never saved)
    int64_t SavedAt = 0;       // when the copy was made, in seconds since 1970 (UTC)
};

struct Recovery {
    RecoveryRecord Record;
    std::string Bytes;
};

// The whole text of a recovery file.
std::string RenderRecovery(const RecoveryRecord& record, std::string_view bytes);
// The record and bytes of a recovery file's text. Throws IniError "not a recovery file" or "the
// recovery file is damaged" when the text is not one the program wrote whole.
Recovery ParseRecovery(std::string_view text);

// The recovery files live in one folder of the user's own data. The file of the document
// `documentPath` (a name of its own for each document, so that several are kept side by side),
// and a further name for a copy that is to be kept beside it, made at `time`.
std::string RecoveryFileName(const std::string& dir, const std::string& documentPath);
std::string KeptRecoveryFileName(const std::string& dir, const std::string& documentPath, int64_t time);
// The recovery files in `dir`, full names in byte order; none when there is no such folder.
std::vector<std::string> RecoveryFiles(const std::string& dir);

// Writes the recovery file `fileName`, making its folder when needed, without ever leaving a
// half-written file. Throws IniError "Cannot create file <name>".
void WriteRecoveryFile(const std::string& fileName, const RecoveryRecord& record, std::string_view bytes);
// Throws IniError naming the file when it cannot be read or is no whole recovery file.
Recovery ReadRecoveryFile(const std::string& fileName);
// Removes it; nothing when there is none. Throws IniError when it stays.
void RemoveRecoveryFile(const std::string& fileName);

// Whether the document's file has changed on disk since the recovered document was read from it.
bool ChangedSinceRecovery(const RecoveryRecord& record);
// The question asked before a recovery is put back.
std::string RestoreQuestion(const RecoveryRecord& record, bool changedOnDisk);

}  // namespace velmora
