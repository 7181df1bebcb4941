#pragma once
// What the time displays show: a running or paused countdown, a finished one
// waiting to be acknowledged, or a fired or upcoming alarm.

#include "core/BrimAlarm.h"
#include "core/BrimTimerKind.h"

#include <QCoreApplication>
#include <QLocale>
#include <QUuid>
#include <cstdint>
#include <optional>
#include <variant>

class BrimTimePresentation {
    Q_DECLARE_TR_FUNCTIONS(BrimTimePresentation)

public:
    struct Countdown {
        QUuid id;
        BrimTimerKind kind;
        std::int64_t remaining;
        bool paused;
        std::optional<BrimDate> deadline;
        friend bool operator==(const Countdown &, const Countdown &) = default;
    };
    struct TimerComplete {
        QUuid id;
        BrimTimerKind kind;
        QString nextTitle;
        friend bool operator==(const TimerComplete &, const TimerComplete &) = default;
    };
    struct Alarm {
        BrimAlarm alarm;
        friend bool operator==(const Alarm &, const Alarm &) = default;
    };

    BrimTimePresentation(Countdown c) : m_case(std::move(c)) {}
    BrimTimePresentation(TimerComplete c) : m_case(std::move(c)) {}
    BrimTimePresentation(Alarm c) : m_case(std::move(c)) {}

    // The case's values, or null when the presentation is another case.
    const Countdown *countdown() const { return std::get_if<Countdown>(&m_case); }
    const TimerComplete *timerComplete() const { return std::get_if<TimerComplete>(&m_case); }
    const Alarm *alarm() const { return std::get_if<Alarm>(&m_case); }

    bool isComplete() const;
    std::optional<QString> value() const;
    QString detail() const;
    std::optional<QString> primaryTitle() const;
    QString secondaryTitle() const;

    // Whole seconds as minutes and seconds, at least two digits each; no hours ("90:00").
    static QString clockText(std::int64_t seconds);
    // Time of day, and date with time, in the user's locale and time zone.
    static QString timeText(BrimDate date);
    // The locale's short time without seconds: some locales (C among them)
    // carry seconds in their short format, and a title must not change every second.
    static QString shortTimeFormat(const QLocale &locale);
    static QString dateTimeText(BrimDate date);

    friend bool operator==(const BrimTimePresentation &, const BrimTimePresentation &) = default;

private:
    std::variant<Countdown, TimerComplete, Alarm> m_case;
};
