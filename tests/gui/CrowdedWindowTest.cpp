// SPDX-License-Identifier: GPL-3.0-or-later
// Windows on a small screen with much to show: the tabs of many pages take one row that scrolls
// rather than a stack of rows, in the category window and its table, the window stays on the
// screen, and the main window's status line keeps both ends of a long text.

#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <utility>
#include <vector>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "gui/table/BalanceTableView.h"
#include "gui/table/TableSwitch.h"
#include "gui/widgets/ElidingLabel.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int PageCount = 18;

// One category whose entries have a key on each of 18 pages with long names.
std::string ManyPagesDefinition() {
    std::string pages;
    std::string sections;
    for (int page = 1; page <= PageCount; ++page) {
        const std::string name = "InfantryCombatAndMovementPage" + std::to_string(page);
        pages += "," + name;
        sections += "[" + name + "]\r\nKey" + std::to_string(page) + "=a key of its own\r\n";
    }
    return "[AllSections]\r\nUnits=1" + pages + "\r\n" + sections + "[Units]\r\n1=ALPHA\r\n2=BRAVO\r\n";
}

// Records, for each tab drawn, its place and the area the painter lets it cover.
class TabClips : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_TabBarTab)
            drawn.emplace_back(option->rect, painter->hasClipping() ? painter->clipBoundingRect().toAlignedRect()
                                                                    : QRect(0, 0, widget->width(), widget->height()));
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable std::vector<std::pair<QRect, QRect>> drawn;
};

}  // namespace

class CrowdedWindowTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    using H = CategoryWindowHarness;

    void Finish() override { QCOMPARE(h->TakeShown(), QStringList()); }

private slots:
    void manyPagesTakeOneScrollingRowAndTheWindowStaysOnTheScreen() {
        h->StartWith(H::Settings(true), ManyPagesDefinition(),
                     "[ALPHA]\r\nKey1=1\r\nKey18=18\r\n\r\n[BRAVO]\r\nKey2=2\r\n");
        CategoryWindow* w = h->Open(0, 0);
        QVERIFY(w);
        QTabWidget& pages = H::Pages(w);
        QCOMPARE(pages.count(), PageCount);
        auto* tabs = qobject_cast<RowsTabBar*>(pages.tabBar());
        QVERIFY(tabs);
        QCOMPARE(tabs->RowCount(), 1);
        QVERIFY(tabs->usesScrollButtons());
        pages.setCurrentIndex(PageCount - 1);
        QVERIFY(pages.tabBar()->tabRect(PageCount - 1).right() <= pages.tabBar()->width());
        QVERIFY(w->screen()->availableGeometry().contains(w->frameGeometry()));

        // The table's tabs too: one row, and every tab within the bar once scrolled to.
        QAction& allEntries = w->Switch()->Action();
        allEntries.trigger();
        BalanceTableView* table = w->Switch()->Table();
        QVERIFY(table);
        auto* tableTabs = table->findChild<RowsTabBar*>(QStringLiteral("TablePages"));
        QVERIFY(tableTabs);
        QTRY_COMPARE(tableTabs->RowCount(), 1);
        QVERIFY(tableTabs->height() < 2 * tableTabs->tabRect(0).height());
        QVERIFY(w->screen()->availableGeometry().contains(w->frameGeometry()));
    }

    // A style draws the current tab down to the bar's edge, over the row below when it is in an
    // upper row.
    void aCurrentTabInTheUpperRowLeavesTheRowBelowAlone() {
        TabClips clips;  // outlives the bar that draws with it
        RowsTabBar tabs;
        tabs.setStyle(&clips);
        for (int page = 1; page <= 6; ++page) tabs.addTab(QStringLiteral("Page %1").arg(page));
        tabs.resize(2000, 100);
        tabs.resize(tabs.RowTabRect(0).width() * 7 / 2, 100);
        QCOMPARE(tabs.RowCount(), 2);
        tabs.setCurrentIndex(0);
        tabs.grab();
        const QRect upper = tabs.RowTabRect(0);
        bool seen = false;
        for (const auto& [place, clip] : clips.drawn) {
            if (place != upper) continue;
            seen = true;
            QVERIFY2(clip.bottom() <= upper.bottom(), qPrintable(QStringLiteral("%1").arg(clip.bottom())));
        }
        QVERIFY(seen);
    }

    void theStatusLineKeepsBothEndsOfALongText() {
        h->StartOnSample();
        auto* status = qobject_cast<ElidingLabel*>(h->Find<QLabel>("Panel5"));
        QVERIFY(status);
        const QString text = QStringLiteral(
            "Cinderfall.ini was changed by another program and has been read again. Your changes are kept as a "
            "recovery copy.");
        status->setText(text);
        QVERIFY(status->IsCut());
        const QString shown = status->ShownLine();
        QVERIFY2(shown.startsWith(QLatin1String("Cinder")) && shown.endsWith(QLatin1String("copy.")) &&
                     shown.contains(QChar(0x2026)),
                 qPrintable(shown));
        status->setText(QStringLiteral("halvek v3.2"));
        QCOMPARE(status->ShownLine(), QStringLiteral("halvek v3.2"));
    }
};

VELMORA_GUI_TEST(CrowdedWindowTest)
#include "CrowdedWindowTest.moc"
