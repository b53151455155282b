// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/IniStore.h"

namespace velmora {

// The two stores an edit may change: the document itself and the definition file, whose list
// lines name the entries of the categories.
enum class StoreOf { Document, Definition };

// What an edit touched, for the views: after an undo or redo they select and show this entry.
struct EditFocus {
    std::string Category;  // the category the edit was made in; empty: any that lists the entry
    std::string Code;      // the entry (for a change of code: the code it has after the edit)
    std::string Key;       // the key of a value change; empty for the entry as a whole
};

// A value of the document an edit changed: the key of the section named Code, as written.
using TouchedValue = std::pair<std::string, std::string>;

// One change of the document as the history keeps it: done when made, undone by Revert and done
// again by Apply, in strict history order.
class Edit {
public:
    Edit(std::string text, EditFocus focus, bool changesEntries)
        : m_text(std::move(text)), m_focus(std::move(focus)), m_changesEntries(changesEntries) {}
    virtual ~Edit() = default;
    Edit(const Edit&) = delete;
    Edit& operator=(const Edit&) = delete;

    // What the Edit menu names it by: "Change of BuiltBy", "Delete GRUNT".
    const std::string& Text() const { return m_text; }
    const EditFocus& Focus() const { return m_focus; }
    // The focus once the edit is undone: the entry as it then stands.
    EditFocus FocusAfterUndo() const {
        EditFocus focus = m_focus;
        if (!m_codeAfterUndo.empty()) focus.Code = m_codeAfterUndo;
        return focus;
    }
    // The entry an undo leaves when that is not the focus entry: a change of code brings the old
    // code back, a duplicate's undo leaves its source.
    void SetCodeAfterUndo(std::string code) { m_codeAfterUndo = std::move(code); }
    // True when entries came, went or were renamed, or a section of the document or a line of the
    // definition file came, went or changed: everything is to be read afresh.
    bool ChangesEntries() const { return m_changesEntries; }
    // Every (section, key) of the document whose line changed, came or went, both ways round: the
    // same when the edit is undone or done again.
    const std::set<TouchedValue>& Touched() const { return m_touched; }

    virtual void Apply() = 0;
    virtual void Revert() = 0;
    // Whether the edit changes anything in `store`.
    virtual bool Touches(StoreOf store) const = 0;

protected:
    void NoteValue(std::string_view code, std::string_view key) { m_touched.emplace(code, key); }
    void NoteEntriesChanged() { m_changesEntries = true; }

private:
    std::string m_text;
    EditFocus m_focus;
    std::string m_codeAfterUndo;
    bool m_changesEntries;
    std::set<TouchedValue> m_touched;
};

// The edit of every kind the editor makes: a list of positional changes to lines and sections of
// the two stores. Each change is made on the store the moment it is added, so a position is
// always one of the store as it stands after the changes before it; a later change may look at
// the result of an earlier one. Undo takes the changes back in reverse order and puts back the
// very lines and sections that were taken out, so the bytes come back exactly. An edit the
// history never took (an error part-way) is undone when it goes.
class StoreEdit final : public Edit {
public:
    StoreEdit(IniStore& document, IniStore& definition, std::string text, EditFocus focus,
              bool changesEntries);
    ~StoreEdit() override;

    const IniStore& Store(StoreOf store) const { return StoreRef(store); }

    // Line `line` of section `section` becomes `text`, a line an operation wrote; it keeps the
    // comment block of the line it replaces. Nothing when the line already reads `text`.
    void ReplaceLine(StoreOf store, size_t section, size_t line, std::string_view text);
    void InsertLine(StoreOf store, size_t section, size_t line, std::string_view text);
    void RemoveLine(StoreOf store, size_t section, size_t line);
    // A new empty section `name`, written as "[name]" after one blank line.
    void InsertSection(StoreOf store, size_t position, std::string_view name);
    // A claimed copy named `name` of the section at `source`, its lines as they were read.
    void InsertCopyOfSection(StoreOf store, size_t position, size_t source, std::string_view name);
    void RemoveSection(StoreOf store, size_t position);
    // Text taken from another store, as that store read it (IniStore::LineAsRead and
    // SectionAsRead): what putting back a reference's lines and sections takes. A replaced line
    // keeps its comment block; a section comes empty, its lines follow by InsertLineAsRead.
    void ReplaceLineAsRead(StoreOf store, size_t section, size_t line, std::string_view text);
    void InsertLineAsRead(StoreOf store, size_t section, size_t line, std::string_view text,
                          const std::vector<std::string>& comments);
    void InsertSectionAsRead(StoreOf store, size_t position, std::string_view name, std::string_view header,
                             const std::vector<std::string>& leadingComments);

    // The one write of a value, whoever writes it: the first line of `key` in the section at
    // `section` gets `value` in place of its own value only (LineWithValue: the key as written,
    // the blanks around "=", the blanks after the value and its comment stay; nothing when it
    // already reads so), or the line key + "=" + value is added at the section's end. The second
    // form adds the section `sectionName` at the store's end when the store has none; the third
    // writes the key line at `line` itself, for a key that more than one line of the section
    // holds. Throws IniError for a key or value holding a control character (RefuseControlBytes:
    // those the old value holds may stay; every change refuses a line break or a NUL).
    void WriteValue(StoreOf store, size_t section, std::string_view key, std::string_view value);
    void WriteValue(StoreOf store, std::string_view sectionName, std::string_view key, std::string_view value);
    void WriteValueOfLine(StoreOf store, size_t section, size_t line, std::string_view value);

    bool Empty() const { return m_steps.empty(); }
    size_t StepCount() const { return m_steps.size(); }

    void Apply() override;
    void Revert() override;
    bool Touches(StoreOf store) const override;

private:
    friend class Document;
    // A layer's edit wraps one over the layer's store and keeps it once the history takes it.
    friend class LayerEdit;

    enum class Kind : unsigned char { Exchange, InsertLine, RemoveLine, InsertSection, RemoveSection };
    // One change. What it does not hold while done it holds while undone, and the other way
    // round: the line or section that is out of the store.
    struct Step {
        Kind kind;
        StoreOf store;
        size_t section;
        size_t line;
        std::optional<IniSection::Line> heldLine;
        std::unique_ptr<IniSection> heldSection;
    };

    IniStore& StoreRef(StoreOf store) { return store == StoreOf::Document ? m_document : m_definition; }
    const IniStore& StoreRef(StoreOf store) const {
        return store == StoreOf::Document ? m_document : m_definition;
    }
    size_t SectionToWrite(StoreOf store, std::string_view sectionName);
    void Add(Step step);
    // What the step, about to be done, tells the views.
    void Note(const Step& step);
    void Do(Step& step, bool forward);
    bool Unchanged(StoreOf store, size_t section, size_t line, std::string_view text) const;

    IniStore& m_document;
    IniStore& m_definition;
    std::vector<Step> m_steps;
    bool m_kept = false;  // taken by the history
};

// The edits made, in order, with the position between the done and the undone ones and the clean
// point: the position at which the document was last saved or loaded, if any can reach it.
class EditHistory {
public:
    // `edit` is done; the undone edits after the position go.
    void Push(std::unique_ptr<Edit> edit);
    bool CanUndo() const { return m_index > 0; }
    bool CanRedo() const { return m_index < m_edits.size(); }
    const Edit* NextUndo() const { return CanUndo() ? m_edits[m_index - 1].get() : nullptr; }
    const Edit* NextRedo() const { return CanRedo() ? m_edits[m_index].get() : nullptr; }
    // Each returns the edit it stepped over.
    const Edit& Undo();
    const Edit& Redo();
    // An empty history; `clean` false: no position is clean until the next save.
    void Clear(bool clean);
    void SetClean() {
        m_clean = m_index;
        m_droppedTouched[0] = m_droppedTouched[1] = false;
    }
    bool IsClean() const { return m_clean && *m_clean == m_index; }
    // The saved state is gone (its file was deleted): no position is clean until the next save,
    // while what each store changed since that save stays known.
    void DropCleanPoint() {
        if (!m_clean) return;
        m_shared = *m_clean;
        m_clean.reset();
    }
    // `store` differs from its file although no edit says so (a session put back from a copy): no
    // position is clean until the next save, and the store counts as changed until then.
    void MarkChanged(StoreOf store) {
        DropCleanPoint();
        m_droppedTouched[static_cast<size_t>(store)] = true;
    }
    // Whether `store` may stand otherwise than when it was last saved or loaded: an edit between
    // that point and the position touches it. Without a clean point, the point the history last
    // shared with the saved state stands in for it, with the edits dropped since then.
    bool ChangedSinceClean(StoreOf store) const;
    size_t Count() const { return m_edits.size(); }
    size_t Index() const { return m_index; }

private:
    bool TouchedBetween(StoreOf store, size_t from, size_t to) const;
    void LoseCleanPoint();

    std::vector<std::unique_ptr<Edit>> m_edits;
    size_t m_index = 0;
    std::optional<size_t> m_clean = 0;
    // Without a clean point: the last position the saved state and the history have in common,
    // and per store whether edits dropped since then touched it.
    size_t m_shared = 0;
    bool m_droppedTouched[2] = {false, false};
};

// What a view learns of the document. Every hook is optional.
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // The line of `key` in the section `code` changed, came or went (by any edit, its undo or its
    // redo); told once for each such key of the edit.
    virtual void ValueChanged(const std::string& /*code*/, const std::string& /*key*/) {}
    // The same news for a whole edit at once, each (code, key) once: what an observer takes whose
    // follow-up of a value costs more than the value itself (counting a key again over a whole
    // category), so that an edit of thousands of values costs it one follow-up per key. Unless
    // overridden, it tells ValueChanged each value in turn.
    virtual void ValuesChanged(const std::set<TouchedValue>& touched) {
        for (const auto& [code, key] : touched) ValueChanged(code, key);
    }
    // Entries came, went or were renamed, or sections came or went: instead of the values, every
    // view reads everything it shows afresh.
    virtual void EntriesChanged() {}
    // A layer over the document came, went or moved: the values that win may all differ, the
    // document's own stores do not. Unless overridden, it tells EntriesChanged.
    virtual void LayersChanged() { EntriesChanged(); }
    // The history started afresh: the stores are being replaced by a load (or were just loaded),
    // so whatever an observer derived from them is to be derived again when next needed.
    virtual void Restarted() {}
    virtual void ModifiedChanged(bool /*modified*/) {}
    // An undo or redo ran; `focus` is the entry it touched as it now stands, to be selected and
    // shown.
    virtual void Stepped(const EditFocus& /*focus*/) {}
    // What Undo and Redo would do changed.
    virtual void HistoryChanged() {}
};

// The document being edited: its store and the definition file's list lines, and the history of
// the edits made to them. It is the one place where they change after a load; everything that
// changes them builds an edit or calls one of the edits below. Rewriting lines found beforehand,
// for instance, is one edit:
//
//     auto edit = document.BeginEdit("Rename GRUNT", {category, "GRUNT2", {}}, true);
//     for (const LineRewrite& rewrite : rewrites)
//         edit->ReplaceLine(StoreOf::Document, rewrite.Place.Section, rewrite.Place.Line, rewrite.NewText);
//     document.Commit(std::move(edit));
//
// The document owns both stores. A load puts new ones in (Load, which starts a fresh history) and
// completes them (StoreForLoad) before any edit.
class Document {
public:
    // A document without stores, until the first load.
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    bool HasDocument() const { return m_document != nullptr; }
    bool HasDefinition() const { return m_definition != nullptr; }
    bool HasStores() const { return HasDocument() && HasDefinition(); }
    // Throw IniError when no document is loaded.
    const IniStore& Store() const;
    const IniStore& Definition() const;
    // The store, or null while none is loaded: what tells a view that a load replaced it.
    const IniStore* StoreOrNull(StoreOf which) const {
        return which == StoreOf::Document ? m_document.get() : m_definition.get();
    }
    // The file the document is read from and saved to; empty while no document is loaded.
    const std::string& FileName() const;

    // `store` takes the place of the document or the definition store. The history starts afresh
    // first (Restart), since its edits refer to the store that goes.
    void Load(StoreOf which, std::unique_ptr<IniStore> store);
    // For the catalogue of a load only, outside the history: the claims it marks on the document's
    // sections and the list lines it appends to the definition file. A load completes its fresh
    // stores so before any edit; the later collection of the unclaimed sections only appends at
    // the end of the one list of "Unknown!". Everything else changes the stores through an edit.
    IniStore& StoreForLoad(StoreOf which);
    // Save As: from now on the document is saved under `fileName`. Throws IniError when no
    // document is loaded.
    void Rename(const std::string& fileName);

    // The stores, file name and history of `other` take the place of this document's, and the other
    // way round, for a session that keeps several documents and shows one at a time. The
    // observers stay with their document; each is told as of a load (Restarted) and of the
    // history it now has.
    void Exchange(Document& other);
    // A fresh history on the stores as they now stand. `modified`: the document counts as changed
    // until it is saved (a new document that was never saved).
    void Restart(bool modified);

    // An edit to fill with changes and hand to Commit.
    std::unique_ptr<StoreEdit> BeginEdit(std::string text, EditFocus focus, bool changesEntries);
    // Takes a done edit into the history and tells the observers. An edit without changes is
    // dropped; false then.
    bool Commit(std::unique_ptr<StoreEdit> edit);
    // The same for a done edit of a store read over the document's own (a layer): one history
    // for every file of the stack, its news told as any edit's. It must touch neither of the two
    // stores. False, and nothing kept, for null.
    bool CommitBeside(std::unique_ptr<Edit> edit);

    // The value commit: `key` (its blanks at the ends dropped) of entry `code` becomes `value` as
    // StoreEdit::WriteValue writes it. Nothing is written, and the answer is false, when the entry
    // already reads `value` for the key. `category` is the focus of undo and redo. Throws IniError
    // for a key that UsableKey refuses and a value that RefuseValue refuses.
    bool SetValue(const std::string& code, const std::string& key, const std::string& value,
                  const std::string& category = {});

    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }
    // "Undo Change of BuiltBy"; just "Undo" (or "Redo") when there is nothing to step over.
    std::string UndoText() const;
    std::string RedoText() const;
    // Each throws IniError when there is nothing to undo or redo.
    void Undo();
    void Redo();
    const EditHistory& History() const { return m_history; }

    // True while the history is not at its clean point.
    bool Modified() const { return !m_history.IsClean(); }
    // True when the definition file's lists may differ from what the last save wrote.
    bool DefinitionChanged() const { return m_history.ChangedSinceClean(StoreOf::Definition); }
    // The document was written as it now stands.
    void MarkSaved();
    // The document's file went from the disk: it counts as changed until it is saved again.
    void MarkUnsaved();
    // After a load: `which` differs from its file, though no edit made it so (a session put back
    // from a recovery copy). The document counts as changed and the store is written by the next
    // save.
    void MarkStoreUnsaved(StoreOf which);

    // Counts every change of the stores: each load, each hand-out for a load's catalogue, each
    // edit, undo and redo, and each replacement of a store read beside them (CountChange). What
    // reads the stores a slice at a time between events has read one document while the count
    // stays the same.
    uint64_t ChangeCount() const { return m_changeCount; }
    // A store read beside the document's own (the file type's default copy) was replaced.
    void CountChange() { ++m_changeCount; }
    // The files read over the document (its layers) came, went or changed places: every value they
    // set may win or lose. Told as LayersChanged: every view reads what it shows afresh, while the
    // models of the document's own stores keep what they know.
    void NoteLayersChanged();

    void AddObserver(DocumentObserver& observer);
    void RemoveObserver(DocumentObserver& observer);

private:
    void Tell(const std::function<void(DocumentObserver&)>& news);
    void Announce(const Edit& edit);
    void AfterStep(const Edit& edit, const EditFocus& focus);
    void HistoryMoved();
    void Keep(std::unique_ptr<Edit> edit);

    // Before the history, whose edits refer to them: the history goes first.
    std::unique_ptr<IniStore> m_document;
    std::unique_ptr<IniStore> m_definition;
    EditHistory m_history;
    bool m_modified = false;
    uint64_t m_changeCount = 0;
    std::vector<DocumentObserver*> m_observers;
};

}  // namespace velmora
