#pragma once
// The timer's settings block for the tool panel: the capsule, completion
// notifications and sound, and the notification note with a way to the
// desktop's notification settings.

#include "platform/DesktopNotificationSettings.h"

#include <QWidget>

#include <optional>

class BrimkitModel;
class QCheckBox;
class QLabel;
class QPushButton;

class BrimTimerOptions : public QWidget {
    Q_OBJECT

public:
    // `settings` is the desktop's notification settings program; absent hides its button.
    explicit BrimTimerOptions(BrimkitModel &model,
                              std::optional<DesktopNotificationSettings> settings = DesktopNotificationSettings::current(),
                              QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    BrimkitModel &m_model;
    std::optional<DesktopNotificationSettings> m_settings;
    QCheckBox *m_capsuleToggle;
    QCheckBox *m_notifications;
    QCheckBox *m_sound;
    QLabel *m_note;
    QPushButton *m_openSettings;
};
