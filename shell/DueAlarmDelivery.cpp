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
// Below the alarm file lock's patience, so an app started meanwhile still loads.
constexpr std::chrono::milliseconds replyTimeout{2000};
// Later than this after its moment, an alarm is told as missed.
constexpr double lateness = 60;

// Hands each alarm's notification to the server; the identifiers it took.
QSet<QString> notify(QDBusConnection bus, std::shared_ptr<CanberraSystemBeep> player, const QList<BrimAlarm> &due,
                     bool sound)
{
    SystemBrimTimerNotifications notifications(std::move(bus), player);
    notifications.setReplyTimeout(replyTimeout);
    // Missed when the timer ran late (the machine was off or asleep at the moment).
    const BrimDate now = SystemBrimClock().now();
    // All in flight at once, so the lock is held for one answer's time at most.
    std::vector<std::pair<QString, QCoro::Task<Result<void, QString>>>> shown;
    for (const BrimAlarm &alarm : due) {
        const bool missed = now - alarm.date > lateness;
        shown.emplace_back(alarm.notificationID(),
                           notifications.show(BrimAlarmsModel::notificationRequest(alarm, missed, sound)));
    }
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

// Load, notify and save under the alarm file's lock; the exit code.
int deliverLocked(QDBusConnection bus, std::shared_ptr<CanberraSystemBeep> player, bool sound)
{
    // Held to the end, so the app never saves between our load and our save.
    FileBrimAlarmStore store(FileBrimAlarmStore::defaultURL());
    const auto hold = store.holdExclusively();
    if (!hold.ok()) {
        qCWarning(lcBrimkit) << "Due alarms not delivered: the alarm file cannot be locked:" << hold.error().description();
        return 1;
    }
    // A file that cannot be read, or that a newer version wrote, is left as it is.
    // The book's rules too, as the app applies them: what it would refuse, nothing here may rewrite.
    const auto loaded = store.load();
    if (!loaded.ok()) {
        qCWarning(lcBrimkit) << "Due alarms not delivered: the alarm file cannot be read:" << loaded.error().description();
        return 1;
    }
    if (const auto book = BrimAlarmBook::make(loaded.value()); !book.ok()) {
        qCWarning(lcBrimkit) << "Due alarms not delivered: the alarm file breaks the rules:" << book.error().description();
        return 1;
    }
    const BrimDate now = SystemBrimClock().now();
    QList<BrimAlarm> due;
    for (const BrimAlarm &alarm : loaded.value()) {
        if (!alarm.firedAt && alarm.date <= now)
            due.append(alarm);
    }
    if (due.isEmpty())
        return 0;

    const QSet<QString> taken = notify(std::move(bus), std::move(player), due, sound);
    if (taken.isEmpty())
        return 1;
    // Only what the desktop showed counts as fired; the rest shows as missed at the next start.
    QList<BrimAlarm> alarms = loaded.value();
    for (BrimAlarm &alarm : alarms) {
        if (!alarm.firedAt && taken.contains(alarm.notificationID()))
            alarm.firedAt = now;
    }
    if (const auto saved = store.save(alarms); !saved.ok()) {
        qCWarning(lcBrimkit) << "Delivered alarms not recorded as fired:" << saved.error().description();
        return 1;
    }
    return taken.size() == due.size() ? 0 : 1;
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
    const int code = deliverLocked(std::move(bus), player, sound);
    // Sounds play on after the lock is let go; exiting would cut them short.
    player->waitForSounds(std::chrono::seconds(15));
    return code;
}
