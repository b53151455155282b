// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/DocumentComparison.h"

#include <optional>
#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/IniStore.h"
#include "core/store/PlatformFile.h"
#include "core/store/StoreTexts.h"

namespace velmora {

namespace {

constexpr const char* NothingToCompare = "There is no document to compare.";

}  // namespace

DocumentComparison::DocumentComparison(const Workspace& workspace) : m_workspace(workspace) {}

DocumentComparison::~DocumentComparison() = default;

void DocumentComparison::ReadReference(const std::string& fileName) {
    if (!platform::IsRegularFile(fileName)) throw IniError::CannotOpen(fileName);
    ForgetDifferences();
    m_readReference = std::make_unique<IniStore>(fileName, &m_workspace.G().CaseSensitive);
}

const IniStore* DocumentComparison::ReferenceStore() const {
    return m_readReference ? m_readReference.get() : m_workspace.DefaultIni();
}

const std::vector<Difference>& DocumentComparison::Differences() const {
    static const std::vector<Difference> none;
    return m_comparison ? m_comparison->Differences() : none;
}

void DocumentComparison::ForgetDifferences() {
    m_comparison.reset();
    m_categories.reset();
    m_groups.clear();
}

void DocumentComparison::Forget() {
    ForgetDifferences();
    m_readReference.reset();
    m_touched.Clear();
}

void DocumentComparison::CompareNow() {
    const IniStore* reference = ReferenceStore();
    if (!m_workspace.Doc().HasDocument() || !reference) throw IniError(NothingToCompare);
    m_comparison = std::make_unique<LiveComparison>(m_workspace.Doc().Store(), *reference,
                                                    m_workspace.G().CaseSensitive);
    m_categories = std::make_unique<DifferenceCategories>(m_workspace, *reference);
    m_groups = m_categories->GroupsOf(Differences());
    m_touched.Clear();
}

std::shared_ptr<ChangesSource> DocumentComparison::CopyToCompare() {
    const IniStore* reference = ReferenceStore();
    if (!m_workspace.Doc().HasDocument() || !reference) throw IniError(NothingToCompare);
    // The reference is copied again each time rather than kept: a copy of a big default copy's
    // lines is megabytes held for as long as the document is open, and copying it again costs
    // about as much as copying the document, which a new comparison does anyway.
    auto source = std::make_shared<ChangesSource>(m_workspace, *reference, StoreTexts::Sliced{});
    ForgetDifferences();  // they are to be taken up from the copy
    m_touched.Clear();
    return source;
}

bool DocumentComparison::TakeUp(ChangesSource::Compared compared) {
    const Document& document = m_workspace.Doc();
    const IniStore* reference = ReferenceStore();
    // Values edited since the copy are compared again here; edits that reshaped the document, or
    // stores replaced, need another copy.
    const std::optional<std::vector<size_t>> touched = m_touched.SectionsToRead(m_workspace);
    if (!document.HasDocument() || !reference || !touched ||
        !compared.differences.Of(document.Store(), *reference))
        return false;
    m_comparison = std::make_unique<LiveComparison>(
        document.Store(), *reference, m_workspace.G().CaseSensitive, std::move(compared.differences));
    m_categories = std::move(compared.categories);
    m_groups = std::move(compared.groups);
    if (!touched->empty()) {
        m_comparison->Update(document.Store(), touched);
        m_groups = m_categories->GroupsOf(Differences());
    }
    m_touched.Clear();
    return true;
}

DocumentComparison::FollowUp DocumentComparison::HowToFollow() const {
    const Document& document = m_workspace.Doc();
    const IniStore* reference = ReferenceStore();
    if (!m_comparison || !reference || &m_comparison->Reference() != reference || !document.HasDocument() ||
        !m_workspace.DefaultIni())
        return FollowUp::NewComparison;
    // Entries that came or went, or a list edited (what the categories hold changed), are compared
    // afresh.
    if (CopyOutdated() || !m_comparison->Follows(document.Store())) return FollowUp::NewCopy;
    return FollowUp::Sections;
}

bool DocumentComparison::CopyOutdated() const {
    return !m_touched.SectionsToRead(m_workspace);
}

void DocumentComparison::FollowEdits() {
    if (!m_comparison || !m_workspace.Doc().HasDocument()) return;
    const std::optional<std::vector<size_t>> sections = m_touched.SectionsToRead(m_workspace);
    m_touched.Clear();
    if (const std::optional<std::vector<ChangedRows>> changed =
            m_comparison->Update(m_workspace.Doc().Store(), sections))
        m_categories->FollowGroups(m_groups, Differences(), *changed);
    else
        m_groups = m_categories->GroupsOf(Differences());
}

}  // namespace velmora
