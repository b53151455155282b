// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/Document.h"

#include <algorithm>
#include <utility>

#include "core/document/TextRules.h"
#include "core/store/IniError.h"

namespace velmora {

// ---------------------------------------------------------------------------------------------
// StoreEdit

StoreEdit::StoreEdit(IniStore& document, IniStore& definition, std::string text, EditFocus focus,
                     bool changesEntries)
    : Edit(std::move(text), std::move(focus), changesEntries), m_document(document), m_definition(definition) {}

StoreEdit::~StoreEdit() {
    if (m_kept) return;
    try {
        Revert();
    } catch (...) {
        // The positions were valid when the changes were made; nothing can fail on the way back.
    }
}

void StoreEdit::Do(Step& step, bool forward) {
    IniStore& store = StoreRef(step.store);
    // Removing forward is inserting backward.
    const bool inserting = (step.kind == Kind::InsertLine || step.kind == Kind::InsertSection) == forward;
    switch (step.kind) {
        case Kind::Exchange:
            store.ExchangeLine(step.section, step.line, *step.heldLine);
            return;
        case Kind::InsertLine:
        case Kind::RemoveLine:
            if (inserting) {
                store.PutLine(step.section, step.line, *step.heldLine);
                step.heldLine.reset();
            } else {
                step.heldLine.emplace(store.TakeLine(step.section, step.line));
            }
            return;
        case Kind::InsertSection:
        case Kind::RemoveSection:
            if (inserting)
                store.PutSection(step.section, std::move(step.heldSection));
            else
                step.heldSection = store.TakeSection(step.section);
            return;
    }
}

// The change is made first: one that cannot be made leaves no step behind.
void StoreEdit::Add(Step step) {
    Note(step);
    Do(step, true);
    m_steps.push_back(std::move(step));
}

namespace {

// The last guard of every text an edit writes: the file could not give such a line back. (Text as
// read from a file never holds these bytes: reading splits lines there and stops at a NUL.)
void RefuseBrokenLine(std::string_view text) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        throw IniError("A line of a rules file may not hold a line break or a NUL byte.");
}

}  // namespace

// A line replaced by its own bytes is no change, and no step: an edit of such lines only is empty
// and the history does not take it.
bool StoreEdit::Unchanged(StoreOf store, size_t section, size_t line, std::string_view text) const {
    const IniSection& lines = StoreRef(store).ExistingSection(section);
    return line < lines.Count() && lines.LineAt(line).Raw() == text;
}

// Every view learns of the change from here, whichever command made it. The definition file's lines
// name the entries and pages of the categories; a section of the document is an entry or a list.
// A line without a key is noted with an empty key: it moves the lines after it, which views place.
void StoreEdit::Note(const Step& step) {
    if (step.store == StoreOf::Definition || step.kind == Kind::InsertSection || step.kind == Kind::RemoveSection) {
        NoteEntriesChanged();
        return;
    }
    const IniSection& section = StoreRef(step.store).ExistingSection(step.section);
    const auto noteLine = [this, &section](const IniSection::Line& line) {
        std::string_view key;
        line.KeyName(key);
        NoteValue(section.Name(), key);
    };
    if (step.kind != Kind::InsertLine && step.line < section.Count()) noteLine(section.LineAt(step.line));
    if (step.heldLine) noteLine(*step.heldLine);
}

void StoreEdit::ReplaceLine(StoreOf store, size_t section, size_t line, std::string_view text) {
    RefuseBrokenLine(text);
    if (Unchanged(store, section, line, text)) return;
    IniStore& target = StoreRef(store);
    const CommentLines* comments = target.ExistingSection(section).CommentsOf(line);
    Add({Kind::Exchange, store, section, line, target.WrittenLine(text, comments), nullptr});
}

void StoreEdit::InsertLine(StoreOf store, size_t section, size_t line, std::string_view text) {
    RefuseBrokenLine(text);
    Add({Kind::InsertLine, store, section, line, StoreRef(store).WrittenLine(text), nullptr});
}

void StoreEdit::RemoveLine(StoreOf store, size_t section, size_t line) {
    Add({Kind::RemoveLine, store, section, line, std::nullopt, nullptr});
}

void StoreEdit::InsertSection(StoreOf store, size_t position, std::string_view name) {
    RefuseBrokenLine(name);
    Add({Kind::InsertSection, store, position, 0, std::nullopt, StoreRef(store).NewSection(name)});
}

void StoreEdit::InsertCopyOfSection(StoreOf store, size_t position, size_t source, std::string_view name) {
    RefuseBrokenLine(name);
    Add({Kind::InsertSection, store, position, 0, std::nullopt, StoreRef(store).CopyOfSection(source, name)});
}

void StoreEdit::RemoveSection(StoreOf store, size_t position) {
    Add({Kind::RemoveSection, store, position, 0, std::nullopt, nullptr});
}

void StoreEdit::ReplaceLineAsRead(StoreOf store, size_t section, size_t line, std::string_view text) {
    RefuseBrokenLine(text);
    if (Unchanged(store, section, line, text)) return;
    IniStore& target = StoreRef(store);
    const CommentLines* comments = target.ExistingSection(section).CommentsOf(line);
    Add({Kind::Exchange, store, section, line,
         target.LineAsRead(text, comments ? *comments : CommentLines()), nullptr});
}

void StoreEdit::InsertLineAsRead(StoreOf store, size_t section, size_t line, std::string_view text,
                                 const std::vector<std::string>& comments) {
    RefuseBrokenLine(text);
    Add({Kind::InsertLine, store, section, line, StoreRef(store).LineAsRead(text, comments), nullptr});
}

void StoreEdit::InsertSectionAsRead(StoreOf store, size_t position, std::string_view name, std::string_view header,
                                    const std::vector<std::string>& leadingComments) {
    RefuseBrokenLine(name);
    RefuseBrokenLine(header);
    Add({Kind::InsertSection, store, position, 0, std::nullopt,
         StoreRef(store).SectionAsRead(name, header, leadingComments)});
}

void StoreEdit::WriteValue(StoreOf store, size_t section, std::string_view key, std::string_view value) {
    RefuseControlBytes(key, "key");
    const IniSection& lines = StoreRef(store).ExistingSection(section);
    const long line = lines.IndexOfKey(key);
    if (line >= 0) {
        WriteValueOfLine(store, section, static_cast<size_t>(line), value);
        return;
    }
    RefuseControlBytes(value, "value");
    InsertLine(store, section, lines.Count(), std::string(key) + "=" + std::string(value));
}

void StoreEdit::WriteValue(StoreOf store, std::string_view sectionName, std::string_view key,
                           std::string_view value) {
    RefuseControlBytes(key, "key");
    WriteValue(store, SectionToWrite(store, sectionName), key, value);
}

void StoreEdit::WriteValueOfLine(StoreOf store, size_t section, size_t line, std::string_view value) {
    const IniSection::Line& found = StoreRef(store).ExistingSection(section).LineAt(line);
    RefuseControlBytes(value, "value", IniStore::StripComment(found.ValueText()));
    // Only the value's bytes change; the line is then read as any line of the file is.
    const std::string written = LineWithValue(found.Raw(), value);
    if (written != found.Raw()) ReplaceLineAsRead(store, section, line, written);
}

size_t StoreEdit::SectionToWrite(StoreOf store, std::string_view sectionName) {
    const IniStore& target = StoreRef(store);
    const int section = target.IndexOfSection(sectionName);
    if (section >= 0) return static_cast<size_t>(section);
    InsertSection(store, target.SectionCount(), sectionName);
    return target.SectionCount() - 1;
}

void StoreEdit::Apply() {
    for (Step& step : m_steps) Do(step, true);
}

void StoreEdit::Revert() {
    for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step) Do(*step, false);
}

bool StoreEdit::Touches(StoreOf store) const {
    return std::any_of(m_steps.begin(), m_steps.end(), [store](const Step& step) { return step.store == store; });
}

// ---------------------------------------------------------------------------------------------
// EditHistory

void EditHistory::Push(std::unique_ptr<Edit> edit) {
    // A clean point among the dropped edits can never be reached again.
    if (m_clean && *m_clean > m_index) {
        m_shared = *m_clean;
        m_clean.reset();
    }
    if (!m_clean && m_shared > m_index) LoseCleanPoint();
    m_edits.resize(m_index);
    m_edits.push_back(std::move(edit));
    ++m_index;
}

const Edit& EditHistory::Undo() {
    if (!CanUndo()) throw IniError("Nothing to undo");
    Edit& edit = *m_edits[m_index - 1];
    edit.Revert();
    --m_index;
    return edit;
}

const Edit& EditHistory::Redo() {
    if (!CanRedo()) throw IniError("Nothing to redo");
    Edit& edit = *m_edits[m_index];
    edit.Apply();
    ++m_index;
    return edit;
}

bool EditHistory::TouchedBetween(StoreOf store, size_t from, size_t to) const {
    for (size_t i = from; i < to; ++i)
        if (m_edits[i]->Touches(store)) return true;
    return false;
}

// The edits from the position up to the shared point are about to go: what they touched stays
// changed against the saved state.
void EditHistory::LoseCleanPoint() {
    for (StoreOf store : {StoreOf::Document, StoreOf::Definition})
        m_droppedTouched[static_cast<size_t>(store)] |= TouchedBetween(store, m_index, m_shared);
    m_shared = m_index;
}

bool EditHistory::ChangedSinceClean(StoreOf store) const {
    if (!m_clean) {
        const auto [from, to] = std::minmax(m_shared, m_index);
        return m_droppedTouched[static_cast<size_t>(store)] || TouchedBetween(store, from, to);
    }
    const auto [from, to] = std::minmax(*m_clean, m_index);
    return TouchedBetween(store, from, to);
}

void EditHistory::Clear(bool clean) {
    m_edits.clear();
    m_index = 0;
    m_clean = clean ? std::optional<size_t>(0) : std::nullopt;
    m_shared = 0;
    m_droppedTouched[0] = m_droppedTouched[1] = false;
}

// ---------------------------------------------------------------------------------------------
// Document

Document::Document() = default;

Document::~Document() = default;

const IniStore& Document::Store() const {
    if (!m_document) throw IniError("No document is loaded");
    return *m_document;
}

const IniStore& Document::Definition() const {
    if (!m_definition) throw IniError("No definition file is loaded");
    return *m_definition;
}

const std::string& Document::FileName() const {
    static const std::string none;
    return m_document ? m_document->FileName() : none;
}

void Document::Load(StoreOf which, std::unique_ptr<IniStore> store) {
    ++m_changeCount;
    Restart(false);
    (which == StoreOf::Document ? m_document : m_definition) = std::move(store);
}

IniStore& Document::StoreForLoad(StoreOf which) {
    const std::unique_ptr<IniStore>& store = which == StoreOf::Document ? m_document : m_definition;
    if (!store) throw IniError(which == StoreOf::Document ? "No document is loaded" : "No definition file is loaded");
    ++m_changeCount;
    return *store;
}

void Document::Rename(const std::string& fileName) {
    if (!m_document) throw IniError("No document is loaded");
    m_document->Rename(fileName, false);
}

void Document::Restart(bool modified) {
    m_history.Clear(!modified);
    Tell([](DocumentObserver& observer) { observer.Restarted(); });
    HistoryMoved();
}

void Document::Exchange(Document& other) {
    if (&other == this) return;
    std::swap(m_document, other.m_document);
    std::swap(m_definition, other.m_definition);
    std::swap(m_history, other.m_history);
    for (Document* document : {this, &other}) {
        ++document->m_changeCount;
        document->Tell([](DocumentObserver& observer) { observer.Restarted(); });
        document->HistoryMoved();
    }
}

std::unique_ptr<StoreEdit> Document::BeginEdit(std::string text, EditFocus focus, bool changesEntries) {
    if (!HasStores()) throw IniError("No document is loaded");
    return std::make_unique<StoreEdit>(*m_document, *m_definition, std::move(text), std::move(focus),
                                       changesEntries);
}

bool Document::Commit(std::unique_ptr<StoreEdit> edit) {
    if (!edit || edit->Empty()) return false;
    edit->m_kept = true;
    Keep(std::move(edit));
    return true;
}

bool Document::CommitBeside(std::unique_ptr<Edit> edit) {
    if (!edit) return false;
    Keep(std::move(edit));
    return true;
}

void Document::Keep(std::unique_ptr<Edit> edit) {
    ++m_changeCount;
    const Edit& kept = *edit;
    m_history.Push(std::move(edit));
    Announce(kept);
    HistoryMoved();
}

bool Document::SetValue(const std::string& code, const std::string& key, const std::string& value,
                        const std::string& category) {
    const std::string name = UsableKey(key);
    const std::string old = Store().ReadString(code, name, "");
    RefuseValue(name, value, old);
    if (old == value) return false;
    // A write into a section the document lacks adds it, and a new section may show in a list.
    const bool newSection = Store().IndexOfSection(code) < 0;
    std::unique_ptr<StoreEdit> edit = BeginEdit("Change of " + name, {category, code, name}, newSection);
    edit->WriteValue(StoreOf::Document, code, name, value);
    return Commit(std::move(edit));
}

std::string Document::UndoText() const {
    const Edit* edit = m_history.NextUndo();
    return edit ? "Undo " + edit->Text() : std::string("Undo");
}

std::string Document::RedoText() const {
    const Edit* edit = m_history.NextRedo();
    return edit ? "Redo " + edit->Text() : std::string("Redo");
}

void Document::Undo() {
    const Edit& edit = m_history.Undo();
    ++m_changeCount;
    AfterStep(edit, edit.FocusAfterUndo());
}

void Document::Redo() {
    const Edit& edit = m_history.Redo();
    ++m_changeCount;
    AfterStep(edit, EditFocus(edit.Focus()));
}

// The focus comes as a copy, for the reason Announce copies its news.
void Document::AfterStep(const Edit& edit, const EditFocus& focus) {
    Announce(edit);
    Tell([&focus](DocumentObserver& observer) { observer.Stepped(focus); });
    HistoryMoved();
}

void Document::NoteLayersChanged() {
    ++m_changeCount;
    Tell([](DocumentObserver& observer) { observer.LayersChanged(); });
}

void Document::MarkSaved() {
    m_history.SetClean();
    HistoryMoved();
}

void Document::MarkUnsaved() {
    m_history.DropCleanPoint();
    HistoryMoved();
}

void Document::MarkStoreUnsaved(StoreOf which) {
    m_history.MarkChanged(which);
    HistoryMoved();
}

void Document::AddObserver(DocumentObserver& observer) {
    if (std::find(m_observers.begin(), m_observers.end(), &observer) == m_observers.end())
        m_observers.push_back(&observer);
}

void Document::RemoveObserver(DocumentObserver& observer) { std::erase(m_observers, &observer); }

// Observers are told from a copy of the list: one may come or go while another is being told, and
// one that went is not told any more.
void Document::Tell(const std::function<void(DocumentObserver&)>& news) {
    for (DocumentObserver* observer : std::vector(m_observers))
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end()) news(*observer);
}

// The news is copied first: an observer may show a box, and a commit made meanwhile can drop the
// edit from the history (the undone edits after a new one go).
void Document::Announce(const Edit& edit) {
    const bool entriesChanged = edit.ChangesEntries();
    const std::set<TouchedValue> touched = entriesChanged ? std::set<TouchedValue>() : edit.Touched();
    Tell([entriesChanged, &touched](DocumentObserver& observer) {
        if (entriesChanged) {
            observer.EntriesChanged();
            return;
        }
        observer.ValuesChanged(touched);
    });
}

void Document::HistoryMoved() {
    const bool modified = Modified();
    const bool changed = modified != m_modified;
    m_modified = modified;
    Tell([changed, modified](DocumentObserver& observer) {
        if (changed) observer.ModifiedChanged(modified);
        observer.HistoryChanged();
    });
}

}  // namespace velmora
