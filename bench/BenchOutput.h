#pragma once
// Console output options shared by the benchmark programs that print their
// own summary lines: colour only on a terminal, so logs stay plain.
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace tessaly::bench {

inline benchmark::ConsoleReporter::OutputOptions consoleOptions() {
    return isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                 : benchmark::ConsoleReporter::OO_Tabular;
}

}  // namespace tessaly::bench
