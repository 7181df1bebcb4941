#include "core/BrimAlarmBook.h"
#include "tests/core/AlarmTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace alarmtest;

namespace {

const BrimDate now = utc(2026, 3, 1, 12);
const QTimeZone berlin(QByteArrayLiteral("Europe/Berlin"));
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

BrimAlarmBook bookWith(qsizetype count, bool completed)
{
    BrimAlarmBook book;
    for (qsizetype i = 0; i < count; ++i) {
        const auto added = book.add(QStringLiteral("A%1").arg(i), now + 60.0 * double(i + 1), now, berlin);
        EXPECT_TRUE(added.ok());
    }
    if (completed)
        book.fireDue(now + 1e6);
    return book;
}

} // namespace

TEST(BrimAlarmError, DescriptionsAreTheShippedTexts)
{
    const char *texts[] = {
        "Keep up to 20 alarms. Dismiss or cancel one before adding another.",
        "Choose a future date and time.",
        "Use a single-line title of up to 80 characters.",
        "Saved alarms could not be read. The existing file has been kept.",
        "These alarms were saved by a newer version. The existing file has been kept.",
    };
    const auto all = BrimAlarmError::allCases();
    ASSERT_EQ(all.size(), std::size(texts));
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i].description(), QString::fromUtf8(texts[i]));
}

TEST(BrimAlarmBook, AddChecksCapacityThenDateThenTitle)
{
    const QString longTitle(81, QLatin1Char('x'));
    struct Row { const char *what; qsizetype existing; bool existingCompleted; QString title; double date, now;
                 std::optional<BrimAlarmError::Value> error; QString stored; };
    const QString ok80 = QString(79, QLatin1Char('y')) + QStringLiteral("z");
    const QString emoji80 = QString(78, QLatin1Char('e')) + QString::fromUtf8("\xF0\x9F\x98\x80"); // 2 units
    const Row rows[] = {
        {"20 completed alarms still count", 20, true, QStringLiteral("t"), 1e9, 0, BrimAlarmError::capacity, {}},
        {"capacity before a bad date", 20, false, QStringLiteral("t"), notANumber, 0, BrimAlarmError::capacity, {}},
        {"date before an over-long title", 19, false, longTitle, -1, 0, BrimAlarmError::futureDate, {}},
        {"date equal to now", 0, false, QStringLiteral("t"), 100, 100, BrimAlarmError::futureDate, {}},
        {"one second later", 0, false, QStringLiteral("t"), 101, 100, std::nullopt, QStringLiteral("t")},
        {"year 10000 is in the future but refused", 0, false, QStringLiteral("t"), utc(10000, 1, 2).secondsSinceReference, 0, BrimAlarmError::futureDate, {}},
        {"infinite date", 0, false, QStringLiteral("t"), infinity, 0, BrimAlarmError::futureDate, {}},
        {"infinite now", 0, false, QStringLiteral("t"), 100, -infinity, BrimAlarmError::futureDate, {}},
        {"NaN now", 0, false, QStringLiteral("t"), 100, notANumber, BrimAlarmError::futureDate, {}},
        {"spaces and line breaks become Alarm", 0, false, QStringLiteral(" \n\t \u2029 "), 100, 0, std::nullopt, QStringLiteral("Alarm")},
        {"empty becomes Alarm", 0, false, QString(), 100, 0, std::nullopt, QStringLiteral("Alarm")},
        {"outer spaces trimmed", 0, false, QStringLiteral("  Tea  "), 100, 0, std::nullopt, QStringLiteral("Tea")},
        {"inner line break refused", 0, false, QStringLiteral("Tea\ntime"), 100, 0, BrimAlarmError::title, {}},
        {"inner tab refused", 0, false, QStringLiteral("Tea\ttime"), 100, 0, BrimAlarmError::title, {}},
        {"format character refused", 0, false, QStringLiteral("a\u200db"), 100, 0, BrimAlarmError::title, {}},
        {"inner NEL refused, outer trimmed", 0, false, QStringLiteral("\u0085a\u0085b"), 100, 0, BrimAlarmError::title, {}},
        {"trailing line break trimmed", 0, false, QStringLiteral("Tea\n"), 100, 0, std::nullopt, QStringLiteral("Tea")},
        {"80 units", 0, false, QStringLiteral(" ") + ok80 + QStringLiteral(" "), 100, 0, std::nullopt, ok80},
        {"81 units", 0, false, longTitle, 100, 0, BrimAlarmError::title, {}},
        {"emoji counts two units: 80", 0, false, emoji80, 100, 0, std::nullopt, emoji80},
        {"emoji counts two units: 81", 0, false, QStringLiteral("e") + emoji80, 100, 0, BrimAlarmError::title, {}},
        {"unpaired surrogate refused", 0, false, QString(QChar(0xD800)) + QStringLiteral("a"), 100, 0, BrimAlarmError::title, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        BrimAlarmBook book = bookWith(row.existing, row.existingCompleted);
        const BrimAlarmBook before = book;
        const auto added = book.add(row.title, BrimDate{row.date}, BrimDate{row.now}, berlin);
        if (row.error) {
            ASSERT_FALSE(added.ok());
            EXPECT_EQ(added.error(), *row.error);
            EXPECT_EQ(book, before);
        } else {
            ASSERT_TRUE(added.ok());
            EXPECT_EQ(added.value().title, row.stored);
            EXPECT_EQ(added.value().date, BrimDate{row.date});
            EXPECT_EQ(added.value().timeZoneID, QStringLiteral("Europe/Berlin"));
            EXPECT_FALSE(added.value().firedAt);
            EXPECT_FALSE(added.value().id.isNull());
            ASSERT_EQ(book.alarms().size(), before.alarms().size() + 1);
            EXPECT_EQ(book.alarms().last(), added.value());
            EXPECT_TRUE(BrimAlarmBook::make(book.alarms()).ok());
        }
    }
    // An invalid zone is recorded as one that every reader knows.
    BrimAlarmBook book;
    EXPECT_EQ(book.add(QStringLiteral("t"), now + 60, now, QTimeZone()).value().timeZoneID, QStringLiteral("UTC"));
}

TEST(BrimAlarmBook, YearsAreCheckedInTheCurrentTimeZone)
{
    struct Row { const char *tz; BrimDate date; bool valid; };
    const Row rows[] = {
        {"UTC0", utc(1, 1, 1), true}, {"UTC0", utc(1, 1, 1) - 1, false}, {"UTC0", utc(1, 1, 1) - 0.25, false},
        {"UTC0", utc(9999, 12, 31, 23, 59, 59), true}, {"UTC0", utc(10000, 1, 1) - 0.5, true},
        {"UTC0", utc(10000, 1, 1), false},
        // 14 hours ahead of UTC: the last valid moment comes 14 hours earlier.
        {"EAX-14", utc(9999, 12, 31, 9, 59, 59), true},
        {"EAX-14", utc(9999, 12, 31, 10), false},
        {"EAX-14", utc(1, 1, 1) - 3600, true},
        // 12 hours behind: year 1 begins at noon UTC.
        {"WAX+12", utc(1, 1, 1, 11, 59, 59), false},
        {"WAX+12", utc(1, 1, 1, 12), true},
        {"WAX+12", utc(10000, 1, 1, 11, 59, 59), true},
        {"UTC0", BrimDate{infinity}, false},
        {"UTC0", BrimDate{-infinity}, false},
        {"UTC0", BrimDate{notANumber}, false},
        {"UTC0", BrimDate{1e300}, false},
        {"UTC0", BrimDate{-1e300}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.tz << " " << row.date.secondsSinceReference);
        const ScopedTimeZone tz(row.tz);
        // Both stored fields use the same test.
        EXPECT_EQ(BrimAlarmBook::make({alarm("{00000000-0000-0000-0000-000000000001}", QStringLiteral("t"), row.date.secondsSinceReference)}).ok(), row.valid);
        EXPECT_EQ(BrimAlarmBook::make({alarm("{00000000-0000-0000-0000-000000000001}", QStringLiteral("t"), 0, row.date.secondsSinceReference)}).ok(), row.valid);
    }
}

TEST(BrimAlarmBook, MakeRefusesBrokenListsAndKeepsOrder)
{
    const BrimAlarm good = alarm("{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}", QStringLiteral("Tea"), 100);
    const auto with = [&](auto change) { BrimAlarm a = good; change(a); return QList<BrimAlarm>{a}; };
    AlarmGenerator gen(7);
    struct Row { const char *what; QList<BrimAlarm> alarms; bool valid; };
    // 21 alarms, a repeated id and a lone surrogate are in the archive table, NaN dates in the year table.
    const Row rows[] = {
        {"empty", {}, true}, {"20 alarms", gen.list(20), true},
        {"empty title", with([](BrimAlarm &a) { a.title.clear(); }), false},
        {"leading space kept as stored", with([](BrimAlarm &a) { a.title = QStringLiteral(" Tea"); }), true},
        {"title with tab", with([](BrimAlarm &a) { a.title = QStringLiteral("Tea\ttime"); }), false},
        {"title ending in a line break", with([](BrimAlarm &a) { a.title = QStringLiteral("Tea\n"); }), false},
        {"80-unit title", with([](BrimAlarm &a) { a.title = QString(80, QLatin1Char('t')); }), true},
        {"81-unit title", with([](BrimAlarm &a) { a.title = QString(81, QLatin1Char('t')); }), false},
        {"empty zone", with([](BrimAlarm &a) { a.timeZoneID.clear(); }), false},
        {"128-unit zone", with([](BrimAlarm &a) { a.timeZoneID = QString(128, QLatin1Char('z')); }), true},
        {"129-unit zone", with([](BrimAlarm &a) { a.timeZoneID = QString(129, QLatin1Char('z')); }), false},
        {"control character in zone is allowed", with([](BrimAlarm &a) { a.timeZoneID = QStringLiteral("a\tb"); }), true},
        {"infinite firedAt", with([](BrimAlarm &a) { a.firedAt = BrimDate{infinity}; }), false},
        {"firedAt in year 10000", with([](BrimAlarm &a) { a.firedAt = utc(10000, 6, 1); }), false},
        {"past date is fine when stored", with([](BrimAlarm &a) { a.date = BrimDate{-1e9}; }), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const auto book = BrimAlarmBook::make(row.alarms);
        ASSERT_EQ(book.ok(), row.valid);
        if (row.valid)
            EXPECT_EQ(book.value().alarms(), row.alarms);
        else
            EXPECT_EQ(book.error(), BrimAlarmError::invalidArchive);
    }
}

TEST(BrimAlarmBook, DisplayOrderIsDateThenIdText)
{
    // Equal dates: the later-inserted alarm sorts first by id text.
    const BrimAlarm late = alarm("{00000000-0000-0000-0000-000000000009}", QStringLiteral("late"), 300);
    const BrimAlarm tieB = alarm("{B0000000-0000-0000-0000-000000000000}", QStringLiteral("b"), 200);
    const BrimAlarm tieA = alarm("{a0000000-0000-0000-0000-000000000000}", QStringLiteral("a"), 200);
    const BrimAlarm early = alarm("{F0000000-0000-0000-0000-000000000000}", QStringLiteral("early"), -5);
    const BrimAlarm doneLate = alarm("{10000000-0000-0000-0000-000000000000}", QStringLiteral("d1"), 50, 1);
    const BrimAlarm doneEarly = alarm("{20000000-0000-0000-0000-000000000000}", QStringLiteral("d2"), 10, 900);
    const auto book = BrimAlarmBook::make({late, doneLate, tieB, early, doneEarly, tieA});
    ASSERT_TRUE(book.ok());
    EXPECT_EQ(book.value().upcoming(), (QList<BrimAlarm>{early, tieA, tieB, late}));
    // Completed alarms keep the order of their scheduled dates, not of firing.
    EXPECT_EQ(book.value().completed(), (QList<BrimAlarm>{doneEarly, doneLate}));
    EXPECT_EQ(book.value().alarms().first(), late);
}

TEST(BrimAlarmBook, FireDueMarksEachAlarmOnce)
{
    const BrimAlarm a = alarm("{30000000-0000-0000-0000-000000000000}", QStringLiteral("a"), 100);
    const BrimAlarm b = alarm("{20000000-0000-0000-0000-000000000000}", QStringLiteral("b"), 50);
    const BrimAlarm c = alarm("{10000000-0000-0000-0000-000000000000}", QStringLiteral("c"), 101);
    const BrimAlarm old = alarm("{40000000-0000-0000-0000-000000000000}", QStringLiteral("old"), 10, 11);
    BrimAlarmBook book = BrimAlarmBook::make({a, b, c, old}).value();

    EXPECT_TRUE(book.fireDue(BrimDate{infinity}).isEmpty());
    EXPECT_TRUE(book.fireDue(BrimDate{notANumber}).isEmpty());
    EXPECT_TRUE(book.fireDue(utc(10001, 1, 1)).isEmpty()); // would store an invalid firedAt
    EXPECT_EQ(book.upcoming().size(), 3);

    const QList<BrimAlarm> fired = book.fireDue(BrimDate{100}); // due at exactly now counts
    ASSERT_EQ(fired.size(), 2);
    EXPECT_EQ(fired[0].id, b.id);
    EXPECT_EQ(fired[1].id, a.id);
    for (const BrimAlarm &f : fired)
        EXPECT_EQ(f.firedAt, BrimDate{100}); // the call's now, not the scheduled date
    EXPECT_TRUE(book.fireDue(BrimDate{100}).isEmpty());
    EXPECT_EQ(book.alarms()[3].firedAt, BrimDate{11}); // already fired: untouched
    EXPECT_EQ(book.upcoming(), QList<BrimAlarm>{c});
    EXPECT_TRUE(BrimAlarmBook::make(book.alarms()).ok());
}

TEST(BrimAlarmBook, RemoveTakesOnlyTheGivenId)
{
    QList<BrimAlarm> alarms = AlarmGenerator(3).list(5);
    BrimAlarmBook book = BrimAlarmBook::make(alarms).value();
    book.remove(QUuid::createUuid());
    book.remove(alarms.takeAt(2).id);
    EXPECT_EQ(book.alarms(), alarms);
}

TEST(BrimAlarm, NotificationIdUsesUpperCaseId)
{
    const BrimAlarm a = alarm("{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}", QStringLiteral("t"), 1);
    EXPECT_EQ(a.notificationID(), QStringLiteral("brimkit.alarm.E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
}
