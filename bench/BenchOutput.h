#pragma once
// What the benchmark programs share: console output (colour only on a
// terminal, so logs stay plain), per-item cost counters, and a main body for
// programs that print their own summary through a reporter.
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace tessaly::bench {

inline benchmark::ConsoleReporter::OutputOptions consoleOptions() {
    return isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                 : benchmark::ConsoleReporter::OO_Tabular;
}

// A counter that shows the time per item when every iteration handles `items`.
inline benchmark::Counter perItem(double items) {
    return benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Runs the benchmarks the command line selects through `reporter`; answers
// the program's exit status.
inline int runBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace tessaly::bench
