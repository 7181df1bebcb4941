#pragma once
// What a global shortcut can do. Each action is one of the panel's own
// buttons; the raw value is the id stored with the user's keys and given to
// the desktop's shortcut service.

#include <QCoreApplication>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

class BrimShortcutAction {
    Q_DECLARE_TR_FUNCTIONS(BrimShortcutAction)

public:
    enum Value {
        togglePanel,
        pauseOrResume,
        startTimer,
        startFocus,
        startShortBreak,
        cancelTimer,
        toggleAwake,
        cleanLink,
        pickColor,
    };

    constexpr BrimShortcutAction(Value v) : m_value(v) {}
    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<BrimShortcutAction, 9> allCases()
    {
        return {togglePanel, pauseOrResume, startTimer, startFocus, startShortBreak,
                cancelTimer, toggleAwake,   cleanLink,  pickColor};
    }
    // Exact, case-sensitive match of a raw value.
    static std::optional<BrimShortcutAction> fromRawValue(QStringView raw);

    QString rawValue() const;
    // The settings row's title, also the description the desktop shows.
    QString title() const;

private:
    Value m_value;
};
