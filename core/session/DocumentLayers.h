// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/layers/LayerStack.h"

namespace velmora {

class LiveValueCheck;
struct Recovery;
struct SessionCopy;
class StackValues;
class Workspace;

// A value a layer sets that wins and does not fit its key, as Check Values lists it.
struct LayerValueFinding {
    size_t Layer = 0;      // its position in the stack
    std::string FileName;  // the layer's name without its folder
    size_t Line = 0;       // the key's line, counting from 1
    std::string Category;  // the first category that lists the entry; empty when none does
    std::string SectionName;
    std::string Key;  // as the line spells it
    std::string Value;
    std::string Reason;
};

// Why a value of key `key` of entry `code` does not fit, as a value check judges the document's;
// none when it fits.
using ValueMisfit = std::function<std::optional<std::string>(std::string_view code, std::string_view key,
                                                             std::string_view value)>;

// The values the layers of `stack` over `workspace`'s document set that the game will use (`chains`
// are the stack's) and that `misfit` finds wrong: layer by layer, in file order.
std::vector<LayerValueFinding> LayerMisfits(const Workspace& workspace, const LayerStack& stack,
                                            StackValues& chains, const ValueMisfit& misfit);

// The files the game reads over an open document, as the editor holds them: a change of the
// stack (a layer added, moved or removed) is told to every view as the document's news; the
// effective values the views show, read once per state of the stack; edits into any file of the
// stack; whether any file is unsaved, and the save of every changed file together.
//
// A file of the stack is numbered as the chains number it: 0 the document, 1 + i the layer at i.
class DocumentLayers {
public:
    // `workspace` outlives it.
    explicit DocumentLayers(Workspace& workspace);
    ~DocumentLayers();
    DocumentLayers(const DocumentLayers&) = delete;
    DocumentLayers& operator=(const DocumentLayers&) = delete;

    const LayerStack& Stack() const { return m_stack; }
    // For a save that writes the stack together with other files (SaveModWithLayers).
    LayerStack& StackToSave() { return m_stack; }
    bool Any() const { return m_stack.Count() > 0; }

    // As LayerStack's, each then told to the views. Throws IniError as LayerStack does, and with
    // the reason given to RefuseLayers while it holds.
    void Add(const std::string& fileName);
    // No layer may be added until `reason` is empty again (a mod's kind that the game reads no
    // layer over); the layers there are go.
    void RefuseLayers(std::string reason);
    // Every layer goes, as they would by Remove.
    void RemoveAll();
    // Takes the layers of `other`, which takes these, before their documents change places
    // (Workspace::ExchangeKind): the layers stay over the document they were added to. The views
    // hear of it from the documents' exchange.
    void Exchange(DocumentLayers& other);
    void Move(size_t from, size_t to);
    void Remove(size_t index);
    // The layer at `index` read again from its file (LayerStack::ReadAgain), told to the views.
    void ReadAgain(size_t index);
    // The user gave up the unsaved work: every layer holding edits no save wrote is read again
    // from its file, so that they never show over the next document. A layer whose file cannot be
    // read leaves the stack; their names are returned.
    std::vector<std::string> DropUnsavedEdits();

    // The layers' part of a recovery copy of the session: every layer in stack order, a changed
    // one with its store to render (Recovery::LayerRole), the others named only.
    void AddToCopy(SessionCopy& session) const;
    // The layers of `recovery` in place of the stack's, each changed one from its bytes, the others
    // read from their files. Returns the names of those that could not be read, which are left out.
    std::vector<std::string> Restore(const Recovery& recovery);

    // The chains of the stack as it now stands.
    StackValues& Values();
    // The value a view shows for `key` of entry `code`: the one that wins, empty when no file
    // sets it; the document's alone while there are no layers.
    std::string ShownValue(const std::string& code, const std::string& key);
    // The name the game shows for entry `code` (the list of entries shows it): its Name as the
    // stack reads it, "-" when no file sets one.
    std::string EntryName(const std::string& code);

    // The value commit into file `file` of the stack: Document::SetValue for the document,
    // SetLayerValue for a layer. False when that file already reads `value`. Throws IniError for an
    // entry a layer adds when `file` reads before that layer: the game would not know the entry yet.
    bool Write(size_t file, const std::string& code, const std::string& key, const std::string& value,
               const std::string& category = {});
    // Duplicating, renaming and deleting change the document's own entries: throws IniError naming
    // the layer that adds `code` when one does.
    void RefuseAddedEntry(const std::string& code) const;
    // "Rules.ini" for 0, else the layer's name without its folder.
    std::string FileName(size_t file) const;

    // The values the layers set that the game will use and that do not fit their keys' kinds or
    // rules, as `values` judges the document's: layer by layer, in file order.
    std::vector<LayerValueFinding> Misfits(LiveValueCheck& values);

    // Whether the document or a layer holds changes no save wrote.
    bool Unsaved() const;
    // The names, without their folders, of the files holding unsaved changes: the document's
    // first, then the layers' in stack order.
    std::vector<std::string> UnsavedFiles() const;
    // File, Save and Save As: the document (under `documentFile`) with every changed layer, all or
    // none (SaveStack, SaveStackAs).
    void Save();
    void SaveAs(const std::string& documentFile);

private:
    Workspace& m_workspace;
    LayerStack m_stack;
    std::string m_refusal;  // why no layer may be added now; empty: they may
    std::unique_ptr<StackValues> m_values;
    uint64_t m_valuesCount = 0;  // the document's change count the values were read at
};

}  // namespace velmora
