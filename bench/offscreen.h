#pragma once
// The benchmarks that write PDFs need a GUI application; they run on the
// offscreen platform unless another is asked for.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QtGlobal>

namespace Bench {

// Before the application is made: the offscreen platform unless another is
// asked for.
inline void useOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the benchmarks the command line names; false for an argument it does
// not know.
inline bool runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

} // namespace Bench
