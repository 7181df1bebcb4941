#include "tests/updates/UpdatesHarness.h"
#include "updates/AppDistributionSettings.h"
#include "updates/CheckForAppUpdates.h"
#include "updates/PendingTerminalUpdateNotice.h"
#include "updates/PendingWorkUpdateNotice.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>

namespace {
QAbstractButton *button(QWidget &root, const QString &text)
{
    for (auto *b : root.findChildren<QAbstractButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}
bool shows(QWidget &root, const QString &text)
{
    for (auto *label : root.findChildren<QLabel *>()) {
        if (label->isVisibleTo(&root) && label->text() == text)
            return true;
    }
    for (auto *b : root.findChildren<QAbstractButton *>()) {
        if (b->isVisibleTo(&root) && b->text() == text)
            return true;
    }
    return false;
}
const QString checkTitle = QStringLiteral("Check for Updates…");
const QString autoChecks = QStringLiteral("Automatically check for updates");
const QString autoDownloads = QStringLiteral("Download updates automatically");
} // namespace

TEST(UpdateViews, NothingCanBeSwitchedBeforeStartOrInAReviewBuild)
{
    AppBundle review = bundle();
    review.reviewLibrary = QStringLiteral("1");
    for (const bool started : {false, true}) {
        Harness h(review);
        if (started)
            h.updates.start({});
        AppDistributionSettings settings(h.updates, false);
        CheckForAppUpdates buttons(h.updates, false);
        for (QWidget *view : {static_cast<QWidget *>(&settings), static_cast<QWidget *>(&buttons)})
            EXPECT_FALSE(button(*view, checkTitle)->isEnabled()) << started;
        EXPECT_FALSE(button(settings, autoChecks)->isEnabled()) << started;
        EXPECT_FALSE(button(settings, autoDownloads)->isEnabled()) << started;
        EXPECT_TRUE(shows(settings, h.updates.message())) << started;
    }
}

TEST(UpdateViews, DownloadsFollowAutomaticChecks)
{
    Harness h;
    h.updates.start({});
    AppDistributionSettings settings(h.updates, false);
    auto *checks = button(settings, autoChecks);
    auto *downloads = button(settings, autoDownloads);
    EXPECT_TRUE(checks->isEnabled());
    EXPECT_FALSE(downloads->isEnabled());

    checks->click();
    EXPECT_TRUE(h.updates.automaticChecks()) << "the switch did not reach the updater";
    EXPECT_TRUE(downloads->isEnabled());
    h.updater->observer(Setting::automaticallyChecksForUpdates, false);
    EXPECT_FALSE(checks->isChecked());
    EXPECT_FALSE(downloads->isEnabled());
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
    button(work, stop)->click();
    EXPECT_EQ(h.installs, 1);

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
