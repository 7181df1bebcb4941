#include "tests/updates/UpdatesHarness.h"

#include <QAction>
#include <QElapsedTimer>

TEST(AppUpdates, OnlyAPublishedNonReviewBuildStartsTheUpdater)
{
    const auto review = [] {
        AppBundle b = bundle();
        b.reviewLibrary = QString();
        return b;
    };
    const auto reviewId = [] {
        AppBundle b = bundle();
        b.identifier = QStringLiteral("app.ostrel.brimkit.review");
        return b;
    };
    const QString reviewText = AppUpdates::reviewBuildMessage();
    const QString unpublished = AppUpdates::notPublishedMessage();
    const struct {
        const char *name;
        AppBundle bundle;
        bool available;
        QString message;
    } cases[] = {
        {"published", bundle(), true, AppUpdates::availableMessage()},
        {"review marker with any value", review(), false, reviewText},
        {"review identifier", reviewId(), false, reviewText},
        {"http feed", bundle(QStringLiteral("http://updates.ostrel.app/feed.xml")), false, unpublished},
        {"feed without host", bundle(QStringLiteral("https:///feed.xml")), false, unpublished},
        {"no feed", bundle(std::nullopt), false, unpublished},
        {"no key", bundle(validFeed, std::nullopt), false, unpublished},
        {"31-byte key", bundle(validFeed, QString::fromLatin1(QByteArray(31, 'k').toBase64())), false, unpublished},
        {"33-byte key", bundle(validFeed, QString::fromLatin1(QByteArray(33, 'k').toBase64())), false, unpublished},
        {"URL-safe alphabet", bundle(validFeed, QString::fromLatin1(QByteArray(32, '\xfb').toBase64(QByteArray::Base64UrlEncoding))), false, unpublished},
    };
    for (const auto &c : cases) {
        Harness h(c.bundle);
        h.updates.start({});
        EXPECT_EQ(h.updates.available(), c.available) << c.name;
        EXPECT_EQ(h.updates.message(), c.message) << c.name;
        EXPECT_EQ(h.updater != nullptr, c.available) << c.name;
        if (h.updater) {
            EXPECT_FALSE(h.updater->sendsProfile) << c.name;
            EXPECT_TRUE(h.updates.canCheck()) << c.name << ": observed at once";
        }
    }
}

TEST(AppUpdates, TheLiveBuildHasNoUpdaterAndStaysUnpublished)
{
    OstrelSignals facade(bundle(), std::make_shared<MemoryUserDefaults>(), std::make_shared<RecordingTellixClient>());
    AppUpdates updates(facade, AppUpdates::Environment{bundle(), {}, 1s});
    updates.start({});
    EXPECT_FALSE(updates.available());
    EXPECT_EQ(updates.message(), AppUpdates::notPublishedMessage());
}

TEST(AppUpdates, AFailedStartIsReportedAndTracked)
{
    Harness h;
    h.startError = AppUpdateError{QStringLiteral("NSCocoaErrorDomain"), 4, QStringLiteral("No feed access.")};
    h.updates.start({});
    EXPECT_FALSE(h.updates.available());
    EXPECT_EQ(h.updates.message(), QStringLiteral("Updates could not start: No feed access."));
    EXPECT_EQ(h.events(), Events{OstrelEvent::updateFailed});
}

TEST(AppUpdates, ASecondStartOnlyReplacesTheBusyPredicate)
{
    Harness h;
    h.updates.start([] { return false; });
    FakeUpdater *first = h.updater;
    h.updates.start([] { return true; });
    EXPECT_EQ(h.updater, first) << "a second updater was made";
    EXPECT_TRUE(first->delegate->shouldPostponeRelaunch({}, [] {})) << "the new predicate is not used";
}

TEST(AppUpdates, CheckingNeedsAnAvailableUpdaterThatCanCheck)
{
    Harness h;
    h.canCheck = false;
    h.updates.start({});
    QAction *item = h.updates.menuItem(&h.updates);
    h.updates.check();
    item->trigger();
    EXPECT_EQ(h.updater->checks, 0);
    EXPECT_FALSE(item->isEnabled());

    h.updater->observer(Setting::canCheckForUpdates, true);
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(h.updater->checks, 1);
}

TEST(AppUpdates, NotBusyMeansNoPostponement)
{
    Harness h;
    h.updates.start([] { return false; });
    EXPECT_FALSE(h.updater->delegate->shouldPostponeRelaunch({}, [] {}));
    EXPECT_FALSE(h.updates.hasPendingInstallation());
}

TEST(AppUpdates, AHeldBackUpdateInstallsOnceWithinASecondOfTheWorkEnding)
{
    Harness h(bundle(), 1000ms);
    h.postponeWhileBusy();
    EXPECT_TRUE(h.updates.hasPendingInstallation());
    EXPECT_EQ(h.updates.message(), QStringLiteral("Update ready. Waiting for active work to finish."));
    QTest::qWait(1100);
    EXPECT_EQ(h.installs, 0) << "installed while busy";

    h.busy = false;
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.installs > 0; }, 3000));
    EXPECT_LT(elapsed.elapsed(), 1300);
    EXPECT_EQ(h.updates.message(), AppUpdates::installingMessage());
    QTest::qWait(1100);
    EXPECT_EQ(h.installs, 1);
}

TEST(AppUpdates, AbortsEndTheWaitAndExplainThemselves)
{
    const struct {
        const char *name;
        AppUpdateError error;
        QString message;
        Events events;
    } cases[] = {
        {"no update", updaterError(AppUpdateError::noUpdateFound), QStringLiteral("You're up to date."), {}},
        {"cancelled", updaterError(AppUpdateError::installationCanceled), AppUpdates::postponedMessage(), {}},
        {"postponed", updaterError(AppUpdateError::installationPostponed), AppUpdates::postponedMessage(), {}},
        {"unknown code", updaterError(2001), QStringLiteral("The update was not installed. You can check for updates again."),
         {OstrelEvent::updateFailed}},
        {"1001 from another domain", {QStringLiteral("NSURLErrorDomain"), 1001, {}},
         QStringLiteral("The update was not installed. You can check for updates again."), {OstrelEvent::updateFailed}},
    };
    for (const auto &c : cases) {
        Harness h;
        h.facade.start(); // records only in a running session
        h.postponeWhileBusy();
        h.updater->delegate->willInstallUpdate({QStringLiteral("28")});
        EXPECT_TRUE(h.store->stringValue(pendingKey)) << c.name;
        h.updater->delegate->didAbort(c.error);
        EXPECT_FALSE(h.updates.hasPendingInstallation()) << c.name;
        EXPECT_EQ(h.updates.message(), c.message) << c.name;
        EXPECT_FALSE(h.store->stringValue(pendingKey)) << c.name << ": recorded version kept";
        h.busy = false;
        QTest::qWait(100);
        EXPECT_EQ(h.installs, 0) << c.name << ": the stopped poll installed";
        EXPECT_EQ(h.events(), c.events) << c.name;
    }
}

TEST(AppUpdates, ANewPostponementStopsTheStalePollAndInstallsOnce)
{
    Harness h;
    h.postponeWhileBusy();
    int secondInstalls = 0;
    ASSERT_TRUE(h.updater->delegate->shouldPostponeRelaunch({}, [&] { ++secondInstalls; }));
    h.busy = false;
    QTest::qWait(150);
    EXPECT_EQ(h.installs, 0);
    EXPECT_EQ(secondInstalls, 1);
}

TEST(AppUpdates, HostActionsInstallOnlyWhenTheWorkHasEnded)
{
    // The host's action ends the work or not; the confirmation says yes or no.
    const struct {
        const char *name;
        bool viaSessions;
        bool workEnds;
        bool confirms;
        int installs;
        bool approved;
    } cases[] = {
        {"resolve ends the work", false, true, true, 1, false},
        {"resolve leaves it busy", false, false, true, 0, false},
        {"sessions closed on confirmation", true, false, true, 1, true},
        {"confirmation declined", true, false, false, 0, false},
    };
    for (const auto &c : cases) {
        Harness h;
        h.updates.configurePendingWorkAction(QStringLiteral("Stop Recording"), QStringLiteral("Waiting for the recording."),
                                             [&] { h.busy = !c.workEnds; });
        if (c.viaSessions)
            h.updates.configureSessionClosureConfirmation([&] { return c.confirms; });
        h.postponeWhileBusy();
        if (c.viaSessions)
            h.updates.closeSessionsAndInstallUpdate();
        else
            h.updates.resolvePendingWork();
        EXPECT_EQ(h.installs, c.installs) << c.name;
        EXPECT_EQ(h.updates.consumeSessionClosureApproval(), c.approved) << c.name;
        EXPECT_FALSE(h.updates.consumeSessionClosureApproval()) << c.name << ": not reset";
        h.busy = false;
        QTest::qWait(100);
        EXPECT_EQ(h.installs, 1) << c.name << ": installed " << h.installs << " times";
    }
}

TEST(AppUpdates, TearingDownDuringAWaitNeverInstalls)
{
    int installs = 0;
    {
        Harness h;
        h.postponeWhileBusy();
        h.updater->delegate->shouldPostponeRelaunch({}, [&] { ++installs; });
    }
    QTest::qWait(100);
    EXPECT_EQ(installs, 0);
}
