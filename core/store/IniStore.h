// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/store/CommentLines.h"
#include "core/store/CompactVector.h"
#include "core/store/LineBits.h"
#include "core/store/NameIndex.h"
#include "core/store/StringList.h"

namespace velmora {

// Date and time as a number of days since 1899-12-30; the fraction is the time of day.
using DateTime = double;

// The base of the INI stores: the file name and the typed reads and writes, which it builds on
// ReadString and WriteString.
class IniStoreBase {
public:
    explicit IniStoreBase(std::string fileName) : m_fileName(std::move(fileName)) {}
    virtual ~IniStoreBase() = default;
    IniStoreBase(const IniStoreBase&) = delete;
    IniStoreBase& operator=(const IniStoreBase&) = delete;
    IniStoreBase(IniStoreBase&&) = delete;
    IniStoreBase& operator=(IniStoreBase&&) = delete;

    const std::string& FileName() const { return m_fileName; }

    virtual std::string ReadString(std::string_view Section, std::string_view Ident,
                                   std::string_view Default) const = 0;
    virtual void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value) = 0;

    virtual int32_t ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const;
    virtual void WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value);
    virtual bool ReadBool(std::string_view Section, std::string_view Ident, bool Default) const;
    virtual void WriteBool(std::string_view Section, std::string_view Ident, bool Value);
    virtual DateTime ReadDate(std::string_view Section, std::string_view Name, DateTime Default) const;
    virtual DateTime ReadDateTime(std::string_view Section, std::string_view Name, DateTime Default) const;
    virtual double ReadFloat(std::string_view Section, std::string_view Name, double Default) const;
    virtual DateTime ReadTime(std::string_view Section, std::string_view Name, DateTime Default) const;
    virtual void WriteDate(std::string_view Section, std::string_view Name, DateTime Value);
    virtual void WriteDateTime(std::string_view Section, std::string_view Name, DateTime Value);
    virtual void WriteFloat(std::string_view Section, std::string_view Name, double Value);
    virtual void WriteTime(std::string_view Section, std::string_view Name, DateTime Value);

    virtual void ReadSection(std::string_view Section, StringList& Names) const = 0;
    virtual void ReadSections(StringList& List) const = 0;
    virtual void ReadSectionValues(std::string_view Section, StringList& Lines) const = 0;
    virtual void EraseSection(std::string_view Section) = 0;
    virtual void DeleteKey(std::string_view Section, std::string_view Ident) = 0;
    virtual void UpdateFile() = 0;

protected:
    std::string m_fileName;
};

// Text storage of one store. Lines are views into blocks that never move, so a load keeps the
// file's own bytes and pays no allocation per line; edited text is appended to a new block. The
// bytes of the last load are shared: a copy of the store's lines for another thread (StoreTexts)
// points into them instead of copying them, and keeps them alive through a reload. A store may
// also borrow another store's loaded text, for the lines the two have in common.
class TextArena {
public:
    std::string_view Adopt(std::string&& text);
    // The text of the last load, which lines as read point into; null when there was none.
    std::shared_ptr<const std::string> Loaded() const;
    // Another store's loaded text that lines of this one point into; null when there is none.
    const std::shared_ptr<const std::string>& Borrowed() const { return m_borrowed; }
    // True while the arena holds nothing but the text of one load.
    bool OnlyLoaded() const { return m_adopted.size() == 1 && m_blocks.empty() && !m_borrowed; }
    // Shares the loaded and the borrowed text of `other`, as a copy of its store that points into
    // them; for an empty arena.
    void ShareFrom(const TextArena& other);
    // True when `text` lies in the loaded or the borrowed text.
    bool Shares(std::string_view text) const;
    // Puts `own` in place of the loaded text and keeps `borrowed` alive, once every view into the
    // loaded text was moved to one of them (else `keepLoaded` keeps it too).
    void Rebase(std::shared_ptr<const std::string> own, std::shared_ptr<const std::string> borrowed,
                bool keepLoaded);
    std::string_view Store(std::string_view text);
    std::string_view Concat(std::string_view a, std::string_view b, std::string_view c);
    // The texts of `parts` with `separator` between each two, in one piece.
    template <class Parts>
    std::string_view Join(const Parts& parts, char separator) {
        size_t size = 0;
        for (const auto& part : parts) size += std::string_view(part).size() + 1;
        if (size <= 1) return {};
        char* const start = Reserve(size - 1);
        char* target = start;
        bool first = true;
        for (const auto& part : parts) {
            if (!first) *target++ = separator;
            first = false;
            const std::string_view text(part);
            if (!text.empty()) std::memcpy(target, text.data(), text.size());
            target += text.size();
        }
        return std::string_view(start, size - 1);
    }
    void Clear();

private:
    char* Reserve(size_t size);

    std::vector<std::shared_ptr<const std::string>> m_adopted;
    std::shared_ptr<const std::string> m_borrowed;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    size_t m_freeSize = 0;
};

// The record of one section: its lines (each with the comment block that stood before it), the
// comment lines before its header, its header line, and the claim flag of the catalogue. Every line
// is held as it was read, its line end aside, which is what the store writes back; what lookups see
// is derived from it.
class IniSection {
public:
    // One line of the section with the comment block that stood before it. A line as read is seen
    // by lookups in its stored form, trimmed and without blanks around its first "="; a line that
    // an operation wrote is seen and written exactly as written. A line is a value of eight bytes,
    // a million of them in a big document: its text and comment block live in its store (the
    // arena and the store's LineRecords), so that moved to another place of its store it writes
    // the same bytes there. Lines are made by the store.
    class Line {
    public:
        // What the store writes for the line.
        std::string_view Raw() const {
            return m_bits.IsKept() ? m_bits.KeptRecord<Record>()->text
                                   : std::string_view(m_bits.Text(), m_bits.Size());
        }
        bool IsAsRead() const { return m_bits.IsAsRead(); }
        // The key name: the text before the first "=". False for a plain line, which has none.
        bool KeyName(std::string_view& name) const;
        // The text after the first "=", inline comment included; empty for a plain line.
        std::string_view ValueText() const;
        // The line as lookups see it: key name, "=", value text; or the plain line.
        std::string StoredText() const;
        // The comment and blank lines before the line as they were read (or as an operation gave
        // them); lookups and ReadSectionValues see them trimmed. Null when there are none.
        const CommentLines* CommentBlock() const {
            if (!m_bits.IsKept()) return nullptr;
            const CommentLines& comments = m_bits.KeptRecord<Record>()->comments;
            return comments.empty() ? nullptr : &comments;
        }

    private:
        friend class LineRecords;

        // What a line with a comment block, or with a text its own bits cannot hold (too long, or
        // at an address out of their reach), keeps in its store's records.
        struct Record {
            std::string_view text;
            CommentLines comments;  // empty: no comment block
        };

        explicit Line(LineBits<> bits) : m_bits(bits) {}

        LineBits<> m_bits;
    };

    IniSection();
    ~IniSection();
    IniSection(const IniSection&) = delete;
    IniSection& operator=(const IniSection&) = delete;
    IniSection(IniSection&&) = delete;
    IniSection& operator=(IniSection&&) = delete;

    const std::string_view Name() const { return {m_text + m_nameOffset, m_nameSize}; }
    // The header line as read, a note after its "]" included; empty for a section that an
    // operation added, whose header is written as "[" + name + "]" after one blank line.
    std::string_view Header() const { return {m_text, m_headerSize}; }
    size_t Count() const { return m_lines.size(); }
    const Line& LineAt(size_t index) const { return m_lines[index]; }
    // Line `index` as lookups see it.
    std::string Strings(size_t index) const { return m_lines[index].StoredText(); }
    const CommentLines* CommentsOf(size_t index) const { return m_lines[index].CommentBlock(); }
    // The comment and blank lines before the header; null when there are none.
    const CommentLines* LeadingComments() const { return m_leadingComments; }

    // Position of the first line whose key name equals `key` without regard to letter case; -1
    // when none. Plain lines never match; a line that begins with "=" has the empty key name.
    long IndexOfKey(std::string_view key) const;

private:
    friend class IniStore;

    // `header` (empty for a section an operation added) and `name`, which must lie in the header
    // or in the same text right after it; both live as long as the store's content.
    void SetHeaderAndName(std::string_view header, std::string_view name);
    void IndexKeyOf(size_t line) const;
    void AppendLine(Line line);
    void EraseLine(size_t index);
    void ReplaceLine(size_t index, Line replacement);

    // A big document and its default copy hold 124,000 sections, so a section keeps its header
    // and name as one text with sizes of 32 bits: the header line as read, which holds the name,
    // or, for a section an operation added, the name alone.
    const char* m_text = nullptr;
    uint32_t m_headerSize = 0;
    uint32_t m_nameOffset = 0;
    uint32_t m_nameSize = 0;

public:
    // 1 once a category has claimed the section; never reset. (Declared here, where its byte
    // fills what the sizes above leave of eight.)
    unsigned char Occupied = 0;

private:
    CompactVector<Line> m_lines;
    const CommentLines* m_leadingComments = nullptr;  // kept in the store's LineRecords
    // The first line of each key name (letter case ignored). Built for a long section at its first
    // lookup and kept up to date by appends, so that adding line after line stays linear.
    mutable std::unique_ptr<NameIndex<true>> m_keyIndex;
};

// The records of a store's lines that have a comment block (or a text a line's own bits cannot
// hold), and the comment blocks before its headers. They never move and live until the store's
// content goes, as its text does, so a line or section taken out of the store by an edit keeps
// them for its undo.
class LineRecords {
public:
    // A line of `text` with `comments` (null: none), both living as long as the store's content.
    IniSection::Line Make(std::string_view text, bool asRead, const CommentLines* comments);
    // The same line with another text, its comment block kept.
    IniSection::Line Retext(const IniSection::Line& line, std::string_view text, bool asRead);
    // The same line with the same bytes at another place, and its comment block (if it has one)
    // at `comments`: a line with a record keeps its record.
    IniSection::Line Moved(const IniSection::Line& line, std::string_view text, const CommentLines* comments);
    // A header's comment block, kept here; null for a block without lines.
    const CommentLines* Keep(CommentLines block);
    void Clear();

private:
    std::deque<CommentLines> m_blocks;
    std::deque<IniSection::Line::Record> m_records;
};

// The in-memory INI file: sections and lines in file order, comments and duplicate sections
// kept, one claim flag per section. Lookups find the first match; an index makes them fast
// without changing which section or line is found.
class IniStore : public IniStoreBase {
public:
    // Loads `fileName` when it names an existing file; an empty store otherwise.
    // Throws IniError("Cannot open file ...") when the file exists but cannot be read.
    explicit IniStore(std::string fileName, const bool* caseSensitive = nullptr);
    ~IniStore() override;

    // The flag that decides whether section names compare exactly (true) or without regard to
    // letter case. Not owned; null means always exact.
    void SetCaseSensitiveFlag(const bool* caseSensitive);
    bool CaseSensitive() const { return m_caseSensitive == nullptr || *m_caseSensitive; }

    void LoadValues();
    // The store as LoadValues reads it from a file holding `content` (the file is not read).
    void LoadText(std::string content);
    void Rename(std::string fileName, bool reload);
    void UpdateFile() override;
    std::unique_ptr<IniStore> CloneAs(std::string fileName) const;
    // For a store just loaded: the texts it has in common with `reference` (a header, a line or a
    // comment line that reads the same at the same place of the first section of its name) are
    // read from the reference's loaded text from now on, and the rest from a compact copy, so that
    // the text of the load is let go. A document that is the default copy with changes then holds
    // little more text than its changes. Nothing changes in what the store reads or writes.
    void ShareTextWith(const IniStore& reference);
    void Clear();
    void SetStrings(const StringList& lines);
    void GetStrings(StringList& lines) const;
    // The text UpdateFile writes: every rendered line followed by CR LF. A line no operation
    // changed is rendered as it was read; a line an operation wrote, as "key=value", and the header
    // of a section an operation added as "[name]", after one blank line.
    std::string RenderText() const;

    std::string ReadString(std::string_view Section, std::string_view Ident,
                           std::string_view Default) const override;
    // A line that already reads Ident + "=" + Value, key spelling included, is left as it was read.
    void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value) override;
    // Adds the line Ident + "=" + Value at the end of the section (added when missing) without
    // looking for a line of that key: for a key the section cannot hold yet, such as a new number.
    void AppendString(std::string_view Section, std::string_view Ident, std::string_view Value);
    void ReadSection(std::string_view Section, StringList& Names) const override;
    void ReadSections(StringList& List) const override;
    void ReadSectionValues(std::string_view Section, StringList& Lines) const override;
    void ReadSectionValuesOnly(std::string_view Section, StringList& Values) const;
    void EraseSection(std::string_view Section) override;
    void DeleteKey(std::string_view Section, std::string_view Ident) override;
    bool ValueExists(std::string_view Section, std::string_view Ident) const;
    bool SectionExists(std::string_view Section) const;
    std::string FindKeyOfValue(std::string_view Section, std::string_view Value, bool Remove);
    // The line FindKeyOfValue finds in the section at `section`: the first whose key's value
    // equals Value byte for byte; -1 when none.
    long IndexOfLineWithValue(size_t section, std::string_view Value) const;
    void InsertSection(std::string_view BeforeSection, std::string_view NewSection, const StringList& Lines);
    // What InsertSection(Section, NewSection, the lines ReadSectionValues gives for Section) makes,
    // except that the copied lines and their comment blocks keep their text as read: a copy of an
    // entry looks like the entry, and copying leaves the bytes of its lines alone.
    void DuplicateSection(std::string_view Section, std::string_view NewSection);

    // Positional operations, for edits that must be undone exactly: a section or line taken out
    // at a position is the same object that goes back there, its comment blocks and its text as
    // read included. Positions are those of SectionAt and LineAt; a section or line is only ever
    // put back into the store it came from, whose arena holds its text.
    std::unique_ptr<IniSection> TakeSection(size_t position);
    void PutSection(size_t position, std::unique_ptr<IniSection> section);
    IniSection::Line TakeLine(size_t section, size_t line);
    void PutLine(size_t section, size_t line, IniSection::Line text);
    // Puts `text` in place of line `line` and hands the line that stood there back in `text`.
    void ExchangeLine(size_t section, size_t line, IniSection::Line& text);
    // A line as an operation writes it, its text kept in this store, with a copy of `comments`.
    IniSection::Line WrittenLine(std::string_view text, const CommentLines* comments = nullptr);
    // A section of this store not yet placed: a new empty one written as WriteString adds it, or a
    // claimed copy of the section at `position` as DuplicateSection makes it.
    std::unique_ptr<IniSection> NewSection(std::string_view name);
    std::unique_ptr<IniSection> CopyOfSection(size_t position, std::string_view newName);
    // A line, or an unclaimed empty section, as a reload would read them: the line `text` (the
    // header line `header`; empty: one an operation added) under the comment block `comments`
    // (`leading`; empty: none), all copied into this store. For what is taken from another store,
    // which then writes the same bytes here as there. A block is a CommentLines or a list of lines.
    template <class Block>
    IniSection::Line LineAsRead(std::string_view text, const Block& comments) {
        const CommentLines block = StoredBlock(comments);
        return m_lines.Make(m_arena.Store(text), true, &block);
    }
    template <class Block>
    std::unique_ptr<IniSection> SectionAsRead(std::string_view name, std::string_view header,
                                              const Block& leading) {
        auto section = std::make_unique<IniSection>();
        KeepHeaderAndName(*section, header, name);
        section->m_leadingComments = m_lines.Keep(StoredBlock(leading));
        return section;
    }

    int IndexOfSection(std::string_view Name) const;
    static std::string StripComment(std::string_view Text);
    // The same without a copy: a view into Text.
    static std::string_view StripCommentView(std::string_view Text);
    // The section a numbered list line names: the text after its own first "=" without its
    // comment. False for a line without key name (a plain line or one that begins with "=").
    static bool ListedName(std::string_view Line, std::string_view& Name);
    static bool ListedName(const IniSection::Line& Line, std::string_view& Name);

    // True when a section of exactly that name exists, whatever the letter-case flag says.
    bool HasSectionNamedExactly(std::string_view Name) const;
    // The positions of every section of exactly that name, in store order.
    std::vector<size_t> SectionsNamedExactly(std::string_view Name) const;
    // Hints for loops that look up many names: starting the lookup of the name LookAhead steps
    // ahead (IndexOfSection, or HasSectionNamedExactly) lets the memory work overlap.
    static constexpr size_t LookAhead = 8;
    void PrefetchSection(std::string_view Name) const;
    void PrefetchSectionNamedExactly(std::string_view Name) const;

    // Claiming passes of the catalogue.
    void MarkOccupiedListSection(std::string_view Section);
    // For each of Lines, a list line of another store, claims the first free section of exactly
    // the name that line gives (ListedName). Lines whose section is missing are left as they are.
    void MarkOccupiedListed(const StringList& Lines);
    void MarkOccupiedMatching(const StringList& KeyNames, StringList& Found, int32_t Tolerance);
    int IndexOfFreeSection(std::string_view Name, bool& NoneOccupied) const;
    static bool SectionFitsKeys(const IniSection& Section, const StringList& KeyNames, int32_t Tolerance);

    // Direct access for readers that walk the whole store.
    size_t SectionCount() const { return m_sections.size(); }
    IniSection& SectionAt(size_t index) { return *m_sections[index]; }
    const IniSection& SectionAt(size_t index) const { return *m_sections[index]; }
    // The same, but a position past the last section throws IniError.
    const IniSection& ExistingSection(size_t position) const;

    // Text kept outside the sections so that nothing the user wrote is lost, as it was read: a
    // byte-order mark, lines before the first header, and comment lines after the last line.
    bool HasByteOrderMark() const { return m_byteOrderMark; }
    // The bytes of the last load, which the lines it read point into (TextArena::Loaded); after
    // ShareTextWith, the compact copy of what the store has of its own.
    std::shared_ptr<const std::string> LoadedText() const { return m_arena.Loaded(); }
    // The reference's loaded text that lines point into after ShareTextWith; null otherwise.
    const std::shared_ptr<const std::string>& BorrowedText() const { return m_arena.Borrowed(); }
    const CommentLines& Preamble() const { return m_preamble; }
    const CommentLines& Trailing() const { return m_trailing; }

private:
    class Parser;
    friend class SectionKeyMatcher;

    // A copy of the block in this store's arena: a block as read keeps its own line ends, lines
    // from elsewhere are joined with "\n".
    CommentLines StoredBlock(const CommentLines& block) {
        return block.empty() ? CommentLines() : CommentLines(m_arena.Store(block.Text()));
    }
    template <class Lines>
    CommentLines StoredBlock(const Lines& lines) {
        return lines.empty() ? CommentLines() : CommentLines(m_arena.Join(lines, '\n'));
    }

    void KeepHeaderAndName(IniSection& section, std::string_view header, std::string_view name);
    IniSection* FindSection(std::string_view name) const;
    IniSection& SectionToWrite(std::string_view name);
    // A section at the end, with a header and name as SetHeaderAndName takes them.
    IniSection& AppendSection(std::string_view header, std::string_view name);
    IniSection& PlaceClaimedSection(size_t position, std::string_view name);
    std::unique_ptr<IniSection> ClaimedSection(std::string_view name);
    IniSection& PlacedSection(size_t position) { return const_cast<IniSection&>(ExistingSection(position)); }
    void ParseText(std::string_view text);
    // Every text view the store holds, as `place(mine, theirs)` gives it: `theirs` is the text at
    // the same place of `reference` (empty when there is none).
    template <class Place>
    void MoveTexts(const IniStore& reference, const Place& place);
    void InvalidateIndex() const;
    void BuildExactIndex() const;
    void IndexExactName(uint32_t position) const;
    void IndexFoldedName(uint32_t position) const;
    uint32_t IndexOfFirstExactly(std::string_view name) const;
    auto SectionNames() const {
        return [this](uint32_t position) { return m_sections[position]->Name(); };
    }
    void BuildFoldedIndex() const;

    const bool* m_caseSensitive = nullptr;
    TextArena m_arena;
    LineRecords m_lines;
    std::vector<std::unique_ptr<IniSection>> m_sections;
    bool m_byteOrderMark = false;
    CommentLines m_preamble;
    CommentLines m_trailing;

    // The first section of each exact name, each section linked to the next one of its name in store
    // order (and the first to the last, for appends); and the first section of each name with
    // letter case ignored. Built on demand.
    mutable NameIndex<false> m_exactIndex;
    mutable std::vector<uint32_t> m_nextOfSameName;
    mutable std::vector<uint32_t> m_lastOfSameName;
    mutable NameIndex<true> m_foldedIndex;
    mutable bool m_exactIndexValid = false;
    mutable bool m_foldedIndexValid = false;
};

// MarkOccupiedMatching for one category after another, as a catalogue runs it: the key names of
// the free sections are read once, so that each category costs one look at each of their lines.
// While a matcher is in use, the store may change only through the claims it makes.
class SectionKeyMatcher {
public:
    explicit SectionKeyMatcher(IniStore& store);
    void MarkOccupiedMatching(const StringList& KeyNames, StringList& Found, int32_t Tolerance);

private:
    struct FreeSection {
        uint32_t position;   // in the store
        uint32_t lineCount;
        size_t firstLine;    // in m_lineKeys
    };

    IniStore& m_store;
    std::unordered_map<std::string, uint32_t> m_keyIds;  // upper-cased key name -> its number
    std::vector<uint32_t> m_lineKeys;                    // the key number of each line
    std::vector<FreeSection> m_free;                     // in store order
};

}  // namespace velmora
