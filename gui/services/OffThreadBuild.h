// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "core/document/Document.h"
#include "core/store/PlatformFile.h"
#include "gui/services/BuildTurns.h"

namespace velmora {

// Makes something of a big document without holding up the windows. What the work needs (a
// Source) is copied on the thread that owns the document, a slice at a time between the window's
// events, so that no slice costs a frame; the work then runs on the copy on a thread of its own,
// and its result is handed back through the event loop. A change of the document between slices
// starts the copy again. One build runs at a time; a build asked for meanwhile starts, from the
// document as it then stands, when the running one ends, and only the newest build's result is
// handed over. The builds of all windows take turns (BuildTurns): a build waits for its turn
// before it copies anything, so that no two copies of a big document, and no two results in the
// making, are held at once.
//
// A Source has `bool Continue(size_t lines)`, which copies at least `lines` more lines and is true
// once all is copied.
template <class Result, class Source>
class OffThreadBuild : public BuildTurns::Waiter {
public:
    // Starts a copy of what the work needs. Throws when there is nothing to build from; the reason
    // is then handed over as the error.
    using Prepare = std::function<std::shared_ptr<Source>()>;
    // The work on a whole copy, on a thread of its own, which has the copy to itself.
    using Make = std::function<Result(Source&)>;
    // What a build hands back: the result, or the reason there is none.
    using Done = std::function<void(std::unique_ptr<Result> result, const std::string& error)>;

    // A slice of the copy between two events: well within a frame.
    static constexpr qint64 SliceMs = 5;
    static constexpr size_t LinesPerStep = 5000;

    // `prepare` and `done` run on this object's thread; `document` outlives the build.
    OffThreadBuild(const Document& document, Prepare prepare, Make make, Done done, QObject* parent = nullptr)
        : BuildTurns::Waiter(parent),
          m_document(document),
          m_prepare(std::move(prepare)),
          m_make(std::move(make)),
          m_done(std::move(done)) {
        m_slicer.setInterval(0);
        connect(&m_slicer, &QTimer::timeout, this, &OffThreadBuild::CopySlice);
    }
    // Waits for a running build, whose result is then dropped.
    ~OffThreadBuild() override {
        if (m_thread.joinable()) m_thread.join();
        BuildTurns::Leave(this);
    }
    OffThreadBuild(const OffThreadBuild&) = delete;
    OffThreadBuild& operator=(const OffThreadBuild&) = delete;

    // A build of the document as it stands now; any earlier one's result will not be handed over.
    void Start() {
        m_wanted = m_launched + 1;
        if (!m_running) Launch();
    }
    // No build's result is handed over until the next Start, and a copy under way is dropped.
    void Cancel() {
        m_wanted = NoBuild;
        DropCopy();
        if (!m_running) BuildTurns::Leave(this);
    }
    // True from Start until its result is handed over (or Cancel).
    bool Building() const { return m_wanted != NoBuild; }

    void TurnCame() override {
        // Running, or copying: it took the turn itself meanwhile, and gives it back when it ends.
        if (m_running || m_copy) return;
        if (m_wanted > m_launched)
            Launch();
        else
            BuildTurns::Release(this);
    }

private:
    // `afterThoseWaiting`: a build that ended outdated lets the builds waiting go first.
    void Launch(bool afterThoseWaiting = false) {
        DropCopy();
        if (!BuildTurns::Take(this, afterThoseWaiting)) return;  // launched when its turn comes
        if (m_thread.joinable()) m_thread.join();  // ended already: its result has come back
        const unsigned long generation = ++m_launched;
        try {
            m_copy = m_prepare();
        } catch (const std::exception& error) {
            Finished(generation, nullptr, error.what());
            return;
        }
        m_copyOf = m_document.ChangeCount();
        // A small document is copied at once; a big one goes on between events.
        CopySlice();
        if (m_copy) m_slicer.start();
    }

    void CopySlice() {
        if (!m_copy) return m_slicer.stop();
        if (m_document.ChangeCount() != m_copyOf) {
            // Part of the copy may be of the document before the change: a build of the document as
            // it now stands.
            Start();
            return;
        }
        bool whole = false;
        try {
            // Steps of a fraction of a millisecond, until a slice's time is up.
            QElapsedTimer slice;
            slice.start();
            do {
                whole = m_copy->Continue(LinesPerStep);
            } while (!whole && slice.elapsed() < SliceMs);
        } catch (const std::exception& error) {
            DropCopy();
            Finished(m_launched, nullptr, error.what());
            return;
        }
        if (!whole) return;
        m_slicer.stop();
        Run(std::exchange(m_copy, nullptr));
    }

    void DropCopy() {
        m_slicer.stop();
        m_copy.reset();
    }

    void Run(std::shared_ptr<Source> copy) {
        const unsigned long generation = m_launched;
        m_running = true;
        m_thread = std::thread([this, generation, copy = std::move(copy), make = m_make]() mutable {
            std::shared_ptr<Result> result;
            std::string error;
            try {
                result = std::make_shared<Result>(make(*copy));
            } catch (const std::exception& failure) {
                error = failure.what();
            }
            copy.reset();  // the copy goes here, not on the windows' thread
            // What the build made and dropped along the way lies free amid the allocator's
            // memory; given back, the program holds what the document and its results need.
            platform::GiveBackFreeMemory();
            // Queued to this object: dropped by Qt if the build is gone by then.
            QMetaObject::invokeMethod(
                this, [this, generation, result, error] { Finished(generation, result, error); }, Qt::QueuedConnection);
        });
    }

    void Finished(unsigned long generation, const std::shared_ptr<Result>& result, const std::string& error) {
        m_running = false;
        // A build waiting goes first; an outdated one then waits in line for another turn.
        BuildTurns::Release(this);
        if (generation != m_wanted) {
            // Outdated: the document changed, or was replaced, while this one was made.
            if (m_wanted > m_launched) Launch(true);
            return;
        }
        m_wanted = NoBuild;
        // The result is handed over as the receiver's own; the shared owner here is the last one.
        m_done(result ? std::make_unique<Result>(std::move(*result)) : nullptr, error);
    }

    const Document& m_document;
    Prepare m_prepare;
    Make m_make;
    Done m_done;
    // The copy under way, and the document's change count when it started.
    std::shared_ptr<Source> m_copy;
    uint64_t m_copyOf = 0;
    QTimer m_slicer;
    std::thread m_thread;
    bool m_running = false;
    // Builds are numbered from 1; a finished build whose number is not the one wanted is dropped.
    static constexpr unsigned long NoBuild = 0;
    unsigned long m_wanted = NoBuild;
    unsigned long m_launched = 0;
};

}  // namespace velmora
