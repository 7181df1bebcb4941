#include "models/BrimTimePresentation.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

// The locale's long date without the weekday and with the month abbreviated:
// "Nov 20, 2028" in en_US, "20. Nov. 2028" in de_DE.
QString abbreviatedDateFormat(const QLocale &locale)
{
    static const QRegularExpression weekday(QStringLiteral("[,\u060C]?\\s*d{3,4}[,\u060C]?\\s*"));
    QString format = locale.dateFormat(QLocale::LongFormat).remove(weekday);
    return format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM")).trimmed();
}

} // namespace

QString BrimTimePresentation::shortTimeFormat(const QLocale &locale)
{
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+(\\.z+)?"));
    return locale.timeFormat(QLocale::ShortFormat).remove(seconds).trimmed();
}

QString BrimTimePresentation::clockText(std::int64_t seconds)
{
    const std::int64_t minutes = seconds / 60;
    return QStringLiteral("%1:%2")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds - minutes * 60, 2, 10, QLatin1Char('0'));
}

QString BrimTimePresentation::timeText(BrimDate date)
{
    const QLocale locale;
    return locale.toString(date.toDateTime().toLocalTime().time(), shortTimeFormat(locale));
}

QString BrimTimePresentation::dateTimeText(BrimDate date)
{
    const QDateTime local = date.toDateTime().toLocalTime();
    const QLocale locale;
    //: An abbreviated date, then a time of day.
    return tr("%1, %2").arg(locale.toString(local.date(), abbreviatedDateFormat(locale)),
                            locale.toString(local.time(), shortTimeFormat(locale)));
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
            return tr("Paused");
        return tr("Ends at %1").arg(c->deadline ? timeText(*c->deadline) : QString());
    }
    if (const TimerComplete *t = timerComplete()) {
        switch (t->kind.value()) {
        case BrimTimerKind::timer: return tr("Your timer has ended.");
        case BrimTimerKind::focus: return tr("Time for a break.");
        case BrimTimerKind::shortBreak:
        case BrimTimerKind::longBreak: break;
        }
        return tr("Ready for another focus session?");
    }
    const BrimAlarm &a = alarm()->alarm;
    return (a.firedAt ? tr("Was scheduled for %1") : tr("Scheduled for %1")).arg(dateTimeText(a.date));
}

std::optional<QString> BrimTimePresentation::primaryTitle() const
{
    if (const Countdown *c = countdown())
        return c->paused ? tr("Resume") : tr("Pause");
    if (const TimerComplete *t = timerComplete())
        return t->nextTitle;
    return std::nullopt;
}

QString BrimTimePresentation::secondaryTitle() const
{
    if (countdown())
        return tr("Cancel");
    if (timerComplete())
        return tr("Dismiss");
    return alarm()->alarm.firedAt ? tr("Dismiss") : tr("Cancel");
}
