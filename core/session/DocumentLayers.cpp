// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/DocumentLayers.h"

#include "core/catalogue/Workspace.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerEdit.h"
#include "core/layers/LayeredSave.h"
#include "core/store/Routines.h"

namespace velmora {

DocumentLayers::DocumentLayers(Workspace& workspace) : m_workspace(workspace), m_stack(workspace) {}

DocumentLayers::~DocumentLayers() = default;

void DocumentLayers::Add(const std::string& fileName) {
    m_stack.Add(fileName);
    m_workspace.Doc().NoteLayersChanged();
}

void DocumentLayers::Move(size_t from, size_t to) {
    m_stack.Move(from, to);
    m_workspace.Doc().NoteLayersChanged();
}

void DocumentLayers::Remove(size_t index) {
    m_stack.Remove(index);
    m_workspace.Doc().NoteLayersChanged();
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

bool DocumentLayers::Write(size_t file, const std::string& code, const std::string& key, const std::string& value,
                           const std::string& category) {
    if (file == 0) return m_workspace.Doc().SetValue(code, key, value, category);
    return SetLayerValue(m_stack, file - 1, code, key, value, category);
}

std::string DocumentLayers::FileName(size_t file) const {
    if (file == 0) return ExtractFileName(m_workspace.Doc().FileName());
    return m_stack.Layer(file - 1).ShortName();
}

bool DocumentLayers::Unsaved() const {
    return m_workspace.Doc().Modified() || !m_stack.ChangedLayers().empty();
}

void DocumentLayers::Save() {
    SaveStack(m_stack);
}

void DocumentLayers::SaveAs(const std::string& documentFile) {
    SaveStackAs(m_stack, documentFile);
}

}  // namespace velmora
