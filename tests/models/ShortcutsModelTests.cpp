#include "models/BrimShortcutsModel.h"

#include "tests/support/FakeGlobalShortcuts.h"

#include <gtest/gtest.h>

namespace {
using Action = BrimShortcutAction;
const QKeySequence ctrlAltP(Qt::CTRL | Qt::ALT | Qt::Key_P);

// Warnings of the models' category while it lives.
struct WarningLog {
    static inline QStringList lines;
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (type == QtWarningMsg && qstrcmp(context.category, "ostrel.brimkit") == 0)
            lines << text;
    });
    WarningLog() { lines.clear(); }
    ~WarningLog() { qInstallMessageHandler(previous); }
};

struct ShortcutsFixture : ::testing::Test {
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<FakeGlobalShortcuts> desktop = std::make_shared<FakeGlobalShortcuts>();
    BrimShortcutsModel model{defaults, desktop};
    QString stored() const { return defaults->stringValue(BrimShortcutsModel::storageKey).value_or(QStringLiteral("-")); }
};
} // namespace

TEST(ShortcutsStorage, DamagedOrUnknownEntriesAreLeftOutWithAWarning)
{
    const struct { const char *stored; const char *kept; int warnings; } cases[] = {
        {R"({"pauseOrResume":"Ctrl+Alt+P","startFocus":"Meta+F5"})", R"({"pauseOrResume":"Ctrl+Alt+P","startFocus":"Meta+F5"})", 0},
        {R"({"pauseOrResume":"Ctrl+Alt+P")", "{}", 1},
        {R"(["Ctrl+Alt+P"])", "{}", 1},
        {R"({"launchRockets":"Ctrl+Alt+R","cancelTimer":7,"startTimer":"Ctrl+Bogus"})", "{}", 3},
        {R"({"startTimer":"Ctrl+A, Ctrl+B","toggleAwake":"A","pickColor":"Shift"})", "{}", 3},
        // Two actions cannot share a key: the first in order keeps it.
        {R"({"startTimer":"F9","cancelTimer":"F9"})", R"({"cancelTimer":"F9"})", 1},
    };
    for (const auto &c : cases) {
        const WarningLog log;
        const auto keys = BrimShortcutsModel::keysFromText(QString::fromUtf8(c.stored));
        EXPECT_EQ(BrimShortcutsModel::textFromKeys(keys), QString::fromUtf8(c.kept)) << c.stored;
        EXPECT_EQ(WarningLog::lines.size(), c.warnings) << c.stored;
    }
}

TEST(ShortcutsStorage, KeysThatWouldBreakTypingAreRefused)
{
    const std::pair<QKeyCombination, const char *> cases[] = {
        {Qt::CTRL | Qt::Key_A, nullptr},
        {Qt::META | Qt::Key_Space, nullptr},
        {QKeyCombination(Qt::Key_F5), nullptr},
        {QKeyCombination(Qt::Key_VolumeUp), nullptr},
        {QKeyCombination(Qt::Key_A), "A alone would stop working for typing. Add Ctrl, Alt or Super."},
        {Qt::SHIFT | Qt::Key_A, "Shift+A alone would stop working for typing. Add Ctrl, Alt or Super."},
        {QKeyCombination(Qt::Key_Escape), "Esc alone would stop working for typing. Add Ctrl, Alt or Super."},
        {QKeyCombination(Qt::Key_Control), "Press a key together with Ctrl, Alt or Super."},
    };
    for (const auto &[combination, reason] : cases)
        EXPECT_EQ(BrimShortcutsModel::refusal(combination), reason ? std::optional(QString::fromUtf8(reason)) : std::nullopt)
            << QKeySequence(combination).toString().toStdString();
}

TEST_F(ShortcutsFixture, StoredKeysStartAndEveryChangeIsStoredAndAppliedAtOnce)
{
    defaults->set(BrimShortcutsModel::storageKey, 42);
    {
        const WarningLog log;
        model.start();
        EXPECT_EQ(WarningLog::lines.size(), 1);
    }
    ASSERT_TRUE(desktop->running);
    EXPECT_TRUE(desktop->keys.empty());

    model.setSequence(Action::pauseOrResume, ctrlAltP);
    EXPECT_EQ(stored(), R"({"pauseOrResume":"Ctrl+Alt+P"})");
    EXPECT_EQ(desktop->keys, (BrimGlobalShortcuts::Keys{{Action::pauseOrResume, ctrlAltP}}));

    // Refused: the row says why, nothing stored changes.
    model.setSequence(Action::startFocus, QKeySequence(Qt::Key_F));
    EXPECT_EQ(model.note(Action::startFocus), QStringLiteral("F alone would stop working for typing. Add Ctrl, Alt or Super."));
    EXPECT_EQ(desktop->keys.size(), 1u);

    // A key another row holds moves; a recorder's extra chords are dropped.
    model.setSequence(Action::startFocus, QKeySequence(ctrlAltP[0], QKeyCombination(Qt::Key_X)));
    EXPECT_FALSE(model.note(Action::startFocus));
    EXPECT_EQ(stored(), R"({"startFocus":"Ctrl+Alt+P"})");
    EXPECT_TRUE(model.sequence(Action::pauseOrResume).isEmpty());

    model.setSequence(Action::startFocus, {});
    EXPECT_EQ(stored(), QStringLiteral("-"));
    EXPECT_TRUE(desktop->keys.empty());

    model.stop();
    EXPECT_FALSE(desktop->running);
}

TEST_F(ShortcutsFixture, RowsSayWhatTheDesktopReports)
{
    defaults->setString(BrimShortcutsModel::storageKey, QStringLiteral(R"({"pauseOrResume":"Ctrl+Alt+P"})"));
    model.start();
    QList<Action> activated;
    int changes = 0;
    QObject::connect(&model, &BrimShortcutsModel::activated, [&](Action action) { activated << action; });
    QObject::connect(&model, &BrimShortcutsModel::changed, [&] { ++changes; });

    desktop->problems.insert(Action::pauseOrResume, BrimShortcutKeyProblem::heldElsewhere);
    desktop->handlers.changed();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.note(Action::pauseOrResume), QStringLiteral("Ctrl+Alt+P is used by another program."));
    desktop->problems.insert(Action::pauseOrResume, BrimShortcutKeyProblem::notOnKeyboard);
    EXPECT_EQ(model.note(Action::pauseOrResume), QStringLiteral("No key of this keyboard types Ctrl+Alt+P."));

    desktop->offered = BrimShortcutMechanism::desktopService;
    desktop->triggers.insert(Action::startFocus, QStringLiteral("Meta+F"));
    EXPECT_FALSE(model.note(Action::pauseOrResume));
    EXPECT_EQ(model.triggerText(Action::startFocus), QStringLiteral("Meta+F"));
    EXPECT_EQ(model.triggerText(Action::cancelTimer), QStringLiteral("Not assigned"));
    model.configure();
    EXPECT_EQ(desktop->configureCalls, 1);

    desktop->press(Action::cleanLink);
    EXPECT_EQ(activated, QList<Action>{Action::cleanLink});
}
