#include "shell/BrimTimerOverlayController.h"

#include "core/BrimTimerPlacement.h"
#include "models/BrimkitModel.h"

#include <QPointer>

#include <algorithm>

namespace {

// Mirrors a rectangle at y = 0. The placement rule only compares and offsets
// y values, so any mirror line gives the same frame; its y grows upwards.
QRectF mirrored(const QRectF &r) { return QRectF(r.x(), -(r.y() + r.height()), r.width(), r.height()); }

} // namespace

BrimTimerOverlayController::BrimTimerOverlayController(BrimkitModel &model, std::shared_ptr<CapsuleDesktop> desktop,
                                                       QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_desktop(std::move(desktop))
{
    // Both observers run the update on a later turn of the event loop, once
    // per turn however many changes arrive; a destroyed controller drops it.
    m_subscription = connect(&m_model, &BrimkitModel::changed, this, &BrimTimerOverlayController::scheduleUpdate);
    m_screenObserver = connect(m_desktop.get(), &CapsuleDesktop::screensChanged, this,
                               &BrimTimerOverlayController::scheduleUpdate);
    update();
}

BrimTimerOverlayController::~BrimTimerOverlayController() { close(); }

QRect BrimTimerOverlayController::frameOnScreen(const CapsuleDesktop::Screen &screen, QSize size)
{
    // No camera housing on these screens: the top inset is 0.
    const QRectF frame = BrimTimerPlacement::frame(mirrored(screen.geometry), mirrored(screen.available), 0, size);
    return mirrored(frame).toRect();
}

void BrimTimerOverlayController::scheduleUpdate()
{
    if (m_updateQueued || m_closed)
        return;
    m_updateQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_updateQueued = false;
            update();
        },
        Qt::QueuedConnection);
}

void BrimTimerOverlayController::update()
{
    if (m_closed)
        return;
    const auto presentation = m_model.timePresentation();
    if (!m_model.islandEnabled() || !presentation) {
        if (m_window)
            m_window->orderOut();
        m_hovered = false;
        m_pinned = false;
        return;
    }
    const auto screen = m_desktop->screen();
    if (!screen)
        return;

    const bool expanded = m_hovered || m_pinned || presentation->isComplete();
    const int width = expanded ? expandedWidth : collapsedWidth;
    if (!m_window)
        m_window = m_desktop->makeWindow(m_model, hooks());
    m_window->present(expanded);
    const int height = std::max(m_window->fittingHeight(width), minimumHeight);
    const QRect frame = frameOnScreen(*screen, QSize(width, height));
    if (frame.intersects(m_panelFrame)) {
        m_window->orderOut();
        m_hovered = false; // the pointer cannot leave what is not shown
        return;
    }
    m_window->setFrame(frame);
    if (!m_window->isShown())
        m_window->orderFront();
}

void BrimTimerOverlayController::setPanelFrame(const QRect &frame)
{
    if (frame == m_panelFrame)
        return;
    m_panelFrame = frame;
    update();
}

CapsuleWindow::Hooks BrimTimerOverlayController::hooks()
{
    QPointer<BrimTimerOverlayController> self(this);
    return {
        [self](bool entered) {
            if (self)
                self->setHover(entered);
        },
        [self] {
            if (self)
                self->togglePin();
        },
    };
}

void BrimTimerOverlayController::setHover(bool entered)
{
    if (m_closed)
        return;
    m_collapse.reset();
    if (entered) {
        if (!m_hovered) {
            m_hovered = true;
            update();
        }
        return;
    }
    QPointer<BrimTimerOverlayController> self(this);
    m_collapse = m_desktop->after(collapseDelay, [self] {
        if (!self || self->m_closed)
            return;
        // Called from the handle's own signal: let it go once that returns.
        if (QObject *handle = self->m_collapse.release())
            handle->deleteLater();
        self->m_hovered = false;
        self->update();
    });
}

void BrimTimerOverlayController::togglePin()
{
    if (m_closed)
        return;
    m_pinned = !m_pinned;
    update();
}

void BrimTimerOverlayController::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_collapse.reset();
    disconnect(m_subscription);
    disconnect(m_screenObserver);
    m_window.reset();
}
