#pragma once
// Switches the application between regular (taskbar entry) and accessory
// (tray only) according to the windows on screen: regular while an
// application window is shown or minimised, unless the user sent it to the
// background. Application windows are registered editors and any titled
// window that is not a panel. Main thread only.

#include "services/DockWindowList.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class DockPresence : public QObject {
    Q_OBJECT
public:
    explicit DockPresence(std::shared_ptr<DockWindowList> windows, QObject *parent = nullptr);

    // The process-wide instance over the application's top-level widgets,
    // owned by the application object.
    static DockPresence &shared();

    // Once: follows the window events, then reconciles on the next pass of the event loop.
    void start();
    // Call before opening a window.
    void prepareToShow();
    void registerEditorWindow(QObject *window);
    // After start() only: every application window stays out of the decision
    // until it becomes key again.
    void didChooseBackground();

    bool isApplicationWindow(const DockWindow &window) const;
    DockActivationPolicy policy() const { return m_windows->policy(); }
    DockWindowList &windows() const { return *m_windows; }
    bool isStarted() const { return m_started; }

Q_SIGNALS:
    // The policy changed.
    void changed();

private:
    using WeakWindows = std::vector<QPointer<QObject>>;

    void handle(DockWindowEvent event, const DockWindow &window);
    void scheduleReconcile();
    void reconcile();
    void setPolicy(DockActivationPolicy policy);
    static bool contains(const WeakWindows &set, const QObject *window);
    static void insert(WeakWindows &set, QObject *window);

    std::shared_ptr<DockWindowList> m_windows;
    bool m_started = false;
    bool m_pending = false;
    WeakWindows m_backgroundWindows;
    WeakWindows m_registeredEditors;
};
