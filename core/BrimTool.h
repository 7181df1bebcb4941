#pragma once
// The fixed catalogue of panel tools. Case order is catalogue order.

#include <QCoreApplication>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

class BrimTool {
    Q_DECLARE_TR_FUNCTIONS(BrimTool)

public:
    enum Value { awake, timer, alarms, links, apps, colors, text, qr };

    constexpr BrimTool(Value v) : m_value(v) {}
    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<BrimTool, 8> allCases()
    {
        return {awake, timer, alarms, links, apps, colors, text, qr};
    }
    // Exact, case-sensitive match of a raw value.
    static std::optional<BrimTool> fromRawValue(QStringView raw);

    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString title() const;
    // Symbol name keyed into the icon set.
    QString symbol() const;

private:
    Value m_value;
};
