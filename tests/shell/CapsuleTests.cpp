#include "shell/BrimTimerCapsule.h"
#include "shell/BrimTimerOverlayController.h"
#include "tests/shell/ShellFixture.h"

#include <QCoreApplication>
#include <QPointer>

using namespace std::chrono_literals;

namespace {

// One 1280x800 screen under a 32-pixel top panel, the capsule window as plain
// state, and delayed work on a clock that moves only when the test says so.
class FakeDesktop final : public CapsuleDesktop {
public:
    std::optional<Screen> current = Screen{{0, 0, 1280, 800}, {0, 32, 1280, 768}};
    CapsuleWindow::Hooks hooks;
    int made = 0, contentHeight = 30;
    bool shown = false, destroyed = false;
    QRect frame;
    QList<int> widths; // each width taken, in order

    std::optional<Screen> screen() const override { return current; }
    std::unique_ptr<CapsuleWindow> makeWindow(BrimkitModel &, CapsuleWindow::Hooks h) override
    {
        ++made;
        hooks = h;
        return std::make_unique<Window>(*this);
    }
    std::unique_ptr<QObject> after(std::chrono::milliseconds delay, std::function<void()> work) override
    {
        auto handle = std::make_unique<QObject>();
        m_pending.push_back({m_now + delay, std::move(work), handle.get()});
        return handle;
    }
    // Runs the work that fell due unless its handle was dropped.
    void advance(std::chrono::milliseconds by)
    {
        m_now += by;
        for (Pending &p : std::exchange(m_pending, {})) {
            if (p.at > m_now)
                m_pending.push_back(std::move(p));
            else if (p.handle)
                p.work();
        }
    }

private:
    struct Window final : CapsuleWindow {
        explicit Window(FakeDesktop &d) : d(d) {}
        ~Window() override { d.destroyed = true; }
        void present(bool) override {}
        int fittingHeight(int) const override { return d.contentHeight; }
        void setFrame(const QRect &frame) override
        {
            if (d.widths.isEmpty() || d.widths.last() != frame.width())
                d.widths << frame.width();
            d.frame = frame;
        }
        bool isShown() const override { return d.shown; }
        void orderFront() override { d.shown = true; }
        void orderOut() override { d.shown = false; }
        FakeDesktop &d;
    };
    struct Pending {
        std::chrono::milliseconds at;
        std::function<void()> work;
        QPointer<QObject> handle;
    };
    std::chrono::milliseconds m_now{0};
    std::vector<Pending> m_pending;
};

struct CapsuleController : ShellFixture {
    std::shared_ptr<FakeDesktop> desktop = std::make_shared<FakeDesktop>();
    std::unique_ptr<BrimTimerOverlayController> controller =
        std::make_unique<BrimTimerOverlayController>(model, desktop);

    static void settle() { QCoreApplication::processEvents(); }
};

} // namespace

TEST_F(CapsuleController, HiddenWithoutPresentationOrCapsuleAndPinReset)
{
    model.startTimer(25, BrimTimerKind::focus);
    EXPECT_EQ(desktop->made, 0) << "updates wait for the next event-loop turn";
    settle();
    ASSERT_TRUE(desktop->shown);
    EXPECT_EQ(desktop->frame, QRect(532, 36, 216, 44));

    for (const auto &hide : std::vector<std::function<void()>>{[&] { model.setIslandEnabled(false); },
                                                               [&] { model.cancelTimer(); }}) {
        desktop->hooks.toggle();
        EXPECT_EQ(desktop->frame.width(), 336);
        hide();
        settle();
        EXPECT_FALSE(desktop->shown);
        EXPECT_FALSE(controller->isPinned());
        model.setIslandEnabled(true);
        model.startTimer(5, BrimTimerKind::timer);
        settle();
        EXPECT_TRUE(desktop->shown);
        EXPECT_EQ(desktop->frame.width(), 216) << "the pin survived hiding";
    }
    EXPECT_EQ(desktop->made, 1) << "the window is made once and reused";
    EXPECT_FALSE(desktop->destroyed);
}

TEST_F(CapsuleController, StepsOutOfTheOpenPanelsWayOnlyWhereTheyMeet)
{
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    for (const auto &[panel, shown] : std::vector<std::pair<QRect, bool>>{
             {QRect(592, 32, 688, 567), false}, {QRect(800, 32, 480, 567), true}, {QRect(), true}}) {
        controller->setPanelFrame(panel);
        EXPECT_EQ(desktop->shown, shown) << panel.x();
    }
}

// Completion shows expanded: the capsule's end-to-end run sees it.
TEST_F(CapsuleController, ExpandsOnHoverAndPin)
{
    model.startTimer(1, BrimTimerKind::timer);
    settle();
    desktop->contentHeight = 110;
    desktop->hooks.hover(true);
    EXPECT_EQ(desktop->frame, QRect(472, 36, 336, 110)) << "expands at once, centred, as high as its content";
    // Leaving and coming back within the delay never collapses.
    for (int pass = 0; pass < 3; ++pass) {
        desktop->hooks.hover(false);
        desktop->advance(300ms);
        desktop->hooks.hover(true);
    }
    desktop->advance(2s);
    desktop->hooks.hover(false);
    desktop->advance(349ms);
    EXPECT_EQ(desktop->frame.width(), 336);
    desktop->advance(1ms);
    EXPECT_EQ(desktop->widths, (QList<int>{216, 336, 216}));

    desktop->hooks.toggle();
    desktop->hooks.hover(true);
    desktop->hooks.hover(false);
    desktop->advance(1s);
    EXPECT_EQ(desktop->frame.width(), 336) << "a pinned capsule stays expanded";
    desktop->hooks.toggle();
    EXPECT_EQ(desktop->frame.width(), 216);
}

TEST_F(CapsuleController, WaitsForAScreenAndFollowsScreenChanges)
{
    desktop->current.reset();
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    EXPECT_EQ(desktop->made, 0);
    desktop->current = CapsuleDesktop::Screen{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
    Q_EMIT desktop->screensChanged();
    settle();
    EXPECT_EQ(desktop->frame, QRect(852, 4, 216, 44));
}

TEST_F(CapsuleController, CloseLeavesNothingThatReachesTheController)
{
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    desktop->hooks.hover(true);
    desktop->hooks.hover(false);
    const auto hooks = desktop->hooks;
    const QRect lastFrame = desktop->frame;
    controller->close();
    EXPECT_TRUE(desktop->destroyed);

    // Then even the controller goes: callbacks and queued updates find nothing.
    for (int pass = 0; pass < 2; ++pass) {
        model.startTimer(5, BrimTimerKind::timer);
        Q_EMIT desktop->screensChanged();
        hooks.hover(true);
        hooks.toggle();
        desktop->advance(1s);
        settle();
        EXPECT_EQ(desktop->made, 1);
        EXPECT_EQ(desktop->frame, lastFrame);
        controller.reset();
    }
}

using Capsule = ShellFixture;

TEST_F(Capsule, ButtonsActOnlyOnThePresentationTheyWereBuiltFrom)
{
    const auto focus = [&] { model.startTimer(25, BrimTimerKind::focus); };
    const auto timer = [&] { model.startTimer(5, BrimTimerKind::timer); };
    const auto finished = [&](BrimTimerKind kind) {
        return [this, kind] {
            model.startTimer(1, kind);
            clock->advance(60);
            model.refresh(clock->now());
        };
    };
    struct Case { const char *button; std::function<void()> before, after; std::function<bool()> acted; };
    const Case cases[] = {
        {"Cancel", focus, timer, [&] { return !model.isTiming(); }},
        {"Pause", focus, timer, [&] { return model.isPaused(); }},
        {"Dismiss", finished(BrimTimerKind::focus), finished(BrimTimerKind::timer), [&] { return !model.completion(); }},
        {"Start short break", finished(BrimTimerKind::focus), finished(BrimTimerKind::timer),
         [&] { return model.isTiming(); }},
    };
    for (const Case &c : cases) {
        BrimTimerCapsule capsule(model, {});
        c.before();
        capsule.present(true);
        QAbstractButton *stale = button(capsule, QString::fromUtf8(c.button));
        ASSERT_TRUE(stale) << c.button;
        c.after();
        stale->click();
        EXPECT_FALSE(c.acted()) << c.button << " acted on a newer timer";

        c.before();
        capsule.present(true);
        button(capsule, QString::fromUtf8(c.button))->click();
        EXPECT_TRUE(c.acted()) << c.button << " did nothing on its own timer";
        model.cancelTimer();
    }
}

TEST_F(Capsule, CountsTheOtherFiredAlarmsAndShortensNamesOnlyBetweenWords)
{
    for (const char *title : {"Alarm 16 with the weekly planning notes", "Standup", "Lunch"})
        model.alarms().add(QString::fromUtf8(title), clock->now() + 60, clock->now());
    clock->advance(61);
    model.refresh(clock->now());
    BrimTimerCapsule capsule(model, {});
    capsule.present(true);
    capsule.resize(336, 120);
    capsule.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(shows(capsule, QStringLiteral("and 2 more")));

    const QFontMetrics metrics(capsule.font());
    const auto fitting = [&](const char *text) { return metrics.horizontalAdvance(QString::fromUtf8(text)) + 1; };
    const struct { const char *name; int width; const char *shown; } cases[] = {
        {"Alarm 16 with notes", fitting("Alarm 16 with…"), "Alarm 16 with…"},
        {"Alarm 16 with notes", fitting("Alarm 1…"), "Alarm…"},
        {"Alarm 16", fitting("Alarm 16"), "Alarm 16"},
        {"1234567 Standup", fitting("12345…"), "…"},
        {"Supercalifragilistic", fitting("Supercal…"), "Supercal…"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BrimTimerCapsule::shortName(QString::fromUtf8(c.name), metrics, c.width), QString::fromUtf8(c.shown))
            << c.name << " in " << c.width;
}
