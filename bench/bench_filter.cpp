#include "model/iirfilter.h"
#include "model/timeseries.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

// The size bench/filter_vs_scipy.sh hands scipy as well.
const int filterSamples = 10000000;

std::unique_ptr<TimeSeries> noiseSeries(int n, double rate)
{
    auto series = std::make_unique<TimeSeries>(n, rate);
    std::mt19937 generator(7);
    std::normal_distribution<double> gauss(0.0, 1000.0);
    for (int i = 0; i < series->npts(); ++i)
        series->samples[i] = gauss(generator);
    return series;
}

// Zero-phase Butterworth band pass, order 4 (four sections), 0.5-5 Hz at
// 100 samples/s: design, forward cascade, backward cascade, in place. Only
// the filtering is timed; restoring the input is not.
void BM_ZeroPhaseBandPass(benchmark::State& state)
{
    const auto source = noiseSeries(filterSamples, 100.0);
    TimeSeries work(*source);
    IIRFilter filter(BandPass, Butterworth, 0.5, 5.0, 4, true);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(source->samples, source->samples + source->npts(), work.samples);
        state.ResumeTiming();
        filter.apply(&work);
        benchmark::DoNotOptimize(work.samples[filterSamples / 2]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * filterSamples);
}
BENCHMARK(BM_ZeroPhaseBandPass)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
