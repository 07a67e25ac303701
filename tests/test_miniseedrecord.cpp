#include "formats/miniseedrecord.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <libmseed.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const char* const libmseedExample = "/usr/share/doc/libmseed-dev/examples/test.mseed";

using Records = std::unique_ptr<QList<SeismicRecord*>, void (*)(QList<SeismicRecord*>*)>;

Records take(QList<SeismicRecord*>* list)
{
    return Records(list, [](QList<SeismicRecord*>* l) {
        if (l)
            qDeleteAll(*l);
        delete l;
    });
}

// One trace to be packed into miniSEED records by libmseed itself.
struct TracePlan
{
    const char* network = "XX";
    const char* station = "STA";
    const char* location = "00";
    const char* channel = "BHZ";
    hptime_t start = 0; // microseconds since the epoch
    double rate = 20.0;
    int encoding = DE_STEIM2;
    int count = 100;
    double first = 1.0; // samples are first + i
};

void appendRecord(char* record, int length, void* file)
{
    static_cast<QFile*>(file)->write(record, length);
}

bool appendTrace(QFile& file, const TracePlan& plan)
{
    MSTrace* mst = mst_init(nullptr);
    std::strncpy(mst->network, plan.network, 10);
    std::strncpy(mst->station, plan.station, 10);
    std::strncpy(mst->location, plan.location, 10);
    std::strncpy(mst->channel, plan.channel, 10);
    mst->dataquality = 'D';
    mst->starttime = plan.start;
    mst->samprate = plan.rate;
    mst->numsamples = plan.count;
    mst->samplecnt = plan.count;
    switch (plan.encoding) {
    case DE_FLOAT32: {
        auto* d = static_cast<float*>(std::malloc(sizeof(float) * size_t(plan.count)));
        for (int i = 0; i < plan.count; ++i)
            d[i] = float(plan.first + i) + 0.25f;
        mst->datasamples = d;
        mst->sampletype = 'f';
        break;
    }
    case DE_FLOAT64: {
        auto* d = static_cast<double*>(std::malloc(sizeof(double) * size_t(plan.count)));
        for (int i = 0; i < plan.count; ++i)
            d[i] = plan.first + i + 0.125;
        mst->datasamples = d;
        mst->sampletype = 'd';
        break;
    }
    case DE_ASCII: {
        auto* d = static_cast<char*>(std::malloc(size_t(plan.count)));
        for (int i = 0; i < plan.count; ++i)
            d[i] = char('a' + i % 26);
        mst->datasamples = d;
        mst->sampletype = 'a';
        break;
    }
    default: {
        auto* d = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * size_t(plan.count)));
        for (int i = 0; i < plan.count; ++i)
            d[i] = int32_t(plan.first) + i;
        mst->datasamples = d;
        mst->sampletype = 'i';
        break;
    }
    }
    // Blockette 1001 carries the microseconds that the fixed header cannot.
    // A template's header fields replace the trace's, so it carries the codes.
    MSRecord* tmpl = msr_init(nullptr);
    std::strncpy(tmpl->network, plan.network, 10);
    std::strncpy(tmpl->station, plan.station, 10);
    std::strncpy(tmpl->location, plan.location, 10);
    std::strncpy(tmpl->channel, plan.channel, 10);
    tmpl->dataquality = 'D';
    blkt_1001_s b1001 = {};
    msr_addblockette(tmpl, reinterpret_cast<char*>(&b1001), sizeof b1001, 1001, 0);
    int64_t packed = 0;
    const int records = mst_pack(mst, appendRecord, &file, 512, flag(plan.encoding), 1, &packed, 1, 0, tmpl);
    msr_free(&tmpl);
    mst_free(&mst);
    return records > 0 && packed == plan.count;
}

QString writeTraces(QTemporaryDir& dir, const QString& name, const QList<TracePlan>& plans)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    for (const TracePlan& s : plans) {
        if (!appendTrace(file, s))
            return QString();
    }
    return path;
}

hptime_t microseconds(const char* iso, qint64 extra = 0)
{
    return hptime_t(QDateTime::fromString(iso, Qt::ISODateWithMs).toMSecsSinceEpoch()) * 1000 + extra;
}

QStringList loggedErrors;

void captureError(char* message)
{
    loggedErrors << QString::fromLocal8Bit(message);
}

} // namespace

class TestMiniSEEDRecord : public QObject
{
    Q_OBJECT

private slots:
    void readsLibmseedExample();
    void oneRecordPerTraceInLibraryOrder();
    void microsecondStartsRoundToMilliseconds();
    void sampleTypesAndPadding();
    void logChannelsAreSkipped();
    void unreadableFilesGiveNullAndLogWhy();
};

void TestMiniSEEDRecord::readsLibmseedExample()
{
    MiniSEEDRecord reader;
    Records records = take(reader.readFile(libmseedExample));
    QVERIFY(records);
    QCOMPARE(records->size(), 1);
    const SeismicRecord* r = records->first();
    QCOMPARE(r->networkCode(), QString("IU"));
    QCOMPARE(r->stationCode(), QString("COLA"));
    QCOMPARE(r->locationCode(), QString("00"));
    QCOMPARE(r->channelCode(), QString("LHZ"));
    QVERIFY(!r->seismicEvent());
    QVERIFY(!r->hasPicks());
    QCOMPARE(r->sampleUnits(), UnknownUnits);
    // The first sample lies at 06:50:00.069539: next millisecond, fraction -0.461.
    QCOMPARE(r->startTimeMSecs(),
             QDateTime::fromString("2010-02-27T06:50:00.070Z", Qt::ISODateWithMs).toMSecsSinceEpoch());
    QVERIFY(std::fabs(r->fractionMSec() + 0.461) < 1e-9);
    QCOMPARE(r->segments().size(), 1);
    const TimeSeries* s = r->segments().first();
    QCOMPARE(s->npts(), 4200);
    QCOMPARE(s->sampleRate(), 1.0);
    QCOMPARE(r->endTimeMSecs(), r->startTimeMSecs() + 4199 * 1000);
    // Values as mseed2sac wrote them for the same file.
    const double head[] = {-231946, -228438, -223155, -221231, -225429};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(s->samples[i], head[i]);
}

void TestMiniSEEDRecord::oneRecordPerTraceInLibraryOrder()
{
    QTemporaryDir dir;
    const hptime_t t0 = microseconds("2020-05-01T00:00:00.000Z");
    TracePlan z;
    z.start = t0;
    TracePlan e = z;
    e.channel = "BHE";
    e.location = "";
    e.first = 1000;
    // The same channel again after a 60 s gap.
    TracePlan later = z;
    later.start = t0 + 60 * 1000000LL;
    later.first = 500;
    const QString path = writeTraces(dir, "three.mseed", {z, e, later});
    QVERIFY(!path.isEmpty());

    MiniSEEDRecord reader;
    Records records = take(reader.readFile(path));
    QVERIFY(records);
    QCOMPARE(records->size(), 3);
    int gapped = 0;
    for (const SeismicRecord* r : *records) {
        QCOMPARE(r->segments().size(), 1);
        QCOMPARE(r->segments().first()->npts(), 100);
        if (r->channelCode() == "BHE") {
            QCOMPARE(r->locationCode(), QString("")); // stays empty, unlike SAC's "--"
            QCOMPARE(r->segments().first()->samples[0], 1000.0);
        } else {
            QCOMPARE(r->locationCode(), QString("00"));
            ++gapped;
        }
    }
    QCOMPARE(gapped, 2);
    // Each record spans its own trace only.
    for (const SeismicRecord* r : *records)
        QCOMPARE(r->lengthMSecs(), 99 * 50LL);
}

void TestMiniSEEDRecord::microsecondStartsRoundToMilliseconds()
{
    QTemporaryDir dir;
    const hptime_t t0 = microseconds("2020-05-01T10:00:00.100Z");
    struct Case
    {
        qint64 micro;
        qint64 ms;
        double fraction;
    };
    const Case cases[] = {{250, 0, 0.25}, {750, 1, -0.25}, {500, 1, -0.5}, {0, 0, 0.0}, {999, 1, -0.001}};
    int n = 0;
    for (const Case& c : cases) {
        TracePlan plan;
        plan.start = t0 + c.micro;
        const QString path = writeTraces(dir, QStringLiteral("t%1.mseed").arg(n++), {plan});
        QVERIFY(!path.isEmpty());
        MiniSEEDRecord reader;
        Records records = take(reader.readFile(path));
        QVERIFY(records && records->size() == 1);
        const SeismicRecord* r = records->first();
        QCOMPARE(r->startTimeMSecs(), t0 / 1000 + c.ms);
        QCOMPARE(r->segments().first()->startTimeMSecs(), t0 / 1000 + c.ms);
        QVERIFY(std::fabs(r->fractionMSec() - c.fraction) < 1e-9);
    }

    // Before the epoch the rounding still goes upward at halves.
    TracePlan old;
    old.start = -1500; // 1969-12-31T23:59:59.9985
    const QString path = writeTraces(dir, "old.mseed", {old});
    QVERIFY(!path.isEmpty());
    MiniSEEDRecord reader;
    Records records = take(reader.readFile(path));
    QVERIFY(records && records->size() == 1);
    QCOMPARE(records->first()->startTimeMSecs(), -1LL);
    QVERIFY(std::fabs(records->first()->fractionMSec() + 0.5) < 1e-9);
}

void TestMiniSEEDRecord::sampleTypesAndPadding()
{
    QTemporaryDir dir;
    const hptime_t t0 = microseconds("2020-05-01T00:00:00.000Z");
    TracePlan ints;
    ints.start = t0;
    ints.count = 101;
    ints.encoding = DE_INT32;
    ints.first = -50;
    TracePlan floats = ints;
    floats.channel = "BHN";
    floats.encoding = DE_FLOAT32;
    floats.count = 10;
    TracePlan doubles = ints;
    doubles.channel = "BHE";
    doubles.encoding = DE_FLOAT64;
    doubles.count = 10;
    TracePlan text = ints;
    text.channel = "BTX";
    text.encoding = DE_ASCII;
    text.count = 8;
    const QString path = writeTraces(dir, "types.mseed", {ints, floats, doubles, text});
    QVERIFY(!path.isEmpty());

    MiniSEEDRecord reader;
    Records records = take(reader.readFile(path));
    QVERIFY(records);
    QCOMPARE(records->size(), 4);
    for (const SeismicRecord* r : *records) {
        const TimeSeries* s = r->segments().first();
        if (r->channelCode() == "BHZ") {
            // 101 samples become 102, the last two equal.
            QCOMPARE(s->npts(), 102);
            QCOMPARE(s->samples[0], -50.0);
            QCOMPARE(s->samples[100], 50.0);
            QCOMPARE(s->samples[101], 50.0);
        } else if (r->channelCode() == "BHN") {
            QCOMPARE(s->samples[3], -46.75);
        } else if (r->channelCode() == "BHE") {
            QCOMPARE(s->samples[9], -40.875);
        } else {
            QCOMPARE(r->channelCode(), QString("BTX"));
            QCOMPARE(s->npts(), 8);
            for (int i = 0; i < 8; ++i)
                QCOMPARE(s->samples[i], 0.0);
        }
    }
}

void TestMiniSEEDRecord::logChannelsAreSkipped()
{
    QTemporaryDir dir;
    TracePlan log;
    log.channel = "LOG";
    log.rate = 0.0;
    log.encoding = DE_ASCII;
    log.count = 40;
    TracePlan data;
    data.start = microseconds("2020-05-01T00:00:00.000Z");
    const QString path = writeTraces(dir, "log.mseed", {log, data});
    QVERIFY(!path.isEmpty());
    MiniSEEDRecord reader;
    Records records = take(reader.readFile(path));
    QVERIFY(records);
    QCOMPARE(records->size(), 1);
    QCOMPARE(records->first()->channelCode(), QString("BHZ"));

    const QString onlyLog = writeTraces(dir, "onlylog.mseed", {log});
    records = take(reader.readFile(onlyLog));
    QVERIFY(records);
    QCOMPARE(records->size(), 0);
}

void TestMiniSEEDRecord::unreadableFilesGiveNullAndLogWhy()
{
    QTemporaryDir dir;
    loggedErrors.clear();
    ms_loginit(nullptr, nullptr, captureError, nullptr);
    MiniSEEDRecord reader;
    const QString missing = dir.filePath("missing.mseed");
    Records records = take(reader.readFile(missing));
    QVERIFY(!records);
    bool found = false;
    for (const QString& line : loggedErrors)
        found = found || line.contains(QStringLiteral("Cannot read %1: ").arg(missing));
    QVERIFY2(found, qPrintable(loggedErrors.join('|')));

    // A file of no records at all is read as holding no trace.
    QFile junk(dir.filePath("junk.mseed"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(2000, 'j'));
    junk.close();
    records = take(reader.readFile(junk.fileName()));
    QVERIFY(!records || records->isEmpty());

    // A record cut in the middle.
    QFile example(libmseedExample);
    QVERIFY(example.open(QIODevice::ReadOnly));
    QFile cut(dir.filePath("cut.mseed"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(example.read(4096 + 1000));
    cut.close();
    records = take(reader.readFile(cut.fileName()));
    QVERIFY(!records || records->size() <= 1);
    ms_loginit(nullptr, nullptr, nullptr, nullptr);
}

QTEST_GUILESS_MAIN(TestMiniSEEDRecord)
#include "test_miniseedrecord.moc"
