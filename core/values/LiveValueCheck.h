// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/values/ValueKinds.h"
#include "core/document/Document.h"

namespace velmora {

class DanglingRule;
class IniStore;
class ValueCheck;
class Workspace;

// The value check of the document being edited, as the grid, the table and Check Values ask it.
// It learns once per load, on first use, and then follows the document: a changed value counts
// its key again (a fraction of a millisecond), a change of entries or a load has it learn afresh
// when next asked. It must be told before any view that asks it, so it is to observe the document
// before the views do.
class LiveValueCheck : public DocumentObserver {
public:
    explicit LiveValueCheck(Workspace& workspace);
    ~LiveValueCheck() override;
    LiveValueCheck(const LiveValueCheck&) = delete;
    LiveValueCheck& operator=(const LiveValueCheck&) = delete;

    // The kinds of file of a mod open together, this one's among them (ValueCheck): from the next
    // learning on, a key whose sources lie in the others is told as a code of them.
    void SeeKinds(std::vector<const Workspace*> kinds);

    // The check as the document now stands.
    const ValueCheck& Check();
    // Why `value` of `key` in entry `code` does not fit the key's kind; nothing when it fits.
    std::optional<std::string> Misfit(std::string_view code, std::string_view key, std::string_view value);
    // Why the value the entry `code` holds for `key` does not fit; nothing when it fits, and
    // nothing when the entry has no line of the key (an absent value is no finding).
    std::optional<std::string> StoredMisfit(std::string_view code, std::string_view key);
    // The kind of `key` in the category of that name (pinned, else learned); text when the
    // category is unknown.
    ValueKind KindIn(std::string_view category, std::string_view key);

    void ValueChanged(const std::string& code, const std::string& key) override { ValuesChanged({{code, key}}); }
    // An edit's values are counted again a key at a time: an edit of a whole column costs one count.
    void ValuesChanged(const std::set<TouchedValue>& touched) override;
    void EntriesChanged() override { Forget(); }
    // What it learned is of the document alone.
    void LayersChanged() override {}
    void Restarted() override { Forget(); }

private:
    void Forget();

    Workspace& m_workspace;
    std::vector<const Workspace*> m_kinds;
    std::unique_ptr<ValueCheck> m_check;  // none until asked after a load or a change of entries
    std::unique_ptr<DanglingRule> m_rule;  // the codes read so far; dropped on every change
    // The stores the check and the rule were made from. A load tells Restarted before it replaces
    // them, so a question asked in between must not keep what it learned from the old ones.
    const IniStore* m_document = nullptr;
    const IniStore* m_definition = nullptr;
};

}  // namespace velmora
