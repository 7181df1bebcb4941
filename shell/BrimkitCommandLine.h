#pragma once
// What the command line asks for, read before any application object exists
// so that --help and --version answer without a display. Qt's own options
// (-platform, -display, -session from the session manager, …) pass through
// to QApplication; anything else is refused by name.

#include <QCoreApplication>
#include <QString>
#include <QStringList>

struct BrimkitCommandLine {
    Q_DECLARE_TR_FUNCTIONS(BrimkitCommandLine)

public:
    enum class Action { run, deliverDueAlarms, exit };

    Action action = Action::run;
    // For Action::exit: 0 after --help or --version, 2 for a usage error.
    int exitCode = 0;
    // For Action::exit: the text to print, on stdout when exitCode is 0.
    QString output;
    // The user named a Qt platform (-platform): a display may come from it.
    bool platformChosen = false;

    // arguments: the whole argv, program name first.
    static BrimkitCommandLine parse(const QStringList &arguments);
};
