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
#include "core/values/ValueKinds.h"
#include "core/document/Document.h"
#include "core/references/References.h"

namespace velmora {

class Workspace;

// The definition file's section of pinned kinds: lines "Key=kind". The catalogue never reads it.
constexpr const char* ValueKindsSection = "ValueKinds";

// The kinds a definition file pins, by key name without regard to letter case, and the lines it
// could not read ("[ValueKinds] Cost=whle number: no such kind").
struct PinnedKinds {
    std::unordered_map<std::string, ValueKind> Kinds;
    std::vector<std::string> Problems;
};
// `categories`: the names a code kind may name.
PinnedKinds ReadPinnedKinds(const IniStore& definition, const std::vector<KindCategory>& categories);

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

// A value that does not fit its key's kind.
struct ValueFinding {
    LinePlace Place;          // the key's line in the entry's section
    std::string Category;     // the category whose kind it does not fit
    std::string SectionName;  // the entry's code
    std::string Key;          // as the line spells it
    std::string Value;        // as the grid shows it: without the comment
    std::string Reason;       // "expected a whole number; 312 of 313 InfantryTypes entries have one"
};

// The reason a finding gives for a value that does not fit `kind`.
std::string FindingReason(const std::string& category, const KeyKind& kind);

// The value check of a loaded workspace: the kinds learned from its document and default copy,
// those its definition file pins, and the values that do not fit. Watching the document, it counts
// again what an edit touched: the key of a changed value, everything when entries or a category's
// list change.
class ValueCheck : public DocumentObserver {
public:
    explicit ValueCheck(const Workspace& workspace);
    ~ValueCheck() override;
    ValueCheck(const ValueCheck&) = delete;
    ValueCheck& operator=(const ValueCheck&) = delete;

    // Learns afresh from the workspace's stores as they now stand (after a load).
    void Learn();

    const KindLearner& Learner() const { return *m_learner; }
    const std::vector<std::string>& Problems() const { return m_pinned.Problems; }
    // The kind of `key` in the learner's category `category`: pinned, else learned.
    KeyKind KindOf(size_t category, std::string_view key) const;
    // Every key met in the category, with its kind.
    std::vector<KeyKind> KindsOf(size_t category) const;

    // Every value of the document that does not fit its key's kind, in document order, each once.
    std::vector<ValueFinding> Findings() const;
    // Why the value `value` of `key` in entry `code` does not fit; nothing when it fits (in every
    // category that lists the entry) or is empty.
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

private:
    // The kind of `key` in `category`, remembered in `known` (the keys of one hash).
    const KeyKind& KnownKind(std::vector<KeyKind>& known, size_t category, std::string_view key) const;
    std::optional<std::string> MisfitIn(size_t category, const KeyKind& kind, std::string_view value,
                                        DanglingRule& rule) const;

    const Workspace& m_workspace;
    std::unique_ptr<KindLearner> m_learner;
    std::vector<size_t> m_rows;  // the workspace's category row of each learner category
    PinnedKinds m_pinned;
    // The keys whose description names value sources, per learner category, folded.
    std::vector<std::unordered_set<std::string>> m_namedSources;
};

}  // namespace velmora
