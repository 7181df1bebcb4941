#include "shell/BrimTimerCapsule.h"
#include "shell/BrimTimerOverlayController.h"
#include "tests/shell/ShellFixture.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// What the controller did to its window, kept past the window's destruction.
struct WindowLog {
    bool shown = false;
    bool destroyed = false;
    bool expanded = false;
    QRect frame;
    QList<int> widths;
    int contentHeight = 30;
};

class FakeTimerWindow final : public BrimTimerWindow {
public:
    explicit FakeTimerWindow(std::shared_ptr<WindowLog> log) : m_log(std::move(log)) {}
    ~FakeTimerWindow() override { m_log->destroyed = true; }
    void present(bool expanded) override { m_log->expanded = expanded; }
    int fittingHeight(int) const override { return m_log->contentHeight; }
    void setFrame(const QRect &frame) override
    {
        if (m_log->widths.isEmpty() || m_log->widths.last() != frame.width())
            m_log->widths << frame.width();
        m_log->frame = frame;
    }
    bool isShown() const override { return m_log->shown; }
    void orderFront() override { m_log->shown = true; }
    void orderOut() override { m_log->shown = false; }

private:
    std::shared_ptr<WindowLog> m_log;
};

// One screen with a 32-pixel top panel, and delayed work on a clock that
// only moves when the test says so.
class FakeTimerDesktop final : public BrimTimerDesktop {
public:
    std::optional<Screen> current = Screen{QRect(0, 0, 1280, 800), QRect(0, 32, 1280, 768)};
    std::shared_ptr<WindowLog> log = std::make_shared<WindowLog>();
    BrimTimerWindow::Hooks hooks;
    int windowsMade = 0;

    std::optional<Screen> screen() const override { return current; }
    std::unique_ptr<BrimTimerWindow> makeWindow(BrimkitModel &, BrimTimerWindow::Hooks h) override
    {
        ++windowsMade;
        hooks = h;
        return std::make_unique<FakeTimerWindow>(log);
    }
    std::unique_ptr<QObject> after(std::chrono::milliseconds delay, std::function<void()> work) override
    {
        auto handle = std::make_unique<QObject>();
        m_pending.push_back({m_now + delay, std::move(work), handle.get()});
        return handle;
    }
    // Runs the work that fell due and whose handle still exists.
    void advance(std::chrono::milliseconds by)
    {
        m_now += by;
        auto due = std::move(m_pending);
        for (auto &item : due) {
            if (item.at > m_now)
                m_pending.push_back(std::move(item));
            else if (item.handle)
                item.work();
        }
    }

private:
    struct Pending {
        std::chrono::milliseconds at;
        std::function<void()> work;
        QPointer<QObject> handle;
    };
    std::chrono::milliseconds m_now{0};
    std::vector<Pending> m_pending;
};

struct Overlay : ShellFixture {
    std::shared_ptr<FakeTimerDesktop> desktop = std::make_shared<FakeTimerDesktop>();
    std::unique_ptr<BrimTimerOverlayController> controller =
        std::make_unique<BrimTimerOverlayController>(model, desktop);
    WindowLog &window = *desktop->log;

    static void settle() { QCoreApplication::processEvents(); }
    void finishCountdown()
    {
        clock->advance(model.countdown().secondsLeft(model.now()));
        model.refresh(clock->now());
        settle();
    }
};

} // namespace

TEST(OverlayPlacement, QtCoordinatesFollowThePlacementRule)
{
    struct Case {
        const char *name;
        QRect screen, available;
        QSize size;
        QRect expected;
    };
    const Case cases[] = {
        {"top panel", {0, 0, 1280, 800}, {0, 32, 1280, 768}, {216, 44}, {532, 36, 216, 44}},
        {"no panel, taller content", {0, 0, 1280, 800}, {0, 0, 1280, 800}, {336, 112}, {472, 4, 336, 112}},
        {"left panel keeps screen centre", {0, 0, 1440, 900}, {80, 0, 1360, 900}, {300, 56}, {570, 4, 300, 56}},
        {"screen above and left of the primary", {-1920, -1080, 1920, 1080}, {-1920, -1040, 1920, 1000}, {216, 44},
         {-1068, -1036, 216, 44}},
        {"wider than the work area", {0, 0, 1280, 800}, {100, 0, 200, 800}, {216, 44}, {100, 4, 200, 44}},
        {"work area 3 high", {0, 0, 1280, 800}, {0, 400, 1280, 3}, {216, 44}, {532, 403, 216, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BrimTimerOverlayController::frameOnScreen({c.screen, c.available}, c.size), c.expected) << c.name;
}

TEST_F(Overlay, HiddenWithoutPresentationOrCapsuleAndPinReset)
{
    EXPECT_EQ(desktop->windowsMade, 0);
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    ASSERT_TRUE(window.shown);
    EXPECT_EQ(window.frame, QRect(532, 36, 216, 44));

    desktop->hooks.toggle();
    EXPECT_TRUE(controller->isPinned());
    EXPECT_EQ(window.frame.width(), 336);

    model.setIslandEnabled(false);
    settle();
    EXPECT_FALSE(window.shown);
    EXPECT_FALSE(controller->isPinned());
    model.setIslandEnabled(true);
    settle();
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(window.frame.width(), 216) << "pin survived hiding";

    desktop->hooks.toggle();
    model.cancelTimer();
    settle();
    EXPECT_FALSE(window.shown);
    EXPECT_FALSE(controller->isPinned());
    model.startTimer(5, BrimTimerKind::timer);
    settle();
    EXPECT_EQ(window.frame.width(), 216);
    EXPECT_EQ(desktop->windowsMade, 1) << "the window is made once and reused";
    EXPECT_FALSE(window.destroyed);
}

TEST_F(Overlay, ExpandsOnHoverPinAndCompletion)
{
    model.startTimer(1, BrimTimerKind::timer);
    settle();
    EXPECT_EQ(window.frame, QRect(532, 36, 216, 44));

    window.contentHeight = 110;
    desktop->hooks.hover(true);
    EXPECT_EQ(window.frame, QRect(472, 36, 336, 110)) << "expands at once, centred, at the content's height";
    desktop->hooks.hover(false);
    desktop->advance(349ms);
    EXPECT_EQ(window.frame.width(), 336);
    desktop->advance(1ms);
    EXPECT_EQ(window.frame.width(), 216);

    desktop->hooks.toggle();
    desktop->hooks.hover(true);
    desktop->hooks.hover(false);
    desktop->advance(1s);
    EXPECT_EQ(window.frame.width(), 336) << "a pinned capsule stays expanded";
    desktop->hooks.toggle();
    EXPECT_EQ(window.frame.width(), 216);

    finishCountdown();
    EXPECT_TRUE(window.expanded);
    EXPECT_EQ(window.frame.width(), 336) << "a finished countdown shows expanded";
}

TEST_F(Overlay, LeavingAndReenteringWithinTheDelayNeverCollapses)
{
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    desktop->hooks.hover(true);
    for (int pass = 0; pass < 3; ++pass) {
        desktop->hooks.hover(false);
        desktop->advance(300ms);
        desktop->hooks.hover(true);
    }
    desktop->advance(2s);
    EXPECT_EQ(window.widths, (QList<int>{216, 336}));
    desktop->hooks.hover(false);
    desktop->advance(350ms);
    EXPECT_EQ(window.widths, (QList<int>{216, 336, 216}));
}

TEST_F(Overlay, FollowsScreenChangesAndWaitsForAScreen)
{
    desktop->current.reset();
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    EXPECT_EQ(desktop->windowsMade, 0);

    desktop->current = BrimTimerDesktop::Screen{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)};
    Q_EMIT desktop->screensChanged();
    settle();
    EXPECT_EQ(window.frame, QRect(852, 4, 216, 44));
}

TEST_F(Overlay, CloseLeavesNothingThatReachesTheController)
{
    model.startTimer(25, BrimTimerKind::focus);
    settle();
    desktop->hooks.hover(true);
    desktop->hooks.hover(false);
    const auto hooks = desktop->hooks;
    controller->close();
    EXPECT_TRUE(window.destroyed);

    const QRect lastFrame = window.frame;
    desktop->advance(1s);
    hooks.hover(true);
    hooks.toggle();
    model.startTimer(5, BrimTimerKind::timer);
    Q_EMIT desktop->screensChanged();
    settle();
    EXPECT_EQ(desktop->windowsMade, 1);
    EXPECT_EQ(window.frame, lastFrame);

    // Callbacks and queued updates outliving the controller itself find nothing.
    model.startTimer(25, BrimTimerKind::focus);
    controller.reset();
    hooks.hover(false);
    hooks.toggle();
    desktop->advance(1s);
    settle();
    EXPECT_EQ(desktop->windowsMade, 1);
}

using Capsule = ShellFixture;

TEST_F(Capsule, ButtonsActOnlyOnThePresentationTheyWereBuiltFrom)
{
    const auto finish = [this] {
        clock->advance(model.countdown().secondsLeft(model.now()));
        model.refresh(clock->now());
    };
    struct Case {
        const char *button;
        std::function<void()> before, after;
        std::function<bool()> acted;
    };
    const Case cases[] = {
        {"Cancel", [&] { model.startTimer(25, BrimTimerKind::focus); },
         [&] { model.startTimer(5, BrimTimerKind::timer); }, [&] { return !model.isTiming(); }},
        {"Pause", [&] { model.startTimer(25, BrimTimerKind::focus); },
         [&] { model.startTimer(5, BrimTimerKind::timer); }, [&] { return model.isPaused(); }},
        {"Dismiss", [&] { model.startTimer(1, BrimTimerKind::focus); finish(); },
         [&] { model.startTimer(1, BrimTimerKind::timer); finish(); }, [&] { return !model.completion(); }},
        {"Start short break", [&] { model.startTimer(1, BrimTimerKind::focus); finish(); },
         [&] { model.startTimer(1, BrimTimerKind::timer); finish(); }, [&] { return model.isTiming(); }},
    };
    for (const Case &c : cases) {
        model.cancelTimer();
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
    }
}

TEST_F(Capsule, HeaderReadsNameTimeAndRole)
{
    BrimTimerCapsule capsule(model, {});
    model.startTimer(25, BrimTimerKind::focus);
    clock->advance(60);
    model.refresh(clock->now());
    capsule.present(false);
    EXPECT_EQ(button(capsule, QString())->accessibleName(), QStringLiteral("Focus, 24:00, timer controls"));
    EXPECT_FALSE(button(capsule, QStringLiteral("Pause"))) << "collapsed shows no actions";
    clock->advance(24 * 60);
    model.refresh(clock->now());
    capsule.present(false);
    EXPECT_EQ(button(capsule, QString())->accessibleName(), QStringLiteral("Focus finished"));
}
