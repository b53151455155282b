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

namespace {

// The kind of [FilesToEdit] name `fileType` of those read beside a file; null when none.
ModSession::Kind* FindBeside(ModSession* beside, const std::string& fileType) {
    return beside ? beside->Find(fileType) : nullptr;
}

}  // namespace

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
            if (m_session.m_kindStepped) m_session.m_kindStepped(kind);
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
    m_modFolder = modFolder;
}

void EditingSession::TakeMod(std::unique_ptr<ModSession> mod) {
    if (mod->Count() == 0) throw IniError("No file type in [FilesToEdit] of " + Escaped(m_workspace.G().ProgramDir));
    CloseMod();
    // The layers over the document open so far go with it; the question about unsaved changes
    // covered them too.
    m_current.Layers().RemoveAll();
    m_mod = std::move(mod);
    for (size_t i = 0; i < m_mod->Count(); ++i) {
        m_kindNames.push_back(m_mod->At(i).Work->FileToEdit());
        m_watches.push_back(std::make_unique<StepWatch>(*this, *m_mod->At(i).Work));
    }
    // What the session's workspace held goes into the first kind's place, which it leaves.
    m_shown = 0;
    Exchange(0);
    m_steps.Clear();
    AllowLayersOverShown();
    CheckKindsAgain();
}

// The game reads a mode or a map over the rules, the first kind: only while it is shown may the
// layer commands add to its stack.
void EditingSession::AllowLayersOverShown() {
    const std::string& rules = m_kindNames.front();
    m_current.Layers().RefuseLayers(m_shown == 0 ? std::string()
                                                 : "A game mode or a map goes over " + rules + ": show " + rules +
                                                       " (the > menu) to add a layer over it.");
}

Workspace& EditingSession::HiddenKind(const std::string& fileType) {
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) throw IniError("No file type " + Escaped(fileType) + " is open");
    if (*index == m_shown) throw IniError(Escaped(fileType) + " is shown: it is read again in its window.");
    return *m_mod->At(*index).Work;
}

void EditingSession::ReadKindDefinitionAgain(const std::string& fileType) {
    Workspace& kind = HiddenKind(fileType);
    kind.LoadDefinitionKeepingDocument();
    kind.SelectUnknown();
}

void EditingSession::ReadKindAgain(const std::string& fileType) {
    Workspace& kind = HiddenKind(fileType);
    // A copy of the name: the store that holds it goes during the load.
    kind.BeginCopyDefaultOrLoadINItoCurrentBuffer(std::string(kind.Doc().FileName()), false);
    // Its entries no category lists are collected again, as when the mod was opened.
    kind.SelectUnknown();
}

std::string EditingSession::ReadKindsBeside() {
    DropKindsBeside();
    if (m_mod) return std::string();
    auto beside = std::make_unique<ModSession>(m_quietBoxes, false);
    const std::string& shown = m_workspace.FileToEdit();
    try {
        beside->OpenBeside(m_workspace.G().ProgramDir, shown);
    } catch (const std::exception& error) {
        return "No other kind of file is read beside " + shown + ": " + error.what();
    }
    std::string read;
    for (size_t i = 0; i < beside->Count(); ++i) {
        const ModSession::Kind& kind = beside->At(i);
        read +=
            (read.empty() ? "" : ", ") + kind.Work->FileToEdit() + " " +
            (kind.From == ModSession::Origin::GameCopy ? "from the game's copy" : "from the default copy");
    }
    std::string unread;
    for (const std::string& kind : beside->Unread()) unread += (unread.empty() ? "" : ", ") + kind;
    std::string text = read.empty() ? std::string() : "Read beside, read-only: " + read + ".";
    if (!unread.empty())
        text += (text.empty() ? "" : " ") + std::string("Cannot read ") + unread +
                ": the names it holds are not checked.";
    if (beside->Count() > 0) {
        m_beside = std::move(beside);
        m_current.Values().SeeKinds(std::as_const(*this).Kinds());
    }
    return text;
}

void EditingSession::DropKindsBeside() {
    if (!m_beside) return;
    m_current.Values().SeeKinds({});
    m_beside.reset();
}

void EditingSession::CloseMod() {
    DropKindsBeside();
    m_modCheck.reset();
    if (m_mod) m_current.Values().SeeKinds({});
    m_current.Layers().RefuseLayers({});
    m_watches.resize(1);
    m_mod.reset();
    m_kindNames.clear();
    m_modFolder.clear();
    m_shown = 0;
    m_steps.Clear();
}

void EditingSession::Exchange(size_t index) {
    m_exchanging = true;
    // The layers change places first, so that the views the exchange tells find them over their
    // document.
    DocumentLayers& layers = m_mod->At(index).Models->Layers();
    m_current.Layers().Exchange(layers);
    try {
        m_workspace.ExchangeKind(*m_mod->At(index).Work);
    } catch (...) {
        m_current.Layers().Exchange(layers);
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
    AllowLayersOverShown();
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
        kinds.push_back(
            {i == m_shown ? &m_workspace : m_mod->At(i).Work.get(), &models.Values(), &models.Layers().Stack()});
    }
    m_modCheck = std::make_unique<LiveModCheck>(std::move(kinds));
}

bool EditingSession::ReadOnly(const std::string& fileType) const {
    if (m_beside) return FindBeside(m_beside.get(), fileType) != nullptr;
    const std::optional<size_t> index = IndexOf(fileType);
    return m_mod && index && m_mod->At(*index).ReadOnly();
}

std::string EditingSession::OriginText(const std::string& fileType) const {
    if (const ModSession::Kind* kind = FindBeside(m_beside.get(), fileType))
        return ModSession::OriginText(kind->From);
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) return std::string();
    return ModSession::OriginText(m_mod->At(*index).From);
}

std::vector<Workspace*> EditingSession::Kinds() {
    if (m_beside) {
        std::vector<Workspace*> kinds;
        const StringList& files = m_workspace.FilesToEdit();
        for (size_t i = 0; i < files.Count(); ++i) {
            if (EqualsNoCase(files.Name(i), m_workspace.FileToEdit()))
                kinds.push_back(&m_workspace);
            else if (ModSession::Kind* kind = FindBeside(m_beside.get(), files.Name(i)))
                kinds.push_back(kind->Work.get());
        }
        return kinds;
    }
    if (!m_mod) return {&m_workspace};
    std::vector<Workspace*> kinds;
    for (size_t i = 0; i < m_mod->Count(); ++i) kinds.push_back(i == m_shown ? &m_workspace : m_mod->At(i).Work.get());
    return kinds;
}

std::vector<const Workspace*> EditingSession::Kinds() const {
    if (m_beside) {
        const std::vector<Workspace*> kinds = const_cast<EditingSession&>(*this).Kinds();
        return {kinds.begin(), kinds.end()};
    }
    if (!m_mod) return {&m_workspace};
    std::vector<const Workspace*> kinds;
    for (size_t i = 0; i < m_mod->Count(); ++i) kinds.push_back(i == m_shown ? &m_workspace : m_mod->At(i).Work.get());
    return kinds;
}

template <class Part, class Pick>
Part* EditingSession::KindPart(const std::string& fileType, Part* shown, const Pick& pick) {
    if (m_beside) {
        if (EqualsNoCase(fileType, m_workspace.FileToEdit())) return shown;
        ModSession::Kind* kind = FindBeside(m_beside.get(), fileType);
        return kind ? pick(*kind) : nullptr;
    }
    const std::optional<size_t> index = IndexOf(fileType);
    if (!m_mod || !index) return nullptr;
    return *index == m_shown ? shown : pick(m_mod->At(*index));
}

Workspace* EditingSession::KindWork(const std::string& fileType) {
    return KindPart(fileType, &m_workspace, [](ModSession::Kind& kind) { return kind.Work.get(); });
}

OpenDocument* EditingSession::KindModels(const std::string& fileType) {
    return KindPart(fileType, &m_current, [](ModSession::Kind& kind) { return kind.Models.get(); });
}

const OpenDocument* EditingSession::KindModels(const std::string& fileType) const {
    return const_cast<EditingSession&>(*this).KindModels(fileType);
}

std::vector<Workspace*> EditingSession::WritableKinds() {
    if (!m_mod) return {&m_workspace};
    std::vector<Workspace*> kinds;
    for (size_t i = 0; i < m_mod->Count(); ++i)
        if (!m_mod->At(i).ReadOnly()) kinds.push_back(i == m_shown ? &m_workspace : m_mod->At(i).Work.get());
    return kinds;
}

}  // namespace velmora
