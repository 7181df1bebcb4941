#pragma once
// Checks shared by the raw-value enumerations: the raw values in order, each
// case read back from its own, and nothing but the exact text accepted.

#include <QStringList>
#include <gtest/gtest.h>

template <class T>
QStringList eachCase(QString (T::*property)() const)
{
    QStringList out;
    for (T value : T::allCases())
        out << (value.*property)();
    return out;
}

template <class T>
void expectExactRawValues(const QStringList &expected)
{
    EXPECT_EQ(eachCase<T>(&T::rawValue), expected);
    for (T value : T::allCases()) {
        const QString raw = value.rawValue();
        EXPECT_EQ(T::fromRawValue(raw), value) << raw.toStdString();
        EXPECT_FALSE(T::fromRawValue(raw.toUpper())) << raw.toStdString();
        EXPECT_FALSE(T::fromRawValue(u' ' + raw)) << raw.toStdString();
    }
    EXPECT_FALSE(T::fromRawValue(u""));
}
