#include <benchmark/benchmark.h>

#include <string>

#include "bench/people.h"
#include "core/etin.h"

namespace {

using kennfix::AnsiText;
using kennfix::bench::kLong;
using kennfix::bench::kTypical;
using kennfix::bench::Person;

template <std::size_t N>
void RunComputeEtin(benchmark::State& state, const Person (&people)[N])
{
    const kennfix::DateSettings german;
    std::size_t i = 0;
    for (auto _ : state) {
        const Person& p = people[i++ % N];
        auto result = kennfix::ComputeEtin(p.family, p.first, p.date, german, 2026);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ComputeEtin_Typical(benchmark::State& state)
{
    RunComputeEtin(state, kTypical);
}
BENCHMARK(BM_ComputeEtin_Typical);

void BM_ComputeEtin_40CharUmlauts(benchmark::State& state)
{
    RunComputeEtin(state, kLong);
}
BENCHMARK(BM_ComputeEtin_40CharUmlauts);

// Baseline: what merely copying the three texts costs.
void BM_CopyTexts(benchmark::State& state)
{
    const Person& p = kLong[0];
    for (auto _ : state) {
        AnsiText family = p.family, first = p.first, date = p.date;
        benchmark::DoNotOptimize(family);
        benchmark::DoNotOptimize(first);
        benchmark::DoNotOptimize(date);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CopyTexts);

}  // namespace
