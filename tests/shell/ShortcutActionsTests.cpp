#include "core/BrimURL.h"
#include "models/BrimColorModel.h"
#include "models/BrimShortcutsModel.h"
#include "shell/BrimkitDelegate.h"
#include "shell/BrimShortcutRecorder.h"
#include "shell/BrimShortcutSettings.h"
#include "shell/BrimTimerControls.h"
#include "tests/shell/PanelFixture.h"
#include "tests/support/FakeGlobalShortcuts.h"
#include "tests/support/ModelFakes.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using Action = BrimShortcutAction;

struct AnsweringSampler final : BrimColorSampler {
    void pick(Done done) override { done(answer); }
    BrimSampledColor answer{BrimSampledColor::Outcome::picked, std::array<double, 3>{1, 1, 1}};
};

// The running app's wiring on fakes: a key press comes from the fake desktop.
struct ShortcutsDelegate : ::testing::Test, FakeModelEnvironment {
    std::shared_ptr<FakeGlobalShortcuts> desktop = std::make_shared<FakeGlobalShortcuts>();
    std::shared_ptr<AnsweringSampler> sampler = std::make_shared<AnsweringSampler>();
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::unique_ptr<BrimkitDelegate> delegate;

    void SetUp() override
    {
        center = std::make_shared<FakeNotificationCenter>();
        BrimkitPanel::Environment panel = fakePanelEnvironment(clock, defaults);
        panel.clipboard = clipboard;
        panel.colorSampler = sampler;
        panel.shortcuts = std::make_shared<BrimShortcutsModel>(defaults, desktop);
        delegate = std::make_unique<BrimkitDelegate>(environment(), panel);
        delegate->applicationDidFinishLaunching();
    }
    void press(Action action)
    {
        desktop->press(action);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    // The one announcement on show: "title: body".
    QString announced() const
    {
        const auto &shown = center->shown;
        return shown.isEmpty() ? QString() : shown.last().title + QStringLiteral(": ") + shown.last().body;
    }
};
} // namespace

TEST_F(ShortcutsDelegate, TimerAndKeepAwakeDoWhatTheirButtonsDo)
{
    BrimkitModel &model = delegate->model();
    const auto minutesLeft = [&] { return model.countdown().secondsLeft(clock->now()) / 60; };
    press(Action::startFocus);
    EXPECT_EQ(model.kind(), BrimTimerKind::focus);
    EXPECT_EQ(minutesLeft(), 25);
    press(Action::pauseOrResume);
    EXPECT_TRUE(model.isPaused());
    press(Action::startShortBreak);
    EXPECT_EQ(model.kind(), BrimTimerKind::shortBreak);
    EXPECT_EQ(minutesLeft(), 5);
    // The timer tool's minutes, once the user chose some there.
    press(Action::startTimer);
    EXPECT_EQ(model.kind(), BrimTimerKind::timer);
    EXPECT_EQ(minutesLeft(), 25);
    delegate->showPanel();
    delegate->panel().tapCard(BrimTool::timer);
    static_cast<BrimTimerControls *>(delegate->panel().content(BrimTool::timer))->setTimerMinutes(40);
    press(Action::togglePanel);
    EXPECT_FALSE(delegate->panel().isVisible());
    press(Action::startTimer);
    EXPECT_EQ(minutesLeft(), 40);
    press(Action::cancelTimer);
    EXPECT_FALSE(model.isTiming());
    EXPECT_EQ(tracked, QStringList({"brim.pomodorostarted", "brim.timercancelled", "brim.pomodorostarted",
                                    "brim.timercancelled", "brim.timerstarted", "brim.timercancelled",
                                    "brim.timerstarted", "brim.timercancelled"}));

    press(Action::toggleAwake);
    EXPECT_EQ(model.awakeUntil(), clock->now() + 60 * 60);
    EXPECT_EQ(power->held.size(), 1u);
    press(Action::toggleAwake);
    EXPECT_TRUE(power->held.empty());

    press(Action::togglePanel);
    EXPECT_TRUE(delegate->panel().isVisible());
    delegate->applicationWillTerminate();
    EXPECT_FALSE(desktop->running);
}

TEST_F(ShortcutsDelegate, LinksAndColorsLandOnTheClipboardAndTheResultIsAnnounced)
{
    clipboard->plain = QStringLiteral("https://example.com/p?utm_source=a&id=7");
    press(Action::cleanLink);
    EXPECT_EQ(clipboard->plain, QStringLiteral("https://example.com/p?id=7"));
    EXPECT_EQ(announced(), QStringLiteral("Clean Links: Cleaned URL copied."));

    clipboard->plain = QStringLiteral(" https://example.com/");
    press(Action::cleanLink);
    EXPECT_EQ(clipboard->writes, 1);
    EXPECT_EQ(announced(), QStringLiteral("Clean Links: ") + BrimURLError().description());
    EXPECT_EQ(center->removedDelivered, QStringList({"brimkit.shortcut.links", "brimkit.shortcut.links"}));

    press(Action::pickColor);
    EXPECT_EQ(clipboard->plain, QStringLiteral("#FFFFFF"));
    EXPECT_EQ(delegate->panel().colorsTool().hex(), QStringLiteral("#FFFFFF"));
    sampler->answer = {BrimSampledColor::Outcome::cancelled, std::nullopt};
    press(Action::pickColor);
    EXPECT_EQ(clipboard->writes, 2);

    // No notification server: the panel's message bar says it instead.
    center->shown.clear();
    center->current.authorizationStatus = FakeNotificationCenter::Status::denied;
    sampler->answer = {BrimSampledColor::Outcome::unavailable, std::nullopt};
    press(Action::pickColor);
    EXPECT_TRUE(center->shown.isEmpty());
    EXPECT_EQ(delegate->model().message(), BrimColorModel::unavailableMessage());
}

TEST_F(ShortcutsDelegate, SettingsRecordOneCombinationAndSayWhyAKeyCannotWork)
{
    auto shortcuts = std::make_shared<BrimShortcutsModel>(defaults, desktop);
    shortcuts->start();
    BrimShortcutSettings settings(*shortcuts);
    settings.show();
    BrimShortcutRecorder *recorder = settings.recorder(Action::pauseOrResume);
    recorder->setFocus();
    QTest::keyClick(recorder, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(desktop->keys.at(Action::pauseOrResume), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P));
    EXPECT_EQ(recorder->keySequence(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P));

    // Refused: the recorder goes back to the stored key and the note says why.
    QTest::keyClick(recorder, Qt::Key_Q);
    EXPECT_EQ(recorder->keySequence(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P));
    EXPECT_TRUE(settings.note(Action::pauseOrResume)->isVisible());
    EXPECT_EQ(settings.note(Action::pauseOrResume)->text(),
              QStringLiteral("Q alone would stop working for typing. Add Ctrl, Alt or Super."));
    settings.grab().save(QStringLiteral("shortcut-settings.png"));

    // The desktop's own triggers, and a button that asks it to change them.
    desktop->offered = BrimShortcutMechanism::desktopService;
    desktop->triggers.insert(Action::startFocus, QStringLiteral("Meta+F"));
    desktop->handlers.changed();
    EXPECT_FALSE(recorder->isVisible());
    const auto labels = settings.findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel *l) { return l->isVisible() && l->text() == "Meta+F"; }));
    settings.grab().save(QStringLiteral("shortcut-settings-desktop.png"));

    desktop->offered = BrimShortcutMechanism::none;
    desktop->handlers.changed();
    EXPECT_EQ(settings.status()->text(), QStringLiteral("Your desktop does not let applications set global shortcuts."));
    EXPECT_FALSE(recorder->isVisible());
}
