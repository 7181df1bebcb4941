#pragma once
// The launch-at-login toggle with its explanation underneath: why it is
// unavailable, that the desktop must approve it, or the host's detail text.
// Each view owns its controller and re-reads the status when shown and
// whenever the application becomes active again.

#include <QString>
#include <QWidget>

class LaunchAtLoginController;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

class LaunchAtLoginSettings : public QWidget {
    Q_OBJECT

public:
    explicit LaunchAtLoginSettings(QString detail, QWidget *parent = nullptr);
    // Over a controller of the caller's (it becomes this view's child).
    LaunchAtLoginSettings(QString detail, LaunchAtLoginController *controller, QWidget *parent = nullptr);

    LaunchAtLoginController &controller() const { return *m_controller; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    QString m_detail;
    // The toggle's accessible hint while it can be used.
    QString m_hint;
    LaunchAtLoginController *m_controller;
    QCheckBox *m_toggle;
    QLabel *m_explanation;
    QPushButton *m_openSettings;
    QWidget *m_progress;
    QLabel *m_error;
    bool m_refocus = false;
};
