#include "updates/AppDistributionSettings.h"

#include "services/AppTheme.h"
#include "services/LaunchAtLoginSettings.h"
#include "services/SecondaryLabel.h"
#include "services/SupportSettingsFooter.h"
#include "updates/AppUpdates.h"
#include "updates/CheckForAppUpdates.h"
#include "updates/PendingUpdateButtons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

AppDistributionSettings::AppDistributionSettings(AppUpdates &updates, bool busy, QWidget *parent)
    : QWidget(parent)
    , m_updates(updates)
    , m_busy(busy)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createLaunchSection());
    layout->addWidget(createUpdatesSection());
    layout->addWidget(createSupportSection());
    layout->addStretch(1);
    AppTheme::tint(*this);

    connect(&m_updates, &AppUpdates::changed, this, &AppDistributionSettings::refresh);
    refresh();
}

QWidget *AppDistributionSettings::createLaunchSection()
{
    auto *section = new QGroupBox;
    auto *layout = new QVBoxLayout(section);
    layout->addWidget(new LaunchAtLoginSettings(tr("Applies only to this app. Recording does not start automatically.")));
    return section;
}

QWidget *AppDistributionSettings::createUpdatesSection()
{
    auto *section = new QGroupBox(tr("Updates"));
    auto *layout = new QVBoxLayout(section);

    m_automaticChecks = new QCheckBox(tr("Automatically check for updates"));
    m_automaticDownloads = new QCheckBox(tr("Download updates automatically"));
    // clicked, not toggled: the mirrors follow the updater, only the user writes to it.
    connect(m_automaticChecks, &QCheckBox::clicked, &m_updates, &AppUpdates::setAutomaticChecks);
    connect(m_automaticDownloads, &QCheckBox::clicked, &m_updates, &AppUpdates::setAutomaticDownloads);
    // A switch the updater did not take snaps back to the mirrored value.
    connect(m_automaticChecks, &QCheckBox::clicked, this, &AppDistributionSettings::refresh);
    connect(m_automaticDownloads, &QCheckBox::clicked, this, &AppDistributionSettings::refresh);
    m_message = new SecondaryLabel;
    auto *pending = new PendingUpdateButtons(m_updates, this);

    layout->addWidget(m_automaticChecks);
    layout->addWidget(m_automaticDownloads);
    layout->addWidget(CheckForAppUpdates::checkButton(m_updates, section), 0, Qt::AlignLeft);
    layout->addWidget(m_message);
    layout->addWidget(pending->closeSessions(), 0, Qt::AlignLeft);
    layout->addWidget(pending->pendingWork(), 0, Qt::AlignLeft);
    layout->addWidget(new SecondaryLabel(
        tr("Installation waits until active work finishes. You can keep automatic checks off and update manually.")));
    return section;
}

QWidget *AppDistributionSettings::createSupportSection()
{
    auto *section = new QGroupBox;
    auto *layout = new QVBoxLayout(section);
    layout->addWidget(new SupportSettingsFooter(m_updates.signals()));
    return section;
}

void AppDistributionSettings::refresh()
{
    m_automaticChecks->setChecked(m_updates.automaticChecks());
    m_automaticChecks->setEnabled(m_updates.available());
    m_automaticDownloads->setChecked(m_updates.automaticDownloads());
    m_automaticDownloads->setEnabled(m_updates.available() && m_updates.automaticChecks());
    m_message->setText(m_updates.message());
}
