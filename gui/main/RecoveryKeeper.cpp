// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/RecoveryKeeper.h"

#include <QMetaObject>
#include <QSemaphore>
#include <algorithm>
#include <chrono>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>

#include "core/recovery/RecoveryFile.h"
#include "core/catalogue/Workspace.h"
#include "core/session/DocumentLayers.h"
#include "core/session/EditingSession.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/StoreRendering.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

int64_t SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The bytes of `store` at once, for a copy that must be on its way before the document changes;
// none for a file whose bytes the copy does not keep.
std::shared_ptr<StoreRendering> RenderWhole(const IniStore* store) {
    if (!store) return nullptr;
    auto rendering = std::make_shared<StoreRendering>(*store);
    rendering->Continue(std::numeric_limits<size_t>::max());
    return rendering;
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(Workspace& workspace, QObject* parent) : QObject(parent), m_workspace(workspace) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(CopyDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::StartCopy);
    m_kindTimer.setSingleShot(true);
    m_kindTimer.setInterval(CopyDelayMs);
    connect(&m_kindTimer, &QTimer::timeout, this, &RecoveryKeeper::CopySteppedKinds);
    m_slicer.setInterval(0);
    connect(&m_slicer, &QTimer::timeout, this, &RecoveryKeeper::RenderSlice);
    m_lookForCopy.setInterval(LookForCopyMs);
    connect(&m_lookForCopy, &QTimer::timeout, this, &RecoveryKeeper::LookForCopy);
    connect(this, &RecoveryKeeper::written, this, &RecoveryKeeper::Written, Qt::QueuedConnection);
    m_worker.moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("RecoveryWriter"));
    m_thread.start();
}

RecoveryKeeper::~RecoveryKeeper() {
    // The jobs already handed over are finished first: a removal asked for on close must happen.
    Drain();
    m_thread.quit();
    m_thread.wait();
}

std::string RecoveryKeeper::CurrentFile() const {
    return m_claim ? m_claim->FileName() : std::string();
}

void RecoveryKeeper::DocumentChanged() {
    DropRendering();  // it may have read what has just changed
    if (m_dir.empty()) return;
    const Document& document = m_workspace.Doc();
    if (document.HasStores() && document.Modified()) {
        if (!m_timer.isActive()) m_timer.start();
        return;
    }
    m_timer.stop();
    LetCopyGo();
}

std::shared_ptr<RecoveryClaim> RecoveryKeeper::SessionClaim() {
    if (!m_claim) {
        m_claim = RecoveryClaim::TakeNew(m_dir, m_workspace.Doc().FileName());
        ++m_serial;
        m_copyOnDisk = false;
    }
    return m_claim;
}

void RecoveryKeeper::LetCopyGo() {
    m_lookForCopy.stop();
    m_copyOnDisk = false;
    if (m_claim) Remove(std::exchange(m_claim, nullptr));
}

void RecoveryKeeper::CopyNow() {
    m_timer.stop();
    DropRendering();
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores() || !document.Modified()) return;
    try {
        WriteWhole(SessionClaim(), m_serial, std::string());
    } catch (const IniError& error) {
        Failed("The recovery copy could not be written: " + std::string(error.what()));
    }
}

void RecoveryKeeper::WriteWhole(std::shared_ptr<RecoveryClaim> claim, uint64_t serial, const std::string& kept) {
    WriteWhole(std::move(claim), serial, kept, m_workspace);
}

void RecoveryKeeper::WriteWhole(std::shared_ptr<RecoveryClaim> claim, uint64_t serial, const std::string& kept,
                                const Workspace& work) {
    SessionCopy session = CopyOf(work);
    session.Copy.Kept = kept;
    std::vector<std::shared_ptr<StoreRendering>> renderings;
    for (const IniStore* store : session.Stores) renderings.push_back(RenderWhole(store));
    WriteCopy(std::move(claim), serial, std::move(session.Copy), std::move(renderings));
}

void RecoveryKeeper::StartCopy() {
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores() || !document.Modified()) return;
    SessionCopy session = CopyOf(m_workspace);
    m_pending = std::make_unique<Recovery>(std::move(session.Copy));
    m_renderings.clear();
    for (const IniStore* store : session.Stores)
        m_renderings.push_back(store ? std::make_shared<StoreRendering>(*store) : nullptr);
    m_slicer.start();
}

void RecoveryKeeper::RenderSlice() {
    if (m_renderings.empty()) return m_slicer.stop();
    for (const std::shared_ptr<StoreRendering>& rendering : m_renderings) {
        if (!rendering || rendering->Done()) continue;
        if (!rendering->Continue(StoreRendering::LinesPerSlice)) return;
    }
    m_slicer.stop();
    const std::unique_ptr<Recovery> copy = std::move(m_pending);
    std::vector<std::shared_ptr<StoreRendering>> renderings = std::exchange(m_renderings, {});
    try {
        std::shared_ptr<RecoveryClaim> claim = SessionClaim();
        WriteCopy(std::move(claim), m_serial, std::move(*copy), std::move(renderings));
    } catch (const IniError& error) {
        Failed("The recovery copy could not be written: " + std::string(error.what()));
    }
}

void RecoveryKeeper::DropRendering() {
    m_slicer.stop();
    m_pending.reset();
    m_renderings.clear();
}

void RecoveryKeeper::Discard() {
    m_timer.stop();
    DropRendering();
    LetCopyGo();
}

void RecoveryKeeper::ParkCopy(const std::string& kind) {
    CopyNow();
    m_lookForCopy.stop();
    m_copyOnDisk = false;
    if (m_claim) m_parked.emplace_back(kind, std::exchange(m_claim, nullptr));
}

void RecoveryKeeper::ResumeCopy(const std::string& kind) {
    const auto parked = std::find_if(m_parked.begin(), m_parked.end(), [&kind](const auto& line) { return line.first == kind; });
    if (parked == m_parked.end()) return;
    if (m_claim) Remove(std::exchange(m_claim, nullptr));
    m_claim = std::move(parked->second);
    m_parked.erase(parked);
    ++m_serial;
}

void RecoveryKeeper::DropParked(const std::function<bool(const std::string&)>& saved) {
    for (auto line = m_parked.begin(); line != m_parked.end();) {
        if (saved && !saved(line->first)) {
            ++line;
            continue;
        }
        Remove(std::move(line->second));
        line = m_parked.erase(line);
    }
}

void RecoveryKeeper::KindStepped(const std::string& kind) {
    if (m_dir.empty() || !m_session) return;
    if (std::find(m_steppedKinds.begin(), m_steppedKinds.end(), kind) == m_steppedKinds.end())
        m_steppedKinds.push_back(kind);
    if (!m_kindTimer.isActive()) m_kindTimer.start();
}

void RecoveryKeeper::CopySteppedKinds() {
    for (const std::string& kind : std::exchange(m_steppedKinds, {})) {
        const Workspace* work = m_session ? m_session->KindWork(kind) : nullptr;
        // Shown by now, its copy is the session's own; or the mod went.
        if (!work || work == &m_workspace || !work->Doc().HasStores()) continue;
        const auto ofKind = [&kind](const auto& line) { return line.first == kind; };
        auto parked = std::find_if(m_parked.begin(), m_parked.end(), ofKind);
        if (!work->Doc().Modified()) {
            if (parked != m_parked.end()) {
                Remove(std::move(parked->second));
                m_parked.erase(parked);
            }
            continue;
        }
        try {
            if (parked == m_parked.end()) {
                m_parked.emplace_back(kind, RecoveryClaim::TakeNew(m_dir, work->Doc().FileName()));
                parked = std::prev(m_parked.end());
            }
            WriteWhole(parked->second, 0, std::string(), *work);
        } catch (const IniError& error) {
            Failed("The recovery copy could not be written: " + std::string(error.what()));
        }
    }
}

SessionCopy RecoveryKeeper::CopyOf(const Workspace& work) const {
    SessionCopy session = SessionToRecover(work, SecondsNow());
    if (m_layers && &work == &m_workspace) m_layers->AddToCopy(session);
    if (m_session) session.Copy.ModFolder = m_session->ModFolder();
    return session;
}

void RecoveryKeeper::KeepAside() {
    KeepCopyOf(m_workspace);
    Discard();
}

void RecoveryKeeper::KeepAside(const Workspace& kind) {
    KeepCopyOf(kind);
    const auto parked = std::find_if(m_parked.begin(), m_parked.end(),
                                     [&kind](const auto& line) { return line.first == kind.FileToEdit(); });
    if (parked == m_parked.end()) return;
    Remove(std::move(parked->second));
    m_parked.erase(parked);
}

void RecoveryKeeper::KeepCopyOf(const Workspace& work) {
    const Document& document = work.Doc();
    if (m_dir.empty() || !document.HasStores()) return;
    try {
        const int64_t now = SecondsNow();
        std::shared_ptr<RecoveryClaim> claim = RecoveryClaim::TakeNew(m_dir, document.FileName(), now);
        WriteWhole(claim, 0, std::string(Recovery::KeptOnReload), work);
        m_keptAside.push_back(std::move(claim));
    } catch (const IniError& error) {
        Failed("The recovery copy could not be written: " + std::string(error.what()));
    }
}

void RecoveryKeeper::Adopt(std::shared_ptr<RecoveryClaim> claim) {
    if (m_claim != claim) LetCopyGo();
    m_claim = std::move(claim);
    ++m_serial;
    m_copyOnDisk = true;
    CopyNow();
}

void RecoveryKeeper::AdoptParked(const std::string& kind, std::shared_ptr<RecoveryClaim> claim) {
    m_parked.emplace_back(kind, std::move(claim));
    KindStepped(kind);
}

void RecoveryKeeper::Remove(std::shared_ptr<RecoveryClaim> claim) {
    Run([this, claim = std::move(claim)] {
        try {
            claim->Remove();
        } catch (const std::exception& error) {
            Failed(error.what());
        }
    });
}

void RecoveryKeeper::WriteCopy(std::shared_ptr<RecoveryClaim> claim, uint64_t serial, Recovery copy,
                               std::vector<std::shared_ptr<StoreRendering>> renderings) {
    Run([this, claim = std::move(claim), serial, copy = std::move(copy),
         renderings = std::move(renderings)]() mutable {
        try {
            for (size_t i = 0; i < renderings.size(); ++i)
                if (renderings[i]) copy.Files[i].Bytes = renderings[i]->Take();
            claim->Write(copy);
            m_failing = false;
            emit written(serial);
        } catch (const std::exception& error) {
            Failed("The recovery copy could not be written: " + std::string(error.what()));
        }
    });
}

void RecoveryKeeper::Written(quint64 serial) {
    if (!m_claim || serial != m_serial) return;  // a copy since let go
    m_copyOnDisk = true;
    if (!m_lookForCopy.isActive()) m_lookForCopy.start();
}

void RecoveryKeeper::LookForCopy() {
    if (!m_claim) return m_lookForCopy.stop();
    // Deleted from outside (by hand, or by an older copy of the program that took it for a
    // session that ended): the work would be lost to a crash, so it is written again.
    if (m_copyOnDisk && !Rendering() && !platform::IsRegularFile(m_claim->FileName())) {
        m_copyOnDisk = false;
        StartCopy();
    }
}

void RecoveryKeeper::Failed(const std::string& text) {
    emit failed(ToQString(text), m_failing.exchange(true));
}

void RecoveryKeeper::Run(std::function<void()> job) {
    QMetaObject::invokeMethod(&m_worker, std::move(job), Qt::QueuedConnection);
}

void RecoveryKeeper::Drain() {
    QSemaphore done;
    Run([&done] { done.release(); });
    done.acquire();
}

}  // namespace velmora
