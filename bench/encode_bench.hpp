#pragma once

class MedianKeeper;

// PNG encoding of the fifteen pictures, one per shape formula, registered
// to run with the other benchmarks; the summary of their medians and of the
// files' sizes after the run.
void registerEncodeBenchmarks();
void printEncodeSummary(const MedianKeeper& reporter);
