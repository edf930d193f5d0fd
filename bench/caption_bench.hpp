#pragma once

class MedianKeeper;

// The caption alone (PrintCaption into a finished picture), for captions of
// several scripts and lengths, registered to run with the other
// benchmarks; the summary of their medians after the run.
void registerCaptionBenchmarks();
void printCaptionSummary(const MedianKeeper& reporter);
