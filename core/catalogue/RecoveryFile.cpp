// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RecoveryFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/catalogue/Routines.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora {

namespace {

constexpr std::string_view Magic = "VelmoraEdit recovery 1\n";
constexpr std::string_view Prefix = "recovery-";
constexpr std::string_view Extension = ".velrec";

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

IniError Damaged() { return IniError("the recovery file is damaged"); }

// Reads the header fields one after the other; every slip throws Damaged.
class HeaderReader {
public:
    explicit HeaderReader(std::string_view text) : m_rest(text) {}

    void Word(std::string_view word) {
        if (!m_rest.starts_with(word) || m_rest.size() == word.size() || m_rest[word.size()] != ' ') throw Damaged();
        m_rest.remove_prefix(word.size() + 1);
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

private:
    void Expect(char c) {
        if (m_rest.empty() || m_rest.front() != c) throw Damaged();
        m_rest.remove_prefix(1);
    }
    std::string_view m_rest;
};

}  // namespace

std::string RenderRecovery(const RecoveryRecord& record, std::string_view bytes) {
    std::string text(Magic);
    text += "path " + std::to_string(record.DocumentPath.size()) + "\n" + record.DocumentPath + "\n";
    const DiskStamp& loaded = record.Loaded;
    text += "loaded " + std::string(loaded.Exists ? "1" : "0") + " " + std::to_string(loaded.Size) + " " +
            std::to_string(loaded.ModifiedTicks) + " " + Hex(loaded.Hash) + "\n";
    text += "saved " + std::to_string(record.SavedAt) + "\n";
    text += "bytes " + std::to_string(bytes.size()) + " " + Hex(HashOfBytes(bytes)) + "\n";
    text.reserve(text.size() + bytes.size());
    text += bytes;
    return text;
}

Recovery ParseRecovery(std::string_view text) {
    if (!text.starts_with(Magic)) throw IniError("not a recovery file");
    HeaderReader reader(text.substr(Magic.size()));
    Recovery recovery;
    reader.Word("path");
    const auto pathSize = reader.Value<size_t>();
    reader.LineEnd();
    recovery.Record.DocumentPath = reader.Bytes(pathSize);
    reader.LineEnd();

    reader.Word("loaded");
    const auto exists = reader.Value<int>();
    if (exists != 0 && exists != 1) throw Damaged();
    DiskStamp& loaded = recovery.Record.Loaded;
    loaded.Exists = exists == 1;
    reader.Blank();
    loaded.Size = reader.Value<uint64_t>();
    reader.Blank();
    loaded.ModifiedTicks = reader.Value<int64_t>();
    reader.Blank();
    loaded.Hash = reader.Value<uint64_t>(16);
    reader.LineEnd();

    reader.Word("saved");
    recovery.Record.SavedAt = reader.Value<int64_t>();
    reader.LineEnd();

    reader.Word("bytes");
    const auto size = reader.Value<size_t>();
    reader.Blank();
    const auto hash = reader.Value<uint64_t>(16);
    reader.LineEnd();
    // A copy cut short or grown, or bytes that changed, is no copy to put back.
    if (reader.Rest().size() != size || HashOfBytes(reader.Rest()) != hash) throw Damaged();
    recovery.Bytes = reader.Rest();
    return recovery;
}

std::string RecoveryFileName(const std::string& dir, const std::string& documentPath) {
    const std::string name = std::string(Prefix) + Hex(HashOfBytes(platform::AbsoluteName(documentPath)));
    return platform::PathText(platform::ToPath(dir) / platform::ToPath(name + std::string(Extension)))
        .value_or(dir + "/" + name + std::string(Extension));
}

std::string KeptRecoveryFileName(const std::string& dir, const std::string& documentPath, int64_t time) {
    std::string name = RecoveryFileName(dir, documentPath);
    name.insert(name.size() - Extension.size(), "-" + std::to_string(time));
    // Two copies kept in the same second each get a name of their own.
    std::string unique = name;
    for (int count = 2; platform::IsRegularFile(unique); ++count) {
        unique = name;
        unique.insert(unique.size() - Extension.size(), "-" + std::to_string(count));
    }
    return unique;
}

std::vector<std::string> RecoveryFiles(const std::string& dir) {
    std::vector<std::string> files;
    for (const std::string& name : platform::RegularFileNames(dir))
        if (name.starts_with(Prefix) && name.ends_with(Extension))
            files.push_back(platform::PathText(platform::ToPath(dir) / platform::ToPath(name)).value_or(name));
    std::sort(files.begin(), files.end());
    return files;
}

void WriteRecoveryFile(const std::string& fileName, const RecoveryRecord& record, std::string_view bytes) {
    std::error_code error;
    std::filesystem::create_directories(platform::ToPath(fileName).parent_path(), error);
    platform::WriteWholeFile(fileName, RenderRecovery(record, bytes));
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

void RemoveRecoveryFile(const std::string& fileName) {
    std::error_code error;
    std::filesystem::remove(platform::ToPath(fileName), error);
    if (error) throw IniError("Cannot delete file " + fileName);
}

bool ChangedSinceRecovery(const RecoveryRecord& record) {
    // A document that was never saved has no file that could have changed.
    if (!record.Loaded.Exists) return false;
    return ChangeOnDisk(record.Loaded, record.DocumentPath) != DiskChange::None;
}

std::string RestoreQuestion(const RecoveryRecord& record, bool changedOnDisk) {
    const std::string name = ExtractFileName(record.DocumentPath);
    std::string question = "VelmoraEdit closed before " + name + " was saved. Restore the unsaved changes?";
    if (changedOnDisk) question += "\r\n" + name + " has changed on disk since then.";
    return question;
}

}  // namespace velmora
