// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scripts/ScriptedEdits.h"

#include <algorithm>
#include <vector>

#include "core/entries/EntryOperations.h"
#include "core/layers/LayerEdit.h"
#include "core/layers/LayerStack.h"
#include "core/compare/EntryRevert.h"
#include "core/table/TableFiles.h"
#include "core/references/References.h"
#include "core/references/ModReferences.h"
#include "core/compare/RevertPlan.h"
#include "core/document/TextRules.h"
#include "core/entries/ValueEdits.h"
#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.emplace_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}


void ExpectFields(const std::vector<std::string>& fields, size_t least, size_t most) {
    if (fields.size() < least || fields.size() > most)
        throw IniError(Escaped(fields[0]) + " takes " + std::to_string(least - 1) +
                       (most > least ? " to " + std::to_string(most - 1) : std::string()) + " tab-separated fields");
}

}  // namespace

void ScriptedEdits::Run(std::string_view text) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (TrimView(text).empty()) return;
    const std::string line = Latin1FromUtf8(text);
    const std::vector<std::string> fields = SplitFields(line);
    const std::string& command = fields[0];
    if (command == "undo" || command == "redo" || command == "save") {
        ExpectFields(fields, 1, 1);
        if (command == "undo")
            Undo();
        else if (command == "redo")
            Redo();
        else
            Save();
        return;
    }
    if (command == "target") {
        ExpectFields(fields, 2, 2);
        Target(fields[1]);
        return;
    }
    const std::vector<size_t> before = HistoryPlaces();
    const std::vector<Document*> documents = Documents();
    try {
        RunCommand(fields);
    } catch (...) {
        // A line that fails part-way leaves no kind changed.
        for (size_t d = documents.size(); d-- > 0;)
            while (documents[d]->History().Index() > before[d]) documents[d]->Undo();
        throw;
    }
    std::vector<Document*> step;
    for (size_t d = 0; d < documents.size(); ++d)
        step.insert(step.end(), documents[d]->History().Index() - before[d], documents[d]);
    m_steps.resize(m_done);
    m_steps.push_back(std::move(step));
    ++m_done;
}

std::vector<Document*> ScriptedEdits::Documents() const {
    std::vector<Document*> documents{&m_workspace.Doc()};
    for (Workspace* kind : m_kinds)
        if (kind != &m_workspace) documents.push_back(&kind->Doc());
    return documents;
}

std::vector<size_t> ScriptedEdits::HistoryPlaces() const {
    std::vector<size_t> places;
    for (const Document* document : Documents()) places.push_back(document->History().Index());
    return places;
}

void ScriptedEdits::ReachKinds(std::vector<Workspace*> kinds, std::vector<Workspace*> writable) {
    m_kinds = std::move(kinds);
    m_writable = std::move(writable);
}

void ScriptedEdits::RunCommand(const std::vector<std::string>& fields) {
    const std::string& command = fields[0];
    auto optionalField = [&fields](size_t index) {
        return fields.size() > index ? std::optional(fields[index]) : std::nullopt;
    };
    for (const char* documentOnly : {"duplicate", "rename", "rename-all", "replace", "delete", "revert", "import-table"})
        if (command == documentOnly) RefuseLayerTarget(command);
    if (command == "set") {
        ExpectFields(fields, 4, 4);
        Set(fields[1], fields[2], fields[3]);
    } else if (command == "duplicate" || command == "rename") {
        ExpectFields(fields, 4, 5);
        CopyEntry(fields[1], fields[2], fields[3], optionalField(4), command == "duplicate");
    } else if (command == "rename-all") {
        // A fourth field "all" also rewrites the lines that name the code outside reference keys.
        const bool all = fields.size() > 4 && fields[4] == "all";
        ExpectFields(fields, 4, all ? 6 : 5);
        CopyEntry(fields[1], fields[2], fields[3], optionalField(all ? 5 : 4), false,
                  all ? References::All : References::Keys);
    } else if (command == "replace") {
        ExpectFields(fields, 4, 4);
        Replace(fields[1], fields[2], fields[3]);
    } else if (command == "delete") {
        ExpectFields(fields, 3, 3);
        Delete(fields[1], fields[2]);
    } else if (command == "revert") {
        ExpectFields(fields, 2, 3);
        Revert(fields[1], optionalField(2));
    } else if (command == "import-table") {
        ExpectFields(fields, 3, 3);
        ImportTable(fields[1], fields[2]);
    } else {
        throw IniError("unknown command " + Escaped(command));
    }
}

// A line that changed nothing is still a step: an undo after it must not take back the line before.
void ScriptedEdits::Undo() {
    if (m_done == 0) throw IniError("Nothing to undo");
    const std::vector<Document*>& step = m_steps[m_done - 1];
    for (auto document = step.rbegin(); document != step.rend(); ++document) (*document)->Undo();
    --m_done;
}

void ScriptedEdits::Redo() {
    if (m_done == m_steps.size()) throw IniError("Nothing to redo");
    for (Document* document : m_steps[m_done]) document->Redo();
    ++m_done;
}

// As a committed cell: the value as a saved file gives it back, nothing written when the entry
// already reads so.
void ScriptedEdits::Set(const std::string& code, const std::string& key, const std::string& value) {
    const IniStore& document = m_workspace.Doc().Store();
    if (m_target) {
        // An entry of the stack, or a section the layer has: a layer may add what the rules lack.
        const LayerFile& layer = m_layers->Layer(*m_target);
        if (!m_layers->IsOverride(code, m_layers->ListedNames()) && layer.Store().IndexOfSection(code) < 0)
            throw IniError("no entry " + Escaped(code));
        const std::string old = layer.Store().ReadString(code, key, "");
        RefuseControlBytes(value, "value", old);
        if (IndexOfNoCase(m_workspace.CategoryRows(), code) >= 0) RefuseLongCode(StorableValue(value), old);
        SetLayerValue(*m_layers, *m_target, code, key, StorableValue(value));
        return;
    }
    if (document.IndexOfSection(code) < 0) throw IniError("no entry " + Escaped(code));
    // Checked before the blanks at the ends go, which would take a stray control character along.
    const std::string old = document.ReadString(code, key, "");
    RefuseControlBytes(value, "value", old);
    // A line of a category's list names an entry: its value is a code.
    if (IndexOfNoCase(m_workspace.CategoryRows(), code) >= 0) RefuseLongCode(StorableValue(value), old);
    m_workspace.Doc().SetValue(code, key, StorableValue(value));
}

namespace {

// The category row of `category` and the entries it lists, as its window would show them.
struct CategoryEntries {
    int kind = 0;
    std::vector<std::string> codes;
};

CategoryEntries EntriesOf(const Workspace& workspace, const std::string& category, const std::string& code) {
    const int row = IndexOfNoCase(workspace.CategoryRows(), category);
    // "Unknown!" collects what no category claims and has no window of its own.
    if (row < 0 || static_cast<size_t>(row) >= workspace.CategoryKinds().size() ||
        EqualsNoCase(category, Workspace::UnknownCategory))
        throw IniError("no category " + Escaped(category));
    CategoryEntries entries;
    entries.kind = workspace.CategoryKinds()[static_cast<size_t>(row)];
    StringList codes;
    workspace.GetReadSectionValuesOnly(entries.kind, workspace.CategoryRows()[static_cast<size_t>(row)],
                                       codes);
    entries.codes = codes.Texts();
    if (IndexOfNoCase(entries.codes, code) < 0) throw IniError("no entry " + Escaped(code) + " in " + Escaped(category));
    return entries;
}

}  // namespace

void ScriptedEdits::CopyEntry(const std::string& category, const std::string& code, const std::string& newCode,
                              const std::optional<std::string>& name, bool isDuplicate, References references) {
    const CategoryEntries entries = EntriesOf(m_workspace, category, code);
    EntryOperations operations(m_workspace, category, entries.kind);
    // The window's fields stop at the limits; a script's text is refused rather than cut.
    RefuseControlBytes(newCode, "code");
    RefuseLongCode(newCode);
    if (name) {
        const std::string oldName = m_workspace.Doc().Store().ReadString(code, "Name", "");
        RefuseControlBytes(*name, "name", oldName);
        // The limit is for typed text: the entry's own longer name may be given again.
        RefuseLongName(*name, oldName);
        // As the window offers no name field then: a Name key is not made up for the game.
        if (!TrimView(*name).empty() && !m_workspace.Doc().Store().ValueExists(code, "Name"))
            throw IniError(Escaped(code) + " has no Name key to take the name; leave the name out");
    }
    const std::string refusal = operations.NewCodeRefusal(newCode, entries.codes);
    if (!refusal.empty()) throw IniError(OneLine(refusal));
    CodeChangeRewrites rewrites;
    if (references != References::None) rewrites = operations.ReferenceRewrites(code, newCode);
    std::vector<LineRewrite>& rewritten = rewrites.References;
    if (references == References::All) {
        rewritten.insert(rewritten.end(), rewrites.Others.begin(), rewrites.Others.end());
        rewrites.Others.clear();
    }
    operations.DuplicateOrChangeCode(code, newCode, name, isDuplicate, rewritten);
    for (const LineRewrite& left : rewrites.Others) m_notes.push_back(NotChangedText(left));
    if (references != References::None && !isDuplicate) RewriteOtherKinds(category, code, newCode, references);
}

// One edit in each other kind that names the code; a read-only kind keeps its lines.
void ScriptedEdits::RewriteOtherKinds(const std::string& category, const std::string& code,
                                      const std::string& newCode, References references) {
    for (KindRewrites& kind : OtherKindRewrites(m_kinds, m_workspace, category, code, newCode)) {
        const std::string file = ExtractFileName(kind.Kind->Doc().FileName());
        std::vector<LineRewrite>& rewritten = kind.References;
        if (references == References::All) {
            rewritten.insert(rewritten.end(), kind.Others.begin(), kind.Others.end());
            kind.Others.clear();
        }
        const bool writable = std::find(m_writable.begin(), m_writable.end(), kind.Kind) != m_writable.end();
        for (const LineRewrite& left : kind.Others) m_notes.push_back(file + ": " + NotChangedText(left));
        if (!writable) {
            for (const LineRewrite& left : rewritten)
                m_notes.push_back(file + " (read-only): " + NotChangedText(left));
            continue;
        }
        if (!rewritten.empty())
            CommitRewrites(kind.Kind->Doc(), "Change Code of " + code, {{}, rewritten.front().SectionName, {}},
                           rewritten);
    }
}

// One edit however many lines change; none when no line names the item.
void ScriptedEdits::Replace(const std::string& key, const std::string& oldItem, const std::string& newItem) {
    Document& document = m_workspace.Doc();
    const std::vector<LineRewrite> rewrites =
        ReplaceRewrites(document.Store(), key, oldItem, newItem, m_workspace.G().CaseSensitive);
    // An item of a category's list line is an entry's code.
    for (const LineRewrite& rewrite : rewrites)
        if (IndexOfNoCase(m_workspace.CategoryRows(), rewrite.SectionName) >= 0)
            RefuseLongCode(newItem, oldItem);
    if (!rewrites.empty())
        CommitRewrites(document, "Replace " + oldItem + " in " + key, {{}, rewrites.front().SectionName, key}, rewrites);
}

void ScriptedEdits::Delete(const std::string& category, const std::string& code) {
    const CategoryEntries entries = EntriesOf(m_workspace, category, code);
    if (const std::string refusal = EntryOperations::DeleteRefusal(entries.codes.size()); !refusal.empty())
        throw IniError(refusal);
    EntryOperations(m_workspace, category, entries.kind).DeleteEntry(code);
}

// Against the default copy, as the Changes window compares by default; the differences are those
// the window would list for the entry, or its row of the key.
void ScriptedEdits::Revert(const std::string& code, const std::optional<std::string>& key) {
    const IniStore* reference = m_workspace.DefaultIni();
    if (reference == nullptr) throw IniError("no default copy to revert to");
    const bool caseSensitive = m_workspace.G().CaseSensitive;
    std::vector<Difference> selection =
        DifferencesOf(CompareStores(m_workspace.Doc().Store(), *reference, caseSensitive), code, caseSensitive);
    if (key)
        std::erase_if(selection,
                      [&key](const Difference& difference) { return !EqualsNoCase(difference.Key(), *key); });
    if (selection.empty()) throw IniError("no changes of " + Escaped(Trim(code + " " + key.value_or(std::string()))));
    RevertEntries(m_workspace, selection, *reference);
}

// The changes are listed before they are made, as the window shows them before it asks.
void ScriptedEdits::ImportTable(const std::string& category, const std::string& fileName) {
    const TableImport import = ReadTableFile(m_workspace, category, fileName);
    m_output.push_back(ImportPreview(import));
    CommitChanges(m_workspace.Doc(), category, ImportText(import.Changes.size()), import.Changes);
}

void ScriptedEdits::UseLayers(LayerStack& layers) {
    m_layers = &layers;
    if (layers.Count() > 0) m_target = layers.Count() - 1;
}

void ScriptedEdits::Target(const std::string& file) {
    if (m_layers == nullptr) throw IniError("no layers to write into; name them with --layer");
    if (file == "document")
        m_target.reset();
    else
        m_target = m_layers->IndexOfLayer(file);
}

void ScriptedEdits::RefuseLayerTarget(const std::string& command) const {
    if (m_target)
        throw IniError(Escaped(command) + " changes the document only: a line \"target document\" must come first");
}

// Over layers a file that did not change is not written: its bytes, line ends included, stay.
void ScriptedEdits::Save() {
    if (m_layers == nullptr) {
        m_saved = TextsToSave(m_workspace, true);
        if (!m_kinds.empty()) m_modSaved = ModTextsToSave(m_writable);
        return;
    }
    const Document& document = m_workspace.Doc();
    m_savedLayers = LayerTextsToSave(*m_layers);
    m_savedWithDocument = m_savedLayers.empty() || document.History().ChangedSinceClean(StoreOf::Document);
    m_saved = TextsToSave(m_workspace, document.DefinitionChanged());
}

}  // namespace velmora
