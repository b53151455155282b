// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/RecoveryKeeper.h"

#include <QMetaObject>
#include <QSemaphore>
#include <chrono>
#include <exception>
#include <limits>
#include <memory>

#include "core/catalogue/RecoveryFile.h"
#include "core/catalogue/Workspace.h"
#include "core/store/StoreRendering.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

int64_t SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The bytes of `store` at once, for a copy that must be on its way before the document changes.
std::shared_ptr<StoreRendering> RenderWhole(const TMemIniFile& store) {
    auto rendering = std::make_shared<StoreRendering>(store);
    rendering->Continue(std::numeric_limits<size_t>::max());
    return rendering;
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(Workspace& workspace, QObject* parent) : QObject(parent), m_workspace(workspace) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(CopyDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::StartCopy);
    m_slicer.setInterval(0);
    connect(&m_slicer, &QTimer::timeout, this, &RecoveryKeeper::RenderSlice);
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
    if (m_dir.empty() || !m_workspace.DocumentIni) return {};
    return RecoveryFileName(m_dir, m_workspace.DocumentIni->FileName());
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
    if (!m_written.empty()) Remove(std::exchange(m_written, {}));
}

std::string RecoveryKeeper::NextCopyFile() {
    const std::string file = CurrentFile();
    // Saved under another name since the last copy: the old copy names a document no longer open.
    if (!m_written.empty() && m_written != file) Remove(m_written);
    m_written = file;
    return file;
}

void RecoveryKeeper::CopyNow() {
    m_timer.stop();
    DropRendering();
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores() || !document.Modified()) return;
    WriteCopy(NextCopyFile(), RenderWhole(document.Store()));
}

void RecoveryKeeper::StartCopy() {
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores() || !document.Modified()) return;
    m_rendering = std::make_shared<StoreRendering>(document.Store());
    m_slicer.start();
}

void RecoveryKeeper::RenderSlice() {
    if (!m_rendering) return m_slicer.stop();
    if (!m_rendering->Continue(StoreRendering::LinesPerSlice)) return;
    m_slicer.stop();
    WriteCopy(NextCopyFile(), std::exchange(m_rendering, nullptr));
}

void RecoveryKeeper::DropRendering() {
    m_slicer.stop();
    m_rendering.reset();
}

void RecoveryKeeper::Discard() {
    m_timer.stop();
    DropRendering();
    if (!m_written.empty()) Remove(std::exchange(m_written, {}));
}

void RecoveryKeeper::KeepAside() {
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores()) return;
    WriteCopy(KeptRecoveryFileName(m_dir, document.Store().FileName(), SecondsNow()), RenderWhole(document.Store()));
    Discard();
}

void RecoveryKeeper::Remove(const std::string& fileName) {
    Run([this, fileName] {
        try {
            RemoveRecoveryFile(fileName);
        } catch (const std::exception& error) {
            Failed(error.what());
        }
    });
}

void RecoveryKeeper::WriteCopy(const std::string& fileName, std::shared_ptr<StoreRendering> rendering) {
    const RecoveryRecord record{m_workspace.DocumentIni->FileName(), m_workspace.DocumentStamp, SecondsNow()};
    Run([this, fileName, record, rendering = std::move(rendering)] {
        try {
            WriteRecoveryFile(fileName, record, rendering->Take());
            m_failing = false;
        } catch (const std::exception& error) {
            Failed("The recovery copy could not be written: " + std::string(error.what()));
        }
    });
}

void RecoveryKeeper::Failed(const std::string& text) {
    if (!m_failing.exchange(true)) emit failed(ToQString(text));
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
