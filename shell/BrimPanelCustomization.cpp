#include "shell/BrimPanelCustomization.h"

#include "models/BrimkitModel.h"
#include "services/DisabledReason.h"
#include "services/LaunchAtLoginSettings.h"
#include "services/SupportSettingsFooter.h"
#include "shell/BrimShortcutSettings.h"
#include "shell/BrimTimerOptions.h"
#include "shell/ToolLabels.h"
#include "updates/CheckForAppUpdates.h"

#include <QCheckBox>
#include <QFrame>
#include <QVBoxLayout>

BrimPanelCustomization::BrimPanelCustomization(BrimkitModel &model, OstrelSignals &signals, AppUpdates *updates,
                                               std::optional<DesktopNotificationSettings> notificationSettings,
                                               BrimShortcutsModel *shortcuts, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolHeading(tr("Enabled tools")));
    layout->addWidget(createToolToggles());
    layout->addWidget(toolCaption(tr("Stop active sessions and clear saved alarms before hiding their tools.")));
    layout->addWidget(toolDivider());
    layout->addWidget(toolHeading(tr("Time alerts")));
    layout->addWidget(new BrimTimerOptions(model, std::move(notificationSettings)));
    if (shortcuts) {
        layout->addWidget(toolDivider());
        layout->addWidget(toolHeading(tr("Shortcuts")));
        layout->addWidget(new BrimShortcutSettings(*shortcuts));
    }
    layout->addWidget(toolDivider());
    layout->addWidget(new LaunchAtLoginSettings(tr("Only Brimkit opens. Timers and keep awake start when you choose.")));
    if (updates)
        layout->addWidget(new CheckForAppUpdates(*updates, model.isBusy()));
    layout->addWidget(toolDivider());
    layout->addWidget(new SupportSettingsFooter(signals));

    // Locks follow the models while the pane is on show.
    connect(&m_model, &BrimkitModel::changed, this, [this] {
        if (isVisible())
            refreshLocks();
    });
    connect(&m_model.alarms(), &BrimAlarmsModel::changed, this, [this] {
        if (isVisible())
            refreshLocks();
    });
}

QWidget *BrimPanelCustomization::createToolToggles()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (BrimTool tool : BrimTool::allCases()) {
        auto *toggle = new QCheckBox(tool.title());
        layout->addWidget(toggle);
        m_toggles.emplace(tool.value(), toggle);
        // clicked, not toggled: only the user's own switches change the stored list.
        connect(toggle, &QCheckBox::clicked, this, [this, tool](bool on) { Q_EMIT toolToggled(tool, on); });
    }
    return box;
}

QString BrimPanelCustomization::lockReason(BrimTool tool)
{
    switch (tool.value()) {
    case BrimTool::awake: return tr("Stop keeping awake before hiding this tool.");
    case BrimTool::timer: return tr("Stop the timer before hiding this tool.");
    default: return tr("Cancel or dismiss every saved alarm before hiding this tool.");
    }
}

bool BrimPanelCustomization::isActive(BrimTool tool, const BrimkitModel &model)
{
    switch (tool.value()) {
    case BrimTool::awake: return model.awakeUntil().has_value();
    case BrimTool::timer: return model.isTiming();
    case BrimTool::alarms: return !model.alarms().book().alarms().isEmpty();
    default: return false;
    }
}

void BrimPanelCustomization::setEnabledTools(const QList<BrimTool> &enabled)
{
    for (auto &[value, toggle] : m_toggles)
        toggle->setChecked(enabled.contains(BrimTool(value)));
    refreshLocks();
}

void BrimPanelCustomization::showEvent(QShowEvent *event)
{
    refreshLocks();
    QWidget::showEvent(event);
}

void BrimPanelCustomization::refreshLocks()
{
    for (auto &[value, toggle] : m_toggles) {
        const BrimTool tool(value);
        setDisabledReason(toggle, isActive(tool, m_model) ? std::optional(lockReason(tool)) : std::nullopt);
    }
}
