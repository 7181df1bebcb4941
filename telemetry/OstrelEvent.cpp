#include "telemetry/OstrelEvent.h"

#include <utility>

namespace {
constexpr const char *rawValues[OstrelEvent::caseCount] = {
    "app.opened",
    "brim.timerstarted",
    "brim.timercompleted",
    "brim.timercancelled",
    "brim.pomodorostarted",
    "brim.pomodorocompleted",
    "brim.alarmcreated",
    "brim.alarmcompleted",
    "brim.alarmcancelled",
    "brim.alarmdismissed",
    "brim.alarmmissed",
    "brim.alarmstoragefailed",
    "brim.notificationdenied",
    "brim.notificationfailed",
    "update.found",
    "update.downloaded",
    "update.installed",
    "update.failed",
    "app.uncleanexit",
};
} // namespace

namespace {
template <std::size_t... I>
constexpr std::array<OstrelEvent, sizeof...(I)> makeAllCases(std::index_sequence<I...>)
{
    return {OstrelEvent(static_cast<OstrelEvent::Value>(I))...};
}
} // namespace

std::array<OstrelEvent, OstrelEvent::caseCount> OstrelEvent::allCases()
{
    return makeAllCases(std::make_index_sequence<caseCount>{});
}

std::optional<OstrelEvent> OstrelEvent::fromRawValue(QStringView raw)
{
    for (int i = 0; i < caseCount; ++i) {
        if (raw == QLatin1String(rawValues[i]))
            return OstrelEvent(static_cast<Value>(i));
    }
    return std::nullopt;
}

QString OstrelEvent::rawValue() const
{
    return QString::fromLatin1(rawValues[m_value]);
}
