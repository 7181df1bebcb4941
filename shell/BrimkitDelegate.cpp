#include "shell/BrimkitDelegate.h"

#include "models/BrimkitLogging.h"
#include "models/BrimShortcutsModel.h"
#include "services/OstrelSignals.h"
#include "shell/BrimkitStatusItem.h"
#include "shell/BrimShortcutActions.h"
#include "shell/BrimTimerOverlayController.h"
#include "shell/SystemCapsuleDesktop.h"

#include <QPointer>

BrimkitDelegate::BrimkitDelegate(BrimkitModel::Environment environment, BrimkitPanel::Environment panelEnvironment,
                                 QObject *parent)
    : QObject(parent)
    , m_notifications(environment.notifications)
    , m_model(std::make_unique<BrimkitModel>(std::move(environment)))
    , m_updates(std::make_unique<AppUpdates>())
    , m_panelEnvironment(std::move(panelEnvironment))
{
    if (!m_panelEnvironment.signals)
        m_panelEnvironment.signals = &OstrelSignals::shared();
}

BrimkitDelegate::~BrimkitDelegate()
{
    applicationWillTerminate();
}

void BrimkitDelegate::applicationDidFinishLaunching()
{
    if (m_launched)
        return;
    m_launched = true;
    OstrelSignals::shared().start();
    m_updates->start(busyPredicate());
    m_statusItem = std::make_unique<BrimkitStatusItem>(*m_model, *m_panelEnvironment.signals);
    connect(m_statusItem.get(), &BrimkitStatusItem::quitRequested, this, &BrimkitDelegate::quitRequested);
    connect(m_statusItem.get(), &BrimkitStatusItem::activated, this, &BrimkitDelegate::togglePanel);
    connect(m_statusItem.get(), &BrimkitStatusItem::openRequested, this, &BrimkitDelegate::showPanel);
    m_statusItem->show();
    m_capsule = std::make_unique<BrimTimerOverlayController>(*m_model, std::make_shared<SystemCapsuleDesktop>());
    startShortcuts();
}

void BrimkitDelegate::startShortcuts()
{
    const std::shared_ptr<BrimShortcutsModel> &shortcuts = m_panelEnvironment.shortcuts;
    if (!shortcuts)
        return;
    BrimShortcutActions::Environment environment{
        m_panelEnvironment.clipboard, m_notifications,
        // No click came first, so nothing just closed it.
        [this] { m_panel && m_panel->isVisible() ? m_panel->hide() : showPanel(); },
        [this] { return m_panel.get(); }, [this]() -> BrimColorModel & { return panel().colorsTool(); }};
    m_shortcutActions = std::make_unique<BrimShortcutActions>(*m_model, std::move(environment));
    connect(shortcuts.get(), &BrimShortcutsModel::activated, m_shortcutActions.get(), &BrimShortcutActions::run);
    shortcuts->start();
}

BrimkitPanel &BrimkitDelegate::panel()
{
    // Built on first use: an idle tray app should not carry a window it never shows.
    if (!m_panel) {
        m_panel = std::make_unique<BrimkitPanel>(*m_model, m_updates.get(), m_panelEnvironment);
        connect(m_panel.get(), &BrimkitPanel::quitRequested, this, &BrimkitDelegate::quitRequested);
        connect(m_panel.get(), &BrimkitPanel::frameChanged, this, [this](const QRect &frame) {
            if (m_capsule)
                m_capsule->setPanelFrame(frame);
        });
    }
    return *m_panel;
}

void BrimkitDelegate::togglePanel(const QRect &anchor)
{
    // With the panel's first paint, this times an opening (QT_MESSAGE_PATTERN="%{time process}…").
    qCDebug(lcBrimkit) << "tray icon clicked";
    if (m_panel && m_panel->isVisible())
        m_panel->hide();
    // The click on the icon has just closed the panel: it stays closed.
    else if (!m_panel || !m_panel->justClosed())
        openPanel(anchor);
}

void BrimkitDelegate::showPanel()
{
    openPanel(m_statusItem ? m_statusItem->anchor() : QRect());
}

void BrimkitDelegate::openPanel(const QRect &anchor)
{
    if (!m_launched || m_terminated)
        return;
    panel();
    m_model->applicationDidBecomeActive();
    m_panel->popUp(anchor);
}

std::function<bool()> BrimkitDelegate::busyPredicate()
{
    return [self = QPointer<BrimkitDelegate>(this)] { return self && self->m_model->isBusy(); };
}

void BrimkitDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    if (m_panel)
        m_panel->hide();
    if (m_capsule)
        m_capsule->close();
    // The keys go back to the desktop at once, not when the process ends.
    if (m_panelEnvironment.shortcuts)
        m_panelEnvironment.shortcuts->stop();
    m_model->shutdown();
}
