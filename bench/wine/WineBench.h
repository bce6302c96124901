// A small timing harness for the benchmarks that run under Wine: the median
// of several timed runs, by the performance counter, in nanoseconds per call.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

template <typename Work>
double WineBenchNsPerCall(long calls, Work work, int runs = 7) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> samples;
  for (int run = 0; run < runs; run++) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (long i = 0; i < calls; i++) work();
    QueryPerformanceCounter(&end);
    samples.push_back(1e9 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart) / static_cast<double>(calls));
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

inline void WineBenchRow(const char* name, double ns) { std::printf("| %s | %.1f |\n", name, ns); }
