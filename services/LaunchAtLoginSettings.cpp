#include "services/LaunchAtLoginSettings.h"

#include "services/DisabledReason.h"
#include "services/LaunchAtLoginController.h"
#include "services/SecondaryLabel.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

LaunchAtLoginSettings::LaunchAtLoginSettings(QString detail, QWidget *parent)
    : LaunchAtLoginSettings(std::move(detail), new LaunchAtLoginController, parent)
{
}

LaunchAtLoginSettings::LaunchAtLoginSettings(QString detail, LaunchAtLoginController *controller, QWidget *parent)
    : QWidget(parent)
    , m_detail(std::move(detail))
    , m_controller(controller)
    , m_toggle(new QCheckBox(tr("Launch at login")))
    , m_explanation(new SecondaryLabel)
    , m_openSettings(new QPushButton(tr("Open Login Items Settings")))
    , m_progress(new QWidget)
    , m_error(new QLabel)
{
    m_controller->setParent(this);
    m_hint = tr("Open this app automatically when you log in to your computer");
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *spinner = new QProgressBar;
    spinner->setRange(0, 0);
    spinner->setMaximumSize(48, 10);
    spinner->setTextVisible(false);
    auto *progressLayout = new QHBoxLayout(m_progress);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->addWidget(spinner);
    progressLayout->addWidget(new SecondaryLabel(tr("Updating startup preference…")), 1);
    spinner->setAccessibleName(tr("Updating startup preference…"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_toggle);
    layout->addWidget(m_explanation);
    layout->addWidget(m_openSettings, 0, Qt::AlignLeft);
    layout->addWidget(m_progress);
    layout->addWidget(m_error);

    // clicked, not toggled: only the user's own change asks for registration.
    connect(m_toggle, &QCheckBox::clicked, this, [this](bool on) {
        m_controller->setEnabled(on);
        refresh();
    });
    connect(m_openSettings, &QPushButton::clicked, m_controller, &LaunchAtLoginController::openSettings);
    connect(m_controller, &LaunchAtLoginController::changed, this, &LaunchAtLoginSettings::refresh);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible())
            m_controller->refreshStatus();
    });
    refresh();
}

void LaunchAtLoginSettings::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_controller->refreshStatus();
}

void LaunchAtLoginSettings::refresh()
{
    const LaunchAtLoginController &controller = *m_controller;
    m_toggle->setChecked(controller.isRegistered());
    // Disabling the focused toggle sends keyboard focus elsewhere; it comes back when the update ends.
    std::optional<QString> reason = controller.unavailableReason();
    if (!reason && controller.isUpdating())
        reason = tr("Updating startup preference…");
    if (reason && m_toggle->hasFocus())
        m_refocus = true;
    setDisabledReason(m_toggle, reason, m_hint);
    const bool enabled = !reason;
    if (enabled && std::exchange(m_refocus, false))
        m_toggle->setFocus();

    const bool needsApproval = !controller.unavailableReason() && controller.status() == LoginItemStatus::requiresApproval;
    if (controller.unavailableReason())
        m_explanation->setText(*controller.unavailableReason());
    else if (needsApproval)
        m_explanation->setText(tr("Approval is needed in your desktop settings before this app can launch at login."));
    else
        m_explanation->setText(m_detail);
    m_explanation->setVisible(!m_explanation->text().isEmpty());
    m_openSettings->setVisible(needsApproval && controller.canOpenSettings());

    m_progress->setVisible(controller.isUpdating());
    m_error->setVisible(controller.errorMessage().has_value());
    m_error->setText(controller.errorMessage().value_or(QString()));
}
