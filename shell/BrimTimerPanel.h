#pragma once
// The timer capsule's window: frameless, above every other window on every
// workspace, never focused and not movable. Created once, hidden when
// nothing is presented, destroyed with its controller.

#include "shell/CapsuleWindow.h"

#include <QWidget>

class BrimkitModel;
class BrimTimerCapsule;

class BrimTimerPanel final : public QWidget, public CapsuleWindow {
    Q_OBJECT

public:
    BrimTimerPanel(BrimkitModel &model, Hooks hooks);

    void present(bool expanded) override;
    int fittingHeight(int width) const override;
    void setFrame(const QRect &frame) override;
    bool isShown() const override { return isVisible(); }
    void orderFront() override;
    void orderOut() override { hide(); }

    BrimTimerCapsule &capsule() { return *m_capsule; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateMask();

    BrimTimerCapsule *m_capsule;
    QSize m_maskSize;
    int m_maskRadius = 0;
};
