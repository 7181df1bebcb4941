#pragma once
// The closed catalogue of usage events; the raw value is the name on the wire.
// Only the events this application emits are listed.

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

class OstrelEvent {
public:
    enum Value {
        appOpened,
        brimTimerStarted,
        brimTimerCompleted,
        brimTimerCancelled,
        brimPomodoroStarted,
        brimPomodoroCompleted,
        brimAlarmCreated,
        brimAlarmCompleted,
        brimAlarmCancelled,
        brimAlarmDismissed,
        brimAlarmMissed,
        brimAlarmStorageFailed,
        brimNotificationDenied,
        brimNotificationFailed,
        updateFound,
        updateDownloaded,
        updateInstalled,
        updateFailed,
        appUncleanExit,
    };
    static constexpr int caseCount = appUncleanExit + 1;

    constexpr OstrelEvent(Value v) : m_value(v) {}
    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

    static std::array<OstrelEvent, caseCount> allCases();
    static std::optional<OstrelEvent> fromRawValue(QStringView raw);
    QString rawValue() const;

private:
    Value m_value;
};
