#include "model/channel.h"
#include "model/traveltimecurve.h"
#include "services/fdsnwsstationinterface.h"
#include "services/servicehosts.h"
#include "services/tavowstraveltimeinterface.h"
#include "services/webservicesinterface.h"

#include "support/testhttpserver.h"

#include <QNetworkAccessManager>
#include <QtTest>

Q_DECLARE_METATYPE(TravelTimeCurve*)
Q_DECLARE_METATYPE(QList<Channel*>*)

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

} // namespace

class TestWebServicesInterface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<TravelTimeCurve*>();
        qRegisterMetaType<QList<Channel*>*>();
    }

    void newClient()
    {
        FDSNWSStationInterface client(QStringLiteral("example.invalid"));
        QCOMPARE(client.durationSecs(), 0);
        QCOMPARE(client.startDateTime(), client.endDateTime());
        QVERIFY(client.startDateTime().isValid());
        QCOMPARE(client.startDateTime().timeSpec(), Qt::UTC);
        QVERIFY(client.url().isEmpty());
        QCOMPARE(client.host(), QStringLiteral("example.invalid"));
        QCOMPARE(client.serviceVersion(), 1);
        QVERIFY(client.parent() == nullptr);
        QVERIFY(client.serviceAvailable());
    }

    void windowSettersKeepTheDuration()
    {
        FDSNWSStationInterface client(QStringLiteral("example.invalid"));
        const QDateTime t = utc(2019, 7, 6, 3, 19, 53);

        client.setStartDateTime(t);
        client.setDurationSecs(3600);
        QCOMPARE(client.endDateTime(), t.addSecs(3600));
        QCOMPARE(client.durationSecs(), 3600);

        client.setEndDateTime(t.addSecs(-60));
        QCOMPARE(client.durationSecs(), -60);
        QCOMPARE(client.startDateTime(), t); // never swapped

        // A new start keeps the end and recomputes the duration from it.
        client.setDurationSecs(600);
        client.setStartDateTime(t.addSecs(100));
        QCOMPARE(client.endDateTime(), t.addSecs(600));
        QCOMPARE(client.durationSecs(), 500);

        // Whole seconds as secsTo counts them.
        client.setEndDateTime(t.addMSecs(100000 + 1999));
        QCOMPARE(client.durationSecs(), 1);

        // A window wider than 32 bits of seconds is pinned, not wrapped.
        client.setStartDateTime(utc(1, 1, 1, 0, 0, 0));
        client.setEndDateTime(utc(9000, 1, 1, 0, 0, 0));
        QCOMPARE(client.durationSecs(), std::numeric_limits<int>::max());
    }

    void hostsFromTheEnvironment()
    {
        qunsetenv("QUAKESLATE_STATION_HOST");
        qunsetenv("QUAKESLATE_EVENT_HOST");
        qunsetenv("QUAKESLATE_TIMESERIES_HOST");
        qunsetenv("QUAKESLATE_TRAVELTIME_HOST");
        QCOMPARE(ServiceHosts::stationHost(), QStringLiteral("geofon.gfz-potsdam.de"));
        QCOMPARE(ServiceHosts::eventHost(), QStringLiteral("geofon.gfz-potsdam.de"));
        QCOMPARE(ServiceHosts::timeseriesHost(), QStringLiteral("localhost:8080"));
        QCOMPARE(ServiceHosts::traveltimeHost(), QStringLiteral("localhost:8080"));

        qputenv("QUAKESLATE_STATION_HOST", "127.0.0.1:1");
        qputenv("QUAKESLATE_EVENT_HOST", " 127.0.0.2:2 ");
        qputenv("QUAKESLATE_TIMESERIES_HOST", "127.0.0.3:3");
        qputenv("QUAKESLATE_TRAVELTIME_HOST", "127.0.0.4:4");
        QCOMPARE(ServiceHosts::stationHost(), QStringLiteral("127.0.0.1:1"));
        QCOMPARE(ServiceHosts::eventHost(), QStringLiteral("127.0.0.2:2"));
        QCOMPARE(ServiceHosts::timeseriesHost(), QStringLiteral("127.0.0.3:3"));
        QCOMPARE(ServiceHosts::traveltimeHost(), QStringLiteral("127.0.0.4:4"));

        // An empty variable is no override.
        qputenv("QUAKESLATE_STATION_HOST", "");
        QCOMPARE(ServiceHosts::stationHost(), QStringLiteral("geofon.gfz-potsdam.de"));
        qunsetenv("QUAKESLATE_EVENT_HOST");
        qunsetenv("QUAKESLATE_TIMESERIES_HOST");
        qunsetenv("QUAKESLATE_TRAVELTIME_HOST");
    }

    void deletingAClientDropsItsPendingReplies()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route("/fdsnws/station/1/query", TestHttpServer::Reply::never());
        server.route("/tavows/traveltime/1/query", TestHttpServer::Reply::never());

        auto* station = new FDSNWSStationInterface(server.hostPort());
        auto* traveltime = new TAVOWSTraveltimeInterface(server.hostPort());
        QSignalSpy channels(station, &FDSNWSStationInterface::channelLevelResults);
        QSignalSpy curves(traveltime, &TAVOWSTraveltimeInterface::curveResults);
        station->request(QStringLiteral("channel"));
        station->request(QStringLiteral("station"));
        traveltime->requestCurve(QStringLiteral("P"), 10, {1.0});
        QVERIFY(server.waitForRequests(3));
        QCOMPARE(server.openConnections(), 3);

        delete station;
        delete traveltime;
        // The replies went with their managers: the connections close and no
        // result follows.
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 10000);
        QCOMPARE(channels.count(), 0);
        QCOMPARE(curves.count(), 0);
    }

    void repliesAreReleased()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route("/tavows/traveltime/1/query", TestHttpServer::Reply::ok("1 2 P 3 4\n"));
        TAVOWSTraveltimeInterface client(server.hostPort());
        auto* manager = client.findChild<QNetworkAccessManager*>();
        QVERIFY(manager);
        QList<QPointer<QNetworkReply>> replies;
        connect(manager, &QNetworkAccessManager::finished, this,
                [&replies](QNetworkReply* r) { replies.append(r); });
        QSignalSpy curves(&client, &TAVOWSTraveltimeInterface::curveResults);
        client.requestCurve(QStringLiteral("P"), 10, {1.0});
        client.requestCurve(QStringLiteral("P"), 10, {2.0});
        QTRY_COMPARE_WITH_TIMEOUT(replies.size(), 2, 10000);
        QCOMPARE(curves.count(), 2);
        for (const QVariantList& args : curves)
            delete args.at(0).value<TravelTimeCurve*>();
        // Released through deleteLater, without waiting for the client to go.
        QTRY_VERIFY_WITH_TIMEOUT(!replies.at(0) && !replies.at(1), 10000);
        QCOMPARE(manager->findChildren<QNetworkReply*>().size(), 0);
    }
};

QTEST_MAIN(TestWebServicesInterface)
#include "test_webservicesinterface.moc"
