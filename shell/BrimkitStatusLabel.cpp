#include "shell/BrimkitStatusLabel.h"

#include "models/BrimkitModel.h"

#include <algorithm>

BrimkitStatusLabel BrimkitStatusLabel::forModel(const BrimkitModel &model)
{
    BrimkitStatusLabel label;
    label.title = model.menuTitle();
    label.accessibilityLabel = model.accessibilityLabel();
    const auto presentation = model.timePresentation();
    label.detail = presentation ? presentation->detail() : QString();
    label.needsAttention = model.completion().has_value() || !model.alarms().book().completed().isEmpty();
    QString clock, widest;
    if (model.isTiming()) {
        // The title ends with the time left; the run started at its widest.
        const std::int64_t left = model.countdown().secondsLeft(model.now());
        clock = BrimTimePresentation::clockText(left);
        widest = BrimTimePresentation::clockText(std::max<std::int64_t>(left, std::int64_t(model.lastMinutes()) * 60));
    }
    label.guide = guideFor(label.title, clock, widest);
    return label;
}

QString BrimkitStatusLabel::guideFor(const QString &title, const QString &clock, const QString &widestClock)
{
    QString guide = !clock.isEmpty() && title.endsWith(clock) ? title.chopped(clock.size()) + widestClock : title;
    for (QChar &c : guide) {
        if (c.isDigit())
            c = u'0';
    }
    return guide;
}
