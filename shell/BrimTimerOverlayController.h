#pragma once
// Owns the floating timer capsule: shows, hides, sizes and places it from
// the model's time presentation, expands it on hover, pin or completion, and
// collapses it shortly after the pointer leaves.

#include "shell/CapsuleDesktop.h"

#include <QObject>
#include <QRect>

#include <chrono>
#include <memory>

class BrimkitModel;

class BrimTimerOverlayController : public QObject {
    Q_OBJECT

public:
    static constexpr int collapsedWidth = 216;
    static constexpr int expandedWidth = 336;
    static constexpr int minimumHeight = 44;
    static constexpr std::chrono::milliseconds collapseDelay{350};

    BrimTimerOverlayController(BrimkitModel &model, std::shared_ptr<CapsuleDesktop> desktop,
                               QObject *parent = nullptr);
    ~BrimTimerOverlayController() override;

    // Removes the window and every observer; nothing calls back afterwards.
    void close();

    // Where the tool panel shows (empty while it is closed). The capsule stays
    // above every window, so where the two would meet it steps out of the
    // panel's way until the panel closes: the panel is what the user opened.
    void setPanelFrame(const QRect &frame);

    bool isHovered() const { return m_hovered; }
    bool isPinned() const { return m_pinned; }

    // The capsule's frame on a screen, in Qt's coordinates: the one place
    // where the placement rule's upward y meets Qt's downward y.
    static QRect frameOnScreen(const CapsuleDesktop::Screen &screen, QSize size);

private:
    void scheduleUpdate();
    void update();
    void setHover(bool entered);
    void togglePin();
    CapsuleWindow::Hooks hooks();

    BrimkitModel &m_model;
    std::shared_ptr<CapsuleDesktop> m_desktop;
    std::unique_ptr<CapsuleWindow> m_window;
    QMetaObject::Connection m_subscription;
    QMetaObject::Connection m_screenObserver;
    QRect m_panelFrame;
    bool m_hovered = false;
    bool m_pinned = false;
    std::unique_ptr<QObject> m_collapse;
    bool m_updateQueued = false;
    bool m_closed = false;
};
