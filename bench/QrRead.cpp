// qr-read FILE...: one line per file with the file name, the milliseconds the
// read took (reading the file included), and the texts found joined by "|"
// (or why nothing was found), tab-separated.
#include "platform/BrimQR.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList files = app.arguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: qr-read FILE...\n");
        return 2;
    }
    int failures = 0;
    for (const QString &file : files) {
        QElapsedTimer timer;
        timer.start();
        const auto texts = BrimQR::readFile(file);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        failures += texts.ok() ? 0 : 1;
        const QString outcome = texts.ok() ? texts->join(u'|') : texts.error().description();
        std::printf("%s\t%.1f\t%s\n", qPrintable(file), ms, qPrintable(outcome));
    }
    return failures == 0 ? 0 : 1;
}
