// Shows a window of one known colour, then asks the colour model to pick from
// the screen twice, with the desktop's sampler (no portal on the test bus, so
// the X11 overlay). Prints "picked HEX" or "cancelled" after each pick and
// exits after the second.
#include "models/BrimColorModel.h"
#include "platform/PortalColorSampler.h"
#include "platform/X11ColorSampler.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget target;
    target.setWindowTitle(QStringLiteral("Colour target"));
    target.setAutoFillBackground(true);
    target.setPalette(QPalette(QColor(0x3C, 0x8A, 0x1F)));
    target.setGeometry(100, 100, 300, 200);
    target.show();

    const auto sampler = std::make_shared<PortalColorSampler>(QDBusConnection::sessionBus(),
                                                              std::make_shared<X11ColorSampler>());
    BrimColorModel model({sampler, std::make_shared<MemoryUserDefaults>(), nullptr});
    model.setHex(QStringLiteral("#000000"));
    int picks = 0;
    bool wasSampling = false;
    QObject::connect(&model, &BrimColorModel::changed, &app, [&] {
        const bool ended = wasSampling && !model.sampling();
        wasSampling = model.sampling();
        if (!ended)
            return;
        const bool cancelled = model.hex() == QLatin1String("#000000");
        std::printf("%s\n", qPrintable(model.error() ? *model.error()
                                        : cancelled   ? QStringLiteral("cancelled")
                                                      : QStringLiteral("picked ") + model.hex()));
        std::fflush(stdout);
        model.setHex(QStringLiteral("#000000"));
        if (++picks == 2)
            app.quit();
        else
            model.sample();
    });
    // Once the target is on screen.
    QTimer::singleShot(300, &model, [&] { model.sample(); });
    return app.exec();
}
