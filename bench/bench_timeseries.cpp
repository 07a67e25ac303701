#include "model/spectrum.h"
#include "model/timeseries.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

std::unique_ptr<TimeSeries> noise(int n, double rate)
{
    auto series = std::make_unique<TimeSeries>(n, rate);
    std::mt19937 generator(42);
    std::normal_distribution<double> gauss(0.0, 1000.0);
    for (int i = 0; i < series->npts(); ++i)
        series->samples[i] = gauss(generator) + 0.01 * i;
    return series;
}

const int oneHour = 360000; // 100 samples/s

void BM_MedianSmoothHour(benchmark::State& state)
{
    auto source = noise(oneHour, 100.0);
    for (auto _ : state) {
        TimeSeries work(*source);
        work.smooth(true, int(state.range(0)));
        benchmark::DoNotOptimize(work.samples[0]);
    }
}
BENCHMARK(BM_MedianSmoothHour)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_MeanSmoothHour(benchmark::State& state)
{
    auto source = noise(oneHour, 100.0);
    for (auto _ : state) {
        TimeSeries work(*source);
        work.smooth(false, 50);
        benchmark::DoNotOptimize(work.samples[0]);
    }
}
BENCHMARK(BM_MeanSmoothHour)->Unit(benchmark::kMillisecond);

void BM_TaperHour(benchmark::State& state)
{
    auto work = noise(oneHour, 100.0);
    for (auto _ : state) {
        work->taper(CosineTaper, oneHour / 10);
        benchmark::DoNotOptimize(work->samples[0]);
    }
}
BENCHMARK(BM_TaperHour)->Unit(benchmark::kMillisecond);

void BM_DetrendHour(benchmark::State& state)
{
    auto work = noise(oneHour, 100.0);
    for (auto _ : state) {
        work->removeTrend();
        benchmark::DoNotOptimize(work->samples[0]);
    }
}
BENCHMARK(BM_DetrendHour)->Unit(benchmark::kMillisecond);

void BM_IntegrateHour(benchmark::State& state)
{
    auto work = noise(oneHour, 100.0);
    for (auto _ : state) {
        work->integrate();
        benchmark::DoNotOptimize(work->samples[0]);
    }
}
BENCHMARK(BM_IntegrateHour)->Unit(benchmark::kMillisecond);

void BM_Spectrum(benchmark::State& state)
{
    const int n = int(state.range(0));
    auto work = noise(n, 100.0);
    for (auto _ : state) {
        std::unique_ptr<Spectrum> s(work->spectrum(0, n - 1, CosineTaper, n / 20));
        benchmark::DoNotOptimize(s->values());
    }
}
// 2^20 samples, and twice a large prime (a user's odd selection).
BENCHMARK(BM_Spectrum)->Arg(1 << 20)->Arg(2 * 524287)->Unit(benchmark::kMillisecond);

} // namespace
