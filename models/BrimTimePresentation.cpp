#include "models/BrimTimePresentation.h"

#include <QLocale>

// Format strings are edited by hand, not with regular expressions: the times
// shown in the tray are formatted often, and the idle app should not carry the
// regular expression engine for them.
namespace {

bool isComma(QChar c)
{
    return c == u',' || c == u'\u060C';
}

// The end of the run of `letter` that starts at `from`.
qsizetype runEnd(const QString &format, qsizetype from, QChar letter)
{
    while (from < format.size() && format[from] == letter)
        ++from;
    return from;
}

// The locale's long date without the weekday and with the month abbreviated:
// "Nov 20, 2028" in en_US, "20. Nov. 2028" in de_DE.
QString abbreviatedDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    for (qsizetype at = format.indexOf(u'd'); at >= 0; at = format.indexOf(u'd', at)) {
        qsizetype end = runEnd(format, at, u'd');
        if (end - at < 3) {
            at = end;
            continue;
        }
        // The weekday with a comma and the spaces around it.
        qsizetype begin = at;
        while (begin > 0 && format[begin - 1].isSpace())
            --begin;
        if (begin > 0 && isComma(format[begin - 1]))
            --begin;
        if (end < format.size() && isComma(format[end]))
            ++end;
        while (end < format.size() && format[end].isSpace())
            ++end;
        format.remove(begin, end - begin);
        at = begin;
    }
    return format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM")).trimmed();
}

} // namespace

QString BrimTimePresentation::shortTimeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    for (qsizetype at = format.indexOf(u's'); at >= 0; at = format.indexOf(u's', at)) {
        qsizetype end = runEnd(format, at, u's');
        if (end + 1 < format.size() && format[end] == u'.' && format[end + 1] == u'z')
            end = runEnd(format, end + 1, u'z');
        const qsizetype begin = at > 0 && (format[at - 1] == u':' || format[at - 1] == u'.') ? at - 1 : at;
        format.remove(begin, end - begin);
        at = begin;
    }
    return format.trimmed();
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
