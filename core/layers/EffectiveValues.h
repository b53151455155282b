// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace velmora {

class IniStore;
class LayerStack;

// Where one file of the stack sets a key: the file (0 the document, 1 + i the layer at i), its
// name without the folder, the key's line as a save writes it (counting from 1) and the value.
struct ValueSetting {
    size_t File = 0;
    std::string FileName;
    size_t Line = 0;
    std::string Value;
};

// Every file that sets a key, in the order the game reads them: the last one wins.
struct ValueChain {
    std::vector<ValueSetting> Settings;

    bool Empty() const { return Settings.empty(); }
    const ValueSetting& Winner() const { return Settings.back(); }
    // Whether a file sets the key otherwise than the file before it that sets it.
    bool Disagrees() const;
    // "11, from mode.ini line 44; overrides 5 from Rules.ini line 2310"; the value and its place
    // alone when nothing is overridden; empty when no file sets the key.
    std::string Provenance() const;
    // "Rules.ini 5 <- mode.ini 11 <- map.map 7".
    std::string ChainText() const;
};

// The key `key` of section `section` across the stack: the document's line, then each layer's
// that has the section as an override.
ValueChain ChainOf(const LayerStack& stack, std::string_view section, std::string_view key);

class StackFiles;

// The chains of many keys of the stack as it stands, for a view that shows them: the line numbers
// of each file and whether the layers' sections of a name are overrides are found once. Made again
// after any change of the stack or of a file of it.
class StackValues {
public:
    explicit StackValues(const LayerStack& stack);
    ~StackValues();
    StackValues(const StackValues&) = delete;
    StackValues& operator=(const StackValues&) = delete;

    // As ChainOf.
    ValueChain Chain(std::string_view section, std::string_view key);
    // Whether the layers' sections named `section` are the game's objects (overrides): the
    // document's own sections need no look at the lists.
    bool LayersOverride(std::string_view section);

private:
    const LayerStack& m_stack;
    std::unique_ptr<StackFiles> m_files;
    std::optional<std::unordered_set<std::string>> m_listed;
    std::unordered_map<std::string, bool> m_overrides;  // by the section's name key
};

// The keys the entry `section` has across the stack, in the document's order, then those the
// layers add, in stack order (each once, letter case ignored).
std::vector<std::string> KeysOf(const LayerStack& stack, std::string_view section);

// A key that two or more files set.
struct KeyOverride {
    std::string Key;
    ValueChain Chain;
};

// The overrides of one entry, in the order of its keys in the files.
struct EntryOverrides {
    std::string Code;
    std::vector<KeyOverride> Keys;
};

// Every key that two or more files of the stack set, grouped by entry, entries and keys in the
// order the layers first set them. `onlyConflicts`: only the keys whose files disagree (Disagrees),
// and only the entries that keep a key.
std::vector<EntryOverrides> OverridesOf(const LayerStack& stack, bool onlyConflicts);

// The number, counting from 1, of the line the store writes for line `line` of the section at
// `section`, as IniStore::RenderText writes them. For many lookups in one store, LineNumbers.
size_t LineNumberOf(const IniStore& store, size_t section, size_t line);

// The line numbers of one store's headers, counted once: a store that does not change in the
// meantime answers each lookup in the time of its section alone.
class LineNumbers {
public:
    explicit LineNumbers(const IniStore& store);
    size_t Of(size_t section, size_t line) const;

private:
    const IniStore& m_store;
    std::vector<size_t> m_headers;
};

}  // namespace velmora
