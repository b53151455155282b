// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/session/EditingSession.h"

#include <utility>

#include "core/session/DocumentLayers.h"
#include "core/session/LiveModCheck.h"
#include "core/values/LiveValueCheck.h"
#include "core/session/ModSession.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "core/store/TextCase.h"

namespace velmora {

// Tells the session's history of each step a kind's document takes, undoes or does again. A
// document says only that its history moved; the step is told apart by the position and by the
// edit that was next to redo.
class EditingSession::StepWatch : public DocumentObserver {
public:
    StepWatch(EditingSession& session, Workspace& work) : m_session(session), m_work(work) {
        m_work.Doc().AddObserver(*this);
        Snap();
    }
    ~StepWatch() override { m_work.Doc().RemoveObserver(*this); }
    StepWatch(const StepWatch&) = delete;
    StepWatch& operator=(const StepWatch&) = delete;

private:
    void Restarted() override {
        if (!m_session.m_exchanging) m_session.m_steps.Forget(m_work.FileToEdit());
        Snap();
    }
    void HistoryChanged() override {
        const EditHistory& history = m_work.Doc().History();
        if (!m_session.m_exchanging) {
            const std::string& kind = m_work.FileToEdit();
            if (history.Index() == m_index + 1)
                history.NextUndo() == m_nextRedo ? m_session.m_steps.Redid(kind) : m_session.m_steps.Took(kind);
            else if (history.Index() + 1 == m_index)
                m_session.m_steps.Undid(kind);
        }
        Snap();
    }
    void Snap() {
        m_index = m_work.Doc().History().Index();
        m_nextRedo = m_work.Doc().History().NextRedo();
    }

    EditingSession& m_session;
    Workspace& m_work;
    size_t m_index = 0;
    const Edit* m_nextRedo = nullptr;
};

EditingSession::EditingSession(Globals& globals, Boxes& boxes, WorkspaceView* view)
    : m_boxes(boxes), m_workspace(globals, boxes, view), m_current(m_workspace) {
    m_watches.push_back(std::make_unique<StepWatch>(*this, m_workspace));
}

EditingSession::~EditingSession() {
    m_modCheck.reset();
    m_watches.clear();
}

void EditingSession::OpenMod(const std::string& modFolder) {
    auto mod = std::make_unique<ModSession>(m_boxes, true);
    mod->OpenMod(m_workspace.G().ProgramDir, modFolder);
    TakeMod(std::move(mod));
}

void EditingSession::TakeMod(std::unique_ptr<ModSession> mod) {
    if (mod->Count() == 0) throw IniError("No file type in [FilesToEdit] of " + Escaped(m_workspace.G().ProgramDir));
    CloseMod();
    // The question about unsaved changes covered the layers too.
    m_current.Layers().RefuseLayers("Layers go over a document opened alone, not over a mod's files: open the "
                                    "document with File, Open to add layers to it.");
    m_mod = std::move(mod);
    for (size_t i = 0; i < m_mod->Count(); ++i) {
        m_kindNames.push_back(m_mod->At(i).Work->FileToEdit());
        m_watches.push_back(std::make_unique<StepWatch>(*this, *m_mod->At(i).Work));
    }
    // What the session's workspace held goes into the first kind's place, which it leaves.
    m_shown = 0;
    Exchange(0);
    m_steps.Clear();
    CheckKindsAgain();
}

void EditingSession::ReadKindAgain(const std::string& fileType) {
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) throw IniError("No file type " + Escaped(fileType) + " is open");
    if (*index == m_shown) throw IniError(Escaped(fileType) + " is shown: it is read again in its window.");
    Workspace& kind = *m_mod->At(*index).Work;
    // A copy of the name: the store that holds it goes during the load.
    kind.BeginCopyDefaultOrLoadINItoCurrentBuffer(std::string(kind.Doc().FileName()), false);
    // Its entries no category lists are collected again, as when the mod was opened.
    kind.SelectUnknown();
}

void EditingSession::CloseMod() {
    m_modCheck.reset();
    if (m_mod) m_current.Values().SeeKinds({});
    m_current.Layers().RefuseLayers({});
    m_watches.resize(1);
    m_mod.reset();
    m_kindNames.clear();
    m_shown = 0;
    m_steps.Clear();
}

void EditingSession::Exchange(size_t index) {
    m_exchanging = true;
    try {
        m_workspace.ExchangeKind(*m_mod->At(index).Work);
    } catch (...) {
        m_exchanging = false;
        throw;
    }
    m_exchanging = false;
}

std::optional<size_t> EditingSession::IndexOf(const std::string& fileType) const {
    for (size_t i = 0; i < m_kindNames.size(); ++i)
        if (EqualsNoCase(m_kindNames[i], fileType)) return i;
    return std::nullopt;
}

void EditingSession::ShowKind(const std::string& fileType) {
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) throw IniError("No file type " + Escaped(fileType) + " is open");
    if (*index == m_shown) return;
    // The kind shown goes back to its place, then the kind asked for leaves its own; what the
    // second exchange tells the observers finds the kinds where they now are.
    Exchange(m_shown);
    m_shown = *index;
    Exchange(*index);
    CheckKindsAgain();
}

void EditingSession::CheckKindsAgain() {
    m_modCheck.reset();
    std::vector<LiveModCheck::Kind> kinds;
    const std::vector<const Workspace*> works = std::as_const(*this).Kinds();
    for (size_t i = 0; i < m_mod->Count(); ++i) {
        OpenDocument& models = i == m_shown ? m_current : *m_mod->At(i).Models;
        // Each kind's value check reads the others where they now are: a key of another kind's
        // sources is judged against that kind's names.
        models.Values().SeeKinds(works);
        kinds.push_back({i == m_shown ? &m_workspace : m_mod->At(i).Work.get(), &models.Values()});
    }
    m_modCheck = std::make_unique<LiveModCheck>(std::move(kinds));
}

bool EditingSession::ReadOnly(const std::string& fileType) const {
    const std::optional<size_t> index = IndexOf(fileType);
    return m_mod && index && m_mod->At(*index).ReadOnly();
}

std::string EditingSession::OriginText(const std::string& fileType) const {
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) return std::string();
    return ModSession::OriginText(m_mod->At(*index).From);
}

std::vector<Workspace*> EditingSession::Kinds() {
    if (!m_mod) return {&m_workspace};
    std::vector<Workspace*> kinds;
    for (size_t i = 0; i < m_mod->Count(); ++i) kinds.push_back(i == m_shown ? &m_workspace : m_mod->At(i).Work.get());
    return kinds;
}

std::vector<const Workspace*> EditingSession::Kinds() const {
    if (!m_mod) return {&m_workspace};
    std::vector<const Workspace*> kinds;
    for (size_t i = 0; i < m_mod->Count(); ++i) kinds.push_back(i == m_shown ? &m_workspace : m_mod->At(i).Work.get());
    return kinds;
}

Workspace* EditingSession::KindWork(const std::string& fileType) {
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) return nullptr;
    return *index == m_shown ? &m_workspace : m_mod->At(*index).Work.get();
}

OpenDocument* EditingSession::KindModels(const std::string& fileType) {
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) return nullptr;
    return *index == m_shown ? &m_current : m_mod->At(*index).Models.get();
}

std::vector<Workspace*> EditingSession::WritableKinds() {
    if (!m_mod) return {&m_workspace};
    std::vector<Workspace*> kinds;
    for (size_t i = 0; i < m_mod->Count(); ++i)
        if (!m_mod->At(i).ReadOnly()) kinds.push_back(i == m_shown ? &m_workspace : m_mod->At(i).Work.get());
    return kinds;
}

}  // namespace velmora
