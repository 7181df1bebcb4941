#pragma once
// The application's top-level widgets as a window list. A panel is a tool,
// pop-up or frameless window, or an alert; a window has a title bar when the window manager
// decorates it. On Linux a window's taskbar entry follows its visibility, so
// the presentation policy is only recorded here and reported to callers:
// nothing is shown or hidden for it. Linux has no "hide the application"
// command, so the application is never hidden.

#include "services/DockWindowList.h"

#include <QObject>

class QWidget;

class WidgetDockWindowList final : public QObject, public DockWindowList {
    Q_OBJECT
public:
    explicit WidgetDockWindowList(DockActivationPolicy initial = DockActivationPolicy::regular,
                                  QObject *parent = nullptr);
    ~WidgetDockWindowList() override;

    static DockWindow describe(const QWidget *widget);

    QList<DockWindow> windows() const override;
    void hide(QObject *window) override;
    DockActivationPolicy policy() const override { return m_policy; }
    void setPolicy(DockActivationPolicy policy) override;
    bool isApplicationHidden() const override { return false; }
    void observe(Handler handler) override;

Q_SIGNALS:
    void policyChanged(DockActivationPolicy policy);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void send(DockWindowEvent event, const QWidget *window);

    DockActivationPolicy m_policy;
    Handler m_handler;
    bool m_filtering = false;
};
