#pragma once
// Whether the desktop shows notifications now, and whether it hides banners.

struct BrimTimerNotificationSettings {
    enum class AuthorizationStatus { notDetermined = 0, denied = 1, authorized = 2, provisional = 3, ephemeral = 4 };
    enum class AlertSetting { notSupported = 0, disabled = 1, enabled = 2 };

    AuthorizationStatus authorizationStatus = AuthorizationStatus::notDetermined;
    AlertSetting alertSetting = AlertSetting::notSupported;

    bool allowsDelivery() const
    {
        return authorizationStatus == AuthorizationStatus::authorized
            || authorizationStatus == AuthorizationStatus::provisional;
    }
    friend bool operator==(const BrimTimerNotificationSettings &, const BrimTimerNotificationSettings &) = default;
};
