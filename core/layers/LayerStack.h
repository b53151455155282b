// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/store/DiskStamp.h"
#include "core/store/IniStore.h"

namespace velmora {

class Workspace;

// An entry that only a layer's list of a category names: the code as that list spells it, and the
// layer (its index in the stack) whose list names it first.
struct AddedEntry {
    std::string Code;
    size_t Layer = 0;
};

// The category whose list in a layer adds an entry, and that layer (its index in the stack).
struct AddedListing {
    std::string Category;
    size_t Layer = 0;
};

// One file of the stack over the document: a game-mode file or a map, read into the same
// byte-exact store a document is read into. The stack and the edits made in it share it, so that
// an edit the history still holds never outlives the store it changes, even once the layer left
// the stack.
class LayerFile {
public:
    // Reads `fileName`. Throws IniError "Cannot open file ..." when it is no readable file.
    LayerFile(const std::string& fileName, const bool* caseSensitive);
    // A layer put back from a recovery copy: `bytes` as the session left them, `loaded` the file as
    // that session read it. It counts as changed until a save writes it.
    LayerFile(const std::string& fileName, std::string bytes, const DiskStamp& loaded,
              const bool* caseSensitive);

    const std::string& FileName() const { return m_store.FileName(); }
    // The file's name without its folder, as the chains name it.
    std::string ShortName() const;
    const IniStore& Store() const { return m_store; }
    IniStore& EditableStore() { return m_store; }
    const DiskStamp& Stamp() const { return m_stamp; }

    // Whether the store stands otherwise than when it was read or last saved. The edits done on
    // it are known by number: the last one done, against the last one done at the save.
    bool Changed() const { return LastDone() != m_savedLast; }
    void EditDone(uint64_t edit) { m_done.push_back(edit); }
    void EditUndone() { m_done.pop_back(); }
    void MarkSaved(const DiskStamp& written) {
        m_savedLast = LastDone();
        m_stamp = written;
    }

private:
    // The save point of a store no save of this session wrote: no edit's number reaches it.
    static constexpr uint64_t UnsavedMark = UINT64_MAX;
    uint64_t LastDone() const { return m_done.empty() ? 0 : m_done.back(); }

    IniStore m_store;
    DiskStamp m_stamp;
    std::vector<uint64_t> m_done;
    uint64_t m_savedLast = 0;
};

// The files the game reads over the open document, in the order it reads them: whatever a later
// file sets wins, key by key, and a section only a later file has is added. A layer's section is
// one of the game's objects (an override) when the document has a section of that name, or when
// a category's list anywhere in the stack names it (a unit a map adds); every other section of a
// layer is the file's own data (a map's terrain, waypoints, triggers), kept byte for byte and never
// shown as an entry.
class LayerStack {
public:
    // `workspace` outlives the stack; its document and definition file are the stack's base.
    explicit LayerStack(Workspace& workspace);
    ~LayerStack();
    LayerStack(const LayerStack&) = delete;
    LayerStack& operator=(const LayerStack&) = delete;

    const Workspace& Work() const { return m_workspace; }
    Workspace& Work() { return m_workspace; }

    // Reads `fileName` and puts it on top. Throws IniError when it cannot be read, or when the
    // document or a layer already is that file.
    void Add(const std::string& fileName);
    // The layer at `from` goes to position `to`; the others keep their order.
    void Move(size_t from, size_t to);
    void Remove(size_t index);
    // Takes the layers of `other`, which takes these: the layers stay with their document when it
    // changes places with another workspace's (Workspace::ExchangeKind).
    void ExchangeLayers(LayerStack& other) { m_layers.swap(other.m_layers); }

    size_t Count() const { return m_layers.size(); }
    const LayerFile& Layer(size_t index) const { return *m_layers.at(index); }
    // The layer read from `name` (as given to Add, or its name without the folder, letter case
    // ignored); throws IniError when none is.
    size_t IndexOfLayer(const std::string& name) const;
    std::shared_ptr<LayerFile> SharedLayer(size_t index) const { return m_layers.at(index); }

    // The names that the categories' lists of every file of the stack give, as section names
    // compare (folded when letter case does not count).
    std::unordered_set<std::string> ListedNames() const;
    // Whether a layer's section `name` is an override; `listed` as ListedNames gives it.
    bool IsOverride(std::string_view name, const std::unordered_set<std::string>& listed) const;
    // The key of `name` in the sets ListedNames gives.
    std::string NameKey(std::string_view name) const;

    // The entries the layers' lists of `category` add to those the document lists, in stack order
    // and then list order, each once; none for a category whose list the document does not keep.
    std::vector<AddedEntry> AddedEntries(const std::string& category) const;
    // The layer that adds the entry `code` to a category that the document's lists do not name it
    // in; none when the document lists it or no layer does.
    std::optional<size_t> AddedBy(std::string_view code) const;
    // Where the window of a category shows the entry `code` that a layer adds: the first category
    // whose added entries hold it, with the layer that adds it there. None when no layer adds it.
    std::optional<AddedListing> AddedListingOf(std::string_view code) const;

    // Every changed layer, in stack order.
    std::vector<size_t> ChangedLayers() const;

    // The layer at `index` read again from its file, as another program left it; its edits, which
    // the history may still hold, change the copy that goes and no longer this one. Throws
    // IniError when the file cannot be read; the layer then stays as it was.
    void ReadAgain(size_t index);
    // Puts a layer a recovery copy holds on top (see LayerFile), as Add does.
    void AddRecovered(const std::string& fileName, std::string bytes, const DiskStamp& loaded);

private:
    // Throws IniError when the document or a layer already is `fileName`.
    void RefuseSameFile(const std::string& fileName) const;

    Workspace& m_workspace;
    std::vector<std::shared_ptr<LayerFile>> m_layers;
};

}  // namespace velmora
