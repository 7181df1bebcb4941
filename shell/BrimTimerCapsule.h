#pragma once
// The timer capsule's content: a header row with the symbol, name and time
// (a click pins the capsule), and when expanded the detail line and the
// actions. Buttons act only on the presentation they were built from.

#include "models/BrimTimePresentation.h"
#include "shell/CapsuleWindow.h"

#include <QWidget>

#include <optional>

class BrimClickGuard;
class BrimkitModel;
class QLabel;
class QPushButton;
class QVBoxLayout;

class BrimTimerCapsule : public QWidget {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 16;

    BrimTimerCapsule(BrimkitModel &model, CapsuleWindow::Hooks hooks, QWidget *parent = nullptr);

    // Rebuilds from what the model presents now; nothing shows when it presents nothing.
    void present(bool expanded);
    bool isExpanded() const { return m_expanded; }
    int cornerRadius() const { return m_expanded ? 22 : 20; }

    // The name shortened to whole words, so a cut never turns it into another
    // name ("Alarm 16 with a note" must not read "Alarm 1…"). Only a first
    // word too long for the width is cut inside, and never inside a number.
    static QString shortName(const QString &text, const QFontMetrics &metrics, int width);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createHeader();
    QWidget *createDetails();
    void showHeader(const BrimTimePresentation &presentation);
    void showDetails(const BrimTimePresentation &presentation);
    void setSymbol(const QString &symbol);
    void elideName();
    bool isCurrent(const QUuid &timerID) const;
    void primaryClicked();
    void secondaryClicked();

    BrimkitModel &m_model;
    CapsuleWindow::Hooks m_hooks;
    std::optional<BrimTimePresentation> m_shown;
    bool m_expanded = false;
    QString m_symbolName;
    QString m_nameText;

    QVBoxLayout *m_layout;
    // What the buttons act on, and a guard that holds clicks back when it changes.
    QString m_target;
    BrimClickGuard *m_guard;
    QPushButton *m_header;
    QLabel *m_symbol;
    QLabel *m_name;
    QLabel *m_more;
    QLabel *m_paused;
    QLabel *m_value;
    QWidget *m_details;
    QLabel *m_detail;
    QPushButton *m_secondary;
    QPushButton *m_primary;
};
