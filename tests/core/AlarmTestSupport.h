#pragma once
// Helpers shared by the alarm tests: UTC dates, a scoped TZ, and a seeded
// generator of alarm lists that the book accepts.

#include "core/BrimAlarm.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QTimeZone>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <random>

namespace alarmtest {

inline BrimDate utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return BrimDate::fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc()));
}

inline std::uint64_t bits(BrimDate d) { return std::bit_cast<std::uint64_t>(d.secondsSinceReference); }

// Equal alarms, and every date with the same bits (so -0.0 is not 0.0).
inline bool identical(const QList<BrimAlarm> &a, const QList<BrimAlarm> &b)
{
    if (a != b)
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (bits(a[i].date) != bits(b[i].date))
            return false;
        if (a[i].firedAt && bits(*a[i].firedAt) != bits(*b[i].firedAt))
            return false;
    }
    return true;
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Sets TZ for one scope. The C library is not told at the start: the code
// under test must notice a changed TZ itself. It is told at the end, so the
// next test starts clean.
struct ScopedTimeZone {
    explicit ScopedTimeZone(const char *tz) { qputenv("TZ", tz); }
    ~ScopedTimeZone()
    {
        had ? qputenv("TZ", old) : qunsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    const bool had = qEnvironmentVariableIsSet("TZ");
    const QByteArray old = qgetenv("TZ");
};

inline BrimAlarm alarm(const char *uuid, const QString &title, double date,
                       std::optional<double> firedAt = std::nullopt, const QString &zone = QStringLiteral("UTC"))
{
    return {QUuid::fromString(QLatin1String(uuid)), title, BrimDate{date}, zone,
            firedAt ? std::optional(BrimDate{*firedAt}) : std::nullopt};
}

// Random alarm lists the book accepts, including awkward dates (subnormals,
// -0.0, full mantissas, neighbours of round numbers) and text outside the BMP.
class AlarmGenerator {
public:
    explicit AlarmGenerator(std::uint64_t seed) : m_rng(seed) {}

    // Inside years 1..9999 in every time zone (two days of margin).
    static constexpr double earliest = -63113904000.0 + 2 * 86400;
    static constexpr double latest = 252423993600.0 - 2 * 86400;

    // Identifiers are 128 random bits from a seeded generator: they never clash.
    QList<BrimAlarm> list(qsizetype count)
    {
        QList<BrimAlarm> alarms;
        while (alarms.size() < count)
            alarms.append(alarm());
        return alarms;
    }

    BrimAlarm alarm()
    {
        BrimAlarm a;
        a.id = uuid();
        a.title = text(1, 80, false);
        a.date = BrimDate{date()};
        a.timeZoneID = text(1, 128, true);
        if (below(2) == 0)
            a.firedAt = BrimDate{date()};
        return a;
    }

    QUuid uuid()
    {
        QByteArray raw(16, Qt::Uninitialized);
        for (char &c : raw)
            c = static_cast<char>(below(256));
        return QUuid::fromRfc4122(raw);
    }

    double date()
    {
        switch (below(5)) {
        case 0: return std::uniform_real_distribution<double>(earliest, latest)(m_rng);
        case 1: { // any bit pattern that lands in range: mostly tiny and subnormal values
            for (;;) {
                const double d = std::bit_cast<double>(static_cast<std::uint64_t>(m_rng()));
                if (std::isfinite(d) && d >= earliest && d <= latest)
                    return d;
            }
        }
        case 2: { // a round value, nudged a few ulps
            double d = std::round(std::uniform_real_distribution<double>(earliest, latest)(m_rng));
            for (std::uint64_t n = below(4); n > 0; --n)
                d = std::nextafter(d, below(2) ? latest : earliest);
            return d;
        }
        case 3: { // full 52-bit mantissa near today
            const std::uint64_t mantissa = m_rng() & ((std::uint64_t(1) << 52) - 1);
            const double d = std::bit_cast<double>((std::uint64_t(1053) << 52) | mantissa); // [2^30, 2^31)
            return below(2) ? d : -d;
        }
        default: {
            static const double specials[] = {0.0, -0.0, std::numeric_limits<double>::denorm_min(),
                                              -std::numeric_limits<double>::denorm_min(),
                                              std::numeric_limits<double>::min(), 0.1, 1.0 / 3.0, -2.5e-300,
                                              786000000.123456789, 1e10 / 3.0, earliest, latest};
            return specials[below(std::size(specials))];
        }
        }
    }

    // 1..maxUnits UTF-16 code units; surrogate pairs never split.
    QString text(qsizetype minUnits, qsizetype maxUnits, bool withControls)
    {
        static const char32_t printable[] = {U'a', U'Z', U'0', U' ', U'"', U'\\', U'/', U'\'', U'<', U'&', U'\u00e9',
            U'\u00a0', U'\u00df', U'\u0301', U'\u05d0', U'\u0628', U'\u2028', U'\u2029', U'\u3000', U'\u4e2d', U'\ue000',
            U'\ufdd0', U'\ufffd', U'\ufffe', U'\uffff', U'\u0378', U'\U0001F600', U'\U0001F9D1', U'\U00010000', U'\U0010FFFF', U'\U000E0100'};
        static const char32_t controls[] = {U'\0', U'\t', U'\n', U'\r', U'\x1f', U'\x7f', U'\u0085',
                                            U'\u200d', U'\ufeff', U'\U000E0001'};
        const auto target = static_cast<qsizetype>(minUnits + below(static_cast<std::uint64_t>(maxUnits - minUnits + 1)));
        QString s;
        while (s.size() < target) {
            const char32_t c = (withControls && below(4) == 0) ? controls[below(std::size(controls))]
                                                               : printable[below(std::size(printable))];
            const QString piece = QString::fromUcs4(&c, 1);
            if (s.size() + piece.size() > maxUnits)
                break;
            s += piece;
        }
        if (s.isEmpty())
            s = QStringLiteral("x");
        return s;
    }

private:
    std::uint64_t below(std::uint64_t n) { return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(m_rng); }

    std::mt19937_64 m_rng;
};

} // namespace alarmtest
