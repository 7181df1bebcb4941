#include "shell/BrimTimerPanel.h"

#include "platform/CapsuleWindowHints.h"
#include "shell/BrimTimerCapsule.h"

#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>
#include <QWindow>

BrimTimerPanel::BrimTimerPanel(BrimkitModel &model, Hooks hooks)
    : QWidget(nullptr, CapsuleWindowHints::flags())
    , m_capsule(new BrimTimerCapsule(model, std::move(hooks)))
{
    setWindowTitle(tr("Brimkit Timer"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_capsule);
    // The native window exists from the start, so the window system learns
    // what it is before it is first shown.
    winId();
    CapsuleWindowHints::describe(*windowHandle());
}

void BrimTimerPanel::present(bool expanded)
{
    m_capsule->present(expanded);
    updateMask();
}

int BrimTimerPanel::fittingHeight(int width) const
{
    return m_capsule->hasHeightForWidth() ? m_capsule->heightForWidth(width) : m_capsule->sizeHint().height();
}

void BrimTimerPanel::setFrame(const QRect &frame)
{
    if (geometry() != frame)
        setGeometry(frame);
}

void BrimTimerPanel::orderFront()
{
    show();
    raise();
}

void BrimTimerPanel::resizeEvent(QResizeEvent *event)
{
    updateMask();
    QWidget::resizeEvent(event);
}

void BrimTimerPanel::updateMask()
{
    // Rounded corners through a shape: an alpha channel would show black
    // corners where no compositor runs.
    const int radius = m_capsule->cornerRadius();
    if (size() == m_maskSize && radius == m_maskRadius)
        return;
    m_maskSize = size();
    m_maskRadius = radius;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), radius, radius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}
