#pragma once
// One one-time alarm: an absolute moment, a title, and when it was noticed as due.

#include "core/BrimDate.h"

#include <QString>
#include <QUuid>
#include <optional>

struct BrimAlarm {
    QUuid id;
    QString title;
    // An instant; a later change of the machine's time zone does not move it.
    BrimDate date;
    // The zone current when the alarm was added, kept for display only.
    QString timeZoneID;
    // Absent while upcoming; the moment the book noticed the alarm was due.
    std::optional<BrimDate> firedAt;

    // "brimkit.alarm." followed by the upper-case id.
    QString notificationID() const;
    bool isCompleted() const { return firedAt.has_value(); }

    friend bool operator==(const BrimAlarm &, const BrimAlarm &) = default;
};

// Upper-case canonical 8-4-4-4-12 text of an identifier.
QString brimUuidText(const QUuid &id);
// Parses exactly the 36-character canonical form, in either case; no braces.
std::optional<QUuid> brimUuidFromText(QStringView text);
