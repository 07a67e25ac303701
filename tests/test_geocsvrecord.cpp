#include "canvas/trace.h"
#include "formats/geocsvrecord.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

qint64 utc(const char* iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

QString writeText(QTemporaryDir& dir, const QByteArray& text, const QString& name = "in.csv")
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return QString();
    return path;
}

std::unique_ptr<SeismicRecord> readText(QTemporaryDir& dir, const QByteArray& text)
{
    GeoCSVRecord reader;
    return std::unique_ptr<SeismicRecord>(reader.readFile(writeText(dir, text)));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The header lines every reader test starts from, without column lines.
QByteArray header(const QByteArray& count = "4", const QByteArray& rate = "10")
{
    return "# dataset: GeoCSV 2.0\n# delimiter: ,\n# SID: XX_STA_00_BHZ\n# sample_count: " + count
           + "\n# sample_rate_hz: " + rate + "\n# start_time: 2019-03-05T14:03:07.123Z\n";
}

std::unique_ptr<SeismicRecord> makeRecord(const QVector<double>& samples, double rate, qint64 start,
                                          SampleUnits units)
{
    auto record = std::make_unique<SeismicRecord>();
    record->setNetworkCode("IU");
    record->setStationCode("ANMO");
    record->setLocationCode("00");
    record->setChannelCode("BHZ");
    record->setSampleUnits(units);
    auto* series = new TimeSeries(samples.size(), rate);
    series->setStartTimeMSecs(start);
    for (int i = 0; i < samples.size(); ++i)
        series->samples[i] = samples[i];
    record->addSegment(series);
    return record;
}

QByteArray written(const QVector<double>& samples, double rate, qint64 start, SampleUnits units,
                   QTemporaryDir& dir)
{
    auto record = makeRecord(samples, rate, start, units);
    Trace trace(*record, 0);
    GeoCSVRecord writer;
    const QString path = dir.filePath("out.csv");
    writer.writeTrace(&trace, path);
    return readAll(path);
}

QList<QByteArray> dataLines(const QByteArray& file)
{
    QList<QByteArray> lines = file.split('\n');
    lines.removeLast(); // after the final line feed
    while (!lines.isEmpty() && !lines.first().startsWith("Time, Sample"))
        lines.removeFirst();
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

} // namespace

class TestGeoCSVRecord : public QObject
{
    Q_OBJECT

private slots:
    void readsDataCentreFile();
    void writerMatchesTheFormatForIntegralData();
    void writerKeepsValuesReadable();
    void writerFormatsFractionsLikeTheToolkit();
    void writerTimesFollowTheRate();
    void writerSkipsUnopenableFile();
    void columnAndTypeRules();
    void dataLineRules();
    void incompleteHeadersGiveNull_data();
    void incompleteHeadersGiveNull();
    void roundTrip();
};

void TestGeoCSVRecord::readsDataCentreFile()
{
    QTemporaryDir dir;
    const QByteArray text =
        "# dataset: GeoCSV 2.0\r\n"
        "# SID: IU_ANMO_00_BHZ\r\n"
        "# sample_count: 5\r\n"
        "# sample_rate_hz: 20.0\r\n"
        "# start_time: 2010-02-27T06:30:00.019538Z\r\n"
        "# latitude_deg: 34.945981\r\n"
        "# longitude_deg: -106.457133\r\n"
        "# elevation_m: 1671.0\r\n"
        "# depth_m: 145.0\r\n"
        "# azimuth_deg: 0.0\r\n"
        "# dip_deg: -90.0\r\n"
        "# instrument: Geotech KS-54000 Borehole Seismometer\r\n"
        "# scale_factor: 3.27508E9\r\n"
        "# scale_frequency_hz: 0.02\r\n"
        "# scale_units: M/S\r\n"
        "# field_unit: UTC, COUNTS\r\n"
        "# field_type: datetime, INTEGER\r\n"
        "Time, Sample\r\n"
        "2010-02-27T06:30:00.019538Z, 4571\r\n"
        "2010-02-27T06:30:00.069538Z, 4572\r\n"
        "2010-02-27T06:30:00.119538Z, 1.2e6\r\n"
        "2010-02-27T06:30:00.169538Z, -12.5\r\n"
        "2010-02-27T06:30:00.219538Z,   +7  \r\n";
    auto r = readText(dir, text);
    QVERIFY(r);
    QCOMPARE(r->networkCode(), QString("IU"));
    QCOMPARE(r->stationCode(), QString("ANMO"));
    QCOMPARE(r->locationCode(), QString("00"));
    QCOMPARE(r->channelCode(), QString("BHZ"));
    QCOMPARE(r->latitude(), 34.945981);
    QCOMPARE(r->longitude(), -106.457133);
    QCOMPARE(r->elevation(), 1671.0);
    QCOMPARE(r->sensorDescription(), QString("Geotech KS-54000"));
    QCOMPARE(r->sampleUnits(), RawCounts);
    QVERIFY(!r->seismicEvent());
    QCOMPARE(r->fractionMSec(), 0.0);
    // Microseconds are rounded to the millisecond.
    QCOMPARE(r->startTimeMSecs(), utc("2010-02-27T06:30:00.020Z"));
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->sampleRate(), 20.0);
    QCOMPARE(s->npts(), 6);
    const double expected[] = {4571, 4572, 1.2e6, -12.5, 7, 7};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(s->samples[i], expected[i]);
    QCOMPARE(r->endTimeMSecs(), r->startTimeMSecs() + 5 * 50);
}

void TestGeoCSVRecord::writerMatchesTheFormatForIntegralData()
{
    QTemporaryDir dir;
    const QByteArray file =
        written({12, -3, 0, 999999}, 20.0, utc("2019-03-05T14:03:07.123Z"), RawCounts, dir);
    QCOMPARE(file, QByteArray("# dataset: GeoCSV 2.0\n"
                              "# delimiter: ,\n"
                              "# SID: IU_ANMO_00_BHZ\n"
                              "# sample_count: 4\n"
                              "# sample_rate_hz: 20\n"
                              "# start_time: 2019-03-05T14:03:07.123Z\n"
                              "# field_unit: UTC, COUNTS\n"
                              "# field_type: datetime, INTEGER\n"
                              "Time, Sample\n"
                              "2019-03-05T14:03:07.123Z, 12\n"
                              "2019-03-05T14:03:07.173Z, -3\n"
                              "2019-03-05T14:03:07.223Z, 0\n"
                              "2019-03-05T14:03:07.273Z, 999999\n"));

    // Unit words and types of the other units; across midnight and a year.
    const QList<QPair<SampleUnits, QByteArray>> units = {{UnknownUnits, "UNKNOWN"},
                                                         {ScaledCounts, "M/S"},
                                                         {Displacement, "M"},
                                                         {Velocity, "M/S"},
                                                         {Acceleration, "M/S**2"}};
    for (const auto& u : units) {
        const QByteArray f = written({1, 2}, 1.0, utc("2019-12-31T23:59:59.500Z"), u.first, dir);
        QVERIFY(f.contains("# field_unit: UTC, " + u.second + "\n# field_type: datetime, FLOAT\n"));
        QVERIFY(f.endsWith("2019-12-31T23:59:59.500Z, 1\n2020-01-01T00:00:00.500Z, 2\n"));
    }
}

void TestGeoCSVRecord::writerKeepsValuesReadable()
{
    QTemporaryDir dir;
    const qint64 t0 = utc("2019-03-05T14:03:07.000Z");
    // Counts of a million and more are written in full and read back exactly.
    QByteArray f = written({1234567, -98765432, 2147483647.0, -0.0}, 100.0, t0, RawCounts, dir);
    QVERIFY(f.contains("# field_type: datetime, INTEGER\n"));
    const QList<QByteArray> lines = dataLines(f);
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].endsWith(", 1234567"));
    QVERIFY(lines[1].endsWith(", -98765432"));
    QVERIFY(lines[2].endsWith(", 2147483647"));
    QVERIFY(lines[3].endsWith(", 0"));
    GeoCSVRecord reader;
    std::unique_ptr<SeismicRecord> r(reader.readFile(dir.filePath("out.csv")));
    QVERIFY(r);
    QCOMPARE(r->segments().first()->samples[0], 1234567.0);
    QCOMPARE(r->segments().first()->samples[1], -98765432.0);
    QCOMPARE(r->segments().first()->samples[2], 2147483647.0);
    QCOMPARE(r->sampleUnits(), RawCounts);

    // A filtered raw-count trace is no longer integral: FLOAT, and 12.5 survives.
    f = written({12.5, 3, -0.25, 8}, 100.0, t0, RawCounts, dir);
    QVERIFY(f.contains("# field_type: datetime, FLOAT\n"));
    r.reset(reader.readFile(dir.filePath("out.csv")));
    QVERIFY(r);
    QCOMPARE(r->segments().first()->samples[0], 12.5);
    QCOMPARE(r->segments().first()->samples[2], -0.25);
    QCOMPARE(r->sampleUnits(), RawCounts);

    // A rate that is not whole keeps its value.
    f = written({1, 2}, 0.1, t0, Velocity, dir);
    QVERIFY(f.contains("# sample_rate_hz: 0.1\n"));
    r.reset(reader.readFile(dir.filePath("out.csv")));
    QVERIFY(r);
    QCOMPARE(r->segments().first()->sampleRate(), 0.1);
    f = written({1, 2}, 2.5, t0, Velocity, dir);
    QVERIFY(f.contains("# sample_rate_hz: 2.5\n"));
    // Half a part per million off a whole rate is more than single precision
    // blurs: the rate is not whole.
    f = written({1, 2}, 100.00005, t0, Velocity, dir);
    QVERIFY(f.contains("# sample_rate_hz: 100.00005\n"));
    // A whole rate seen through a single-precision SAC interval stays whole.
    f = written({1, 2}, 1.0 / double(0.01f), t0, Velocity, dir);
    QVERIFY(f.contains("# sample_rate_hz: 100\n"));
    QVERIFY(f.endsWith("2019-03-05T14:03:07.010Z, 2\n"));
}

void TestGeoCSVRecord::writerFormatsFractionsLikeTheToolkit()
{
    QTemporaryDir dir;
    QVector<double> values = {1.5,        -0.000123, 123456.5,  -123456.5, 999999.5, 0.1,
                              3.14159265, 1e-5,      -2.5e-300, 1e21 + 0.0, 12.25,   1.0000005,
                              2.5e-7,     0.5,       -1234567.5, 6.02e23};
    QRandomGenerator rng(20240601);
    for (int i = 0; i < 4000; ++i) {
        const double mantissa = rng.generateDouble() * 2.0 - 1.0;
        const int exponent = int(rng.bounded(40)) - 20;
        values << mantissa * std::pow(10.0, exponent);
        values << std::round(mantissa * 1e7) / 8.0; // short binary fractions, often ties
    }
    QByteArray f = written(values, 10.0, utc("2019-03-05T14:03:07.000Z"), Velocity, dir);
    const QList<QByteArray> lines = dataLines(f);
    QCOMPARE(lines.size(), values.size());
    for (int i = 0; i < values.size(); ++i) {
        const double v = values[i];
        const QByteArray expected = v == std::trunc(v) ? QByteArray::number(v, 'f', 0)
                                                       : QString::number(v, 'g', 6).toLatin1();
        const QByteArray got = lines[i].mid(lines[i].indexOf(", ") + 2);
        QVERIFY2(got == expected, qPrintable(QString("%1: %2 vs %3")
                                                 .arg(v, 0, 'g', 17)
                                                 .arg(QString::fromLatin1(got), QString::fromLatin1(expected))));
    }
}

void TestGeoCSVRecord::writerTimesFollowTheRate()
{
    QTemporaryDir dir;
    const qint64 t0 = utc("2019-03-05T14:03:07.000Z");
    QVector<double> samples(2000, 1.0);
    for (double rate : {80.0, 3.0, 100.0, 0.1, 40.0}) {
        const QList<QByteArray> lines = dataLines(written(samples, rate, t0, RawCounts, dir));
        QCOMPARE(lines.size(), 2000);
        for (int i : {0, 1, 2, 3, 999, 1999}) {
            const qint64 t = t0 + qint64(std::floor(i * 1000.0 / rate + 0.5));
            const QByteArray expected =
                QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1() + ", 1";
            QCOMPARE(lines[i], expected);
        }
    }
}

void TestGeoCSVRecord::writerSkipsUnopenableFile()
{
    QTemporaryDir dir;
    auto record = makeRecord({1, 2}, 1.0, 0, RawCounts);
    Trace trace(*record, 0);
    GeoCSVRecord writer;
    writer.writeTrace(&trace, dir.filePath("no/such/dir/out.csv"));
    QVERIFY(!QFile::exists(dir.filePath("no/such/dir/out.csv")));
    // Replacing a longer file leaves no tail.
    writeText(dir, QByteArray(10000, 'x'), "old.csv");
    writer.writeTrace(&trace, dir.filePath("old.csv"));
    QVERIFY(readAll(dir.filePath("old.csv")).startsWith("# dataset: GeoCSV 2.0\n"));
    QVERIFY(!readAll(dir.filePath("old.csv")).contains('x'));
}

void TestGeoCSVRecord::columnAndTypeRules()
{
    QTemporaryDir dir;
    // Three-token unit line and no type line: one column; 1.5 is kept.
    auto r = readText(dir, header() + "# field_unit: M/S\nValue\n1.5\n-2\n\n7e3\n");
    QVERIFY(r);
    QCOMPARE(r->sampleUnits(), Velocity);
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->samples[0], 1.5);
    QCOMPARE(s->samples[1], -2.0);
    QCOMPARE(s->samples[2], 0.0); // an empty line is a line
    QCOMPARE(s->samples[3], 7000.0);

    // A three-token unit line after a four-token type line: one column.
    r = readText(dir, header() + "# field_type: datetime, FLOAT\n# field_unit: M\nValue\n4\n5\n6\n7\n");
    QVERIFY(r);
    QCOMPARE(r->sampleUnits(), Displacement);
    QCOMPARE(r->segments().first()->samples[3], 7.0);

    // A three-token type line keeps the column count.
    r = readText(dir, header() + "# field_unit: UTC, M/S**2\n# field_type: FLOAT\nTime, Sample\n"
                                 "t, 1\nt, 2\nt, 3\nt, 4\n");
    QVERIFY(r);
    QCOMPARE(r->sampleUnits(), Acceleration);
    QCOMPARE(r->segments().first()->samples[1], 2.0);

    // INTEGER sets raw counts only while the units are unknown.
    r = readText(dir, header() + "# field_type: datetime, INTEGER\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->sampleUnits(), RawCounts);
    r = readText(dir, header() + "# field_unit: UTC, M\n# field_type: datetime, INTEGER\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->sampleUnits(), Displacement);
    // Unit words are case-sensitive; ScaledCounts' word reads as velocity.
    r = readText(dir, header() + "# field_unit: UTC, counts\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->sampleUnits(), UnknownUnits);

    // A key needs exactly one blank on each side; later lines override.
    r = readText(dir, header() + "#sample_rate_hz: 50\n#  sample_rate_hz: 60\n# sample_rate_hz: 40\n"
                                 "Time, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->segments().first()->sampleRate(), 40.0);
    r = readText(dir, header() + "#sample_rate_hz: 50\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->segments().first()->sampleRate(), 10.0);

    // Instrument: the first two words; one word alone is kept too.
    r = readText(dir, header() + "# instrument: Streckeisen STS-2 High-gain\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->sensorDescription(), QString("Streckeisen STS-2"));
    r = readText(dir, header() + "# instrument: Trillium\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->sensorDescription(), QString("Trillium"));
    // Out-of-range coordinates are dropped by the position itself.
    r = readText(dir, header() + "# latitude_deg: 95\n# longitude_deg: 12.5\nTime, Sample\n");
    QVERIFY(r);
    QCOMPARE(r->latitude(), 0.0);
    QCOMPARE(r->longitude(), 12.5);
}

void TestGeoCSVRecord::dataLineRules()
{
    QTemporaryDir dir;
    const QByteArray two = header() + "# field_unit: UTC, COUNTS\n";
    // Missing heading line: the first sample line is skipped.
    auto r = readText(dir, two + "t, 1\nt, 2\nt, 3\nt, 4\nt, 5\n");
    QVERIFY(r);
    QCOMPARE(r->segments().first()->samples[0], 2.0);
    QCOMPARE(r->segments().first()->samples[3], 5.0);

    // Fewer lines than samples leave zeros; extra lines are ignored.
    r = readText(dir, two + "Time, Sample\nt, 1\nt, 2");
    QVERIFY(r);
    QCOMPARE(r->segments().first()->npts(), 4);
    QCOMPARE(r->segments().first()->samples[1], 2.0);
    QCOMPARE(r->segments().first()->samples[2], 0.0);
    r = readText(dir, two + "Time, Sample\nt, 1\nt, 2\nt, 3\nt, 4\nt, 99\n");
    QVERIFY(r);
    QCOMPARE(r->segments().first()->samples[3], 4.0);

    // Text between the first and the second comma; a line without a comma
    // and words that are no numbers give 0.
    r = readText(dir, two + "Time, Sample\nt, 1.25, extra\nno comma 5\nt, abc\nt,\n");
    QVERIFY(r);
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->samples[0], 1.25);
    QCOMPARE(s->samples[1], 0.0);
    QCOMPARE(s->samples[2], 0.0);
    QCOMPARE(s->samples[3], 0.0);
    r = readText(dir, two + "Time, Sample\nt, nan\nt, 1e999\nt, 0x10\nt, +-3\n");
    QVERIFY(r);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(r->segments().first()->samples[i], 0.0);

    // A count of 0 reads no values.
    r = readText(dir, header("0") + "Time, Sample\nt, 1\n");
    QVERIFY(r);
    QCOMPARE(r->segments().first()->npts(), 0);
    // A start time without a zone is UTC.
    r = readText(dir, "# GeoCSV\n# SID: A_B_C_D\n# sample_count: 2\n# sample_rate_hz: 1\n"
                      "# start_time: 2019-03-05T14:03:07.123\nx\n1\n2\n");
    QVERIFY(r);
    QCOMPARE(r->startTimeMSecs(), utc("2019-03-05T14:03:07.123Z"));
}

void TestGeoCSVRecord::incompleteHeadersGiveNull_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray sid = "# SID: XX_STA_00_BHZ\n";
    const QByteArray start = "# start_time: 2019-03-05T14:03:07.123Z\n";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not geocsv") << QByteArray("# dataset: CSV 2.0\n" + sid);
    QTest::newRow("no hash") << QByteArray("dataset: GeoCSV 2.0\n");
    QTest::newRow("lower case") << QByteArray("# dataset: geocsv 2.0\n");
    QTest::newRow("three SID parts") << QByteArray("# GeoCSV\n# SID: XX_STA_BHZ\n# sample_count: 2\n"
                                                   "# sample_rate_hz: 1\n" + start);
    QTest::newRow("SID without value") << QByteArray("# GeoCSV\n# SID:\n# sample_count: 2\n"
                                                     "# sample_rate_hz: 1\n" + start);
    QTest::newRow("no count") << QByteArray("# GeoCSV\n" + sid + "# sample_rate_hz: 1\n" + start);
    QTest::newRow("count without value") << QByteArray("# GeoCSV\n" + sid + "# sample_count:\n"
                                                       "# sample_rate_hz: 1\n" + start);
    QTest::newRow("negative count") << header("-4");
    QTest::newRow("word count") << header("many");
    QTest::newRow("count beyond the file") << header("100000000") + "Time, Sample\nt, 1\n";
    QTest::newRow("huge count") << header("99999999999999999999");
    QTest::newRow("zero rate") << header("4", "0");
    QTest::newRow("negative rate") << header("4", "-20");
    QTest::newRow("nan rate") << header("4", "nan");
    QTest::newRow("word rate") << header("4", "fast");
    QTest::newRow("no rate") << QByteArray("# GeoCSV\n" + sid + "# sample_count: 2\n" + start);
    QTest::newRow("no start") << QByteArray("# GeoCSV\n" + sid + "# sample_count: 2\n# sample_rate_hz: 1\n");
    QTest::newRow("bad start") << QByteArray("# GeoCSV\n" + sid + "# sample_count: 2\n# sample_rate_hz: 1\n"
                                             "# start_time: 2019-13-45T99:00:00Z\n");
    QTest::newRow("start without value") << QByteArray("# GeoCSV\n" + sid + "# sample_count: 2\n"
                                                       "# sample_rate_hz: 1\n# start_time:\n");
    QTest::newRow("span beyond any record") << header("4", "1e-20");
}

void TestGeoCSVRecord::incompleteHeadersGiveNull()
{
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    QVERIFY(!readText(dir, text));
}

void TestGeoCSVRecord::roundTrip()
{
    QTemporaryDir dir;
    const qint64 t0 = utc("2021-07-04T23:59:58.765Z");
    auto record = makeRecord({1.5, -2, 3e-3, 4e6, 5, 6}, 40.0, t0, ScaledCounts);
    record->setLocationCode("");
    Trace trace(*record, 0);
    GeoCSVRecord writer;
    writer.writeTrace(&trace, dir.filePath("rt.csv"));
    GeoCSVRecord reader;
    std::unique_ptr<SeismicRecord> r(reader.readFile(dir.filePath("rt.csv")));
    QVERIFY(r);
    QCOMPARE(r->networkCode(), QString("IU"));
    QCOMPARE(r->stationCode(), QString("ANMO"));
    QCOMPARE(r->locationCode(), QString(""));
    QCOMPARE(r->channelCode(), QString("BHZ"));
    QCOMPARE(r->startTimeMSecs(), t0);
    QCOMPARE(r->endTimeMSecs(), t0 + 5 * 25);
    QCOMPARE(r->sampleUnits(), Velocity);
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->npts(), 6);
    QCOMPARE(s->sampleRate(), 40.0);
    const double expected[] = {1.5, -2, 0.003, 4e6, 5, 6};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(s->samples[i], expected[i]);
}

QTEST_GUILESS_MAIN(TestGeoCSVRecord)
#include "test_geocsvrecord.moc"
