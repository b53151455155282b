// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/main/DiskWatch.h"

namespace velmora {

class Boxes;
class CategoryWindowList;
class EditingSession;
class RecoveryKeeper;
class Workspace;

// The document's and the definition's files changed by another program while they are open, the
// layers' over it, and with a mod open the documents and definition files of its kinds not shown.
// It owns the watch on them (one kept stamp per file) and answers what the watch finds: a file read
// again with the open category windows back where they stood, a question when that would drop
// unsaved changes, a word in the status line otherwise; and it asks before a save would overwrite
// another program's change.
class DiskChanges : public QObject {
    Q_OBJECT

  public:
    // What the part asks of the window it belongs to.
    class Host {
      public:
        virtual void ShowStatus(const std::string& text) = 0;
        // Closes every window that reads the stores; run before a reload replaces them.
        virtual void CloseCategoryWindows() = 0;
        // The Changes window compares the document with `fileName`.
        virtual void CompareWithFile(const std::string& fileName) = 0;
        // The session, whose mod's kinds not shown are watched too.
        virtual EditingSession* Session() = 0;

      protected:
        ~Host() = default;
    };

    // Everything given outlives the part; `parent` is the window, in whose tree the watch is found.
    DiskChanges(Workspace& workspace, Boxes& boxes, CategoryWindowList& windows, RecoveryKeeper& recovery,
                Host& host, QObject* parent);

    // Follows the files of the document now loaded, after a load or a save.
    void WatchFiles();
    // The layers over the document may have changed (the document's entries did): their files are
    // watched afresh when the stack holds others than those watched.
    void LayersMayHaveChanged();
    // Whether a save may go ahead: the files it writes are as they were read, or the user agrees
    // to overwrite another program's change.
    bool OverwriteChangedFileOK();

  private:
    void DocumentOnDisk(DiskFinding finding, const std::string& why);
    void DefinitionOnDisk(DiskFinding finding, const std::string& why);
    // The document of kind `fileType` of a mod, not shown.
    void HiddenKindOnDisk(const std::string& fileType, DiskFinding finding, const std::string& why);
    // The definition file of kind `fileType` of a mod, not shown.
    void HiddenDefinitionOnDisk(const std::string& fileType, DiskFinding finding, const std::string& why);
    // The layer read from `fileName`.
    void LayerOnDisk(const std::string& fileName, DiskFinding finding, const std::string& why);
    // The files of the kinds of a mod not shown, and of the layers.
    void AddHiddenKinds(std::vector<DiskWatch::File>& files);
    void AddLayers(std::vector<DiskWatch::File>& files);
    // A file's finding that needs no reading: told in the status line, true when that is all.
    bool ToldOnly(const std::string& name, DiskFinding finding, const std::string& why,
                  const std::string& stays);
        // The document counts as unsaved only because its file went from the disk.
    bool UnsavedOnlyForDeletion() const;
    // The document (or, with `definitionOnly`, the definition file) read again from disk; the open
    // category windows come back at their entry and page.
    void ReloadKeepingWindows(bool definitionOnly);

    Workspace& m_workspace;
    Boxes& m_boxes;
    CategoryWindowList& m_windows;
    RecoveryKeeper& m_recovery;
    Host& m_host;
    DiskWatch* m_watch;  // owned through its Qt parent, this part
    // The layers as last watched, to tell a change of the stack.
    std::vector<const void*> m_watchedLayers;
    // The document's change count when it was marked unsaved because its file went.
    std::optional<uint64_t> m_unsavedForDeletion;
};

}  // namespace velmora
