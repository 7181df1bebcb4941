#pragma once
// The feedback window's content: report type, message, app details, and the
// copy and send actions.

#include <QString>
#include <QWidget>
#include <QCoro/QCoroTask>

class OstrelSignals;
class QAbstractButton;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class BetaSupportView : public QWidget {
    Q_OBJECT
public:
    BetaSupportView(OstrelSignals &facade, const QString &appName, QWidget *parent = nullptr);

    QString message() const;
    bool isSending() const { return m_sending; }
    const QString &result() const { return m_result; }
    // UTF-16 code units, as counted for the limit.
    static QString counterText(int length);
    // Sending needs a configuration and a message that is neither blank nor too long.
    static bool canSend(const QString &message, bool configured, bool sending);

    void copyReport();
    void sendReport();

private:
    void refresh();
    void revealActions();
    QCoro::Task<> deliver(QString message, bool bug);

    OstrelSignals &m_facade;
    bool m_sending = false;
    QString m_result;

    QPushButton *m_feedbackChoice;
    QPushButton *m_bugChoice;
    QLabel *m_prompt;
    QPlainTextEdit *m_editor;
    QLabel *m_counter;
    QAbstractButton *m_detailsToggle;
    QLabel *m_details;
    QPushButton *m_copyButton;
    QPushButton *m_sendButton;
    QLabel *m_notConfigured;
    QLabel *m_resultLabel;
};
