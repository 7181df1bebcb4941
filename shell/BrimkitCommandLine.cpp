#include "shell/BrimkitCommandLine.h"

#include "shell/DueAlarmDelivery.h"

#include <QCommandLineParser>

#include <utility>

namespace {
// Qt's own options, which QApplication takes out of argv, and whether they take a value.
const std::pair<const char *, bool> qtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"display", true}, {"style", true}, {"stylesheet", true}, {"session", true}, {"qwindowgeometry", true},
    {"qwindowtitle", true}, {"qwindowicon", true}, {"name", true}, {"reverse", false}, {"widgetcount", false},
    {"nograb", false}, {"dograb", false}, {"sync", false}};
} // namespace

BrimkitCommandLine BrimkitCommandLine::parse(const QStringList &arguments)
{
    const QString program = QCoreApplication::applicationName();
    QCommandLineParser parser;
    // "-platform xcb" as Qt spells its options; -h and -v still work.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(tr("Timers, alarms and small tools in the system tray.\n"
                                        "Started again, it opens the panel of the one already running."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, tr("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, tr("Show the version and exit."));
    const QCommandLineOption deliver(DueAlarmDelivery::option.mid(2),
                                     tr("Notify the alarms that fell due while the app was closed, then exit. The "
                                        "alarms timer runs this; it needs no display."));
    parser.addOptions({help, version, deliver});
    for (const auto &[name, takesValue] : qtOptions) {
        QCommandLineOption option{QString::fromLatin1(name), QString(), takesValue ? QStringLiteral("value") : QString()};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    BrimkitCommandLine command;
    const auto refuse = [&](const QString &error) {
        command.action = Action::exit;
        command.exitCode = 2;
        command.output = tr("%1: %2\nTry '%1 --help' for more information.\n").arg(program, error);
        return command;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(tr("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(help) || parser.isSet(version)) {
        command.action = Action::exit;
        // Without an application object Qt cannot name the program.
        command.output = parser.isSet(help)
            ? parser.helpText().replace(QLatin1String("<executable_name>"), program)
            : QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion());
        return command;
    }
    if (parser.isSet(deliver))
        command.action = Action::deliverDueAlarms;
    command.platformChosen = parser.isSet(QStringLiteral("platform"));
    return command;
}
