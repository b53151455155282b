// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <compare>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/store/StringList.h"

namespace velmora {

class StoreEdit;
class IniStore;
class Workspace;

// References between entries: the key lines whose values name a code, the items that name nothing
// the key allows, and the rewrites that keep references whole when a code or an item changes.
// Everything here only reads the stores; the document applies the rewrites as one edit.

// A line of the document by where it stands: the section's position in the store and the line's
// position in that section, as the store's SectionAt and Strings count them.
struct LinePlace {
    size_t Section = 0;
    size_t Line = 0;
    // The lint's nullptr check misreads the defaulted comparison's hidden "0" operand.
    auto operator<=>(const LinePlace&) const = default;  // NOLINT(modernize-use-nullptr)
};

// A key line of the document with an item equal to a code.
struct Usage {
    LinePlace Place;
    std::string SectionName;
    std::string Text;  // the line as stored: KEY=VALUE, with its ";" comment
    std::string Raw;   // the line as written in the file, blanks and all

    std::string_view Key() const;
    std::string_view Value() const;  // everything after the "=", comment included
    bool operator==(const Usage&) const = default;
};

// The key lines of the document, list sections included, that have an item equal to `code` by the
// NamesEqual rule, in document order. Lines without a key name (no "=", or "=" first) are none.
std::vector<Usage> FindUsages(const IniStore& document, std::string_view code, bool caseSensitive);
// The same in the document's sections at `sections` alone (positions in store order).
std::vector<Usage> FindUsagesIn(const IniStore& document, std::string_view code, bool caseSensitive,
                                const std::vector<size_t>& sections);


// The value with every item equal to `oldItem` (NamesEqual rule) replaced by `newItem`, and all
// else as written: other items, blanks, the comment. No value when no item is equal.
std::optional<std::string> ReplaceItems(std::string_view value, std::string_view oldItem, std::string_view newItem,
                                        bool caseSensitive);

// True when `item` reads back from a value as this one item: it is not empty, has no blank at
// either end, and holds no "," (it would be two items), no ";" (the rest would be a comment) and
// no line break (it would split the line).
bool IsWholeItem(std::string_view item);

// One line that an edit will replace, with its text before and after, each in the line's own
// layout as the file writes it. A rewrite without an old text adds its line at its place instead.
struct LineRewrite {
    LinePlace Place;
    std::string SectionName;
    std::string OldText;
    std::string NewText;
};

// Adds each rewrite to `edit`, in the document. The places are those of the store as it stands
// when they are added.
void AddRewrites(StoreEdit& edit, const std::vector<LineRewrite>& rewrites);

// The change of `oldCode` into `newCode` in the lines of `usages` (as FindUsages gave them, minus
// the lines the change of code writes itself): each item equal to `oldCode` becomes `newCode`.
// Throws IniError when `newCode` is no whole item.
std::vector<LineRewrite> RenameRewrites(const std::vector<Usage>& usages, std::string_view oldCode,
                                        std::string_view newCode, bool caseSensitive);

// In the value of every line of `key` (key names compared without regard to letter case; an empty
// key names no line) in every section, each item equal to `oldItem` (NamesEqual rule) becomes
// `newItem`; the lines that change, in document order. Throws IniError when `newItem` is no whole
// item, and for a value that RefuseValue refuses (a name grown past its limit).
std::vector<LineRewrite> ReplaceRewrites(const IniStore& document, std::string_view key,
                                         std::string_view oldItem, std::string_view newItem,
                                         bool caseSensitive);

// A key of a category's pages whose description names value sources of which at least one is a
// category, of this kind of file or of another (IsKindSource).
struct ReferenceKey {
    std::string Key;
    std::vector<size_t> CategoryRows;       // the sources that are categories, as their rows
    std::vector<std::string> OtherSources;  // the sources whose values are allowed values, and
                                            // those of other kinds of file
};

// A source that names another kind of file: "KIND:CATEGORY" for the entries of a category of that
// kind, "KIND:*" for any section of it (`~@Art:*@~`). KIND is its [FilesToEdit] name without the
// extension.
bool IsKindSource(std::string_view source);

// What the other kinds of file open beside the document name, for the sources that reach them.
class OtherKinds {
public:
    virtual ~OtherKinds() = default;
    // True when the kind source `source` (IsKindSource) allows `item`: the kind holds a section of
    // that name ("*"), or lists it as an entry of the category.
    virtual bool Allows(std::string_view source, std::string_view item) = 0;
};

// The reference keys of the category in row `row`, page by page, in page order.
std::vector<ReferenceKey> ReferenceKeysOf(const Workspace& workspace, size_t row);

// An item of a reference key's value, in an entry of the key's category, that names no section of
// the document, is no entry of a category among the key's sources, and is none of the values of
// its other sources (compared without regard to letter case).
struct DanglingItem {
    LinePlace Place;           // the key's line in the entry's section
    std::string Category;      // the category whose page holds the key
    std::string SectionName;   // the entry's code
    std::string Key;           // as the line spells it
    std::string Value;         // as the grid shows it: without the comment
    std::string Item;
    bool operator==(const DanglingItem&) const = default;
};

// The rule that decides whether an item dangles, over the workspace's document as it now stands.
// Entries of categories and values of other sources are read once each, however many keys and
// checks ask for them; a check of another kind that judges codes asks this rule too.
class DanglingRule {
public:
    // `others` (may be null) answers for the sources of other kinds of file; without it an item
    // such a source may allow is never taken to dangle, as those files are not read.
    explicit DanglingRule(const Workspace& workspace, OtherKinds* others = nullptr);
    ~DanglingRule();
    DanglingRule(const DanglingRule&) = delete;
    DanglingRule& operator=(const DanglingRule&) = delete;

    // True when `item` names no section of the document, no entry of a category among the key's
    // sources and none of the values of its other sources (compared without regard to case).
    bool Dangles(std::string_view item, const ReferenceKey& key);
    // True when the category in row `row` lists `code` as an entry.
    bool IsEntryOf(std::string_view code, size_t row);
    // The entries of the category in row `row`, in list order.
    StringList EntryList(size_t row) const;

private:
    using NameSet = std::unordered_set<std::string>;
    const NameSet& EntriesOf(size_t row);
    const NameSet& ValuesOf(const std::string& source);

    const Workspace& m_workspace;
    const IniStore& m_document;
    const bool m_caseSensitive;
    OtherKinds* m_others;
    std::vector<std::optional<NameSet>> m_entries;      // per category row, read on first use
    std::unordered_map<std::string, NameSet> m_values;  // per other source, folded
};

// Every dangling item of the document, in document order, each once, however many categories
// list its entry. `others` as for DanglingRule.
std::vector<DanglingItem> FindDanglingItems(const Workspace& workspace, OtherKinds* others = nullptr);

// An entry that the lists of a category name more than once (NamesEqual rule).
struct DoubleListing {
    std::string Category;
    std::string Code;  // as the first of its list lines spells it
    size_t Times = 0;
};

// The entries listed more than once, category by category in row order, each in list order.
std::vector<DoubleListing> FindDoubleListings(const Workspace& workspace);

// What Check References lists: the dangling items (FindDanglingItems) and the entries listed more
// than once (FindDoubleListings), found once and then kept up to date by edits of values. The
// lists of the categories and of the other sources are read once: edits that change them (a list
// section, the definition file, entries that come or go) call for a new check.
class ReferenceCheck {
public:
    // `workspace` outlives the check.
    explicit ReferenceCheck(const Workspace& workspace);
    ~ReferenceCheck();
    ReferenceCheck(const ReferenceCheck&) = delete;
    ReferenceCheck& operator=(const ReferenceCheck&) = delete;

    const std::vector<DanglingItem>& DanglingItems() const { return m_dangling; }
    const std::vector<DoubleListing>& DoubleListings() const { return m_doubles; }

    // Brought up to the document after edits of values in the sections at `sections` (positions
    // in store order, as TouchedSections gives them): their items are found again, the others
    // kept. False, and nothing changed, when that cannot tell: the workspace holds another
    // document, or one of the sections holds the values of a source items are checked against.
    bool Follow(const std::vector<size_t>& sections);

private:
    const Workspace& m_workspace;
    const IniStore* m_document;
    std::unique_ptr<DanglingRule> m_rule;
    std::vector<std::vector<ReferenceKey>> m_keysOf;  // per category row
    std::vector<DanglingItem> m_dangling;
    std::vector<DoubleListing> m_doubles;
};

}  // namespace velmora
