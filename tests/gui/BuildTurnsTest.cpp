// SPDX-License-Identifier: GPL-3.0-or-later
// Background builds take turns: a second build copies nothing while the first holds the turn, and
// a cancelled or finished build hands it on.
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "core/document/Document.h"
#include "gui/services/OffThreadBuild.h"
#include "tests/gui/GuiTestMain.h"

using namespace velmora;

namespace {

// A copy that goes on, slice after slice, until the test lets copies end: a build holds the turn
// across events meanwhile.
bool copiesMayEnd = true;
struct SlowCopy {
    bool Continue(size_t /*lines*/) const { return copiesMayEnd; }
};

// A build that notes in `events` when its copy starts and when its result comes back.
class NotedBuild {
public:
    NotedBuild(const Document& document, std::string name, std::vector<std::string>& events)
        : m_build(
              document,
              [name, &events] {
                  events.push_back(name + " copies");
                  return std::make_shared<SlowCopy>();
              },
              [](const SlowCopy&) { return 1; },
              [name, &events](std::unique_ptr<int>, const std::string&) { events.push_back(name + " done"); }) {}
    OffThreadBuild<int, SlowCopy>& operator*() { return m_build; }
    OffThreadBuild<int, SlowCopy>* operator->() { return &m_build; }

private:
    OffThreadBuild<int, SlowCopy> m_build;
};

}  // namespace

class BuildTurnsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { copiesMayEnd = true; }

    void buildsRunOneAfterAnother() {
        Document document;
        std::vector<std::string> events;
        NotedBuild first(document, "first", events), second(document, "second", events);
        first->Start();
        second->Start();
        QTRY_COMPARE(events.size(), size_t{4});
        const std::vector<std::string> inTurn{"first copies", "first done", "second copies", "second done"};
        QCOMPARE(events, inTurn);
    }

    // A build that was handed the turn but took it itself meanwhile keeps it when the hand-over
    // arrives: a third build waits for it to end.
    void aTurnTakenMeanwhileIsKept() {
        Document document;
        std::vector<std::string> events;
        NotedBuild first(document, "first", events), second(document, "second", events),
            third(document, "third", events);
        copiesMayEnd = false;
        first->Start();
        second->Start();
        first->Cancel();   // the turn goes to the second, through the event loop
        second->Start();   // which takes it at once
        third->Start();
        QTest::qWait(50);  // the hand-over arrives while the second copies
        copiesMayEnd = true;
        QTRY_COMPARE(events.size(), size_t{5});
        const std::vector<std::string> inTurn{"first copies", "second copies", "second done", "third copies",
                                              "third done"};
        QCOMPARE(events, inTurn);
    }

    // A build cancelled and started again in one step, as a load does, keeps its place.
    void aBuildStartedAgainAtOnceKeepsItsPlace() {
        Document document;
        std::vector<std::string> events;
        NotedBuild first(document, "first", events), second(document, "second", events);
        copiesMayEnd = false;
        first->Start();
        second->Start();
        first->Cancel();
        first->Start();
        copiesMayEnd = true;
        QTRY_COMPARE(events.size(), size_t{5});
        const std::vector<std::string> inTurn{"first copies", "first copies", "first done", "second copies",
                                              "second done"};
        QCOMPARE(events, inTurn);
    }

    // A waiting build that goes leaves the line; the one after it still gets its turn.
    void aBuildThatGoesLeavesTheLine() {
        Document document;
        std::vector<std::string> events;
        NotedBuild first(document, "first", events);
        auto second = std::make_unique<NotedBuild>(document, "second", events);
        NotedBuild third(document, "third", events);
        first->Start();
        (*second)->Start();
        third->Start();
        second.reset();
        QTRY_COMPARE(events.size(), size_t{4});
        const std::vector<std::string> inTurn{"first copies", "first done", "third copies", "third done"};
        QCOMPARE(events, inTurn);
    }
};

VELMORA_GUI_TEST(BuildTurnsTest)
#include "BuildTurnsTest.moc"
