#include "models/BrimTimeNotificationAuthorization.h"

using Status = BrimTimerNotificationSettings::AuthorizationStatus;

BrimTimeNotificationAuthorization::BrimTimeNotificationAuthorization(
    std::shared_ptr<BrimTimerNotificationCenter> center, Track track)
    : m_center(std::move(center))
    , m_track(std::move(track))
{
}

QCoro::Task<> BrimTimeNotificationAuthorization::ask(std::shared_ptr<BrimTimerNotificationCenter> center,
                                                     Track track, std::shared_ptr<PendingRequest> request)
{
    Result<bool, QString> answer = co_await center->requestAuthorization();
    if (!answer.ok()) {
        if (track)
            track(OstrelEvent::brimNotificationFailed);
    } else if (!answer.value() && track) {
        track(OstrelEvent::brimNotificationDenied);
    }
    request->answer = std::move(answer);
    request->done->finish();
}

QCoro::Task<BrimTimeNotificationAuthorization::Answer>
BrimTimeNotificationAuthorization::settings(bool requestPermission, std::function<bool()> isCurrent)
{
    // Both stay alive across the waits even if the owner lets go.
    const auto self = shared_from_this();
    const auto center = m_center;
    BrimTimerNotificationSettings current = co_await center->settings();
    if (!isCurrent())
        co_return std::optional<BrimTimerNotificationSettings>{};

    if (requestPermission && current.authorizationStatus == Status::denied) {
        if (m_track)
            m_track(OstrelEvent::brimNotificationDenied);
        co_return std::optional{current};
    }
    if (current.authorizationStatus != Status::notDetermined)
        co_return std::optional{current};

    if (!m_pending && requestPermission) {
        m_pending = std::make_shared<PendingRequest>();
        ask(center, m_track, m_pending); // runs on; the latch reports its end
    }
    if (!m_pending)
        co_return std::optional{current};

    const std::shared_ptr<PendingRequest> pending = m_pending;
    co_await pending->done->wait();
    if (!pending->answer->ok()) {
        // Let a later call ask again.
        if (m_pending == pending)
            m_pending.reset();
        co_return Failure{pending->answer->error()};
    }
    if (!isCurrent())
        co_return std::optional<BrimTimerNotificationSettings>{};
    current = co_await center->settings();
    if (!isCurrent())
        co_return std::optional<BrimTimerNotificationSettings>{};
    co_return std::optional{current};
}
