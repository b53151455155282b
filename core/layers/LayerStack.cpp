// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/layers/LayerStack.h"

#include <algorithm>

#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "core/store/PlatformFile.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

// The store of a file that must be there: IniStore alone reads a missing file as an empty one.
const std::string& ExistingFile(const std::string& fileName) {
    if (!platform::IsRegularFile(fileName)) throw IniError::CannotOpen(fileName);
    return fileName;
}

// Calls `named` with each name the list section `list` of `store` gives.
template <typename Named>
void ForEachListed(const IniStore& store, const std::string& list, Named named) {
    const int position = store.IndexOfSection(list);
    if (position < 0) return;
    const IniSection& lines = store.SectionAt(static_cast<size_t>(position));
    std::string_view name;
    for (size_t i = 0; i < lines.Count(); ++i)
        if (IniStore::ListedName(lines.LineAt(i), name) && !name.empty()) named(name);
}

}  // namespace

LayerFile::LayerFile(const std::string& fileName, const bool* caseSensitive)
    : m_store(ExistingFile(fileName), caseSensitive), m_stamp(TakeDiskStamp(fileName)) {}

LayerFile::LayerFile(const std::string& fileName, std::string bytes, const DiskStamp& loaded,
                     const bool* caseSensitive)
    : m_store(std::string(), caseSensitive), m_stamp(loaded), m_savedLast(UnsavedMark) {
    m_store.LoadText(std::move(bytes));
    m_store.Rename(fileName, false);
}

std::string LayerFile::ShortName() const {
    return ExtractFileName(FileName());
}

LayerStack::LayerStack(Workspace& workspace) : m_workspace(workspace) {}

LayerStack::~LayerStack() = default;

void LayerStack::Add(const std::string& fileName) {
    RefuseSameFile(fileName);
    m_layers.push_back(std::make_shared<LayerFile>(fileName, &m_workspace.G().CaseSensitive));
}

void LayerStack::AddRecovered(const std::string& fileName, std::string bytes, const DiskStamp& loaded) {
    RefuseSameFile(fileName);
    m_layers.push_back(
        std::make_shared<LayerFile>(fileName, std::move(bytes), loaded, &m_workspace.G().CaseSensitive));
}

void LayerStack::ReadAgain(size_t index) {
    if (index >= m_layers.size()) throw IniError("No such layer");
    m_layers[index] =
        std::make_shared<LayerFile>(m_layers[index]->FileName(), &m_workspace.G().CaseSensitive);
}

void LayerStack::RefuseSameFile(const std::string& fileName) const {
    const std::string absolute = platform::AbsoluteName(fileName);
    auto same = [&absolute](const std::string& other) {
        const std::string name = platform::AbsoluteName(other);
        return platform::FileNamesIgnoreCase() ? EqualsNoCase(name, absolute) : name == absolute;
    };
    if (m_workspace.Doc().HasDocument() && same(m_workspace.Doc().FileName()))
        throw IniError(Escaped(fileName) + " is the document itself");
    for (const auto& layer : m_layers)
        if (same(layer->FileName())) throw IniError(Escaped(fileName) + " is already a layer");
}

void LayerStack::Move(size_t from, size_t to) {
    if (from >= m_layers.size() || to >= m_layers.size()) throw IniError("No such layer");
    std::shared_ptr<LayerFile> moving = std::move(m_layers[from]);
    m_layers.erase(m_layers.begin() + static_cast<std::ptrdiff_t>(from));
    m_layers.insert(m_layers.begin() + static_cast<std::ptrdiff_t>(to), std::move(moving));
}

void LayerStack::Remove(size_t index) {
    if (index >= m_layers.size()) throw IniError("No such layer");
    m_layers.erase(m_layers.begin() + static_cast<std::ptrdiff_t>(index));
}

size_t LayerStack::IndexOfLayer(const std::string& name) const {
    for (size_t i = 0; i < m_layers.size(); ++i)
        if (m_layers[i]->FileName() == name || EqualsNoCase(m_layers[i]->ShortName(), name)) return i;
    throw IniError("no layer " + Escaped(name));
}

std::string LayerStack::NameKey(std::string_view name) const {
    return m_workspace.G().CaseSensitive ? std::string(name) : FoldCase(name);
}

// A category of kind 0 keeps its list in the rules' own section of its name, which every layer may
// extend; the definition file's lists are the others.
std::unordered_set<std::string> LayerStack::ListedNames() const {
    std::unordered_set<std::string> names;
    auto addList = [this, &names](const IniStore& store, const std::string& list) {
        ForEachListed(store, list, [this, &names](std::string_view name) { names.insert(NameKey(name)); });
    };
    const Document& document = m_workspace.Doc();
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    const std::vector<int>& kinds = m_workspace.CategoryKinds();
    for (size_t row = 0; row < rows.size() && row < kinds.size(); ++row) {
        if (Workspace::DocumentListsEntries(kinds[row])) {
            if (document.HasDocument()) addList(document.Store(), rows[row]);
            for (const auto& layer : m_layers) addList(layer->Store(), rows[row]);
        }
        if (document.HasDefinition()) addList(document.Definition(), rows[row]);
    }
    return names;
}

std::vector<AddedEntry> LayerStack::AddedEntries(const std::string& category) const {
    std::vector<AddedEntry> added;
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    const std::vector<int>& kinds = m_workspace.CategoryKinds();
    const auto row = std::find(rows.begin(), rows.end(), category);
    if (m_layers.empty() || row == rows.end()) return added;
    const auto at = static_cast<size_t>(row - rows.begin());
    if (at >= kinds.size() || !Workspace::DocumentListsEntries(kinds[at])) return added;
    std::unordered_set<std::string> seen;
    const Document& document = m_workspace.Doc();
    auto see = [this, &seen](std::string_view name) { seen.insert(NameKey(name)); };
    if (document.HasDocument()) ForEachListed(document.Store(), category, see);
    for (size_t layer = 0; layer < m_layers.size(); ++layer)
        ForEachListed(m_layers[layer]->Store(), category, [&](std::string_view name) {
            if (seen.insert(NameKey(name)).second) added.push_back({std::string(name), layer});
        });
    return added;
}

std::optional<size_t> LayerStack::AddedBy(std::string_view code) const {
    if (m_layers.empty()) return std::nullopt;
    const std::string wanted = NameKey(code);
    const Document& document = m_workspace.Doc();
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    const std::vector<int>& kinds = m_workspace.CategoryKinds();
    auto lists = [&](const IniStore& store, const std::string& list) {
        bool found = false;
        ForEachListed(store, list, [&](std::string_view name) { found = found || NameKey(name) == wanted; });
        return found;
    };
    std::optional<size_t> adder;
    for (size_t row = 0; row < rows.size() && row < kinds.size(); ++row) {
        if (document.HasDefinition() && lists(document.Definition(), rows[row])) return std::nullopt;
        if (!Workspace::DocumentListsEntries(kinds[row])) continue;
        if (document.HasDocument() && lists(document.Store(), rows[row])) return std::nullopt;
        for (size_t layer = 0; layer < m_layers.size() && (!adder || layer < *adder); ++layer)
            if (lists(m_layers[layer]->Store(), rows[row])) adder = layer;
    }
    return adder;
}

std::optional<AddedListing> LayerStack::AddedListingOf(std::string_view code) const {
    if (!AddedBy(code)) return std::nullopt;
    const std::string wanted = NameKey(code);
    for (const std::string& category : m_workspace.CategoryRows())
        for (const AddedEntry& added : AddedEntries(category))
            if (NameKey(added.Code) == wanted) return AddedListing{category, added.Layer};
    return std::nullopt;
}

bool LayerStack::IsOverride(std::string_view name, const std::unordered_set<std::string>& listed) const {
    const Document& document = m_workspace.Doc();
    if (document.HasDocument() && document.Store().IndexOfSection(name) >= 0) return true;
    return listed.count(NameKey(name)) != 0;
}

std::vector<size_t> LayerStack::ChangedLayers() const {
    std::vector<size_t> changed;
    for (size_t i = 0; i < m_layers.size(); ++i)
        if (m_layers[i]->Changed()) changed.push_back(i);
    return changed;
}

}  // namespace velmora
