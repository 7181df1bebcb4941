#include "services/LaunchAtLoginController.h"
#include "services/LaunchAtLoginSettings.h"

#include "tests/support/WidgetQueries.h"
#include "tests/support/Patience.h"

#include <QCheckBox>
#include <QTest>
#include <QCoro/QCoroTimer>
#include <gtest/gtest.h>

namespace {
using namespace std::chrono_literals;

// A login-item service whose answers take a moment, as a file write or a portal dialog does.
struct FakeLoginItems : LoginItemService {
    LoginItemStatus current = LoginItemStatus::notRegistered;
    std::optional<QString> failure;
    bool settingsTool = false;
    int registrations = 0;
    int unregistrations = 0;

    LoginItemStatus status() override { return current; }
    QCoro::Task<Result<void, QString>> registerItem() override { return change(true); }
    QCoro::Task<Result<void, QString>> unregisterItem() override { return change(false); }
    bool canOpenSettings() const override { return settingsTool; }
    void openSettings() override {}

    QCoro::Task<Result<void, QString>> change(bool on)
    {
        ++(on ? registrations : unregistrations);
        co_await QCoro::sleepFor(20ms);
        if (failure)
            co_return Failure{*failure};
        current = on ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
        co_return Result<void, QString>{};
    }
};

const QString reviewReason = QStringLiteral("Launch at login is unavailable in review builds.");
const QString installReason = QStringLiteral("Install this app and reopen it to enable launch at login.");
const QString approval = QStringLiteral("Approval is needed in your desktop settings before this app can launch at login.");
const QString openSettings = QStringLiteral("Open Login Items Settings");
const QString detail = QStringLiteral("Applies only to this app.");
} // namespace

TEST(LaunchAtLogin, ReviewBuildsAndCopiesOutsideAnInstallationCannotLaunchAtLogin)
{
    const struct { const char *identifier; bool reviewMarker; bool installed; std::optional<QString> reason; } cases[] = {
        {"app.ostrel.brimkit", false, true, std::nullopt}, {"app.ostrel.brimkit", false, false, installReason},
        {"app.ostrel.brimkit.review", false, true, reviewReason},
        {"app.ostrel.review.brimkit", false, true, reviewReason},
        {"app.ostrel.brimkit", true, false, reviewReason}, {"app.ostrel.reviewer", false, true, std::nullopt},
    };
    for (const auto &c : cases) {
        AppBundle bundle;
        bundle.identifier = QString::fromLatin1(c.identifier);
        if (c.reviewMarker)
            bundle.reviewLibrary = QString();
        EXPECT_EQ(LaunchAtLoginController::unavailableReason(bundle, c.installed), c.reason) << c.identifier;
    }
}

TEST(LaunchAtLogin, OnlyARealChangeReachesTheService)
{
    const struct { const char *name; LoginItemStatus status; std::optional<QString> reason; bool on;
                   int registrations, unregistrations; } cases[] = {
        {"register", LoginItemStatus::notRegistered, std::nullopt, true, 1, 0},
        {"unregister", LoginItemStatus::enabled, std::nullopt, false, 0, 1},
        {"awaiting approval already counts as on", LoginItemStatus::requiresApproval, std::nullopt, true, 0, 0},
        {"withdraw a request awaiting approval", LoginItemStatus::requiresApproval, std::nullopt, false, 0, 1},
        {"already off", LoginItemStatus::notRegistered, std::nullopt, false, 0, 0},
        {"unavailable", LoginItemStatus::notRegistered, installReason, true, 0, 0},
    };
    for (const auto &c : cases) {
        auto service = std::make_shared<FakeLoginItems>();
        service->current = c.status;
        LaunchAtLoginController controller(service, c.reason);
        controller.setEnabled(c.on);
        controller.setEnabled(c.on); // ignored while the first is in flight
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isUpdating(); }, patienceMs)) << c.name;
        EXPECT_EQ(service->registrations, c.registrations) << c.name;
        EXPECT_EQ(service->unregistrations, c.unregistrations) << c.name;
    }
}

TEST(LaunchAtLogin, AFailureIsShownAndTheToggleShowsTheStatusAgain)
{
    auto service = std::make_shared<FakeLoginItems>();
    service->failure = QStringLiteral("The autostart folder could not be created.");
    auto *controller = new LaunchAtLoginController(service, std::nullopt);
    LaunchAtLoginSettings view(detail, controller);
    auto *toggle = view.findChild<QCheckBox *>();

    toggle->click();
    EXPECT_TRUE(shows(view, QStringLiteral("Updating startup preference…")));
    EXPECT_FALSE(toggle->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isUpdating(); }, patienceMs));
    EXPECT_TRUE(shows(view, QStringLiteral("Could not change launch at login: The autostart folder could not be created.")));
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(toggle->isEnabled());

    service->failure.reset();
    toggle->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isUpdating(); }, patienceMs));
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_FALSE(controller->errorMessage()) << "an old failure stays after a success";
}

TEST(LaunchAtLogin, TheTextUnderTheToggleSaysWhatHoldsItBack)
{
    const struct { const char *name; std::optional<QString> reason; LoginItemStatus status; bool settingsTool;
                   QStringList shown, hidden; } cases[] = {
        {"available", std::nullopt, LoginItemStatus::enabled, true, {detail}, {approval, openSettings}},
        {"unavailable", installReason, LoginItemStatus::requiresApproval, true, {installReason}, {detail, approval, openSettings}},
        {"approval with a settings tool", std::nullopt, LoginItemStatus::requiresApproval, true, {approval, openSettings}, {detail}},
        {"approval, no tool known", std::nullopt, LoginItemStatus::requiresApproval, false, {approval}, {detail, openSettings}},
    };
    for (const auto &c : cases) {
        auto service = std::make_shared<FakeLoginItems>();
        service->current = c.status;
        service->settingsTool = c.settingsTool;
        LaunchAtLoginSettings view(detail, new LaunchAtLoginController(service, c.reason));
        for (const QString &text : c.shown)
            EXPECT_TRUE(shows(view, text)) << c.name << ": missing " << text.toStdString();
        for (const QString &text : c.hidden)
            EXPECT_FALSE(shows(view, text)) << c.name << ": shows " << text.toStdString();
        EXPECT_EQ(view.findChild<QCheckBox *>()->isEnabled(), !c.reason) << c.name;
    }
}
