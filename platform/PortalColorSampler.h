#pragma once
// Picks a screen colour through the desktop portal's Screenshot.PickColor,
// which also works on Wayland; the portal answers with sRGB components.
// Where no portal answers the call (none on the bus, or one without the
// method), the fallback sampler is asked instead.

#include "models/BrimColorSampler.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <memory>

class QDBusMessage;
class QDBusPendingCallWatcher;

class PortalColorSampler final : public QObject, public BrimColorSampler {
    Q_OBJECT

public:
    // The portal returns the request handle at once; the picking itself is
    // waited for without a limit.
    static constexpr int defaultCallTimeoutMs = 5000;

    // fallback may be null: then a missing portal means "unavailable".
    PortalColorSampler(QDBusConnection bus, std::shared_ptr<BrimColorSampler> fallback,
                       int callTimeoutMs = defaultCallTimeoutMs);
    ~PortalColorSampler() override;

    // A pick while one is open is answered "cancelled" and changes nothing.
    void pick(Done done) override;

private Q_SLOTS:
    void onResponse(const QDBusMessage &response);

private:
    void onCallFinished(QDBusPendingCallWatcher *watcher);
    void onPortalGone();
    void listen(const QString &requestPath);
    void stopListening();
    void fallBack();
    void finish(const BrimSampledColor &sample);

    QDBusConnection m_bus;
    std::shared_ptr<BrimColorSampler> m_fallback;
    int m_callTimeoutMs;
    QDBusServiceWatcher m_portalWatcher;
    // Set while a pick is open (through the portal or the fallback).
    Done m_done;
    bool m_busy = false;
    QString m_requestPath;
    unsigned m_tokenCounter = 0;
};
