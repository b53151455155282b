// SPDX-License-Identifier: GPL-3.0-or-later
// The document's and the definition's files changed by another program while they are open: what
// the window does when its disk watch tells of a change, and the question before a save would
// overwrite one.

#include "gui/main/DiskChanges.h"

#include <utility>

#include "core/boxes/Boxes.h"
#include "core/catalogue/Workspace.h"
#include "core/saving/DocumentSave.h"
#include "core/layers/LayerStack.h"
#include "core/session/DocumentLayers.h"
#include "core/session/EditingSession.h"
#include "core/store/Routines.h"
#include "gui/main/CategoryWindowList.h"
#include "gui/main/DiskWatch.h"
#include "gui/main/RecoveryKeeper.h"
#include "gui/services/GeneralHandler.h"

namespace velmora {

namespace {

std::string UnreadableText(const std::string& name, const std::string& why) {
    return name + " was changed by another program but cannot be read (" + why + "). What is open stays as it is.";
}

enum ChangedButton : size_t { Reload, KeepMine, CompareChanged };

// Asked of a file that is not shown, after its name.
constexpr const char* KeepOrReadQuestion =
    " was changed by another program. Read it again, or keep your changes to it?";

}  // namespace

DiskChanges::DiskChanges(Workspace& workspace, Boxes& boxes, CategoryWindowList& windows,
                         RecoveryKeeper& recovery, Host& host, QObject* parent)
    : QObject(parent),
      m_workspace(workspace),
      m_boxes(boxes),
      m_windows(windows),
      m_recovery(recovery),
      m_host(host),
      m_watch(new DiskWatch(this)) {}

void DiskChanges::WatchFiles() {
    std::vector<DiskWatch::File> files;
    const Document& document = m_workspace.Doc();
    if (document.HasStores()) {
        const auto tell = [this](void (DiskChanges::*handler)(DiskFinding, const std::string&)) {
            return [this, handler](DiskFinding finding, const std::string& why) {
                RunEventHandler(m_boxes, [&] { (this->*handler)(finding, why); });
            };
        };
        files.push_back({document.Store().FileName(), &m_workspace.DocumentStamp(),
                         tell(&DiskChanges::DocumentOnDisk), nullptr});
        files.push_back({document.Definition().FileName(), &m_workspace.DefinitionStamp(),
                         tell(&DiskChanges::DefinitionOnDisk), nullptr});
    }
    AddHiddenKinds(files);
    AddLayers(files);
    m_watch->Watch(std::move(files));
}

// The kinds of a mod not shown, each told by its own name: the kinds change places in the
// workspaces as they are shown, and every change of place watches them afresh.
void DiskChanges::AddHiddenKinds(std::vector<DiskWatch::File>& files) {
    EditingSession* session = m_host.Session();
    if (!session || !session->ModOpen()) return;
    for (const Workspace* kind : std::as_const(*session).Kinds()) {
        if (kind == &m_workspace || !kind->Doc().HasStores()) continue;
        const std::string fileType = kind->FileToEdit();
        files.push_back({kind->Doc().Store().FileName(), &kind->DocumentStamp(),
                         [this, fileType](DiskFinding finding, const std::string& why) {
                             RunEventHandler(m_boxes, [&] { HiddenKindOnDisk(fileType, finding, why); });
                         },
                         nullptr});
        files.push_back({kind->Doc().Definition().FileName(), &kind->DefinitionStamp(),
                         [this, fileType](DiskFinding finding, const std::string& why) {
                             RunEventHandler(m_boxes,
                                             [&] { HiddenDefinitionOnDisk(fileType, finding, why); });
                         },
                         nullptr});
    }
}

// Each layer is told by its file's name, and its stamp kept with it: the stack may let a layer go
// (removed, or read again) before the watch hears of it.
void DiskChanges::AddLayers(std::vector<DiskWatch::File>& files) {
    m_watchedLayers.clear();
    EditingSession* session = m_host.Session();
    if (!session) return;
    const LayerStack& stack = session->Current().Layers().Stack();
    for (size_t index = 0; index < stack.Count(); ++index) {
        std::shared_ptr<LayerFile> layer = stack.SharedLayer(index);
        m_watchedLayers.push_back(layer.get());
        const std::string fileName = layer->FileName();
        files.push_back({fileName, &layer->Stamp(),
                         [this, fileName](DiskFinding finding, const std::string& why) {
                             RunEventHandler(m_boxes, [&] { LayerOnDisk(fileName, finding, why); });
                         },
                         layer});
    }
}

void DiskChanges::LayersMayHaveChanged() {
    EditingSession* session = m_host.Session();
    if (!session) return;
    const LayerStack& stack = session->Current().Layers().Stack();
    std::vector<const void*> layers;
    for (size_t index = 0; index < stack.Count(); ++index) layers.push_back(&stack.Layer(index));
    if (layers != m_watchedLayers) WatchFiles();
}

bool DiskChanges::ToldOnly(const std::string& name, DiskFinding finding, const std::string& why,
                           const std::string& stays) {
    switch (finding) {
        case DiskFinding::Deleted:
            m_host.ShowStatus(name + " was deleted by another program. " + stays);
            return true;
        case DiskFinding::Back:
            m_host.ShowStatus(name + " is back on disk as it was read.");
            return true;
        case DiskFinding::Unreadable:
            m_host.ShowStatus(name + " was changed by another program but cannot be read (" + why + "). " +
                              stays);
            return true;
        case DiskFinding::CutShort:
            // Nothing is read from a text that looks unfinished.
            m_host.ShowStatus(name +
                              " was changed by another program, but its text ends in the middle of a line, "
                              "as if cut short. It is not read; " +
                              stays);
            return true;
        case DiskFinding::Changed:
            break;
    }
    return false;
}

// A kind not shown has no windows open: its definition file is read again alone when none of its
// lists were edited here, and only at the user's word when some were, their version kept as a
// recovery copy. The kind's document and its unsaved changes stay either way.
void DiskChanges::HiddenDefinitionOnDisk(const std::string& fileType, DiskFinding finding,
                                         const std::string& why) {
    EditingSession* session = m_host.Session();
    const Workspace* kind = session ? session->KindWork(fileType) : nullptr;
    if (kind == nullptr || kind == &m_workspace || !kind->Doc().HasStores()) return;
    const std::string name = ExtractFileName(kind->Doc().Definition().FileName());
    if (ToldOnly(name, finding, why, "The lists in use stay as they are.")) return;
    if (kind->Doc().DefinitionChanged()) {
        if (m_boxes.Choose(name + KeepOrReadQuestion, {"&Reload", "&Keep Mine"}) != Reload)
            return;
        m_recovery.KeepAside(*kind);
    }
    session->ReadKindDefinitionAgain(fileType);
    m_host.ShowStatus(name + " was changed by another program and has been read again.");
}

// A layer is read again alone: at once when it holds no edit a save has not written, else at the
// user's word, the session as it stood kept as a recovery copy.
void DiskChanges::LayerOnDisk(const std::string& fileName, DiskFinding finding, const std::string& why) {
    EditingSession* session = m_host.Session();
    if (!session) return;
    DocumentLayers& layers = session->Current().Layers();
    const LayerStack& stack = layers.Stack();
    size_t index = 0;
    while (index < stack.Count() && stack.Layer(index).FileName() != fileName) ++index;
    if (index == stack.Count()) return;  // no longer a layer
    const std::string name = stack.Layer(index).ShortName();
    if (ToldOnly(name, finding, why, "What is open of it stays as it is.")) return;
    // A value being typed into the layer is the user's change too.
    m_windows.CommitOpenEdits();
    const bool changed = stack.Layer(index).Changed();
    if (changed) {
        if (m_boxes.Choose(name + KeepOrReadQuestion, {"&Reload", "&Keep Mine"}) != Reload)
            return;
        m_recovery.KeepCopyAside();
    }
    layers.ReadAgain(index);
    m_recovery.CopyNow();
    WatchFiles();
    m_host.ShowStatus(changed ? name + " has been read again. Your changes are kept as a recovery copy."
                              : name + " was changed by another program and has been read again.");
}

bool DiskChanges::UnsavedOnlyForDeletion() const {
    const Document& document = m_workspace.Doc();
    return document.Modified() && m_unsavedForDeletion == document.ChangeCount();
}

void DiskChanges::DocumentOnDisk(DiskFinding finding, const std::string& why) {
    Document& document = m_workspace.Doc();
    const std::string file = document.Store().FileName();
    const std::string name = ExtractFileName(file);
    switch (finding) {
        case DiskFinding::Deleted:
            // What is open is now the only copy: it stays, and saving writes the file again.
            if (!document.Modified()) {
                document.MarkUnsaved();
                m_unsavedForDeletion = document.ChangeCount();
            }
            m_host.ShowStatus(name + " was deleted by another program. Save writes it again.");
            return;
        case DiskFinding::Back:
            if (UnsavedOnlyForDeletion()) document.MarkSaved();
            m_host.ShowStatus(name + " is back on disk as it was read.");
            return;
        case DiskFinding::Unreadable:
            m_host.ShowStatus(UnreadableText(name, why));
            return;
        case DiskFinding::Changed:
        case DiskFinding::CutShort:
            break;
    }
    // Marked unsaved only because its file went, the document holds no change of the user's: the
    // file that came back is read as any other program's change would be.
    if (UnsavedOnlyForDeletion()) document.MarkSaved();
    m_unsavedForDeletion.reset();
    // A value being typed is the user's change too.
    m_windows.CommitOpenEdits();
    if (!document.Modified()) {
        ReloadKeepingWindows(false);
        m_host.ShowStatus(name + " was changed by another program and has been read again.");
        return;
    }
    // Unsaved changes are never given up for a text that looks unfinished.
    if (finding == DiskFinding::CutShort) {
        m_host.ShowStatus(
            name +
            " was changed by another program, but its text ends in the middle of a line, as if cut "
            "short. It is not read; your changes stay as they are.");
        return;
    }
    const size_t answer =
        m_boxes.Choose(name + " was changed by another program.", {"&Reload", "&Keep Mine", "&Compare…"});
    if (answer == Reload) {
        m_recovery.KeepAside();
        ReloadKeepingWindows(false);
        m_host.ShowStatus(name + " has been read again. Your changes are kept as a recovery copy.");
    } else if (answer == CompareChanged) {
        m_host.CompareWithFile(file);
    }
}

void DiskChanges::DefinitionOnDisk(DiskFinding finding, const std::string& why) {
    const Document& document = m_workspace.Doc();
    const std::string name = ExtractFileName(document.Definition().FileName());
    switch (finding) {
        case DiskFinding::Deleted:
            m_host.ShowStatus(name + " was deleted by another program. The lists in use stay as they are.");
            return;
        case DiskFinding::Back:
            return;
        case DiskFinding::Unreadable:
            m_host.ShowStatus(name + " was changed by another program but cannot be read (" + why +
                              "). The lists in use stay as they are.");
            return;
        case DiskFinding::Changed:
        case DiskFinding::CutShort:
            break;
    }
    // The document's text is kept either way; only lists edited here could be lost.
    if (document.DefinitionChanged()) {
        if (finding == DiskFinding::CutShort) {
            m_host.ShowStatus(
                name +
                " was changed by another program, but its text ends in the middle of a line, as if "
                "cut short. It is not read; your lists stay as they are.");
            return;
        }
        m_windows.CommitOpenEdits();
        if (m_boxes.Choose(name + " was changed by another program.", {"&Reload", "&Keep Mine"}) != Reload)
            return;
        m_recovery.KeepAside();
    }
    ReloadKeepingWindows(true);
    m_host.ShowStatus(name + " was changed by another program and has been read again.");
}

// A kind not shown has no windows open: it is read again alone when it holds no change of the
// user's, and only at the user's word when it does, their version kept as a recovery copy.
void DiskChanges::HiddenKindOnDisk(const std::string& fileType, DiskFinding finding, const std::string& why) {
    EditingSession* session = m_host.Session();
    const Workspace* kind = session ? session->KindWork(fileType) : nullptr;
    // Shown by now, or the mod went: the watch was set again for what is open.
    if (kind == nullptr || kind == &m_workspace || !kind->Doc().HasStores()) return;
    const std::string name = ExtractFileName(kind->Doc().Store().FileName());
    switch (finding) {
        case DiskFinding::Deleted:
            m_host.ShowStatus(name + " was deleted by another program. What is open of it stays as it is.");
            return;
        case DiskFinding::Back:
            m_host.ShowStatus(name + " is back on disk as it was read.");
            return;
        case DiskFinding::Unreadable:
            m_host.ShowStatus(UnreadableText(name, why));
            return;
        case DiskFinding::Changed:
        case DiskFinding::CutShort:
            break;
    }
    if (!kind->Doc().Modified()) {
        session->ReadKindAgain(fileType);
        m_host.ShowStatus(name + " was changed by another program and has been read again.");
        return;
    }
    if (finding == DiskFinding::CutShort) {
        m_host.ShowStatus(name +
                          " was changed by another program, but its text ends in the middle of a line, as if "
                          "cut short. It is not read; your changes to it stay as they are.");
        return;
    }
    if (m_boxes.Choose(name + " was changed by another program. Read it again, or keep your changes to it?",
                       {"&Reload", "&Keep Mine"}) != Reload)
        return;
    m_recovery.KeepAside(*kind);
    session->ReadKindAgain(fileType);
    m_host.ShowStatus(name + " has been read again. Your changes are kept as a recovery copy.");
}

void DiskChanges::ReloadKeepingWindows(bool definitionOnly) {
    const std::vector<CategoryWindowPlace> places = m_windows.Places();
    m_host.CloseCategoryWindows();
    if (definitionOnly)
        m_workspace.LoadDefinitionKeepingDocument();
    else
        // A copy of the name: the store that holds it goes during the load.
        m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(std::string(m_workspace.Doc().FileName()),
                                                             false);
    m_windows.Reopen(places);
}

bool DiskChanges::OverwriteChangedFileOK() {
    const std::optional<std::string> changed =
        FileChangedSinceRead(m_workspace, m_workspace.Doc().DefinitionChanged());
    if (!changed) return true;
    return m_boxes.Confirm(
               ExtractFileName(*changed) +
               " was changed by another program since it was read. Overwrite it with your version?") ==
           BoxAnswer::Yes;
}

}  // namespace velmora
