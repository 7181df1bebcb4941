#pragma once
// The alarm file's content: {"version":1,"alarms":[{"id":…,"title":…,"date":…,
// "timeZoneID":…,"firedAt":…}]}, compact, members in exactly that order,
// UTF-8. Readers take members in any order and skip unknown ones.

#include "core/BrimAlarm.h"
#include "core/BrimAlarmBook.h"
#include "core/BrimAlarmError.h"
#include "core/Result.h"

#include <QByteArray>
#include <QList>

namespace BrimAlarmArchive {

inline constexpr qint64 currentVersion = 1;

// Dates are written in the shortest form that reads back to the same bits.
QByteArray encode(const BrimAlarmBook &book);

// invalidArchive for anything that is not a well-formed archive or whose
// alarms break a book rule; newerArchive for a well-formed archive of any
// version but the current one.
Result<QList<BrimAlarm>, BrimAlarmError> decode(const QByteArray &bytes);

} // namespace BrimAlarmArchive
