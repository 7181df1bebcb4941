#include "models/BrimNotificationSeries.h"

#include "models/BrimkitLogging.h"

#include <QCoreApplication>

using Status = BrimTimerNotificationSettings::AuthorizationStatus;

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
                                               std::function<void(OstrelEvent)> track, const Notes &notes,
                                               std::function<void()> changed)
    : m_center(std::move(center))
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
BrimNotificationSeries::authorize(bool requestPermission, Predicate isCurrent)
{
    // The series and the centre outlive the wait, even if the model does not.
    const auto self = shared_from_this();
    const auto center = m_center;
    const BrimTimerNotificationSettings settings = co_await center->settings();
    if (!isCurrent())
        co_return std::nullopt;
    if (!settings.allowsDelivery()) {
        if (requestPermission && settings.authorizationStatus == Status::denied && m_track)
            m_track(OstrelEvent::brimNotificationDenied);
        setNote(text(m_notes.notificationsOff));
        co_return std::nullopt;
    }
    co_return settings;
}

void BrimNotificationSeries::complete(const BrimTimerNotificationSettings &settings)
{
    if (settings.alertSetting == BrimTimerNotificationSettings::AlertSetting::disabled)
        setNote(text(m_notes.bannersOff));
}

QCoro::Task<bool> BrimNotificationSeries::show(BrimNotificationRequest request, Predicate mayNote)
{
    const auto self = shared_from_this();
    const auto center = m_center;
    const Result<void, QString> shown = co_await center->show(std::move(request));
    if (shown.ok()) {
        m_failureReported = false; // showing works again: the next refusal is news
        co_return true;
    }
    qCWarning(lcBrimkit) << "The desktop did not show a notification:" << shown.error();
    fail(mayNote());
    co_return false;
}

void BrimNotificationSeries::fail(bool showNote)
{
    if (!m_failureReported) {
        m_failureReported = true;
        if (m_track)
            m_track(OstrelEvent::brimNotificationFailed);
    }
    if (showNote)
        setNote(text(m_notes.schedulingFailed));
}
