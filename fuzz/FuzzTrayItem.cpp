// What a tray host can call on our tray item and its menu: every method of
// org.kde.StatusNotifierItem and com.canonical.dbusmenu, with arguments of
// the right types and any values (unknown ids, negative depths, odd event
// names, long property lists) or of any types at all, sent over a real
// connection (a socket between two peers). The item and the menu exporter must answer each call (a reply
// or an error, never silence) and must not crash.
#include "fuzz/FuzzBus.h"
#include "fuzz/FuzzDBusInput.h"
#include "fuzz/FuzzSupport.h"
#include "platform/DBusMenuExporter.h"
#include "platform/StatusNotifierItem.h"

#include <QAction>
#include <QApplication>
#include <QDBusMessage>
#include <QMenu>

namespace {

QApplication *application = nullptr;

const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

int id(FuzzDBusInput &in)
{
    const std::uint8_t pick = in.byte();
    return pick < 224 ? pick % 8 - 1 : in.number<qint32>(); // mostly ids that exist, and -1
}

QStringList names(FuzzDBusInput &in)
{
    QStringList list;
    for (int n = in.byte() % 4; n > 0; --n)
        list << in.key();
    return list;
}

QVariant ids(FuzzDBusInput &in)
{
    QList<int> list;
    for (int n = in.byte() % 5; n > 0; --n)
        list << id(in);
    return QVariant::fromValue(list);
}

QVariant events(FuzzDBusInput &in)
{
    QList<DBusMenuEvent> list;
    for (int n = in.byte() % 4; n > 0; --n)
        list << DBusMenuEvent{id(in), in.key(), QDBusVariant(in.value(1)), in.number<quint32>()};
    return QVariant::fromValue(list);
}

const char *const itemMethods[] = {"Activate", "SecondaryActivate", "ContextMenu", "Scroll", "ProvideXdgActivationToken"};
const char *const menuMethods[] = {"GetLayout", "GetGroupProperties", "GetProperty", "Event", "EventGroup", "AboutToShow",
                                   "AboutToShowGroup"};

QDBusMessage call(FuzzDBusInput &in)
{
    const int method = in.byte() % 12;
    const bool toItem = method < 5;
    QVariantList arguments;
    switch (method) {
    case 0:
    case 1:
    case 2: arguments = {in.number<qint32>(), in.number<qint32>()}; break;
    case 3: arguments = {in.number<qint32>(), in.key()}; break;
    case 4: arguments = {in.text()}; break;
    case 5: arguments = {id(in), qint32(in.byte()) - 2, names(in)}; break;
    case 6: arguments = {ids(in), names(in)}; break;
    case 7: arguments = {id(in), in.key()}; break;
    case 8: arguments = {id(in), in.key(), QVariant::fromValue(QDBusVariant(in.value(1))), in.number<quint32>()}; break;
    case 9: arguments = {events(in)}; break;
    case 10: arguments = {id(in)}; break;
    default: arguments = {ids(in)}; break;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString(), toItem ? StatusNotifierItem::objectPath : DBusMenuExporter::objectPath,
        toItem ? itemInterface : menuInterface,
        QLatin1String(toItem ? itemMethods[method] : menuMethods[method - 5]));
    // Now and then the right method with arguments of any type.
    message.setArguments(in.byte() < 32 ? in.any() : arguments);
    return message;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = new QApplication(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QDBusConnection bus = fuzzPeers().server;
    DBusMenuExporter::registerTypes();
    // A menu like the app's: plain, checkable, disabled, a separator and a submenu.
    auto *menu = new QMenu;
    menu->addAction(QStringLiteral("Open"));
    menu->addAction(QStringLiteral("Keep awake"))->setCheckable(true);
    menu->addAction(QStringLiteral("Later"))->setEnabled(false);
    menu->addSeparator();
    menu->addMenu(QStringLiteral("More"))->addAction(QStringLiteral("About"));
    new DBusMenuExporter(menu, bus);
    new StatusNotifierItem(bus, DBusMenuExporter::objectPath);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzDBusInput in(data, size, {"label", "enabled", "visible", "type", "toggle-type", "toggle-state", "children-display",
                                  "clicked", "hovered", "opened", "closed", "vertical", "horizontal"});
    QList<QDBusMessage> calls;
    for (int n = 1 + in.byte() % 3; n > 0; --n)
        calls << call(in);
    for (const QDBusMessage &reply : fuzzCallAll(calls, 5000)) {
        // Qt refuses to send what D-Bus cannot carry; every call sent is answered.
        FUZZ_CHECK(reply.type() == QDBusMessage::ReplyMessage || reply.type() == QDBusMessage::ErrorMessage);
        if (reply.type() == QDBusMessage::ErrorMessage)
            FUZZ_CHECK(reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NoReply"));
    }
    return 0;
}
