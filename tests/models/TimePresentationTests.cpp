#include "tests/support/ModelFakes.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <ctime>

namespace {

struct Presentation : ::testing::Test, FakeModelEnvironment {
    BrimDate t0 = clock->now();
    std::unique_ptr<BrimkitModel> model = makeModel();

    void at(double secondsAfterStart)
    {
        clock->set(t0 + secondsAfterStart);
        model->refresh(clock->now());
    }
    void addAlarm(const QString &title, BrimDate date) { model->alarms().add(title, date, clock->now()); }
};

// Locale and time zone for one scope.
struct ScopedLocale {
    QLocale saved;
    QByteArray savedTz = qgetenv("TZ");
    explicit ScopedLocale(const char *name)
    {
        QLocale::setDefault(QLocale(QLatin1String(name)));
        qputenv("TZ", "UTC");
        ::tzset();
    }
    ~ScopedLocale()
    {
        QLocale::setDefault(saved);
        savedTz.isNull() ? qunsetenv("TZ") : qputenv("TZ", savedTz);
        ::tzset();
    }
};

} // namespace

TEST(BrimTimePresentationText, ClockHasNoHourField)
{
    const std::pair<std::int64_t, const char *> rows[] = {
        {0, "00:00"}, {1, "00:01"}, {59, "00:59"}, {60, "01:00"}, {754, "12:34"}, {5400, "90:00"}, {14400, "240:00"}};
    for (const auto &[seconds, text] : rows)
        EXPECT_EQ(BrimTimePresentation::clockText(seconds), QLatin1String(text)) << seconds;
}

TEST_F(Presentation, DatesReadAbbreviatedAndTimesNeverShowSeconds)
{
    addAlarm(QStringLiteral("Tea"), BrimDate::fromDateTime(QDateTime(QDate(2028, 11, 20), QTime(4, 26, 40), QTimeZone::utc())));
    const struct { const char *locale, *time, *detail; } rows[] = {
        {"en_US", "4:26 AM", "Scheduled for Nov 20, 2028, 4:26 AM"},
        {"C", "04:26", "Scheduled for 20 Nov 2028, 04:26"},
        {"de_DE", "04:26", "Scheduled for 20. Nov. 2028, 04:26"},
    };
    for (const auto &row : rows) {
        const ScopedLocale locale(row.locale);
        EXPECT_EQ(model->menuTitle(), QString::fromUtf8(row.time)) << row.locale;
        EXPECT_EQ(model->timePresentation()->value(), QString::fromUtf8(row.time)) << row.locale;
        EXPECT_EQ(model->timePresentation()->detail(), QString::fromUtf8(row.detail)) << row.locale;
    }
}

// What the tray shows, in the order its rules rank the situations.
TEST_F(Presentation, TrayTitleSymbolAndLabelFollowTheRanking)
{
    const auto label = [](const char *rest) { return QStringLiteral("Ostrel Brimkit") + QString::fromUtf8(rest); };
    const auto expect = [&](const char *title, const char *symbol, const char *rest) {
        EXPECT_EQ(model->menuTitle(), QString::fromUtf8(title));
        EXPECT_EQ(model->statusSymbol(), QLatin1String(symbol));
        EXPECT_EQ(model->accessibilityLabel(), label(rest));
    };
    expect("", "wrench.and.screwdriver", "");
    model->startAwake(60);
    expect("Awake", "wrench.and.screwdriver", ", Brimkit, Awake");
    addAlarm(QStringLiteral("Tea"), t0 + 3600);
    EXPECT_EQ(model->menuTitle(), BrimTimePresentation::timeText(t0 + 3600)); // an upcoming alarm beats keep-awake
    addAlarm(QStringLiteral("Call back"), t0 + 90);
    model->startTimer(25, BrimTimerKind::focus);
    at(60);
    expect("24:00", "leaf.fill", ", Focus, 24:00"); // a countdown beats an upcoming alarm
    at(89.2);
    expect("23:31", "leaf.fill", ", Focus, 23:31"); // rounded up
    at(90);
    expect("! 23:30", "alarm.fill", ", Call back, ! 23:30"); // a fired alarm beats all, the title still counts
    at(90 + 66);
    model->pauseOrResume();
    expect("! 22:24", "alarm.fill", ", Call back, ! 22:24"); // paused counts as timing too
    model->alarms().remove(model->alarms().book().completed().first().id);
    expect("\u2161 22:24", "leaf.fill", ", Focus, \u2161 22:24");
    model->pauseOrResume();
    at(90 + 66 + 1344 - 0.4);
    expect("00:01", "leaf.fill", ", Focus, 00:01");
    at(1500 + 66);
    expect("Done", "checkmark.circle.fill", ", Focus finished, Done");
    model->dismissCompletion();
    at(3600);
    expect("Alarm", "alarm.fill", ", Tea, Alarm");
}

TEST_F(Presentation, EachCaseSaysWhatItIsAndWhatItsButtonsDo)
{
    const auto check = [&](bool complete, std::optional<QString> value, const QString &detail,
                           std::optional<QString> primary, const char *secondary) {
        const auto p = model->timePresentation();
        ASSERT_TRUE(p);
        EXPECT_EQ(p->isComplete(), complete);
        EXPECT_EQ(p->value(), value);
        EXPECT_EQ(p->detail(), detail);
        EXPECT_EQ(p->primaryTitle(), primary);
        EXPECT_EQ(p->secondaryTitle(), QLatin1String(secondary));
    };
    const struct { BrimTimerKind kind; const char *detail, *primary; } completed[] = {
        {BrimTimerKind::timer, "Your timer has ended.", "Restart timer"},
        {BrimTimerKind::focus, "Time for a break.", "Start short break"},
        {BrimTimerKind::longBreak, "Ready for another focus session?", "Start focus"},
    };
    for (const auto &row : completed) {
        model->startTimer(1, row.kind);
        advance(*model, 60);
        EXPECT_EQ(model->timePresentation()->timerComplete()->id, model->timerID());
        check(true, std::nullopt, QLatin1String(row.detail), QLatin1String(row.primary), "Dismiss");
    }
    model->startTimer(25, BrimTimerKind::focus);
    EXPECT_EQ(model->timePresentation()->countdown()->id, model->timerID());
    check(false, QStringLiteral("25:00"), QStringLiteral("Ends at ") + BrimTimePresentation::timeText(clock->now() + 1500),
          QStringLiteral("Pause"), "Cancel");
    model->pauseOrResume();
    check(false, QStringLiteral("25:00"), QStringLiteral("Paused"), QStringLiteral("Resume"), "Cancel");
    model->cancelTimer();
    const BrimDate when = clock->now() + 600;
    addAlarm(QStringLiteral("Tea"), when);
    check(false, BrimTimePresentation::timeText(when), QStringLiteral("Scheduled for ") + BrimTimePresentation::dateTimeText(when),
          std::nullopt, "Cancel");
    advance(*model, 600);
    check(true, std::nullopt, QStringLiteral("Was scheduled for ") + BrimTimePresentation::dateTimeText(when),
          std::nullopt, "Dismiss");
}
