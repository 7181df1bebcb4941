#pragma once
// The six transformations of the text tool. Case order is the picker's order.

#include <QCoreApplication>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

class BrimTextOperation {
    Q_DECLARE_TR_FUNCTIONS(BrimTextOperation)

public:
    enum Value { plain, uppercase, lowercase, titleCase, trimLines, collapseSpaces };

    constexpr BrimTextOperation(Value v) : m_value(v) {}
    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<BrimTextOperation, 6> allCases()
    {
        return {plain, uppercase, lowercase, titleCase, trimLines, collapseSpaces};
    }
    // Exact, case-sensitive match of a raw value.
    static std::optional<BrimTextOperation> fromRawValue(QStringView raw);

    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString title() const;

    // The transformed text; never fails. Case mappings are Unicode's default
    // full mappings, independent of the locale. trimLines and collapseSpaces
    // turn "\r\n" and "\r" into "\n" and keep every line.
    QString apply(const QString &text) const;

private:
    Value m_value;
};
