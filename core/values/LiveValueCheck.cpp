// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/values/LiveValueCheck.h"

#include "core/values/ValueCheck.h"
#include "core/references/References.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"

namespace velmora {

LiveValueCheck::LiveValueCheck(Workspace& workspace) : m_workspace(workspace) {
    m_workspace.Doc().AddObserver(*this);
}

LiveValueCheck::~LiveValueCheck() { m_workspace.Doc().RemoveObserver(*this); }

void LiveValueCheck::SeeKinds(std::vector<const Workspace*> kinds) {
    m_kinds = std::move(kinds);
    Forget();
}

const ValueCheck& LiveValueCheck::Check() {
    const Document& document = m_workspace.Doc();
    if (m_document != document.StoreOrNull(StoreOf::Document) ||
        m_definition != document.StoreOrNull(StoreOf::Definition))
        Forget();
    if (!m_check) {
        m_check = std::make_unique<ValueCheck>(m_workspace, m_kinds);
        m_document = document.StoreOrNull(StoreOf::Document);
        m_definition = document.StoreOrNull(StoreOf::Definition);
    }
    return *m_check;
}

std::optional<std::string> LiveValueCheck::Misfit(std::string_view code, std::string_view key,
                                                  std::string_view value) {
    const ValueCheck& check = Check();
    if (!m_workspace.Doc().HasDocument()) return std::nullopt;
    if (!m_rule) m_rule = std::make_unique<DanglingRule>(m_workspace);
    return check.Misfit(code, key, value, *m_rule);
}

std::optional<std::string> LiveValueCheck::StoredMisfit(std::string_view code, std::string_view key) {
    if (!m_workspace.Doc().HasDocument() || key.empty() || !m_workspace.Doc().Store().ValueExists(code, key))
        return std::nullopt;
    return Misfit(code, key, m_workspace.Doc().Store().ReadString(code, key, ""));
}

ValueKind LiveValueCheck::KindIn(std::string_view category, std::string_view key) {
    const ValueCheck& check = Check();
    const int at = check.Learner().CategoryIndex(category);
    return at < 0 ? ValueKind{} : check.KindOf(static_cast<size_t>(at), key).Count.Kind;
}

void LiveValueCheck::ValuesChanged(const std::set<TouchedValue>& touched) {
    m_rule.reset();
    if (!m_check) return;
    // A change of a category's list is learned afresh when next asked. The values come sorted by
    // code: each code is looked at once.
    const std::string* last = nullptr;
    for (const TouchedValue& value : touched) {
        if (last != nullptr && *last == value.first) continue;
        last = &value.first;
        if (m_check->ListsChangeWith(value.first)) {
            Forget();
            return;
        }
    }
    m_check->ValuesChanged(touched);
}

void LiveValueCheck::Forget() {
    m_rule.reset();
    m_check.reset();
}

}  // namespace velmora
