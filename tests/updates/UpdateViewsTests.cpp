#include "tests/updates/UpdatesHarness.h"
#include "updates/AppDistributionSettings.h"
#include "updates/CheckForAppUpdates.h"
#include "updates/PendingTerminalUpdateNotice.h"
#include "updates/PendingWorkUpdateNotice.h"

#include "tests/support/WidgetQueries.h"

namespace {
const QString checkTitle = QStringLiteral("Check for Updates…");
const QString autoChecks = QStringLiteral("Automatically check for updates");
const QString autoDownloads = QStringLiteral("Download updates automatically");
} // namespace

TEST(UpdateViews, SwitchesAndTheCheckButtonFollowTheController)
{
    AppBundle review = bundle();
    review.reviewLibrary = QStringLiteral("1");
    const struct { const char *name; AppBundle bundle; bool start, automaticChecks, checksEnabled, downloadsEnabled; } cases[] = {
        {"not started", bundle(), false, false, false, false}, {"review build", review, true, false, false, false},
        {"available, automatic checks off", bundle(), true, false, true, false},
        {"available, automatic checks on", bundle(), true, true, true, true},
    };
    for (const auto &c : cases) {
        Harness h(c.bundle);
        if (c.start)
            h.updates.start({});
        AppDistributionSettings settings(h.updates, false);
        CheckForAppUpdates buttons(h.updates, false);
        if (c.automaticChecks)
            buttonTitled(settings, autoChecks)->click(); // through the updater and back
        EXPECT_EQ(buttonTitled(settings, autoChecks)->isChecked(), c.automaticChecks) << c.name;
        EXPECT_EQ(buttonTitled(settings, autoChecks)->isEnabled(), c.checksEnabled) << c.name;
        EXPECT_EQ(buttonTitled(settings, autoDownloads)->isEnabled(), c.downloadsEnabled) << c.name;
        for (QWidget *view : {static_cast<QWidget *>(&settings), static_cast<QWidget *>(&buttons)})
            EXPECT_EQ(buttonTitled(*view, checkTitle)->isEnabled(), c.checksEnabled) << c.name;
        EXPECT_TRUE(shows(settings, h.updates.message())) << c.name;
    }
}

TEST(UpdateViews, HostButtonsAndNoticesAppearOnlyWhileAnUpdateWaits)
{
    const QString stop = QStringLiteral("Stop Recording");
    const QString closeSessions = QStringLiteral("Close Sessions and Update…");
    Harness h;
    h.updates.configurePendingWorkAction(stop, QStringLiteral("Waiting for the recording."), [&] { h.busy = false; });
    h.updates.configureSessionClosureConfirmation([] { return true; });
    AppDistributionSettings settings(h.updates, false);
    CheckForAppUpdates buttons(h.updates, true);
    PendingWorkUpdateNotice work(h.updates);
    PendingTerminalUpdateNotice terminal(h.updates);
    const auto expectShown = [&](bool shown) {
        for (QWidget *view : {static_cast<QWidget *>(&settings), static_cast<QWidget *>(&buttons)}) {
            EXPECT_EQ(shows(*view, stop), shown);
            EXPECT_EQ(shows(*view, closeSessions), shown);
        }
        EXPECT_EQ(work.isVisibleTo(&work), shown);
        EXPECT_EQ(terminal.isVisibleTo(&terminal), shown);
    };
    h.updates.start({});
    expectShown(false);

    h.postponeWhileBusy();
    expectShown(true);
    EXPECT_TRUE(shows(work, h.updates.message()));
    buttonTitled(work, stop)->click(); // the host's action ends the work: install at once
    EXPECT_EQ(h.installs, 1);
    QTest::qWait(100);
    EXPECT_EQ(h.installs, 1) << "the poll installed a second time";

    h.updater->delegate->didAbort(updaterError(AppUpdateError::installationCanceled));
    expectShown(false);
}

TEST(UpdateViews, OneSettingsWindowClosedByEscapeOrCtrlW)
{
    Harness h;
    h.updates.showPreferences();
    QWidget *window = h.updates.settingsWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Update Settings"));
    EXPECT_EQ(window->size(), QSize(520, 540));
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::CTRL | Qt::Key_W)}) {
        h.updates.showPreferences();
        EXPECT_EQ(h.updates.settingsWindow(), window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QTest::keyClick(window, keys.key(), keys.keyboardModifiers());
        EXPECT_FALSE(window->isVisible()) << QKeySequence(keys).toString().toStdString();
    }
}
