#include "services/OstrelSignals.h"

#include "services/BetaSupportView.h"
#include "telemetry/TelemetryPreferences.h"
#include "telemetry/TellixConfiguration.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QUuid>

namespace {
QPointer<OstrelSignals> sharedInstance;

std::shared_ptr<TellixClient> makeClient(const AppBundle &bundle, const AppSignalContext &context)
{
    return std::make_shared<TellixClient>(
        TellixConfiguration::make(bundle.tellixEndpoint.value_or(QString()), bundle.tellixKey.value_or(QString())),
        context);
}
} // namespace

OstrelSignals::OstrelSignals(AppBundle bundle, std::shared_ptr<UserDefaults> defaults,
                             std::shared_ptr<TellixClient> client, QObject *parent)
    : QObject(parent)
    , m_context(AppSignalContext::live(bundle))
    , m_defaults(std::move(defaults))
    , m_telemetrySession(m_defaults, m_context.app())
    , m_currentBuild(bundle.buildNumber.value_or(QString()))
    , m_appName(bundle.appName())
{
    const TelemetryPreferences preferences = TelemetryPreferences::load(*m_defaults);
    m_enabled = preferences.usage;
    m_locationEnabled = preferences.city;
    m_configured = TellixConfiguration::make(bundle.tellixEndpoint.value_or(QString()), bundle.tellixKey.value_or(QString()))
                       .has_value();
    m_client = client ? std::move(client) : makeClient(bundle, m_context);
    if (!m_enabled || !m_configured)
        m_telemetrySession.setEnabled(false);
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            finishSession();
            // Widgets must not outlive the application object that owns us.
            m_supportWindow.reset();
        });
}

OstrelSignals::~OstrelSignals() = default;

bool OstrelSignals::configureShared(std::shared_ptr<UserDefaults> defaults, AppBundle bundle)
{
    if (sharedInstance)
        return false;
    // Owned by the application object so it goes before the event loop does.
    sharedInstance = new OstrelSignals(std::move(bundle), std::move(defaults), nullptr, QCoreApplication::instance());
    return true;
}

OstrelSignals &OstrelSignals::shared()
{
    if (!sharedInstance)
        configureShared(std::make_shared<MemoryUserDefaults>());
    return *sharedInstance;
}

void OstrelSignals::start()
{
    if (m_started)
        return;
    m_started = true;
    const bool unclean = m_telemetrySession.start(m_enabled && m_configured);
    track(OstrelEvent::appOpened);
    if (unclean)
        track(OstrelEvent::appUncleanExit);
    if (m_telemetrySession.consumeUpdateInstallation(m_currentBuild))
        track(OstrelEvent::updateInstalled);
}

void OstrelSignals::track(OstrelEvent event)
{
    if (!m_enabled || !m_configured)
        return;
    const qint64 revision = m_preferenceRevision;
    const QString identifier = installationIdentifier();
    const bool location = m_locationEnabled;
    enqueue({
        [this, revision, identifier, location] {
            if (m_enabled && m_preferenceRevision == revision)
                m_client->setConsent(true, identifier, location);
        },
        [this, revision, event] {
            if (m_enabled && m_preferenceRevision == revision)
                m_client->event(event);
        },
    });
}

void OstrelSignals::setEnabled(bool on)
{
    const qint64 revision = ++m_preferenceRevision;
    m_enabled = on;
    m_defaults->setBool(TelemetryPreferences::usageKey(), on);
    std::optional<QString> identifier;
    if (on) {
        m_telemetrySession.setEnabled(m_configured);
        identifier = installationIdentifier();
    } else {
        m_telemetrySession.setEnabled(false);
        m_defaults->remove(installationKey());
    }
    const bool location = m_locationEnabled;
    Q_EMIT changed();

    if (on) {
        enqueue({
            [this, revision, identifier, location] {
                if (m_preferenceRevision == revision)
                    m_client->setConsent(true, identifier, location);
            },
            [this, revision] {
                if (m_preferenceRevision == revision)
                    m_client->event(OstrelEvent::appOpened);
            },
        });
    } else {
        // Always applied, whatever came after: it discards the client's queue.
        enqueue({[this] { m_client->setConsent(false, std::nullopt, false); }});
    }
}

void OstrelSignals::setLocationEnabled(bool on)
{
    const qint64 revision = ++m_preferenceRevision;
    m_locationEnabled = on;
    m_defaults->setBool(TelemetryPreferences::cityKey(), on);
    const bool usage = m_enabled;
    const std::optional<QString> identifier = usage ? std::optional<QString>(installationIdentifier()) : std::nullopt;
    Q_EMIT changed();
    enqueue({
        // Drops events queued under the old choice.
        [this] { m_client->setConsent(false, std::nullopt, false); },
        [this, revision, usage, identifier, on] {
            if (m_preferenceRevision == revision)
                m_client->setConsent(usage, identifier, on);
        },
    });
}

void OstrelSignals::recordUpdateInstallation(const QString &version)
{
    m_telemetrySession.recordUpdateInstallation(version);
}

void OstrelSignals::clearUpdateInstallation()
{
    m_telemetrySession.clearUpdateInstallation();
}

void OstrelSignals::finishSession()
{
    m_telemetrySession.finish();
}

QString OstrelSignals::installationIdentifier()
{
    const std::optional<QString> stored = m_defaults->stringValue(installationKey());
    if (stored && !QUuid::fromString(*stored).isNull())
        return *stored;
    const QString fresh = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    m_defaults->setString(installationKey(), fresh);
    return fresh;
}

void OstrelSignals::enqueue(std::initializer_list<Step> steps)
{
    for (const Step &step : steps)
        m_operations.push_back(step);
    if (!m_stepScheduled) {
        m_stepScheduled = true;
        QTimer::singleShot(0, this, &OstrelSignals::runNextStep);
    }
}

void OstrelSignals::runNextStep()
{
    m_stepScheduled = false;
    if (m_operations.empty())
        return;
    const Step step = std::move(m_operations.front());
    m_operations.pop_front();
    step();
    if (!m_operations.empty() && !m_stepScheduled) {
        m_stepScheduled = true;
        QTimer::singleShot(0, this, &OstrelSignals::runNextStep);
    }
}

QCoro::Task<bool> OstrelSignals::feedback(QString message, bool bug)
{
    const std::shared_ptr<TellixClient> client = m_client;
    const bool accepted = co_await client->feedback(std::move(message), bug);
    co_return accepted;
}

QString OstrelSignals::reviewedMetadata() const
{
    // Report data read by the developers: kept in English whatever the user's language.
    return QStringList{
        QStringLiteral("App: ") + m_context.app(),
        QStringLiteral("Release: ") + m_context.release(),
        QStringLiteral("Linux: ") + m_context.os(),
        QStringLiteral("Architecture: ") + m_context.architecture(),
        QStringLiteral("Memory class: ") + m_context.memoryClass(),
    }.join(QLatin1Char('\n'));
}

void OstrelSignals::setFeedbackIsBug(bool bug)
{
    if (m_feedbackIsBug == bug)
        return;
    m_feedbackIsBug = bug;
    Q_EMIT changed();
}

void OstrelSignals::showSupport(bool bug)
{
    setFeedbackIsBug(bug);
    if (!m_supportWindow) {
        constexpr int width = 520;
        int height = 800;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            height = std::max(screen->availableGeometry().height() - 100, 360);
        height = std::min(height, 520);

        auto *scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *view = new BetaSupportView(*this, m_appName);
        view->setFixedWidth(width);
        scroll->setWidget(view);
        // Room for the scroll bar, so a scrolling view keeps its right edge.
        scroll->resize(width + scroll->frameWidth() * 2 + scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                       height);
        for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            auto *shortcut = new QShortcut(keys, scroll);
            connect(shortcut, &QShortcut::activated, scroll, &QWidget::close);
        }
        // The title says which of the two reports the window is writing.
        const auto retitle = [this, scroll] { scroll->setWindowTitle(m_feedbackIsBug ? tr("Bug report") : tr("Feedback")); };
        connect(this, &OstrelSignals::changed, scroll, retitle);
        retitle();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), scroll->size());
            frame.moveCenter(screen->availableGeometry().center());
            scroll->move(frame.topLeft());
        }
        m_supportWindow.reset(scroll);
    }
    m_supportWindow->show();
    m_supportWindow->raise();
    m_supportWindow->activateWindow();
}
