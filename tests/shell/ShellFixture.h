#pragma once
// A model on fakes for widget tests.

#include "models/BrimkitModel.h"
#include "tests/support/ModelFakes.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

struct ShellFixture : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(BrimDate::fromSeconds(830'000'000));
    std::shared_ptr<FakePowerAssertions> power = std::make_shared<FakePowerAssertions>();
    BrimkitModel model{true, false,
                       BrimkitModel::Environment{clock, std::make_shared<MemoryUserDefaults>(), power,
                                                 std::make_shared<CountingBeep>(), nullptr, {}, nullptr,
                                                 std::make_shared<MemoryAlarmStore>()}};

    // The visible button with exactly this text.
    static QAbstractButton *button(QWidget &root, const QString &text)
    {
        for (auto *b : root.findChildren<QAbstractButton *>()) {
            if (b->isVisibleTo(&root) && b->text() == text)
                return b;
        }
        return nullptr;
    }
    static QStringList visibleTexts(QWidget &root)
    {
        QStringList texts;
        for (auto *label : root.findChildren<QLabel *>()) {
            if (label->isVisibleTo(&root) && !label->text().isEmpty())
                texts << label->text();
        }
        return texts;
    }
};
