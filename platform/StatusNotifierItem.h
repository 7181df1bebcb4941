#pragma once
// The tray item as a StatusNotifierItem (org.kde.StatusNotifierItem) on the
// session bus: what the host draws (icon pixmaps, tooltip, and the label that
// AppIndicator hosts show beside the icon), the clicks it forwards, and the
// registration with org.kde.StatusNotifierWatcher, renewed whenever the
// watcher's owner changes (a panel restarted or started late). Setters
// announce a change only when the value changed, and only while a host shows
// the item (a host reads every property when it takes one): an idle item,
// or one no host shows, sends nothing.

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

#include <QCoro/QCoroTask>

class StatusNotifierItemAdaptor;

// One size of an icon as the protocol carries it: ARGB32, network byte order.
struct StatusNotifierImage {
    int width = 0;
    int height = 0;
    QByteArray argb;

    static StatusNotifierImage fromImage(const QImage &image);
    friend bool operator==(const StatusNotifierImage &, const StatusNotifierImage &) = default;
};
QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierImage &image);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierImage &image);

class StatusNotifierItem : public QObject {
    Q_OBJECT

public:
    enum class Status { active, needsAttention };
    // Whether a host shows the item; unknown until the watcher first answered.
    enum class Host { unknown, present, absent };

    static inline const QString objectPath = QStringLiteral("/StatusNotifierItem");
    static inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

    // menuPath: where the item's com.canonical.dbusmenu is exported on the
    // same connection. Id and title come from the application object.
    StatusNotifierItem(QDBusConnection bus, QString menuPath, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    Host host() const { return m_host; }

    void setStatus(Status status);
    // The same picture at every size a host may pick from.
    void setIcon(const QList<QImage> &sizes);
    void setToolTip(const QString &title, const QString &text);
    // guide: a text as wide as the widest value the label takes in its
    // present kind, so hosts size the label once.
    void setLabel(const QString &label, const QString &guide);

    // What the host reads.
    QString status() const;
    const QList<StatusNotifierImage> &icon() const { return m_icon; }
    const QString &toolTipTitle() const { return m_toolTipTitle; }
    const QString &toolTipText() const { return m_toolTipText; }
    const QString &label() const { return m_label; }
    const QString &labelGuide() const { return m_labelGuide; }
    const QString &menuPath() const { return m_menuPath; }

Q_SIGNALS:
    void hostChanged(StatusNotifierItem::Host host);
    // Clicks the host forwards, at a point in screen coordinates; (0, 0)
    // where the host knows none.
    void activateRequested(QPoint point);
    void secondaryActivateRequested(QPoint point);
    void contextMenuRequested(QPoint point);

private:
    friend class StatusNotifierItemAdaptor;
    void onWatcherOwnerChanged(const QString &newOwner);
    Q_SLOT void onHostsChanged();
    QCoro::Task<> announce(bool registerFirst);
    void setHost(Host host);
    bool announcing() const { return m_host == Host::present; }
    // Runs after the method call returns, so the host never waits on the panel.
    void forward(void (StatusNotifierItem::*signal)(QPoint), int x, int y);
    void takeActivationToken(const QString &token);

    QDBusConnection m_bus;
    QString m_menuPath;
    StatusNotifierItemAdaptor *m_adaptor;
    QDBusServiceWatcher m_watcher;
    Host m_host = Host::unknown;
    // The watcher holds our registration (until its owner changes).
    bool m_registered = false;
    // Each announcement supersedes the answers of earlier ones.
    quint64 m_attempt = 0;
    Status m_status = Status::active;
    QList<StatusNotifierImage> m_icon;
    // The icon changed while hosts had no reason to read the attention icon.
    bool m_attentionIconStale = false;
    QString m_toolTipTitle, m_toolTipText;
    QString m_label, m_labelGuide;
    QString m_activationToken;
};
