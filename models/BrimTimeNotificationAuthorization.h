#pragma once
// The one notification-permission request shared by timers and alarms, so a
// timer and an alarm that both need permission at once cause one prompt.

#include "models/BrimCompletion.h"
#include "models/BrimTimerNotificationCenter.h"
#include "telemetry/OstrelEvent.h"

#include <functional>
#include <memory>
#include <optional>

class BrimTimeNotificationAuthorization : public std::enable_shared_from_this<BrimTimeNotificationAuthorization> {
public:
    using Track = std::function<void(OstrelEvent)>;
    // Nothing means the caller's work went stale; the error is the platform's.
    using Answer = Result<std::optional<BrimTimerNotificationSettings>, QString>;

    // Create with std::make_shared: a request in flight keeps the object alive.
    BrimTimeNotificationAuthorization(std::shared_ptr<BrimTimerNotificationCenter> center, Track track);

    // Current settings, asking for permission first when requestPermission is
    // set and the user was never asked. isCurrent is consulted after every wait.
    QCoro::Task<Answer> settings(bool requestPermission, std::function<bool()> isCurrent);

private:
    struct PendingRequest {
        std::shared_ptr<BrimCompletion> done = std::make_shared<BrimCompletion>();
        std::optional<Result<bool, QString>> answer;
    };
    static QCoro::Task<> ask(std::shared_ptr<BrimTimerNotificationCenter> center, Track track,
                             std::shared_ptr<PendingRequest> request);

    std::shared_ptr<BrimTimerNotificationCenter> m_center;
    Track m_track;
    std::shared_ptr<PendingRequest> m_pending;
};
