// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/TouchedSections.h"
#include "core/compare/ChangesSource.h"
#include "core/compare/Comparison.h"
#include "core/compare/DifferenceCategories.h"
#include "core/compare/LiveComparison.h"

namespace velmora {

class IniStore;
class StoreTexts;
class Workspace;

// The document compared with a reference, the file type's default copy or a file read for the
// purpose: the differences, kept up to date by the document's edits, and their groups by category.
// It is compared at once (CompareNow), or from a copy of the stores compared elsewhere
// (CopyToCompare, then TakeUp). Edits are gathered as they come (Touch) and caught up with when a
// view asks (FollowEdits), comparing again only the sections they touched; edits that reshaped the
// document ask for another comparison (HowToFollow).
class DocumentComparison {
public:
    // `workspace` outlives the comparison.
    explicit DocumentComparison(const Workspace& workspace);
    ~DocumentComparison();
    DocumentComparison(const DocumentComparison&) = delete;
    DocumentComparison& operator=(const DocumentComparison&) = delete;

    // From now on the reference is the file `fileName`, read now, instead of the default copy, until
    // Forget. Throws IniError when it is no file: a missing file would read as an empty store, and
    // every entry would look new.
    void ReadReference(const std::string& fileName);
    // What a comparison reads the reference from: the file read, else the default copy; none
    // before the file type's load.
    const IniStore* ReferenceStore() const;

    bool Compared() const { return m_comparison != nullptr; }
    // The reference of the differences; none before a comparison. Valid until the next comparison
    // or store replacement.
    const IniStore* Reference() const { return Compared() ? ReferenceStore() : nullptr; }
    // The differences of the last comparison, brought up to the edits followed, and their groups.
    const std::vector<Difference>& Differences() const;
    const std::vector<DifferenceCategories::Group>& Groups() const { return m_groups; }

    // The differences go; the reference stays.
    void ForgetDifferences();
    // Everything goes: the differences, the reference read, its copy and the edits gathered.
    void Forget();

    // Compares the document with the reference now. Throws IniError when either is missing.
    void CompareNow();
    // A copy of what a comparison reads, to be completed a slice at a time (ChangesSource::Continue)
    // and compared on a thread of its own. The differences go, to be taken up from the copy; the
    // edits gathered from now on are what the copy lacks.
    // The reference's texts are copied once and kept for the next comparison with it. Throws
    // IniError when there is no document or no reference.
    std::shared_ptr<ChangesSource> CopyToCompare();
    // Takes up what such a copy compared, caught up with the values edited since. False, and
    // nothing taken, when the stores were replaced or the document reshaped since the copy: a new
    // copy is needed.
    bool TakeUp(ChangesSource::Compared compared);

    // The document's news: a line of section `code` changed; entries or sections came or went.
    void Touch(std::string_view code) { m_touched.Add(code); }
    void TouchEverything() { m_touched.AddEverything(); }

    // How the edits gathered since the comparison are caught up with.
    enum class FollowUp {
        Sections,       // FollowEdits compares again the sections they touched
        NewCopy,        // they reshaped the document: compared again with the same reference
        NewComparison,  // no comparison, or the stores it compared are gone: compared afresh
    };
    FollowUp HowToFollow() const;
    // True when a copy under way lacks edits that reshaped the document, so that it is of no use.
    bool CopyOutdated() const;
    // Compares again the sections the edits touched (FollowUp::Sections; else everything), and
    // sorts only the rows that changed into their categories.
    void FollowEdits();

private:
    const Workspace& m_workspace;
    // A reference read from a file; the default copy is the workspace's own store.
    std::unique_ptr<IniStore> m_readReference;
    // After the reference, to which it refers: it goes first.
    std::unique_ptr<LiveComparison> m_comparison;
    std::unique_ptr<DifferenceCategories> m_categories;
    std::vector<DifferenceCategories::Group> m_groups;
    // What edits touched since the comparison, or since the copy being compared was made.
    TouchedSections m_touched;
};

}  // namespace velmora
