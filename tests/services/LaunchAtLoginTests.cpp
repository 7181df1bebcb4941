#include "services/LaunchAtLoginController.h"
#include "services/LaunchAtLoginSettings.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
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

AppBundle bundleWith(const char *identifier, bool reviewMarker = false)
{
    AppBundle bundle;
    bundle.identifier = QString::fromLatin1(identifier);
    if (reviewMarker)
        bundle.reviewLibrary = QString();
    return bundle;
}

bool shows(QWidget &root, const QString &text)
{
    for (auto *w : root.findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(w);
        const auto *button = qobject_cast<QAbstractButton *>(w);
        if (w->isVisibleTo(&root) && ((label && label->text() == text) || (button && button->text() == text)))
            return true;
    }
    return false;
}

const QString reviewReason = QStringLiteral("Launch at login is unavailable in review builds.");
const QString installReason = QStringLiteral("Install this app and reopen it to enable launch at login.");
const QString approval = QStringLiteral("Approval is needed in your desktop settings before this app can launch at login.");
const QString openSettings = QStringLiteral("Open Login Items Settings");
const QString detail = QStringLiteral("Applies only to this app.");
} // namespace

TEST(LaunchAtLogin, ReviewBuildsAndCopiesOutsideAnInstallationCannotLaunchAtLogin)
{
    const struct {
        AppBundle bundle;
        bool installed;
        std::optional<QString> reason;
    } cases[] = {
        {bundleWith("app.ostrel.brimkit"), true, std::nullopt},
        {bundleWith("app.ostrel.brimkit"), false, installReason},
        {bundleWith("app.ostrel.brimkit.review"), true, reviewReason},
        {bundleWith("app.ostrel.review.brimkit"), true, reviewReason},
        {bundleWith("app.ostrel.brimkit", true), false, reviewReason},
        {bundleWith("app.ostrel.reviewer"), true, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LaunchAtLoginController::unavailableReason(c.bundle, c.installed), c.reason) << c.bundle.identifier->toStdString();
}

TEST(LaunchAtLogin, OnlyARealChangeReachesTheService)
{
    const struct {
        const char *name;
        LoginItemStatus status;
        std::optional<QString> reason;
        bool on;
        int registrations;
        int unregistrations;
    } cases[] = {
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
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isUpdating(); }, 2000)) << c.name;
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
    EXPECT_EQ(toggle->accessibleDescription(), QStringLiteral("Open this app automatically when you log in to your computer"));

    toggle->click();
    EXPECT_TRUE(shows(view, QStringLiteral("Updating startup preference…")));
    EXPECT_FALSE(toggle->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isUpdating(); }, 2000));
    EXPECT_TRUE(shows(view, QStringLiteral("Could not change launch at login: The autostart folder could not be created.")));
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(toggle->isEnabled());

    service->failure.reset();
    toggle->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isUpdating(); }, 2000));
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_FALSE(controller->errorMessage()) << "an old failure stays after a success";
}

TEST(LaunchAtLogin, TheTextUnderTheToggleSaysWhatHoldsItBack)
{
    const struct {
        const char *name;
        std::optional<QString> reason;
        LoginItemStatus status;
        bool settingsTool;
        QStringList shown;
        QStringList hidden;
    } cases[] = {
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
