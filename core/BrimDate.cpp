#include "core/BrimDate.h"

BrimDate BrimDate::fromDateTime(const QDateTime &dt)
{
    return fromUnixSeconds(static_cast<double>(dt.toMSecsSinceEpoch()) / 1000.0);
}

QDateTime BrimDate::toDateTime() const
{
    const double ms = std::round(unixSeconds() * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms));
}
