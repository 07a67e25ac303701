// Reading and writing a day of 100 samples/s (8.64 million samples) in each
// file format. The files live in $QS_BENCH_FORMATS_DIR when it is set (so
// that bench/formats.sh can time cat and wc -l on the very same files), else
// in a temporary folder; they are made on first use: the SAC file by our
// writer, the miniSEED file from it by sac2mseed.
#include "canvas/trace.h"
#include "formats/geocsvrecord.h"
#include "formats/miniseedrecord.h"
#include "formats/sacrecord.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <benchmark/benchmark.h>
#include <libmseed.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <random>

namespace {

const int daySamples = 8640000;

class DayFiles
{
public:
    static DayFiles& instance()
    {
        static DayFiles files;
        return files;
    }

    QString sac() const { return dir_.filePath("day.sac"); }
    QString mseed() const { return dir_.filePath("day.mseed"); }
    QString csv() const { return dir_.filePath("day.csv"); }
    Trace* trace() const { return trace_.get(); }
    bool ok() const { return ok_; }

private:
    DayFiles()
    {
        const QByteArray wanted = qgetenv("QS_BENCH_FORMATS_DIR");
        dir_ = QDir(wanted.isEmpty() ? temp_.path() : QString::fromLocal8Bit(wanted));
        dir_.mkpath(".");

        // A random walk of raw counts, as a broadband channel records.
        record_ = std::make_unique<SeismicRecord>();
        record_->setNetworkCode("XX");
        record_->setStationCode("DAY");
        record_->setLocationCode("00");
        record_->setChannelCode("HHZ");
        record_->setSampleUnits(RawCounts);
        auto* series = new TimeSeries(daySamples, 100.0);
        series->setStartTimeMSecs(1577836800000LL); // 2020-01-01
        std::mt19937 generator(11);
        std::normal_distribution<double> step(0.0, 40.0);
        double level = 0.0;
        for (int i = 0; i < daySamples; ++i) {
            level = 0.999 * level + std::round(step(generator));
            series->samples[i] = std::round(level);
        }
        record_->addSegment(series);
        trace_ = std::make_unique<Trace>(*record_, 0);

        ok_ = SacRecord(trace_.get()).writeBinaryFile(sac());
        if (ok_ && !QFile::exists(mseed())) {
            QProcess p;
            p.setWorkingDirectory(dir_.path());
            p.start("sac2mseed", {"-s", "1", "-o", mseed(), sac()});
            ok_ = p.waitForFinished(300000) && p.exitCode() == 0;
        }
        if (ok_)
            GeoCSVRecord().writeTrace(trace_.get(), csv());
    }

    QTemporaryDir temp_;
    QDir dir_;
    std::unique_ptr<SeismicRecord> record_;
    std::unique_ptr<Trace> trace_;
    bool ok_ = false;
};

bool ready(benchmark::State& state)
{
    if (!DayFiles::instance().ok()) {
        state.SkipWithError("the day files could not be made (is sac2mseed installed?)");
        return false;
    }
    return true;
}

void BM_FormatsSacReadDay(benchmark::State& state)
{
    if (!ready(state))
        return;
    const QString path = DayFiles::instance().sac();
    for (auto _ : state) {
        SacRecord sac;
        std::unique_ptr<SeismicRecord> record(sac.readBinaryFile(path));
        if (!record)
            state.SkipWithError("unreadable");
        benchmark::DoNotOptimize(record.get());
    }
}
BENCHMARK(BM_FormatsSacReadDay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What any reader of the day pays before reading a byte: a new series of
// 8.64 M doubles, filled once, and freed.
void BM_FormatsAllocateDay(benchmark::State& state)
{
    for (auto _ : state) {
        TimeSeries series(daySamples, 100.0);
        series.samples[daySamples / 2] = 1.0;
        for (int i = 0; i < daySamples; ++i)
            series.samples[i] = double(i & 1023);
        benchmark::DoNotOptimize(series.samples);
    }
}
BENCHMARK(BM_FormatsAllocateDay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FormatsMiniSEEDReadDay(benchmark::State& state)
{
    if (!ready(state))
        return;
    const QString path = DayFiles::instance().mseed();
    for (auto _ : state) {
        MiniSEEDRecord reader;
        QList<SeismicRecord*>* records = reader.readFile(path);
        if (!records || records->size() != 1)
            state.SkipWithError("unreadable");
        if (records)
            qDeleteAll(*records);
        delete records;
    }
}
BENCHMARK(BM_FormatsMiniSEEDReadDay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The library alone, with the arguments our reader passes.
void BM_FormatsMsReadtracesDay(benchmark::State& state)
{
    if (!ready(state))
        return;
    QByteArray path = DayFiles::instance().mseed().toUtf8();
    for (auto _ : state) {
        MSTraceGroup* group = nullptr;
        if (ms_readtraces(&group, path.data(), 0, -1.0, -1.0, 0, 1, 1, 1) != MS_NOERROR)
            state.SkipWithError("unreadable");
        benchmark::DoNotOptimize(group);
        if (group)
            mst_freegroup(&group);
    }
}
BENCHMARK(BM_FormatsMsReadtracesDay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FormatsGeoCSVWriteDay(benchmark::State& state)
{
    if (!ready(state))
        return;
    Trace* trace = DayFiles::instance().trace();
    const QString path = DayFiles::instance().csv();
    for (auto _ : state) {
        // A new file each time, as an export makes: truncating the last
        // run's 265 MB would be timed otherwise.
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
        GeoCSVRecord().writeTrace(trace, path);
    }
}
BENCHMARK(BM_FormatsGeoCSVWriteDay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FormatsGeoCSVReadDay(benchmark::State& state)
{
    if (!ready(state))
        return;
    const QString path = DayFiles::instance().csv();
    for (auto _ : state) {
        GeoCSVRecord reader;
        std::unique_ptr<SeismicRecord> record(reader.readFile(path));
        if (!record)
            state.SkipWithError("unreadable");
    }
}
BENCHMARK(BM_FormatsGeoCSVReadDay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
