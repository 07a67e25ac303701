#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "services/tavowstimeseriesinterface.h"

#include "support/testhttpserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

Q_DECLARE_METATYPE(SeismicRecord*)

namespace {

const QByteArray servicePath = "/tavows/timeseries/1/query";

// What goes into a SAC file, packed below by hand into the big-endian
// layout: 70 floats, 40 ints, 24 eight-byte texts (the event name takes two),
// then the samples.
struct SacFields
{
    float delta = 0.01f;
    float b = 0.0f;
    int npts = 0;
    QVector<float> samples;
    int year = 2020, jday = 1, hour = 10, minute = 15, second = 42, msec = 500;
    QByteArray network = "XX", station = "ABCD", location = "00", channel = "BHZ";
    float evla = -12345.0f, evlo = -12345.0f;
};

void putFloat(QByteArray& bytes, int word, float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, 4);
    qToBigEndian(bits, bytes.data() + 4 * word);
}

void putInt(QByteArray& bytes, int word, qint32 value)
{
    qToBigEndian(value, bytes.data() + 4 * word);
}

void putText(QByteArray& bytes, int offset, const QByteArray& text, int length = 8)
{
    QByteArray padded = text.left(length);
    padded.append(QByteArray(length - padded.size(), ' '));
    std::memcpy(bytes.data() + offset, padded.constData(), size_t(length));
}

QByteArray packSac(const SacFields& fields)
{
    QByteArray bytes(632, '\0');
    for (int w = 0; w < 70; ++w)
        putFloat(bytes, w, -12345.0f);
    for (int w = 70; w < 110; ++w)
        putInt(bytes, w, -12345);
    putText(bytes, 440, "-12345");
    putText(bytes, 448, "-12345", 16);
    for (int offset = 464; offset < 632; offset += 8)
        putText(bytes, offset, "-12345");

    putFloat(bytes, 0, fields.delta);
    putFloat(bytes, 5, fields.b);
    putFloat(bytes, 35, fields.evla);
    putFloat(bytes, 36, fields.evlo);
    putInt(bytes, 70, fields.year);
    putInt(bytes, 71, fields.jday);
    putInt(bytes, 72, fields.hour);
    putInt(bytes, 73, fields.minute);
    putInt(bytes, 74, fields.second);
    putInt(bytes, 75, fields.msec);
    putInt(bytes, 76, 6);         // header version
    putInt(bytes, 79, fields.npts);
    putInt(bytes, 85, 1);         // time series
    putInt(bytes, 105, 1);        // evenly spaced
    putText(bytes, 440, fields.station);
    putText(bytes, 464, fields.location);
    putText(bytes, 600, fields.channel);
    putText(bytes, 608, fields.network);

    QByteArray data(4 * fields.samples.size(), '\0');
    for (int i = 0; i < fields.samples.size(); ++i)
        putFloat(data, i, fields.samples.at(i));
    return bytes + data;
}

SacFields ramp(int n)
{
    SacFields fields;
    fields.npts = n;
    for (int i = 0; i < n; ++i)
        fields.samples.append(float(i) * 0.5f - 3.0f);
    return fields;
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// A record standing for a request: codes, units and a time span.
SeismicRecord* wanted(const QString& station, const QString& location, SampleUnits units,
                      const QDateTime& start, const QDateTime& end)
{
    auto* record = new SeismicRecord;
    record->setNetworkCode(QStringLiteral("XX"));
    record->setStationCode(station);
    record->setLocationCode(location);
    record->setChannelCode(QStringLiteral("BHZ"));
    record->setSampleUnits(units);
    record->setStartTimeMSecs(start.toMSecsSinceEpoch());
    record->setEndTimeMSecs(end.toMSecsSinceEpoch());
    return record;
}

void discard(SeismicRecord* record)
{
    delete record->seismicEvent();
    delete record;
}

} // namespace

class TestTAVOWSTimeseriesInterface : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server_;

    // Sends one request made by send and returns the query the server got.
    template <typename Send>
    QByteArray sentQuery(Send send)
    {
        server_.clearRequests();
        TAVOWSTimeseriesInterface client(server_.hostPort());
        QSignalSpy errors(&client, &TAVOWSTimeseriesInterface::timeseriesRequestError);
        send(client);
        if (!errors.wait(10000) || server_.requestCount() != 1)
            return "no request";
        const TestHttpServer::Request request = server_.requests().at(0);
        if (client.url() != QString::fromLatin1(server_.origin() + request.target))
            return "url() differs: " + client.url().toLatin1();
        if (request.path != servicePath)
            return "path " + request.path;
        if (request.header("user-agent") == "Quakeslate 1.0")
            return "a user agent of its own";
        return request.query;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<SeismicRecord*>();
        qRegisterMetaType<QNetworkReply*>();
        QVERIFY(server_.startHttp());
        server_.route(servicePath, TestHttpServer::Reply::withStatus(404));
    }

    void queries()
    {
        const QDateTime s = utc(2020, 1, 1, 10, 15, 42);
        // The example: a velocity request for 1800 s from the record's start.
        QCOMPARE(sentQuery([&](TAVOWSTimeseriesInterface& c) {
                     c.setStartDateTime(s);
                     c.setDurationSecs(1800);
                     QScopedPointer<SeismicRecord> r(
                         wanted(QStringLiteral("ABCD"), QStringLiteral("00"), Velocity, s, s.addSecs(1800)));
                     c.request(r.data());
                 }),
                 QByteArray("output=sacbb&start=2020-01-01T10:15:00&dur=1800&net=XX&sta=ABCD"
                            "&loc=00&cha=BHZ&correct=true&units=VEL&autolimits=3.0,3.0"));

        // The start is the record's, cut to its minute in UTC; the length is
        // the client's duration.
        QCOMPARE(sentQuery([&](TAVOWSTimeseriesInterface& c) {
                     c.setStartDateTime(s);
                     c.setEndDateTime(s.addSecs(600));
                     QScopedPointer<SeismicRecord> r(wanted(QStringLiteral("ABCD"), QString(), RawCounts,
                                                            s.addSecs(60), s.addSecs(120)));
                     c.request(r.data());
                     if (c.startDateTime() != s.addSecs(60) || c.endDateTime() != s.addSecs(120)
                         || c.durationSecs() != 600)
                         QTest::qFail("window not taken from the record", __FILE__, __LINE__);
                 }),
                 QByteArray("output=sacbb&start=2020-01-01T10:16:00&dur=600&net=XX&sta=ABCD&loc=&cha=BHZ"));
        QCOMPARE(sentQuery([&](TAVOWSTimeseriesInterface& c) {
                     c.setStartDateTime(s);
                     c.setDurationSecs(60);
                     QScopedPointer<SeismicRecord> r(wanted(QStringLiteral("ABCD"), QStringLiteral("00"),
                                                            RawCounts, utc(2020, 1, 1, 10, 15, 59, 999),
                                                            utc(2020, 1, 1, 10, 16, 59, 999)));
                     c.request(r.data());
                 }),
                 QByteArray("output=sacbb&start=2020-01-01T10:15:00&dur=60&net=XX&sta=ABCD&loc=00&cha=BHZ"));

        // Equal start and end: no window at all.
        QCOMPARE(sentQuery([&](TAVOWSTimeseriesInterface& c) {
                     c.setStartDateTime(s);
                     c.setDurationSecs(60);
                     QScopedPointer<SeismicRecord> r(
                         wanted(QStringLiteral("ABCD"), QStringLiteral("00"), ScaledCounts, s, s));
                     c.request(r.data());
                 }),
                 QByteArray("output=sacbb&net=XX&sta=ABCD&loc=00&cha=BHZ&scale=AUTO"));
    }

    void optionsByUnits_data()
    {
        QTest::addColumn<int>("units");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("unknown") << 0 << QByteArray("&cha=BHZ&scale=AUTO");
        QTest::newRow("raw counts") << 1 << QByteArray("&cha=BHZ");
        QTest::newRow("scaled counts") << 2 << QByteArray("&cha=BHZ&scale=AUTO");
        QTest::newRow("displacement") << 3 << QByteArray("&cha=BHZ&correct=true&units=DIS&autolimits=3.0,3.0");
        QTest::newRow("velocity") << 4 << QByteArray("&cha=BHZ&correct=true&units=VEL&autolimits=3.0,3.0");
        QTest::newRow("acceleration") << 5 << QByteArray("&cha=BHZ&correct=true&units=ACC&autolimits=3.0,3.0");
    }

    void optionsByUnits()
    {
        QFETCH(int, units);
        QFETCH(QByteArray, tail);
        const QDateTime s = utc(2020, 1, 1, 0, 0, 0);
        const QByteArray query = sentQuery([&](TAVOWSTimeseriesInterface& c) {
            // An earlier setOptions never reaches a record request.
            c.setOptions(QStringLiteral("&stale=1"));
            QScopedPointer<SeismicRecord> r(wanted(QStringLiteral("ABCD"), QStringLiteral("00"),
                                                   SampleUnits(units), s, s.addSecs(10)));
            c.request(r.data());
        });
        QVERIFY2(query.endsWith(tail), query.constData());
        QVERIFY(!query.contains("stale"));
    }

    void fourCodeRequest()
    {
        const QDateTime s = utc(2020, 1, 1, 0, 0, 0);
        QCOMPARE(sentQuery([&](TAVOWSTimeseriesInterface& c) {
                     c.setOptions(QStringLiteral("&scale=AUTO"));
                     c.setStartDateTime(s.toLocalTime());
                     c.setDurationSecs(300);
                     c.request(QStringLiteral("XX"), QStringLiteral("ABCD"), QStringLiteral("--"),
                               QStringLiteral("HHZ"));
                 }),
                 QByteArray("output=sacbb&scale=AUTO&start=2020-01-01T00:00:00&dur=300&net=XX"
                            "&sta=ABCD&loc=--&cha=HHZ"));
    }

    void readsTheSacReply()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        SacFields fields = ramp(1001);
        fields.location = "10";
        server.route(servicePath, TestHttpServer::Reply::ok(packSac(fields), "application/octet-stream"));
        SacFields withEvent = ramp(4);
        withEvent.evla = 35.5f;
        withEvent.evlo = -117.5f;
        server.route("/event/tavows/timeseries/1/query",
                     TestHttpServer::Reply::ok(packSac(withEvent), "application/octet-stream"));

        TAVOWSTimeseriesInterface client(server.hostPort());
        QSignalSpy results(&client, &TAVOWSTimeseriesInterface::timeseriesResults);
        QSignalSpy errors(&client, &TAVOWSTimeseriesInterface::timeseriesRequestError);
        client.request(QStringLiteral("XX"), QStringLiteral("ABCD"), QStringLiteral("10"),
                       QStringLiteral("BHZ"));
        QVERIFY(results.wait(10000));
        QCOMPARE(errors.count(), 0);
        SeismicRecord* record = results.at(0).at(0).value<SeismicRecord*>();
        QCOMPARE(record->networkCode(), QStringLiteral("XX"));
        QCOMPARE(record->stationCode(), QStringLiteral("ABCD"));
        QCOMPARE(record->locationCode(), QStringLiteral("10"));
        QCOMPARE(record->channelCode(), QStringLiteral("BHZ"));
        QCOMPARE(record->segments().size(), 1);
        const TimeSeries* series = record->segments().at(0);
        QCOMPARE(series->npts(), 1002);
        QCOMPARE(series->sampleRate(), 1.0 / double(0.01f));
        QCOMPARE(series->startTimeMSecs(), utc(2020, 1, 1, 10, 15, 42, 500).toMSecsSinceEpoch());
        QCOMPARE(series->samples[0], -3.0);
        QCOMPARE(series->samples[1000], 497.0);
        QCOMPARE(series->samples[1001], 497.0);
        QVERIFY(record->seismicEvent() == nullptr);
        discard(record);
        QVERIFY(record != nullptr);

        // A header naming an event: the record carries it.
        TAVOWSTimeseriesInterface other(server.hostPort() + QStringLiteral("/event"));
        QSignalSpy more(&other, &TAVOWSTimeseriesInterface::timeseriesResults);
        other.request(QStringLiteral("XX"), QStringLiteral("ABCD"), QString(), QStringLiteral("BHZ"));
        QVERIFY(more.wait(10000));
        SeismicRecord* evented = more.at(0).at(0).value<SeismicRecord*>();
        QVERIFY(evented->seismicEvent());
        QCOMPARE(evented->seismicEvent()->preferredOrigin()->latitude(), 35.5);
        discard(evented);
    }

    void errorsNameTheChannel_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("text");
        QTest::newRow("404") << 0 << "00" << int(Velocity) << "XX ABCD00BHZ";
        QTest::newRow("500, blank location") << 1 << "" << int(Velocity) << "XX ABCDBHZ";
        QTest::newRow("hang-up, code last in the url") << 2 << "00" << int(RawCounts) << "XX ABCD00BHZ";
    }

    void errorsNameTheChannel()
    {
        QFETCH(int, kind);
        QFETCH(QString, location);
        QFETCH(int, units);
        QFETCH(QString, text);
        TestHttpServer server;
        QVERIFY(server.startHttp());
        const TestHttpServer::Reply replies[] = {TestHttpServer::Reply::withStatus(404),
                                                 TestHttpServer::Reply::withStatus(500, "oops"),
                                                 TestHttpServer::Reply::hangUp()};
        server.route(servicePath, replies[kind]);
        TAVOWSTimeseriesInterface client(server.hostPort());
        client.setStartDateTime(utc(2020, 1, 1, 0, 0, 0));
        client.setDurationSecs(60);
        QSignalSpy results(&client, &TAVOWSTimeseriesInterface::timeseriesResults);
        QSignalSpy errors(&client, &TAVOWSTimeseriesInterface::timeseriesRequestError);
        QScopedPointer<SeismicRecord> r(wanted(QStringLiteral("ABCD"), location, SampleUnits(units),
                                               utc(2020, 1, 1, 0, 0, 0), utc(2020, 1, 1, 0, 1, 0)));
        client.request(r.data());
        QVERIFY(errors.wait(10000));
        QCOMPARE(errors.at(0).at(0).toString(), text);
        QCOMPARE(results.count(), 0);
    }

    void bodiesThatAreNoSacRecord_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("short") << packSac(ramp(10)).left(100);
        QByteArray html = "<!DOCTYPE html><html><head><title>Service Unavailable</title></head><body>";
        while (html.size() < 4000)
            html += "<p>The timeseries service is down for maintenance. Please retry.</p>";
        QTest::newRow("html page") << html + "</body></html>";
        SacFields tooMany = ramp(10);
        tooMany.npts = 1000;
        QTest::newRow("count beyond the body") << packSac(tooMany);
        SacFields huge = ramp(10);
        huge.npts = std::numeric_limits<int>::max();
        QTest::newRow("largest count") << packSac(huge);
        SacFields negative = ramp(10);
        negative.npts = -5;
        QTest::newRow("negative count") << packSac(negative);
        SacFields none = ramp(0);
        QTest::newRow("no samples") << packSac(none);
        for (float delta : {0.0f, -0.01f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity()}) {
            SacFields bad = ramp(10);
            bad.delta = delta;
            QTest::newRow(qPrintable(QStringLiteral("delta %1").arg(double(delta)))) << packSac(bad);
        }
        QTest::newRow("header only, cut") << packSac(ramp(10)).left(631);
    }

    void bodiesThatAreNoSacRecord()
    {
        QFETCH(QByteArray, body);
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::ok(body, "application/octet-stream"));
        TAVOWSTimeseriesInterface client(server.hostPort());
        QSignalSpy results(&client, &TAVOWSTimeseriesInterface::timeseriesResults);
        QSignalSpy errors(&client, &TAVOWSTimeseriesInterface::timeseriesRequestError);
        QScopedPointer<SeismicRecord> r(wanted(QStringLiteral("ABCD"), QStringLiteral("00"), RawCounts,
                                               utc(2020, 1, 1, 0, 0, 0), utc(2020, 1, 1, 0, 1, 0)));
        client.request(r.data());
        QVERIFY(errors.wait(10000));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("XX ABCD00BHZ"));
        QCOMPARE(results.count(), 0);
    }

    void redirectsAreFollowed()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::redirect("/mirror/query", 307));
        server.route("/mirror/query", TestHttpServer::Reply::ok(packSac(ramp(6))));
        TAVOWSTimeseriesInterface client(server.hostPort());
        QSignalSpy results(&client, &TAVOWSTimeseriesInterface::timeseriesResults);
        client.request(QStringLiteral("XX"), QStringLiteral("ABCD"), QStringLiteral("00"),
                       QStringLiteral("BHZ"));
        QVERIFY(results.wait(10000));
        SeismicRecord* record = results.at(0).at(0).value<SeismicRecord*>();
        QCOMPARE(record->segments().at(0)->npts(), 6);
        discard(record);
        // Under load the toolkit at times sends a request that is answered
        // by a redirect twice; the answer still comes once.
        QCoreApplication::processEvents();
        QCOMPARE(results.count(), 1);
        QCOMPARE(server.requests().first().path, servicePath);
        QCOMPARE(server.requests().last().path, QByteArray("/mirror/query"));
    }

    void threeHundredAtOnce()
    {
        // Requests numbered by their station code; the number picks the
        // answer: late records, 404s, short bodies, HTML pages, late 500s and
        // records at once.
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, [](const TestHttpServer::Request& request) {
            const QString station = QUrlQuery(QString::fromLatin1(request.query))
                                        .queryItemValue(QStringLiteral("sta"));
            const int i = station.mid(1).toInt();
            SacFields fields = ramp(50 + i);
            fields.station = station.toLatin1();
            switch (i % 6) {
            case 0: return TestHttpServer::Reply::ok(packSac(fields)).delayed(5 + i % 30);
            case 1: return TestHttpServer::Reply::withStatus(404);
            case 2: return TestHttpServer::Reply::ok(packSac(fields).left(700));
            case 3: return TestHttpServer::Reply::ok("<html><body>busy</body></html>", "text/html");
            case 4: return TestHttpServer::Reply::withStatus(500, "later").delayed(5 + i % 20);
            default: return TestHttpServer::Reply::ok(packSac(fields));
            }
        });

        TAVOWSTimeseriesInterface client(server.hostPort());
        client.setStartDateTime(utc(2020, 1, 1, 0, 0, 0));
        client.setDurationSecs(120);
        QMap<QString, int> records;
        QMap<QString, int> failures;
        connect(&client, &TAVOWSTimeseriesInterface::timeseriesResults, this,
                [&records](SeismicRecord* record) {
                    ++records[record->stationCode()];
                    const bool complete = record->segments().size() == 1
                                          && record->segments().at(0)->npts()
                                                 >= 50 + record->stationCode().mid(1).toInt();
                    if (!complete)
                        ++records[QStringLiteral("incomplete")];
                    discard(record);
                });
        connect(&client, &TAVOWSTimeseriesInterface::timeseriesRequestError, this,
                [&failures](const QString& text) { ++failures[text]; });

        for (int i = 0; i < 300; ++i) {
            QScopedPointer<SeismicRecord> r(wanted(QStringLiteral("S%1").arg(i), QStringLiteral("00"),
                                                   RawCounts, utc(2020, 1, 1, 0, 0, 0),
                                                   utc(2020, 1, 1, 0, 2, 0)));
            client.request(r.data());
        }
        auto answered = [&] {
            int n = 0;
            for (int c : records)
                n += c;
            for (int c : failures)
                n += c;
            return n;
        };
        QTRY_COMPARE_WITH_TIMEOUT(answered(), 300, 60000);
        QCoreApplication::processEvents();
        QCOMPARE(answered(), 300);
        QCOMPARE(server.requestCount(), 300);

        for (int i = 0; i < 300; ++i) {
            const QString station = QStringLiteral("S%1").arg(i);
            const bool good = i % 6 == 0 || i % 6 == 5;
            QCOMPARE(records.value(station), good ? 1 : 0);
            QCOMPARE(failures.value(QStringLiteral("XX ") + station + QStringLiteral("00BHZ")),
                     good ? 0 : 1);
        }
        QCOMPARE(records.value(QStringLiteral("incomplete")), 0);
    }
};

QTEST_MAIN(TestTAVOWSTimeseriesInterface)
#include "test_tavowstimeseriesinterface.moc"
