// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/values/KindLearning.h"
#include "core/values/PinnedRules.h"
#include "core/values/Severity.h"
#include "core/values/ValueKinds.h"
#include "core/document/Document.h"
#include "core/references/References.h"

namespace velmora {

class Workspace;

// The [ValueKinds] lines "Key=kind" of what `learner` learned: each key whose values in all
// categories show a kind other than text, unless a category with values enough for a kind of its
// own shows another. In the order the keys were first met.
std::vector<std::string> PinLines(const KindLearner& learner);

// The categories of the workspace's catalogue with their entries, "Unknown!" left out: its sections
// have nothing in common.
std::vector<KindCategory> KindCategoriesOf(const Workspace& workspace);

// A key's kind in a category, as the check uses it.
struct KeyKind {
    std::string Key;
    KindCount Count;
    bool Pinned = false;
};

// A value that does not fit its key's kind or a rule of its key, or a key an entry lacks.
struct ValueFinding {
    LinePlace Place;          // the key's line in the entry's section; line 0 for a key it lacks
    std::string Category;     // the category whose kind or rule it does not fit
    std::string SectionName;  // the entry's code
    std::string Key;          // as the line spells it, or as the rule names a key the entry lacks
    std::string Value;        // as the grid shows it: without the comment; empty for a key it lacks
    std::string Reason;       // "expected a whole number; 312 of 313 InfantryTypes entries have one"
    velmora::Severity Severity = velmora::Severity::LikelyWrong;
    bool KeyMissing = false;  // the entry has no value of the key: Place stands for its section
};

// The reason a finding gives for a value that does not fit `kind`.
std::string FindingReason(const std::string& category, const KeyKind& kind);

// What a key's values are judged by in a category: its kind and the rules pinned or learned for it.
struct KeyRules {
    KeyKind Kind;
    const NumberRange* Range = nullptr;  // pinned
    const ListPin* List = nullptr;       // pinned
    LengthCount Length;                  // learned, when no list is pinned
    const ReferenceKey* Listed = nullptr;  // pinned "listed": the key's sources

    bool JudgesValues() const {
        return Kind.Count.Kind.Of != KindOf::Text || Range != nullptr || List != nullptr || Length.Items != 0 ||
               Listed != nullptr;
    }
};

// The value check of a loaded workspace: the kinds learned from its document and default copy,
// those its definition file pins with its other rules, and the values that do not fit. Watching
// the document, it counts again what an edit touched: the key of a changed value, everything when
// entries or a category's list change. The findings are judged afresh from those counts when asked.
class ValueCheck : public DocumentObserver {
public:
    // `kinds`: the kinds of file of a mod open together, the workspace's among them, so that a key
    // whose sources are all in other kinds (`~@Art:*@~`) is told as a code of them; none when the
    // workspace is open alone.
    explicit ValueCheck(const Workspace& workspace, std::vector<const Workspace*> kinds = {});
    ~ValueCheck() override;
    ValueCheck(const ValueCheck&) = delete;
    ValueCheck& operator=(const ValueCheck&) = delete;

    // Learns afresh from the workspace's stores as they now stand (after a load).
    void Learn();

    const KindLearner& Learner() const { return *m_learner; }
    const std::vector<std::string>& Problems() const { return m_pinned.Problems; }
    // The kind of `key` in the learner's category `category`: pinned, else a code of the other
    // kinds its sources name (counted against them), else learned.
    KeyKind KindOf(size_t category, std::string_view key) const;
    // Every key met in the category, with its kind.
    std::vector<KeyKind> KindsOf(size_t category) const;
    // The kind and rules of `key` in the category.
    KeyRules RulesOf(size_t category, std::string_view key) const;

    // Every value of the document that does not fit its key's kind or rules, and every key an entry
    // lacks that its category's entries need, in document order, each once.
    std::vector<ValueFinding> Findings() const;
    // Why the value `value` of `key` in entry `code` does not fit its kind or rules; nothing when it
    // fits (in every category that lists the entry) or is empty.
    std::optional<std::string> Misfit(std::string_view code, std::string_view key, std::string_view value) const;
    // The same with a rule of dangling codes the caller keeps while the document stands still.
    std::optional<std::string> Misfit(std::string_view code, std::string_view key, std::string_view value,
                                      DanglingRule& rule) const;

    // True when a line of the section `code` is a line of a category's own list in the document,
    // so that its change changes which entries the category lists.
    bool ListsChangeWith(std::string_view code) const;

    void ValueChanged(const std::string& code, const std::string& key) override { ValuesChanged({{code, key}}); }
    void ValuesChanged(const std::set<TouchedValue>& touched) override;
    void EntriesChanged() override { Learn(); }
    void LayersChanged() override {}

private:
    struct Judgement {
        std::string Reason;
        velmora::Severity Severity = velmora::Severity::LikelyWrong;
    };
    // The rules of `key` in `category`, remembered in `known` (the keys of one hash).
    const KeyRules& KnownRules(std::vector<KeyRules>& known, size_t category, std::string_view key) const;
    std::optional<Judgement> Judge(size_t category, const KeyRules& rules, std::string_view value,
                                   DanglingRule& rule) const;
    std::optional<Judgement> KindMisfit(size_t category, const KeyKind& kind, std::string_view value,
                                        DanglingRule& rule) const;
    std::optional<Judgement> Unlisted(const ReferenceKey& sources, std::string_view value, DanglingRule& rule) const;
    // The keys an entry of the category lacks that its entries need, pinned or learned.
    void AddMissingKeys(size_t category, std::vector<ValueFinding>& findings) const;
    void ReadListedSources();
    void ReadKindSources();
    // Pinned, else learned: what the values are judged by.
    KeyKind OwnKindOf(size_t category, std::string_view key) const;
    // "code of Art sections": the key's values counted against the other kinds' names.
    KeyKind KindSourcedOf(size_t category, std::string_view key, const std::vector<std::string>& sources) const;

    const Workspace& m_workspace;
    std::unique_ptr<KindLearner> m_learner;
    std::vector<size_t> m_rows;  // the workspace's category row of each learner category
    PinnedKinds m_pinned;
    // The keys whose description names value sources, per learner category, folded.
    std::vector<std::unordered_set<std::string>> m_namedSources;
    // The sources of the keys pinned "listed", per learner category, by folded key.
    std::vector<std::unordered_map<std::string, ReferenceKey>> m_listedSources;
    std::vector<const Workspace*> m_kinds;
    // The keys whose sources are all kind sources of open kinds, per learner category, by folded
    // key, with those sources.
    std::vector<std::unordered_map<std::string, std::vector<std::string>>> m_kindSources;
};

}  // namespace velmora
