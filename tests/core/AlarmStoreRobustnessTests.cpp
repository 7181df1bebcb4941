// Whatever the book accepts comes back from the alarm file exactly (dates bit
// for bit: the generator mixes in -0.0, subnormals and full mantissas). Savers
// killed at any instant, beside another process, are tests/stress/alarm_storm.sh.
#include "core/BrimAlarmArchive.h"
#include "core/FileBrimAlarmStore.h"
#include "tests/core/AlarmTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>


using namespace alarmtest;

TEST(AlarmArchiveProperty, EncodeDecodeGivesBackEveryAcceptedList)
{
    AlarmGenerator gen(0x5EED);
    for (int round = 0; round < 1000; ++round) {
        const QList<BrimAlarm> alarms = gen.list(round % 21);
        const auto book = BrimAlarmBook::make(alarms);
        ASSERT_TRUE(book.ok()) << "generator produced a refused list in round " << round;
        const QByteArray bytes = BrimAlarmArchive::encode(book.value());
        const auto decoded = BrimAlarmArchive::decode(bytes);
        ASSERT_TRUE(decoded.ok()) << "round " << round << ": " << bytes.toStdString();
        ASSERT_TRUE(identical(decoded.value(), alarms)) << "round " << round << ": " << bytes.toStdString();
    }
}
