// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recovery/RecoveryFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

// The format of a session: named fields, any number of files.
constexpr std::string_view Magic = "VelmoraEdit recovery 2\n";
// The format before it, of one document; still read.
constexpr std::string_view FirstMagic = "VelmoraEdit recovery 1\n";
constexpr std::string_view Prefix = "recovery-";
constexpr std::string_view Extension = ".velrec";
constexpr std::string_view LockExtension = ".lock";
// How many names TakeNew tries before it gives up.
constexpr int NameAttempts = 100;

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

IniError Damaged() { return IniError("the recovery file is damaged"); }

// Reads a text piece by piece; every slip throws Damaged.
class HeaderReader {
public:
    explicit HeaderReader(std::string_view text) : m_rest(text) {}

    void Word(std::string_view word) {
        if (!m_rest.starts_with(word) || m_rest.size() == word.size() || m_rest[word.size()] != ' ') throw Damaged();
        m_rest.remove_prefix(word.size() + 1);
    }
    // The text up to the next blank, which is passed over.
    std::string_view Name() {
        const size_t blank = m_rest.find(' ');
        if (blank == std::string_view::npos || blank == 0) throw Damaged();
        const std::string_view name = m_rest.substr(0, blank);
        m_rest.remove_prefix(blank + 1);
        return name;
    }
    template <class Number>
    Number Value(int base = 10) {
        Number value{};
        const auto [end, error] = std::from_chars(m_rest.data(), m_rest.data() + m_rest.size(), value, base);
        if (error != std::errc() || end == m_rest.data()) throw Damaged();
        m_rest.remove_prefix(static_cast<size_t>(end - m_rest.data()));
        return value;
    }
    void Blank() { Expect(' '); }
    void LineEnd() { Expect('\n'); }
    std::string_view Bytes(size_t count) {
        if (m_rest.size() < count) throw Damaged();
        const std::string_view bytes = m_rest.substr(0, count);
        m_rest.remove_prefix(count);
        return bytes;
    }
    std::string_view Rest() const { return m_rest; }
    void End() const {
        if (!m_rest.empty()) throw Damaged();
    }

private:
    void Expect(char c) {
        if (m_rest.empty() || m_rest.front() != c) throw Damaged();
        m_rest.remove_prefix(1);
    }
    std::string_view m_rest;
};

std::string StampText(const DiskStamp& stamp) {
    return std::string(stamp.Exists ? "1" : "0") + " " + std::to_string(stamp.Size) + " " +
           std::to_string(stamp.ModifiedTicks) + " " + Hex(stamp.Hash);
}

DiskStamp ReadStamp(HeaderReader& reader) {
    DiskStamp stamp;
    const auto exists = reader.Value<int>();
    if (exists != 0 && exists != 1) throw Damaged();
    stamp.Exists = exists == 1;
    reader.Blank();
    stamp.Size = reader.Value<uint64_t>();
    reader.Blank();
    stamp.ModifiedTicks = reader.Value<int64_t>();
    reader.Blank();
    stamp.Hash = reader.Value<uint64_t>(16);
    return stamp;
}

template <class Number>
Number NumberOf(std::string_view text) {
    HeaderReader reader(text);
    const auto number = reader.Value<Number>();
    reader.End();
    return number;
}

void AddField(std::string& text, std::string_view name, std::string_view value) {
    text += name;
    text += ' ';
    text += std::to_string(value.size());
    text += '\n';
    text += value;
    text += '\n';
}

// A copy of one document with its stamp and time, as the first format wrote it.
Recovery ParseFirstFormat(std::string_view text) {
    HeaderReader reader(text.substr(FirstMagic.size()));
    Recovery recovery;
    RecoveredFile document{std::string(Recovery::DocumentRole), {}, {}, {}};
    reader.Word("path");
    const auto pathSize = reader.Value<size_t>();
    reader.LineEnd();
    document.Path = reader.Bytes(pathSize);
    reader.LineEnd();
    reader.Word("loaded");
    document.Loaded = ReadStamp(reader);
    reader.LineEnd();
    reader.Word("saved");
    recovery.SavedAt = reader.Value<int64_t>();
    reader.LineEnd();
    reader.Word("bytes");
    const auto size = reader.Value<size_t>();
    reader.Blank();
    const auto hash = reader.Value<uint64_t>(16);
    reader.LineEnd();
    // A copy cut short or grown, or bytes that changed, is no copy to put back.
    if (reader.Rest().size() != size || HashOfBytes(reader.Rest()) != hash) throw Damaged();
    document.Bytes = reader.Rest();
    recovery.Files.push_back(std::move(document));
    return recovery;
}

// "at 14:02" within the day of `now`, "on 2026-03-01 at 14:02" before it, in local time.
std::string LocalTimeText(int64_t at, int64_t now) {
    const auto local = [](int64_t seconds) -> std::optional<std::tm> {
        const auto time = static_cast<std::time_t>(seconds);
        const std::tm* parts = std::localtime(&time);
        if (!parts) return std::nullopt;
        return *parts;
    };
    const std::optional<std::tm> when = local(at);
    if (!when) return "at an unknown time";
    const std::optional<std::tm> today = local(now);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M", &*when);
    if (today && today->tm_year == when->tm_year && today->tm_yday == when->tm_yday) return "at " + std::string(clock);
    char day[32];
    std::strftime(day, sizeof day, "%Y-%m-%d", &*when);
    return "on " + std::string(day) + " at " + clock;
}

// The name the document is restored under. A document never saved was named by the program, not
// by the user, and keeps that short name, so that its save asks for a name as before.
std::string NameToRestore(const Workspace& workspace, const RecoveredFile& document) {
    const std::string& untitled = workspace.G().UntitledName;
    if (!document.Loaded.Exists && EqualsNoCase(ExtractFileName(document.Path), untitled)) return untitled;
    return document.Path;
}

}  // namespace

const RecoveredFile* Recovery::File(std::string_view role) const {
    for (const RecoveredFile& file : Files)
        if (file.Role == role) return &file;
    return nullptr;
}

const RecoveredFile& Recovery::Document() const {
    const RecoveredFile* document = File(DocumentRole);
    if (!document) throw Damaged();
    return *document;
}

std::string RenderRecovery(const Recovery& recovery) {
    std::string text(Magic);
    size_t size = text.size() + 200;
    for (const RecoveredFile& file : recovery.Files) size += file.Path.size() + file.Bytes.size() + 100;
    text.reserve(size);
    AddField(text, "saved", std::to_string(recovery.SavedAt));
    AddField(text, "type", recovery.FileType);
    AddField(text, "folder", recovery.ProgramFolder);
    if (!recovery.Kept.empty()) AddField(text, "kept", recovery.Kept);
    if (!recovery.ModFolder.empty()) AddField(text, "mod", recovery.ModFolder);
    for (const RecoveredFile& file : recovery.Files) {
        AddField(text, "file", file.Role);
        AddField(text, "path", file.Path);
        AddField(text, "loaded", StampText(file.Loaded));
        AddField(text, "bytes", file.Bytes);
    }
    AddField(text, "end", Hex(HashOfBytes(text)));
    return text;
}

Recovery ParseRecovery(std::string_view text) {
    if (text.starts_with(FirstMagic)) return ParseFirstFormat(text);
    if (!text.starts_with(Magic)) throw IniError("not a recovery file");
    HeaderReader reader(text.substr(Magic.size()));
    Recovery recovery;
    RecoveredFile* file = nullptr;  // the file the fields now read belong to
    for (;;) {
        const size_t fieldStart = text.size() - reader.Rest().size();
        const std::string_view name = reader.Name();
        const auto size = reader.Value<size_t>();
        reader.LineEnd();
        const std::string_view value = reader.Bytes(size);
        reader.LineEnd();
        if (name == "end") {
            // Every byte before the end is as written: cut short, grown or changed is no copy.
            reader.End();
            if (value != Hex(HashOfBytes(text.substr(0, fieldStart)))) throw Damaged();
            break;
        }
        if (name == "saved") {
            recovery.SavedAt = NumberOf<int64_t>(value);
        } else if (name == "type") {
            recovery.FileType = value;
        } else if (name == "folder") {
            recovery.ProgramFolder = value;
        } else if (name == "kept") {
            recovery.Kept = value;
        } else if (name == "mod") {
            recovery.ModFolder = value;
        } else if (name == "file") {
            recovery.Files.push_back({std::string(value), {}, {}, {}});
            file = &recovery.Files.back();
        } else if (name == "path" || name == "loaded" || name == "bytes") {
            if (!file) throw Damaged();
            if (name == "path") {
                file->Path = value;
            } else if (name == "bytes") {
                file->Bytes = value;
            } else {
                HeaderReader stamp(value);
                file->Loaded = ReadStamp(stamp);
                stamp.End();
            }
        }
        // Any other field is one of a later version, and passed over.
    }
    if (!recovery.File(Recovery::DocumentRole)) throw Damaged();
    return recovery;
}

std::string RecoveryFileName(const std::string& dir, const std::string& documentPath) {
    const std::string name = std::string(Prefix) + Hex(HashOfBytes(platform::AbsoluteName(documentPath)));
    return platform::PathText(platform::ToPath(dir) / platform::ToPath(name + std::string(Extension)))
        .value_or(dir + "/" + name + std::string(Extension));
}

std::vector<std::string> RecoveryFiles(const std::string& dir) {
    std::vector<std::string> files;
    for (const std::string& name : platform::RegularFileNames(dir))
        if (name.starts_with(Prefix) && name.ends_with(Extension))
            files.push_back(platform::PathText(platform::ToPath(dir) / platform::ToPath(name)).value_or(name));
    std::sort(files.begin(), files.end());
    return files;
}

Recovery ReadRecoveryFile(const std::string& fileName) {
    const std::optional<std::string> text = platform::ReadWholeFile(fileName);
    if (!text) throw IniError::CannotOpen(fileName);
    try {
        return ParseRecovery(*text);
    } catch (const IniError& error) {
        throw IniError(fileName + ": " + error.what());
    }
}

// ---------------------------------------------------------------------------------------------
// Claims

RecoveryClaim::RecoveryClaim(std::string fileName, std::unique_ptr<platform::FileLock> lock)
    : m_fileName(std::move(fileName)), m_lock(std::move(lock)) {}

RecoveryClaim::~RecoveryClaim() = default;

std::unique_ptr<RecoveryClaim> RecoveryClaim::Take(const std::string& fileName) {
    // The recovery file itself is replaced whole at every copy; the lock lies beside it.
    std::unique_ptr<platform::FileLock> lock;
    try {
        lock = platform::FileLock::TryTake(fileName + std::string(LockExtension));
    } catch (const IniError&) {
        throw IniError::CannotCreate(fileName);  // the user knows the copy, not its lock
    }
    if (!lock) return nullptr;
    return std::unique_ptr<RecoveryClaim>(new RecoveryClaim(fileName, std::move(lock)));
}

std::unique_ptr<RecoveryClaim> RecoveryClaim::TakeNew(const std::string& dir, const std::string& documentPath,
                                                      std::optional<int64_t> keptAt) {
    std::error_code error;
    std::filesystem::create_directories(platform::ToPath(dir), error);
    std::string first = RecoveryFileName(dir, documentPath);
    if (keptAt) first.insert(first.size() - Extension.size(), "-" + std::to_string(*keptAt));
    for (int count = 1; count <= NameAttempts; ++count) {
        std::string name = first;
        if (count > 1) name.insert(name.size() - Extension.size(), "-" + std::to_string(count));
        if (platform::IsRegularFile(name)) continue;
        std::unique_ptr<RecoveryClaim> claim = Take(name);
        // Held, the name cannot be taken by another copy between the look and the claim.
        if (claim && !platform::IsRegularFile(name)) return claim;
    }
    throw IniError::CannotCreate(first);
}

void RecoveryClaim::Write(const Recovery& recovery) const {
    platform::WriteWholeFile(m_fileName, RenderRecovery(recovery));
}

void RecoveryClaim::Remove() const {
    std::error_code error;
    std::filesystem::remove(platform::ToPath(m_fileName), error);
    if (error) throw IniError("Cannot delete file " + m_fileName);
}

// ---------------------------------------------------------------------------------------------
// Sessions

SessionCopy SessionToRecover(const Workspace& workspace, int64_t savedAt) {
    const Document& document = workspace.Doc();
    SessionCopy session;
    Recovery& recovery = session.Copy;
    recovery.SavedAt = savedAt;
    recovery.FileType = workspace.FileToEdit();
    recovery.ProgramFolder = workspace.G().ProgramDir;
    recovery.Files.push_back({std::string(Recovery::DocumentRole), platform::AbsoluteName(document.FileName()),
                              workspace.DocumentStamp(), {}});
    session.Stores.push_back(&document.Store());
    // The definition file goes with the document only when a save would write it too.
    if (document.DefinitionChanged()) {
        recovery.Files.push_back({std::string(Recovery::DefinitionRole),
                                  platform::AbsoluteName(document.Definition().FileName()),
                                  workspace.DefinitionStamp(), {}});
        session.Stores.push_back(&document.Definition());
    }
    return session;
}

Recovery RecoveryOfSession(const Workspace& workspace, int64_t savedAt) {
    SessionCopy session = SessionToRecover(workspace, savedAt);
    for (size_t i = 0; i < session.Stores.size(); ++i)
        if (session.Stores[i]) session.Copy.Files[i].Bytes = session.Stores[i]->RenderText();
    return std::move(session.Copy);
}

void RestoreSession(Workspace& workspace, const Recovery& recovery) {
    const RecoveredFile& document = recovery.Document();
    // A copy of the first format did not say its kind: it is taken as the kind now open.
    if (!recovery.FileType.empty() && recovery.FileType != workspace.FileToEdit()) {
        workspace.ChooseFileType(recovery.FileType);
        workspace.BeginToLoadNONBASIC();
    }
    const RecoveredFile* definition = recovery.File(Recovery::DefinitionRole);
    if (definition) workspace.LoadRecoveredDefinition(definition->Path, definition->Bytes, definition->Loaded);
    workspace.LoadRecoveredDocument(NameToRestore(workspace, document), document.Bytes, document.Loaded);
    // Its lists differ from the file, though no edit of the fresh history says so.
    if (definition) workspace.Doc().MarkStoreUnsaved(StoreOf::Definition);
}

// ---------------------------------------------------------------------------------------------
// The question

std::vector<std::string> ChangedSinceRecovery(const Recovery& recovery) {
    std::vector<std::string> changed;
    for (const RecoveredFile& file : recovery.Files) {
        // A document that was never saved has no file that could have changed.
        if (!file.Loaded.Exists) continue;
        bool differs = true;
        try {
            differs = ChangeOnDisk(file.Loaded, file.Path) != DiskChange::None;
        } catch (const IniError&) {
            // A file that cannot be read is not the one the session read.
        }
        if (differs) changed.push_back(ExtractFileName(file.Path));
    }
    return changed;
}

std::string RecoveryDescription(const Recovery& recovery, const std::vector<std::string>& changedOnDisk,
                                int64_t now) {
    const RecoveredFile& document = recovery.Document();
    std::string text = document.Path;
    if (!document.Loaded.Exists) text += " (never saved)";
    text += "\r\n";
    const std::string when = LocalTimeText(recovery.SavedAt, now);
    if (recovery.Kept == Recovery::KeptOnReload)
        text += "kept when the file was read again from disk " + when;
    else
        text += "last changed " + when;
    if (!recovery.FileType.empty()) text += ", as " + recovery.FileType;
    if (!recovery.ModFolder.empty()) text += " of the mod " + recovery.ModFolder;
    if (!recovery.ProgramFolder.empty()) text += " in the program folder " + recovery.ProgramFolder;
    for (const std::string& name : changedOnDisk) text += "\r\n" + name + " has changed on disk since then.";
    return text;
}

std::string RestoreQuestion(const std::vector<const Recovery*>& recoveries) {
    if (recoveries.size() != 1)
        return "Unsaved changes of " + std::to_string(recoveries.size()) +
               " documents were kept. Choose the changes to restore:";
    const Recovery& recovery = *recoveries.front();
    const std::string name = ExtractFileName(recovery.Document().Path);
    if (recovery.Kept == Recovery::KeptOnReload)
        return "Your changes to " + name + " were kept when the file was read again from disk. Restore them?";
    return "VelmoraEdit closed before " + name + " was saved. Restore the unsaved changes?";
}

}  // namespace velmora
