#pragma once
// Open and save panels that wait for the test to answer them.

#include "models/BrimFilePanels.h"

class FakeFilePanels final : public BrimFilePanels {
public:
    void askSavePNG(const QString &proposedName, Handler handler) override { ask(proposedName, std::move(handler)); }
    void askImage(const QString &title, Handler handler) override { ask(title, std::move(handler)); }

    // Closes the open panel with a path, or cancels it.
    void answer(std::optional<QString> path)
    {
        Handler handler = std::exchange(pending, nullptr);
        handler(std::move(path));
    }

    Handler pending;
    QStringList asked; // proposed names and titles, in order
private:
    void ask(const QString &what, Handler handler)
    {
        asked << what;
        pending = std::move(handler);
    }
};
