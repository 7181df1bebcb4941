#include "services/DockPresence.h"

#include "services/WidgetDockWindowList.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
QPointer<DockPresence> sharedInstance;
} // namespace

DockPresence::DockPresence(std::shared_ptr<DockWindowList> windows, QObject *parent)
    : QObject(parent)
    , m_windows(std::move(windows))
{
}

DockPresence &DockPresence::shared()
{
    // Owned by the application object so the widgets it watches outlive it.
    if (!sharedInstance)
        sharedInstance = new DockPresence(std::make_shared<WidgetDockWindowList>(), QCoreApplication::instance());
    return *sharedInstance;
}

void DockPresence::start()
{
    if (m_started)
        return;
    m_started = true;
    m_windows->observe([self = QPointer(this)](DockWindowEvent event, const DockWindow &window) {
        if (self)
            self->handle(event, window);
    });
    scheduleReconcile();
}

void DockPresence::prepareToShow()
{
    setPolicy(DockActivationPolicy::regular);
}

void DockPresence::registerEditorWindow(QObject *window)
{
    insert(m_registeredEditors, window);
}

void DockPresence::didChooseBackground()
{
    if (!m_started)
        return;
    const QList<DockWindow> windows = m_windows->windows();
    for (const DockWindow &window : windows)
        if (isApplicationWindow(window))
            insert(m_backgroundWindows, window.handle);
    reconcile();
}

bool DockPresence::isApplicationWindow(const DockWindow &window) const
{
    return contains(m_registeredEditors, window.handle) || (!window.isPanel && window.hasTitleBar);
}

void DockPresence::handle(DockWindowEvent event, const DockWindow &window)
{
    if (event != DockWindowEvent::windowDidBecomeKey) {
        scheduleReconcile();
        return;
    }
    if (!isApplicationWindow(window))
        return;
    std::erase(m_backgroundWindows, window.handle);
    setPolicy(DockActivationPolicy::regular);
}

void DockPresence::scheduleReconcile()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            reconcile();
        },
        Qt::QueuedConnection);
}

void DockPresence::reconcile()
{
    if (m_windows->isApplicationHidden())
        return;
    // Closed windows are gone from the weak sets.
    const auto gone = [](const QPointer<QObject> &window) { return window.isNull(); };
    std::erase_if(m_backgroundWindows, gone);
    std::erase_if(m_registeredEditors, gone);
    const QList<DockWindow> windows = m_windows->windows();
    const bool keepsRegular = std::any_of(windows.begin(), windows.end(), [this](const DockWindow &window) {
        return isApplicationWindow(window) && !contains(m_backgroundWindows, window.handle)
            && (window.isVisible || window.isMinimized);
    });
    setPolicy(keepsRegular ? DockActivationPolicy::regular : DockActivationPolicy::accessory);
}

void DockPresence::setPolicy(DockActivationPolicy policy)
{
    if (m_windows->policy() == policy)
        return;
    m_windows->setPolicy(policy);
    Q_EMIT changed();
}

bool DockPresence::contains(const WeakWindows &set, const QObject *window)
{
    return window && std::find(set.begin(), set.end(), window) != set.end();
}

void DockPresence::insert(WeakWindows &set, QObject *window)
{
    if (window && !contains(set, window))
        set.emplace_back(window);
}
