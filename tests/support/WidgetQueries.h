#pragma once
// Finding what a view shows by its text.

#include <QAbstractButton>
#include <QLabel>

// The button with exactly this text, shown or not.
inline QAbstractButton *buttonTitled(QWidget &root, const QString &text)
{
    for (auto *b : root.findChildren<QAbstractButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// A label or button with exactly this text is visible within root.
inline bool shows(QWidget &root, const QString &text)
{
    for (auto *w : root.findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(w);
        const auto *button = qobject_cast<QAbstractButton *>(w);
        if (w->isVisibleTo(&root) && ((label && label->text() == text) || (button && button->text() == text)))
            return true;
    }
    return false;
}
