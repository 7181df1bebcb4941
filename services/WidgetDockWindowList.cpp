#include "services/WidgetDockWindowList.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>
#include <QWindowStateChangeEvent>

WidgetDockWindowList::WidgetDockWindowList(DockActivationPolicy initial, QObject *parent)
    : QObject(parent)
    , m_policy(initial)
{
}

WidgetDockWindowList::~WidgetDockWindowList()
{
    if (m_filtering && qApp)
        qApp->removeEventFilter(this);
}

DockWindow WidgetDockWindowList::describe(const QWidget *widget)
{
    const Qt::WindowFlags flags = widget->windowFlags();
    const Qt::WindowType type = widget->windowType();
    const bool frameless = flags.testAnyFlags(Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    // Alerts are transient, like panels: asking whether to quit must not make the application regular.
    const bool panel = frameless || type == Qt::Tool || type == Qt::Popup || type == Qt::ToolTip
        || type == Qt::SplashScreen || qobject_cast<const QMessageBox *>(widget);
    const bool decorated = !frameless && (type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet
                                          || type == Qt::Drawer || type == Qt::Tool);
    return {const_cast<QWidget *>(widget), panel, decorated, widget->isVisible(), widget->isMinimized()};
}

QList<DockWindow> WidgetDockWindowList::windows() const
{
    QList<DockWindow> result;
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (const QWidget *widget : widgets)
        if (widget->isWindow() && widget->windowType() != Qt::Desktop)
            result.append(describe(widget));
    return result;
}

void WidgetDockWindowList::hide(QObject *window)
{
    if (auto *widget = qobject_cast<QWidget *>(window))
        widget->hide();
}

void WidgetDockWindowList::setPolicy(DockActivationPolicy policy)
{
    if (m_policy == policy)
        return;
    m_policy = policy;
    Q_EMIT policyChanged(policy);
}

void WidgetDockWindowList::observe(Handler handler)
{
    m_handler = std::move(handler);
    if (!m_filtering && qApp) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
}

bool WidgetDockWindowList::eventFilter(QObject *watched, QEvent *event)
{
    // Every event of the application passes here: test the cheap type first.
    const QEvent::Type type = event->type();
    if (type != QEvent::Close && type != QEvent::Hide && type != QEvent::Show && type != QEvent::WindowActivate
        && type != QEvent::WindowStateChange)
        return false;
    const auto *widget = qobject_cast<const QWidget *>(watched);
    if (!widget || !widget->isWindow())
        return false;
    switch (type) {
    case QEvent::Close:
    case QEvent::Hide:
        send(DockWindowEvent::windowWillClose, widget);
        break;
    case QEvent::Show:
        // A window appearing is one of the changes the policy must follow.
        send(DockWindowEvent::applicationDidUpdate, nullptr);
        break;
    case QEvent::WindowActivate:
        send(DockWindowEvent::windowDidBecomeKey, widget);
        break;
    case QEvent::WindowStateChange: {
        const bool wasMinimized = static_cast<QWindowStateChangeEvent *>(event)->oldState().testFlag(Qt::WindowMinimized);
        if (widget->isMinimized() != wasMinimized)
            send(widget->isMinimized() ? DockWindowEvent::windowDidMinimize : DockWindowEvent::windowDidUnminimize,
                 widget);
        break;
    }
    default:
        break;
    }
    return false;
}

void WidgetDockWindowList::send(DockWindowEvent event, const QWidget *window)
{
    if (m_handler)
        m_handler(event, window ? describe(window) : DockWindow{});
}
