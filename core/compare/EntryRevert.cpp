// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/EntryRevert.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "core/document/Document.h"
#include "core/compare/RevertPlan.h"
#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

// The categories that have windows: "Unknown!" only collects what no other claims.
bool IsCategoryRow(const Workspace& workspace, size_t row) {
    return workspace.CategoryRows()[row] != Workspace::UnknownCategory &&
           row < workspace.CategoryKinds().size();
}

// The entry lists a revert touches and the lists after it, as the edit's stores stand.
class ListKeeper {
public:
    ListKeeper(Workspace& workspace, StoreEdit& edit, const IniStore& reference, std::string category)
        : m_workspace(workspace),
          m_edit(edit),
          m_reference(reference),
          m_category(std::move(category)),
          m_caseSensitive(workspace.G().CaseSensitive),
          m_codes([this](const std::string& a, const std::string& b) { return Key(a) < Key(b); }) {}

    // What the revert's own steps did to sections and to the lines of the document's lists.
    void Note(const std::vector<Difference>& selection) {
        for (const Difference& difference : selection) {
            const std::string section(difference.Section());
            switch (difference.Kind()) {
                case DifferenceKind::SectionOnlyInDocument:
                    m_removed.insert(Key(section));
                    m_codes.insert(section);
                    break;
                case DifferenceKind::SectionOnlyInReference:
                    m_inserted.insert(Key(section));
                    m_codes.insert(section);
                    break;
                case DifferenceKind::ChangedValue:
                case DifferenceKind::KeyOnlyInReference:
                    if (DocumentListRow(section) && !difference.ReferenceValue().empty()) {
                        const std::string code(difference.ReferenceValue());
                        m_listedBack.insert(Key(code));
                        m_codes.insert(code);
                    }
                    break;
                case DifferenceKind::KeyOnlyInDocument:
                    break;
            }
        }
    }

    void Keep() {
        for (const std::string& code : m_codes) {
            const bool hasSection = Document().IndexOfSection(code) >= 0;
            const bool listed = Listed(code);
            if (!hasSection && listed) {
                if (m_listedBack.count(Key(code)) != 0 && m_reference.IndexOfSection(code) >= 0)
                    PutSectionBack(code);
                else if (m_removed.count(Key(code)) != 0)
                    RemoveListLines(code);
            } else if (hasSection && !listed && m_inserted.count(Key(code)) != 0) {
                ListAgain(code);
            }
        }
    }

private:
    std::string Key(const std::string& name) const { return m_caseSensitive ? name : FoldCase(name); }
    const IniStore& Document() const { return m_edit.Store(StoreOf::Document); }
    const IniStore& Definition() const { return m_edit.Store(StoreOf::Definition); }

    // The row of the category of kind 0 whose list section in the document is `section`.
    std::optional<size_t> DocumentListRow(const std::string& section) const {
        for (size_t row = 0; row < m_workspace.CategoryRows().size(); ++row)
            if (IsCategoryRow(m_workspace, row) &&
                Workspace::DocumentListsEntries(m_workspace.CategoryKinds()[row]) &&
                NamesEqual(m_workspace.CategoryRows()[row], section, m_caseSensitive))
                return row;
        return std::nullopt;
    }

    // The list sections of every category in `store`: the document's of kind 0, all in the
    // definition file.
    template <class Visit>
    void ForEachList(Visit visit) const {
        for (size_t row = 0; row < m_workspace.CategoryRows().size(); ++row) {
            if (!IsCategoryRow(m_workspace, row)) continue;
            for (StoreOf store : {StoreOf::Document, StoreOf::Definition}) {
                if (store == StoreOf::Document &&
                    !Workspace::DocumentListsEntries(m_workspace.CategoryKinds()[row]))
                    continue;
                const int section = m_edit.Store(store).IndexOfSection(m_workspace.CategoryRows()[row]);
                if (section >= 0) visit(store, static_cast<size_t>(section));
            }
        }
    }

    bool Listed(const std::string& code) const {
        bool listed = false;
        ForEachList([&](StoreOf store, size_t section) {
            listed = listed || m_edit.Store(store).IndexOfLineWithValue(section, code) >= 0;
        });
        return listed;
    }

    void RemoveListLines(const std::string& code) {
        ForEachList([&](StoreOf store, size_t section) {
            for (long line; (line = m_edit.Store(store).IndexOfLineWithValue(section, code)) >= 0;)
                m_edit.RemoveLine(store, section, static_cast<size_t>(line));
        });
    }

    void PutSectionBack(const std::string& code) {
        const int at = m_reference.IndexOfSection(code);
        const Difference missing(DifferenceKind::SectionOnlyInReference,
                                 m_reference.SectionAt(static_cast<size_t>(at)).Name(), {}, {}, {}, {},
                                 {static_cast<size_t>(at)});
        AddRevertSteps(m_edit, PlanRevert({missing}, Document(), m_reference, m_caseSensitive), m_caseSensitive);
    }

    void ListAgain(const std::string& code) {
        if (PutReferenceListLineBack(code)) return;
        const std::optional<size_t> row = FittingRow(code);
        if (!row) return;
        const int kind = m_workspace.CategoryKinds()[*row];
        const std::string& name = m_workspace.CategoryRows()[*row];
        const StoreOf list = Workspace::DocumentListsEntries(kind) ? StoreOf::Document : StoreOf::Definition;
        m_edit.WriteValue(list, name, std::to_string(m_workspace.NumbersOf(kind, name).Next()), code);
    }

    // The reference's own list line of `code` in a category of kind 0, put back where the
    // reference has it when its number is free in the document. False when the reference lists
    // the code nowhere.
    bool PutReferenceListLineBack(const std::string& code) {
        for (size_t row = 0; row < m_workspace.CategoryRows().size(); ++row) {
            if (!IsCategoryRow(m_workspace, row) ||
                !Workspace::DocumentListsEntries(m_workspace.CategoryKinds()[row]))
                continue;
            const std::string& name = m_workspace.CategoryRows()[row];
            const int referenceList = m_reference.IndexOfSection(name);
            if (referenceList < 0) continue;
            const long line = m_reference.IndexOfLineWithValue(static_cast<size_t>(referenceList), code);
            if (line < 0) continue;
            const IniSection& lines = m_reference.SectionAt(static_cast<size_t>(referenceList));
            std::string_view number;
            lines.LineAt(static_cast<size_t>(line)).KeyName(number);
            const int documentList = Document().IndexOfSection(name);
            if (documentList >= 0 && Document().SectionAt(static_cast<size_t>(documentList)).IndexOfKey(number) < 0) {
                const Difference missing(DifferenceKind::KeyOnlyInReference, lines.Name(), number, {}, {}, {},
                                         {static_cast<size_t>(referenceList), static_cast<size_t>(line)});
                AddRevertSteps(m_edit, PlanRevert({missing}, Document(), m_reference, m_caseSensitive),
                               m_caseSensitive);
            } else {
                const int kind = m_workspace.CategoryKinds()[row];
                m_edit.WriteValue(StoreOf::Document, name, std::to_string(m_workspace.NumbersOf(kind, name).Next()),
                                  code);
            }
            return true;
        }
        return false;
    }

    // The first category whose keys the section fits, as a load claims a free section; else the
    // revert's own category.
    std::optional<size_t> FittingRow(const std::string& code) const {
        const int at = Document().IndexOfSection(code);
        const IniSection& section = Document().SectionAt(static_cast<size_t>(at));
        for (size_t row = 0; row < m_workspace.CategoryRows().size(); ++row) {
            if (!IsCategoryRow(m_workspace, row)) continue;
            StringList keys;
            m_workspace.GetContentsOfAllPages(m_workspace.CategoryRows()[row], keys);
            if (IniStore::SectionFitsKeys(section, keys, m_workspace.G().VariantAllowed)) return row;
        }
        for (size_t row = 0; row < m_workspace.CategoryRows().size(); ++row)
            if (IsCategoryRow(m_workspace, row) && !m_category.empty() &&
                NamesEqual(m_workspace.CategoryRows()[row], m_category, m_caseSensitive))
                return row;
        return std::nullopt;
    }

    Workspace& m_workspace;
    StoreEdit& m_edit;
    const IniStore& m_reference;
    std::string m_category;
    bool m_caseSensitive;
    std::set<std::string, std::function<bool(const std::string&, const std::string&)>> m_codes;
    std::set<std::string> m_removed;
    std::set<std::string> m_inserted;
    std::set<std::string> m_listedBack;
};

}  // namespace

bool RevertEntries(Workspace& workspace, const std::vector<Difference>& selection, const IniStore& reference,
                   const std::string& category) {
    if (selection.empty()) return false;
    const bool caseSensitive = workspace.G().CaseSensitive;
    Document& document = workspace.Doc();
    const RevertPlan plan = PlanRevert(selection, document.Store(), reference, caseSensitive);
    const Difference& first = selection.front();
    // One value of an entry is news of that value; a list line or a section fills the lists afresh.
    const bool oneValue = selection.size() == 1 && !first.Key().empty() &&
                          IndexOfNoCase(workspace.CategoryRows(), first.Section()) < 0;
    std::unique_ptr<StoreEdit> edit =
        document.BeginEdit(RevertText(selection, caseSensitive),
                           {category, std::string(first.Section()), std::string(first.Key())}, !oneValue);
    AddRevertSteps(*edit, plan, caseSensitive);
    ListKeeper keeper(workspace, *edit, reference, category);
    keeper.Note(selection);
    keeper.Keep();
    return document.Commit(std::move(edit));
}

}  // namespace velmora
