#pragma once
// A QMenu exported as com.canonical.dbusmenu, for StatusNotifierItem hosts
// that draw the item's menu themselves: its entries (label, enabled,
// visible, separators) by stable ids, "clicked" events triggering the
// actions, and update signals only when what the host shows changed. Every
// call is answered; an unknown id gets a D-Bus error.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class DBusMenuAdaptor;
class QAction;
class QMenu;

// (ia{sv}): an entry's id and properties.
struct DBusMenuItem {
    int id = 0;
    QVariantMap properties;
};
// (ias): properties an entry no longer has.
struct DBusMenuItemKeys {
    int id = 0;
    QStringList properties;
};
// (ia{sv}av): an entry with its children.
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};
// (isvu): one event of EventGroup.
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event);

class DBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT

public:
    static inline const QString objectPath = QStringLiteral("/MenuBar");

    // The menu must outlive the exporter.
    DBusMenuExporter(QMenu *menu, QDBusConnection bus, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    // Registers the D-Bus types; also for a client reading them.
    static void registerTypes();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class DBusMenuAdaptor;
    // The entry's id; 0 is the menu itself.
    int idOf(QAction *action);
    QAction *action(int id) const;
    bool knows(int id) const { return id == 0 || action(id); }
    QVariantMap properties(int id, const QStringList &names) const;
    DBusMenuLayoutItem layout(int id, int depth, const QStringList &names);
    // Answers the running call with an error for an id we do not know.
    void refuseUnknown(int id);
    bool onEvent(int id, const QString &eventId);
    void onActionChanged(QAction *action);

    QMenu *m_menu;
    QDBusConnection m_bus;
    DBusMenuAdaptor *m_adaptor;
    uint m_revision = 1;
    int m_lastId = 0;
    QHash<QAction *, int> m_ids;
    QHash<int, QPointer<QAction>> m_actions;
    // What the host was last given for each entry.
    QHash<int, QVariantMap> m_published;
};
