// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/catalogue/TouchedSections.h"
#include "core/document/Document.h"
#include "core/references/FollowedRows.h"
#include "core/references/References.h"
#include "core/session/DocumentComparison.h"

namespace velmora {

class DocumentLayers;
class FindIndex;
class LiveValueCheck;
class Workspace;

// An open document with the models derived from it, which the views show and never keep: the
// value check, the find index, the comparison with a reference, the usages of a code and the
// Check References list. Each follows the document's edits. The value check does so at once, as it
// is told of them; the others gather the sections the edits touched and read just those again when
// a view brings them up to date (Follow...), so that a burst of edits is read once, at the moment
// the view chooses, and a view that holds rows of a model changes them in the same step.
//
// Today the one document is the workspace's, with the workspace's catalogue. A model is made only
// when a view asks for it (the find index and the comparison as soon as the document is shown);
// edits are gathered only for the models there are.
class OpenDocument : public DocumentObserver {
public:
    // `workspace` outlives it. Made before any view observes the document, so that the models are
    // told of an edit before the views that read them.
    explicit OpenDocument(Workspace& workspace);
    ~OpenDocument() override;
    OpenDocument(const OpenDocument&) = delete;
    OpenDocument& operator=(const OpenDocument&) = delete;

    Workspace& Work() { return m_workspace; }
    const Workspace& Work() const { return m_workspace; }

    // The kinds of value the keys take and the values that do not fit, learned once per load.
    LiveValueCheck& Values() { return *m_values; }
    // The comparison with a reference, as the Changes window shows it.
    DocumentComparison& Comparison() { return m_comparison; }
    const DocumentComparison& Comparison() const { return m_comparison; }

    // The layers over the document, with the values that win.
    DocumentLayers& Layers() { return *m_layers; }
    const DocumentLayers& Layers() const { return *m_layers; }

    // The find index; none until one made of the document as it now stands is taken.
    const FindIndex* Index() const { return m_index.get(); }
    void TakeIndex(std::unique_ptr<FindIndex> index);
    void DropIndex();
    // The sections FollowIndex reads again, in store order; none when it reads the whole document.
    std::optional<std::vector<size_t>> IndexSectionsToRead() const;
    // Brings the index up to the edits since it was made or last followed.
    void FollowIndex();

    // The lines that name `code` (FindUsages), found afresh and followed from then on until
    // ForgetUsages; none while no document is loaded.
    void FindUsagesOf(const std::string& code);
    const std::string& UsagesCode() const { return m_usagesCode; }
    const std::vector<Usage>& Usages() const { return m_usages.Rows(); }
    void FollowUsages();
    void ForgetUsages();

    // Check References (ReferenceCheck), made afresh; none until asked, or after ForgetReferences.
    void CheckReferences();
    const ReferenceCheck* References() const { return m_references.get(); }
    void FollowReferences();
    void ForgetReferences();

private:
    void ValueChanged(const std::string& code, const std::string& key) override {
        ValuesChanged({{code, key}});
    }
    void ValuesChanged(const std::set<TouchedValue>& touched) override;
    void EntriesChanged() override { TouchEverything(); }
    // Every model here is of the document's own stores, which a change of the layers leaves as they are.
    void LayersChanged() override {}
    // The stores are being replaced: nothing derived from them can be followed.
    void Restarted() override { TouchEverything(); }
    void TouchEverything();

    Workspace& m_workspace;
    // First of all the observers, as it is told of an edit before any view that asks it.
    std::unique_ptr<LiveValueCheck> m_values;
    DocumentComparison m_comparison;
    std::unique_ptr<FindIndex> m_index;
    TouchedSections m_indexTouched;
    std::string m_usagesCode;
    bool m_usagesFollowed = false;
    FollowedRows<Usage> m_usages;
    TouchedSections m_usagesTouched;
    std::unique_ptr<ReferenceCheck> m_references;
    TouchedSections m_referencesTouched;
    std::unique_ptr<DocumentLayers> m_layers;
};

}  // namespace velmora
