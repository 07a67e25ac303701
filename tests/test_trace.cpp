#include "canvas/trace.h"
#include "model/iirfilter.h"
#include "model/pick.h"
#include "model/seismicrecord.h"
#include "model/spectrum.h"
#include "model/timeseries.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// 2020-03-04T05:06:07.000Z
const long long recordStart = 1583298367000LL;

std::unique_ptr<SeismicRecord> makeRecord(const std::vector<double>& values, double rate,
                                          const QString& network = "IU",
                                          const QString& station = "ANMO",
                                          const QString& location = "00",
                                          const QString& channel = "BHZ")
{
    auto record = std::make_unique<SeismicRecord>();
    record->setNetworkCode(network);
    record->setStationCode(station);
    record->setLocationCode(location);
    record->setChannelCode(channel);
    auto* segment = new TimeSeries(int(values.size()), rate);
    std::copy(values.begin(), values.end(), segment->samples);
    segment->setStartTimeMSecs(recordStart);
    record->addSegment(segment);
    return record;
}

std::vector<double> ramp(int n)
{
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = 3.0 * std::sin(0.37 * i) + 0.01 * i + 2.0;
    return v;
}

std::vector<double> samplesOf(const TimeSeries& s)
{
    return std::vector<double>(s.samples, s.samples + s.npts());
}

bool usable(double g)
{
    return std::isfinite(g) && g > 0.0;
}

} // namespace

class TestTrace : public QObject
{
    Q_OBJECT

private slots:
    void labels_data();
    void labels();
    void startsWithUsableState();
    void displayState();
    void heightsAndGains();
    void flatTraceKeepsUsableGain();
    void emptyFirstSegment();
    void filterLogsAndKeepsMean();
    void filterRefusalsChangeNothing_data();
    void filterRefusalsChangeNothing();
    void processingLog();
    void selectionStatistics();
    void selectionWidensToEvenCount();
    void trimAndRevert();
    void selectedSpectrumUsesIndexDifference();
    void picksGoToRecord();

private:
    static void setSelection(Trace& t, int start, int end)
    {
        t.selectionStart_ = start;
        t.selectionEnd_ = end;
    }
};

void TestTrace::labels_data()
{
    QTest::addColumn<QString>("network");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("label");
    QTest::newRow("plain") << "IU" << "00" << "ANMO" << "IU:ANMO:00:BHZ";
    QTest::newRow("undefined codes") << "-12345" << "-12345" << "ANMO" << "??:ANMO:--:BHZ";
    QTest::newRow("undefined with blanks") << " -12345 " << "-12345  " << " ANMO" << "??:ANMO:--:BHZ";
    QTest::newRow("empty location") << "IU" << "" << "ANMO" << "IU:ANMO::BHZ";
    QTest::newRow("blank location") << "IU" << "  " << "ANMO" << "IU:ANMO::BHZ";
    QTest::newRow("case matters") << "-12345" << "-12345x" << "ANMO" << "??:ANMO:-12345x:BHZ";
}

void TestTrace::labels()
{
    QFETCH(QString, network);
    QFETCH(QString, location);
    QFETCH(QString, station);
    QFETCH(QString, label);
    auto record = makeRecord(ramp(10), 10.0, network, station, location, " BHZ ");
    Trace trace(*record, 3);
    QCOMPARE(trace.labelString(), label);
}

void TestTrace::startsWithUsableState()
{
    const std::vector<double> values = {1.0, -3.0, 4.0, 2.0, 0.0, 2.0};
    auto record = makeRecord(values, 20.0);
    Trace trace(*record, 7);
    QCOMPARE(trace.serialNumber(), 7);
    QCOMPARE(trace.seismicRecord(), record.get());
    QCOMPARE(trace.npts(), 6);
    QCOMPARE(trace.startTimeMSecs(), recordStart);
    QCOMPARE(trace.endTimeMSecs(), recordStart + 250);
    QCOMPARE(trace.minimum(), -3.0);
    QCOMPARE(trace.maximum(), 4.0);
    QCOMPARE(trace.mean(), 1.0);
    QCOMPARE(trace.selectionStart(), 0);
    QCOMPARE(trace.selectionEnd(), 5);
    QCOMPARE(trace.pixelsPerMSec(), 0.001);
    QCOMPARE(trace.gain(), 1.0);
    QCOMPARE(trace.polarity(), 1);
    QCOMPARE(trace.color(), QColor("black"));
    QCOMPARE(trace.strokeWeight(), 1.0);
    QVERIFY(trace.isVisible());
    QVERIFY(!trace.isSelected());
    QVERIFY(trace.logString().isEmpty());
    QCOMPARE(trace.position(), QPointF(0, 0));
    QCOMPARE(trace.alignmentTime(), 0LL);

    // The trace works on its own copy.
    trace.samples[0] = 99.0;
    QCOMPARE(record->segments().first()->samples[0], 1.0);
}

void TestTrace::displayState()
{
    auto record = makeRecord(ramp(20), 10.0);
    Trace trace(*record, 0);
    trace.setPolarity(0);
    QCOMPARE(trace.polarity(), 1);
    trace.setPolarity(-7);
    QCOMPARE(trace.polarity(), -1);
    trace.invertTrace();
    QCOMPARE(trace.polarity(), 1);

    trace.setPosition(QPoint(3, 4));
    QCOMPARE(trace.position(), QPointF(3, 4));
    trace.setX(10.5);
    trace.setY(-2.25);
    QCOMPARE(trace.x(), 10.5);
    QCOMPARE(trace.y(), -2.25);

    trace.setAlignmentTime(recordStart - 500);
    const TimeSpan aligned = trace.alignedTimeSpan();
    QCOMPARE(aligned.startTimeMSecs(), 500LL);
    QCOMPARE(aligned.endTimeMSecs(), 500LL + 1900);

    trace.pinX(true);
    trace.pinY(true);
    trace.setWarning(true);
    QVERIFY(trace.pinnedX() && trace.pinnedY() && trace.warning());
    trace.hide(true);
    QVERIFY(!trace.isVisible());
    trace.hide(false);
    QVERIFY(trace.isVisible());
}

void TestTrace::heightsAndGains()
{
    // mean 1, largest deviation from it 4 (at the minimum -3)
    auto record = makeRecord({1.0, -3.0, 4.0, 2.0, 0.0, 2.0}, 20.0);
    Trace trace(*record, 0);
    trace.setTraceHeight(100);
    QCOMPARE(trace.gain(), 100.0 / 8.0);
    trace.scaleTrace(2.0);
    QCOMPARE(trace.gain(), 25.0);
    trace.scaleTrace(0.5, 0.5);
    QCOMPARE(trace.pixelsPerMSec(), 0.5);
    QCOMPARE(trace.gain(), 12.5);
    trace.setTraceSize(0.02, 40);
    QCOMPARE(trace.pixelsPerMSec(), 0.02);
    QCOMPARE(trace.gain(), 5.0);
    trace.setTraceLength(0.1);
    QCOMPARE(trace.pixelsPerMSec(), 0.1);

    // Gains that would leave the trace unusable are not taken.
    trace.changeGain(0.0);
    trace.changeGain(-1.0);
    trace.changeGain(std::nan(""));
    trace.changeGain(INFINITY);
    trace.scaleTrace(0.0);
    trace.setTraceHeight(0);
    trace.setTraceHeight(-10);
    QCOMPARE(trace.gain(), 5.0);
}

void TestTrace::flatTraceKeepsUsableGain()
{
    auto record = makeRecord(std::vector<double>(8, 5.0), 10.0);
    Trace trace(*record, 0);
    QCOMPARE(trace.minimum(), 5.0);
    QCOMPARE(trace.maximum(), 5.0);
    QCOMPARE(trace.mean(), 5.0);
    trace.setTraceHeight(120);
    QVERIFY(usable(trace.gain()));
    trace.setTraceSize(0.01, 80);
    QVERIFY(usable(trace.gain()));
    trace.scaleTrace(1.26);
    QVERIFY(usable(trace.gain()));
    trace.scaleTrace(0.01, 0.79);
    QVERIFY(usable(trace.gain()));
    QCOMPARE(trace.pixelsPerMSec(), 0.01);

    // A trace that becomes flat by processing behaves the same.
    auto other = makeRecord(ramp(40), 10.0);
    Trace integrated(*other, 1);
    integrated.smooth(false, 19);
    integrated.removeTrend();
    integrated.setTraceHeight(50);
    QVERIFY(usable(integrated.gain()));
}

void TestTrace::emptyFirstSegment()
{
    auto record = makeRecord({}, 10.0);
    Trace trace(*record, 0);
    QCOMPARE(trace.npts(), 0);
    QCOMPARE(trace.minimum(), 0.0);
    QCOMPARE(trace.maximum(), 0.0);
    QCOMPARE(trace.mean(), 0.0);
    QCOMPARE(trace.selectionMin(), 0.0);
    QCOMPARE(trace.selectionMean(), 0.0);
    trace.setTraceHeight(100);
    QVERIFY(usable(trace.gain()));
    IIRFilter f(LowPass, Butterworth, 0.0, 1.0, 2, true);
    QVERIFY(trace.filter(&f));
    trace.smooth(true, 2);
    trace.taper(HannTaper, 0.1);
    trace.removeTrend();
    trace.integrate();
    trace.removeSelectionMean();
    QVERIFY(trace.selectedSpectrum(CosineTaper, 0.1) == nullptr);
    std::unique_ptr<TimeSeries> part(trace.timeSeriesFromSelection());
    QCOMPARE(part->npts(), 0);
    trace.trimToSelection();
    QCOMPARE(trace.npts(), 0);
    trace.revertToOriginal();
    QCOMPARE(trace.npts(), 0);
    QVERIFY(trace.logString().isEmpty());

    SeismicRecord bare;
    Trace none(bare, 1);
    QCOMPARE(none.npts(), 0);
    QCOMPARE(none.labelString(), QString(":::"));
    none.revertToOriginal();
    QCOMPARE(none.npts(), 0);
}

void TestTrace::filterLogsAndKeepsMean()
{
    const std::vector<double> values = ramp(400);
    auto record = makeRecord(values, 20.0);
    Trace trace(*record, 0);
    const double mean = trace.mean();

    IIRFilter f(BandPass, Butterworth, 1.0, 5.0, 4, true);
    QVERIFY(trace.filter(&f));
    QCOMPARE(trace.logString(), QString("filter[band pass,Butterworth,1-5hz,order 4,zero Phase ];\n"));

    // The filter acts on the series with its mean removed, then the mean
    // comes back; the cached mean stays the one measured before.
    TimeSeries expected(400, 20.0);
    for (int i = 0; i < 400; ++i)
        expected.samples[i] = values[size_t(i)] - mean;
    IIRFilter same(BandPass, Butterworth, 1.0, 5.0, 4, true);
    QVERIFY(same.apply(&expected));
    expected.add(mean);
    QVERIFY(std::memcmp(expected.samples, trace.samples, 400 * sizeof(double)) == 0);
    QCOMPARE(trace.mean(), mean);
    QCOMPARE(trace.maximum(), expected.maximum());
    QCOMPARE(trace.minimum(), expected.minimum());
    // The record keeps the raw samples.
    QCOMPARE(samplesOf(*record->segments().first()), values);

    IIRFilter low(LowPass, Bessel, 0.0, 0.05, 2, false);
    QVERIFY(trace.filter(&low));
    IIRFilter high(HighPass, Butterworth, 0.125, 0.0, 3, false);
    QVERIFY(trace.filter(&high));
    IIRFilter reject(BandReject, Bessel, 2.5, 7.123456789, 6, true);
    QVERIFY(trace.filter(&reject));
    QCOMPARE(trace.logString(),
             QString("filter[band pass,Butterworth,1-5hz,order 4,zero Phase ];\n"
                     "filter[low pass,Bessel,0.05hz,order 2];\n"
                     "filter[high pass,Butterworth,0.125hz,order 3];\n"
                     "filter[band reject,Bessel,2.5-7.12346hz,order 6,zero Phase ];\n"));
}

void TestTrace::filterRefusalsChangeNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("prototype");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("order");
    // 20 samples/s: Nyquist 10 Hz
    QTest::newRow("high corner at Nyquist") << int(LowPass) << int(Butterworth) << 0.0 << 10.0 << 2;
    QTest::newRow("unused low corner above Nyquist") << int(LowPass) << int(Butterworth) << 12.0 << 5.0 << 2;
    QTest::newRow("Chebyshev I") << int(LowPass) << int(ChebyshevI) << 0.0 << 5.0 << 2;
    QTest::newRow("Chebyshev II") << int(HighPass) << int(ChebyshevII) << 1.0 << 0.0 << 2;
    QTest::newRow("Bessel order 9") << int(LowPass) << int(Bessel) << 0.0 << 5.0 << 9;
    QTest::newRow("Bessel order 0") << int(LowPass) << int(Bessel) << 0.0 << 5.0 << 0;
    QTest::newRow("band pass order 11") << int(BandPass) << int(Butterworth) << 1.0 << 5.0 << 11;
    QTest::newRow("equal band-pass corners") << int(BandPass) << int(Butterworth) << 2.0 << 2.0 << 4;
    QTest::newRow("equal band-reject corners") << int(BandReject) << int(Bessel) << 2.0 << 2.0 << 4;
}

void TestTrace::filterRefusalsChangeNothing()
{
    QFETCH(int, type);
    QFETCH(int, prototype);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, order);
    const std::vector<double> values = ramp(200);
    auto record = makeRecord(values, 20.0);
    Trace trace(*record, 0);
    trace.smooth(false, 0);
    const QString log = trace.logString();
    const double minimum = trace.minimum(), maximum = trace.maximum(), mean = trace.mean();
    IIRFilter f(FilterType(type), AnalogPrototype(prototype), low, high, order, true);
    QVERIFY(!trace.filter(&f));
    QCOMPARE(samplesOf(trace), values);
    QCOMPARE(trace.logString(), log);
    QCOMPARE(trace.minimum(), minimum);
    QCOMPARE(trace.maximum(), maximum);
    QCOMPARE(trace.mean(), mean);
    QVERIFY(!trace.filter(nullptr));
}

void TestTrace::processingLog()
{
    auto record = makeRecord(ramp(1000), 100.0);
    Trace trace(*record, 0);
    trace.taper(CosineTaper, 0.8);
    trace.taper(HannTaper, 12);
    trace.taper(HammingTaper, 0.01);
    trace.smooth(false, 3);
    trace.smooth(true, 2);
    trace.removeTrend();
    trace.integrate();
    QCOMPARE(trace.logString(), QString("taper[cosine,500 samples];\n"
                                        "taper[hann,12 samples];\n"
                                        "taper[hamming,10 samples];\n"
                                        "smooth[mean,3];\n"
                                        "smooth[median,2];\n"
                                        "trend removed;\n"
                                        "integrated;\n"));

    // Each operation leaves the cached statistics those of the samples.
    QCOMPARE(trace.minimum(), trace.TimeSeries::minimum());
    QCOMPARE(trace.maximum(), trace.TimeSeries::maximum());
    QCOMPARE(trace.mean(), trace.TimeSeries::mean());
    QCOMPARE(trace.samples[999], trace.samples[998]);

    // The fraction form tapers exactly like the count form it logs.
    Trace byFraction(*record, 1);
    Trace byCount(*record, 2);
    byFraction.taper(CosineTaper, 0.8);
    byCount.taper(CosineTaper, 500);
    QCOMPARE(samplesOf(byFraction), samplesOf(byCount));
    byFraction.taper(CosineTaper, std::nan(""));
    byFraction.taper(CosineTaper, -0.0105);
    QCOMPARE(samplesOf(byFraction), samplesOf(byCount));
    QCOMPARE(byFraction.logString(), QString("taper[cosine,500 samples];\ntaper[cosine,0 samples];\n"
                                             "taper[cosine,-10 samples];\n"));
}

void TestTrace::selectionStatistics()
{
    auto record = makeRecord({0, 0, 3, 3, 3, 0, 6, 6}, 10.0);
    Trace trace(*record, 0);
    setSelection(trace, 2, 4);
    QCOMPARE(trace.selectionMin(), 3.0);
    QCOMPARE(trace.selectionMax(), 3.0);
    QCOMPARE(trace.selectionMean(), 3.0);
    setSelection(trace, 4, 7);
    QCOMPARE(trace.selectionMin(), 0.0);
    QCOMPARE(trace.selectionMax(), 6.0);
    QCOMPARE(trace.selectionMean(), 3.75);

    setSelection(trace, 2, 4);
    trace.removeSelectionMean();
    QCOMPARE(samplesOf(trace), (std::vector<double>{-3, -3, 0, 0, 0, -3, 3, 3}));
    QCOMPARE(trace.minimum(), -3.0);
    QCOMPARE(trace.maximum(), 3.0);
    QCOMPARE(trace.mean(), -0.375);
    QVERIFY(trace.logString().isEmpty());
}

void TestTrace::selectionWidensToEvenCount()
{
    std::vector<double> values(20);
    for (int i = 0; i < 20; ++i)
        values[size_t(i)] = i;
    auto record = makeRecord(values, 50.0); // 20 ms

    Trace trace(*record, 0);
    setSelection(trace, 3, 7); // 5 samples, end before the last
    std::unique_ptr<TimeSeries> part(trace.timeSeriesFromSelection());
    QCOMPARE(trace.selectionStart(), 3);
    QCOMPARE(trace.selectionEnd(), 8);
    QCOMPARE(part->npts(), 6);
    QCOMPARE(part->sampleRate(), 50.0);
    QCOMPARE(part->startTimeMSecs(), recordStart + 60);
    QCOMPARE(part->endTimeMSecs(), recordStart + 160);
    QCOMPARE(samplesOf(*part), (std::vector<double>{3, 4, 5, 6, 7, 8}));

    setSelection(trace, 15, 19); // 5 samples ending at the last
    part.reset(trace.timeSeriesFromSelection());
    QCOMPARE(trace.selectionStart(), 14);
    QCOMPARE(trace.selectionEnd(), 19);
    QCOMPARE(samplesOf(*part), (std::vector<double>{14, 15, 16, 17, 18, 19}));
    QVERIFY(trace.logString().isEmpty());

    // An even selection is taken as it is.
    setSelection(trace, 4, 5);
    part.reset(trace.timeSeriesFromSelection());
    QCOMPARE(samplesOf(*part), (std::vector<double>{4, 5}));
}

void TestTrace::trimAndRevert()
{
    std::vector<double> values(20);
    for (int i = 0; i < 20; ++i)
        values[size_t(i)] = i * i;
    auto record = makeRecord(values, 50.0); // 20 ms
    Trace trace(*record, 0);
    trace.setTraceLength(0.5);
    trace.setPosition(100.0, 40.0);
    trace.setTraceHeight(60);
    const double gain = trace.gain();
    trace.integrate();
    trace.revertToOriginal();
    QCOMPARE(samplesOf(trace), values);

    setSelection(trace, 5, 9);
    trace.trimToSelection();
    QCOMPARE(trace.npts(), 6);
    QCOMPARE(samplesOf(trace), (std::vector<double>{25, 36, 49, 64, 81, 100}));
    QCOMPARE(trace.selectionStart(), 0);
    QCOMPARE(trace.selectionEnd(), 5);
    QCOMPARE(trace.startTimeMSecs(), recordStart + 100);
    QCOMPARE(trace.endTimeMSecs(), recordStart + 200);
    QCOMPARE(trace.x(), 100.0 + 5 * 20 * 0.5);
    QCOMPARE(trace.y(), 40.0);
    QCOMPARE(trace.minimum(), 25.0);
    QCOMPARE(trace.maximum(), 100.0);
    QCOMPARE(trace.mean(), 355.0 / 6.0);
    QCOMPARE(trace.logString(), QString("trimmed[Start time 2020-03-04T05:06:07.100Z, 6 samples];\n"));
    // A further operation works on the trimmed samples only.
    trace.smooth(false, 1);
    QCOMPARE(trace.npts(), 6);

    trace.pinX(true);
    trace.setAlignmentTime(12345);
    trace.revertToOriginal();
    QCOMPARE(trace.npts(), 20);
    QCOMPARE(samplesOf(trace), values);
    QCOMPARE(trace.startTimeMSecs(), recordStart);
    QCOMPARE(trace.endTimeMSecs(), recordStart + 380);
    QCOMPARE(trace.dtMSecs(), 20.0);
    QCOMPARE(trace.selectionStart(), 0);
    QCOMPARE(trace.selectionEnd(), 19);
    QCOMPARE(trace.minimum(), 0.0);
    QCOMPARE(trace.maximum(), 361.0);
    QVERIFY(trace.logString().isEmpty());
    // Placement and scales are the canvas's business.
    QCOMPARE(trace.x(), 150.0);
    QVERIFY(trace.pinnedX());
    QCOMPARE(trace.alignmentTime(), 12345LL);
    QCOMPARE(trace.gain(), gain);
    QCOMPARE(trace.pixelsPerMSec(), 0.5);
    QCOMPARE(samplesOf(*record->segments().first()), values);
}

void TestTrace::selectedSpectrumUsesIndexDifference()
{
    auto record = makeRecord(ramp(200), 10.0);
    Trace trace(*record, 0);
    setSelection(trace, 0, 100); // index difference 100, 101 samples

    // Taper length = round(fraction x index difference): 0.104 gives 10
    // (the sample count would give 11), 0.125 gives 13 (truncation 12).
    const struct {
        double fraction;
        int taper;
        int wrongTaper;
    } cases[] = {{0.104, 10, 11}, {0.125, 13, 12}};
    for (const auto& c : cases) {
        std::unique_ptr<Spectrum> spectrum(trace.selectedSpectrum(HannTaper, c.fraction));
        std::unique_ptr<Spectrum> expected(trace.TimeSeries::spectrum(0, 100, HannTaper, c.taper));
        std::unique_ptr<Spectrum> wrong(trace.TimeSeries::spectrum(0, 100, HannTaper, c.wrongTaper));
        QVERIFY(spectrum);
        QCOMPARE(spectrum->pointCount(), 102);
        QCOMPARE(spectrum->frequencyStep(), expected->frequencyStep());
        bool differsFromWrong = false;
        for (int k = 0; k <= 51; ++k) {
            QCOMPARE(spectrum->values()[k], expected->values()[k]);
            differsFromWrong |= spectrum->values()[k] != wrong->values()[k];
        }
        QVERIFY(differsFromWrong);
    }
    // A spectrum does not widen the trace's own selection.
    QCOMPARE(trace.selectionEnd(), 100);
}

void TestTrace::picksGoToRecord()
{
    auto record = makeRecord(ramp(10), 10.0);
    Trace trace(*record, 0);
    QVERIFY(!trace.hasPicks());
    QCOMPARE(trace.pickTimeMsec("P"), recordStart - 1);
    record->newPick(new Pick("P", recordStart + 300));
    QVERIFY(trace.hasPicks());
    QVERIFY(trace.hasPick("P"));
    QVERIFY(!trace.hasPick("S"));
    QCOMPARE(trace.pickTimeMsec("P"), recordStart + 300);
    trace.clearPicks();
    QVERIFY(!record->hasPicks());
}

QTEST_GUILESS_MAIN(TestTrace)
#include "test_trace.moc"
