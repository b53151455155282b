// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/references/References.h"

namespace velmora {

class IniStore;
class Workspace;

// References across the kinds of file of a mod open together (rules, art, sound...): a key of one
// kind whose value sources name another kind (`~@Art:*@~`, `~@Sound:Voices@~`). Each kind is a
// workspace of its own, with its definition file, default copy and catalogue; the kinds are given
// in [FilesToEdit] order.

// The name a kind source calls a kind by: its [FilesToEdit] name without the extension ("Art").
std::string KindName(const Workspace& kind);

// A kind source cut at its first ":": the kind's name and the category, "*" for any section.
struct KindSource {
    std::string Kind;
    std::string Category;
};
std::optional<KindSource> ParseKindSource(std::string_view source);

// The kind of `kinds` that a kind source's name names (letter case ignored); null when none.
const Workspace* KindNamed(const std::vector<const Workspace*>& kinds, std::string_view name);

struct BasicList;

// The value choice's list of a key with kind sources: the missing sources of `list` that name an
// open kind of `kinds` give their names, each section of the kind ("*") in file order, else the
// entries of its category or the values of its list; the sources that give none stay missing.
void AddKindSourceValues(BasicList& list, const std::vector<const Workspace*>& kinds);

// What the kinds of a mod name, for the kind sources of any of them. The names each source allows
// are read once, on first use.
class ModNames : public OtherKinds {
public:
    explicit ModNames(std::vector<const Workspace*> kinds);
    bool Allows(std::string_view source, std::string_view item) override;

private:
    std::vector<const Workspace*> m_kinds;
    std::unordered_map<std::string, std::unordered_set<std::string>> m_allowed;  // per folded source
};

// The kind sources of the kinds' definition files that name no open kind, or no category of it:
// one warning a line, "Rules.001: [ArtPage] Image: ~@Artt:*@~ names no kind of file (the kinds are
// Rules, Art, Sound)". An item of such a source is never taken to dangle.
std::vector<std::string> KindSourceProblems(const std::vector<const Workspace*>& kinds);

// The number of the file line at which a line of the store stands, as a save writes the store
// (for a store as read: the line of the file), counted from 1.
class FileLines {
public:
    explicit FileLines(const IniStore& store);
    size_t Of(const LinePlace& place) const;
    // The line of the section's header.
    size_t HeaderOf(size_t section) const { return m_headerLine[section]; }

private:
    const IniStore& m_store;
    std::vector<size_t> m_headerLine;  // per section, the line of its header
};

// A dangling item of one kind of the mod, at its file line.
struct ModDanglingItem {
    const Workspace* Kind = nullptr;
    DanglingItem Item;
    size_t FileLine = 0;
};

// Every dangling item of every kind, kind by kind in document order, the kind sources judged
// against the other kinds.
std::vector<ModDanglingItem> FindModDanglingItems(const std::vector<const Workspace*>& kinds);

// What Check References lists with a mod open: the dangling items of every kind (as
// FindModDanglingItems finds them) and, kind by kind, the entries its categories list more than once.
struct ModDoubleListing {
    const Workspace* Kind = nullptr;
    DoubleListing Listing;
};
struct ModReferenceFindings {
    std::vector<ModDanglingItem> Dangling;
    std::vector<ModDoubleListing> Doubles;
};
ModReferenceFindings CheckModReferences(const std::vector<const Workspace*>& kinds);

// A line of one kind of the mod that names a code.
struct ModUsage {
    const Workspace* Kind = nullptr;
    Usage Line;
    size_t FileLine = 0;
};

// The lines of every kind that have an item equal to `code` (FindUsages), kind by kind.
std::vector<ModUsage> FindModUsages(const std::vector<const Workspace*>& kinds, std::string_view code);

// What the change of code of entry `oldCode` of category `category` of kind `renamed` into
// `newCode` rewrites in one other kind: the lines of keys whose kind sources name `renamed` with
// that category or "*" (References), and apart from them the other lines naming the code (Others).
struct KindRewrites {
    Workspace* Kind = nullptr;
    std::vector<LineRewrite> References;
    std::vector<LineRewrite> Others;
};

// The rewrites of every kind of `kinds` but `renamed`; kinds without a line naming the code are left
// out. Throws IniError when `newCode` cannot stand as an item.
std::vector<KindRewrites> OtherKindRewrites(const std::vector<Workspace*>& kinds, const Workspace& renamed,
                                            std::string_view category, std::string_view oldCode,
                                            std::string_view newCode);

}  // namespace velmora
