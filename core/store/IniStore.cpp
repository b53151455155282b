// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/IniStore.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "core/store/IniError.h"
#include "core/store/LineSplitter.h"
#include "core/store/LineText.h"
#include "core/store/PlatformFile.h"
#include "core/store/StoreRendering.h"
#include "core/store/TextCase.h"

namespace velmora {
namespace {

constexpr std::string_view kByteOrderMark = StoreByteOrderMark;

// The key name of a line in its stored form: the text before its first "="; a line without "="
// has none.
bool KeyNameOf(std::string_view line, std::string_view& name) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    name = line.substr(0, eq);
    return true;
}

std::string_view KeyNameOrEmpty(const IniSection::Line& line) {
    std::string_view name;
    return line.KeyName(name) ? name : std::string_view();
}

std::string_view TextAfterEquals(std::string_view line) {
    size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
}

// The text before its first ";" trimmed at both ends, or the whole text untouched when it has none.
std::string_view StripCommentView(std::string_view text) {
    size_t semicolon = text.find(';');
    return semicolon == std::string_view::npos ? text : TrimView(text.substr(0, semicolon));
}

// A hash set of upper-cased key names that can be asked with a string_view.
struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using FoldedKeySet = std::unordered_set<std::string, ViewHash, std::equal_to<>>;

// Upper-cases a short text into `buffer` without allocating; longer texts use `spill`.
std::string_view FoldInto(std::string_view text, char (&buffer)[96], std::string& spill) {
    if (text.size() <= sizeof buffer) {
        for (size_t i = 0; i < text.size(); ++i)
            buffer[i] = static_cast<char>(UpperByte(static_cast<unsigned char>(text[i])));
        return std::string_view(buffer, text.size());
    }
    spill = FoldCase(text);
    return spill;
}

// The value of line i's key: the comment-stripped text after "=" of the first line that carries
// the same key name (an earlier line when keys repeat); empty when none does.
std::string ValueOfLine(const IniSection& section, size_t i) {
    long first = section.IndexOfKey(KeyNameOrEmpty(section.LineAt(i)));
    return first < 0 ? std::string()
                     : IniStore::StripComment(section.LineAt(static_cast<size_t>(first)).ValueText());
}

bool SameKeyName(const IniSection::Line& a, const IniSection::Line& b) {
    std::string_view nameA, nameB;
    bool keyedA = a.KeyName(nameA), keyedB = b.KeyName(nameB);
    return keyedA == keyedB && EqualsNoCase(nameA, nameB);
}

// Converts a whole text as a 32-bit signed integer: leading blanks, then a signed decimal
// number or a hexadecimal mark and hexadecimal digits, nothing after.
bool ConvertInteger(std::string_view text, int32_t& result) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    std::string_view rest = text.substr(pos);
    if (rest.empty()) return false;
    bool hex = false;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
        hex = true;
        rest.remove_prefix(1);
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        hex = true;
        rest.remove_prefix(2);
    }
    if (rest.empty()) return false;
    if (hex) {
        uint32_t value = 0;
        auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 16);
        if (ec != std::errc() || end != rest.data() + rest.size()) return false;
        if (value > 0x7FFFFFFFu) return false;
        result = static_cast<int32_t>(value);
        return true;
    }
    bool negative = false;
    if (rest[0] == '+' || rest[0] == '-') {
        negative = rest[0] == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty() || !(rest[0] >= '0' && rest[0] <= '9')) return false;
    uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, 10);
    if (ec != std::errc() || end != rest.data() + rest.size()) return false;
    if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return false;
    result = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

// Dates are kept as days since 1899-12-30 and written as YYYY-MM-DD, times as HH:MM:SS.
const std::chrono::sys_days kEpoch = std::chrono::sys_days(std::chrono::year(1899) / 12 / 30);

bool ParseDate(std::string_view text, double& days) {
    int y = 0;
    unsigned m = 0, d = 0;
    char tail = 0;
    std::string s(text);
    if (std::sscanf(s.c_str(), "%d-%u-%u%c", &y, &m, &d, &tail) != 3) return false;
    std::chrono::year_month_day ymd{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
    if (!ymd.ok()) return false;
    days = static_cast<double>((std::chrono::sys_days(ymd) - kEpoch).count());
    return true;
}

bool ParseTime(std::string_view text, double& fraction) {
    unsigned h = 0, mi = 0, sec = 0;
    char tail = 0;
    std::string s(text);
    int fields = std::sscanf(s.c_str(), "%u:%u:%u%c", &h, &mi, &sec, &tail);
    if (fields != 3 && fields != 2) return false;
    if (fields == 2) sec = 0;
    if (h > 23 || mi > 59 || sec > 59) return false;
    fraction = (h * 3600.0 + mi * 60.0 + sec) / 86400.0;
    return true;
}

// A moment as whole days since the epoch and seconds into that day, rounded to the second; the
// rounding may carry into the next day. Days and time of day add up linearly, also before the epoch.
void SplitMoment(double value, int64_t& day, int64_t& second) {
    const auto total = static_cast<int64_t>(std::llround(value * 86400.0));
    day = total / 86400;
    second = total % 86400;
    if (second < 0) {
        second += 86400;
        --day;
    }
}

std::string FormatDate(double value) {
    int64_t day = 0, second = 0;
    SplitMoment(value, day, second);
    std::chrono::year_month_day ymd(kEpoch + std::chrono::days(day));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

std::string FormatTime(double value) {
    int64_t day = 0, second = 0;
    SplitMoment(value, day, second);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", static_cast<int>(second / 3600),
                  static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    return buffer;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Typed values

int32_t IniStoreBase::ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const {
    std::string text = ReadString(Section, Ident, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = "$" + text.substr(2);
    int32_t value = 0;
    return ConvertInteger(text, value) ? value : Default;
}

void IniStoreBase::WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value) {
    WriteString(Section, Ident, std::to_string(Value));
}

bool IniStoreBase::ReadBool(std::string_view Section, std::string_view Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void IniStoreBase::WriteBool(std::string_view Section, std::string_view Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

DateTime IniStoreBase::ReadDate(std::string_view Section, std::string_view Name, DateTime Default) const {
    std::string text = ReadString(Section, Name, "");
    double days = 0;
    return !text.empty() && ParseDate(text, days) ? days : Default;
}

DateTime IniStoreBase::ReadTime(std::string_view Section, std::string_view Name, DateTime Default) const {
    std::string text = ReadString(Section, Name, "");
    double fraction = 0;
    return !text.empty() && ParseTime(text, fraction) ? fraction : Default;
}

DateTime IniStoreBase::ReadDateTime(std::string_view Section, std::string_view Name,
                                    DateTime Default) const {
    std::string text = ReadString(Section, Name, "");
    if (text.empty()) return Default;
    size_t blank = text.find(' ');
    double days = 0, fraction = 0;
    if (blank == std::string::npos) return ParseDate(text, days) ? days : Default;
    if (!ParseDate(std::string_view(text).substr(0, blank), days) ||
        !ParseTime(std::string_view(text).substr(blank + 1), fraction))
        return Default;
    return days + fraction;
}

double IniStoreBase::ReadFloat(std::string_view Section, std::string_view Name, double Default) const {
    std::string text = ReadString(Section, Name, "");
    if (text.empty()) return Default;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : Default;
}

void IniStoreBase::WriteDate(std::string_view Section, std::string_view Name, DateTime Value) {
    WriteString(Section, Name, FormatDate(Value));
}

void IniStoreBase::WriteTime(std::string_view Section, std::string_view Name, DateTime Value) {
    WriteString(Section, Name, FormatTime(Value));
}

void IniStoreBase::WriteDateTime(std::string_view Section, std::string_view Name, DateTime Value) {
    WriteString(Section, Name, FormatDate(Value) + " " + FormatTime(Value));
}

void IniStoreBase::WriteFloat(std::string_view Section, std::string_view Name, double Value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
    WriteString(Section, Name, std::string_view(buffer, ec == std::errc() ? static_cast<size_t>(end - buffer) : 0));
}

// ---------------------------------------------------------------------------------------------
// Text storage

std::string_view TextArena::Adopt(std::string&& text) {
    m_adopted.push_back(std::make_shared<const std::string>(std::move(text)));
    return *m_adopted.back();
}

std::shared_ptr<const std::string> TextArena::Loaded() const {
    return m_adopted.empty() ? nullptr : m_adopted.back();
}

char* TextArena::Reserve(size_t size) {
    constexpr size_t kBlockSize = size_t{64} * 1024;
    if (size > kBlockSize / 4) {
        m_blocks.push_back(std::make_unique<char[]>(size));
        return m_blocks.back().get();
    }
    if (size > m_freeSize) {
        m_blocks.push_back(std::make_unique<char[]>(kBlockSize));
        m_free = m_blocks.back().get();
        m_freeSize = kBlockSize;
    }
    char* start = m_free;
    m_free += size;
    m_freeSize -= size;
    return start;
}

std::string_view TextArena::Store(std::string_view text) {
    if (text.empty()) return {};
    char* target = Reserve(text.size());
    std::memcpy(target, text.data(), text.size());
    return std::string_view(target, text.size());
}

std::string_view TextArena::Concat(std::string_view a, std::string_view b, std::string_view c) {
    size_t size = a.size() + b.size() + c.size();
    if (size == 0) return {};
    char* const start = Reserve(size);
    char* target = start;
    // An empty part may have no bytes at all to copy from.
    for (std::string_view part : {a, b, c}) {
        if (part.empty()) continue;
        std::memcpy(target, part.data(), part.size());
        target += part.size();
    }
    return std::string_view(start, size);
}

void TextArena::ShareFrom(const TextArena& other) {
    if (std::shared_ptr<const std::string> loaded = other.Loaded()) m_adopted.assign(1, loaded);
    m_borrowed = other.m_borrowed;
}

namespace {

bool Within(const std::string& text, std::string_view view) {
    const std::less_equal<const char*> notAfter;
    return notAfter(text.data(), view.data()) && notAfter(view.data() + view.size(), text.data() + text.size());
}

}  // namespace

bool TextArena::Shares(std::string_view text) const {
    return (!m_adopted.empty() && Within(*m_adopted.back(), text)) || (m_borrowed && Within(*m_borrowed, text));
}

void TextArena::Rebase(std::shared_ptr<const std::string> own, std::shared_ptr<const std::string> borrowed,
                       bool keepLoaded) {
    if (!keepLoaded) m_adopted.clear();
    m_adopted.push_back(std::move(own));
    m_borrowed = std::move(borrowed);
}

void TextArena::Clear() {
    m_adopted.clear();
    m_borrowed.reset();
    m_blocks.clear();
    m_free = nullptr;
    m_freeSize = 0;
}

// ---------------------------------------------------------------------------------------------
// Section records

// A line is one word: holding the text as read costs nothing beyond what the stored form alone
// did, and a million lines hold no pointer each to a comment block most of them lack.
static_assert(sizeof(IniSection::Line) == sizeof(LineBits<>));
static_assert(sizeof(void*) != 8 || sizeof(IniSection::Line) == 8);
// A big document and its default copy hold a section object each for 124,000 sections.
static_assert(sizeof(void*) != 8 || sizeof(IniSection) <= 56);

IniSection::Line LineRecords::Make(std::string_view text, bool asRead, const CommentLines* comments) {
    if (comments != nullptr && comments->empty()) comments = nullptr;
    if (comments == nullptr && LineBits<>::Fits(text.data(), text.size()))
        return IniSection::Line(LineBits<>::Own(text.data(), text.size(), asRead));
    m_records.push_back({text, comments != nullptr ? *comments : CommentLines()});
    return IniSection::Line(LineBits<>::Kept(&m_records.back(), asRead));
}

IniSection::Line LineRecords::Retext(const IniSection::Line& line, std::string_view text, bool asRead) {
    return Make(text, asRead, line.CommentBlock());
}

IniSection::Line LineRecords::Moved(const IniSection::Line& line, std::string_view text,
                                    const CommentLines* comments) {
    // The records belong to this store; the line keeps its own, which its undo may hold.
    if (line.m_bits.IsKept()) {
        auto* record = const_cast<IniSection::Line::Record*>(line.m_bits.KeptRecord<IniSection::Line::Record>());
        record->text = text;
        if (comments != nullptr) record->comments = *comments;
        return line;
    }
    return Make(text, line.IsAsRead(), nullptr);
}

const CommentLines* LineRecords::Keep(CommentLines block) {
    if (block.empty()) return nullptr;
    m_blocks.push_back(block);
    return &m_blocks.back();
}

void LineRecords::Clear() {
    m_blocks.clear();
    m_records.clear();
}

bool IniSection::Line::KeyName(std::string_view& name) const {
    return KeyNameOfLine(Raw(), IsAsRead(), name);
}

std::string_view IniSection::Line::ValueText() const {
    return ValueTextOfLine(Raw(), IsAsRead());
}

std::string IniSection::Line::StoredText() const {
    std::string_view key;
    if (!KeyName(key)) return std::string(IsAsRead() ? TrimView(Raw()) : Raw());
    const std::string_view value = ValueText();
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append("=").append(value);
    return text;
}

IniSection::IniSection() = default;
IniSection::~IniSection() = default;

namespace {

// Sections up to this many lines are scanned; longer ones are looked up through their key index.
constexpr size_t kKeyIndexFrom = 24;

bool LineHasKey(const IniSection::Line& line, std::string_view key) {
    std::string_view name;
    return line.KeyName(name) && EqualsNoCase(name, key);
}

}  // namespace

long IniSection::IndexOfKey(std::string_view key) const {
    if (m_lines.size() > kKeyIndexFrom) {
        if (!m_keyIndex) {
            m_keyIndex = std::make_unique<NameIndex<true>>();
            m_keyIndex->Reserve(m_lines.size());
            for (size_t i = 0; i < m_lines.size(); ++i) IndexKeyOf(i);
        }
        const uint32_t line =
            m_keyIndex->Find(key, [this](uint32_t at) { return KeyNameOrEmpty(m_lines[at]); });
        return line == NameIndex<true>::kNone ? -1 : static_cast<long>(line);
    }
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (LineHasKey(m_lines[i], key)) return static_cast<long>(i);
    return -1;
}

// A line after the first of its key keeps the first one in the index.
void IniSection::IndexKeyOf(size_t line) const {
    std::string_view name;
    if (!m_lines[line].KeyName(name)) return;
    m_keyIndex->Add(name, static_cast<uint32_t>(line),
                    [this](uint32_t at) { return KeyNameOrEmpty(m_lines[at]); });
}

void IniSection::SetHeaderAndName(std::string_view header, std::string_view name) {
    const char* const text = header.empty() ? name.data() : header.data();
    const size_t nameOffset = name.empty() ? 0 : static_cast<size_t>(name.data() - text);
    constexpr size_t kMost = UINT32_MAX;
    if (header.size() > kMost || nameOffset > kMost || name.size() > kMost)
        throw IniError("A section header of 4 GiB or more cannot be held");
    m_text = text;
    m_headerSize = static_cast<uint32_t>(header.size());
    m_nameOffset = static_cast<uint32_t>(nameOffset);
    m_nameSize = static_cast<uint32_t>(name.size());
}

void IniSection::AppendLine(Line line) {
    m_lines.push_back(line);
    if (m_keyIndex) IndexKeyOf(m_lines.size() - 1);
}

void IniSection::EraseLine(size_t index) {
    m_lines.erase(index);
    m_keyIndex.reset();  // later positions moved
}

void IniSection::ReplaceLine(size_t index, Line replacement) {
    if (!SameKeyName(m_lines[index], replacement)) m_keyIndex.reset();
    m_lines[index] = replacement;
}

// ---------------------------------------------------------------------------------------------
// Parsing

// Reads lines one at a time into the store. Every line it is given lives in the store's arena.
class IniStore::Parser {
public:
    explicit Parser(IniStore& store) : m_store(store) {}

    // Every line is kept as it came; what it is depends on the line trimmed. The lines come in
    // file order out of one text, so a run of them is the text from the first one's start to the
    // last one's end.
    void Feed(std::string_view raw) {
        std::string_view line = TrimView(raw);
        if (line.empty() || line[0] == ';') {
            if (m_pendingStart == nullptr) m_pendingStart = raw.data();
            m_pendingEnd = raw.data() + raw.size();
        } else if (line[0] == '[') {
            FinishSection();
            IniSection& section = m_store.AppendSection(raw, HeaderName(line));
            section.m_leadingComments = m_store.m_lines.Keep(TakePending());
            m_current = &section;
        } else if (m_current == nullptr) {
            // Text before the first header is kept apart, with the comments around it.
            if (m_preambleStart == nullptr)
                m_preambleStart = m_pendingStart != nullptr ? m_pendingStart : raw.data();
            m_store.m_preamble = CommentLines(Run(m_preambleStart, raw.data() + raw.size()));
            m_pendingStart = nullptr;
        } else {
            const CommentLines comments = TakePending();
            m_sectionLines.push_back(m_store.m_lines.Make(raw, true, &comments));
        }
    }

    // Comment and blank lines after the last line stay as the store's trailing block.
    void Finish() {
        FinishSection();
        m_store.m_trailing = TakePending();
    }

private:
    // A section's lines gather in one vector that every section reuses, and the section takes
    // them at their exact size: a big document has a million lines in two stores, and growing
    // each section's own vector by doubling would cost an allocation and a copy per doubling,
    // and a third of their records in slack unless given back.
    void FinishSection() {
        if (m_current != nullptr)
            m_current->m_lines.assign(m_sectionLines.data(), m_sectionLines.data() + m_sectionLines.size());
        m_sectionLines.clear();
    }

    static std::string_view HeaderName(std::string_view line) {
        size_t close = line.find(']');
        if (close != std::string_view::npos) return TrimView(line.substr(1, close - 1));
        // No "]": drop a ";" comment, cut before the first space, and take what follows "[".
        std::string_view text = line;
        size_t semicolon = text.find(';');
        if (semicolon != std::string_view::npos) text = TrimView(text.substr(0, semicolon));
        size_t space = text.find(' ');
        if (space != std::string_view::npos) text = text.substr(0, space);
        text = TrimRightView(text);
        return TrimView(text.substr(std::min<size_t>(1, text.size())));
    }

    static std::string_view Run(const char* start, const char* end) {
        return std::string_view(start, static_cast<size_t>(end - start));
    }

    // The comment lines read since the last other line; the block is empty when there were none.
    CommentLines TakePending() {
        if (m_pendingStart == nullptr) return {};
        const CommentLines block(Run(m_pendingStart, m_pendingEnd));
        m_pendingStart = nullptr;
        return block;
    }

    IniStore& m_store;
    IniSection* m_current = nullptr;
    std::vector<IniSection::Line> m_sectionLines;  // of m_current, so far
    const char* m_pendingStart = nullptr;          // null: no comment lines pending
    const char* m_pendingEnd = nullptr;
    const char* m_preambleStart = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Construction and files

IniStore::IniStore(std::string fileName, const bool* caseSensitive)
    : IniStoreBase(std::move(fileName)), m_caseSensitive(caseSensitive) {
    LoadValues();
}

IniStore::~IniStore() = default;

void IniStore::SetCaseSensitiveFlag(const bool* caseSensitive) {
    m_caseSensitive = caseSensitive;
    m_foldedIndexValid = false;
}

void IniStore::Clear() {
    m_sections.clear();
    m_preamble = {};
    m_trailing = {};
    m_byteOrderMark = false;
    m_arena.Clear();
    m_lines.Clear();
    InvalidateIndex();
}

void IniStore::ParseText(std::string_view text) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        m_byteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    Parser parser(*this);
    // The line end that closes the text starts no line of its own.
    LineSplitter lines(text);
    bool ended = false;
    while (!lines.AtEnd()) parser.Feed(lines.Next(ended));
    parser.Finish();
}

void IniStore::LoadValues() {
    std::optional<std::string> content;
    if (!m_fileName.empty()) content = platform::ReadWholeFile(m_fileName);  // throws: store unchanged
    Clear();
    if (content) ParseText(m_arena.Adopt(std::move(*content)));
}

void IniStore::LoadText(std::string content) {
    Clear();
    ParseText(m_arena.Adopt(std::move(content)));
}

void IniStore::SetStrings(const StringList& lines) {
    Clear();
    std::string text;
    for (size_t i = 0; i < lines.Count(); ++i) {
        text += lines[i];
        text += '\n';
    }
    // Lines handed in may themselves hold line breaks; they split like a file's would.
    ParseText(m_arena.Adopt(std::move(text)));
}

void IniStore::Rename(std::string fileName, bool reload) {
    m_fileName = std::move(fileName);
    if (reload) LoadValues();
}

std::string IniStore::RenderText() const {
    size_t estimate = kByteOrderMark.size();
    for (const auto& section : m_sections) {
        estimate += section->Name().size() + section->Header().size() + 8;
        for (size_t i = 0; i < section->Count(); ++i) estimate += section->LineAt(i).Raw().size() + 2;
    }
    std::string text;
    text.reserve(estimate + estimate / 8);
    if (m_byteOrderMark) text += kByteOrderMark;
    EmitStoreLines(*this, [&text](std::initializer_list<std::string_view> parts) {
        for (std::string_view part : parts) text += part;
        text += StoreLineEnd;
    });
    return text;
}

void IniStore::GetStrings(StringList& lines) const {
    lines.Clear();
    EmitStoreLines(*this, [&lines](std::initializer_list<std::string_view> parts) {
        std::string line;
        for (std::string_view part : parts) line += part;
        lines.Add(std::move(line));
    });
    if (m_byteOrderMark && !lines.Empty()) lines[0].insert(0, kByteOrderMark);
}

void IniStore::UpdateFile() { platform::WriteWholeFile(m_fileName, RenderText()); }

std::unique_ptr<IniStore> IniStore::CloneAs(std::string fileName) const {
    auto copy = std::make_unique<IniStore>(std::string(), m_caseSensitive);
    TextArena& arena = copy->m_arena;
    LineRecords& lines = copy->m_lines;
    // The texts of a load are shared with the copy, which outlives this store as well as it;
    // only what edits wrote is copied. A block keeps its own line ends.
    arena.ShareFrom(m_arena);
    auto store = [&arena](std::string_view text) { return arena.Shares(text) ? text : arena.Store(text); };
    auto copyBlock = [&store](const CommentLines& block) {
        return block.empty() ? CommentLines() : CommentLines(store(block.Text()));
    };
    copy->m_byteOrderMark = m_byteOrderMark;
    copy->m_preamble = copyBlock(m_preamble);
    copy->m_trailing = copyBlock(m_trailing);
    copy->m_sections.reserve(m_sections.size());
    for (const auto& source : m_sections) {
        auto section = std::make_unique<IniSection>();
        const std::string_view header = source->Header();
        const std::string_view name = source->Name();
        if (arena.Shares(header) && name.data() >= header.data() && name.data() + name.size() <= header.data() + header.size())
            section->SetHeaderAndName(header, name);
        else
            copy->KeepHeaderAndName(*section, header, name);
        if (source->m_leadingComments)
            section->m_leadingComments = lines.Keep(copyBlock(*source->m_leadingComments));
        section->m_lines.reserve(source->m_lines.size());
        for (const auto& line : source->m_lines) {
            const CommentLines comments =
                line.CommentBlock() ? copyBlock(*line.CommentBlock()) : CommentLines();
            section->AppendLine(lines.Make(store(line.Raw()), line.IsAsRead(), &comments));
        }
        copy->m_sections.push_back(std::move(section));
    }
    copy->Rename(std::move(fileName), false);
    return copy;
}

namespace {

// The line of `section` that stands for line `line` of a copy of it: at the same place, or a few
// lines away when lines were added or taken out before it.
const IniSection::Line* CounterpartLine(const IniSection& section, size_t line, std::string_view raw) {
    constexpr size_t kReach = 2;
    const size_t first = line > kReach ? line - kReach : 0;
    const size_t last = std::min(line + kReach + 1, section.Count());
    if (line < section.Count() && section.LineAt(line).Raw() == raw) return &section.LineAt(line);
    for (size_t l = first; l < last; ++l)
        if (section.LineAt(l).Raw() == raw) return &section.LineAt(l);
    return line < section.Count() ? &section.LineAt(line) : nullptr;
}

}  // namespace

template <class Place>
void IniStore::MoveTexts(const IniStore& reference, const Place& place) {
    // A block moves whole; a block with no lines has no text to move.
    auto movedBlock = [&place](const CommentLines& block, const CommentLines* theirs) {
        if (block.empty()) return block;
        return CommentLines(place(block.Text(), theirs && !theirs->empty() ? theirs->Text() : std::string_view()));
    };
    m_preamble = movedBlock(m_preamble, &reference.m_preamble);
    m_trailing = movedBlock(m_trailing, &reference.m_trailing);
    for (const std::unique_ptr<IniSection>& section : m_sections) {
        const std::string_view name = section->Name();
        const uint32_t position = reference.IndexOfFirstExactly(name);
        const IniSection* const theirs = position == NameIndex<false>::kNone ? nullptr : reference.m_sections[position].get();
        // A header read from a file holds the name, which follows it to its new place; a section
        // an operation made keeps its texts in the arena.
        const std::string_view header = section->Header();
        if (!header.empty() && name.data() >= header.data() && name.data() + name.size() <= header.data() + header.size()) {
            const std::string_view moved = place(header, theirs ? theirs->Header() : std::string_view());
            section->SetHeaderAndName(moved, moved.substr(static_cast<size_t>(name.data() - header.data()), name.size()));
        }
        if (section->m_leadingComments)
            *const_cast<CommentLines*>(section->m_leadingComments) =
                movedBlock(*section->m_leadingComments, theirs ? theirs->LeadingComments() : nullptr);
        for (size_t l = 0; l < section->m_lines.size(); ++l) {
            IniSection::Line& line = section->m_lines[l];
            const std::string_view raw = line.Raw();
            const IniSection::Line* counterpart = theirs ? CounterpartLine(*theirs, l, raw) : nullptr;
            const bool sameForm = counterpart && counterpart->IsAsRead() == line.IsAsRead();
            const CommentLines* block = line.CommentBlock();
            const CommentLines moved = block ? movedBlock(*block, counterpart ? counterpart->CommentBlock() : nullptr)
                                             : CommentLines();
            line = m_lines.Moved(line, place(raw, sameForm ? counterpart->Raw() : std::string_view()),
                                 block ? &moved : nullptr);
        }
    }
}

void IniStore::ShareTextWith(const IniStore& reference) {
    std::shared_ptr<const std::string> theirs = reference.LoadedText();
    if (!theirs || !m_arena.OnlyLoaded() || &reference == this) return;
    // A text is read from the reference where it reads the same there; what stays this store's
    // own is counted first, then copied into a text of exactly that size, each followed by a line
    // end as in a file (the find index reads a line up to its end).
    const auto shared = [&theirs](std::string_view mine, std::string_view candidate) {
        return !mine.empty() && mine == candidate && Within(*theirs, candidate);
    };
    size_t ownSize = 0;
    MoveTexts(reference, [&](std::string_view mine, std::string_view candidate) {
        if (shared(mine, candidate)) return candidate;
        if (!mine.empty()) ownSize += mine.size() + 1;
        return mine;
    });
    auto own = std::make_shared<std::string>();
    own->reserve(ownSize);
    bool miscounted = false;  // a text that did not fit stays where it was, and so does the load
    MoveTexts(reference, [&](std::string_view mine, std::string_view candidate) {
        if (shared(mine, candidate)) return candidate;
        if (mine.empty()) return std::string_view();
        if (own->size() + mine.size() + 1 > ownSize) {
            miscounted = true;
            return mine;
        }
        const size_t at = own->size();
        own->append(mine);
        own->push_back('\n');
        return std::string_view(*own).substr(at, mine.size());
    });
    m_arena.Rebase(std::move(own), std::move(theirs), miscounted);
}

// ---------------------------------------------------------------------------------------------
// Section lookup

void IniStore::InvalidateIndex() const {
    m_exactIndexValid = false;
    m_foldedIndexValid = false;
}

namespace {

constexpr uint32_t kNoSection = NameIndex<false>::kNone;

}  // namespace

void IniStore::BuildExactIndex() const {
    m_exactIndex.Clear();
    m_exactIndex.Reserve(m_sections.size());
    m_nextOfSameName.assign(m_sections.size(), kNoSection);
    m_lastOfSameName.assign(m_sections.size(), kNoSection);
    m_exactIndexValid = true;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        if (i + LookAhead < m_sections.size()) m_exactIndex.Prefetch(m_sections[i + LookAhead]->Name());
        IndexExactName(static_cast<uint32_t>(i));
    }
}

// A later section of a name already indexed is linked behind the last one of that name.
void IniStore::IndexExactName(uint32_t position) const {
    const uint32_t first = m_exactIndex.Add(m_sections[position]->Name(), position, SectionNames());
    if (first != position) m_nextOfSameName[m_lastOfSameName[first]] = position;
    m_lastOfSameName[first] = position;
}

void IniStore::BuildFoldedIndex() const {
    m_foldedIndex.Clear();
    m_foldedIndex.Reserve(m_sections.size());
    m_foldedIndexValid = true;
    for (size_t i = 0; i < m_sections.size(); ++i) IndexFoldedName(static_cast<uint32_t>(i));
}

void IniStore::IndexFoldedName(uint32_t position) const {
    m_foldedIndex.Add(m_sections[position]->Name(), position, SectionNames());
}

int IniStore::IndexOfSection(std::string_view Name) const {
    uint32_t position = kNoSection;
    if (CaseSensitive()) {
        position = IndexOfFirstExactly(Name);
    } else {
        if (!m_foldedIndexValid) BuildFoldedIndex();
        position = m_foldedIndex.Find(Name, SectionNames());
    }
    return position == kNoSection ? -1 : static_cast<int>(position);
}

IniSection* IniStore::FindSection(std::string_view name) const {
    int index = IndexOfSection(name);
    return index < 0 ? nullptr : m_sections[static_cast<size_t>(index)].get();
}

IniSection& IniStore::AppendSection(std::string_view header, std::string_view name) {
    auto section = std::make_unique<IniSection>();
    section->SetHeaderAndName(header, name);
    const auto position = static_cast<uint32_t>(m_sections.size());
    m_sections.push_back(std::move(section));
    if (m_exactIndexValid) {
        m_nextOfSameName.push_back(kNoSection);
        m_lastOfSameName.push_back(kNoSection);
        IndexExactName(position);
    }
    if (m_foldedIndexValid) IndexFoldedName(position);
    return *m_sections.back();
}

std::string IniStore::StripComment(std::string_view Text) { return std::string(StripCommentView(Text)); }

std::string_view IniStore::StripCommentView(std::string_view Text) { return velmora::StripCommentView(Text); }

// ---------------------------------------------------------------------------------------------
// Section and key access

std::string IniStore::ReadString(std::string_view Section, std::string_view Ident,
                                 std::string_view Default) const {
    const IniSection* section = FindSection(Section);
    if (section == nullptr) return std::string(Default);
    long line = section->IndexOfKey(Ident);
    if (line < 0) return std::string(Default);
    return StripComment(section->LineAt(static_cast<size_t>(line)).ValueText());
}

IniSection& IniStore::SectionToWrite(std::string_view Section) {
    IniSection* section = FindSection(Section);
    return section != nullptr ? *section : AppendSection({}, m_arena.Store(Section));
}

void IniStore::WriteString(std::string_view Section, std::string_view Ident, std::string_view Value) {
    IniSection& section = SectionToWrite(Section);
    long line = section.IndexOfKey(Ident);
    if (line < 0) {
        section.AppendLine(m_lines.Make(m_arena.Concat(Ident, "=", Value), false, nullptr));
        return;
    }
    // A key name never holds "=", so this is the line Ident + "=" + Value exactly.
    const IniSection::Line& found = section.LineAt(static_cast<size_t>(line));
    std::string_view name;
    if (found.KeyName(name) && name == Ident && found.ValueText() == Value) return;
    // The line becomes one an operation wrote; its comment block stays.
    section.ReplaceLine(static_cast<size_t>(line),
                        m_lines.Retext(found, m_arena.Concat(Ident, "=", Value), false));
}

void IniStore::AppendString(std::string_view Section, std::string_view Ident, std::string_view Value) {
    SectionToWrite(Section).AppendLine(m_lines.Make(m_arena.Concat(Ident, "=", Value), false, nullptr));
}

void IniStore::ReadSection(std::string_view Section, StringList& Names) const {
    Names.Clear();
    if (const IniSection* section = FindSection(Section))
        for (size_t i = 0; i < section->Count(); ++i)
            Names.Add(std::string(KeyNameOrEmpty(section->LineAt(i))));
}

void IniStore::ReadSections(StringList& List) const {
    List.Clear();
    for (const auto& section : m_sections) List.Add(StringItem{std::string(section->Name()), section.get(), nullptr});
}

void IniStore::ReadSectionValues(std::string_view Section, StringList& Lines) const {
    Lines.Clear();
    const IniSection* section = FindSection(Section);
    if (section == nullptr) return;
    for (size_t i = 0; i < section->Count(); ++i) {
        StringItem item{section->Strings(i), nullptr, nullptr};
        if (const auto* comments = section->CommentsOf(i)) {
            auto block = std::make_shared<CommentBlock>();
            block->reserve(comments->size());
            for (std::string_view comment : *comments) block->emplace_back(TrimView(comment));
            item.comments = std::move(block);
        }
        Lines.Add(std::move(item));
    }
}

void IniStore::ReadSectionValuesOnly(std::string_view Section, StringList& Values) const {
    Values.Clear();
    const IniSection* section = FindSection(Section);
    if (section == nullptr) return;
    for (size_t i = 0; i < section->Count(); ++i)
        if (!KeyNameOrEmpty(section->LineAt(i)).empty()) Values.Add(ValueOfLine(*section, i));
}

void IniStore::EraseSection(std::string_view Section) {
    int index = IndexOfSection(Section);
    if (index < 0) return;
    m_sections.erase(m_sections.begin() + index);
    InvalidateIndex();
}

void IniStore::DeleteKey(std::string_view Section, std::string_view Ident) {
    IniSection* section = FindSection(Section);
    if (section == nullptr) return;
    long line = section->IndexOfKey(Ident);
    if (line >= 0) section->EraseLine(static_cast<size_t>(line));
}

bool IniStore::ValueExists(std::string_view Section, std::string_view Ident) const {
    const IniSection* section = FindSection(Section);
    if (section == nullptr) return false;
    for (size_t i = 0; i < section->Count(); ++i)
        if (EqualsNoCase(KeyNameOrEmpty(section->LineAt(i)), Ident)) return true;
    return false;
}

bool IniStore::SectionExists(std::string_view Section) const { return IndexOfSection(Section) >= 0; }

void IniStore::PrefetchSection(std::string_view Name) const {
    if (CaseSensitive()) {
        if (!m_exactIndexValid) BuildExactIndex();
        m_exactIndex.Prefetch(Name);
    } else {
        if (!m_foldedIndexValid) BuildFoldedIndex();
        m_foldedIndex.Prefetch(Name);
    }
}

void IniStore::PrefetchSectionNamedExactly(std::string_view Name) const {
    if (!m_exactIndexValid) BuildExactIndex();
    m_exactIndex.Prefetch(Name);
}

bool IniStore::HasSectionNamedExactly(std::string_view Name) const {
    return IndexOfFirstExactly(Name) != kNoSection;
}

std::vector<size_t> IniStore::SectionsNamedExactly(std::string_view Name) const {
    std::vector<size_t> positions;
    for (uint32_t position = IndexOfFirstExactly(Name); position != kNoSection; position = m_nextOfSameName[position])
        positions.push_back(position);
    return positions;
}

uint32_t IniStore::IndexOfFirstExactly(std::string_view Name) const {
    if (!m_exactIndexValid) BuildExactIndex();
    return m_exactIndex.Find(Name, SectionNames());
}

std::string IniStore::FindKeyOfValue(std::string_view Section, std::string_view Value, bool Remove) {
    const int position = IndexOfSection(Section);
    if (position < 0) return {};
    IniSection& section = *m_sections[static_cast<size_t>(position)];
    const long line = IndexOfLineWithValue(static_cast<size_t>(position), Value);
    if (line < 0) return {};
    if (Remove) {
        section.EraseLine(static_cast<size_t>(line));
        return {};
    }
    return std::string(KeyNameOrEmpty(section.LineAt(static_cast<size_t>(line))));
}

long IniStore::IndexOfLineWithValue(size_t section, std::string_view Value) const {
    const IniSection& lines = ExistingSection(section);
    for (size_t i = 0; i < lines.Count(); ++i)
        if (ValueOfLine(lines, i) == Value) return static_cast<long>(i);
    return -1;
}

// A claimed section with one blank line before its header, not yet placed.
std::unique_ptr<IniSection> IniStore::ClaimedSection(std::string_view name) {
    auto section = std::make_unique<IniSection>();
    section->Occupied = 1;
    KeepHeaderAndName(*section, {}, name);
    section->m_leadingComments = m_lines.Keep(CommentLines(std::string_view()));
    return section;
}

IniSection& IniStore::PlaceClaimedSection(size_t position, std::string_view name) {
    IniSection& placed = *ClaimedSection(name).release();
    PutSection(position, std::unique_ptr<IniSection>(&placed));
    return placed;
}

void IniStore::InsertSection(std::string_view BeforeSection, std::string_view NewSection,
                             const StringList& Lines) {
    int index = IndexOfSection(BeforeSection);
    if (index < 0) return;
    IniSection& section = PlaceClaimedSection(static_cast<size_t>(index), NewSection);
    for (const StringItem& item : Lines) {
        const CommentLines comments = item.comments ? StoredBlock(*item.comments) : CommentLines();
        section.AppendLine(m_lines.Make(m_arena.Store(item.text), false, &comments));
    }
}

void IniStore::DuplicateSection(std::string_view Section, std::string_view NewSection) {
    int index = IndexOfSection(Section);
    if (index < 0) return;
    PutSection(static_cast<size_t>(index), CopyOfSection(static_cast<size_t>(index), NewSection));
}

// ---------------------------------------------------------------------------------------------
// Positional operations

const IniSection& IniStore::ExistingSection(size_t position) const {
    if (position >= m_sections.size()) throw IniError("No section at position " + std::to_string(position));
    return *m_sections[position];
}

std::unique_ptr<IniSection> IniStore::TakeSection(size_t position) {
    PlacedSection(position);
    std::unique_ptr<IniSection> section = std::move(m_sections[position]);
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(position));
    InvalidateIndex();
    return section;
}

void IniStore::PutSection(size_t position, std::unique_ptr<IniSection> section) {
    if (position > m_sections.size()) throw IniError("No section position " + std::to_string(position));
    m_sections.insert(m_sections.begin() + static_cast<std::ptrdiff_t>(position), std::move(section));
    InvalidateIndex();
}

IniSection::Line IniStore::TakeLine(size_t section, size_t line) {
    IniSection& from = PlacedSection(section);
    if (line >= from.m_lines.size()) throw IniError("No line at position " + std::to_string(line));
    IniSection::Line taken = from.m_lines[line];
    from.EraseLine(line);
    return taken;
}

void IniStore::PutLine(size_t section, size_t line, IniSection::Line text) {
    IniSection& into = PlacedSection(section);
    if (line > into.m_lines.size()) throw IniError("No line position " + std::to_string(line));
    if (line == into.m_lines.size()) {
        into.AppendLine(text);
        return;
    }
    into.m_lines.insert(line, text);
    into.m_keyIndex.reset();  // later positions moved
}

void IniStore::ExchangeLine(size_t section, size_t line, IniSection::Line& text) {
    IniSection& in = PlacedSection(section);
    if (line >= in.m_lines.size()) throw IniError("No line at position " + std::to_string(line));
    if (!SameKeyName(in.m_lines[line], text)) in.m_keyIndex.reset();
    std::swap(in.m_lines[line], text);
}

IniSection::Line IniStore::WrittenLine(std::string_view text, const CommentLines* comments) {
    return m_lines.Make(m_arena.Store(text), false, comments);
}

std::unique_ptr<IniSection> IniStore::NewSection(std::string_view name) {
    auto section = std::make_unique<IniSection>();
    KeepHeaderAndName(*section, {}, name);
    return section;
}

// A header from elsewhere mostly spells its section's name, so the name is kept as that part of it.
void IniStore::KeepHeaderAndName(IniSection& section, std::string_view header, std::string_view name) {
    if (header.empty()) {
        section.SetHeaderAndName({}, m_arena.Store(name));
        return;
    }
    const size_t at = header.find(name);
    if (at != std::string_view::npos) {
        const std::string_view kept = m_arena.Store(header);
        section.SetHeaderAndName(kept, kept.substr(at, name.size()));
    } else {
        const std::string_view kept = m_arena.Concat(header, name, {});
        section.SetHeaderAndName(kept.substr(0, header.size()), kept.substr(header.size()));
    }
}

// The copy's lines share the source's bytes: the arena keeps every byte until the whole content goes.
std::unique_ptr<IniSection> IniStore::CopyOfSection(size_t position, std::string_view newName) {
    const IniSection& source = ExistingSection(position);
    std::unique_ptr<IniSection> copy = ClaimedSection(newName);
    copy->m_lines.reserve(source.m_lines.size());
    // Comment blocks never change once kept, so the copy shares them too.
    for (const IniSection::Line& line : source.m_lines) copy->AppendLine(line);
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Claiming passes

int IniStore::IndexOfFreeSection(std::string_view Name, bool& NoneOccupied) const {
    NoneOccupied = true;
    for (uint32_t position = IndexOfFirstExactly(Name); position != kNoSection; position = m_nextOfSameName[position]) {
        if (m_sections[position]->Occupied == 0) return static_cast<int>(position);
        NoneOccupied = false;
    }
    return -1;
}

void IniStore::MarkOccupiedListSection(std::string_view Section) {
    IniSection* list = FindSection(Section);
    if (list == nullptr) return;
    list->Occupied = 1;
    for (size_t i = 0; i < list->Count(); ++i)
        if (IniSection* named = FindSection(ValueOfLine(*list, i))) named->Occupied = 1;
}

bool IniStore::ListedName(std::string_view Line, std::string_view& Name) {
    std::string_view key;
    if (!KeyNameOf(Line, key) || key.empty()) return false;
    Name = StripCommentView(TextAfterEquals(Line));
    return true;
}

bool IniStore::ListedName(const IniSection::Line& Line, std::string_view& Name) {
    std::string_view key;
    if (!Line.KeyName(key) || key.empty()) return false;
    Name = StripCommentView(Line.ValueText());
    return true;
}

// Each line is read on its own: with two lines of one number, each still names its own section.
void IniStore::MarkOccupiedListed(const StringList& Lines) {
    std::string_view name;
    for (const StringItem& line : Lines) {
        if (!ListedName(line.text, name)) continue;
        bool noneOccupied = true;
        int index = IndexOfFreeSection(name, noneOccupied);
        if (index >= 0) m_sections[static_cast<size_t>(index)]->Occupied = 1;
    }
}

namespace {

struct KeySet {
    FoldedKeySet names;

    explicit KeySet(const StringList& keyNames) {
        for (size_t i = 0; i < keyNames.Count(); ++i) names.insert(FoldCase(keyNames[i]));
    }

    bool Contains(std::string_view key) const {
        char buffer[96];
        std::string spill;
        return names.find(FoldInto(key, buffer, spill)) != names.end();
    }
};

// The fitting rule: a section fits while at most `tolerance` of its lines carry a key name that is
// not wanted, and more of its lines carry a wanted one than not. An empty section never fits.
template <class IsWanted>
bool FitsRule(size_t lineCount, IsWanted isWanted, int32_t tolerance) {
    int64_t misses = 0;
    for (size_t i = 0; i < lineCount; ++i) {
        if (isWanted(i)) continue;
        if (++misses > tolerance) return false;
    }
    return static_cast<int64_t>(lineCount) - misses > misses;
}

}  // namespace

bool IniStore::SectionFitsKeys(const IniSection& Section, const StringList& KeyNames, int32_t Tolerance) {
    if (KeyNames.Empty()) return false;
    const KeySet keys(KeyNames);
    return FitsRule(
        Section.Count(), [&](size_t i) { return keys.Contains(KeyNameOrEmpty(Section.LineAt(i))); },
        Tolerance);
}

void IniStore::MarkOccupiedMatching(const StringList& KeyNames, StringList& Found, int32_t Tolerance) {
    SectionKeyMatcher(*this).MarkOccupiedMatching(KeyNames, Found, Tolerance);
}

// ---------------------------------------------------------------------------------------------
// Matching category after category

SectionKeyMatcher::SectionKeyMatcher(IniStore& store) : m_store(store) {
    for (size_t position = 0; position < store.m_sections.size(); ++position) {
        const IniSection& section = *store.m_sections[position];
        if (section.Occupied != 0) continue;
        m_free.push_back({static_cast<uint32_t>(position), static_cast<uint32_t>(section.Count()), m_lineKeys.size()});
        for (size_t i = 0; i < section.Count(); ++i) {
            // A plain line counts with the empty key name.
            auto [it, isNew] = m_keyIds.try_emplace(FoldCase(KeyNameOrEmpty(section.LineAt(i))),
                                                    static_cast<uint32_t>(m_keyIds.size()));
            m_lineKeys.push_back(it->second);
        }
    }
}

void SectionKeyMatcher::MarkOccupiedMatching(const StringList& KeyNames, StringList& Found,
                                             int32_t Tolerance) {
    Found.Clear();
    std::vector<char> wanted(m_keyIds.size(), 0);
    bool anyWanted = false;
    for (size_t i = 0; i < KeyNames.Count(); ++i) {
        auto it = m_keyIds.find(FoldCase(KeyNames[i]));
        if (it == m_keyIds.end()) continue;
        wanted[it->second] = 1;
        anyWanted = true;
    }
    // A section fits only with more wanted lines than others: without any, nothing fits.
    if (!anyWanted) return;

    // Claimed sections leave the list, so that later categories look only at what is still free.
    size_t kept = 0;
    for (const FreeSection free : m_free) {
        const uint32_t* keys = m_lineKeys.data() + free.firstLine;
        if (FitsRule(free.lineCount, [&](size_t i) { return wanted[keys[i]] != 0; }, Tolerance)) {
            IniSection& section = *m_store.m_sections[free.position];
            Found.Add(std::string(section.Name()));
            section.Occupied = 1;
            continue;
        }
        m_free[kept++] = free;
    }
    m_free.resize(kept);
}

}  // namespace velmora
