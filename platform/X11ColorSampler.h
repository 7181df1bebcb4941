#pragma once
// Picks a screen colour on X11 without a portal: grabs the screen under the
// pointer and shows it in a full-screen overlay; a click picks that pixel,
// Escape cancels. The grab is taken as sRGB, which is what X servers store.

#include "models/BrimColorSampler.h"

#include <QObject>
#include <QPointer>

class QWidget;

class X11ColorSampler final : public QObject, public BrimColorSampler {
public:
    X11ColorSampler();
    ~X11ColorSampler() override;

    // "unavailable" when the application does not run on X11 or the screen
    // cannot be grabbed; a pick while the overlay is open is "cancelled".
    void pick(Done done) override;

private:
    void finish(const BrimSampledColor &sample);
    void answerLater(Done done, const BrimSampledColor &sample);

    QPointer<QWidget> m_overlay;
    Done m_done;
};
