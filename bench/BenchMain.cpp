// The entry point of vexo_bench, shared by every benchmark file of this folder.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
