#include "core/FileBrimAlarmStore.h"
#include "models/BrimAlarmsModel.h"
#include "shell/BrimAlarmsView.h"
#include "shell/BrimDateTimeField.h"
#include "tests/shell/PanelFixture.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ModelFakes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

struct AlarmsView : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(
        BrimDate::fromDateTime(QDateTime(QDate(2027, 4, 21), QTime(9, 0, 30))));
    std::shared_ptr<MemoryAlarmStore> store = std::make_shared<MemoryAlarmStore>();
    std::shared_ptr<RecordingReveal> reveal = std::make_shared<RecordingReveal>();
    std::unique_ptr<BrimAlarmsModel> model;
    std::unique_ptr<BrimAlarmsView> view;

    void make()
    {
        view.reset();
        model = std::make_unique<BrimAlarmsModel>(store, nullptr, false, false,
                                                  BrimAlarmsModel::Environment{clock, std::make_shared<CountingBeep>(), {}, {}, false});
        view = std::make_unique<BrimAlarmsView>(*model, clock, reveal);
        view->resize(BrimkitPanel::contentWidth, 400);
        view->show();
    }
    void add(const QString &title, QTime at)
    {
        view->titleField()->setText(title);
        view->dateField()->setDateTime(QDateTime(QDate(2027, 4, 21), at));
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        QTest::mouseClick(view->addButton(), Qt::LeftButton);
    }
    QAbstractButton *rowButton(const QString &accessibleName) const
    {
        for (auto *b : view->findChildren<QPushButton *>()) {
            if (b->isVisible() && b->accessibleName() == accessibleName)
                return b;
        }
        return nullptr;
    }
    bool shows(const QString &text) const { return ShellFixture::shows(*view, text); }
};

} // namespace

TEST_F(AlarmsView, AddsAtTheStartOfTheMinuteOnceEvenOnADoubleClick)
{
    make();
    EXPECT_EQ(view->dateField()->dateTime(), QDateTime(QDate(2027, 4, 21), QTime(9, 5)));
    view->titleField()->setText(QStringLiteral("Standup"));
    view->dateField()->setDateTime(QDateTime(QDate(2027, 4, 21), QTime(10, 15, 42)));
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    ASSERT_EQ(model->book().alarms().size(), 1);
    EXPECT_EQ(model->book().alarms().first().date,
              BrimDate::fromDateTime(QDateTime(QDate(2027, 4, 21), QTime(10, 15))));
    EXPECT_EQ(view->titleField()->text(), QString());
    EXPECT_TRUE(shows(QStringLiteral("1/20 saved")));
    EXPECT_TRUE(rowButton(QStringLiteral("Cancel alarm: Standup")));

    // The help pops over the form, which stays where it is.
    const QRect addAt = view->addButton()->geometry();
    for (auto *b : view->findChildren<QToolButton *>()) {
        if (b->accessibleName() == QStringLiteral("About alarms"))
            QTest::mouseClick(b, Qt::LeftButton);
    }
    EXPECT_TRUE(view->helpShown());
    EXPECT_TRUE(shows(QStringLiteral("Alarms stay saved when Brimkit quits. Brimkit notifies you only while it runs; "
                                     "the capsule returns when you reopen it. A sleeping computer is not woken by an "
                                     "alarm. Missed alarms remain until dismissed. Time-zone changes keep the same "
                                     "scheduled moment.")));
    EXPECT_EQ(view->addButton()->geometry(), addAt);

    // A refused alarm keeps what was typed and says why.
    add(QStringLiteral("Breakfast"), QTime(8, 0));
    EXPECT_EQ(model->book().alarms().size(), 1);
    EXPECT_EQ(view->titleField()->text(), QStringLiteral("Breakfast"));
    EXPECT_TRUE(shows(QStringLiteral("Choose a future date and time.")));

    // The title stops at its limit and says so.
    const QString limit = QStringLiteral("Use a single-line title of up to 80 characters.");
    view->titleField()->setText(QString(79, u'a'));
    EXPECT_FALSE(shows(limit));
    QTest::keyClicks(view->titleField(), QStringLiteral("bc"));
    EXPECT_EQ(view->titleField()->text(), QString(79, u'a') + u'b');
    EXPECT_TRUE(shows(limit));
}

TEST_F(AlarmsView, CompletedAlarmsComeFirstAndTwentyFillTheBook)
{
    make();
    for (int i = 0; i < 20; ++i)
        model->add(QStringLiteral("Alarm %1").arg(i), clock->now() + 60 * (20 - i), clock->now());
    clock->advance(61);
    model->refresh(clock->now(), false);
    const QString full = QStringLiteral("Keep up to 20 alarms. Dismiss or cancel one before adding another.");
    EXPECT_FALSE(view->addButton()->isEnabled());
    EXPECT_EQ(view->addButton()->toolTip(), full);
    EXPECT_EQ(view->addButton()->accessibleDescription(), full);
    EXPECT_TRUE(shows(full));
    EXPECT_TRUE(shows(QStringLiteral("20/20 saved")));
    EXPECT_TRUE(shows(QStringLiteral("Completed · waiting for dismissal")));
    QStringList order;
    for (auto *b : view->findChildren<QPushButton *>()) {
        if (b->isVisible() && b->accessibleName().contains(QStringLiteral(" alarm: ")))
            order << b->accessibleName();
    }
    EXPECT_EQ(order.first(), QStringLiteral("Dismiss alarm: Alarm 19"));
    EXPECT_EQ(order.at(1), QStringLiteral("Cancel alarm: Alarm 18"));
    EXPECT_EQ(order.last(), QStringLiteral("Cancel alarm: Alarm 0"));

    // The rows just changed under the pointer: a click is held back, a key is not.
    QAbstractButton *dismiss = rowButton(QStringLiteral("Dismiss alarm: Alarm 19"));
    QTest::mouseClick(dismiss, Qt::LeftButton);
    EXPECT_EQ(model->book().alarms().size(), 20);
    dismiss->setFocus();
    QTest::keyClick(dismiss, Qt::Key_Space);
    EXPECT_EQ(model->book().alarms().size(), 19);
    EXPECT_TRUE(view->addButton()->isEnabled());
    EXPECT_FALSE(shows(full));
}

TEST_F(AlarmsView, AnUnreadableFileLocksTheFormAndOffersAWayBack)
{
    store->loadError = BrimAlarmStoreError::fileSystem(QStringLiteral("Permission denied"), 13);
    make();
    EXPECT_FALSE(view->addButton()->isEnabled());
    EXPECT_FALSE(shows(QStringLiteral("No alarms scheduled.")));
    EXPECT_TRUE(shows(*model->storageIssue()));
    QTest::mouseClick(ShellFixture::button(*view, "Show alarm file…"), Qt::LeftButton);
    EXPECT_EQ(reveal->revealed, QStringList{FileBrimAlarmStore::defaultURL()});

    store->loadError.reset();
    QTest::mouseClick(ShellFixture::button(*view, "Retry saved alarms"), Qt::LeftButton);
    EXPECT_TRUE(view->addButton()->isEnabled());
    EXPECT_TRUE(shows(QStringLiteral("No alarms scheduled.")));
}
