#include "platform/ShortcutKeysyms.h"
#include "platform/SystemGlobalShortcuts.h"

#include "PrivateBus.h"
#include "tests/support/Patience.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using Action = BrimShortcutAction;
const QString portalName = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString sessionPath = portalPath + QStringLiteral("/session/fake/brimkit");
using Shortcut = PortalShortcut;

QVariant triggers(const QString &id, const QString &trigger)
{
    return QVariant::fromValue(QList<Shortcut>{{id, {{QStringLiteral("trigger_description"), trigger}}}});
}

// A GlobalShortcuts portal that grants everything and reports one trigger.
struct FakePortal {
    explicit FakePortal(PrivateBus &bus)
        : service(bus, portalName, portalPath, [this](const QDBusMessage &call) { return answer(call); })
    {
    }
    std::optional<QDBusMessage> answer(const QDBusMessage &call)
    {
        const QString member = call.member();
        if (member == QLatin1String("Get"))
            return call.createReply(QVariant::fromValue(QDBusVariant(2u)));
        QVariantMap results;
        if (member == QLatin1String("CreateSession"))
            results.insert(QStringLiteral("session_handle"), sessionPath);
        else if (member == QLatin1String("BindShortcuts") || member == QLatin1String("ListShortcuts"))
            results.insert(QStringLiteral("shortcuts"), triggers(QStringLiteral("startFocus"), QStringLiteral("Ctrl+Alt+F")));
        else
            return call.createReply();
        const QString token = qdbus_cast<QVariantMap>(call.arguments().constLast()).value(QStringLiteral("handle_token")).toString();
        const QString handle = portalPath + QStringLiteral("/request/") + call.service().mid(1).replace(u'.', u'_') + u'/' + token;
        QDBusMessage response = QDBusMessage::createSignal(handle, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << 0u << results;
        service.send(response);
        return call.createReply(QVariant::fromValue(QDBusObjectPath(handle)));
    }
    void signal(const QString &name, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createSignal(portalPath, PortalGlobalShortcuts::interface, name);
        message.setArguments(QVariantList{QVariant::fromValue(QDBusObjectPath(sessionPath))} + arguments);
        service.send(message);
    }
    FakeDBusService service;
};
} // namespace

TEST(GlobalShortcutsPortal, BindsEveryActionFollowsTheDesktopAndFallsBackWhenItLeaves)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    auto portal = std::make_unique<FakePortal>(bus);
    SystemGlobalShortcuts shortcuts(bus.connect(), false);
    QList<Action> activated;
    int changes = 0;
    shortcuts.start({[&](Action action) { activated << action; }, [&] { ++changes; }},
                    {{Action::startFocus, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F)}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return shortcuts.mechanism() == BrimShortcutMechanism::desktopService; }, patienceMs));
    EXPECT_EQ(shortcuts.trigger(Action::startFocus), QStringLiteral("Ctrl+Alt+F"));
    EXPECT_EQ(shortcuts.trigger(Action::cancelTimer), QString());

    const QList<QDBusMessage> binds = portal->service.calls(QStringLiteral("BindShortcuts"));
    ASSERT_EQ(binds.size(), 1);
    EXPECT_EQ(binds[0].arguments().value(0).value<QDBusObjectPath>().path(), sessionPath);
    const auto bound = qdbus_cast<QList<Shortcut>>(binds[0].arguments().value(1));
    ASSERT_EQ(bound.size(), 9);
    EXPECT_EQ(bound[3].id, QStringLiteral("startFocus"));
    EXPECT_EQ(bound[3].properties, (QVariantMap{{QStringLiteral("description"), Action(Action::startFocus).title()},
                                                {QStringLiteral("preferred_trigger"), QStringLiteral("CTRL+ALT+f")}}));
    EXPECT_EQ(bound[0].properties.keys(), QStringList{QStringLiteral("description")});
    EXPECT_EQ(portal->service.calls(QStringLiteral("ListShortcuts")).size(), 1);
    EXPECT_EQ(portal->service.calls(QStringLiteral("Register")).value(0).arguments().value(0),
              QStringLiteral("app.ostrel.brimkit"));

    portal->signal(QStringLiteral("Activated"), {QStringLiteral("startFocus"), quint64(1), QVariantMap()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !activated.isEmpty(); }, patienceMs));
    EXPECT_EQ(activated, QList<Action>{Action::startFocus});

    const int before = changes;
    portal->signal(QStringLiteral("ShortcutsChanged"), {triggers(QStringLiteral("startFocus"), QStringLiteral("Meta+F"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > before; }, patienceMs));
    EXPECT_EQ(shortcuts.trigger(Action::startFocus), QStringLiteral("Meta+F"));

    shortcuts.configure();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !portal->service.calls(QStringLiteral("ConfigureShortcuts")).isEmpty(); }, patienceMs));

    // Without key grabs to fall back on, nothing is left.
    portal.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shortcuts.mechanism() == BrimShortcutMechanism::none; }, patienceMs));
    EXPECT_EQ(shortcuts.trigger(Action::startFocus), QString());

    // A portal that comes back is taken again.
    portal = std::make_unique<FakePortal>(bus);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shortcuts.mechanism() == BrimShortcutMechanism::desktopService; }, patienceMs));
    shortcuts.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !portal->service.calls(QStringLiteral("Close")).isEmpty(); }, patienceMs));
}

TEST(GlobalShortcutsPortal, TriggersAreWrittenTheWayTheDesktopReadsThem)
{
    const std::pair<QKeyCombination, const char *> cases[] = {
        {Qt::META | Qt::SHIFT | Qt::Key_F5, "SHIFT+LOGO+F5"},
        {Qt::ALT | Qt::Key_Space, "ALT+space"},
        {Qt::CTRL | Qt::Key_1, "CTRL+1"},
        {Qt::CTRL | Qt::Key_Eacute, "CTRL+eacute"},
        {QKeyCombination(Qt::Key_MediaPlay), "XF86AudioPlay"},
    };
    for (const auto &[combination, trigger] : cases)
        EXPECT_EQ(ShortcutKeysyms::trigger(combination), QString::fromLatin1(trigger));
}
