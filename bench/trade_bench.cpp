#include <benchmark/benchmark.h>
static void Placeholder(benchmark::State& s) { for (auto _ : s) {} }
BENCHMARK(Placeholder);
