// The benchmark program's entry point.
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Every size is measured with the heap warm. Left to itself, glibc keeps the memory of a
  // freed 100,000-item store for the next iteration but gives a 1,000,000-item store's back
  // to the kernel, so only the larger size would pay for the kernel zeroing fresh pages on
  // each iteration and the growth between sizes would measure the allocator's heuristics.
  // With the heap kept and no block of these stores mapped apart (the largest, an index of
  // a million keys, is 16 MB), each iteration reuses the last one's memory, whatever its size.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
