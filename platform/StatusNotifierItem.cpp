#include "platform/StatusNotifierItem.h"

#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPointer>
#include <QtEndian>

#include <algorithm>

namespace {
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString registerMethod = QStringLiteral("RegisterStatusNotifierItem");
const QString hostProperty = QStringLiteral("IsStatusNotifierHostRegistered");
// A watcher that does not answer within this leaves the item to the XEmbed tray.
constexpr int watcherTimeoutMs = 5000;
// Activation tokens are short opaque strings; anything else is not one.
constexpr qsizetype longestToken = 256;
} // namespace

// The tooltip as the protocol carries it: icon name, icon, title, text.
struct StatusNotifierToolTip {
    QString iconName;
    QList<StatusNotifierImage> icon;
    QString title;
    QString text;
};

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierImage &image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierImage &image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &tip)
{
    argument.beginStructure();
    argument << tip.iconName << tip.icon << tip.title << tip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &tip)
{
    argument.beginStructure();
    argument >> tip.iconName >> tip.icon >> tip.title >> tip.text;
    argument.endStructure();
    return argument;
}

// org.kde.StatusNotifierItem, read from the item. The properties a host may
// ask for but we never use (overlay, movie, theme path) are there, empty.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ none)
    Q_PROPERTY(QString IconName READ none)
    Q_PROPERTY(QList<StatusNotifierImage> IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ none)
    Q_PROPERTY(QList<StatusNotifierImage> OverlayIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionIconName READ none)
    // The icon already shows what needs attention (a bell, a check).
    Q_PROPERTY(QList<StatusNotifierImage> AttentionIconPixmap READ iconPixmap)
    Q_PROPERTY(QString AttentionMovieName READ none)
    Q_PROPERTY(StatusNotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem *item)
        : QDBusAbstractAdaptor(item)
        , m_item(item)
    {
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QGuiApplication::desktopFileName(); }
    QString title() const { return QGuiApplication::applicationDisplayName(); }
    QString status() const { return m_item->status(); }
    int windowId() const { return 0; }
    QString none() const { return {}; }
    QList<StatusNotifierImage> iconPixmap() const { return m_item->icon(); }
    QList<StatusNotifierImage> noPixmap() const { return {}; }
    StatusNotifierToolTip toolTip() const { return {{}, {}, m_item->toolTipTitle(), m_item->toolTipText()}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(m_item->menuPath()); }
    QString label() const { return m_item->label(); }
    QString labelGuide() const { return m_item->labelGuide(); }

public Q_SLOTS:
    void Activate(int x, int y) { m_item->forward(&StatusNotifierItem::activateRequested, x, y); }
    void SecondaryActivate(int x, int y) { m_item->forward(&StatusNotifierItem::secondaryActivateRequested, x, y); }
    void ContextMenu(int x, int y) { m_item->forward(&StatusNotifierItem::contextMenuRequested, x, y); }
    void Scroll(int, const QString &) {}
    void ProvideXdgActivationToken(const QString &token) { m_item->takeActivationToken(token); }

Q_SIGNALS:
    void NewIcon();
    void NewAttentionIcon();
    void NewToolTip();
    void NewStatus(const QString &status);
    void XAyatanaNewLabel(const QString &label, const QString &guide);

private:
    StatusNotifierItem *m_item;
};

StatusNotifierImage StatusNotifierImage::fromImage(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    StatusNotifierImage out{argb.width(), argb.height(), {}};
    out.argb.resize(qsizetype(argb.width()) * argb.height() * 4);
    auto *to = reinterpret_cast<uchar *>(out.argb.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x, to += 4)
            qToBigEndian<quint32>(line[x], to);
    }
    return out;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QString menuPath, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_menuPath(std::move(menuPath))
    , m_adaptor(new StatusNotifierItemAdaptor(this))
    , m_watcher(watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    static const bool registered = [] {
        qDBusRegisterMetaType<StatusNotifierImage>();
        qDBusRegisterMetaType<QList<StatusNotifierImage>>();
        qDBusRegisterMetaType<StatusNotifierToolTip>();
        return true;
    }();
    Q_UNUSED(registered);
    if (!m_bus.isConnected() || !m_bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcPlatform) << "The tray item is not on the session bus:"
                              << (m_bus.isConnected() ? QStringLiteral("path taken") : m_bus.lastError().message());
        m_host = Host::absent;
        return;
    }
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) { onWatcherOwnerChanged(owner); });
    // Any sender: naming the watcher would make Qt look its owner up, blocking.
    for (const char *change : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        m_bus.connect(QString(), watcherPath, watcherService, QLatin1String(change), this, SLOT(onHostsChanged()));
    announce(true);
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_bus.isConnected())
        m_bus.unregisterObject(objectPath);
}

QString StatusNotifierItem::status() const
{
    return m_status == Status::needsAttention ? QStringLiteral("NeedsAttention") : QStringLiteral("Active");
}

void StatusNotifierItem::setStatus(Status status)
{
    if (status == m_status)
        return;
    m_status = status;
    if (!announcing())
        return;
    Q_EMIT m_adaptor->NewStatus(this->status());
    if (m_status == Status::needsAttention && std::exchange(m_attentionIconStale, false))
        Q_EMIT m_adaptor->NewAttentionIcon();
}

void StatusNotifierItem::setIcon(const QList<QImage> &sizes)
{
    QList<StatusNotifierImage> icon;
    icon.reserve(sizes.size());
    for (const QImage &image : sizes)
        icon.append(StatusNotifierImage::fromImage(image));
    if (icon == m_icon)
        return;
    m_icon = std::move(icon);
    if (!announcing())
        return;
    Q_EMIT m_adaptor->NewIcon();
    // Hosts read the attention icon only while the item needs attention.
    if (m_status == Status::needsAttention)
        Q_EMIT m_adaptor->NewAttentionIcon();
    else
        m_attentionIconStale = true;
}

void StatusNotifierItem::setToolTip(const QString &title, const QString &text)
{
    if (title == m_toolTipTitle && text == m_toolTipText)
        return;
    m_toolTipTitle = title;
    m_toolTipText = text;
    if (announcing())
        Q_EMIT m_adaptor->NewToolTip();
}

void StatusNotifierItem::setLabel(const QString &label, const QString &guide)
{
    if (label == m_label && guide == m_labelGuide)
        return;
    m_label = label;
    m_labelGuide = guide;
    if (announcing())
        Q_EMIT m_adaptor->XAyatanaNewLabel(m_label, m_labelGuide);
}

void StatusNotifierItem::onWatcherOwnerChanged(const QString &newOwner)
{
    m_registered = false;
    if (!newOwner.isEmpty()) {
        announce(true);
        return;
    }
    ++m_attempt;
    setHost(Host::absent);
}

void StatusNotifierItem::onHostsChanged()
{
    announce(!m_registered);
}

QCoro::Task<> StatusNotifierItem::announce(bool registerFirst)
{
    const QPointer<StatusNotifierItem> self(this);
    const quint64 attempt = ++m_attempt;
    const auto noWatcher = [](const QDBusError &error) {
        return error.type() == QDBusError::ServiceUnknown
            || error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
    };
    if (registerFirst) {
        QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService, registerMethod);
        call << m_bus.baseService();
        call.setAutoStartService(false);
        QDBusPendingReply<> reply = m_bus.asyncCall(call, watcherTimeoutMs);
        co_await reply;
        if (!self || attempt != m_attempt)
            co_return;
        if (reply.isError()) {
            if (!noWatcher(reply.error()))
                qCWarning(lcPlatform) << "The status notifier watcher refused the tray item:" << reply.error().message();
            setHost(Host::absent);
            co_return;
        }
        m_registered = true;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath, propertiesInterface, QStringLiteral("Get"));
    get << watcherService << hostProperty;
    get.setAutoStartService(false);
    QDBusPendingReply<QDBusVariant> hosts = m_bus.asyncCall(get, watcherTimeoutMs);
    co_await hosts;
    if (!self || attempt != m_attempt)
        co_return;
    // A watcher that cannot say is taken at its word that it shows the item.
    if (hosts.isError())
        setHost(noWatcher(hosts.error()) ? Host::absent : Host::present);
    else
        setHost(hosts.value().variant().toBool() ? Host::present : Host::absent);
}

void StatusNotifierItem::setHost(Host host)
{
    if (host == m_host)
        return;
    m_host = host;
    // A host reads everything when it takes the item.
    m_attentionIconStale = false;
    Q_EMIT hostChanged(host);
}

void StatusNotifierItem::forward(void (StatusNotifierItem::*signal)(QPoint), int x, int y)
{
    // Qt's Wayland platform takes the token from the environment when the
    // window it shows next asks for activation.
    if (!m_activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", std::exchange(m_activationToken, QString()).toUtf8());
    QMetaObject::invokeMethod(
        this, [this, signal, point = QPoint(x, y)] { Q_EMIT(this->*signal)(point); }, Qt::QueuedConnection);
}

void StatusNotifierItem::takeActivationToken(const QString &token)
{
    const bool plain = std::all_of(token.cbegin(), token.cend(), [](QChar c) { return c > u' ' && c < u'\x7f'; });
    if (token.size() > longestToken || !plain) {
        qCWarning(lcPlatform) << "Ignored an activation token that is not one:" << token.size() << "characters";
        return;
    }
    m_activationToken = token;
}

#include "StatusNotifierItem.moc"
