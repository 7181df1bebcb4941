#pragma once
// The Exec key of a desktop entry as an argument list, never a shell command:
// quoting and field codes per the Desktop Entry Specification. A line that
// only a shell could run (unquoted ; | & < > $ `), or one that puts a field
// code inside quotes or inside a word (left undefined by the freedesktop
// text), is refused rather than guessed at, so an address can never be
// spliced into something a shell would read.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DesktopExec {
public:
    // What the field codes stand for in one launch.
    struct Context {
        // Addresses (or, for a profile launch, all launch arguments).
        QStringList targets;
        QString icon;
        QString name;
        // The desktop file's path.
        QString location;
    };

    // exec is the key's value with the string escapes already undone.
    static std::optional<DesktopExec> parse(const QString &exec);

    // Program first, then its arguments. %u and %U take all targets; %f and
    // %F take them as local paths when every target is a file URL. Targets
    // that no field code took are appended, so a browser whose Exec names no
    // field code still gets the address.
    QStringList expand(const Context &context) const;

    QString program() const { return m_arguments.first().pieces.first().text; }

private:
    struct Piece {
        // A literal text, or a field code letter with empty text.
        QString text;
        char16_t code = 0;
    };
    struct Argument {
        QList<Piece> pieces;
    };

    DesktopExec() = default;

    QList<Argument> m_arguments;
};
