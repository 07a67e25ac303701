#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "services/fdsnwsstationinterface.h"

#include "support/testhttpserver.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QtTest>

namespace {

const QByteArray servicePath = "/fdsnws/station/1/query";

QByteArray readData(const char* name)
{
    QFile file(QStringLiteral(QS_TEST_DATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

// A record as the miniSEED reader leaves it: codes and samples, no position.
SeismicRecord* miniSeedLikeRecord(const QString& location)
{
    auto* record = new SeismicRecord;
    record->setNetworkCode(QStringLiteral("XX"));
    record->setStationCode(QStringLiteral("ABCD"));
    record->setLocationCode(location);
    record->setChannelCode(QStringLiteral("BHZ"));
    auto* segment = new TimeSeries(180000, 100.0);
    segment->zero();
    const QDateTime start(QDate(2019, 7, 6), QTime(3, 19, 53, 250), Qt::UTC);
    segment->setStartTimeMSecs(start.toMSecsSinceEpoch());
    record->addSegment(segment);
    return record;
}

// Closes every modal box that opens and counts them.
class BoxCloser : public QObject
{
public:
    BoxCloser()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(0);
            }
        });
        timer_.start(10);
    }
    QStringList texts;

private:
    QTimer timer_;
};

// Swallows the first deferred deletion of a station client, so that the
// client outlives its record until it has answered, and counts the answers
// that client gives from then on.
class HoldFirstStationClientDeletion : public QObject
{
public:
    QPointer<FDSNWSStationInterface> client;
    int deliveries = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Only a deferred deletion finds its object whole.
        if (event->type() != QEvent::DeferredDelete || client)
            return false;
        client = qobject_cast<FDSNWSStationInterface*>(watched);
        if (!client)
            return false;
        connect(client, &FDSNWSStationInterface::channelLevelResults, this,
                [this](QList<Channel*>* channels) { deliveries += channels ? 1 : 0; });
        return true;
    }
};

} // namespace

class TestChannelMetaData : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server_.startHttp());
        qputenv("QUAKESLATE_STATION_HOST", server_.hostPort().toLatin1());
    }

    void init()
    {
        server_.clearRequests();
        server_.clearRoutes();
    }

    void fillsTheRecordFromTheFirstEpoch()
    {
        server_.route(servicePath, TestHttpServer::Reply::ok(readData("stationxml_two_networks.xml"),
                                                             "application/xml"));
        QScopedPointer<SeismicRecord> record(miniSeedLikeRecord(QString()));
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(1));
        // A blank location goes out as "--"; the window is the record's,
        // in UTC, cut to the minute.
        QCOMPARE(server_.requests().at(0).target,
                 servicePath
                     + "?matchtimeseries=true&format=xml&nodata=404&includecomments=false"
                       "&includerestricted=false&level=channel&start=2019-07-06T03:19:00"
                       "&end=2019-07-06T03:49:00&net=XX&sta=ABCD&cha=BHZ&loc=--");
        QCOMPARE(server_.requests().at(0).header("user-agent"), QByteArray("Quakeslate 1.0"));

        QTRY_COMPARE_WITH_TIMEOUT(record->latitude(), 45.5001, 10000);
        QCOMPARE(record->longitude(), -120.2501);
        QCOMPARE(record->elevation(), 1020.5);
        QCOMPARE(record->siteName(), QStringLiteral("Alpha Ridge, Oregon"));
        QCOMPARE(record->sensorDescription(), QStringLiteral("Streckeisen STS-2"));
        QCOMPARE(record->channelDepth(), 3.5);
        QCOMPARE(record->channelDip(), -90.0);
        QCOMPARE(record->channelAzimuth(), 0.0);
        // Codes stay as read from the file.
        QVERIFY(record->locationCode().isEmpty());
        QCOMPARE(record->networkDescription(), QStringLiteral("?"));

        // The client went once it had delivered: its connection closes.
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
    }

    void locationCodesAsTheyAre()
    {
        server_.route(servicePath, TestHttpServer::Reply::withStatus(404));
        QScopedPointer<SeismicRecord> record(miniSeedLikeRecord(QStringLiteral("00")));
        QScopedPointer<SeismicRecord> blanks(miniSeedLikeRecord(QStringLiteral("  ")));
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(1));
        blanks->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(2));
        QVERIFY(server_.requests().at(0).target.endsWith("&cha=BHZ&loc=00"));
        QVERIFY(server_.requests().at(1).target.endsWith("&cha=BHZ&loc=--"));
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
    }

    void eventGeometryFollowsTheStation()
    {
        server_.route(servicePath, TestHttpServer::Reply::ok(readData("stationxml_two_networks.xml"),
                                                             "application/xml"));
        SeismicEvent event;
        event.preferredOrigin()->setLatitude(35.77);
        event.preferredOrigin()->setLongitude(-117.6);
        QScopedPointer<SeismicRecord> record(miniSeedLikeRecord(QString()));
        record->setSeismicEvent(&event);
        const double before = record->angularDistance();

        record->downloadChannelMetaData();
        QTRY_COMPARE_WITH_TIMEOUT(record->latitude(), 45.5001, 10000);
        WGS84Position station;
        station.setLatitude(45.5001);
        station.setLongitude(-120.2501);
        QCOMPARE(record->angularDistance(), station.distanceTo(*event.preferredOrigin()));
        QCOMPARE(record->azimuth(), event.preferredOrigin()->azimuthTo(station));
        QCOMPARE(record->backAzimuth(), station.azimuthTo(*event.preferredOrigin()));
        QVERIFY(qAbs(record->angularDistance() - before) > 1.0);
        QVERIFY(record->seismicEvent() == &event);
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
    }

    void failuresLeaveTheRecordAlone()
    {
        QScopedPointer<SeismicRecord> record(miniSeedLikeRecord(QString()));
        record->setSiteName(QStringLiteral("unchanged"));

        // Nothing matched.
        server_.route(servicePath, TestHttpServer::Reply::withStatus(404));
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(1));
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
        QCOMPARE(record->siteName(), QStringLiteral("unchanged"));

        // A failing service: the user is told, the record stays.
        BoxCloser boxes;
        server_.route(servicePath, TestHttpServer::Reply::withStatus(500, "broken"));
        record->downloadChannelMetaData();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
        QCOMPARE(record->siteName(), QStringLiteral("unchanged"));
        QCOMPARE(record->latitude(), 0.0);

        // An empty document: an empty list.
        server_.route(servicePath, TestHttpServer::Reply::ok("<FDSNStationXML/>", "application/xml"));
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(3));
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
        QCOMPARE(record->siteName(), QStringLiteral("unchanged"));
    }

    void aRecordDeletedFirstTakesItsClientAlong()
    {
        server_.route(servicePath, TestHttpServer::Reply::never());
        auto* record = miniSeedLikeRecord(QString());
        record->downloadChannelMetaData();
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(2));
        QCOMPARE(server_.openConnections(), 2);
        delete record;
        // Both clients go with their pending replies: the connections close.
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
    }

    void anAnswerQueuedBeforeTheRecordWentIsFreed()
    {
        // A window closes while an answer is already queued: the client's
        // deferred deletion comes after the answer, which still delivers its
        // list with no record left to take it. Holding back the client's
        // deletion makes that order certain; the sanitizer build checks that
        // the list and its channels are freed.
        server_.route(servicePath,
                      TestHttpServer::Reply::ok(readData("stationxml_two_networks.xml"), "application/xml")
                          .delayed(100));
        HoldFirstStationClientDeletion holder;
        qApp->installEventFilter(&holder);
        auto* record = miniSeedLikeRecord(QString());
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(1));
        delete record;
        QTRY_VERIFY_WITH_TIMEOUT(holder.client, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(holder.deliveries, 1, 10000);
        // Having delivered, the client goes: its connection closes.
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
        qApp->removeEventFilter(&holder);
    }

    void aRecordWithoutSamplesSendsNoWindow()
    {
        server_.route(servicePath, TestHttpServer::Reply::withStatus(404));
        QScopedPointer<SeismicRecord> record(new SeismicRecord);
        record->setNetworkCode(QStringLiteral("XX"));
        record->setStationCode(QStringLiteral("ABCD"));
        record->setChannelCode(QStringLiteral("BHZ"));
        record->downloadChannelMetaData();
        QVERIFY(server_.waitForRequests(1));
        QVERIFY(server_.requests().at(0).target.endsWith(
            "&level=channel&net=XX&sta=ABCD&cha=BHZ&loc=--"));
        QTRY_COMPARE_WITH_TIMEOUT(server_.openConnections(), 0, 10000);
    }
};

QTEST_MAIN(TestChannelMetaData)
#include "test_channelmetadata.moc"
