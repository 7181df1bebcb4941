#include "shell/BrimTimerOptions.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/FakeNotificationCenter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using TimerOptions = ShellFixture;

TEST_F(TimerOptions, EachToggleDrivesItsOwnSetting)
{
    BrimTimerOptions options(model, std::nullopt);
    options.show();
    struct Case {
        const char *title;
        std::function<bool()> setting;
    };
    const Case cases[] = {
        {"Show timer capsule", [&] { return model.islandEnabled(); }},
        {"Completion notifications", [&] { return model.notificationEnabled(); }},
        {"Completion sound", [&] { return model.soundEnabled(); }},
    };
    for (const Case &c : cases) {
        auto *box = qobject_cast<QCheckBox *>(button(options, QString::fromUtf8(c.title)));
        ASSERT_TRUE(box && box->isChecked()) << c.title;
        box->click();
        EXPECT_EQ(std::count_if(std::begin(cases), std::end(cases), [](const Case &o) { return !o.setting(); }), 1)
            << c.title << " switched another setting";
        EXPECT_FALSE(c.setting()) << c.title;
        box->click();
        EXPECT_TRUE(c.setting()) << c.title;
    }
    model.setSoundEnabled(false);
    EXPECT_FALSE(qobject_cast<QCheckBox *>(button(options, QStringLiteral("Completion sound")))->isChecked());
}

TEST_F(TimerOptions, NoteWithSettingsButtonOnlyWhereTheDesktopHasOne)
{
    auto center = std::make_shared<FakeNotificationCenter>();
    center->current.authorizationStatus = FakeNotificationCenter::Status::denied;
    BrimkitModel denied(true, false,
                        BrimkitModel::Environment{clock, std::make_shared<MemoryUserDefaults>(), power,
                                                  std::make_shared<CountingBeep>(), nullptr, {}, center,
                                                  std::make_shared<MemoryAlarmStore>()});
    QTemporaryDir bin;
    QFile program(bin.filePath(QStringLiteral("xfce4-notifyd-config")));
    program.open(QIODevice::WriteOnly);
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    const auto xfce = DesktopNotificationSettings::forDesktop(u"XFCE", {bin.path()});
    ASSERT_TRUE(xfce);

    for (const auto &settings : {xfce, std::optional<DesktopNotificationSettings>()}) {
        denied.cancelTimer();
        BrimTimerOptions options(denied, settings);
        options.show();
        const QString settingsTitle = QStringLiteral("Notification settings…");
        EXPECT_FALSE(button(options, settingsTitle));
        denied.startTimer(5, BrimTimerKind::timer);
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
        ASSERT_TRUE(denied.notificationNote());
        EXPECT_TRUE(visibleTexts(options).contains(*denied.notificationNote()));
        EXPECT_EQ(button(options, settingsTitle) != nullptr, settings.has_value());
    }
}
