#pragma once
// Open and save panels as the tools use them. Both return at once; the handler
// runs on the main thread when the panel closes, with the chosen path or
// nothing when the user cancelled.

#include <QString>

#include <functional>
#include <optional>

class BrimFilePanels {
public:
    using Handler = std::function<void(std::optional<QString> path)>;

    virtual ~BrimFilePanels() = default;

    // Where to save a PNG image, proposing a file name; a name the user gives
    // without a suffix gets ".png".
    virtual void askSavePNG(const QString &proposedName, Handler handler) = 0;
    // One existing image file.
    virtual void askImage(const QString &title, Handler handler) = 0;
};
