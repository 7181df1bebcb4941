#include "shell/DueAlarmDelivery.h"

#include "core/BrimAlarmBook.h"
#include "core/BrimClock.h"
#include "core/FileBrimAlarmStore.h"
#include "models/BrimkitLogging.h"
#include "models/BrimkitModel.h"
#include "models/BrimAlarmsModel.h"
#include "platform/AppPaths.h"
#include "platform/CanberraSystemBeep.h"
#include "platform/JsonFileUserDefaults.h"
#include "platform/SingleInstance.h"
#include "platform/SystemBrimTimerNotifications.h"

#include <QSet>

#include <chrono>
#include <vector>

namespace {
// A server silent for this long counts as refusing.
constexpr std::chrono::milliseconds replyTimeout{2000};
// Later than this after its moment, an alarm is told as missed.
constexpr double lateness = 60;

BrimNotificationRequest requestFor(const BrimAlarm &alarm, const BrimDate &now, bool sound)
{
    // Missed when the timer ran late (the machine was off or asleep at the moment).
    return BrimAlarmsModel::notificationRequest(alarm, now - alarm.date > lateness, sound);
}

// Hands each alarm's notification to the server (those sent ahead are only
// awaited); the identifiers it took.
QSet<QString> notify(SystemBrimTimerNotifications &notifications, const QList<BrimAlarm> &due, const BrimDate &now,
                     bool sound)
{
    // All in flight at once: one answer's time in all.
    std::vector<std::pair<QString, QCoro::Task<Result<void, QString>>>> shown;
    for (const BrimAlarm &alarm : due)
        shown.emplace_back(alarm.notificationID(), notifications.show(requestFor(alarm, now, sound)));
    QSet<QString> taken;
    for (auto &[identifier, task] : shown) {
        const Result<void, QString> result = QCoro::waitFor(std::move(task));
        if (result.ok())
            taken.insert(identifier);
        else
            qCWarning(lcBrimkit) << "Alarm" << identifier << "was not notified:" << result.error();
    }
    return taken;
}

using Change = Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError>;

// Whoever records an alarm fired in the file tells it: the app, sharing the
// file, then leaves it alone. Recorded first, so a notification is never
// shown twice; what the desktop refuses is given back afterwards.
int deliverClaimed(QDBusConnection bus, std::shared_ptr<CanberraSystemBeep> player, bool sound)
{
    // Ready before anything is claimed: once an alarm is recorded as told
    // here, nothing but sending it may come before its notification.
    SystemBrimTimerNotifications notifications(std::move(bus), std::move(player));
    notifications.setReplyTimeout(replyTimeout);
    FileBrimAlarmStore store(FileBrimAlarmStore::defaultURL());
    const BrimDate now = SystemBrimClock().now();
    const auto due = std::make_shared<QList<BrimAlarm>>();
    // Made ready as the alarms are claimed, sent the moment the claim is in
    // place (before the folder's sync, which a busy disk makes long).
    QList<std::function<void()>> senders;
    const auto sendClaimed = [&senders] {
        for (const std::function<void()> &send : std::as_const(senders)) {
            if (send)
                send();
        }
    };
    const auto claimed = store.update([now, due, sound, &senders, &notifications](const QList<BrimAlarm> &alarms) -> Change {
        // The book's rules too, as the app applies them: what it would refuse, nothing here may rewrite.
        if (const auto book = BrimAlarmBook::make(alarms); !book.ok())
            return Failure{BrimAlarmStoreError(book.error())};
        QList<BrimAlarm> changed = alarms;
        for (BrimAlarm &alarm : changed) {
            if (!alarm.firedAt && alarm.date <= now) {
                due->append(alarm);
                senders.append(notifications.sender(requestFor(alarm, now, sound)));
                alarm.firedAt = now;
            }
        }
        if (due->isEmpty())
            return std::optional<QList<BrimAlarm>>();
        return std::optional(std::move(changed));
    }, sendClaimed);
    // A file that cannot be read, or that a newer version wrote, is left as it is.
    if (!claimed.ok()) {
        qCWarning(lcBrimkit) << "Due alarms not delivered: the alarm file cannot be used:" << claimed.error().description();
        return 1;
    }
    if (due->isEmpty())
        return 0;
    const QSet<QString> taken = notify(notifications, *due, now, sound);
    if (taken.size() == due->size())
        return 0;
    // Not shown: no longer fired, so the next start reports it missed.
    const auto refused = [&taken, now](const BrimAlarm &alarm) {
        return alarm.firedAt == now && !taken.contains(alarm.notificationID());
    };
    const auto returned = store.update([&refused](const QList<BrimAlarm> &alarms) -> Change {
        QList<BrimAlarm> changed = alarms;
        bool any = false;
        for (BrimAlarm &alarm : changed) {
            if (refused(alarm)) {
                alarm.firedAt.reset();
                any = true;
            }
        }
        return any ? std::optional(std::move(changed)) : std::nullopt;
    });
    if (!returned.ok())
        qCWarning(lcBrimkit) << "Alarms not shown stay recorded as fired:" << returned.error().description();
    return 1;
}
} // namespace

int DueAlarmDelivery::run(QDBusConnection bus)
{
    if (SingleInstance::isRunning(bus))
        return 0;
    const JsonFileUserDefaults defaults(AppPaths::defaultsFile());
    if (!defaults.boolValue(BrimkitModel::notificationsKey).value_or(true))
        return 0;
    const bool sound = defaults.boolValue(BrimkitModel::soundKey).value_or(true);
    const auto player = std::make_shared<CanberraSystemBeep>(
        [] { qCWarning(lcBrimkit) << "No sound for the due alarms: the desktop cannot play one."; });
    const int code = deliverClaimed(std::move(bus), player, sound);
    // Sounds play on after the file is let go; exiting would cut them short.
    player->waitForSounds(std::chrono::seconds(15));
    return code;
}
