#include "services/OstrelSignals.h"
#include "shell/BrimkitStatusItem.h"
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QSignalSpy>

using StatusItem = ShellFixture;

TEST_F(StatusItem, RedrawsOncePerSecondOfCountdownAndNoMore)
{
    BrimkitStatusItem item(model, OstrelSignals::shared());
    const int before = item.redrawCount();
    model.startTimer(25, BrimTimerKind::focus);
    const BrimDate start = clock->now();
    // Four clock steps a second for ten seconds: the title changes ten times.
    for (int step = 1; step <= 40; ++step) {
        clock->set(start + step * 0.25);
        model.refresh(clock->now());
    }
    EXPECT_EQ(item.redrawCount() - before, 1 + 10);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Focus, 24:50"));
}

TEST_F(StatusItem, TitleWidensTheIcon)
{
    const QPixmap bare = BrimkitStatusItem::labelPixmap(QStringLiteral("timer"), QString(), 22, Qt::black);
    const QPixmap titled = BrimkitStatusItem::labelPixmap(QStringLiteral("timer"), QStringLiteral("24:59"), 22, Qt::black);
    EXPECT_EQ(bare.size(), QSize(22, 22));
    EXPECT_EQ(titled.height(), 22);
    EXPECT_GT(titled.width(), 40);
}

TEST_F(StatusItem, MenuOpensThePanelOffersFeedbackAndQuits)
{
    QApplication::setApplicationDisplayName(QStringLiteral("Ostrel Brimkit"));
    BrimkitStatusItem item(model, OstrelSignals::shared());
    QStringList entries;
    for (QAction *action : item.menu().actions())
        entries << (action->isSeparator() ? QStringLiteral("—") : action->text());
    EXPECT_EQ(entries, (QStringList{"Open Ostrel Brimkit", "—", "Send feedback…", "Report a bug…", "—",
                                    "Quit Ostrel Brimkit"}));
    QSignalSpy open(&item, &BrimkitStatusItem::openRequested);
    item.menu().actions().first()->trigger();
    EXPECT_EQ(open.count(), 1);
}
