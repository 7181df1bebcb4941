#pragma once
// What the tray icon shows, reduced to what a square slot can hold: the
// minutes left and a ring while a countdown runs, otherwise one symbol. Two
// equal glyphs draw the same icon, so the tray redraws only when this changes.

#include <QString>

class BrimkitModel;

struct BrimkitStatusGlyph {
    enum class Kind { symbol, countdown, alarmFired };

    Kind kind = Kind::symbol;
    // The symbol name (see BrimSymbols) unless a countdown runs.
    QString symbol;
    // Countdown: whole minutes left, rounded up as the title rounds; 0 in the
    // last minute, where the ring alone runs down.
    int minutes = 0;
    // Countdown: the ring's filled part is ringFilled / ringSteps, in whole
    // minutes of the run (whole seconds in the last minute), so it moves with
    // the number and never more than once a second.
    int ringFilled = 0;
    int ringSteps = 1;
    bool paused = false;

    static BrimkitStatusGlyph forModel(const BrimkitModel &model);
    static BrimkitStatusGlyph countdown(int secondsLeft, int runMinutes, bool paused);
    static BrimkitStatusGlyph ofSymbol(const QString &symbol);
    static BrimkitStatusGlyph alarmFired();

    friend bool operator==(const BrimkitStatusGlyph &, const BrimkitStatusGlyph &) = default;
};
