#include "model/firfilter.h"
#include "model/iirfilter.h"
#include "model/timeseries.h"

#include "data/filter_reference.h"

#include <QtTest>

#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

namespace {

const double pi = 3.141592653589793;

// The same generator as tests/gen_filter_reference.py.
std::vector<double> referenceNoise(int n)
{
    std::vector<double> out(static_cast<size_t>(n));
    unsigned long long state = 12345;
    for (int i = 0; i < n; ++i) {
        state = (state * 1103515245ULL + 12345ULL) % (1ULL << 31);
        out[size_t(i)] = double(state) / double(1ULL << 30) - 1.0;
    }
    return out;
}

// |H| of the designed digital cascade at f Hz for sample interval dt.
double gainAt(const IIRFilter& f, double hz, double dt)
{
    const std::complex<double> zi = std::polar(1.0, -2.0 * pi * hz * dt); // z^-1
    std::complex<double> h(1.0, 0.0);
    for (int k = 0; k < f.sectionCount(); ++k) {
        const double* b = f.numerator() + 3 * k;
        const double* a = f.denominator() + 3 * k;
        h *= (b[0] + zi * (b[1] + zi * b[2])) / (a[0] + zi * (a[1] + zi * a[2]));
    }
    return std::abs(h);
}

// The cascade written out plainly: one section after the other from rest.
void plainCascade(const IIRFilter& f, std::vector<double>& x, bool backward)
{
    const int n = int(x.size());
    for (int k = 0; k < f.sectionCount(); ++k) {
        const double* b = f.numerator() + 3 * k;
        const double* a = f.denominator() + 3 * k;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (int j = 0; j < n; ++j) {
            double& v = x[size_t(backward ? n - 1 - j : j)];
            const double y = b[0] * v + b[1] * x1 + b[2] * x2 - a[1] * y1 - a[2] * y2;
            x2 = x1, x1 = v, y2 = y1, y1 = y;
            v = y;
        }
    }
}

double peak(const double* v, int n)
{
    double m = 0.0;
    for (int i = 0; i < n; ++i)
        m = std::max(m, std::fabs(v[i]));
    return m;
}

// The largest difference relative to the reference's peak.
double relativeError(const double* got, const double* want, int n)
{
    double err = 0.0;
    for (int i = 0; i < n; ++i)
        err = std::max(err, std::fabs(got[i] - want[i]));
    return err / peak(want, n);
}

TimeSeries seriesOf(const std::vector<double>& values, double rate)
{
    TimeSeries s(int(values.size()), rate);
    std::copy(values.begin(), values.end(), s.samples);
    return s;
}

bool sameBits(const TimeSeries& a, const std::vector<double>& b)
{
    return a.npts() == int(b.size())
           && std::memcmp(a.samples, b.data(), b.size() * sizeof(double)) == 0;
}

} // namespace

class TestIIRFilter : public QObject
{
    Q_OBJECT

private slots:
    void matchesScipy_data();
    void matchesScipy();
    void knownSectionOfQuarterRateLowPass();
    void sectionCountsAndPoleOrder();
    void gainFacts_data();
    void gainFacts();
    void cascadeEqualsSectionsRunOneAfterAnother_data();
    void cascadeEqualsSectionsRunOneAfterAnother();
    void zeroPhaseIsSymmetric();
    void redesignsForEachSeries();
    void refusedDesignsLeaveSeriesUnchanged_data();
    void refusedDesignsLeaveSeriesUnchanged();
    void emptySeries();
    void names();
    void firShift();
};

void TestIIRFilter::matchesScipy_data()
{
    QTest::addColumn<int>("index");
    const char* types[] = {"low pass", "high pass", "band pass", "band reject"};
    const char* prototypes[] = {"Butterworth", "Bessel"};
    const int count = int(sizeof(FilterReference::cases) / sizeof(FilterReference::cases[0]));
    QCOMPARE(count, 96);
    for (int i = 0; i < count; ++i) {
        const FilterReference::Case& c = FilterReference::cases[i];
        QTest::addRow("%s %s order %d, %g-%g Hz at %g sps", types[c.type], prototypes[c.prototype],
                      c.order, c.low, c.high, c.rate)
            << i;
    }
}

// Butterworth differs from scipy only by the eight-digit 2 pi of the corner
// scaling; Bessel also by the seven-decimal pole table.
void TestIIRFilter::matchesScipy()
{
    QFETCH(int, index);
    const FilterReference::Case& c = FilterReference::cases[index];
    const double tolerance = c.prototype == Butterworth ? 2e-8 : 5e-7;
    const FilterType type = FilterType(c.type);
    const AnalogPrototype prototype = AnalogPrototype(c.prototype);
    const double low = type == LowPass ? 0.0 : c.low;
    const double high = type == HighPass ? 0.0 : c.high;

    IIRFilter forward(type, prototype, low, high, c.order, false);
    std::vector<double> impulse(size_t(FilterReference::impulseLength), 0.0);
    impulse[0] = 1.0;
    TimeSeries response = seriesOf(impulse, c.rate);
    QVERIFY(forward.apply(&response));
    const double impulseError =
        relativeError(response.samples, c.impulse, FilterReference::impulseLength);
    QVERIFY2(impulseError < tolerance, qPrintable(QString::number(impulseError)));

    IIRFilter zeroPhase(type, prototype, low, high, c.order, true);
    TimeSeries noise = seriesOf(referenceNoise(FilterReference::noiseLength), c.rate);
    QVERIFY(zeroPhase.apply(&noise));
    double kept[FilterReference::noiseKept];
    for (int i = 0; i < FilterReference::noiseKept; ++i)
        kept[i] = noise.samples[i * FilterReference::noiseStride];
    const double noiseError = relativeError(kept, c.zeroPhaseNoise, FilterReference::noiseKept);
    QVERIFY2(noiseError < tolerance, qPrintable(QString::number(noiseError)));
}

void TestIIRFilter::knownSectionOfQuarterRateLowPass()
{
    IIRFilter f(LowPass, Butterworth, 0.0, 25.0, 2, false);
    QVERIFY(f.design(0.01));
    QCOMPARE(f.sectionCount(), 1);
    const double b[3] = {0.29289, 0.58579, 0.29289};
    const double a[3] = {1.0, 0.0, 0.17157};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(std::fabs(f.numerator()[i] - b[i]) < 5e-6);
        QVERIFY(std::fabs(f.denominator()[i] - a[i]) < 5e-6);
    }
}

void TestIIRFilter::sectionCountsAndPoleOrder()
{
    IIRFilter first(LowPass, Butterworth, 0.0, 5.0, 1, false);
    QVERIFY(first.design(0.01));
    QCOMPARE(first.sectionCount(), 1);

    // The real pole's section carries the pole that the bilinear step puts
    // at z = -1, cancelled by its zero: 1 - a1 + a2 = 0. It comes first.
    IIRFilter third(LowPass, Butterworth, 0.0, 5.0, 3, false);
    QVERIFY(third.design(0.01));
    QCOMPARE(third.sectionCount(), 2);
    const double* a = third.denominator();
    QVERIFY(std::fabs(1.0 - a[1] + a[2]) < 1e-12);
    QVERIFY(std::fabs(1.0 - a[4] + a[5]) > 1e-3);

    // Bessel puts its real pole last.
    IIRFilter bessel(HighPass, Bessel, 2.0, 0.0, 5, false);
    QVERIFY(bessel.design(0.01));
    QCOMPARE(bessel.sectionCount(), 3);
    QVERIFY(std::fabs(1.0 - bessel.denominator()[7] + bessel.denominator()[8]) < 1e-12);

    IIRFilter bandPass(BandPass, Butterworth, 1.0, 5.0, 3, false);
    QVERIFY(bandPass.design(0.01));
    QCOMPARE(bandPass.sectionCount(), 3);
    IIRFilter bandReject(BandReject, Bessel, 1.0, 5.0, 4, false);
    QVERIFY(bandReject.design(0.01));
    QCOMPARE(bandReject.sectionCount(), 4);
    IIRFilter longest(LowPass, Butterworth, 0.0, 5.0, 20, false);
    QVERIFY(longest.design(0.01));
    QCOMPARE(longest.sectionCount(), 10);
}

void TestIIRFilter::gainFacts_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("rate");
    for (int order = 1; order <= 6; ++order) {
        QTest::addRow("order %d at 100 sps", order) << order << 100.0;
        QTest::addRow("order %d at 7 sps", order) << order << 7.0;
    }
}

// Independent of any reference: the gains the designs promise.
void TestIIRFilter::gainFacts()
{
    QFETCH(int, order);
    QFETCH(double, rate);
    const double dt = 1.0 / rate;
    const double fl = 0.08 * rate, fh = 0.3 * rate;
    const double halfPower = 1.0 / std::sqrt(2.0);

    IIRFilter low(LowPass, Butterworth, 0.0, fh, order, false);
    QVERIFY(low.design(dt));
    QVERIFY(std::fabs(gainAt(low, fh, dt) - halfPower) < 1e-8);
    QVERIFY(std::fabs(gainAt(low, 0.0, dt) - 1.0) < 1e-12);

    IIRFilter high(HighPass, Butterworth, fl, 0.0, order, false);
    QVERIFY(high.design(dt));
    QVERIFY(std::fabs(gainAt(high, fl, dt) - halfPower) < 1e-8);
    QVERIFY(std::fabs(gainAt(high, 0.5 * rate, dt) - 1.0) < 1e-9);

    // The centre is where the warped frequency is the geometric mean of the
    // warped corners.
    const double warpedLow = std::tan(pi * fl * dt), warpedHigh = std::tan(pi * fh * dt);
    const double centre = std::atan(std::sqrt(warpedLow * warpedHigh)) / (pi * dt);
    for (AnalogPrototype prototype : {Butterworth, Bessel}) {
        IIRFilter pass(BandPass, prototype, fl, fh, order, false);
        QVERIFY(pass.design(dt));
        QVERIFY(std::fabs(gainAt(pass, centre, dt) - 1.0) < 1e-12);
        IIRFilter reject(BandReject, prototype, fl, fh, order, false);
        QVERIFY(reject.design(dt));
        QVERIFY(std::fabs(gainAt(reject, 0.0, dt) - 1.0) < 1e-12);
        QVERIFY(gainAt(reject, centre, dt) < 1e-6);
    }
    IIRFilter pass(BandPass, Butterworth, fl, fh, order, false);
    QVERIFY(pass.design(dt));
    QVERIFY(std::fabs(gainAt(pass, fl, dt) - halfPower) < 1e-8);
    QVERIFY(std::fabs(gainAt(pass, fh, dt) - halfPower) < 1e-8);
}

void TestIIRFilter::cascadeEqualsSectionsRunOneAfterAnother_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("order");
    QTest::addColumn<bool>("zeroPhase");
    // Section counts 1, 2, 3, 5, 6, 9, 10 around the fused groups of four.
    const int orders[] = {1, 3, 5, 6, 9, 10};
    for (int order : orders) {
        QTest::addRow("band pass order %d", order) << int(BandPass) << order << false;
        QTest::addRow("band reject order %d, zero phase", order) << int(BandReject) << order << true;
    }
    QTest::addRow("low pass order 20, zero phase") << int(LowPass) << 20 << true;
    QTest::addRow("high pass order 4") << int(HighPass) << 4 << false;
}

void TestIIRFilter::cascadeEqualsSectionsRunOneAfterAnother()
{
    QFETCH(int, type);
    QFETCH(int, order);
    QFETCH(bool, zeroPhase);
    IIRFilter f(FilterType(type), Butterworth, 2.0, 12.0, order, zeroPhase);
    std::vector<double> x = referenceNoise(1000);
    TimeSeries series = seriesOf(x, 50.0);
    QVERIFY(f.apply(&series));
    plainCascade(f, x, false);
    if (zeroPhase)
        plainCascade(f, x, true);
    QVERIFY(relativeError(series.samples, x.data(), 1000) < 1e-12);
}

void TestIIRFilter::zeroPhaseIsSymmetric()
{
    for (FilterType type : {LowPass, HighPass, BandPass, BandReject}) {
        IIRFilter f(type, Bessel, 1.0, 8.0, 4, true);
        std::vector<double> x(4000, 0.0);
        for (int i = 0; i < 6; ++i)
            x[size_t(1997 + i)] = 1.0 + (i == 2 || i == 3 ? 1.0 : 0.0);
        TimeSeries s = seriesOf(x, 100.0);
        QVERIFY(f.apply(&s));
        const double scale = peak(s.samples, 4000);
        for (int i = 0; i < 2000; ++i)
            QVERIFY(std::fabs(s.samples[i] - s.samples[3999 - i]) < 1e-9 * scale);
        // Not trivially symmetric: the pulse was really filtered.
        QVERIFY(std::fabs(s.samples[1990]) > 1e-6 * scale);
    }
}

void TestIIRFilter::redesignsForEachSeries()
{
    IIRFilter shared(LowPass, Butterworth, 0.0, 3.0, 4, false);
    const std::vector<double> x = referenceNoise(200);
    for (double rate : {20.0, 100.0, 7.5}) {
        TimeSeries a = seriesOf(x, rate);
        TimeSeries b = seriesOf(x, rate);
        IIRFilter fresh(LowPass, Butterworth, 0.0, 3.0, 4, false);
        QVERIFY(shared.apply(&a));
        QVERIFY(fresh.apply(&b));
        QVERIFY(std::memcmp(a.samples, b.samples, 200 * sizeof(double)) == 0);
    }
}

void TestIIRFilter::refusedDesignsLeaveSeriesUnchanged_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("prototype");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("order");
    QTest::newRow("Chebyshev I") << int(LowPass) << int(ChebyshevI) << 0.0 << 5.0 << 4;
    QTest::newRow("Chebyshev II") << int(BandPass) << int(ChebyshevII) << 1.0 << 5.0 << 4;
    QTest::newRow("unknown prototype") << int(LowPass) << 7 << 0.0 << 5.0 << 2;
    QTest::newRow("unknown band type") << 9 << int(Butterworth) << 1.0 << 5.0 << 2;
    QTest::newRow("Bessel order 9") << int(LowPass) << int(Bessel) << 0.0 << 5.0 << 9;
    QTest::newRow("Bessel order 0") << int(HighPass) << int(Bessel) << 1.0 << 0.0 << 0;
    QTest::newRow("Butterworth order 0") << int(LowPass) << int(Butterworth) << 0.0 << 5.0 << 0;
    QTest::newRow("Butterworth order -3") << int(LowPass) << int(Butterworth) << 0.0 << 5.0 << -3;
    QTest::newRow("low pass, 11 sections") << int(LowPass) << int(Butterworth) << 0.0 << 5.0 << 21;
    QTest::newRow("band pass, 11 sections") << int(BandPass) << int(Butterworth) << 1.0 << 5.0 << 11;
    QTest::newRow("band pass, equal corners") << int(BandPass) << int(Butterworth) << 3.0 << 3.0 << 2;
    QTest::newRow("band reject, equal corners") << int(BandReject) << int(Bessel) << 3.0 << 3.0 << 3;
    QTest::newRow("band pass, exchanged corners") << int(BandPass) << int(Butterworth) << 5.0 << 1.0 << 2;
    QTest::newRow("low pass at Nyquist") << int(LowPass) << int(Butterworth) << 0.0 << 50.0 << 2;
    QTest::newRow("high pass at 0 Hz") << int(HighPass) << int(Butterworth) << 0.0 << 0.0 << 2;
    QTest::newRow("band pass above Nyquist") << int(BandPass) << int(Bessel) << 1.0 << 60.0 << 2;
    QTest::newRow("NaN corner") << int(LowPass) << int(Butterworth) << 0.0 << std::nan("") << 2;
}

void TestIIRFilter::refusedDesignsLeaveSeriesUnchanged()
{
    QFETCH(int, type);
    QFETCH(int, prototype);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, order);
    for (bool zeroPhase : {false, true}) {
        IIRFilter f(FilterType(type), AnalogPrototype(prototype), low, high, order, zeroPhase);
        const std::vector<double> x = referenceNoise(300);
        TimeSeries s = seriesOf(x, 100.0);
        QVERIFY(!f.apply(&s));
        QCOMPARE(f.sectionCount(), 0);
        QVERIFY(sameBits(s, x));
        QVERIFY(!f.design(0.01));
    }
    // The same filter object is not stuck: a valid design still works after.
    IIRFilter f(LowPass, Butterworth, 0.0, 5.0, 2, false);
    QVERIFY(!f.design(0.0));
    QVERIFY(!f.design(std::nan("")));
    QVERIFY(f.design(0.01));
}

void TestIIRFilter::emptySeries()
{
    IIRFilter f(BandPass, Butterworth, 1.0, 5.0, 4, true);
    TimeSeries s(0, 100.0);
    QVERIFY(f.apply(&s));
    QCOMPARE(s.npts(), 0);
    QVERIFY(!f.apply(nullptr));
}

void TestIIRFilter::names()
{
    QCOMPARE(IIRFilter(LowPass, Butterworth).typeString(), QString("Low Pass"));
    QCOMPARE(IIRFilter(HighPass, Butterworth).typeString(), QString("High Pass"));
    QCOMPARE(IIRFilter(BandPass, Butterworth).typeString(), QString("Band Pass"));
    QCOMPARE(IIRFilter(BandReject, Butterworth).typeString(), QString("Band Reject"));
    QCOMPARE(IIRFilter(FilterType(7), Butterworth).typeString(), QString("Band Pass"));
    QCOMPARE(IIRFilter(LowPass, Bessel).prototypeString(), QString("Bessel"));
    QCOMPARE(IIRFilter(LowPass, ChebyshevI).prototypeString(), QString("Chebyshev I"));
    QCOMPARE(IIRFilter(LowPass, ChebyshevII).prototypeString(), QString("Chebyshev II"));
    QCOMPARE(IIRFilter(LowPass, AnalogPrototype(-1)).prototypeString(), QString("Butterworth"));

    IIRFilter full(HighPass, ChebyshevII, 0.5, 0.0, 3, true, 0.2, 40.0);
    QCOMPARE(full.filterType(), HighPass);
    QCOMPARE(full.prototype(), ChebyshevII);
    QCOMPARE(full.lowFrequency(), 0.5);
    QCOMPARE(full.order(), 3);
    QVERIFY(full.zeroPhase());
    QCOMPARE(full.transitionBandwidth(), 0.2);
    QCOMPARE(full.attenuationFactor(), 40.0);
    full.setFilterType(BandReject);
    full.setPrototype(Bessel);
    QCOMPARE(full.typeString(), QString("Band Reject"));
    QCOMPARE(full.prototypeString(), QString("Bessel"));
    QCOMPARE(IIRFilter().sectionCount(), 0);
}

void TestIIRFilter::firShift()
{
    double x[5] = {1, 2, 3, 4, 5};
    FIRFilter::zshift(x, 5, 2);
    QCOMPARE(std::vector<double>(x, x + 5), (std::vector<double>{0, 0, 1, 2, 3}));
    double y[5] = {1, 2, 3, 4, 5};
    FIRFilter::zshift(y, 5, -2);
    QCOMPARE(std::vector<double>(y, y + 5), (std::vector<double>{3, 4, 5, 0, 0}));
    double z[5] = {1, 2, 3, 4, 5};
    FIRFilter::zshift(z, 5, 6);
    FIRFilter::zshift(z, 5, -6);
    QCOMPARE(std::vector<double>(z, z + 5), (std::vector<double>{1, 2, 3, 4, 5}));
    FIRFilter::zshift(z, 5, -5);
    QCOMPARE(std::vector<double>(z, z + 5), (std::vector<double>{0, 0, 0, 0, 0}));
}

QTEST_GUILESS_MAIN(TestIIRFilter)
#include "test_iirfilter.moc"
