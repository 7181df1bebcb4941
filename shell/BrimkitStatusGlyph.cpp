#include "shell/BrimkitStatusGlyph.h"

#include "core/BrimTool.h"
#include "models/BrimkitModel.h"

#include <algorithm>

BrimkitStatusGlyph BrimkitStatusGlyph::countdown(int secondsLeft, int runMinutes, bool paused)
{
    BrimkitStatusGlyph glyph;
    glyph.kind = Kind::countdown;
    glyph.paused = paused;
    const int seconds = std::max(secondsLeft, 0);
    if (seconds <= 60) {
        glyph.ringFilled = seconds;
        glyph.ringSteps = 60;
        return glyph;
    }
    glyph.minutes = (seconds + 59) / 60;
    glyph.ringSteps = std::max(runMinutes, 1);
    glyph.ringFilled = std::min(glyph.minutes, glyph.ringSteps);
    return glyph;
}

BrimkitStatusGlyph BrimkitStatusGlyph::ofSymbol(const QString &symbol)
{
    BrimkitStatusGlyph glyph;
    glyph.symbol = symbol;
    return glyph;
}

BrimkitStatusGlyph BrimkitStatusGlyph::alarmFired()
{
    BrimkitStatusGlyph glyph = ofSymbol(QStringLiteral("bell.fill"));
    glyph.kind = Kind::alarmFired;
    return glyph;
}

BrimkitStatusGlyph BrimkitStatusGlyph::forModel(const BrimkitModel &model)
{
    const auto presentation = model.timePresentation();
    if (!presentation && model.awakeUntil())
        return ofSymbol(BrimTool(BrimTool::awake).symbol());
    if (const auto *c = presentation ? presentation->countdown() : nullptr) {
        // Countdowns last at most 240 minutes; the clamp only guards the cast.
        const int seconds = static_cast<int>(std::clamp<std::int64_t>(c->remaining, 0, 1 << 30));
        // lastMinutes is the length of the run that is timing.
        return countdown(seconds, model.lastMinutes(), c->paused);
    }
    if (presentation && presentation->alarm() && presentation->isComplete())
        return alarmFired();
    return ofSymbol(model.statusSymbol());
}
