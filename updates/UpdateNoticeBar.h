#pragma once
// A bar across the top of a host window while an update waits: a download
// symbol, the controller's message, and one button that ends the wait.
// Hidden whenever its condition does not hold.

#include <QWidget>
#include <functional>
#include <optional>

class AppUpdates;
class QLabel;
class QPushButton;

class UpdateNoticeBar : public QWidget {
    Q_OBJECT

protected:
    // `buttonTitle` gives the button's title while the bar is to be shown, nothing otherwise.
    UpdateNoticeBar(AppUpdates &updates, QMargins margins, std::function<std::optional<QString>()> buttonTitle,
                    std::function<void()> action, QWidget *parent);

private:
    void refresh();

    AppUpdates &m_updates;
    std::function<std::optional<QString>()> m_buttonTitle;
    QLabel *m_message;
    QPushButton *m_button;
};
