#pragma once

class MedianKeeper;

// The sweep on one thread and on every thread, at 600 x 450 and 3840 x 2160,
// per shape formula, registered to run with the other benchmarks; the
// summary of their medians after the run.
void registerSweepBenchmarks();
void printSweepSummary(const MedianKeeper& reporter);
