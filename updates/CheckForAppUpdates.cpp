#include "updates/CheckForAppUpdates.h"

#include "services/AppTheme.h"
#include "services/DisabledReason.h"
#include "updates/AppUpdates.h"
#include "updates/PendingUpdateButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

CheckForAppUpdates::CheckForAppUpdates(AppUpdates &updates, bool busy, QWidget *parent)
    : QWidget(parent)
    , m_updates(updates)
    , m_busy(busy)
{
    auto *settings = new QPushButton(tr("Update Settings…"));
    connect(settings, &QPushButton::clicked, &m_updates, &AppUpdates::showPreferences);
    auto *pending = new PendingUpdateButtons(m_updates, this);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(checkButton(m_updates, this));
    layout->addWidget(settings);
    layout->addWidget(pending->closeSessions());
    layout->addWidget(pending->pendingWork());
    layout->addStretch(1);
    AppTheme::tint(*this);
}

QPushButton *CheckForAppUpdates::checkButton(AppUpdates &updates, QWidget *owner)
{
    auto *button = new QPushButton(tr("Check for Updates…"), owner);
    QObject::connect(button, &QPushButton::clicked, &updates, &AppUpdates::check);
    const auto refresh = [&updates, button] {
        std::optional<QString> reason;
        if (!updates.available())
            reason = updates.message();
        else if (!updates.canCheck())
            reason = tr("An update check is already under way.");
        setDisabledReason(button, reason);
    };
    QObject::connect(&updates, &AppUpdates::changed, button, refresh);
    refresh();
    return button;
}
