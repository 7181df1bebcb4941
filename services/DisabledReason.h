#pragma once
// A control shown disabled says why: the reason becomes its tooltip and its
// accessible description, for the pointer and for screen readers alike.
// Enabled, it carries its usual tip (none by default).

#include <QWidget>

#include <optional>

inline void setDisabledReason(QWidget *control, const std::optional<QString> &reason, const QString &usualTip = {})
{
    control->setEnabled(!reason);
    const QString tip = reason.value_or(usualTip);
    if (control->toolTip() != tip)
        control->setToolTip(tip);
    if (control->accessibleDescription() != tip)
        control->setAccessibleDescription(tip);
}
