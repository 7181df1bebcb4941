#include "shell/BrimClickGuard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>

void BrimClickGuard::protect(QWidget *button)
{
    button->installEventFilter(this);
}

bool BrimClickGuard::isSettled() const
{
    return !m_changed.isValid() || m_changed.elapsed() >= QApplication::doubleClickInterval();
}

bool BrimClickGuard::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
        || type == QEvent::MouseButtonRelease;
    if (!mouse || isSettled())
        return QObject::eventFilter(watched, event);
    // A press from before the change must not complete as a click either.
    if (auto *button = qobject_cast<QAbstractButton *>(watched))
        button->setDown(false);
    return true;
}
