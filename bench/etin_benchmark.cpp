#include <benchmark/benchmark.h>

#include <string>

#include "etin.h"

namespace {

using kennfix::AnsiText;

struct Person {
    AnsiText family;
    AnsiText first;
    AnsiText date;
};

// Windows-1252 bytes: \xFC ü, \xF6 ö, \xE4 ä, \xDF ß, \xC4 Ä, \xD6 Ö, \xDC Ü.
const Person kTypical[] = {
    {"M\xFCller", "Hans", "01.02.80"},
    {"Schmidt", "Eva", "05.11.75"},
    {"Sch\xF6n-Schulze", "Jos\xE9 Mar\xED" "a", "28.02.52"},
    {"Wei\xDF", "Zo\xEB", "12.03.85"},
};

const Person kLong[] = {
    {"M\xFCller-L\xFC" "denscheidt-Sch\xF6nberg-\xC4\xDFmann-\xD6zi", "Hans-J\xFCrgen Maximilian \xD6laf Zo\xEB \xDCmit",
     "29.02.00"},
};

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
