#include "model/timer.h"

#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
