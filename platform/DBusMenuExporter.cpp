#include "platform/DBusMenuExporter.h"

#include "platform/PlatformLogging.h"

#include <QAction>
#include <QActionEvent>
#include <QActionGroup>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QMenu>

namespace {

// Qt marks the mnemonic with '&', dbusmenu with '_'; a literal '_' doubles.
QString menuLabel(const QString &text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&')
            label += i + 1 < text.size() && text.at(i + 1) == u'&' ? QString(text.at(++i)) : QStringLiteral("_");
        else if (c == u'_')
            label += QStringLiteral("__");
        else
            label += c;
    }
    return label;
}

// Everything the host is told about an entry. Defaults are spelled out, so a
// change is always a new value, never a removed key.
QVariantMap entryProperties(const QAction *action)
{
    if (action->isSeparator())
        return {{QStringLiteral("type"), QStringLiteral("separator")}, {QStringLiteral("visible"), action->isVisible()}};
    QVariantMap properties{{QStringLiteral("label"), menuLabel(action->text())},
                           {QStringLiteral("enabled"), action->isEnabled()},
                           {QStringLiteral("visible"), action->isVisible()}};
    if (action->isCheckable()) {
        const bool radio = action->actionGroup() && action->actionGroup()->isExclusive();
        properties.insert(QStringLiteral("toggle-type"), radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
    }
    return properties;
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument << keys.id << keys.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument >> keys.id >> keys.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuLayoutItem &child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

class DBusMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(DBusMenuExporter *exporter)
        : QDBusAbstractAdaptor(exporter)
        , m_exporter(exporter)
    {
    }

    uint version() const { return 3; }
    QString textDirection() const
    {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout)
    {
        if (!m_exporter->knows(parentId))
            m_exporter->refuseUnknown(parentId);
        else
            layout = m_exporter->layout(parentId, recursionDepth, propertyNames);
        return m_exporter->m_revision;
    }
    QList<DBusMenuItem> GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
    {
        // Unknown ids are left out, as the protocol has it.
        QList<DBusMenuItem> items;
        for (const int id : ids) {
            if (m_exporter->knows(id))
                items.append({id, m_exporter->properties(id, propertyNames)});
        }
        return items;
    }
    QDBusVariant GetProperty(int id, const QString &name)
    {
        const QVariantMap properties = m_exporter->knows(id) ? m_exporter->properties(id, {name}) : QVariantMap();
        if (properties.isEmpty())
            m_exporter->refuseUnknown(id);
        return QDBusVariant(properties.value(name, QString()));
    }
    void Event(int id, const QString &eventId, const QDBusVariant &, uint)
    {
        if (!m_exporter->onEvent(id, eventId))
            m_exporter->refuseUnknown(id);
    }
    QList<int> EventGroup(const QList<DBusMenuEvent> &events)
    {
        QList<int> unknown;
        for (const DBusMenuEvent &event : events) {
            if (!m_exporter->onEvent(event.id, event.eventId))
                unknown.append(event.id);
        }
        return unknown;
    }
    // The entries never change on opening: no update is ever needed.
    bool AboutToShow(int id)
    {
        if (!m_exporter->knows(id))
            m_exporter->refuseUnknown(id);
        return false;
    }
    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
    {
        std::copy_if(ids.cbegin(), ids.cend(), std::back_inserter(idErrors), [this](int id) { return !m_exporter->knows(id); });
        return {};
    }

Q_SIGNALS:
    void ItemsPropertiesUpdated(const QList<DBusMenuItem> &updatedProps, const QList<DBusMenuItemKeys> &removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    DBusMenuExporter *m_exporter;
};

void DBusMenuExporter::registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMenuItem>();
        qDBusRegisterMetaType<QList<DBusMenuItem>>();
        qDBusRegisterMetaType<DBusMenuItemKeys>();
        qDBusRegisterMetaType<QList<DBusMenuItemKeys>>();
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<QList<DBusMenuEvent>>();
        return true;
    }();
    Q_UNUSED(registered);
}

DBusMenuExporter::DBusMenuExporter(QMenu *menu, QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_menu(menu)
    , m_bus(std::move(bus))
    , m_adaptor(new DBusMenuAdaptor(this))
{
    registerTypes();
    const QList<QAction *> actions = m_menu->actions();
    for (QAction *action : actions)
        idOf(action);
    m_menu->installEventFilter(this);
    if (!m_bus.isConnected() || !m_bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors))
        qCWarning(lcPlatform) << "The tray menu is not on the session bus:"
                              << (m_bus.isConnected() ? QStringLiteral("path taken") : m_bus.lastError().message());
}

DBusMenuExporter::~DBusMenuExporter()
{
    m_menu->removeEventFilter(this);
    if (m_bus.isConnected())
        m_bus.unregisterObject(objectPath);
}

int DBusMenuExporter::idOf(QAction *action)
{
    if (const auto found = m_ids.constFind(action); found != m_ids.cend())
        return *found;
    const int id = ++m_lastId;
    m_ids.insert(action, id);
    m_actions.insert(id, action);
    m_published.insert(id, entryProperties(action));
    return id;
}

QAction *DBusMenuExporter::action(int id) const
{
    return id > 0 ? m_actions.value(id).data() : nullptr;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList &names) const
{
    QVariantMap all = id == 0 ? QVariantMap{{QStringLiteral("children-display"), QStringLiteral("submenu")}}
                              : m_published.value(id);
    if (names.isEmpty())
        return all;
    for (auto it = all.begin(); it != all.end();)
        it = names.contains(it.key()) ? std::next(it) : all.erase(it);
    return all;
}

DBusMenuLayoutItem DBusMenuExporter::layout(int id, int depth, const QStringList &names)
{
    DBusMenuLayoutItem item{id, properties(id, names), {}};
    // One level: the tray menu has no submenus.
    if (id == 0 && depth != 0) {
        const QList<QAction *> actions = m_menu->actions();
        for (QAction *action : actions) {
            const int child = idOf(action);
            item.children.append({child, properties(child, names), {}});
        }
    }
    return item;
}

void DBusMenuExporter::refuseUnknown(int id)
{
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu entry %1").arg(id));
}

bool DBusMenuExporter::onEvent(int id, const QString &eventId)
{
    if (!knows(id))
        return false;
    QAction *entry = action(id);
    // After the reply: the action may open a window or quit.
    if (entry && eventId == QLatin1String("clicked") && entry->isEnabled() && !entry->isSeparator())
        QMetaObject::invokeMethod(entry, &QAction::trigger, Qt::QueuedConnection);
    return true;
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_menu) {
        switch (event->type()) {
        case QEvent::ActionAdded:
        case QEvent::ActionRemoved: {
            QAction *changed = static_cast<QActionEvent *>(event)->action();
            if (event->type() == QEvent::ActionRemoved) {
                const int id = m_ids.take(changed);
                m_actions.remove(id);
                m_published.remove(id);
            } else {
                idOf(changed);
            }
            Q_EMIT m_adaptor->LayoutUpdated(++m_revision, 0);
            break;
        }
        case QEvent::ActionChanged:
            onActionChanged(static_cast<QActionEvent *>(event)->action());
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::onActionChanged(QAction *action)
{
    const int id = idOf(action);
    const QVariantMap now = entryProperties(action);
    QVariantMap &published = m_published[id];
    if (now == published)
        return;
    QVariantMap updated;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (published.value(it.key()) != it.value())
            updated.insert(it.key(), it.value());
    }
    QStringList removed;
    for (auto it = published.cbegin(); it != published.cend(); ++it) {
        if (!now.contains(it.key()))
            removed.append(it.key());
    }
    published = now;
    const QList<DBusMenuItemKeys> gone = removed.isEmpty() ? QList<DBusMenuItemKeys>() : QList<DBusMenuItemKeys>{{id, removed}};
    Q_EMIT m_adaptor->ItemsPropertiesUpdated({{id, updated}}, gone);
}

#include "DBusMenuExporter.moc"
