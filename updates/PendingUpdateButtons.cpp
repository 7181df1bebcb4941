#include "updates/PendingUpdateButtons.h"

#include "updates/AppUpdates.h"

#include <QPushButton>

PendingUpdateButtons::PendingUpdateButtons(AppUpdates &updates, QObject *parent)
    : QObject(parent)
    , m_updates(updates)
    , m_closeSessions(new QPushButton(tr("Close Sessions and Update…")))
    , m_pendingWork(new QPushButton)
{
    connect(m_closeSessions, &QPushButton::clicked, &m_updates, &AppUpdates::closeSessionsAndInstallUpdate);
    connect(m_pendingWork, &QPushButton::clicked, &m_updates, &AppUpdates::resolvePendingWork);
    connect(&m_updates, &AppUpdates::changed, this, &PendingUpdateButtons::refresh);
    refresh();
}

void PendingUpdateButtons::refresh()
{
    m_closeSessions->setVisible(m_updates.canCloseSessionsForUpdate());
    const std::optional<QString> title = m_updates.pendingWorkActionTitle();
    m_pendingWork->setVisible(title.has_value());
    if (title)
        m_pendingWork->setText(*title);
}
