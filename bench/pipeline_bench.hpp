#pragma once

class MedianKeeper;

// The whole path of one picture on one core, text to PNG bytes with the
// caption, registered to run with the other benchmarks; the summary of its
// medians against the sweep alone after the run.
void registerPipelineBenchmarks();
void printPipelineSummary(const MedianKeeper& reporter);
