#pragma once
// The main of a benchmark program that needs Qt's application object:
// QCoreApplication, or QApplication on the offscreen platform unless one is set.
#include <QCoreApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <type_traits>

template <typename Application>
int runBenchmarks(int argc, char **argv)
{
    if constexpr (std::is_base_of_v<QGuiApplication, Application>) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
