#pragma once

#include <QStackedWidget>

// Shows one page of a stack and lets the stack take that page's height only,
// instead of the tallest page's.
inline void showOnlyPage(QStackedWidget *stack, int index)
{
    for (int i = 0; i < stack->count(); ++i) {
        const auto policy = i == index ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        stack->widget(i)->setSizePolicy(policy, policy);
    }
    stack->setCurrentIndex(index);
    stack->adjustSize();
}
