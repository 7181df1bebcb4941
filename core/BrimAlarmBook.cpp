#include "core/BrimAlarmBook.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

bool isWhitespaceOrNewline(char16_t c)
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85)
        return true;
    switch (QChar::category(char32_t(c))) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return true;
    default: return false;
    }
}

QStringView trimmed(QStringView text)
{
    // Every character of the set lies in the Basic Multilingual Plane, so
    // trimming code units is trimming scalars.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isWhitespaceOrNewline(text[begin].unicode()))
        ++begin;
    while (end > begin && isWhitespaceOrNewline(text[end - 1].unicode()))
        --end;
    return text.mid(begin, end - begin);
}

// False for a control or format character, and for an unpaired surrogate:
// such a string cannot be written as UTF-8 and would not survive the file.
bool hasOnlyTextScalars(QStringView text, bool allowControl)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t scalar = text[i].unicode();
        if (QChar::isHighSurrogate(scalar)) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return false;
            scalar = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        } else if (QChar::isLowSurrogate(scalar)) {
            return false;
        }
        if (!allowControl) {
            const QChar::Category category = QChar::category(scalar);
            if (category == QChar::Other_Control || category == QChar::Other_Format)
                return false;
        }
    }
    return true;
}

bool validTimeZoneID(QStringView id)
{
    return !id.isEmpty() && id.size() <= BrimAlarmBook::maximumTimeZoneIDLength
        && hasOnlyTextScalars(id, true);
}

QList<BrimAlarm> inDisplayOrder(QList<BrimAlarm> alarms)
{
    std::stable_sort(alarms.begin(), alarms.end(), [](const BrimAlarm &a, const BrimAlarm &b) {
        if (a.date != b.date)
            return a.date < b.date;
        return brimUuidText(a.id) < brimUuidText(b.id);
    });
    return alarms;
}

} // namespace

bool BrimAlarmBook::validTitle(QStringView title)
{
    return title.size() <= maximumTitleLength && hasOnlyTextScalars(title, false);
}

bool BrimAlarmBook::validDate(BrimDate date)
{
    // localtime_r does not look at TZ or the zone file again on its own;
    // tzset notices a changed TZ and a replaced /etc/localtime.
    ::tzset();
    return inYearRangeOfLoadedZone(date);
}

bool BrimAlarmBook::inYearRangeOfLoadedZone(BrimDate date)
{
    const double seconds = date.secondsSinceReference;
    if (!std::isfinite(seconds))
        return false;
    // Years 1 and 9999 lie about 6.3e10 s before and 2.5e11 s after the
    // reference date; anything far outside needs no calendar, and the bound
    // keeps the conversion to time_t defined.
    if (seconds < -1e12 || seconds > 1e12)
        return false;
    // Whole seconds decide the calendar year, and zone offsets are whole seconds.
    const std::time_t unixSeconds = static_cast<std::time_t>(std::floor(seconds)) + BrimDate::referenceUnixSeconds;
    std::tm local{};
    if (!::localtime_r(&unixSeconds, &local))
        return false;
    const long long year = static_cast<long long>(local.tm_year) + 1900;
    return year >= 1 && year <= 9999;
}

bool BrimAlarmBook::validStoredAlarm(const BrimAlarm &alarm)
{
    if (!inYearRangeOfLoadedZone(alarm.date))
        return false;
    if (alarm.title.isEmpty() || !validTitle(alarm.title))
        return false;
    if (!validTimeZoneID(alarm.timeZoneID))
        return false;
    return !alarm.firedAt || inYearRangeOfLoadedZone(*alarm.firedAt);
}

Result<BrimAlarmBook, BrimAlarmError> BrimAlarmBook::make(QList<BrimAlarm> alarms)
{
    if (alarms.size() > capacity)
        return Failure{BrimAlarmError::invalidArchive};
    QSet<QUuid> ids;
    for (const BrimAlarm &alarm : alarms) {
        if (ids.contains(alarm.id))
            return Failure{BrimAlarmError::invalidArchive};
        ids.insert(alarm.id);
    }
    ::tzset(); // once for the whole list
    for (const BrimAlarm &alarm : alarms) {
        if (!validStoredAlarm(alarm))
            return Failure{BrimAlarmError::invalidArchive};
    }
    return BrimAlarmBook(std::move(alarms));
}

QList<BrimAlarm> BrimAlarmBook::upcoming() const
{
    QList<BrimAlarm> result;
    std::copy_if(m_alarms.cbegin(), m_alarms.cend(), std::back_inserter(result),
                 [](const BrimAlarm &a) { return !a.firedAt; });
    return inDisplayOrder(std::move(result));
}

QList<BrimAlarm> BrimAlarmBook::completed() const
{
    QList<BrimAlarm> result;
    std::copy_if(m_alarms.cbegin(), m_alarms.cend(), std::back_inserter(result),
                 [](const BrimAlarm &a) { return a.firedAt.has_value(); });
    return inDisplayOrder(std::move(result));
}

Result<BrimAlarm, BrimAlarmError> BrimAlarmBook::add(const QString &title, BrimDate date, BrimDate now,
                                                     const QTimeZone &timeZone)
{
    if (m_alarms.size() >= capacity)
        return Failure{BrimAlarmError::capacity};
    if (!validDate(date) || !now.isFinite() || !(date > now))
        return Failure{BrimAlarmError::futureDate};
    const QStringView cleanTitle = trimmed(title);
    if (!validTitle(cleanTitle))
        return Failure{BrimAlarmError::title};

    BrimAlarm alarm;
    // Ids must be distinct within the book; a random repeat is unlikely but cheap to rule out.
    do {
        alarm.id = QUuid::createUuid();
    } while (std::any_of(m_alarms.cbegin(), m_alarms.cend(), [&](const BrimAlarm &a) { return a.id == alarm.id; }));
    alarm.title = cleanTitle.isEmpty() ? tr("Alarm") : cleanTitle.toString();
    alarm.date = date;
    alarm.timeZoneID = QString::fromUtf8(timeZone.id());
    // The identifier is only shown, never computed with; an unusable one
    // (an invalid zone, an odd TZ value) must not make the book unsavable.
    if (!validTimeZoneID(alarm.timeZoneID))
        alarm.timeZoneID = QStringLiteral("UTC");
    m_alarms.append(alarm);
    return alarm;
}

QList<BrimAlarm> BrimAlarmBook::fireDue(BrimDate now)
{
    // A clock beyond the year 9999 would store a firedAt that no book accepts,
    // and the file could then never be saved again.
    if (!validDate(now))
        return {};
    QList<BrimAlarm> fired;
    for (BrimAlarm &alarm : m_alarms) {
        if (!alarm.firedAt && alarm.date <= now) {
            alarm.firedAt = now;
            fired.append(alarm);
        }
    }
    return inDisplayOrder(std::move(fired));
}

void BrimAlarmBook::remove(const QUuid &id)
{
    m_alarms.removeIf([&](const BrimAlarm &a) { return a.id == id; });
}
