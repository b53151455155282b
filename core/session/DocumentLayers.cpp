// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/DocumentLayers.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerEdit.h"
#include "core/layers/LayeredSave.h"
#include "core/recovery/RecoveryFile.h"
#include "core/references/EntryTargets.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/Routines.h"
#include "core/values/LiveValueCheck.h"

namespace velmora {

DocumentLayers::DocumentLayers(Workspace& workspace) : m_workspace(workspace), m_stack(workspace) {}

DocumentLayers::~DocumentLayers() = default;

void DocumentLayers::Add(const std::string& fileName) {
    if (!m_refusal.empty()) throw IniError(m_refusal);
    m_stack.Add(fileName);
    m_workspace.Doc().NoteLayersChanged();
}

void DocumentLayers::RefuseLayers(std::string reason) {
    m_refusal = std::move(reason);
    if (!m_refusal.empty()) RemoveAll();
}

void DocumentLayers::RemoveAll() {
    if (!Any()) return;
    while (m_stack.Count() > 0) m_stack.Remove(m_stack.Count() - 1);
    m_workspace.Doc().NoteLayersChanged();
}

void DocumentLayers::Exchange(DocumentLayers& other) {
    m_stack.ExchangeLayers(other.m_stack);
    // The values were read of the other stack: both are read again when next asked.
    m_values.reset();
    other.m_values.reset();
}

void DocumentLayers::Move(size_t from, size_t to) {
    m_stack.Move(from, to);
    m_workspace.Doc().NoteLayersChanged();
}

void DocumentLayers::Remove(size_t index) {
    m_stack.Remove(index);
    m_workspace.Doc().NoteLayersChanged();
}

void DocumentLayers::ReadAgain(size_t index) {
    m_stack.ReadAgain(index);
    m_workspace.Doc().NoteLayersChanged();
}

std::vector<std::string> DocumentLayers::DropUnsavedEdits() {
    std::vector<std::string> gone;
    const std::vector<size_t> changed = m_stack.ChangedLayers();
    // From the top, so that a layer that leaves does not move those still to be read.
    for (auto index = changed.rbegin(); index != changed.rend(); ++index) {
        try {
            m_stack.ReadAgain(*index);
        } catch (const IniError&) {
            gone.insert(gone.begin(), m_stack.Layer(*index).ShortName());
            m_stack.Remove(*index);
        }
    }
    if (!changed.empty()) m_workspace.Doc().NoteLayersChanged();
    return gone;
}

void DocumentLayers::AddToCopy(SessionCopy& session) const {
    for (size_t index = 0; index < m_stack.Count(); ++index) {
        const LayerFile& layer = m_stack.Layer(index);
        const bool changed = layer.Changed();
        session.Copy.Files.push_back({std::string(changed ? Recovery::LayerRole : Recovery::LayerOnDiskRole),
                                      platform::AbsoluteName(layer.FileName()), layer.Stamp(), {}});
        session.Stores.push_back(changed ? &layer.Store() : nullptr);
    }
}

std::vector<std::string> DocumentLayers::Restore(const Recovery& recovery) {
    const auto isLayer = [](const RecoveredFile& file) {
        return file.Role == Recovery::LayerRole || file.Role == Recovery::LayerOnDiskRole;
    };
    const bool anyLayer = std::any_of(recovery.Files.begin(), recovery.Files.end(), isLayer);
    if (!anyLayer && !Any()) return {};
    if (anyLayer && !m_refusal.empty()) throw IniError(m_refusal);
    while (m_stack.Count() > 0) m_stack.Remove(m_stack.Count() - 1);
    std::vector<std::string> unread;
    for (const RecoveredFile& file : recovery.Files) {
        try {
            if (file.Role == Recovery::LayerRole)
                m_stack.AddRecovered(file.Path, file.Bytes, file.Loaded);
            else if (file.Role == Recovery::LayerOnDiskRole)
                m_stack.Add(file.Path);
        } catch (const IniError&) {
            unread.push_back(ExtractFileName(file.Path));
        }
    }
    m_workspace.Doc().NoteLayersChanged();
    return unread;
}

StackValues& DocumentLayers::Values() {
    // Every edit, undo, redo, load and change of the stack counts a change of the document.
    const uint64_t count = m_workspace.Doc().ChangeCount();
    if (!m_values || m_valuesCount != count) {
        m_values = std::make_unique<StackValues>(m_stack);
        m_valuesCount = count;
    }
    return *m_values;
}

std::string DocumentLayers::ShownValue(const std::string& code, const std::string& key) {
    const Document& document = m_workspace.Doc();
    if (!Any()) return document.HasDocument() ? document.Store().ReadString(code, key, "") : std::string();
    const ValueChain chain = Values().Chain(code, key);
    return chain.Empty() ? std::string() : chain.Winner().Value;
}

std::string DocumentLayers::EntryName(const std::string& code) {
    const Document& document = m_workspace.Doc();
    if (!Any()) return document.HasDocument() ? document.Store().ReadString(code, "Name", "-") : std::string("-");
    const ValueChain chain = Values().Chain(code, "Name");
    return chain.Empty() ? std::string("-") : chain.Winner().Value;
}

bool DocumentLayers::Write(size_t file, const std::string& code, const std::string& key, const std::string& value,
                           const std::string& category) {
    if (const std::optional<size_t> adder = m_stack.AddedBy(code); adder && file <= *adder) {
        const std::string name = FileName(*adder + 1);
        throw IniError(code + " is added by " + name + ": choose " + name +
                       " (or a layer over it) in \"Edit in:\" to change it");
    }
    if (file == 0) return m_workspace.Doc().SetValue(code, key, value, category);
    return SetLayerValue(m_stack, file - 1, code, key, value, category);
}

void DocumentLayers::RefuseAddedEntry(const std::string& code) const {
    if (const std::optional<size_t> adder = m_stack.AddedBy(code))
        throw IniError(code + " is added by " + FileName(*adder + 1) +
                       ": only the document's own entries can be duplicated, renamed or deleted");
}

std::string DocumentLayers::FileName(size_t file) const {
    if (file == 0) return ExtractFileName(m_workspace.Doc().FileName());
    return m_stack.Layer(file - 1).ShortName();
}

std::vector<LayerValueFinding> LayerMisfits(const Workspace& workspace, const LayerStack& stack,
                                            StackValues& chains, const ValueMisfit& misfit) {
    std::vector<LayerValueFinding> findings;
    const std::unordered_set<std::string> listed = stack.ListedNames();
    for (size_t layer = 0; layer < stack.Count(); ++layer) {
        const IniStore& store = stack.Layer(layer).Store();
        const LineNumbers numbers(store);
        for (size_t at = 0; at < store.SectionCount(); ++at) {
            const IniSection& section = store.SectionAt(at);
            if (!stack.IsOverride(section.Name(), listed)) continue;
            for (size_t line = 0; line < section.Count(); ++line) {
                std::string_view spelt;
                if (!section.LineAt(line).KeyName(spelt)) continue;
                const std::string key(TrimView(spelt));
                const std::string code(section.Name());
                // Only the value that wins is the game's: one a later layer overrides is not judged.
                const ValueChain chain = chains.Chain(code, key);
                if (chain.Empty() || chain.Winner().File != layer + 1) continue;
                const std::optional<std::string> reason = misfit(code, key, chain.Winner().Value);
                if (!reason) continue;
                const std::optional<EntryListing> listing = FindEntryListing(workspace, code);
                findings.push_back({layer, stack.Layer(layer).ShortName(), numbers.Of(at, line),
                                    listing ? workspace.CategoryRows()[listing->CategoryRow] : std::string(),
                                    code, key, chain.Winner().Value, *reason});
            }
        }
    }
    return findings;
}

std::vector<LayerValueFinding> DocumentLayers::Misfits(LiveValueCheck& values) {
    return LayerMisfits(m_workspace, m_stack, Values(),
                        [&values](std::string_view code, std::string_view key, std::string_view value) {
                            return values.Misfit(code, key, value);
                        });
}

bool DocumentLayers::Unsaved() const {
    return m_workspace.Doc().Modified() || !m_stack.ChangedLayers().empty();
}

std::vector<std::string> DocumentLayers::UnsavedFiles() const {
    const Document& document = m_workspace.Doc();
    const std::vector<size_t> changed = m_stack.ChangedLayers();
    // An edit of a layer takes the history off its clean point too: the document counts when its
    // own stores changed, or when nothing else did.
    std::vector<std::string> names;
    if (document.Modified() &&
        (changed.empty() || document.History().ChangedSinceClean(StoreOf::Document) || document.DefinitionChanged()))
        names.push_back(FileName(0));
    for (size_t index : changed) names.push_back(m_stack.Layer(index).ShortName());
    return names;
}

void DocumentLayers::Save() {
    SaveStack(m_stack);
}

void DocumentLayers::SaveAs(const std::string& documentFile) {
    SaveStackAs(m_stack, documentFile);
}

}  // namespace velmora
