#include "models/BrimTimePresentation.h"

#include <QLocale>

QString BrimTimePresentation::clockText(std::int64_t seconds)
{
    const std::int64_t minutes = seconds / 60;
    return QStringLiteral("%1:%2")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds - minutes * 60, 2, 10, QLatin1Char('0'));
}

QString BrimTimePresentation::timeText(BrimDate date)
{
    return QLocale().toString(date.toDateTime().toLocalTime().time(), QLocale::ShortFormat);
}

QString BrimTimePresentation::dateTimeText(BrimDate date)
{
    const QDateTime local = date.toDateTime().toLocalTime();
    const QLocale locale;
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(local.time(), QLocale::ShortFormat);
}

bool BrimTimePresentation::isComplete() const
{
    if (countdown())
        return false;
    if (const Alarm *a = alarm())
        return a->alarm.firedAt.has_value();
    return true;
}

std::optional<QString> BrimTimePresentation::value() const
{
    if (const Countdown *c = countdown())
        return clockText(c->remaining);
    if (const Alarm *a = alarm(); a && !a->alarm.firedAt)
        return timeText(a->alarm.date);
    return std::nullopt;
}

QString BrimTimePresentation::detail() const
{
    if (const Countdown *c = countdown()) {
        if (c->paused)
            return QStringLiteral("Paused");
        return QStringLiteral("Ends at ") + (c->deadline ? timeText(*c->deadline) : QString());
    }
    if (const TimerComplete *t = timerComplete()) {
        switch (t->kind.value()) {
        case BrimTimerKind::timer: return QStringLiteral("Your timer has ended.");
        case BrimTimerKind::focus: return QStringLiteral("Time for a break.");
        case BrimTimerKind::shortBreak:
        case BrimTimerKind::longBreak: break;
        }
        return QStringLiteral("Ready for another focus session?");
    }
    const BrimAlarm &a = alarm()->alarm;
    return (a.firedAt ? QStringLiteral("Was scheduled for") : QStringLiteral("Scheduled for")) + QLatin1Char(' ')
        + dateTimeText(a.date);
}

std::optional<QString> BrimTimePresentation::primaryTitle() const
{
    if (const Countdown *c = countdown())
        return c->paused ? QStringLiteral("Resume") : QStringLiteral("Pause");
    if (const TimerComplete *t = timerComplete())
        return t->nextTitle;
    return std::nullopt;
}

QString BrimTimePresentation::secondaryTitle() const
{
    if (countdown())
        return QStringLiteral("Cancel");
    if (timerComplete())
        return QStringLiteral("Dismiss");
    return alarm()->alarm.firedAt ? QStringLiteral("Dismiss") : QStringLiteral("Cancel");
}
