// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/TimingTrace.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QKeyEvent>
#include <cstdlib>

namespace velmora {

namespace {

// Shorter stretches of work are the loop's own bookkeeping, not an answer to the user.
constexpr std::chrono::microseconds ShortestWork(500);

double Milliseconds(std::chrono::system_clock::time_point time) {
    return std::chrono::duration<double, std::milli>(time.time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<TimingTrace> TimingTrace::FromEnvironment() {
    const char* name = std::getenv("VELMORA_TRACE_FILE");
    if (name == nullptr || *name == '\0' || QCoreApplication::instance() == nullptr) return nullptr;
    std::FILE* file = std::fopen(name, "w");
    if (file == nullptr) return nullptr;  // a measuring aid: the program runs on without it
    return std::unique_ptr<TimingTrace>(new TimingTrace(file));
}

TimingTrace::TimingTrace(std::FILE* file) : m_file(file), m_awakeSince(std::chrono::system_clock::now()) {
    QCoreApplication::instance()->installEventFilter(this);
    // The loop's own "awake" comes at every look at its sources on some platforms; a stretch of
    // work is timed from the first event after the loop last waited.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TimingTrace::AboutToBlock);
}

TimingTrace::~TimingTrace() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

bool TimingTrace::eventFilter(QObject* watched, QEvent* event) {
    if (m_waiting) {
        m_waiting = false;
        m_awakeSince = std::chrono::system_clock::now();
        // A script can tell a long stretch of work under way from an idle program.
        std::fprintf(m_file.get(), "wake %.3f\n", Milliseconds(m_awakeSince));
        std::fflush(m_file.get());
    }
    if (event->type() == QEvent::Paint) {
        m_painted = true;
    } else if (event->type() == QEvent::KeyPress) {
        // A key press travels up the widgets it is offered to; it is logged once.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->timestamp() != m_lastKey || key->timestamp() == 0) {
            m_lastKey = key->timestamp();
            std::fprintf(m_file.get(), "key %.3f %d\n", Milliseconds(std::chrono::system_clock::now()), key->key());
            std::fflush(m_file.get());
        }
    }
    return QObject::eventFilter(watched, event);
}

void TimingTrace::AboutToBlock() {
    const auto now = std::chrono::system_clock::now();
    if (!m_waiting && now - m_awakeSince >= ShortestWork)
        std::fprintf(m_file.get(), "work %.3f %.3f\n", Milliseconds(m_awakeSince), Milliseconds(now));
    if (m_painted) std::fprintf(m_file.get(), "painted %.3f\n", Milliseconds(now));
    std::fprintf(m_file.get(), "idle %.3f\n", Milliseconds(now));
    m_painted = false;
    m_waiting = true;
    std::fflush(m_file.get());
}

}  // namespace velmora
