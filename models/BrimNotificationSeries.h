#pragma once
// The one way notifications get scheduled, shared by the timer and the alarms:
// ask for the desktop's settings (and permission), say in a note why nothing
// will show, add the requests, and report a failure to telemetry once per
// series. A run that may ask for permission starts a new series; a run that
// got through ends it.

#include "models/BrimTimeNotificationAuthorization.h"
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
    BrimNotificationSeries(std::shared_ptr<BrimTimerNotificationCenter> center,
                           std::shared_ptr<BrimTimeNotificationAuthorization> authorization,
                           std::function<void(OstrelEvent)> track, const Notes &notes, std::function<void()> changed);

    BrimTimerNotificationCenter &center() const { return *m_center; }
    const std::optional<QString> &note() const { return m_note; }
    static QString text(const char *note);

    // Starts a run: the note is cleared.
    void begin(bool requestPermission);
    // The desktop's settings when delivery may go ahead, else nothing (with the
    // note saying why). isCurrent is consulted after every wait; a failure
    // sets the note only while mayNote holds.
    QCoro::Task<std::optional<BrimTimerNotificationSettings>> authorize(bool requestPermission, Predicate isCurrent,
                                                                        Predicate mayNote);
    // Adds one request; false when the desktop refused it (reported as fail() does).
    QCoro::Task<bool> add(BrimNotificationRequest request, Predicate mayReport, Predicate mayNote);
    // A run that got through ends the series; the note says when banners are hidden.
    void complete(const BrimTimerNotificationSettings &settings);
    // A request failed, when added or when delivered: telemetry hears of it
    // once per series (if `report`), and the note says so (if `showNote`).
    void fail(bool report, bool showNote);

    // A request titled with the application's name.
    static BrimNotificationRequest request(QString identifier, QString body, bool sound,
                                           BrimNotificationTrigger trigger);

private:
    void setNote(std::optional<QString> note);

    std::shared_ptr<BrimTimerNotificationCenter> m_center;
    std::shared_ptr<BrimTimeNotificationAuthorization> m_authorization;
    std::function<void(OstrelEvent)> m_track;
    Notes m_notes;
    std::function<void()> m_changed;
    std::optional<QString> m_note;
    bool m_failureReported = false;
};
