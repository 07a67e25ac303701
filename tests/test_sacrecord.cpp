#include "canvas/trace.h"
#include "formats/miniseedrecord.h"
#include "formats/sacrecord.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "support/sacheaderbuilder.h"

#include <QBuffer>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

namespace {

const char* const libmseedExample = "/usr/share/doc/libmseed-dev/examples/test.mseed";

// 2019-03-05T14:03:07.000Z, the builder's reference time.
const qint64 builderReference = 1551794587000LL;

// A record, its event and its segments go together.
struct RecordDeleter
{
    void operator()(SeismicRecord* r) const
    {
        if (r)
            delete r->seismicEvent();
        delete r;
    }
};
using RecordPtr = std::unique_ptr<SeismicRecord, RecordDeleter>;

RecordPtr readBytes(const QByteArray& bytes, QTemporaryDir& dir, const QString& name = "in.sac")
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return RecordPtr();
    f.close();
    SacRecord sac;
    return RecordPtr(sac.readBinaryFile(path));
}

RecordPtr readStream(QByteArray bytes, QDataStream::ByteOrder order = QDataStream::BigEndian)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream stream(&buffer);
    stream.setByteOrder(order);
    SacRecord sac;
    return RecordPtr(sac.readBinaryStream(&stream));
}

// Runs one of the Debian SAC/miniSEED tools, bounded in time.
bool runTool(const QString& program, const QStringList& args, const QString& workDir)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        qWarning() << program << "did not finish";
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning() << program << args << p.readAll();
        return false;
    }
    return true;
}

QString onlyFile(const QString& dir, const QString& pattern)
{
    const QStringList files = QDir(dir).entryList({pattern}, QDir::Files);
    return files.size() == 1 ? QDir(dir).filePath(files.first()) : QString();
}

// A record with one segment, ready to become a trace.
std::unique_ptr<SeismicRecord> makeRecord(const QVector<double>& samples, double rate, qint64 start,
                                          double fraction)
{
    auto record = std::make_unique<SeismicRecord>();
    record->setNetworkCode("IU");
    record->setStationCode("ANMO");
    record->setLocationCode("00");
    record->setChannelCode("BHZ");
    auto* series = new TimeSeries(samples.size(), rate);
    series->setStartTimeMSecs(start);
    for (int i = 0; i < samples.size(); ++i)
        series->samples[i] = samples[i];
    record->addSegment(series);
    record->setFractionMSec(fraction);
    return record;
}

QByteArray writtenBytes(Trace& trace, QTemporaryDir& dir)
{
    const QString path = dir.filePath("out.sac");
    SacRecord sac(&trace);
    if (!sac.writeBinaryFile(path))
        return QByteArray();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestSacRecord : public QObject
{
    Q_OBJECT

private slots:
    void readsEitherByteOrderAndRejectsOtherSizes();
    void startTimeRoundingKeepsTheFraction();
    void oddSampleCountIsPaddedWithTheLastSample();
    void codesAndStationFields();
    void sampleUnitsFromIdep();
    void eventRules();
    void geometryFallbacks();
    void picksFromHeaderSlots();
    void unusableHeadersGiveNull();
    void streamReaderChecksWhatTheFileReaderChecks();
    void writerReferenceTimeAndBegin_data();
    void writerReferenceTimeAndBegin();
    void writerFieldsEventAndPicks();
    void writerCutsAndPadsCodes();
    void writeReportsFailure();
    void exportThenImportRoundTrip();
    void readsLibmseedExampleConvertedByMseed2sac();
    void sac2mseedReadsOurFilesExactly();
    void mseed2sacEventHeadersAreRead();
};

void TestSacRecord::readsEitherByteOrderAndRejectsOtherSizes()
{
    QTemporaryDir dir;
    SacHeaderBuilder b;
    b.setText("kstnm", "COLA").setSamples({1.5f, -2.25f, 3.0f, 1e6f});
    for (bool big : {true, false}) {
        RecordPtr r = readBytes(b.bytes(big), dir);
        QVERIFY2(r, big ? "big-endian" : "little-endian");
        QCOMPARE(r->stationCode(), QString("COLA"));
        const TimeSeries* s = r->segments().first();
        QCOMPARE(s->npts(), 4);
        QCOMPARE(s->samples[0], 1.5);
        QCOMPARE(s->samples[1], -2.25);
        QCOMPARE(s->samples[3], 1e6);
        QCOMPARE(s->sampleRate(), 1.0 / double(0.01f));
    }

    // One byte too many or too few fits neither order.
    QVERIFY(!readBytes(b.bytes(true) + QByteArray(1, '\0'), dir));
    QVERIFY(!readBytes(b.bytes(false).chopped(1), dir));
    QVERIFY(!readBytes(b.bytes(true).left(631), dir));
    QVERIFY(!readBytes(QByteArray(), dir));

    // A bare header of npts 0 fits either order and is read big-endian.
    SacHeaderBuilder empty;
    RecordPtr r = readBytes(empty.bytes(true), dir);
    QVERIFY(r);
    QCOMPARE(r->segments().first()->npts(), 0);
    QCOMPARE(r->startTimeMSecs(), builderReference);

    SacRecord sac;
    QVERIFY(!sac.readBinaryFile(dir.filePath("does-not-exist.sac")));
}

void TestSacRecord::startTimeRoundingKeepsTheFraction()
{
    QTemporaryDir dir;
    struct Case
    {
        float b;
        qint64 offset;
        double fraction;
    };
    const Case cases[] = {{0.0012f, 1, 0.2}, {0.0017f, 2, -0.3}, {-10.0f, -10000, 0.0},
                          {0.0025f, 3, -0.5}, {0.0f, 0, 0.0}, {86400.0f, 86400000, 0.0}};
    for (const Case& c : cases) {
        SacHeaderBuilder b;
        b.setFloat("b", c.b).setSamples({1, 2});
        RecordPtr r = readBytes(b.bytes(), dir);
        QVERIFY(r);
        QCOMPARE(r->startTimeMSecs(), builderReference + c.offset);
        QCOMPARE(r->segments().first()->startTimeMSecs(), builderReference + c.offset);
        QVERIFY2(std::fabs(r->fractionMSec() - c.fraction) < 1e-5, qPrintable(QString::number(c.b)));
    }

    // Day of the year and time of day: 2012-366 is 31 December of a leap year.
    SacHeaderBuilder leap;
    leap.setInt("nzyear", 2012).setInt("nzjday", 366).setInt("nzhour", 23).setInt("nzmin", 59);
    leap.setInt("nzsec", 59).setInt("nzmsec", 999).setSamples({0, 0});
    RecordPtr r = readBytes(leap.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->startTimeMSecs(),
             QDateTime::fromString("2012-12-31T23:59:59.999Z", Qt::ISODateWithMs).toMSecsSinceEpoch());
}

void TestSacRecord::oddSampleCountIsPaddedWithTheLastSample()
{
    QTemporaryDir dir;
    SacHeaderBuilder b;
    b.setFloat("delta", 0.5f).setSamples({1, 2, 3, 4, 5});
    RecordPtr r = readBytes(b.bytes(false), dir);
    QVERIFY(r);
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->npts(), 6);
    QCOMPARE(s->samples[4], 5.0);
    QCOMPARE(s->samples[5], 5.0);
    QCOMPARE(s->dtMSecs(), 500.0);
    QCOMPARE(r->endTimeMSecs(), builderReference + 2500);
}

void TestSacRecord::codesAndStationFields()
{
    QTemporaryDir dir;
    SacHeaderBuilder b;
    b.setText("knetwk", " IU").setText("kstnm", "ANMO ").setText("kcmpnm", "BHZ");
    b.setText("khole", "        ").setText("kinst", "STS-2");
    b.setFloat("stla", 34.95f).setFloat("stlo", -106.46f).setFloat("stel", 1850.0f);
    b.setFloat("stdp", 100.0f).setFloat("cmpaz", 90.0f).setFloat("cmpinc", -90.0f);
    b.setSamples({0, 0});
    RecordPtr r = readBytes(b.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->networkCode(), QString("IU"));
    QCOMPARE(r->stationCode(), QString("ANMO"));
    QCOMPARE(r->channelCode(), QString("BHZ"));
    QCOMPARE(r->locationCode(), QString(""));
    QCOMPARE(r->sensorDescription(), QString("STS-2"));
    QCOMPARE(r->latitude(), double(34.95f));
    QCOMPARE(r->longitude(), double(-106.46f));
    QCOMPARE(r->elevation(), 1850.0);
    QCOMPARE(r->channelDepth(), 100.0);
    QCOMPARE(r->channelAzimuth(), 90.0);
    QCOMPARE(r->channelDip(), -90.0);

    // Undefined texts: location "--", network taken as it is, no sensor.
    SacHeaderBuilder u;
    u.setSamples({0, 0});
    r = readBytes(u.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->locationCode(), QString("--"));
    QCOMPARE(r->networkCode(), QString("-12345"));
    QCOMPARE(r->sensorDescription(), QString());
    // Undefined station values are stored as they are, not taken for 0, 0.
    QCOMPARE(r->latitude(), -12345.0);
    QCOMPARE(r->longitude(), -12345.0);
    QCOMPARE(r->elevation(), -12345.0);
    QCOMPARE(r->channelDepth(), -12345.0);

    // A NUL inside a text field ends it.
    SacHeaderBuilder n;
    n.setText("kstnm", QByteArray("AB\0CD", 5)).setSamples({0, 0});
    r = readBytes(n.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->stationCode(), QString("AB"));
}

void TestSacRecord::sampleUnitsFromIdep()
{
    QTemporaryDir dir;
    const QList<QPair<int, SampleUnits>> cases = {
        {6, Displacement}, {7, Velocity}, {8, Acceleration}, {5, RawCounts}, {-12345, RawCounts}};
    for (const auto& c : cases) {
        SacHeaderBuilder b;
        b.setInt("idep", c.first).setSamples({0, 0});
        RecordPtr r = readBytes(b.bytes(), dir);
        QVERIFY(r);
        QCOMPARE(r->sampleUnits(), c.second);
    }
}

void TestSacRecord::eventRules()
{
    QTemporaryDir dir;
    auto withEvent = [] {
        SacHeaderBuilder b;
        b.setFloat("evla", 10.0f).setFloat("evlo", 20.0f).setFloat("o", 0.0f).setSamples({0, 0});
        return b;
    };
    struct DepthCase
    {
        float evdp;
        double km;
    };
    for (const DepthCase& c : {DepthCase{700.0f, 700.0}, DepthCase{700.5f, 0.7005},
                               DepthCase{-12345.0f, -12345.0}, DepthCase{33000.0f, 33.0}}) {
        SacHeaderBuilder b = withEvent();
        b.setFloat("evdp", c.evdp);
        RecordPtr r = readBytes(b.bytes(), dir);
        QVERIFY(r && r->seismicEvent());
        QVERIFY(std::fabs(r->seismicEvent()->preferredOrigin()->depthKm() - c.km) < 1e-9);
    }

    struct MagCase
    {
        float mag;
        double kept;
    };
    for (const MagCase& c : {MagCase{9.9f, double(9.9f)}, MagCase{0.0f, 0.0}, MagCase{5.5f, 5.5},
                             MagCase{10.0f, 0.0}, MagCase{-0.5f, 0.0}, MagCase{-12345.0f, 0.0},
                             MagCase{std::numeric_limits<float>::quiet_NaN(), 0.0}}) {
        SacHeaderBuilder b = withEvent();
        b.setFloat("mag", c.mag);
        RecordPtr r = readBytes(b.bytes(), dir);
        QVERIFY(r && r->seismicEvent());
        QCOMPARE(r->seismicEvent()->preferredMagnitude()->mag(), c.kept);
    }

    // Event ID, description and origin time.
    SacHeaderBuilder b = withEvent();
    b.setInt("nevid", 0).setFloat("o", 12.3456f);
    RecordPtr r = readBytes(b.bytes(), dir);
    QVERIFY(r && r->seismicEvent());
    SeismicEvent* e = r->seismicEvent();
    QCOMPARE(e->eventID(), QString());
    QCOMPARE(e->preferredOrigin()->dateTime().toMSecsSinceEpoch(), builderReference + 12346);
    QCOMPARE(e->eventDescription(), QString("05 Mar 2019 14:03:19"));
    QCOMPARE(e->preferredOrigin()->latitude(), 10.0);
    QCOMPARE(e->preferredOrigin()->longitude(), 20.0);

    b.setInt("nevid", 42).setText("kevnm", "  Off the coast  ");
    r = readBytes(b.bytes(), dir);
    QVERIFY(r && r->seismicEvent());
    QCOMPARE(r->seismicEvent()->eventID(), QString("42"));
    QCOMPARE(r->seismicEvent()->eventDescription(), QString("Off the coast"));

    // Both coordinates are needed for an event.
    SacHeaderBuilder half;
    half.setFloat("evla", 10.0f).setSamples({0, 0});
    r = readBytes(half.bytes(), dir);
    QVERIFY(r);
    QVERIFY(!r->seismicEvent());
    QCOMPARE(r->angularDistance(), 0.0);
}

void TestSacRecord::geometryFallbacks()
{
    QTemporaryDir dir;
    auto base = [](int lcalda) {
        SacHeaderBuilder b;
        b.setFloat("stla", 0.0f).setFloat("stlo", 30.0f);
        b.setFloat("evla", 0.0f).setFloat("evlo", 0.0f).setInt("lcalda", lcalda).setSamples({0, 0});
        return b;
    };
    // Computed: the station lies 30 degrees east on the equator.
    auto computed = [](SeismicRecord* r) {
        return std::fabs(r->angularDistance() - 30.0) < 1e-9 && std::fabs(r->azimuth() - 90.0) < 1e-9
               && std::fabs(r->backAzimuth() - 270.0) < 1e-9;
    };

    SacHeaderBuilder all = base(0);
    all.setFloat("gcarc", 12.5f).setFloat("dist", 5000.0f).setFloat("az", 45.0f).setFloat("baz", 225.0f);
    RecordPtr r = readBytes(all.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->angularDistance(), 12.5);
    QCOMPARE(r->azimuth(), 45.0);
    QCOMPARE(r->backAzimuth(), 225.0);

    SacHeaderBuilder distOnly = base(0);
    distOnly.setFloat("dist", 5000.0f);
    r = readBytes(distOnly.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->angularDistance(), 5000.0 / 111.19492664455873);
    QVERIFY(std::fabs(r->azimuth() - 90.0) < 1e-9);
    QVERIFY(std::fabs(r->backAzimuth() - 270.0) < 1e-9);

    r = readBytes(base(0).bytes(), dir);
    QVERIFY(r && computed(r.get()));

    // Any other lcalda computes everything, whatever the header says.
    for (int lcalda : {1, -12345}) {
        SacHeaderBuilder b = base(lcalda);
        b.setFloat("gcarc", 12.5f).setFloat("az", 45.0f).setFloat("baz", 225.0f);
        r = readBytes(b.bytes(), dir);
        QVERIFY(r && computed(r.get()));
    }
}

void TestSacRecord::picksFromHeaderSlots()
{
    QTemporaryDir dir;
    SacHeaderBuilder b;
    b.setText("kt0", "P").setFloat("t0", 12.5f);
    b.setText("kt3", " S ").setFloat("t3", 20.0f);
    b.setText("kt5", "").setFloat("t5", 1.0f);
    b.setFloat("t7", 99.0f); // a time without a name is no pick
    b.setSamples({0, 0});
    RecordPtr r = readBytes(b.bytes(), dir);
    QVERIFY(r);
    const QList<Pick*> picks = r->pickList();
    QCOMPARE(picks.size(), 3);
    QCOMPARE(picks[0]->phaseName(), QString("P"));
    QCOMPARE(picks[0]->pickTimeMSecs(), builderReference + 12500);
    QCOMPARE(picks[1]->phaseName(), QString("S"));
    QCOMPARE(picks[1]->pickTimeMSecs(), builderReference + 20000);
    QCOMPARE(picks[2]->phaseName(), QString());
    QCOMPARE(picks[2]->pickTimeMSecs(), builderReference + 1000);
}

void TestSacRecord::unusableHeadersGiveNull()
{
    QTemporaryDir dir;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Every rate-based computation divides by delta.
    for (float delta : {0.0f, -0.01f, -12345.0f, nan, inf, -inf}) {
        SacHeaderBuilder b;
        b.setFloat("delta", delta).setSamples({1, 2});
        QVERIFY2(!readBytes(b.bytes(), dir), qPrintable(QString::number(double(delta))));
    }
    // A negative count fits no file size in either order.
    SacHeaderBuilder negative;
    negative.setInt("npts", -1);
    QVERIFY(!readBytes(negative.bytes(), dir));
    // Offsets and reference times beyond any recording.
    for (float b : {nan, inf, 1e30f}) {
        SacHeaderBuilder h;
        h.setFloat("b", b).setSamples({1, 2});
        QVERIFY(!readBytes(h.bytes(), dir));
    }
    SacHeaderBuilder farYear;
    farYear.setInt("nzyear", 2000000000).setSamples({1, 2});
    QVERIFY(!readBytes(farYear.bytes(), dir));
    SacHeaderBuilder longSpan;
    longSpan.setFloat("delta", 1e30f).setSamples({1, 2});
    QVERIFY(!readBytes(longSpan.bytes(), dir));

    // Undefined reference fields place the samples relative to the epoch.
    SacHeaderBuilder noReference;
    for (const char* f : {"nzyear", "nzjday", "nzhour", "nzmin", "nzsec", "nzmsec"})
        noReference.setInt(f, -12345);
    noReference.setFloat("b", 2.0f).setSamples({1, 2});
    RecordPtr r = readBytes(noReference.bytes(), dir);
    QVERIFY(r);
    QCOMPARE(r->startTimeMSecs(), 2000LL);

    // Absurd pick and origin offsets are dropped, the record stays.
    SacHeaderBuilder oddTimes;
    oddTimes.setFloat("evla", 1.0f).setFloat("evlo", 1.0f).setFloat("o", inf);
    oddTimes.setText("kt0", "P").setFloat("t0", nan).setSamples({1, 2});
    r = readBytes(oddTimes.bytes(), dir);
    QVERIFY(r && r->seismicEvent());
    QVERIFY(!r->seismicEvent()->preferredOrigin()->dateTime().isValid());
    QVERIFY(!r->hasPicks());
}

void TestSacRecord::streamReaderChecksWhatTheFileReaderChecks()
{
    SacHeaderBuilder b;
    b.setText("kstnm", "STRM").setSamples({4, 5, 6, 7});

    RecordPtr r = readStream(b.bytes(true));
    QVERIFY(r);
    QCOMPARE(r->stationCode(), QString("STRM"));
    QCOMPARE(r->segments().first()->samples[3], 7.0);
    r = readStream(b.bytes(false), QDataStream::LittleEndian);
    QVERIFY(r);
    QCOMPARE(r->segments().first()->samples[2], 6.0);

    // Short data, short header, an empty reply.
    QVERIFY(!readStream(b.bytes(true).chopped(1)));
    QVERIFY(!readStream(b.bytes(true).left(600)));
    QVERIFY(!readStream(QByteArray()));
    // Counts no reply could hold must be refused before any allocation.
    for (int npts : {-1, -12345, 2000000000, std::numeric_limits<int>::max()}) {
        SacHeaderBuilder h;
        h.setInt("npts", npts);
        QVERIFY2(!readStream(h.bytes(true) + QByteArray(64, '\0')), qPrintable(QString::number(npts)));
    }
    SacHeaderBuilder zeroDelta;
    zeroDelta.setFloat("delta", 0.0f).setSamples({1, 2});
    QVERIFY(!readStream(zeroDelta.bytes(true)));

    // Trailing bytes after the samples do not matter to a stream.
    QVERIFY(readStream(b.bytes(true) + QByteArray(10, 'x')));

    // A stream without a device cannot say how much it holds.
    QDataStream detached;
    SacRecord sac;
    QVERIFY(!sac.readBinaryStream(&detached));
}

void TestSacRecord::writerReferenceTimeAndBegin_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("jday");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("msec");
    QTest::addColumn<float>("b");

    QTest::newRow("whole second") << "2019-03-05T14:03:07.000Z" << 0.0 << 2019 << 64 << 14 << 3 << 6
                                  << 999 << 0.001f;
    QTest::newRow("new year") << "2020-01-01T00:00:00.000Z" << 0.0 << 2019 << 365 << 23 << 59 << 59
                              << 999 << 0.001f;
    QTest::newRow("after leap year") << "2021-01-01T00:00:00.000Z" << -0.25 << 2020 << 366 << 23
                                     << 59 << 59 << 999 << 0.00075f;
    QTest::newRow("positive fraction") << "2020-01-01T00:00:00.000Z" << 0.3 << 2020 << 1 << 0 << 0
                                       << 0 << 0 << 0.0003f;
    QTest::newRow("before the epoch") << "1969-12-31T23:59:59.500Z" << 0.0 << 1969 << 365 << 23
                                      << 59 << 59 << 499 << 0.001f;
}

void TestSacRecord::writerReferenceTimeAndBegin()
{
    QFETCH(QString, start);
    QFETCH(double, fraction);
    QTemporaryDir dir;
    const qint64 t = QDateTime::fromString(start, Qt::ISODateWithMs).toMSecsSinceEpoch();
    auto record = makeRecord({1, 2, 3, 4}, 100.0, t, fraction);
    Trace trace(*record, 0);
    const QByteArray bytes = writtenBytes(trace, dir);
    QCOMPARE(bytes.size(), 632 + 16);
    const SacHeaderBuilder h = SacHeaderBuilder::fromBytes(bytes, true);
    QTEST(h.intValue("nzyear"), "year");
    QTEST(h.intValue("nzjday"), "jday");
    QTEST(h.intValue("nzhour"), "hour");
    QTEST(h.intValue("nzmin"), "minute");
    QTEST(h.intValue("nzsec"), "second");
    QTEST(h.intValue("nzmsec"), "msec");
    QTEST(h.floatValue("b"), "b");
    QCOMPARE(h.floatValue("e"), float(double(h.floatValue("b")) + 0.03));

    // Read back: the same start and fraction.
    RecordPtr back = readBytes(bytes, dir, "back.sac");
    QVERIFY(back);
    QCOMPARE(back->startTimeMSecs(), t);
    QVERIFY(std::fabs(back->fractionMSec() - fraction) < 1e-4);
}

void TestSacRecord::writerFieldsEventAndPicks()
{
    QTemporaryDir dir;
    const qint64 t0 = builderReference;
    auto record = makeRecord({0.5, -1.25, 3.0e7, 7}, 20.0, t0, 0.0);
    record->setLatitude(34.9);
    record->setLongitude(-106.5);
    record->setElevation(1820.0);
    record->setChannelDepth(145.0);
    record->setChannelAzimuth(0.0);
    record->setChannelDip(-90.0);
    record->setSensorDescription("Geotech KS-54000");
    SeismicEvent event;
    event.preferredOrigin()->setLatitude(-20.0);
    event.preferredOrigin()->setLongitude(-175.0);
    event.preferredOrigin()->setDepthKm(65.5);
    event.preferredOrigin()->setDateTime(QDateTime::fromMSecsSinceEpoch(t0 - 600000, Qt::UTC));
    event.preferredMagnitude()->setMag(6.1);
    record->setSeismicEvent(&event);
    for (int i = 0; i < 12; ++i)
        record->newPick(new Pick(QStringLiteral("X%1").arg(i), t0 + 1000 * i));

    Trace trace(*record, 0);
    const QByteArray bytes = writtenBytes(trace, dir);
    const SacHeaderBuilder h = SacHeaderBuilder::fromBytes(bytes, true);
    QCOMPARE(h.intValue("nvhdr"), 6);
    QCOMPARE(h.intValue("iftype"), 1);
    QCOMPARE(h.intValue("leven"), 1);
    QCOMPARE(h.intValue("iztype"), 9);
    QCOMPARE(h.intValue("npts"), 4);
    QCOMPARE(h.intValue("lcalda"), 0);
    QCOMPARE(h.intValue("idep"), -12345);
    QCOMPARE(h.intValue("nevid"), -12345);
    QCOMPARE(h.floatValue("delta"), 0.05f);
    QCOMPARE(h.floatValue("stla"), 34.9f);
    QCOMPARE(h.floatValue("stel"), 1820.0f);
    QCOMPARE(h.floatValue("stdp"), 145.0f);
    QCOMPARE(h.floatValue("cmpinc"), -90.0f);
    QCOMPARE(h.floatValue("evla"), -20.0f);
    QCOMPARE(h.floatValue("evlo"), -175.0f);
    QCOMPARE(h.floatValue("evdp"), 65.5f);
    QCOMPARE(h.floatValue("mag"), 6.1f);
    QCOMPARE(h.floatValue("evel"), SacHeaderBuilder::undefined);
    QCOMPARE(h.floatValue("depmin"), SacHeaderBuilder::undefined);
    // The reference is 1 ms before the start: the origin lies 599.999 s before it.
    QCOMPARE(h.floatValue("o"), float(-599.999));
    QCOMPARE(h.floatValue("gcarc"), float(record->angularDistance()));
    QCOMPARE(h.floatValue("dist"), float(record->kmDistance()));
    QCOMPARE(h.floatValue("az"), float(record->azimuth()));
    QCOMPARE(h.floatValue("baz"), float(record->backAzimuth()));
    QCOMPARE(h.textValue("kinst"), QByteArray("Geotech "));
    QCOMPARE(h.textValue("kevnm"), QByteArray("-12345          "));
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(h.textValue(QStringLiteral("kt%1").arg(i)), QStringLiteral("X%1").arg(i).leftJustified(8).toLatin1());
        QCOMPARE(h.floatValue(QStringLiteral("t%1").arg(i)), float((1000 * i + 1) / 1000.0));
    }
    // Samples big-endian in single precision.
    const QByteArray data = bytes.mid(632);
    QDataStream s(data);
    s.setFloatingPointPrecision(QDataStream::SinglePrecision);
    float v[4];
    s >> v[0] >> v[1] >> v[2] >> v[3];
    QCOMPARE(v[0], 0.5f);
    QCOMPARE(v[1], -1.25f);
    QCOMPARE(v[2], 3.0e7f);
    QCOMPARE(v[3], 7.0f);

    // Without an event the event fields stay undefined and lcalda is 1.
    record->setSeismicEvent(nullptr);
    Trace plain(*record, 1);
    const SacHeaderBuilder p = SacHeaderBuilder::fromBytes(writtenBytes(plain, dir), true);
    QCOMPARE(p.intValue("lcalda"), 1);
    QCOMPARE(p.floatValue("evla"), SacHeaderBuilder::undefined);
    QCOMPARE(p.floatValue("o"), SacHeaderBuilder::undefined);
    QCOMPARE(p.floatValue("gcarc"), SacHeaderBuilder::undefined);
}

void TestSacRecord::writerCutsAndPadsCodes()
{
    QTemporaryDir dir;
    auto record = makeRecord({1, 2}, 1.0, builderReference, 0.0);
    record->setNetworkCode("LONGNETWORK");
    record->setStationCode("ST");
    record->setLocationCode("");
    record->setChannelCode("HHZ");
    Trace trace(*record, 0);
    const SacHeaderBuilder h = SacHeaderBuilder::fromBytes(writtenBytes(trace, dir), true);
    QCOMPARE(h.textValue("knetwk"), QByteArray("LONGNETW"));
    QCOMPARE(h.textValue("kstnm"), QByteArray("ST      "));
    QCOMPARE(h.textValue("khole"), QByteArray("        "));
    QCOMPARE(h.textValue("kcmpnm"), QByteArray("HHZ     "));
    QCOMPARE(h.textValue("kinst"), QByteArray("-12345  "));
}

void TestSacRecord::writeReportsFailure()
{
    QTemporaryDir dir;
    auto record = makeRecord({1, 2}, 1.0, builderReference, 0.0);
    Trace trace(*record, 0);
    SacRecord sac(&trace);
    QVERIFY(!sac.writeBinaryFile(dir.filePath("missing/dir/out.sac")));
    QVERIFY(!sac.writeBinaryFile(dir.path())); // a directory
    QVERIFY(sac.writeBinaryFile(dir.filePath("ok.sac")));
    QCOMPARE(QFileInfo(dir.filePath("ok.sac")).size(), qint64(632 + 8));
    // Replacing a longer file leaves no tail behind.
    QFile big(dir.filePath("big.sac"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(5000, 'x'));
    big.close();
    QVERIFY(sac.writeBinaryFile(dir.filePath("big.sac")));
    QCOMPARE(QFileInfo(dir.filePath("big.sac")).size(), qint64(632 + 8));
}

void TestSacRecord::exportThenImportRoundTrip()
{
    QTemporaryDir dir;
    const qint64 t0 = QDateTime::fromString("2019-03-05T14:03:07.123Z", Qt::ISODateWithMs).toMSecsSinceEpoch();
    auto record = makeRecord({1, -2, 3, -4, 5, -6}, 40.0, t0, 0.37);
    record->setLocationCode("10");
    record->setLatitude(-33.5);
    record->setLongitude(151.25);
    record->setElevation(42.0);
    record->setChannelAzimuth(90.0);
    record->setChannelDip(0.0);
    record->setSampleUnits(Velocity);
    SeismicEvent event;
    event.setEventID("ev1");
    event.preferredOrigin()->setLatitude(-20.0);
    event.preferredOrigin()->setLongitude(-175.0);
    event.preferredOrigin()->setDepthKm(650.0);
    event.preferredOrigin()->setDateTime(QDateTime::fromMSecsSinceEpoch(t0 - 123456, Qt::UTC));
    event.preferredMagnitude()->setMag(7.25);
    record->setSeismicEvent(&event);
    record->newPick(new Pick("P", t0 + 80));
    record->newPick(new Pick("PKP", t0 + 95));

    Trace trace(*record, 0);
    RecordPtr back = readBytes(writtenBytes(trace, dir), dir, "back.sac");
    QVERIFY(back);
    QCOMPARE(back->networkCode(), QString("IU"));
    QCOMPARE(back->stationCode(), QString("ANMO"));
    QCOMPARE(back->locationCode(), QString("10"));
    QCOMPARE(back->channelCode(), QString("BHZ"));
    QCOMPARE(back->startTimeMSecs(), t0);
    QVERIFY(std::fabs(back->fractionMSec() - 0.37) < 1e-4);
    QCOMPARE(back->latitude(), double(-33.5f));
    QCOMPARE(back->longitude(), double(151.25f));
    QCOMPARE(back->channelAzimuth(), 90.0);
    QCOMPARE(back->sampleUnits(), RawCounts); // idep is not written
    const TimeSeries* s = back->segments().first();
    QCOMPARE(s->npts(), 6);
    QCOMPARE(s->samples[5], -6.0);
    QCOMPARE(s->dtMSecs(), 25.0);

    SeismicEvent* e = back->seismicEvent();
    QVERIFY(e);
    QCOMPARE(e->eventID(), QString());
    QCOMPARE(e->preferredOrigin()->dateTime().toMSecsSinceEpoch(), t0 - 123456);
    QCOMPARE(e->eventDescription(), e->preferredOrigin()->dateTime().toString("dd MMM yyyy hh:mm:ss"));
    QCOMPARE(e->preferredOrigin()->depthKm(), 650.0);
    QCOMPARE(e->preferredMagnitude()->mag(), 7.25);
    QVERIFY(std::fabs(back->angularDistance() - record->angularDistance()) < 1e-4);
    QVERIFY(std::fabs(back->azimuth() - record->azimuth()) < 1e-3);
    QVERIFY(std::fabs(back->backAzimuth() - record->backAzimuth()) < 1e-3);

    QCOMPARE(back->pickList().size(), 2);
    QCOMPARE(back->pickTimeMsec("P"), t0 + 80);
    QCOMPARE(back->pickTimeMsec("PKP"), t0 + 95);
}

void TestSacRecord::readsLibmseedExampleConvertedByMseed2sac()
{
    QTemporaryDir dir;
    MiniSEEDRecord mseed;
    std::unique_ptr<QList<SeismicRecord*>> fromMseed(mseed.readFile(libmseedExample));
    QVERIFY(fromMseed && fromMseed->size() == 1);
    std::unique_ptr<SeismicRecord> reference(fromMseed->first());

    // Host order (little-endian here) by default, big-endian with -f 4.
    for (const QString& format : {QString("2"), QString("4")}) {
        const QString sub = dir.filePath("f" + format);
        QDir().mkpath(sub);
        QVERIFY(runTool("mseed2sac", {"-f", format, libmseedExample}, sub));
        const QString sacPath = onlyFile(sub, "*.SAC");
        QVERIFY(!sacPath.isEmpty());
        SacRecord sac;
        RecordPtr r(sac.readBinaryFile(sacPath));
        QVERIFY(r);
        QCOMPARE(r->networkCode(), QString("IU"));
        QCOMPARE(r->stationCode(), QString("COLA"));
        QCOMPARE(r->locationCode(), QString("00"));
        QCOMPARE(r->channelCode(), QString("LHZ"));
        QCOMPARE(r->startTimeMSecs(), reference->startTimeMSecs());
        QCOMPARE(r->startTimeMSecs(),
                 QDateTime::fromString("2010-02-27T06:50:00.070Z", Qt::ISODateWithMs).toMSecsSinceEpoch());
        QVERIFY(std::fabs(r->fractionMSec() - reference->fractionMSec()) < 1e-4);
        const TimeSeries* s = r->segments().first();
        const TimeSeries* m = reference->segments().first();
        QCOMPARE(s->sampleRate(), 1.0);
        QCOMPARE(s->npts(), 4200);
        QCOMPARE(s->npts(), m->npts());
        for (int i = 0; i < s->npts(); ++i)
            QCOMPARE(s->samples[i], m->samples[i]);
        QCOMPARE(s->samples[0], -231946.0);
        QCOMPARE(r->endTimeMSecs(), reference->endTimeMSecs());
    }
}

void TestSacRecord::sac2mseedReadsOurFilesExactly()
{
    QTemporaryDir dir;
    QVector<double> values;
    for (int i = 0; i < 1000; ++i)
        values << std::sin(i * 0.05) * 1234.5678 + i * 0.001;
    const qint64 t0 = QDateTime::fromString("2021-06-01T12:00:00.250Z", Qt::ISODateWithMs).toMSecsSinceEpoch();
    auto record = makeRecord(values, 50.0, t0, 0.0);
    record->setNetworkCode("XX");
    record->setStationCode("TEST");
    record->setLocationCode("01");
    record->setChannelCode("HHE");
    Trace trace(*record, 0);
    SacRecord sac(&trace);
    const QString sacPath = dir.filePath("ours.sac");
    QVERIFY(sac.writeBinaryFile(sacPath));

    // Float encoding keeps the samples exactly.
    QVERIFY(runTool("sac2mseed", {"-e", "4", "-o", "ours.mseed", "ours.sac"}, dir.path()));
    MiniSEEDRecord reader;
    std::unique_ptr<QList<SeismicRecord*>> records(reader.readFile(dir.filePath("ours.mseed")));
    QVERIFY(records && records->size() == 1);
    std::unique_ptr<SeismicRecord> r(records->first());
    QCOMPARE(r->networkCode(), QString("XX"));
    QCOMPARE(r->stationCode(), QString("TEST"));
    QCOMPARE(r->locationCode(), QString("01"));
    QCOMPARE(r->channelCode(), QString("HHE"));
    QCOMPARE(r->startTimeMSecs(), t0);
    QVERIFY(std::fabs(r->fractionMSec()) < 1e-3);
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->npts(), 1000);
    QCOMPARE(s->sampleRate(), 50.0);
    for (int i = 0; i < 1000; ++i)
        QCOMPARE(s->samples[i], double(float(values[i])));

    // And back to SAC by the other tool, big-endian, read by us.
    const QString sub = dir.filePath("back");
    QDir().mkpath(sub);
    QVERIFY(runTool("mseed2sac", {"-f", "4", dir.filePath("ours.mseed")}, sub));
    SacRecord again;
    RecordPtr back(again.readBinaryFile(onlyFile(sub, "*.SAC")));
    QVERIFY(back);
    QCOMPARE(back->startTimeMSecs(), t0);
    QCOMPARE(back->segments().first()->samples[999], double(float(values[999])));
}

void TestSacRecord::mseed2sacEventHeadersAreRead()
{
    QTemporaryDir dir;
    QVERIFY(runTool("mseed2sac",
                    {"-E", "2010,058,06:34:11.5/-36.12/-72.90/22.9/Maule Chile", "-k", "-29.0/-71.0",
                     libmseedExample},
                    dir.path()));
    SacRecord sac;
    RecordPtr r(sac.readBinaryFile(onlyFile(dir.path(), "*.SAC")));
    QVERIFY(r);
    SeismicEvent* e = r->seismicEvent();
    QVERIFY(e);
    QCOMPARE(e->preferredOrigin()->dateTime().toMSecsSinceEpoch(),
             QDateTime::fromString("2010-02-27T06:34:11.500Z", Qt::ISODateWithMs).toMSecsSinceEpoch());
    QCOMPARE(e->preferredOrigin()->latitude(), double(-36.12f));
    QCOMPARE(e->preferredOrigin()->longitude(), double(-72.90f));
    QCOMPARE(e->preferredOrigin()->depthKm(), double(22.9f));
    QCOMPARE(e->eventDescription(), QString("Maule Chile"));
    QCOMPARE(r->latitude(), -29.0);
    QCOMPARE(r->longitude(), -71.0);
    QVERIFY(r->angularDistance() > 6.0 && r->angularDistance() < 8.0);
}

QTEST_GUILESS_MAIN(TestSacRecord)
#include "test_sacrecord.moc"
