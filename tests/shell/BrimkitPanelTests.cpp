#include "core/BrimToolPreferences.h"
#include "models/BrimColorModel.h"
#include "shell/BrimkitPanel.h"
#include "shell/BrimPanelCustomization.h"
#include "shell/BrimToolCard.h"
#include "shell/BrimToolGrid.h"
#include "tests/shell/PanelFixture.h"
#include "tests/shell/ShellFixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace {

struct Panel : ShellFixture {
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    BrimkitPanel panel{model, nullptr, fakePanelEnvironment(clock, defaults)};
    QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QRect topRightIcon{available.right() - 40, available.top(), 24, 24};

    void open(const char *enabled = "awake,timer,alarms,links,apps,colors,text,qr", const char *favorites = "awake,timer")
    {
        defaults->setString(BrimToolPreferences::enabledKey, QString::fromUtf8(enabled));
        defaults->setString(BrimToolPreferences::favoritesKey, QString::fromUtf8(favorites));
        defaults->setInteger(BrimToolPreferences::toolsVersionKey, BrimToolPreferences::currentToolsVersion);
        panel.popUp(topRightIcon);
        settle();
        // Off the grid, where a new order would wait for it to leave.
        QTest::mouseMove(symbolButton("Customize tools"));
    }
    QString grid() const
    {
        QStringList keys;
        for (BrimTool tool : panel.grid()->tools())
            keys << tool.rawValue();
        return keys.join(QLatin1Char(','));
    }
    BrimToolCard *card(BrimTool tool) const { return panel.grid()->card(tool); }
    QCheckBox *toggle(BrimTool tool)
    {
        if (!panel.isCustomizing())
            panel.toggleCustomizing();
        return panel.customization()->toggle(tool);
    }
    void shot(const QString &name) { panel.grab().save(QStringLiteral("panel-%1.png").arg(name)); }
    BrimAlarm addAlarm(const QString &title, double secondsAhead)
    {
        model.alarms().add(title, clock->now() + secondsAhead, clock->now());
        return model.alarms().book().alarms().last();
    }
    bool inside(const QRect &frame) const { return available.contains(frame); }
    // Layout requests travel up the widget tree one turn of the event loop at a time.
    static void settle()
    {
        for (int turn = 0; turn < 4; ++turn)
            QCoreApplication::processEvents();
    }
    bool shows(const QString &text) { return ShellFixture::shows(panel, text); }
    QToolButton *symbolButton(const char *name) const
    {
        for (auto *b : panel.findChildren<QToolButton *>()) {
            if (b->accessibleName() == QLatin1String(name))
                return b;
        }
        return nullptr;
    }
};

} // namespace

TEST_F(Panel, EveryToolOpensInThePaneWithoutChangingTheWidth)
{
    open();
    const int width = panel.width();
    shot(QStringLiteral("closed")); // the pictures land in the build folder, for the eye
    for (BrimTool tool : BrimTool::allCases()) {
        card(tool)->click();
        settle();
        EXPECT_EQ(panel.selected(), tool);
        EXPECT_TRUE(panel.content(tool)->isVisible()) << tool.rawValue().toStdString();
        EXPECT_EQ(panel.width(), width) << tool.rawValue().toStdString();
        shot(tool.rawValue());
    }
    panel.toggleCustomizing();
    settle();
    EXPECT_FALSE(panel.content(BrimTool::qr)->isVisible());
    shot(QStringLiteral("customize"));
}

TEST_F(Panel, GridColumnsFollowTheNumberOfTools)
{
    struct Case { const char *enabled; int columns; };
    for (const Case c : {Case{"awake,timer,alarms,links", 2}, Case{"awake,timer,alarms,links,apps", 3}}) {
        open(c.enabled, "");
        QSet<int> lefts;
        for (BrimTool tool : panel.grid()->tools())
            lefts << card(tool)->x();
        EXPECT_EQ(lefts.size(), c.columns) << c.enabled;
    }
}

TEST_F(Panel, SwitchingEveryToolOffLeavesAHintAndStoresNone)
{
    open("awake,text", "");
    for (BrimTool tool : {BrimTool::awake, BrimTool::text})
        QTest::mouseClick(toggle(tool), Qt::LeftButton, {}, QPoint(4, toggle(tool)->height() / 2));
    EXPECT_EQ(defaults->stringValue(BrimToolPreferences::enabledKey), QStringLiteral("none"));
    EXPECT_TRUE(panel.grid()->tools().isEmpty());
    EXPECT_TRUE(shows(QStringLiteral("Enable a tool in Customize tools.")));
    QTest::mouseClick(toggle(BrimTool::qr), Qt::LeftButton, {}, QPoint(4, toggle(BrimTool::qr)->height() / 2));
    EXPECT_EQ(defaults->stringValue(BrimToolPreferences::enabledKey), QStringLiteral("qr"));
}

TEST_F(Panel, AToolInUseCannotBeSwitchedOff)
{
    open();
    const BrimAlarm alarm = addAlarm(QStringLiteral("Standup"), 60);
    clock->advance(61);
    model.refresh(clock->now());
    ASSERT_EQ(model.alarms().book().completed().size(), 1);
    model.startTimer(5, BrimTimerKind::timer);
    EXPECT_FALSE(toggle(BrimTool::alarms)->isEnabled());
    EXPECT_FALSE(toggle(BrimTool::timer)->isEnabled());
    EXPECT_TRUE(toggle(BrimTool::awake)->isEnabled());
    model.alarms().remove(alarm.id);
    model.cancelTimer();
    EXPECT_TRUE(toggle(BrimTool::alarms)->isEnabled());
    EXPECT_TRUE(toggle(BrimTool::timer)->isEnabled());
}

TEST_F(Panel, SelectionClosesByCardCloseButtonOrDisabling)
{
    open();
    QApplication::setActiveWindow(&panel);
    // A second press on the selected card closes it, however soon it comes.
    QTest::mouseClick(card(BrimTool::colors), Qt::LeftButton);
    EXPECT_TRUE(panel.content(BrimTool::colors)->isAncestorOf(QApplication::focusWidget()));
    QTest::mouseClick(card(BrimTool::colors), Qt::LeftButton);
    EXPECT_FALSE(panel.detailPane()->isVisible());

    card(BrimTool::colors)->click();
    QTest::mouseClick(symbolButton("Close tool panel"), Qt::LeftButton);
    EXPECT_FALSE(panel.selected());

    card(BrimTool::colors)->click();
    panel.setToolEnabled(BrimTool::colors, false);
    EXPECT_FALSE(panel.selected());
    EXPECT_FALSE(card(BrimTool::colors));

}

TEST_F(Panel, CardsReadTheirStatusAndTheSelectedOneSaysSo)
{
    open();
    model.startTimer(2, BrimTimerKind::timer);
    model.startAwake(15);
    addAlarm(QStringLiteral("Standup"), 10);
    addAlarm(QStringLiteral("Lunch"), 3600);
    addAlarm(QStringLiteral("Call"), 7200);
    clock->advance(55);
    model.refresh(clock->now());
    EXPECT_EQ(card(BrimTool::timer)->accessibleName(), QStringLiteral("Timer, 01:05"));
    EXPECT_EQ(card(BrimTool::alarms)->accessibleName(), QStringLiteral("Alarms, Due"));
    EXPECT_EQ(card(BrimTool::awake)->accessibleName(), QStringLiteral("Keep Awake, Active"));
    EXPECT_EQ(card(BrimTool::text)->accessibleName(), QStringLiteral("Text"));

    card(BrimTool::text)->click();
    auto selected = [this](BrimTool tool) { return QAccessible::queryAccessibleInterface(card(tool))->state().selected; };
    EXPECT_TRUE(selected(BrimTool::text));
    EXPECT_FALSE(selected(BrimTool::timer));
    panel.toggleCustomizing();
    EXPECT_FALSE(selected(BrimTool::text));
}

TEST_F(Panel, EachOpeningMigratesTheListsAndSynchronisesAlarms)
{
    defaults->setString(BrimToolPreferences::enabledKey, QStringLiteral("awake,timer"));
    defaults->setInteger(BrimToolPreferences::toolsVersionKey, 1);
    model.setSoundEnabled(false);
    panel.popUp(topRightIcon);
    EXPECT_EQ(defaults->stringValue(BrimToolPreferences::enabledKey), QStringLiteral("awake,timer,colors,text,qr,alarms"));
    EXPECT_EQ(grid(), QStringLiteral("awake,timer,colors,text,qr,alarms"));
    EXPECT_FALSE(model.alarms().sound());
}

TEST_F(Panel, StaysOnScreenWhateverItShowsAndWhereverTheTrayIs)
{
    struct Case { const char *name; QRect icon; };
    const Case cases[] = {
        {"top-right", topRightIcon},
        {"bottom-left", QRect(available.left() + 2, available.bottom() - 24, 24, 24)},
        {"pointer", QRect()},
    };
    QCursor::setPos(available.center());
    for (const Case &c : cases) {
        panel.hide();
        panel.popUp(c.icon);
        const QSize size = panel.size();
        EXPECT_TRUE(inside(panel.frameGeometry())) << c.name;

        // An 80-character title and twenty alarms change neither width nor height.
        card(BrimTool::alarms)->click();
        addAlarm(QString(80, QLatin1Char('W')), 600);
        for (int i = 1; i < 20; ++i)
            addAlarm(QStringLiteral("Alarm %1").arg(i), 600 + i * 60);
        settle();
        EXPECT_EQ(panel.size(), size) << c.name;
        if (std::string(c.name) == "top-right")
            shot(QStringLiteral("alarms-full"));

        // A message has its row already: nothing moves, however long it is.
        const QPoint gridAt = panel.grid()->mapToGlobal(QPoint());
        model.setMessage(QStringLiteral("A long message ").repeated(12));
        settle();
        EXPECT_EQ(panel.size(), size) << c.name;
        EXPECT_EQ(panel.grid()->mapToGlobal(QPoint()), gridAt) << c.name;
        QTest::mouseClick(symbolButton("Dismiss message"), Qt::LeftButton);
        EXPECT_FALSE(model.message()) << c.name;
        const QList<BrimAlarm> saved = model.alarms().book().alarms();
        for (const BrimAlarm &alarm : saved)
            model.alarms().remove(alarm.id);
        panel.closeDetail();
    }
}

// The order of Tab through cards, stars and rows is the panel's end-to-end run's.
TEST_F(Panel, ARowAddedWhileOpenJoinsTheTabChainAndCancellingItKeepsTheFocusInThePane)
{
    open("alarms,text", "");
    QApplication::setActiveWindow(&panel);
    card(BrimTool::alarms)->click();
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), QStringLiteral("Title (optional)"));
    addAlarm(QStringLiteral("Standup"), 600);
    for (int i = 0; i < 10 && QApplication::focusWidget()->accessibleName() != QStringLiteral("Cancel alarm: Standup"); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget()->accessibleName(), QStringLiteral("Cancel alarm: Standup"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(model.alarms().book().alarms().isEmpty());
    EXPECT_TRUE(panel.content(BrimTool::alarms)->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(Panel, ControlsKeepTheirPlaceAndStateShowsAtOnce)
{
    open();
    card(BrimTool::timer)->click();
    settle();
    QWidget *timer = panel.content(BrimTool::timer);
    const QPoint startOnPanel = ShellFixture::button(*timer, "Start")->mapTo(&panel, QPoint());
    QTest::mouseClick(ShellFixture::button(*timer, "Start"), Qt::LeftButton);
    // Shown at once, without waiting for the clock.
    EXPECT_EQ(card(BrimTool::timer)->accessibleName(), QStringLiteral("Timer, 25:00"));
    QAbstractButton *pause = ShellFixture::button(*timer, "Pause");
    ASSERT_TRUE(pause);
    const QRect pauseAt = pause->geometry(), cancelAt = ShellFixture::button(*timer, "Cancel")->geometry();
    // Where Start was, a second click finds no button of the running timer.
    QWidget *under = timer->childAt(timer->mapFrom(&panel, startOnPanel) + QPoint(4, 4));
    EXPECT_FALSE(qobject_cast<QAbstractButton *>(under));
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_EQ(ShellFixture::button(*timer, "Resume")->geometry(), pauseAt);
    EXPECT_EQ(ShellFixture::button(*timer, "Cancel")->geometry(), cancelAt);
}

// Favourites come first, but a new order waits until the pointer has left
// the grid; the stored list changes at once.
TEST_F(Panel, FavouritesComeFirstOnceThePointerHasLeftTheGrid)
{
    open("awake,timer,alarms", "alarms");
    EXPECT_EQ(grid(), QStringLiteral("alarms,awake,timer"));
    EXPECT_EQ(card(BrimTool::timer)->star()->accessibleName(), QStringLiteral("Favorite Timer"));
    QTest::mouseMove(card(BrimTool::alarms)->star());
    QTest::mouseClick(card(BrimTool::alarms)->star(), Qt::LeftButton);
    EXPECT_EQ(defaults->stringValue(BrimToolPreferences::favoritesKey), QString());
    EXPECT_EQ(card(BrimTool::alarms)->star()->accessibleName(), QStringLiteral("Favorite Alarms"));
    EXPECT_EQ(grid(), QStringLiteral("alarms,awake,timer"));
    QTest::mouseMove(symbolButton("Customize tools"));
    EXPECT_EQ(grid(), QStringLiteral("awake,timer,alarms"));
    // Moved cards hold back a click for a moment: a double-click cannot reach the one now there.
    QTest::mouseClick(card(BrimTool::awake), Qt::LeftButton);
    EXPECT_FALSE(panel.selected());
}

TEST_F(Panel, EveryDisabledControlSaysWhy)
{
    open();
    for (int i = 0; i < 20; ++i)
        addAlarm(QStringLiteral("Alarm %1").arg(i), 600 + i * 60);
    model.startTimer(5, BrimTimerKind::timer);
    QStringList saved;
    for (int i = 0; i < 20; ++i)
        saved << BrimRGB{std::uint8_t(i), 0, 0}.hex();
    defaults->setString(BrimColorModel::savedColorsKey, saved.join(u','));
    QStringList unexplained;
    const auto tools = BrimTool::allCases();
    for (std::size_t step = 0; step <= tools.size(); ++step) {
        if (step < tools.size())
            card(tools[step])->click();
        else
            panel.toggleCustomizing();
        settle();
        for (auto *w : panel.findChildren<QWidget *>()) {
            if (w->isVisible() && !w->isEnabled() && w->focusPolicy() != Qt::NoFocus
                && (w->toolTip().isEmpty() || w->accessibleDescription().isEmpty()))
                unexplained << w->metaObject()->className() + QStringLiteral(" ") + w->accessibleName();
        }
    }
    EXPECT_TRUE(unexplained.isEmpty()) << unexplained.join(u'\n').toStdString();

    const struct { const char *control, *reason; } cases[] = {
        {"Launch at login", "Install this app and reopen it to enable launch at login."},
        {"Share usage statistics", "Usage statistics are not configured in this build."},
        {"Timer", "Stop the timer before hiding this tool."},
        {"Alarms", "Cancel or dismiss every saved alarm before hiding this tool."},
    };
    for (const auto &c : cases) {
        const QAbstractButton *b = ShellFixture::button(*panel.customization(), c.control);
        EXPECT_EQ(b ? b->accessibleDescription() : QString(), QString::fromUtf8(c.reason)) << c.control;
    }
}

// A tool window (pop-ups are hidden from screen readers) that closes as a pop-up does.
TEST_F(Panel, ClosesWhenAnotherWindowTakesTheFocus)
{
    open();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(panel.isVisible());
}
