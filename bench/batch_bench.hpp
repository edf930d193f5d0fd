#pragma once

class MedianKeeper;

// A batch of 100 texts drawn as whole pictures on one core and on every
// core (runInOrder), registered to run with the other benchmarks; the
// summary of their medians after the run.
void registerBatchBenchmarks();
void printBatchSummary(const MedianKeeper& reporter);
