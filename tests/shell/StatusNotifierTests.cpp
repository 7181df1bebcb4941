// The tray item against a fake StatusNotifierWatcher and a host on a private
// bus: what the host reads and is told, clicks and menu events, following
// the watcher as it comes and goes, and answers to malformed calls.
#include "platform/DBusMenuExporter.h"
#include "platform/StatusNotifierItem.h"
#include "services/OstrelSignals.h"
#include "shell/BrimkitStatusIcon.h"
#include "shell/BrimkitStatusItem.h"
#include "tests/platform/PrivateBus.h"
#include "tests/shell/ShellFixture.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QScreen>
#include <QSignalSpy>
#include <QtEndian>

namespace {

const QString sni = QStringLiteral("org.kde.StatusNotifierItem");
const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

// Counts the signals a host receives from the item and its menu.
class SignalLog : public QObject {
    Q_OBJECT

public:
    QStringList names;
public Q_SLOTS:
    void record(const QDBusMessage &message) { names << message.member(); }
};

std::unique_ptr<FakeDBusService> startWatcher(PrivateBus &bus)
{
    return std::make_unique<FakeDBusService>(bus, StatusNotifierItem::watcherService, QStringLiteral("/StatusNotifierWatcher"),
                                             [](const QDBusMessage &call) -> std::optional<QDBusMessage> {
                                                 if (call.member() == QLatin1String("Get"))
                                                     return call.createReply(QVariant::fromValue(QDBusVariant(true)));
                                                 return call.createReply();
                                             });
}

struct StatusNotifier : ShellFixture {
    PrivateBus bus;
    std::unique_ptr<FakeDBusService> watcher = startWatcher(bus);
    QDBusConnection host = bus.connect();
    BrimkitStatusItem item{model, OstrelSignals::shared(), bus.connect()};
    SignalLog log;

    StatusNotifier()
    {
        DBusMenuExporter::registerTypes();
        item.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return item.isHosted(); }, 5000));
        for (const auto &[path, interface] : {std::pair(StatusNotifierItem::objectPath, sni),
                                              std::pair(DBusMenuExporter::objectPath, menuInterface)})
            EXPECT_TRUE(host.connect(service(), path, interface, QString(), &log, SLOT(record(QDBusMessage))));
    }
    QString service() const { return watcher->calls(QStringLiteral("RegisterStatusNotifierItem")).value(0).arguments().value(0).toString(); }
    QDBusMessage call(const QString &path, const QString &interface, const QString &member, const QVariantList &args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service(), path, interface, member);
        message.setArguments(args);
        QDBusPendingCall pending = host.asyncCall(message, 10000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 12000)) << member.toStdString();
        return pending.reply();
    }
    QVariant get(const QString &name)
    {
        const QDBusMessage reply = call(StatusNotifierItem::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {sni, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QStringList toolTip()
    {
        const QDBusArgument tip = get(QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString icon, title, text;
        QList<StatusNotifierImage> images;
        tip.beginStructure();
        tip >> icon >> images >> title >> text;
        tip.endStructure();
        return {title, text};
    }
    // Every signal sent before this call has arrived once it is answered.
    QStringList signalsSoFar() { return get(QStringLiteral("Status")).isValid() ? std::exchange(log.names, {}) : QStringList{"?"}; }
    QList<StatusNotifierImage> pixmaps()
    {
        QList<StatusNotifierImage> icon;
        get("IconPixmap").value<QDBusArgument>() >> icon;
        return icon;
    }
    // The largest pixmap is the model's glyph, pixel for pixel.
    bool showsTheModel()
    {
        const QImage drawn = BrimkitStatusIcon::image(BrimkitStatusGlyph::forModel(model), 64,
                                                      QApplication::palette().color(QPalette::WindowText))
                                 .convertToFormat(QImage::Format_ARGB32);
        const StatusNotifierImage shown = pixmaps().value(5);
        for (int at = 0; at < shown.argb.size() / 4; ++at) {
            if (qFromBigEndian<quint32>(shown.argb.constData() + 4 * at) != drawn.pixel(at % 64, at / 64))
                return false;
        }
        return shown.argb.size() == 64 * 64 * 4;
    }
    DBusMenuLayoutItem layout()
    {
        const QDBusMessage reply = call(DBusMenuExporter::objectPath, menuInterface, QStringLiteral("GetLayout"),
                                        {0, -1, QStringList()});
        return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1));
    }
};

} // namespace

TEST_F(StatusNotifier, PublishesTheItemTheLabelAndTheTooltip)
{
    EXPECT_EQ(get("Id").toString(), "app.ostrel.brimkit");
    EXPECT_EQ(get("Category").toString(), "ApplicationStatus");
    EXPECT_EQ(get("Title").toString(), "Ostrel Brimkit");
    EXPECT_FALSE(get("ItemIsMenu").toBool());
    EXPECT_EQ(get("Menu").value<QDBusObjectPath>().path(), "/MenuBar");

    // Every size, ARGB in network byte order.
    QList<int> widths;
    for (const StatusNotifierImage &image : pixmaps())
        widths << image.width;
    EXPECT_EQ(widths, QList<int>({16, 22, 24, 32, 48, 64}));
    EXPECT_TRUE(showsTheModel());

    struct Row { const char *name; std::function<void()> step; const char *label, *guide, *status, *tip; };
    const Row rows[] = {
        {"idle", [] {}, "", "", "Active", "Ostrel Brimkit"},
        {"focus", [&] { model.startTimer(25, BrimTimerKind::focus); advance(model, 1); }, "24:59", "00:00", "Active",
         "Ostrel Brimkit, Focus, 24:59"},
        {"paused", [&] { model.pauseOrResume(); }, "\u2161 24:59", "\u2161 00:00", "Active", "Ostrel Brimkit, Focus, \u2161 24:59"},
        {"long run below 100 minutes", [&] { model.startTimer(240, BrimTimerKind::timer); advance(model, 8460); },
         "99:00", "000:00", "Active", "Ostrel Brimkit, Timer, 99:00"},
        {"alarm rang while counting",
         [&] { model.alarms().add("Tea", clock->now() + 1, clock->now()); advance(model, 2); }, "! 98:58", "! 000:00",
         "NeedsAttention", "Ostrel Brimkit, Tea, ! 98:58"},
        {"alarm alone", [&] { model.cancelTimer(); }, "Alarm", "Alarm", "NeedsAttention", "Ostrel Brimkit, Tea, Alarm"},
    };
    for (const Row &row : rows) {
        row.step();
        EXPECT_EQ(get("XAyatanaLabel").toString(), QString::fromUtf8(row.label)) << row.name;
        EXPECT_EQ(get("XAyatanaLabelGuide").toString(), QString::fromUtf8(row.guide)) << row.name;
        EXPECT_EQ(get("Status").toString(), row.status) << row.name;
        const auto presentation = model.timePresentation();
        EXPECT_EQ(toolTip(), QStringList({QString::fromUtf8(row.tip), presentation ? presentation->detail() : QString()}))
            << row.name;
    }
}

// Idle for a minute: nothing. A minute of countdown: one label and one
// tooltip a second, the icon when its minute changes.
TEST_F(StatusNotifier, SignalsOnlyOnChange)
{
    signalsSoFar();
    for (int second = 0; second < 60; ++second)
        advance(model, 1);
    EXPECT_EQ(signalsSoFar(), QStringList());

    model.startTimer(25, BrimTimerKind::focus);
    for (int second = 0; second < 60; ++second)
        advance(model, 1);
    const QStringList sent = signalsSoFar();
    EXPECT_EQ(sent.count("XAyatanaNewLabel"), 61);
    EXPECT_EQ(sent.count("NewToolTip"), 61);
    EXPECT_EQ(sent.count("NewIcon"), 2);
    EXPECT_EQ(sent.size(), 124) << sent.join(' ').toStdString();

    // Done: attention, with the icon the host had no reason to read yet.
    advance(model, 1440);
    EXPECT_EQ(signalsSoFar(), QStringList({"NewToolTip", "XAyatanaNewLabel", "NewStatus", "NewAttentionIcon", "NewIcon",
                                           "NewAttentionIcon"}));
}

TEST_F(StatusNotifier, ClicksOpenThePanelAtThePointAndTheMenuTriggersActions)
{
    QSignalSpy activated(&item, &BrimkitStatusItem::activated);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint onScreen = available.topLeft() + QPoint(120, 5);
    const QPoint corner = available.topRight();
    const std::pair<QPoint, QPoint> points[] = {{onScreen, onScreen}, {{0, 0}, corner}, {{INT_MAX, INT_MIN}, corner}};
    for (const auto &[sent, anchored] : points) {
        call(StatusNotifierItem::objectPath, sni, "Activate", {sent.x(), sent.y()});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !activated.isEmpty(); }, 5000));
        EXPECT_EQ(activated.takeFirst().value(0).toRect(), QRect(anchored, QSize(1, 1)));
    }
    call(StatusNotifierItem::objectPath, sni, "Activate", {onScreen.x(), onScreen.y()});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !activated.isEmpty(); }, 5000));
    EXPECT_EQ(item.anchor(), QRect(onScreen, QSize(1, 1)));

    const DBusMenuLayoutItem root = layout();
    QStringList entries;
    for (const DBusMenuLayoutItem &child : root.children)
        entries << child.properties.value("label", "—").toString();
    EXPECT_EQ(entries, (QStringList{"Open Ostrel Brimkit", "—", "Send feedback…", "Report a bug…", "—", "Quit Ostrel Brimkit"}));
    QSignalSpy open(&item, &BrimkitStatusItem::openRequested), quit(&item, &BrimkitStatusItem::quitRequested);
    for (const int index : {0, 5})
        call(DBusMenuExporter::objectPath, menuInterface, "Event", {root.children[index].id, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u});
    EXPECT_TRUE(QTest::qWaitFor([&] { return open.size() == 1 && quit.size() == 1; }, 5000));

    // An entry that changes is announced once, with what changed.
    signalsSoFar();
    item.menu().actions().first()->setEnabled(false);
    item.menu().actions().first()->setToolTip("unseen");
    EXPECT_EQ(signalsSoFar(), QStringList({"ItemsPropertiesUpdated"}));
}

TEST_F(StatusNotifier, FollowsTheWatcherAndFallsBackToTheXEmbedTray)
{
    EXPECT_FALSE(item.usesTrayIcon());
    for (int restart = 0; restart < 2; ++restart) {
        watcher.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return item.usesTrayIcon(); }, 5000));
        // Changes while no host shows the item are there for the next one.
        model.startTimer(5 + restart, BrimTimerKind::timer);
        watcher = startWatcher(bus);
        ASSERT_TRUE(QTest::qWaitFor([&] { return item.isHosted() && !item.usesTrayIcon(); }, 5000));
        EXPECT_EQ(watcher->calls("RegisterStatusNotifierItem").size(), 1);
        EXPECT_EQ(get("XAyatanaLabel").toString(), model.menuTitle());
        EXPECT_TRUE(showsTheModel());
    }
}

// Wrong types, unknown ids, huge values and strings: an answer, never a crash.
TEST_F(StatusNotifier, MalformedCallsGetAnswers)
{
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    const QString item = StatusNotifierItem::objectPath, menu = DBusMenuExporter::objectPath;
    const QString huge(1 << 20, QLatin1Char('x'));
    const QVariant nothing = QVariant::fromValue(QDBusVariant(huge));
    QList<int> manyIds(100000);
    std::iota(manyIds.begin(), manyIds.end(), -50000);
    struct Row { QString path, interface; const char *member; QVariantList args; bool error; };
    const Row rows[] = {
        {item, sni, "Activate", {"x", "y"}, true},
        {item, sni, "ContextMenu", {1}, true},
        {item, sni, "Scroll", {INT_MIN, huge}, false},
        {item, sni, "ProvideXdgActivationToken", {huge}, false},
        {item, properties, "Get", {sni, "NoSuchProperty"}, true},
        {item, properties, "Set", {sni, "Status", QVariant::fromValue(QDBusVariant("Passive"))}, true},
        {menu, menuInterface, "GetLayout", {INT_MAX, -1, QStringList()}, true},
        {menu, menuInterface, "GetLayout", {0, INT_MIN, QStringList(100000, huge.left(64))}, false},
        {menu, menuInterface, "GetLayout", {"0", -1, QStringList()}, true},
        {menu, menuInterface, "Event", {-5, "clicked", nothing, 0u}, true},
        {menu, menuInterface, "Event", {1, huge, nothing, UINT_MAX}, false},
        {menu, menuInterface, "GetGroupProperties", {QVariant::fromValue(manyIds), QStringList()}, false},
        {menu, menuInterface, "GetProperty", {1, "nope"}, true},
        {menu, menuInterface, "AboutToShow", {INT_MIN}, true},
        {menu, menuInterface, "AboutToShowGroup", {QVariant::fromValue(manyIds)}, false},
    };
    for (const Row &row : rows) {
        const QDBusMessage reply = call(row.path, row.interface, row.member, row.args);
        EXPECT_EQ(reply.type() == QDBusMessage::ErrorMessage, row.error) << row.member << ": " << reply.errorMessage().toStdString();
    }
    EXPECT_EQ(get("Status").toString(), "Active");
}

#include "StatusNotifierTests.moc"
