#pragma once
// What the tray item says in words: the title beside the icon, a guide as
// wide as the widest value the title takes in its present kind (so a bar
// that draws the title sizes it once and nothing beside it jitters), the
// accessibility label and detail line of the tooltip, and whether the item
// asks for attention (an alarm rang, a session is done).

#include <QString>

class BrimkitModel;

struct BrimkitStatusLabel {
    QString title;
    QString guide;
    QString accessibilityLabel;
    QString detail;
    bool needsAttention = false;

    static BrimkitStatusLabel forModel(const BrimkitModel &model);
    // The title with a countdown's minutes as wide as the run's first value,
    // every digit a zero.
    static QString guideFor(const QString &title, const QString &clock, const QString &widestClock);

    friend bool operator==(const BrimkitStatusLabel &, const BrimkitStatusLabel &) = default;
};
