// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/FindIndexBuilder.h"

#include <QMetaObject>
#include <exception>

#include "core/references/FindIndex.h"
#include "core/references/FindSource.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"

namespace velmora {

FindIndexBuilder::FindIndexBuilder(const Workspace& workspace, Done done, QObject* parent)
    : QObject(parent), m_workspace(workspace), m_done(std::move(done)) {}

FindIndexBuilder::~FindIndexBuilder() {
    if (m_thread.joinable()) m_thread.join();
}

void FindIndexBuilder::Start() {
    m_wanted = m_launched + 1;
    if (!m_running) Launch();
}

void FindIndexBuilder::Cancel() {
    m_wanted = NoBuild;
}

void FindIndexBuilder::Launch() {
    if (m_thread.joinable()) m_thread.join();  // ended already: its result has come back
    const unsigned long generation = ++m_launched;
    std::shared_ptr<FindSource> source;
    try {
        if (!m_workspace.Doc().HasDocument()) throw IniError("There is no document to search.");
        source = std::make_shared<FindSource>(m_workspace);
    } catch (const std::exception& error) {
        Finished(generation, nullptr, error.what());
        return;
    }
    m_running = true;
    m_thread = std::thread([this, generation, source = std::move(source)]() mutable {
        std::shared_ptr<FindIndex> index;
        std::string error;
        try {
            index = std::make_shared<FindIndex>(*source);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        source.reset();  // the copy goes here, not on the windows' thread
        // Queued to this object: dropped by Qt if the builder is gone by then.
        QMetaObject::invokeMethod(
            this, [this, generation, index, error] { Finished(generation, index, error); }, Qt::QueuedConnection);
    });
}

void FindIndexBuilder::Finished(unsigned long generation, const std::shared_ptr<FindIndex>& index,
                                const std::string& error) {
    m_running = false;
    if (generation != m_wanted) {
        // Outdated: the document changed, or was replaced, while this one was made.
        if (m_wanted > m_launched) Launch();
        return;
    }
    m_wanted = NoBuild;
    // The index is handed over as the window's own; the shared owner here is the last one.
    m_done(index ? std::make_unique<FindIndex>(std::move(*index)) : nullptr, error);
}

}  // namespace velmora
