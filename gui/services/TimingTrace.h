// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <chrono>
#include <cstdio>
#include <memory>

namespace velmora {

// A log of how long the program takes to answer the user, for measuring the real program from a
// script: each key press as it arrives, each time the event loop wakes and goes idle, each stretch
// of work of the user-interface thread, and each time the loop goes idle after painting, all in milliseconds of the system clock so
// that a script can set its own times beside them. Off unless the environment names a file in
// VELMORA_TRACE_FILE; when off, nothing is installed and nothing is spent.
class TimingTrace : public QObject {
    Q_OBJECT

public:
    // The trace the environment asks for, installed on the running application; null when none.
    static std::unique_ptr<TimingTrace> FromEnvironment();
    ~TimingTrace() override;
    TimingTrace(const TimingTrace&) = delete;
    TimingTrace& operator=(const TimingTrace&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    explicit TimingTrace(std::FILE* file);
    void AboutToBlock();

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::chrono::system_clock::time_point m_awakeSince;
    bool m_painted = false;
    bool m_waiting = false;
    unsigned long m_lastKey = 0;
};

}  // namespace velmora
