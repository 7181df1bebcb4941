#pragma once
// The failures of the alarm book and the alarm file, each with the fixed text
// the user is shown.

#include <QCoreApplication>
#include <QString>
#include <array>

class BrimAlarmError {
    Q_DECLARE_TR_FUNCTIONS(BrimAlarmError)

public:
    enum Value { capacity, futureDate, title, invalidArchive, newerArchive };

    constexpr BrimAlarmError(Value v) : m_value(v) {}
    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<BrimAlarmError, 5> allCases()
    {
        return {capacity, futureDate, title, invalidArchive, newerArchive};
    }

    QString description() const;

private:
    Value m_value;
};
