// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace velmora {

class FindIndex;
class Workspace;

// Makes the find index of a big document without holding up the windows: the texts the index
// needs are copied here, on the thread that owns the document (a pass far shorter than a frame),
// and the index is made from the copy on a thread of its own, then handed back through the event
// loop. One build runs at a time; a build asked for meanwhile starts, from the document as it then
// stands, when the running one ends, and only the newest build's index is handed over.
class FindIndexBuilder : public QObject {
    Q_OBJECT

public:
    // What a build hands back: the index, or the reason there is none.
    using Done = std::function<void(std::unique_ptr<FindIndex> index, const std::string& error)>;

    // `workspace` outlives the builder; `done` runs on this object's thread.
    FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent = nullptr);
    // Waits for a running build, whose index is then dropped.
    ~FindIndexBuilder() override;
    FindIndexBuilder(const FindIndexBuilder&) = delete;
    FindIndexBuilder& operator=(const FindIndexBuilder&) = delete;

    // A build of the document as it stands now; any earlier one's index will not be handed over.
    void Start();
    // No build's index is handed over until the next Start.
    void Cancel();
    // True from Start until its index is handed over (or Cancel).
    bool Building() const { return m_wanted != NoBuild; }

private:
    void Launch();
    void Finished(unsigned long generation, const std::shared_ptr<FindIndex>& index, const std::string& error);

    const Workspace& m_workspace;
    Done m_done;
    std::thread m_thread;
    bool m_running = false;
    // Builds are numbered from 1; a finished build whose number is not the one wanted is dropped.
    static constexpr unsigned long NoBuild = 0;
    unsigned long m_wanted = NoBuild;
    unsigned long m_launched = 0;
};

}  // namespace velmora
