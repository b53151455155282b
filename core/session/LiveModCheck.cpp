// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/LiveModCheck.h"

#include <algorithm>

#include "core/catalogue/Workspace.h"
#include "core/document/Document.h"
#include "core/values/LiveValueCheck.h"

namespace velmora {

// The news of one kind's document, handed on with the kind's position.
class LiveModCheck::KindWatch : public DocumentObserver {
public:
    KindWatch(LiveModCheck& check, size_t kind, Document& document)
        : m_check(check), m_kind(kind), m_document(document) {
        m_document.AddObserver(*this);
    }
    ~KindWatch() override { m_document.RemoveObserver(*this); }
    KindWatch(const KindWatch&) = delete;
    KindWatch& operator=(const KindWatch&) = delete;

    void ValueChanged(const std::string&, const std::string&) override { m_check.Touched(m_kind); }
    void ValuesChanged(const std::set<TouchedValue>&) override { m_check.Touched(m_kind); }
    void EntriesChanged() override { m_check.Touched(m_kind); }
    void Restarted() override { m_check.Touched(m_kind); }

private:
    LiveModCheck& m_check;
    size_t m_kind;
    Document& m_document;
};

LiveModCheck::LiveModCheck(std::vector<Kind> kinds)
    : m_kinds(std::move(kinds)), m_values(m_kinds.size()), m_valuesStale(m_kinds.size(), true) {
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        m_works.push_back(m_kinds[i].Work);
        m_watches.push_back(std::make_unique<KindWatch>(*this, i, m_kinds[i].Work->Doc()));
    }
}

LiveModCheck::~LiveModCheck() {
    // A listener may remove itself while told.
    const std::vector<Listener*> listeners = m_listeners;
    for (Listener* listener : listeners) listener->ModCheckGone();
}

void LiveModCheck::AddListener(Listener& listener) { m_listeners.push_back(&listener); }

void LiveModCheck::RemoveListener(Listener& listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), &listener), m_listeners.end());
}

void LiveModCheck::Touched(size_t kind) {
    m_valuesStale[kind] = true;
    m_stale = true;
    const std::vector<Listener*> listeners = m_listeners;
    for (Listener* listener : listeners) listener->ModCheckChanged();
}

const ModCheckResult& LiveModCheck::Result() {
    if (!m_stale) return m_result;
    std::vector<const KindFindings*> parts;
    for (size_t kind = 0; kind < m_kinds.size(); ++kind) {
        if (m_valuesStale[kind]) {
            m_values[kind] =
                m_works[kind]->Doc().HasStores()
                    ? ValueFindingsOf(m_works, kind, m_kinds[kind].Values->Check(), m_kinds[kind].Layers)
                    : KindFindings{};
            m_valuesStale[kind] = false;
        }
        parts.push_back(&m_values[kind]);
    }
    std::vector<const LayerStack*> layers;
    for (const Kind& kind : m_kinds) layers.push_back(kind.Layers);
    m_result = MergeFindings(m_works, DanglingFindings(m_works, layers), parts);
    m_stale = false;
    return m_result;
}

}  // namespace velmora
