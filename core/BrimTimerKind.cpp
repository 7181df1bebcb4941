#include "core/BrimTimerKind.h"

std::optional<BrimTimerKind> BrimTimerKind::fromRawValue(QStringView raw)
{
    for (BrimTimerKind kind : allCases()) {
        if (kind.rawValue() == raw)
            return kind;
    }
    return std::nullopt;
}

QString BrimTimerKind::rawValue() const
{
    switch (m_value) {
    case timer: return QStringLiteral("timer");
    case focus: return QStringLiteral("focus");
    case shortBreak: return QStringLiteral("shortBreak");
    case longBreak: return QStringLiteral("longBreak");
    }
    return {};
}

QString BrimTimerKind::title() const
{
    switch (m_value) {
    case timer: return tr("Timer");
    case focus: return tr("Focus");
    case shortBreak: return tr("Short break");
    case longBreak: return tr("Long break");
    }
    return {};
}

QString BrimTimerKind::symbol() const
{
    switch (m_value) {
    case timer: return QStringLiteral("timer");
    case focus: return QStringLiteral("leaf.fill");
    case shortBreak:
    case longBreak: return QStringLiteral("cup.and.saucer.fill");
    }
    return {};
}
