#pragma once
// Holds back mouse clicks on a set of buttons for one double-click interval
// after what lies under them changed (rows rebuilt, cards reordered, the
// capsule's actions replaced): the second click of a double-click must never
// act on a button that has just arrived under the pointer. Keys are not held
// back; they act on the focused button, which the user can see.

#include <QElapsedTimer>
#include <QObject>

class QWidget;

class BrimClickGuard : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // What the protected buttons show or where they are just changed.
    void arm() { m_changed.start(); }
    void protect(QWidget *button);
    // No change within the double-click interval.
    bool isSettled() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QElapsedTimer m_changed;
};
