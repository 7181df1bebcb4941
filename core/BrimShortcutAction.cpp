#include "core/BrimShortcutAction.h"

std::optional<BrimShortcutAction> BrimShortcutAction::fromRawValue(QStringView raw)
{
    for (BrimShortcutAction action : allCases()) {
        if (action.rawValue() == raw)
            return action;
    }
    return std::nullopt;
}

QString BrimShortcutAction::rawValue() const
{
    switch (m_value) {
    case togglePanel: return QStringLiteral("togglePanel");
    case pauseOrResume: return QStringLiteral("pauseOrResume");
    case startTimer: return QStringLiteral("startTimer");
    case startFocus: return QStringLiteral("startFocus");
    case startShortBreak: return QStringLiteral("startShortBreak");
    case cancelTimer: return QStringLiteral("cancelTimer");
    case toggleAwake: return QStringLiteral("toggleAwake");
    case cleanLink: return QStringLiteral("cleanLink");
    case pickColor: return QStringLiteral("pickColor");
    }
    return {};
}

QString BrimShortcutAction::title() const
{
    switch (m_value) {
    case togglePanel: return tr("Open or close the panel");
    case pauseOrResume: return tr("Pause or resume the countdown");
    case startTimer: return tr("Start the timer");
    case startFocus: return tr("Start a focus session");
    case startShortBreak: return tr("Start a short break");
    case cancelTimer: return tr("Cancel the countdown");
    case toggleAwake: return tr("Turn keep awake on or off");
    case cleanLink: return tr("Clean the link on the clipboard");
    case pickColor: return tr("Pick a color from the screen");
    }
    return {};
}
