#include "shell/BrimkitDelegate.h"

#include "services/BetaSupportCommands.h"
#include "services/OstrelSignals.h"
#include "shell/BrimkitPopup.h"
#include "shell/BrimkitStatusItem.h"
#include "shell/BrimTimerOverlayController.h"
#include "shell/SystemBrimTimerDesktop.h"

#include <QPointer>

BrimkitDelegate::BrimkitDelegate(BrimkitModel::Environment environment, QObject *parent)
    : QObject(parent)
    , m_model(std::make_unique<BrimkitModel>(std::move(environment)))
    , m_updates(std::make_unique<AppUpdates>())
{
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
    m_statusItem = std::make_unique<BrimkitStatusItem>(*m_model);
    connect(m_statusItem.get(), &BrimkitStatusItem::quitRequested, this, &BrimkitDelegate::quitRequested);
    connect(m_statusItem.get(), &BrimkitStatusItem::activated, this, [this] {
        if (m_popup && m_popup->isVisible())
            m_popup->hide();
        else
            showPanel();
    });
    BetaSupportCommands::addTo(&m_statusItem->menu(), OstrelSignals::shared());
    m_statusItem->show();
    m_timerOverlay = std::make_unique<BrimTimerOverlayController>(*m_model, std::make_shared<SystemBrimTimerDesktop>());
}

BrimkitPopup &BrimkitDelegate::popup()
{
    // Built on first use: an idle tray app should not carry a window it never shows.
    if (!m_popup) {
        m_popup = std::make_unique<BrimkitPopup>(*m_model, *m_updates);
        connect(m_popup.get(), &BrimkitPopup::quitRequested, this, &BrimkitDelegate::quitRequested);
    }
    return *m_popup;
}

void BrimkitDelegate::showPanel()
{
    if (!m_launched || m_terminated)
        return;
    popup();
    m_model->applicationDidBecomeActive();
    m_popup->popUp(m_statusItem ? m_statusItem->geometry() : QRect());
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
    if (m_popup)
        m_popup->hide();
    if (m_timerOverlay)
        m_timerOverlay->close();
    m_model->shutdown();
}
