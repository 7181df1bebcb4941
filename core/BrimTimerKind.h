#pragma once
// The four kinds of countdown: a plain timer and the focus-session kinds.

#include <QCoreApplication>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

class BrimTimerKind {
    Q_DECLARE_TR_FUNCTIONS(BrimTimerKind)

public:
    enum Value { timer, focus, shortBreak, longBreak };

    constexpr BrimTimerKind(Value v) : m_value(v) {}
    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<BrimTimerKind, 4> allCases() { return {timer, focus, shortBreak, longBreak}; }
    // Exact, case-sensitive match of a raw value.
    static std::optional<BrimTimerKind> fromRawValue(QStringView raw);

    QString rawValue() const;
    QString title() const;
    QString completionTitle() const { return tr("%1 finished").arg(title()); }
    // Symbol name keyed into the icon set.
    QString symbol() const;
    // Default length offered for the kind.
    constexpr int minutes() const
    {
        switch (m_value) {
        case shortBreak: return 5;
        case longBreak: return 15;
        case timer:
        case focus: break;
        }
        return 25;
    }
    // The kind that naturally follows; a long break never does.
    constexpr BrimTimerKind next() const
    {
        switch (m_value) {
        case timer: return timer;
        case focus: return shortBreak;
        case shortBreak:
        case longBreak: break;
        }
        return focus;
    }

private:
    Value m_value;
};
