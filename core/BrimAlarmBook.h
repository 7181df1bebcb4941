#pragma once
// The alarm collection and its rules. Every book that exists holds at most 20
// alarms with distinct ids, valid dates, titles and time-zone identifiers; the
// operations keep it that way. No clock of its own: "now" is always passed in.

#include "core/BrimAlarm.h"
#include "core/BrimAlarmError.h"
#include "core/Result.h"

#include <QList>
#include <QTimeZone>

class BrimAlarmBook {
    Q_DECLARE_TR_FUNCTIONS(BrimAlarmBook)

public:
    static constexpr qsizetype capacity = 20;
    static constexpr qsizetype maximumTitleLength = 80; // UTF-16 code units
    static constexpr qsizetype maximumTimeZoneIDLength = 128;

    BrimAlarmBook() = default;
    // Keeps the given order; any broken rule gives invalidArchive.
    static Result<BrimAlarmBook, BrimAlarmError> make(QList<BrimAlarm> alarms);

    const QList<BrimAlarm> &alarms() const { return m_alarms; }
    // Display order: by date, equal dates by upper-case id text.
    QList<BrimAlarm> upcoming() const;
    QList<BrimAlarm> completed() const;

    // Fails with capacity, futureDate or title (checked in that order) and
    // then leaves the book unchanged.
    Result<BrimAlarm, BrimAlarmError> add(const QString &title, BrimDate date, BrimDate now,
                                          const QTimeZone &timeZone);
    // Marks every due upcoming alarm as fired at now; returns them in display order.
    QList<BrimAlarm> fireDue(BrimDate now);
    // An unknown id is no error.
    void remove(const QUuid &id);

    friend bool operator==(const BrimAlarmBook &, const BrimAlarmBook &) = default;

private:
    explicit BrimAlarmBook(QList<BrimAlarm> alarms) : m_alarms(std::move(alarms)) {}

    // The title test of add, applied to the trimmed title.
    static bool validTitle(QStringView title);
    // Finite, and in the years 1 to 9999 of the machine's current time zone.
    static bool validDate(BrimDate date);
    // validDate without refreshing the C library's zone; the caller did.
    static bool inYearRangeOfLoadedZone(BrimDate date);
    static bool validStoredAlarm(const BrimAlarm &alarm);

    QList<BrimAlarm> m_alarms;
};
