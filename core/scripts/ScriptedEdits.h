// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/layers/LayeredSave.h"
#include "core/saving/DocumentSave.h"
#include "core/saving/ModSave.h"

namespace velmora {

class Document;
class LayerStack;
class Workspace;

// Edits given as lines of text, applied through the workspace's document with the rules of the
// category window. One command per line, its fields separated by tabs so that values may hold
// blanks:
//
//   set CODE KEY VALUE
//   duplicate CATEGORY CODE NEWCODE [NAME]
//   rename CATEGORY CODE NEWCODE [NAME]
//   rename-all CATEGORY CODE NEWCODE [all] [NAME]
//                                             (a rename that also rewrites the references to CODE:
//                                             the items of keys whose value sources name the
//                                             category; with "all", every line naming CODE)
//   replace KEY OLD NEW                       (each item OLD of KEY's values, in every section)
//   delete CATEGORY CODE
//   revert CODE [KEY]
//   import-table CATEGORY FILE               (a balance table's CSV or .xlsx file, as one edit)
//   undo
//   redo
//   save
//   target document | target FILE            (with layers: where the following sets write)
//
// The text is UTF-8 and goes into the document in Latin-1. A code longer than MaxCodeLength or a
// name longer than MaxNameLength is refused rather than cut, whether it is given to a duplicate,
// a change of code, a set, a replace or an import (a list line's value is a code), and so is a
// name for an entry that has no "Name" key.
//
// "revert" puts back the default copy's text for every difference of entry CODE, or for the one
// of its key KEY, as one edit. "save" takes the texts that File, Save would write for the document and that the collection of
// unknown sections writes for the definition file; writing them is the caller's, once every line
// has run, so that a script that fails part-way writes nothing.
//
// Over a stack of layers (UseLayers), "set" writes into the last layer until a "target" line names
// another file of the stack; the other edits change the document, and refuse while a layer is the
// target. "save" then takes the texts of every changed file: the document and the definition file
// only when they changed, and each changed layer.
class ScriptedEdits {
public:
    explicit ScriptedEdits(Workspace& workspace) : m_workspace(workspace) {}
    // Edits over `layers` (which outlives the edits) from now on, writing into its last layer.
    void UseLayers(LayerStack& layers);

    // Runs one line of UTF-8 text; a line of blanks does nothing. Throws IniError with the reason
    // when the command cannot be done; the document is then as it was before the line. Every line
    // that succeeds, but undo, redo and save, is one step for undo and redo, whether or not it
    // changed the document.
    void Run(std::string_view text);

    // The texts of the last "save", if any; the definition text is always among them.
    const std::optional<SaveTexts>& Saved() const { return m_saved; }
    // Over layers: whether the last "save" writes the document, and the layers' texts it writes.
    bool SavedWithDocument() const { return m_savedWithDocument; }
    const std::vector<LayerText>& SavedLayers() const { return m_savedLayers; }

    // The kinds of file of a mod open together, the workspace's among them: "rename-all" also
    // rewrites the references to the code in the other kinds (keys whose kind sources name the
    // workspace's kind), their other lines naming it being "not changed" notes unless "all" is
    // given, and a line that succeeds or fails is one step across every kind. Kinds outside
    // `writable` are never changed: their lines are noted as left. "save" then takes the texts of
    // every changed writable kind (ModSaved).
    void ReachKinds(std::vector<Workspace*> kinds, std::vector<Workspace*> writable);
    // The texts of the last "save" of a script that reaches kinds: every writable kind that changed.
    const std::optional<std::vector<KindSave>>& ModSaved() const { return m_modSaved; }

    // What the lines run so far left undone on purpose, one text each ("not changed: [S] K=V"
    // for a line that names a renamed code outside the reference keys); taken once.
    std::vector<std::string> TakeNotes() { return std::exchange(m_notes, {}); }
    // What the commands had to show since the last call (an import's list of changes), in order.
    std::vector<std::string> TakeOutput() { return std::exchange(m_output, {}); }

private:
    void Set(const std::string& code, const std::string& key, const std::string& value);
    // Which lines naming the old code a change of code rewrites: none, those of reference keys, or
    // every one.
    enum class References { None, Keys, All };
    void CopyEntry(const std::string& category, const std::string& code, const std::string& newCode,
                   const std::optional<std::string>& name, bool isDuplicate, References references = References::None);
    void Replace(const std::string& key, const std::string& oldItem, const std::string& newItem);
    void Delete(const std::string& category, const std::string& code);
    void Revert(const std::string& code, const std::optional<std::string>& key);
    void Save();
    void Target(const std::string& file);
    // Throws IniError while a layer is the target: `command` only edits the document.
    void RefuseLayerTarget(const std::string& command) const;
    void Undo();
    void Redo();
    void ImportTable(const std::string& category, const std::string& fileName);
    void RunCommand(const std::vector<std::string>& fields);
    void RewriteOtherKinds(const std::string& category, const std::string& code, const std::string& newCode,
                           References references);
    // The documents the script edits: the workspace's, then those of the other kinds it reaches.
    std::vector<Document*> Documents() const;
    // Each document's position in its history.
    std::vector<size_t> HistoryPlaces() const;

    Workspace& m_workspace;
    std::vector<Workspace*> m_kinds;     // the other kinds reached, none for one file
    std::vector<Workspace*> m_writable;  // of the kinds, those that may change
    std::optional<SaveTexts> m_saved;
    std::optional<std::vector<KindSave>> m_modSaved;
    LayerStack* m_layers = nullptr;
    // The layer that "set" writes into; none: the document.
    std::optional<size_t> m_target;
    bool m_savedWithDocument = true;
    std::vector<LayerText> m_savedLayers;
    // Per step, the documents whose history took an edit of it (an edit in a layer is one of the
    // document's), in the order they took them; the first `m_done` steps are done.
    std::vector<std::vector<Document*>> m_steps;
    size_t m_done = 0;
    std::vector<std::string> m_notes;
    std::vector<std::string> m_output;
};

}  // namespace velmora
