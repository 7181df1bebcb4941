#pragma once
// A model on fakes for widget tests.

#include "tests/support/ModelFakes.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

struct ShellFixture : ::testing::Test, FakeModelEnvironment {
    std::unique_ptr<BrimkitModel> owned = makeModel();
    BrimkitModel &model = *owned;

    // The visible button with exactly this text.
    static QAbstractButton *button(QWidget &root, const QString &text)
    {
        for (auto *b : root.findChildren<QAbstractButton *>()) {
            if (b->isVisibleTo(&root) && b->text() == text)
                return b;
        }
        return nullptr;
    }
    static QAbstractButton *button(QWidget &root, const char *text) { return button(root, QString::fromUtf8(text)); }
    static void click(QWidget &root, const char *text)
    {
        QAbstractButton *b = button(root, text);
        ASSERT_TRUE(b) << text;
        QTest::mouseClick(b, Qt::LeftButton);
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
    static bool shows(QWidget &root, const QString &text) { return visibleTexts(root).contains(text); }
};
