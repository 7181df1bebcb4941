#include "tests/updates/UpdatesHarness.h"
#include "tests/support/Patience.h"

#include <QAction>

TEST(AppUpdates, OnlyAPublishedNonReviewBuildWithAnUpdaterStarts)
{
    const auto key = [](int bytes, auto encoding) { return QString::fromLatin1(QByteArray(bytes, '\xfb').toBase64(encoding)); };
    const auto standard = QByteArray::Base64Encoding;
    const QString unpublished = AppUpdates::notPublishedMessage();
    const struct { const char *name; std::optional<QString> feed, key, review; const char *identifier; bool liveBuild;
                   QString message; } cases[] = {
        {"published", validFeed, validKey, {}, "app.ostrel.brimkit", false, AppUpdates::availableMessage()},
        {"no updater on Linux", validFeed, validKey, {}, "app.ostrel.brimkit", true, unpublished},
        {"review marker with any value", validFeed, validKey, QString(), "app.ostrel.brimkit", false, AppUpdates::reviewBuildMessage()},
        {"review identifier", validFeed, validKey, {}, "app.ostrel.brimkit.review", false, AppUpdates::reviewBuildMessage()},
        {"http feed", QStringLiteral("http://updates.ostrel.app/f.xml"), validKey, {}, "app.ostrel.brimkit", false, unpublished},
        {"feed without host", QStringLiteral("https:///f.xml"), validKey, {}, "app.ostrel.brimkit", false, unpublished},
        {"no feed", {}, validKey, {}, "app.ostrel.brimkit", false, unpublished},
        {"no key", validFeed, {}, {}, "app.ostrel.brimkit", false, unpublished},
        {"31-byte key", validFeed, key(31, standard), {}, "app.ostrel.brimkit", false, unpublished},
        {"33-byte key", validFeed, key(33, standard), {}, "app.ostrel.brimkit", false, unpublished},
        {"URL-safe alphabet", validFeed, key(32, QByteArray::Base64UrlEncoding), {}, "app.ostrel.brimkit", false, unpublished},
    };
    for (const auto &c : cases) {
        AppBundle b = bundle(c.feed, c.key);
        b.reviewLibrary = c.review;
        b.identifier = QString::fromLatin1(c.identifier);
        Harness h(b, 20ms, !c.liveBuild);
        h.updates.start({});
        const bool available = c.message == AppUpdates::availableMessage();
        EXPECT_EQ(h.updates.available(), available) << c.name;
        EXPECT_EQ(h.updates.message(), c.message) << c.name;
        EXPECT_EQ(h.updater != nullptr, available) << c.name;
        if (h.updater) {
            EXPECT_FALSE(h.updater->sendsProfile) << c.name;
            EXPECT_TRUE(h.updates.canCheck()) << c.name << ": observed at once";
        }
    }
}

TEST(AppUpdates, AFailedStartIsReportedAndTracked)
{
    Harness h;
    h.startError = AppUpdateError{QStringLiteral("files"), 4, QStringLiteral("No feed access.")};
    h.updates.start({});
    EXPECT_FALSE(h.updates.available());
    EXPECT_EQ(h.updates.message(), QStringLiteral("Updates could not start: No feed access."));
    EXPECT_EQ(h.events(), Events{OstrelEvent::updateFailed});
}

TEST(AppUpdates, NotBusyInstallsAtOnceAndASecondStartOnlyReplacesTheBusyPredicate)
{
    Harness h;
    h.updates.start([] { return false; });
    FakeUpdater *first = h.updater;
    EXPECT_FALSE(first->delegate->shouldPostponeRelaunch({}, [] {}));
    EXPECT_FALSE(h.updates.hasPendingInstallation());
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
    EXPECT_EQ(h.updater->checks, 0);
    EXPECT_FALSE(item->isEnabled());
    h.updater->observer(Setting::canCheckForUpdates, true);
    item->trigger();
    EXPECT_EQ(h.updater->checks, 1);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.installs > 0; }, patienceMs));
    EXPECT_EQ(h.updates.message(), AppUpdates::installingMessage());
    QTest::qWait(1100);
    EXPECT_EQ(h.installs, 1);
}

TEST(AppUpdates, AbortsEndTheWaitAndExplainThemselves)
{
    const struct { const char *name; AppUpdateError error; QString message; Events events; } cases[] = {
        {"no update", updaterError(AppUpdateError::noUpdateFound), QStringLiteral("You're up to date."), {}},
        {"cancelled", updaterError(AppUpdateError::installationCanceled), AppUpdates::postponedMessage(), {}},
        {"postponed", updaterError(AppUpdateError::installationPostponed), AppUpdates::postponedMessage(), {}},
        {"unknown code", updaterError(2001), QStringLiteral("The update was not installed. You can check for updates again."),
         {OstrelEvent::updateFailed}},
        {"1001 from another domain", {QStringLiteral("network"), 1001, {}},
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

// A new postponement stops the stale poll; tearing down during a wait never installs.
TEST(AppUpdates, OnlyTheNewestWaitInstallsAndNoneAfterTearDown)
{
    int installs = 0;
    for (const bool tearDown : {false, true}) {
        installs = 0;
        {
            Harness h;
            h.postponeWhileBusy();
            ASSERT_TRUE(h.updater->delegate->shouldPostponeRelaunch({}, [&] { ++installs; }));
            h.busy = false;
            if (!tearDown) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return installs == 1; }, patienceMs));
                EXPECT_EQ(h.installs, 0);
            }
        }
        QTest::qWait(tearDown ? 100 : 0);
        EXPECT_EQ(installs, tearDown ? 0 : 1) << tearDown;
    }
}
