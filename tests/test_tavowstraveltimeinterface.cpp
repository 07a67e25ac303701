#include "model/phasearrival.h"
#include "model/traveltimecurve.h"
#include "services/tavowstraveltimeinterface.h"

#include "support/testhttpserver.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

Q_DECLARE_METATYPE(TravelTimeCurve*)
Q_DECLARE_METATYPE(QList<PhaseArrival*>*)

namespace {

const QByteArray servicePath = "/tavows/traveltime/1/query";

// Rows as the service pads them: distance, depth, phase, time (s), ray
// parameter, then takeoff, incidence, purist distance and name.
const QByteArray curveRows =
    "   45.00    10.0   P        480.9996     8.0000    30.12    27.10    45.00   = P\n"
    "   10.00    10.0   P        140.2000    13.5000    40.00    39.00    10.00   = P\n"
    "   10.00    10.0   P        142.5000    13.0000    41.00    38.00    10.00   = P\n"
    "  100.00    10.0   Pdiff    840.0000     4.4000    10.00    12.00   100.00   = Pdiff\n"
    "   20.00    10.0   P        276.1000    10.9000    35.00    31.00    20.00   = P\n"
    "\n"
    "  x\n"
    "   30.00    10.0   P          1e400     9.0000    35.00    31.00    30.00   = P\n"
    "   40.00    10.0   P          nan       9.0000    35.00    31.00    40.00   = P\n"
    "   50.00    10.0   P        abc         9.0000\n";

TravelTimeCurve* readCurve(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return TAVOWSTraveltimeInterface::readCurve(&buffer, QStringLiteral("ak135"));
}

} // namespace

class TestTAVOWSTraveltimeInterface : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server_;

    // The query that reaches the server for one request.
    template <typename Send>
    QByteArray sentQuery(Send send)
    {
        server_.clearRequests();
        TAVOWSTraveltimeInterface client(server_.hostPort());
        QSignalSpy finished(client.findChild<QNetworkAccessManager*>(),
                            &QNetworkAccessManager::finished);
        send(client);
        if (!finished.wait(10000) || server_.requestCount() != 1)
            return "no request";
        const TestHttpServer::Request request = server_.requests().at(0);
        if (client.url() != QString::fromLatin1(server_.origin() + request.target))
            return "url() differs: " + client.url().toLatin1();
        if (request.header("user-agent") != "Quakeslate 1.0")
            return "user agent " + request.header("user-agent");
        if (request.path != servicePath)
            return "path " + request.path;
        return request.query;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<TravelTimeCurve*>();
        qRegisterMetaType<QList<PhaseArrival*>*>();
        qRegisterMetaType<QNetworkReply*>();
        QVERIFY(server_.startHttp());
        server_.route(servicePath, TestHttpServer::Reply::withStatus(404));
    }

    void curveQueries()
    {
        QCOMPARE(sentQuery([](TAVOWSTraveltimeInterface& c) {
                     c.requestCurve(QStringLiteral("P"), 10, {0.5, 1, 179.9});
                 }),
                 QByteArray("noheader=true&model=iasp91&evdepth=10&phases=P&distdeg=0.50,1.00,179.90"));
        QCOMPARE(sentQuery([](TAVOWSTraveltimeInterface& c) {
                     c.requestCurve(QStringLiteral("S"), 33.0, {10, 2.5});
                 }),
                 QByteArray("noheader=true&model=iasp91&evdepth=33&phases=S&distdeg=10.00,2.50"));
        QCOMPARE(sentQuery([](TAVOWSTraveltimeInterface& c) {
                     c.setEarthModel(QStringLiteral("ak135"));
                     c.requestCurve(QStringLiteral("PKP"), 0.25, {120.125});
                 }),
                 QByteArray("noheader=true&model=ak135&evdepth=0.25&phases=PKP&distdeg=120.13"));
    }

    void arrivalQueries()
    {
        // The same parameter names as the curve queries.
        QCOMPARE(sentQuery([](TAVOWSTraveltimeInterface& c) {
                     c.requestArrivals(33.0, 45.5, QStringLiteral("P,S"));
                 }),
                 QByteArray("noheader=true&model=iasp91&evdepth=33&distdeg=45.5&phases=P,S"));
    }

    void readsACurve()
    {
        TravelTimeCurve* curve = readCurve(curveRows);
        QCOMPARE(curve->earthModel(), QStringLiteral("ak135"));
        QCOMPARE(curve->phaseName(), QStringLiteral("P"));
        // Four usable P rows; Pdiff, short and non-finite rows are left out,
        // and a time that is not a number counts as 0.
        QCOMPARE(curve->allArrivals.size(), 5);
        // All arrivals by ray parameter.
        QVector<double> rays;
        for (const TravelTimeDistance* p : curve->allArrivals)
            rays << p->rayParameter;
        QCOMPARE(rays, QVector<double>({8.0, 9.0, 10.9, 13.0, 13.5}));
        const TravelTimeDistance* p45 = curve->allArrivals.at(0);
        QCOMPARE(p45->angularDistance, 45.0);
        QCOMPARE(p45->travelTime, qint64(480999));
        const TravelTimeDistance* bad = curve->allArrivals.at(1);
        QCOMPARE(bad->angularDistance, 50.0);
        QCOMPARE(bad->travelTime, qint64(0));

        // First arrivals by distance, the earlier branch at 10 degrees.
        QCOMPARE(curve->firstArrivals.size(), 4);
        QVector<double> distances;
        for (const TravelTimeDistance* p : curve->firstArrivals)
            distances << p->angularDistance;
        QCOMPARE(distances, QVector<double>({10, 20, 45, 50}));
        QCOMPARE(curve->firstArrivals.at(0)->travelTime, qint64(140200));
        QCOMPARE(curve->firstArrivals.at(0)->rayParameter, 13.5);
        delete curve;

        // The phase of the first row decides: a Pdiff curve from Pdiff rows.
        TravelTimeCurve* pdiff = readCurve(curveRows.mid(curveRows.indexOf("  100.00")));
        QCOMPARE(pdiff->phaseName(), QStringLiteral("Pdiff"));
        QCOMPARE(pdiff->allArrivals.size(), 1);
        QCOMPARE(pdiff->allArrivals.at(0)->travelTime, qint64(840000));
        delete pdiff;

        // Nothing usable: a curve all the same, without points.
        TravelTimeCurve* empty = readCurve(QByteArray());
        QVERIFY(empty->phaseName().isEmpty());
        QVERIFY(empty->allArrivals.isEmpty() && empty->firstArrivals.isEmpty());
        delete empty;
    }

    void readsArrivals()
    {
        QBuffer buffer;
        buffer.setData("   45.00    10.0   P        480.9996     8.0000\n"
                       "   45.00    10.0   PcP      566.2500     4.1000\n"
                       "ab\n"
                       "\n"
                       "   45.00    10.0   S        870.0011    14.9000\n");
        buffer.open(QIODevice::ReadOnly);
        QList<PhaseArrival*>* arrivals = TAVOWSTraveltimeInterface::readArrivals(&buffer);
        QCOMPARE(arrivals->size(), 3);
        QCOMPARE(arrivals->at(0)->phaseName(), QStringLiteral("P"));
        QCOMPARE(arrivals->at(0)->arrivalTimeMSecs(), qint64(480999));
        QCOMPARE(arrivals->at(1)->phaseName(), QStringLiteral("PcP"));
        QCOMPARE(arrivals->at(1)->arrivalTimeMSecs(), qint64(566250));
        QCOMPARE(arrivals->at(2)->phaseName(), QStringLiteral("S"));
        QCOMPARE(arrivals->at(2)->arrivalTimeMSecs(), qint64(870001));
        QCOMPARE(arrivals->at(2)->earthModel(), QStringLiteral("iasp91"));
        qDeleteAll(*arrivals);
        delete arrivals;
    }

    void repliesOfBothKinds()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::ok(curveRows));
        TAVOWSTraveltimeInterface client(server.hostPort());
        QSignalSpy curves(&client, &TAVOWSTraveltimeInterface::curveResults);
        QSignalSpy arrivals(&client, &TAVOWSTraveltimeInterface::arrivalResults);
        client.requestCurve(QStringLiteral("P"), 10, {10, 20, 45});
        client.requestArrivals(10, 45, QStringLiteral("P"));
        client.requestCurve(QStringLiteral("P"), 10, {10, 20, 45});
        QTRY_VERIFY_WITH_TIMEOUT(curves.count() == 2 && arrivals.count() == 1, 10000);
        for (const QVariantList& args : curves) {
            TravelTimeCurve* curve = args.at(0).value<TravelTimeCurve*>();
            QCOMPARE(curve->earthModel(), QStringLiteral("iasp91"));
            QCOMPARE(curve->firstArrivals.size(), 4);
            delete curve;
        }
        auto* list = arrivals.at(0).at(0).value<QList<PhaseArrival*>*>();
        // Rows of any phase, but not the short nor the non-finite ones.
        QCOMPARE(list->size(), 6);
        qDeleteAll(*list);
        delete list;
    }

    void errorsAreSilent()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::withStatus(500, "   45.00 10.0 P 1 2\n"));
        server.route("/tavows/traveltime/1/other", TestHttpServer::Reply::ok(curveRows));
        TAVOWSTraveltimeInterface client(server.hostPort());
        QSignalSpy curves(&client, &TAVOWSTraveltimeInterface::curveResults);
        QSignalSpy arrivals(&client, &TAVOWSTraveltimeInterface::arrivalResults);
        QSignalSpy finished(client.findChild<QNetworkAccessManager*>(),
                            &QNetworkAccessManager::finished);
        client.requestCurve(QStringLiteral("P"), 10, {1});
        client.requestArrivals(10, 1, QStringLiteral("P"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
        QCOMPARE(curves.count() + arrivals.count(), 0);

        // 404 and a dropped connection alike.
        server.route(servicePath, TestHttpServer::Reply::hangUp());
        client.requestCurve(QStringLiteral("P"), 10, {1});
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 10000);
        QCOMPARE(curves.count(), 0);
    }
};

QTEST_MAIN(TestTAVOWSTraveltimeInterface)
#include "test_tavowstraveltimeinterface.moc"
