#pragma once
// An instant as 64-bit floating-point seconds since 2001-01-01 00:00:00 UTC,
// the form the alarm file stores.

#include <QDateTime>
#include <cmath>
#include <compare>

struct BrimDate {
    double secondsSinceReference = 0;

    static constexpr qint64 referenceUnixSeconds = 978307200; // 2001-01-01T00:00:00Z

    static constexpr BrimDate fromSeconds(double s) { return BrimDate{s}; }
    static BrimDate fromDateTime(const QDateTime &dt);
    static BrimDate fromUnixSeconds(double unixSeconds) { return {unixSeconds - referenceUnixSeconds}; }
    QDateTime toDateTime() const;
    double unixSeconds() const { return secondsSinceReference + referenceUnixSeconds; }

    bool isFinite() const { return std::isfinite(secondsSinceReference); }

    friend constexpr BrimDate operator+(BrimDate d, double s) { return {d.secondsSinceReference + s}; }
    friend constexpr BrimDate operator-(BrimDate d, double s) { return {d.secondsSinceReference - s}; }
    friend constexpr double operator-(BrimDate a, BrimDate b) { return a.secondsSinceReference - b.secondsSinceReference; }
    friend constexpr bool operator==(BrimDate a, BrimDate b) = default;
    friend constexpr auto operator<=>(BrimDate a, BrimDate b) { return a.secondsSinceReference <=> b.secondsSinceReference; }
};
