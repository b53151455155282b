// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaObject>
#include <QObject>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>

namespace velmora {

// Makes something of a big document without holding up the windows: `prepare` copies what the
// work needs on the thread that owns the document (a pass far shorter than the work) and gives
// back the work, which runs on a thread of its own; its result is handed back through the event
// loop. One build runs at a time; a build asked for meanwhile starts, from the document as it then
// stands, when the running one ends, and only the newest build's result is handed over.
template <class Result>
class OffThreadBuild : public QObject {
public:
    using Work = std::function<Result()>;
    // Throws when there is nothing to build from; the reason is then handed over as the error.
    using Prepare = std::function<Work()>;
    // What a build hands back: the result, or the reason there is none.
    using Done = std::function<void(std::unique_ptr<Result> result, const std::string& error)>;

    // `prepare` and `done` run on this object's thread.
    OffThreadBuild(Prepare prepare, Done done, QObject* parent = nullptr)
        : QObject(parent), m_prepare(std::move(prepare)), m_done(std::move(done)) {}
    // Waits for a running build, whose result is then dropped.
    ~OffThreadBuild() override {
        if (m_thread.joinable()) m_thread.join();
    }
    OffThreadBuild(const OffThreadBuild&) = delete;
    OffThreadBuild& operator=(const OffThreadBuild&) = delete;

    // A build of the document as it stands now; any earlier one's result will not be handed over.
    void Start() {
        m_wanted = m_launched + 1;
        if (!m_running) Launch();
    }
    // No build's result is handed over until the next Start.
    void Cancel() { m_wanted = NoBuild; }
    // True from Start until its result is handed over (or Cancel).
    bool Building() const { return m_wanted != NoBuild; }

private:
    void Launch() {
        if (m_thread.joinable()) m_thread.join();  // ended already: its result has come back
        const unsigned long generation = ++m_launched;
        Work work;
        try {
            work = m_prepare();
        } catch (const std::exception& error) {
            Finished(generation, nullptr, error.what());
            return;
        }
        m_running = true;
        m_thread = std::thread([this, generation, work = std::move(work)]() mutable {
            std::shared_ptr<Result> result;
            std::string error;
            try {
                result = std::make_shared<Result>(work());
            } catch (const std::exception& failure) {
                error = failure.what();
            }
            work = nullptr;  // the copies it holds go here, not on the windows' thread
            // Queued to this object: dropped by Qt if the build is gone by then.
            QMetaObject::invokeMethod(
                this, [this, generation, result, error] { Finished(generation, result, error); }, Qt::QueuedConnection);
        });
    }

    void Finished(unsigned long generation, const std::shared_ptr<Result>& result, const std::string& error) {
        m_running = false;
        if (generation != m_wanted) {
            // Outdated: the document changed, or was replaced, while this one was made.
            if (m_wanted > m_launched) Launch();
            return;
        }
        m_wanted = NoBuild;
        // The result is handed over as the receiver's own; the shared owner here is the last one.
        m_done(result ? std::make_unique<Result>(std::move(*result)) : nullptr, error);
    }

    Prepare m_prepare;
    Done m_done;
    std::thread m_thread;
    bool m_running = false;
    // Builds are numbered from 1; a finished build whose number is not the one wanted is dropped.
    static constexpr unsigned long NoBuild = 0;
    unsigned long m_wanted = NoBuild;
    unsigned long m_launched = 0;
};

}  // namespace velmora
