// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/OpenDocument.h"

#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/references/FindIndex.h"
#include "core/session/DocumentLayers.h"
#include "core/values/LiveValueCheck.h"

namespace velmora {

OpenDocument::OpenDocument(Workspace& workspace)
    : m_workspace(workspace),
      m_values(std::make_unique<LiveValueCheck>(workspace)),
      m_comparison(workspace),
      m_layers(std::make_unique<DocumentLayers>(workspace)) {
    m_workspace.Doc().AddObserver(*this);
}

OpenDocument::~OpenDocument() {
    m_workspace.Doc().RemoveObserver(*this);
}

void OpenDocument::ValuesChanged(const std::set<TouchedValue>& touched) {
    for (const auto& [code, key] : touched) {
        m_comparison.Touch(code);
        if (m_index) m_indexTouched.Add(code);
        if (m_usagesFollowed) m_usagesTouched.Add(code);
        if (m_references) m_referencesTouched.Add(code);
    }
}

void OpenDocument::TouchEverything() {
    m_comparison.TouchEverything();
    m_indexTouched.AddEverything();
    m_usagesTouched.AddEverything();
    m_referencesTouched.AddEverything();
}

// ---------------------------------------------------------------------------------------------
// The find index

void OpenDocument::TakeIndex(std::unique_ptr<FindIndex> index) {
    m_index = std::move(index);
    m_indexTouched.Clear();
}

void OpenDocument::DropIndex() {
    m_index.reset();
    m_indexTouched.Clear();
}

std::optional<std::vector<size_t>> OpenDocument::IndexSectionsToRead() const {
    if (!m_index || !m_index->Follows(m_workspace)) return std::nullopt;
    return m_indexTouched.SectionsToRead(m_workspace);
}

void OpenDocument::FollowIndex() {
    if (!m_index) return;
    m_index->Update(m_workspace, m_indexTouched);
    m_indexTouched.Clear();
}

// ---------------------------------------------------------------------------------------------
// Usages and Check References

void OpenDocument::FindUsagesOf(const std::string& code) {
    m_usagesCode = code;
    m_usagesTouched.Clear();
    if (!m_workspace.Doc().HasDocument()) {
        ForgetUsages();
        return;
    }
    const bool caseSensitive = m_workspace.G().CaseSensitive;
    m_usages.Renew([&] { return FindUsages(m_workspace.Doc().Store(), m_usagesCode, caseSensitive); });
    m_usagesFollowed = true;
}

void OpenDocument::FollowUsages() {
    if (!m_usagesFollowed) return;
    if (!m_workspace.Doc().HasDocument()) {
        ForgetUsages();
        return;
    }
    const IniStore& document = m_workspace.Doc().Store();
    const bool caseSensitive = m_workspace.G().CaseSensitive;
    m_usages.Follow(
        m_usagesTouched.SectionsToRead(m_workspace),
        [&] { return FindUsages(document, m_usagesCode, caseSensitive); },
        [&](const std::vector<size_t>& sections) {
            return std::optional(FindUsagesIn(document, m_usagesCode, caseSensitive, sections));
        });
    m_usagesTouched.Clear();
}

void OpenDocument::ForgetUsages() {
    m_usages.Forget();
    m_usagesFollowed = false;
    m_usagesTouched.Clear();
}

void OpenDocument::CheckReferences() {
    m_references = std::make_unique<ReferenceCheck>(m_workspace);
    m_referencesTouched.Clear();
}

void OpenDocument::FollowReferences() {
    if (!m_references) return;
    if (!m_workspace.Doc().HasStores()) {
        ForgetReferences();
        return;
    }
    const std::optional<std::vector<size_t>> sections = m_referencesTouched.SectionsToRead(m_workspace);
    if (!sections || !m_references->Follow(*sections))
        m_references = std::make_unique<ReferenceCheck>(m_workspace);
    m_referencesTouched.Clear();
}

void OpenDocument::ForgetReferences() {
    m_references.reset();
    m_referencesTouched.Clear();
}

}  // namespace velmora
