// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

class DocumentLayers;
class EditingSession;
class RecoveryClaim;
struct Recovery;
struct SessionCopy;
class StoreRendering;
class Workspace;

// Keeps a recovery copy of the session while it has unsaved changes, so that a program that ends
// before a save loses nothing: soon after every edit, undo or redo every file a save would write
// goes to the session's recovery file, and the file goes once nothing is left unsaved. The file is
// this copy of the program's own (RecoveryClaim) for as long as it runs: no other copy offers or
// deletes it, and when it goes missing all the same it is written again.
//
// The bytes are rendered on the user-interface thread, where the stores live, a slice between
// events at a time so that a big document never holds the window up for a frame; a change of the
// document meanwhile drops the rendering and the copy starts again later. Hashing and writing them,
// which takes long for a big document, happens on a thread of its own, one job after the other, so
// that a removal never overtakes the write before it.
class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    // Longest wait between an edit and its copy on disk.
    static constexpr int CopyDelayMs = 2000;
    // How often the copy on disk is looked for, to write it again when something deleted it.
    static constexpr int LookForCopyMs = 2000;

    explicit RecoveryKeeper(Workspace& workspace, QObject* parent = nullptr);
    ~RecoveryKeeper() override;
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;
    RecoveryKeeper(RecoveryKeeper&&) = delete;
    RecoveryKeeper& operator=(RecoveryKeeper&&) = delete;

    // The layers over the document, whose unsaved edits the copy holds too; none (the default)
    // keeps the document alone. They outlive the keeper.
    void SetLayers(const DocumentLayers* layers) { m_layers = layers; }
    // The session whose mod's kinds not shown are kept too (KindStepped); it outlives the keeper.
    void FollowKinds(EditingSession* session) { m_session = session; }

    // The folder of the recovery files; empty (the default) keeps none.
    void SetFolder(std::string dir) { m_dir = std::move(dir); }
    const std::string& Folder() const { return m_dir; }
    // The recovery file of the open session; empty while it has none.
    std::string CurrentFile() const;

    // The document changed (an edit, undo or redo, a save, a load): a copy is made soon while it
    // has unsaved changes, and its file goes when it has none.
    void DocumentChanged();
    // Renders the copy at once and hands it to the writing thread, as a change of document that
    // follows may not wait for the slices.
    void CopyNow();
    // True while a copy is being rendered slice by slice.
    bool Rendering() const { return !m_renderings.empty(); }
    // The user dropped the unsaved changes: the copy goes.
    void Discard();
    // The unsaved changes are about to be replaced by another program's version of the file: they
    // are kept in a recovery file of their own, held until the program ends and offered at the
    // next start.
    void KeepAside();
    // The same, the copy of the session going on as before: a layer is read again, not the document.
    void KeepCopyAside() { KeepCopyOf(m_workspace); }
    // The same for kind `kind` of a mod, not shown: its copy as it stands is kept aside, and the
    // copy set by for it goes.
    void KeepAside(const Workspace& kind);
    // A session recovered from the file `claim` holds is open: that file is its copy from now on,
    // and is written at once.
    void Adopt(std::shared_ptr<RecoveryClaim> claim);
    // The same for kind `kind` of a mod, not shown: the file is its copy set by, written soon.
    void AdoptParked(const std::string& kind, std::shared_ptr<RecoveryClaim> claim);
    // Several kinds of file open, one shown in the workspace at a time: before another is shown,
    // the copy of the kind shown (`kind`) is brought up to date and set by under its name; once
    // shown again, its copy is taken up again. A kind set by keeps its file until it is saved or
    // its changes are dropped (DropParked: the kinds `saved` says have nothing unsaved; all when
    // none is given).
    void ParkCopy(const std::string& kind);
    void ResumeCopy(const std::string& kind);
    void DropParked(const std::function<bool(const std::string&)>& saved = {});
    // Kind `kind` took a step (an edit, undo or redo, a save). Not shown, its copy set by is written
    // anew soon, or goes when it has nothing unsaved: a change of code's rewrite of its references
    // is lost to no crash.
    void KindStepped(const std::string& kind);
    // Deletes the file `claim` holds on the writing thread, after the jobs before it.
    void Remove(std::shared_ptr<RecoveryClaim> claim);
    // Waits until every job handed to the writing thread is done.
    void Drain();

signals:
    // A copy could not be written or removed; `text` says which and why. Told at every copy that
    // fails; `again` is true when the copy before it failed too.
    void failed(const QString& text, bool again);
    // From the writing thread: the copy of claim number `serial` is on disk.
    void written(quint64 serial);

private:
    void Run(std::function<void()> job);
    // The timer ran out: the copy is rendered in slices.
    void StartCopy();
    void RenderSlice();
    void DropRendering();
    // The claim the copy of the open session goes to, taken when it has none. Throws IniError.
    std::shared_ptr<RecoveryClaim> SessionClaim();
    // The session has nothing unsaved, or is dropped: its copy goes.
    void LetCopyGo();
    void WriteCopy(std::shared_ptr<RecoveryClaim> claim, uint64_t serial, Recovery copy,
                   std::vector<std::shared_ptr<StoreRendering>> renderings);
    // The copy as the session now stands, rendered at once into `claim`.
    void WriteWhole(std::shared_ptr<RecoveryClaim> claim, uint64_t serial, const std::string& kept);
    void WriteWhole(std::shared_ptr<RecoveryClaim> claim, uint64_t serial, const std::string& kept,
                    const Workspace& work);
    // What a copy of `work` holds: with the layers when it is the workspace shown.
    SessionCopy CopyOf(const Workspace& work) const;
    // The kinds not shown that took steps: their copies set by brought up to date.
    void CopySteppedKinds();
    // A copy of `work` as it stands, held until the program ends and offered at the next start.
    void KeepCopyOf(const Workspace& work);
    void Written(quint64 serial);
    void LookForCopy();
    // On either thread.
    void Failed(const std::string& text);

    Workspace& m_workspace;
    const DocumentLayers* m_layers = nullptr;
    EditingSession* m_session = nullptr;
    std::string m_dir;
    // The open session's file, while it has unsaved changes; its number tells its news from those
    // of a claim before it.
    std::shared_ptr<RecoveryClaim> m_claim;
    uint64_t m_serial = 0;
    bool m_copyOnDisk = false;
    // Copies set aside by Reload, held while the program runs.
    std::vector<std::shared_ptr<RecoveryClaim>> m_keptAside;
    // The copies of the kinds not shown, by kind.
    std::vector<std::pair<std::string, std::shared_ptr<RecoveryClaim>>> m_parked;
    QTimer m_timer;
    QTimer m_kindTimer;  // the copies of the kinds not shown, a moment after their steps
    std::vector<std::string> m_steppedKinds;
    QTimer m_slicer;  // runs the next slice once the window's events are handled
    QTimer m_lookForCopy;
    // The copy being rendered: its fields, and one rendering per file, done in turn.
    std::unique_ptr<Recovery> m_pending;
    std::vector<std::shared_ptr<StoreRendering>> m_renderings;
    QThread m_thread;
    QObject m_worker;  // lives on m_thread; runs the jobs there in order
    std::atomic<bool> m_failing{false};
};

}  // namespace velmora
