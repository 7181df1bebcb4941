#include "shell/BrimTimerOptions.h"

#include "models/BrimkitModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

BrimTimerOptions::BrimTimerOptions(BrimkitModel &model, std::optional<DesktopNotificationSettings> settings,
                                   QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_settings(std::move(settings))
    , m_capsuleToggle(new QCheckBox(tr("Show timer capsule")))
    , m_notifications(new QCheckBox(tr("Completion notifications")))
    , m_sound(new QCheckBox(tr("Completion sound")))
    , m_note(new QLabel)
    , m_openSettings(new QPushButton(tr("Notification settings…")))
{
    m_note->setWordWrap(true);
    m_note->setForegroundRole(QPalette::PlaceholderText);
    QFont caption = font();
    caption.setPointSizeF(std::max(caption.pointSizeF() - 2, 8.0));
    m_note->setFont(caption);
    m_openSettings->setFont(caption);

    auto *settingsRow = new QHBoxLayout;
    settingsRow->setContentsMargins(0, 0, 0, 0);
    settingsRow->addWidget(m_openSettings);
    settingsRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_capsuleToggle);
    layout->addWidget(m_notifications);
    layout->addWidget(m_sound);
    layout->addWidget(m_note);
    layout->addLayout(settingsRow);

    // The model's setters persist and re-synchronise notifications.
    connect(m_capsuleToggle, &QCheckBox::toggled, &m_model, &BrimkitModel::setIslandEnabled);
    connect(m_notifications, &QCheckBox::toggled, &m_model, &BrimkitModel::setNotificationEnabled);
    connect(m_sound, &QCheckBox::toggled, &m_model, &BrimkitModel::setSoundEnabled);
    connect(m_openSettings, &QPushButton::clicked, this, [this] {
        if (m_settings)
            m_settings->open();
    });
    // Hidden options skip the once-a-second change; showEvent catches up.
    connect(&m_model, &BrimkitModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

void BrimTimerOptions::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimTimerOptions::refresh()
{
    const std::pair<QCheckBox *, bool> toggles[] = {
        {m_capsuleToggle, m_model.islandEnabled()},
        {m_notifications, m_model.notificationEnabled()},
        {m_sound, m_model.soundEnabled()},
    };
    for (const auto &[box, on] : toggles) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    }
    auto note = m_model.notificationNote();
    if (!note)
        note = m_model.alarms().notificationNote();
    m_note->setVisible(note.has_value());
    m_note->setText(note.value_or(QString()));
    m_openSettings->setVisible(note.has_value() && m_settings.has_value());
}
