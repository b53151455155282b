// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

class Workspace;

// Edits given as lines of text, applied through the workspace's document with the rules of the
// category window. One command per line, its fields separated by tabs so that values may hold
// blanks:
//
//   set CODE KEY VALUE
//   duplicate CATEGORY CODE NEWCODE [NAME]
//   rename CATEGORY CODE NEWCODE [NAME]
//   rename-all CATEGORY CODE NEWCODE [NAME]   (a rename that also rewrites the lines naming CODE)
//   replace KEY OLD NEW                       (each item OLD of KEY's values, in every section)
//   delete CATEGORY CODE
//   revert CODE [KEY]
//   import-table CATEGORY FILE               (a balance table's CSV file, as one edit)
//   undo
//   redo
//   save
//
// "revert" puts back the default copy's text for every difference of entry CODE, or for the one
// of its key KEY, as one edit. "save" takes the texts that File, Save would write for the document and that the collection of
// unknown sections writes for the definition file; writing them is the caller's, once every line
// has run, so that a script that fails part-way writes nothing.
class ScriptedEdits {
public:
    explicit ScriptedEdits(Workspace& workspace) : m_workspace(workspace) {}

    // Runs one line; an empty line does nothing. Throws IniError with the reason when the command
    // cannot be done; the document is then as it was before the line.
    void Run(std::string_view line);

    // The texts of the last "save", if any.
    struct SavedTexts {
        std::string Document;
        std::string Definition;
    };
    const std::optional<SavedTexts>& Saved() const { return m_saved; }
    // What the commands had to tell since the last call (an import's list of changes), in order.
    std::vector<std::string> TakeNotes() { return std::exchange(m_notes, {}); }

private:
    void Set(const std::string& code, const std::string& key, const std::string& value);
    void CopyEntry(const std::string& category, const std::string& code, const std::string& newCode,
                   const std::optional<std::string>& name, bool isDuplicate, bool withReferences = false);
    void Replace(const std::string& key, const std::string& oldItem, const std::string& newItem);
    void Delete(const std::string& category, const std::string& code);
    void Revert(const std::string& code, const std::optional<std::string>& key);
    void Save();
    void ImportTable(const std::string& category, const std::string& fileName);

    Workspace& m_workspace;
    std::optional<SavedTexts> m_saved;
    std::vector<std::string> m_notes;
};

}  // namespace velmora
