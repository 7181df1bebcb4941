#pragma once
// The "Update Settings" window: 520 by 540, centred, kept when closed;
// Escape and Ctrl+W close it.

#include <QWidget>

class AppUpdates;

class UpdateSettingsWindow : public QWidget {
    Q_OBJECT

public:
    explicit UpdateSettingsWindow(AppUpdates &updates, QWidget *parent = nullptr);

    // Brings the window to the front, centred the first time.
    void present();

private:
    bool m_placed = false;
};
