// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/session/ModCheck.h"

namespace velmora {

class LayerStack;
class LiveValueCheck;
class Workspace;

// Check the Mod as the kinds' documents now stand, for a window that shows it while the modder
// edits. It observes every kind's document and judges again, when next asked, only what an edit
// can have changed: the value findings of the kinds that were edited (from the value check each
// kind keeps, which counts again only the keys an edit touched) and the names across all kinds,
// since a name in one kind may point at a section of another, and the names the layers over a kind
// use. A listener hears of every change.
class LiveModCheck {
public:
    struct Kind {
        Workspace* Work = nullptr;
        LiveValueCheck* Values = nullptr;  // the kind's own, following its document
        const LayerStack* Layers = nullptr;  // the layers over the kind's document; null for none
    };

    // Told after an edit of any kind, or when the check goes; it asks Result() when it likes.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void ModCheckChanged() = 0;
        // The kinds are being closed: the check is no more after this.
        virtual void ModCheckGone() {}
    };

    // The kinds in [FilesToEdit] order; their workspaces and value checks outlive the check.
    explicit LiveModCheck(std::vector<Kind> kinds);
    ~LiveModCheck();
    LiveModCheck(const LiveModCheck&) = delete;
    LiveModCheck& operator=(const LiveModCheck&) = delete;

    // The findings and warnings as the documents now stand.
    const ModCheckResult& Result();
    size_t KindCount() const { return m_kinds.size(); }
    const Workspace& KindAt(size_t index) const { return *m_kinds[index].Work; }

    void AddListener(Listener& listener);
    void RemoveListener(Listener& listener);

private:
    class KindWatch;
    // An edit of kind `kind` (or a load of it).
    void Touched(size_t kind);

    std::vector<Kind> m_kinds;
    std::vector<const Workspace*> m_works;
    std::vector<std::unique_ptr<KindWatch>> m_watches;
    std::vector<KindFindings> m_values;  // per kind, as last judged
    std::vector<bool> m_valuesStale;     // per kind
    bool m_stale = true;
    ModCheckResult m_result;
    std::vector<Listener*> m_listeners;
};

}  // namespace velmora
