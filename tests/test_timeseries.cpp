#include "model/spectrum.h"
#include "model/timeseries.h"

#include <QtTest>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<TimeSeries> seriesOf(const std::vector<double>& values, double rate = 1.0)
{
    auto s = std::make_unique<TimeSeries>(int(values.size()), rate);
    for (size_t i = 0; i < values.size(); ++i)
        s->samples[i] = values[i];
    return s;
}

std::vector<double> valuesOf(const TimeSeries& s)
{
    return std::vector<double>(s.samples, s.samples + s.npts());
}

// The median of each window by full sort, for comparison with the fast path.
std::vector<double> referenceMedian(const std::vector<double>& x, int h)
{
    const int n = int(x.size());
    std::vector<double> r(x.size());
    for (int i = h; i < n - h; ++i) {
        std::vector<double> w(x.begin() + i - h, x.begin() + i + h + 1);
        std::sort(w.begin(), w.end());
        r[size_t(i)] = w[size_t(h)];
    }
    for (int i = 0; i < h; ++i)
        r[size_t(i)] = r[size_t(h)];
    for (int i = n - h; i < n; ++i)
        r[size_t(i)] = r[size_t(n - h - 1)];
    return r;
}

} // namespace

class TestTimeSeries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void countsAreEvenAndTimesWholeMilliseconds()
    {
        TimeSeries s(5, 20.0);
        QCOMPARE(s.npts(), 6);
        QCOMPARE(s.dt(), 0.05);
        QCOMPARE(s.dtMSecs(), 50.0);
        QCOMPARE(s.startTimeMSecs(), 0LL);
        QCOMPARE(s.endTimeMSecs(), 250LL);
        s.setStartTimeMSecs(1000);
        QCOMPARE(s.endTimeMSecs(), 1250LL);
        for (int i = 0; i < s.npts(); ++i)
            QCOMPARE(s.samples[i], 0.0);

        TimeSeries three(10, 3.0);
        QCOMPARE(three.dtMSecs(), 333.0);
        QCOMPARE(three.endTimeMSecs(), 333LL * 9);

        // Above 2000 samples/s there is no whole-millisecond interval.
        TimeSeries fast(10, 4000.0);
        QCOMPARE(fast.dtMSecs(), 0.0);
        TimeSeries broken(10, 0.0);
        QCOMPARE(broken.dtMSecs(), 0.0);
    }

    void copiesAreDeep()
    {
        auto s = seriesOf({1, 2, 3, 4});
        s->setStartTimeMSecs(500);
        TimeSeries copy(*s);
        copy.samples[0] = 99;
        QCOMPARE(s->samples[0], 1.0);
        QCOMPARE(copy.startTimeMSecs(), 500LL);
        TimeSeries assigned(2, 1.0);
        assigned = *s;
        assigned.samples[1] = -1;
        QCOMPARE(s->samples[1], 2.0);
        QCOMPARE(assigned.npts(), 4);
    }

    void statisticsAndMeans()
    {
        auto s = seriesOf({0, 0, 3, 3, 3, 0});
        QCOMPARE(s->mean(2, 4), 3.0);
        QCOMPARE(s->minimum(), 0.0);
        QCOMPARE(s->maximum(1, 3), 3.0);
        QCOMPARE(s->minimum(4, 2), 3.0); // i2 <= i1 gives sample i1
        s->removeMean(2, 4);
        QCOMPARE(valuesOf(*s), (std::vector<double>{-3, -3, 0, 0, 0, -3}));

        TimeSeries empty(0, 10.0);
        QCOMPARE(empty.mean(), 0.0);
        QCOMPARE(empty.minimum(), 0.0);
        QCOMPARE(empty.maximum(), 0.0);
        empty.removeMean();
        empty.removeTrend();
        empty.integrate();
        empty.smooth(true, 3);
        empty.taper(HannTaper, 5);
        QCOMPARE(empty.npts(), 0);
    }

    void removeTrendLeavesNothingOfALine()
    {
        TimeSeries s(100, 10.0);
        for (int i = 0; i < s.npts(); ++i)
            s.samples[i] = 2.0 + 3.0 * (i * s.dt());
        s.removeTrend();
        for (int i = 0; i < s.npts(); ++i)
            QVERIFY(std::abs(s.samples[i]) < 1e-9);
    }

    void smoothing()
    {
        auto mean = seriesOf({0, 0, 3, 0, 0, 0});
        mean->smooth(false, 1);
        QCOMPARE(valuesOf(*mean), (std::vector<double>{1, 1, 1, 1, 0, 0}));

        auto median = seriesOf({0, 0, 3, 0, 0, 0});
        median->smooth(true, 1);
        QCOMPARE(valuesOf(*median), (std::vector<double>(6, 0.0)));

        // A series shorter than the window stays as it is.
        auto shortSeries = seriesOf({5, 1, 7, 2});
        shortSeries->smooth(true, 2);
        QCOMPARE(valuesOf(*shortSeries), (std::vector<double>{5, 1, 7, 2}));
        shortSeries->smooth(false, 2);
        QCOMPARE(valuesOf(*shortSeries), (std::vector<double>{5, 1, 7, 2}));

        // The fast median equals a full sort of every window, ties included.
        std::vector<double> x;
        unsigned state = 12345;
        for (int i = 0; i < 400; ++i) {
            state = state * 1103515245u + 12345u;
            x.push_back(double((state >> 16) % 17));
        }
        auto s = seriesOf(x);
        s->smooth(true, 7);
        QCOMPARE(valuesOf(*s), referenceMedian(x, 7));
    }

    void integration()
    {
        auto constant = seriesOf({4, 4, 4, 4, 4, 4});
        constant->integrate();
        for (double v : valuesOf(*constant))
            QVERIFY(std::abs(v) < 1e-12);

        // A cosine over whole periods, even about the centre, has neither mean
        // nor trend; it integrates to a sine over omega.
        const double rate = 100.0, f = 1.0;
        TimeSeries s(2000, rate);
        const double centre = (s.npts() - 1) / 2.0;
        for (int i = 0; i < s.npts(); ++i)
            s.samples[i] = std::cos(2 * M_PI * f * (i - centre) / rate);
        s.integrate();
        const double omega = 2 * M_PI * f;
        // Sample i holds the integral up to the time of sample i + 1.
        double worst = 0;
        for (int i = 0; i < s.npts() - 1; ++i) {
            const double expected = (std::sin(omega * (i + 1 - centre) / rate) - std::sin(omega * -centre / rate)) / omega;
            worst = std::max(worst, std::abs(s.samples[i] - expected));
        }
        QVERIFY2(worst < 2e-3, qPrintable(QString::number(worst)));
        QCOMPARE(s.samples[s.npts() - 1], s.samples[s.npts() - 2]);
    }

    void tapers()
    {
        auto hann = seriesOf({1, 1, 1, 1, 1, 1, 1, 1});
        hann->taper(HannTaper, 10); // held at 8/2 - 1 = 3
        const std::vector<double> expected{0, 0.25, 0.75, 1, 1, 0.75, 0.25, 0};
        for (int i = 0; i < 8; ++i)
            QVERIFY(std::abs(hann->samples[i] - expected[size_t(i)]) < 1e-12);

        auto cosine = seriesOf({1, 9, 3, 7, 5, 5, 6, 4});
        cosine->taper(CosineTaper, 2);
        QCOMPARE(cosine->samples[0], 5.0);
        QCOMPARE(cosine->samples[7], 5.0);
        QCOMPARE(cosine->samples[3], 7.0);

        auto hamming = seriesOf({2, 2, 2, 2, 2, 2, 2, 2});
        hamming->taper(HammingTaper, 2);
        QVERIFY(std::abs(hamming->samples[0] - 0.16) < 1e-12);
        QVERIFY(std::abs(hamming->samples[1] - 1.08) < 1e-12); // 2 * 0.54
        QCOMPARE(hamming->samples[2], 2.0);

        auto tiny = seriesOf({3, 3});
        tiny->taper(HannTaper, 5);
        QCOMPARE(valuesOf(*tiny), (std::vector<double>{3, 3}));
    }

    void spectrumMatchesNumpy()
    {
        // numpy.fft.rfft(x - x.mean()) / len(x) for the samples below.
        const std::vector<double> x{1, 3, -2, 5, 0, 4, 7, -1, 2, 6, 8, -3};
        const std::complex<double> expected[] = {
            {0.0, 0.0},
            {-0.5498396842794429, 0.4910254037844385},
            {-0.45833333333333337, 0.5051814855409225},
            {-0.8333333333333333, -1.0},
            {1.125, -0.6495190528383289},
            {-0.11682698238722358, -1.2410254037844384},
            {0.16666666666666666, 0.0},
        };
        auto s = seriesOf(x, 50.0);
        std::unique_ptr<Spectrum> sp(s->spectrum(0, 11, CosineTaper, 0));
        QVERIFY(sp);
        QCOMPARE(sp->pointCount(), 12);
        QCOMPARE(sp->frequencyStep(), 1.0 / (0.02 * 12));
        for (int k = 0; k <= 6; ++k)
            QVERIFY2(std::abs(sp->values()[k] - expected[k]) < 1e-12, qPrintable(QString::number(k)));
        for (int k = 7; k < 12; ++k)
            QCOMPARE(sp->values()[k], std::complex<double>(0, 0));
    }

    void oddWindowsWiden()
    {
        TimeSeries s(100, 10.0);
        for (int i = 0; i < 100; ++i)
            s.samples[i] = std::sin(0.3 * i) + 0.01 * i * i;
        // 91..99 is odd at the end of the series, so it widens to 90..99
        // (numpy.fft.rfft(w - w.mean())/10 of those samples).
        const std::complex<double> expected[] = {
            {0.0, 0.0},
            {-0.755340417108978, 2.533251919679261},
            {-0.8281022131341786, 1.1645034329117347},
            {-0.8399235117825296, 0.6170854780011248},
            {-0.8435133537895162, 0.27628524464031623},
            {-0.8444063579213392, 0.0},
        };
        std::unique_ptr<Spectrum> end(s.spectrum(91, 99, CosineTaper, 0));
        QCOMPARE(end->pointCount(), 10);
        for (int k = 1; k <= 5; ++k)
            QVERIFY(std::abs(end->values()[k] - expected[k]) < 1e-9);
        std::unique_ptr<Spectrum> start(s.spectrum(0, 8, CosineTaper, 0));
        QCOMPARE(start->pointCount(), 10);
        QCOMPARE(start->frequencyStep(), 1.0 / (0.1 * 10));
        QVERIFY(!s.spectrum(-1, 8, CosineTaper, 0));
        QVERIFY(!s.spectrum(0, 100, CosineTaper, 0));
    }

    void spectrumOfASine()
    {
        // A sine of amplitude A on an exact bin has magnitude A/2 there.
        const int n = 1024;
        TimeSeries s(n, 100.0);
        const int bin = 64;
        for (int i = 0; i < n; ++i)
            s.samples[i] = 3.0 * std::sin(2 * M_PI * bin * i / n) + 10.0;
        std::unique_ptr<Spectrum> sp(s.spectrum(0, n - 1, HannTaper, 0));
        QVERIFY(std::abs(std::abs(sp->values()[bin]) - 1.5) < 1e-9);
        QVERIFY(std::abs(sp->values()[0]) < 1e-9);
        QVERIFY(std::abs(sp->values()[bin + 3]) < 1e-9);
        QCOMPARE(sp->frequencyStep() * bin, 100.0 * bin / n);

        // Twice a large prime still transforms (FFTW's prime-size path).
        const int m = 2 * 10007;
        TimeSeries p(m, 100.0);
        for (int i = 0; i < m; ++i)
            p.samples[i] = std::cos(2 * M_PI * 50 * i / m);
        std::unique_ptr<Spectrum> ps(p.spectrum(0, m - 1, CosineTaper, 0));
        QVERIFY(std::abs(std::abs(ps->values()[50]) - 0.5) < 1e-9);

        TimeSeries flat(16, 1.0);
        for (int i = 0; i < 16; ++i)
            flat.samples[i] = 7.0;
        std::unique_ptr<Spectrum> fs(flat.spectrum(0, 15, HannTaper, 3));
        for (int k = 0; k <= 8; ++k)
            QVERIFY(std::abs(fs->values()[k]) < 1e-12);
    }
};

QTEST_GUILESS_MAIN(TestTimeSeries)
#include "test_timeseries.moc"
