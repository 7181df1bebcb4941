#pragma once
// The application's windows as taskbar presence sees them, and the
// application's presentation policy: regular (taskbar entry, application
// menu) or accessory (tray only). Windows are identified by QObjects so that
// whoever keeps one can hold it weakly.

#include <QList>
#include <QObject>

#include <functional>

enum class DockActivationPolicy { regular, accessory };

struct DockWindow {
    QObject *handle = nullptr;
    // Tool, pop-up or frameless windows.
    bool isPanel = false;
    bool hasTitleBar = false;
    bool isVisible = false;
    bool isMinimized = false;
};

enum class DockWindowEvent {
    windowWillClose,
    windowDidMinimize,
    windowDidUnminimize,
    windowDidBecomeKey,
    applicationDidUpdate,
    applicationDidUnhide,
};

class DockWindowList {
public:
    // The window is set for the window events, empty for the application ones.
    using Handler = std::function<void(DockWindowEvent, const DockWindow &)>;

    virtual ~DockWindowList() = default;
    virtual QList<DockWindow> windows() const = 0;
    virtual void hide(QObject *window) = 0;
    virtual DockActivationPolicy policy() const = 0;
    virtual void setPolicy(DockActivationPolicy policy) = 0;
    virtual bool isApplicationHidden() const = 0;
    // Replaces any earlier handler; events arrive on the main thread.
    virtual void observe(Handler handler) = 0;
};
