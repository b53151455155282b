// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/RecoveryKeeper.h"

#include <QMetaObject>
#include <QSemaphore>
#include <chrono>
#include <exception>
#include <memory>

#include "core/catalogue/RecoveryFile.h"
#include "core/catalogue/Workspace.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

int64_t SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(Workspace& workspace, QObject* parent) : QObject(parent), m_workspace(workspace) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(CopyDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::CopyNow);
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
    if (m_dir.empty() || !m_workspace.Doc().HasDocument()) return {};
    return RecoveryFileName(m_dir, m_workspace.Doc().FileName());
}

void RecoveryKeeper::DocumentChanged() {
    if (m_dir.empty()) return;
    const Document& document = m_workspace.Doc();
    if (document.HasStores() && document.Modified()) {
        if (!m_timer.isActive()) m_timer.start();
        return;
    }
    m_timer.stop();
    if (!m_written.empty()) Remove(std::exchange(m_written, {}));
}

void RecoveryKeeper::CopyNow() {
    m_timer.stop();
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores() || !document.Modified()) return;
    const std::string file = CurrentFile();
    // Saved under another name since the last copy: the old copy names a document no longer open.
    if (!m_written.empty() && m_written != file) Remove(m_written);
    WriteCopy(file);
    m_written = file;
}

void RecoveryKeeper::Discard() {
    m_timer.stop();
    if (!m_written.empty()) Remove(std::exchange(m_written, {}));
}

void RecoveryKeeper::KeepAside() {
    const Document& document = m_workspace.Doc();
    if (m_dir.empty() || !document.HasStores()) return;
    WriteCopy(KeptRecoveryFileName(m_dir, document.Store().FileName(), SecondsNow()));
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

void RecoveryKeeper::WriteCopy(const std::string& fileName) {
    // The bytes as a save would write them, taken here: the stores are this thread's.
    auto bytes = std::make_shared<const std::string>(m_workspace.Doc().Store().RenderText());
    const RecoveryRecord record{m_workspace.Doc().FileName(), m_workspace.DocumentStamp, SecondsNow()};
    Run([this, fileName, record, bytes] {
        try {
            WriteRecoveryFile(fileName, record, *bytes);
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
