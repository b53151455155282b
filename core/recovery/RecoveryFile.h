// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/DiskStamp.h"

namespace velmora {

namespace platform {
class FileLock;
}
class IniStore;
class Workspace;

// A recovery file keeps the unsaved work of a session, so that a program that ends before a save
// (a crash, a power cut) loses nothing: every file a save would write, as it would write it, with
// the kind of file and the program folder they were open under. Every field is a name, the length
// of its value and the value, so that a copy holds any bytes and a later version may add fields
// (and files of further roles) that this one passes over; a hash of the whole text at its end
// tells a damaged file from a good one.

// One file of the session.
struct RecoveredFile {
    // What the file is to the session: DocumentRole, DefinitionRole, or one of the layers over the
    // document, in the order they stack.
    std::string Role;
    std::string Path;  // its full name
    DiskStamp Loaded;  // the file as it was read (Exists false: a document never saved)
    std::string Bytes;
};

struct Recovery {
    static constexpr std::string_view DocumentRole = "document";
    static constexpr std::string_view DefinitionRole = "definition";
    // A layer with unsaved edits, its bytes as a save would write them; and one without, named
    // only (no bytes), to be read from its file again.
    static constexpr std::string_view LayerRole = "layer";
    static constexpr std::string_view LayerOnDiskRole = "layer on disk";
    // Why a copy was set aside rather than kept up with the edits: the document was read again
    // from disk over its unsaved changes.
    static constexpr std::string_view KeptOnReload = "reload";

    int64_t SavedAt = 0;        // when the copy was made, in seconds since 1970 (UTC)
    std::string FileType;       // the kind of file ("Rules.ini"); empty in a copy that did not say
    std::string ProgramFolder;  // the program folder it was open in; empty in a copy that did not say
    std::string Kept;           // why it was set aside; empty for the copy of a live session
    std::vector<RecoveredFile> Files;
    // The mod folder whose kind of file it was, the mod open as a whole; empty for a document open
    // alone.
    std::string ModFolder = {};

    // The file of `role`; none when the copy holds none.
    const RecoveredFile* File(std::string_view role) const;
    // The document: every recovery file holds one.
    const RecoveredFile& Document() const;
};

// The whole text of a recovery file.
std::string RenderRecovery(const Recovery& recovery);
// The recovery a file's text holds, in this format or the one of a single document that came
// before it. Throws IniError "not a recovery file" or "the recovery file is damaged" when the text
// is not one the program wrote whole.
Recovery ParseRecovery(std::string_view text);

// The recovery files live in one folder of the user's own data. The first name tried for a copy
// of the document `documentPath` (a name of its own for each document, so that several are kept
// side by side); RecoveryClaim::TakeNew finds a free one.
std::string RecoveryFileName(const std::string& dir, const std::string& documentPath);
// The recovery files in `dir`, full names in byte order; none when there is no such folder.
std::vector<std::string> RecoveryFiles(const std::string& dir);

// Throws IniError naming the file when it cannot be read or is no whole recovery file.
Recovery ReadRecoveryFile(const std::string& fileName);

// A recovery file held by this copy of the program. While one copy holds a file, no other copy
// offers it, writes it or deletes it; the hold goes with the claim, or with the program however it
// ends, and the file is then offered to the next copy that starts. Write and Remove may run on
// another thread than the one that took the claim.
class RecoveryClaim {
public:
    // `fileName`, for this copy; none while another copy (or another claim of this one) holds it.
    // Throws IniError when the folder takes no file.
    static std::unique_ptr<RecoveryClaim> Take(const std::string& fileName);
    // A new recovery file in `dir` for the document `documentPath`, its folder made when needed.
    // A name at which a file already lies is never taken: a file nobody holds is the work of a
    // session that ended, or one that cannot be read, and stays until the user decides. With
    // `keptAt`, a name for a copy set aside at that time. Throws IniError when none can be had.
    static std::unique_ptr<RecoveryClaim> TakeNew(const std::string& dir, const std::string& documentPath,
                                                  std::optional<int64_t> keptAt = std::nullopt);
    ~RecoveryClaim();
    RecoveryClaim(const RecoveryClaim&) = delete;
    RecoveryClaim& operator=(const RecoveryClaim&) = delete;
    RecoveryClaim(RecoveryClaim&&) = delete;
    RecoveryClaim& operator=(RecoveryClaim&&) = delete;

    const std::string& FileName() const { return m_fileName; }
    // Writes the file without ever leaving a half-written one. Throws IniError "Cannot create file".
    void Write(const Recovery& recovery) const;
    // Deletes the file; nothing when it is gone. Throws IniError when it stays.
    void Remove() const;

private:
    RecoveryClaim(std::string fileName, std::unique_ptr<platform::FileLock> lock);

    std::string m_fileName;
    std::unique_ptr<platform::FileLock> m_lock;
};

// What a session to be kept holds now: the document and, when an edit changed its lists since the
// last save, the definition file, with the kind of file and the program folder; their bytes left
// empty, and the stores they are to be rendered from in the order of the files, so that a big
// document can be rendered a slice at a time. A file whose bytes are not kept has no store (null).
struct SessionCopy {
    Recovery Copy;
    std::vector<const IniStore*> Stores;
};
SessionCopy SessionToRecover(const Workspace& workspace, int64_t savedAt);
// The same with the bytes of the stores as they stand.
Recovery RecoveryOfSession(const Workspace& workspace, int64_t savedAt);
// Puts a recovered session back into `workspace`, whose program folder is the one it was open in:
// the kind of file is loaded when another is open, then the definition file from the copy when it
// holds one, and the document from its bytes under its name. Both count as changed, with a fresh
// history, so that a save writes what a save of the session would have written.
void RestoreSession(Workspace& workspace, const Recovery& recovery);

// The names of the session's files whose file on disk changed since the session read them.
std::vector<std::string> ChangedSinceRecovery(const Recovery& recovery);
// How a copy is offered in the restore question: the document's full name, when it was last
// changed (or set aside, and why), in which program folder and as which kind of file, and the
// files changed on disk since. `now` places the times: within its day, a time alone.
std::string RecoveryDescription(const Recovery& recovery, const std::vector<std::string>& changedOnDisk,
                                int64_t now);
// The question asked over the list of `recoveries` offered.
std::string RestoreQuestion(const std::vector<const Recovery*>& recoveries);

}  // namespace velmora
