#pragma once
// What the timer and the alarms share about their notifications: reading the
// desktop's settings, the note that says why nothing will show, and refused
// notifications reported to telemetry once per series. A run that may ask for
// permission starts a new series, and so does a notification that showed.

#include "models/BrimTimerNotificationCenter.h"
#include "telemetry/OstrelEvent.h"

#include <functional>
#include <memory>
#include <optional>

class BrimNotificationSeries : public std::enable_shared_from_this<BrimNotificationSeries> {
public:
    // The three notes of one client, untranslated (QT_TRANSLATE_NOOP).
    struct Notes {
        const char *notificationsOff;
        const char *bannersOff;
        const char *schedulingFailed;
    };
    static const Notes timerNotes;
    static const Notes alarmNotes;

    using Predicate = std::function<bool()>;

    // Create with std::make_shared: runs in flight keep the series alive.
    // `changed` is called whenever the note changes.
    BrimNotificationSeries(std::shared_ptr<BrimTimerNotificationCenter> center, std::function<void(OstrelEvent)> track,
                           const Notes &notes, std::function<void()> changed);

    BrimTimerNotificationCenter &center() const { return *m_center; }
    const std::optional<QString> &note() const { return m_note; }
    static QString text(const char *note);

    // Starts a run: the note is cleared.
    void begin(bool requestPermission);
    // The desktop's settings when notifications can show, else nothing (with
    // the note saying why). isCurrent is consulted after the wait. A run that
    // may ask for permission and finds it denied tells telemetry.
    QCoro::Task<std::optional<BrimTimerNotificationSettings>> authorize(bool requestPermission, Predicate isCurrent);
    // A run that got through: the note says when banners are hidden.
    void complete(const BrimTimerNotificationSettings &settings);
    // Shows one notification now; false when the desktop refused it (reported as fail() does).
    QCoro::Task<bool> show(BrimNotificationRequest request, Predicate mayNote);
    // A notification was refused: telemetry hears of it once per series, and
    // the note says so (if `showNote`).
    void fail(bool showNote);

private:
    void setNote(std::optional<QString> note);

    std::shared_ptr<BrimTimerNotificationCenter> m_center;
    std::function<void(OstrelEvent)> m_track;
    Notes m_notes;
    std::function<void()> m_changed;
    std::optional<QString> m_note;
    bool m_failureReported = false;
};
