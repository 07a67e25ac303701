// Speed of trace drawing: building the decimated polyline of a long trace
// against a plain min/max pass over the same samples, and repainting a full
// canvas before and after zooming in.
#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

namespace {

SeismicRecord* noiseRecord(int n, double rate, unsigned seed, long long start = 1562378400000LL)
{
    auto* record = new SeismicRecord;
    record->setNetworkCode(QStringLiteral("XA"));
    record->setStationCode(QStringLiteral("S%1").arg(seed));
    record->setChannelCode(QStringLiteral("BHZ"));
    auto* series = new TimeSeries(n, rate);
    series->setStartTimeMSecs(start);
    std::mt19937 generator(seed);
    std::normal_distribution<double> gauss(0.0, 1000.0);
    for (int i = 0; i < series->npts(); ++i)
        series->samples[i] = gauss(generator) + 500.0 * std::sin(i * 1e-4);
    record->addSegment(series);
    return record;
}

constexpr int tenMillion = 10000000;

struct LongTrace
{
    std::unique_ptr<SeismicRecord> record{noiseRecord(tenMillion, 100.0, 1)};
    Trace trace{*record, 1};
    // 2000 pixels across the whole trace
    double xScale = 2000.0 / ((tenMillion - 1) * 10.0);
    LongTrace() { trace.setTraceSize(xScale, 100); }
};

LongTrace& longTrace()
{
    static LongTrace t;
    return t;
}

void BM_PolylineOf10MSamplesAt2000px(benchmark::State& state)
{
    LongTrace& t = longTrace();
    QVector<QPointF> points;
    QRectF bounds;
    for (auto _ : state) {
        t.trace.drawTrace(&points, &bounds, t.xScale, 1.0);
        benchmark::DoNotOptimize(points.constData());
    }
    state.counters["vertices"] = points.size();
    state.SetItemsProcessed(state.iterations() * int64_t(tenMillion));
}
BENCHMARK(BM_PolylineOf10MSamplesAt2000px)->Unit(benchmark::kMillisecond);

// The yardstick: one plain minimum and maximum pass over the same samples.
void BM_MinMaxPassOf10MSamples(benchmark::State& state)
{
    LongTrace& t = longTrace();
    const double* samples = t.trace.samples;
    for (auto _ : state) {
        const auto extremes = std::minmax_element(samples, samples + t.trace.npts());
        benchmark::DoNotOptimize(*extremes.first);
        benchmark::DoNotOptimize(*extremes.second);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(tenMillion));
}
BENCHMARK(BM_MinMaxPassOf10MSamples)->Unit(benchmark::kMillisecond);

// The same pass as a plain loop, which the compiler can vectorise.
void BM_MinMaxLoopOf10MSamples(benchmark::State& state)
{
    LongTrace& t = longTrace();
    const double* samples = t.trace.samples;
    const int n = t.trace.npts();
    for (auto _ : state) {
        double low = samples[0];
        double high = samples[0];
        for (int i = 1; i < n; ++i) {
            low = samples[i] < low ? samples[i] : low;
            high = samples[i] > high ? samples[i] : high;
        }
        benchmark::DoNotOptimize(low);
        benchmark::DoNotOptimize(high);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(tenMillion));
}
BENCHMARK(BM_MinMaxLoopOf10MSamples)->Unit(benchmark::kMillisecond);

// 100 one-hour traces at 100 samples/s, a network recording the same hour,
// on a 2000 x 1200 canvas.
struct FullCanvas
{
    QList<SeismicRecord*> records;
    std::unique_ptr<Quakeslate> canvas;
    QImage image{2000, 1200, QImage::Format_ARGB32_Premultiplied};

    FullCanvas()
    {
        canvas = std::make_unique<Quakeslate>(1, nullptr);
        canvas->resize(2000, 1200);
        for (unsigned i = 0; i < 100; ++i) {
            records << noiseRecord(360000, 100.0, 100 + i);
            canvas->addTrace(records.last());
        }
    }
    ~FullCanvas()
    {
        canvas.reset();
        qDeleteAll(records);
    }

    // Paints the canvas part at offset into the image, as the scroll area's
    // viewport exposes it.
    void paint(const QPoint& offset)
    {
        image.fill(Qt::white);
        canvas->render(&image, QPoint(), QRegion(QRect(offset, image.size())));
    }
};

void BM_RepaintCanvas100HourTraces(benchmark::State& state)
{
    FullCanvas c;
    c.paint(QPoint()); // builds the polylines
    for (auto _ : state)
        c.paint(QPoint());
    state.counters["vertices/trace"] = c.canvas->traces().first()->polyline().size();
}
BENCHMARK(BM_RepaintCanvas100HourTraces)->Unit(benchmark::kMillisecond);

// After stretching the time axis 50 times: the same 100 traces in view, each
// with a fiftieth of its samples inside the exposed rectangle.
void BM_RepaintCanvas100HourTracesTimeZoom50(benchmark::State& state)
{
    FullCanvas c;
    c.canvas->stretchCanvasToRect(2000 * 50, 1200, false);
    const QPoint middle(c.canvas->width() / 2, 0);
    c.paint(middle);
    for (auto _ : state)
        c.paint(middle);
    state.counters["vertices/trace"] = c.canvas->traces().first()->polyline().size();
}
BENCHMARK(BM_RepaintCanvas100HourTracesTimeZoom50)->Unit(benchmark::kMillisecond);

// After a uniform 50 times zoom, as the zoom tool makes it.
void BM_RepaintCanvas100HourTracesZoom50(benchmark::State& state)
{
    FullCanvas c;
    c.canvas->stretchCanvasToRect(2000 * 50, 1200 * 50, true);
    const QPoint middle(c.canvas->width() / 2, c.canvas->height() / 2);
    c.paint(middle);
    for (auto _ : state)
        c.paint(middle);
}
BENCHMARK(BM_RepaintCanvas100HourTracesZoom50)->Unit(benchmark::kMillisecond);

} // namespace
