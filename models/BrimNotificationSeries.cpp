#include "models/BrimNotificationSeries.h"

#include "models/BrimkitLogging.h"

#include <QCoreApplication>
#include <QGuiApplication>

const BrimNotificationSeries::Notes BrimNotificationSeries::timerNotes{
    QT_TRANSLATE_NOOP("BrimNotificationSeries",
                      "Notifications are off. Enable them in System Settings or use the timer capsule."),
    QT_TRANSLATE_NOOP("BrimNotificationSeries",
                      "Notification banners are off in System Settings. The timer capsule can still show completion."),
    QT_TRANSLATE_NOOP("BrimNotificationSeries",
                      "Could not schedule a notification. The timer capsule can still show completion."),
};

const BrimNotificationSeries::Notes BrimNotificationSeries::alarmNotes{
    QT_TRANSLATE_NOOP("BrimNotificationSeries",
                      "Notifications are off. Alarms still appear in Brimkit when it is running."),
    QT_TRANSLATE_NOOP("BrimNotificationSeries",
                      "Notification banners are off. The capsule still shows completion when Brimkit is running."),
    QT_TRANSLATE_NOOP("BrimNotificationSeries",
                      "Could not schedule alarm notifications. Open Brimkit for its visual alert, or retry."),
};

BrimNotificationSeries::BrimNotificationSeries(std::shared_ptr<BrimTimerNotificationCenter> center,
                                               std::shared_ptr<BrimTimeNotificationAuthorization> authorization,
                                               std::function<void(OstrelEvent)> track, const Notes &notes,
                                               std::function<void()> changed)
    : m_center(std::move(center))
    , m_authorization(std::move(authorization))
    , m_track(std::move(track))
    , m_notes(notes)
    , m_changed(std::move(changed))
{
}

QString BrimNotificationSeries::text(const char *note)
{
    return QCoreApplication::translate("BrimNotificationSeries", note);
}

void BrimNotificationSeries::setNote(std::optional<QString> note)
{
    if (m_note == note)
        return;
    m_note = std::move(note);
    if (m_changed)
        m_changed();
}

void BrimNotificationSeries::begin(bool requestPermission)
{
    if (requestPermission)
        m_failureReported = false;
    setNote(std::nullopt);
}

QCoro::Task<std::optional<BrimTimerNotificationSettings>>
BrimNotificationSeries::authorize(bool requestPermission, Predicate isCurrent, Predicate mayNote)
{
    const auto self = shared_from_this();
    const BrimTimeNotificationAuthorization::Answer answer =
        co_await m_authorization->settings(requestPermission, isCurrent);
    if (!answer.ok()) {
        qCWarning(lcBrimkit) << "Notification settings unavailable:" << answer.error();
        if (mayNote())
            setNote(text(m_notes.schedulingFailed));
        co_return std::nullopt;
    }
    if (!answer.value() || !isCurrent())
        co_return std::nullopt;
    if (!answer.value()->allowsDelivery()) {
        setNote(text(m_notes.notificationsOff));
        co_return std::nullopt;
    }
    co_return answer.value();
}

QCoro::Task<bool> BrimNotificationSeries::add(BrimNotificationRequest request, Predicate mayReport, Predicate mayNote)
{
    const auto self = shared_from_this();
    const Result<void, QString> added = co_await m_center->add(std::move(request));
    if (added.ok())
        co_return true;
    qCWarning(lcBrimkit) << "Could not schedule a notification:" << added.error();
    fail(mayReport(), mayNote());
    co_return false;
}

void BrimNotificationSeries::complete(const BrimTimerNotificationSettings &settings)
{
    m_failureReported = false;
    if (settings.alertSetting == BrimTimerNotificationSettings::AlertSetting::disabled)
        setNote(text(m_notes.bannersOff));
}

void BrimNotificationSeries::fail(bool report, bool showNote)
{
    if (report && !m_failureReported) {
        m_failureReported = true;
        if (m_track)
            m_track(OstrelEvent::brimNotificationFailed);
    }
    if (showNote)
        setNote(text(m_notes.schedulingFailed));
}

BrimNotificationRequest BrimNotificationSeries::request(QString identifier, QString body, bool sound,
                                                        BrimNotificationTrigger trigger)
{
    return BrimNotificationRequest{std::move(identifier), QGuiApplication::applicationDisplayName(), std::move(body),
                                   sound, trigger};
}
