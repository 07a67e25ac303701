// Predicted arrivals on the canvas: which curves are asked of a real HTTP
// traveltime service on the loopback interface, how the kept curves fold
// their branches, and where they land on a rendered record section.

#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "model/traveltimecurve.h"
#include "support/canvasfixture.h"
#include "support/testhttpserver.h"

#include <QDateTime>
#include <QImage>
#include <QUrlQuery>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

const QByteArray servicePath = "/tavows/traveltime/1/query";
const qint64 originMSecs = CanvasFixture::originMSecs;

// Rows of a phase at every requested distance, travel time growing by
// secondsPerDegree, in the service's column layout.
QByteArray rowsFor(const QByteArray& query, const QString& phase, double secondsPerDegree,
                   double startSeconds = 0.0)
{
    const QUrlQuery q(QString::fromLatin1(query));
    QByteArray body;
    for (const QString& d : q.queryItemValue(QStringLiteral("distdeg")).split(QLatin1Char(','))) {
        const double degrees = d.toDouble();
        body += QString::asprintf("%7.2f %6.1f %s %9.4f %7.3f\n", degrees, 10.0,
                                  phase.toLatin1().constData(),
                                  startSeconds + secondsPerDegree * degrees, secondsPerDegree)
                    .toLatin1();
    }
    return body;
}

QString phaseOf(const TestHttpServer::Request& request)
{
    return QUrlQuery(QString::fromLatin1(request.query)).queryItemValue(QStringLiteral("phases"));
}

bool isPurple(QRgb c)
{
    // "purple" at half opacity over white.
    return qRed(c) > 150 && qRed(c) < 230 && qBlue(c) > 150 && qBlue(c) < 230
           && qGreen(c) < qRed(c) - 40 && std::abs(qRed(c) - qBlue(c)) < 30;
}

bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 180 && qBlue(c) < 180 && std::abs(qGreen(c) - qBlue(c)) < 30;
}

bool isTurquoise(QRgb c)
{
    return qRed(c) < 180 && qGreen(c) > 180 && qBlue(c) > 180;
}

// Whether a pixel of the colour lies within radius of (x, y).
bool colourNear(const QImage& image, double x, double y, bool (*match)(QRgb), int radius = 3)
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = int(x) + dx;
            const int py = int(y) + dy;
            if (image.valid(px, py) && match(image.pixel(px, py)))
                return true;
        }
    }
    return false;
}

bool colourAnywhere(const QImage& image, bool (*match)(QRgb))
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixel(x, y)))
                return true;
        }
    }
    return false;
}

// The distance list every request must carry: the fixed table with the
// stations' distances merged in, two decimals each.
QString expectedDistances(const QVector<double>& stations)
{
    QVector<double> d;
    for (int i = 1; i <= 20; ++i)
        d.append(0.5 * i);
    for (int i = 11; i <= 179; ++i)
        d.append(i);
    d.append(179.9);
    d += stations;
    std::sort(d.begin(), d.end());
    QStringList texts;
    for (double v : d)
        texts.append(QString::number(v, 'f', 2));
    return texts.join(QLatin1Char(','));
}

} // namespace

class TestPredictedArrivals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void phaseListWithoutTraces();
    void singleDepth();
    void sixRequestsForPAndS();
    void noRequestWhenDepthsDiffer();
    void servedCurvesAreDrawn();
    void branchesFoldIntoFirstArrivals();
    void laterPhasesOnly();
    void emptyReplyIsDropped();
    void failingServiceDrawsNothing();
    void surfaceWaveLineOnTheAxis();
    void noCurvesWithoutEventOrDistanceAxis();
    void relativeTimeFollowsFirstTrace();
    void canvasGoesWithPendingRequests();

private:
    std::unique_ptr<TestHttpServer> server;
};

void TestPredictedArrivals::init()
{
    server.reset(new TestHttpServer);
    QVERIFY(server->startHttp());
    qputenv("QUAKESLATE_TRAVELTIME_HOST", server->hostPort().toLatin1());
}

void TestPredictedArrivals::cleanup()
{
    server.reset();
    qunsetenv("QUAKESLATE_TRAVELTIME_HOST");
}

void TestPredictedArrivals::phaseListWithoutTraces()
{
    CanvasFixture f;
    const QStringList phases{QStringLiteral("P"), QStringLiteral("PcP"), QStringLiteral("LR")};
    f.canvas->setPredictedPhases(phases);
    QCOMPARE(f.canvas->predictedPhasesList(), phases);
    f.canvas->showAllPredictedArrivals(true);
    QVERIFY(f.canvas->showingAllPredictedArrivals());
    QCoreApplication::processEvents();
    QVERIFY(f.canvas->travelTimeCurves().isEmpty());
    QCOMPARE(server->requestCount(), 0);
}

void TestPredictedArrivals::singleDepth()
{
    {
        CanvasFixture f;
        QVERIFY(!f.canvas->tracesFromSingleDepth());
        f.addRecord(QStringLiteral("AAA"), f.newEvent(10.0), 20.0);
        f.addRecord(QStringLiteral("BBB"), f.newEvent(10.8), 30.0);
        f.addRecord(QStringLiteral("CCC"), f.newEvent(11.0), 40.0);
        QVERIFY(f.canvas->tracesFromSingleDepth());
        f.addRecord(QStringLiteral("DDD"), nullptr, 0.0);
        QVERIFY(!f.canvas->tracesFromSingleDepth());
    }
    {
        CanvasFixture f;
        f.addRecord(QStringLiteral("AAA"), f.newEvent(10.0), 20.0);
        f.addRecord(QStringLiteral("BBB"), f.newEvent(11.5), 30.0);
        QVERIFY(!f.canvas->tracesFromSingleDepth());
    }
    {
        CanvasFixture f;
        f.addRecord(QStringLiteral("AAA"), f.newEvent(std::nan("")), 20.0);
        QVERIFY(!f.canvas->tracesFromSingleDepth());
    }
}

void TestPredictedArrivals::sixRequestsForPAndS()
{
    CanvasFixture f;
    f.addThreeStations(10.0);
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("S")});
    // The surface-wave lines are the canvas's own, kept at once.
    QCOMPARE(f.keptPhases(), (QStringList{QStringLiteral("LR"), QStringLiteral("LQ")}));
    QVERIFY(server->waitForRequests(6));
    QCoreApplication::processEvents();
    QCOMPARE(server->requestCount(), 6);

    const QString distances = expectedDistances({20.0, 60.0, 100.0});
    QStringList targets;
    for (const TestHttpServer::Request& r : server->requests()) {
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(r.header("User-Agent"), QByteArray("Quakeslate 1.0"));
        targets.append(QString::fromLatin1(r.target));
    }
    QStringList expected;
    for (const char* phase : {"P", "p", "Pn", "S", "s", "Sn"})
        expected.append(QStringLiteral("/tavows/traveltime/1/query?noheader=true&model=iasp91"
                                       "&evdepth=10&phases=%1&distdeg=%2")
                            .arg(QLatin1String(phase), distances));
    // The six travel on parallel connections: their arrival order is the
    // network's, not the canvas's.
    targets.sort();
    expected.sort();
    QCOMPARE(targets, expected);
    QCOMPARE(f.canvas->travelTimeDistances().size(), 193);
}

void TestPredictedArrivals::noRequestWhenDepthsDiffer()
{
    CanvasFixture f;
    f.addRecord(QStringLiteral("AAA"), f.newEvent(10.0), 20.0);
    f.addRecord(QStringLiteral("BBB"), f.newEvent(12.0), 40.0);
    f.canvas->setCanvasLayout(RecordSection);
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("LR")});
    f.canvas->showPredictedArrivalTimes(true);
    QVERIFY(f.canvas->travelTimeCurves().isEmpty());
    // Every show tries again, and still finds two depths.
    f.canvas->showPredictedArrivalTimes(true);
    QVERIFY(f.canvas->travelTimeCurves().isEmpty());
    QTest::qWait(100);
    QCOMPARE(server->requestCount(), 0);
    QVERIFY(!colourAnywhere(f.render(), isPurple));
}

void TestPredictedArrivals::servedCurvesAreDrawn()
{
    server->route(servicePath, [](const TestHttpServer::Request& r) {
        const QString phase = phaseOf(r);
        if (phase == QLatin1String("P"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 10.0));
        if (phase == QLatin1String("S"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 18.0));
        return TestHttpServer::Reply::ok(QByteArray());
    });
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("S")});
    f.canvas->showPredictedArrivalTimes(true);
    QTRY_COMPARE_WITH_TIMEOUT(f.canvas->travelTimeCurves().size(), 4, 10000);
    QVERIFY(f.kept(QStringLiteral("P")));
    QVERIFY(f.kept(QStringLiteral("S")));

    QImage image = f.render();
    image.save(QStringLiteral(QS_BUILD_DIR "/predicted-arrivals.png"));
    // P at 10 s and S at 18 s per degree, checked between the stations.
    for (double d : {40.0, 80.0}) {
        QVERIFY2(colourNear(image, f.xAt(10000.0 * d), f.yAt(d), isRed), qPrintable(QString::number(d)));
        QVERIFY2(colourNear(image, f.xAt(18000.0 * d), f.yAt(d), isTurquoise), qPrintable(QString::number(d)));
        // Nothing red on the S line.
        QVERIFY(!colourNear(image, f.xAt(18000.0 * d), f.yAt(d), isRed, 2));
    }

    // Hidden: nothing of them is left.
    f.canvas->showPredictedArrivalTimes(false);
    image = f.render();
    QVERIFY(!colourNear(image, f.xAt(400000.0), f.yAt(40.0), isRed));
    QCOMPARE(f.canvas->travelTimeCurves().size(), 4);
}

void TestPredictedArrivals::branchesFoldIntoFirstArrivals()
{
    // Pn is answered at once and P late, so P finds Pn waiting; S is
    // answered at once and s late, so s finds S kept.
    server->route(servicePath, [](const TestHttpServer::Request& r) {
        const QString phase = phaseOf(r);
        if (phase == QLatin1String("P"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 10.0, 5.0)).delayed(300);
        if (phase == QLatin1String("Pn"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 10.0, 1.0));
        if (phase == QLatin1String("S"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 18.0, 5.0));
        if (phase == QLatin1String("s"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 18.0, 2.0)).delayed(300);
        return TestHttpServer::Reply::ok(QByteArray());
    });
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("S")});
    QTRY_COMPARE_WITH_TIMEOUT(f.canvas->travelTimeCurves().size(), 4, 10000);
    QVERIFY(server->waitForRequests(6));
    // s is the last to come: wait until S holds its times.
    const TravelTimeCurve* s = f.kept(QStringLiteral("S"));
    QVERIFY(s);
    QTRY_COMPARE_WITH_TIMEOUT(s->firstArrivals.first()->travelTime, qint64(2000 + 9000), 10000);

    const TravelTimeCurve* p = f.kept(QStringLiteral("P"));
    QVERIFY(p);
    QCOMPARE(f.keptPhases().count(QStringLiteral("Pn")), 0);
    QCOMPARE(f.keptPhases().count(QStringLiteral("s")), 0);
    // First arrivals take the earlier branch, one per distance (the
    // stations' distances repeat table values); all arrivals stay P's own.
    QCOMPARE(p->firstArrivals.size(), 190);
    QCOMPARE(p->allArrivals.size(), 193);
    for (const TravelTimeDistance* point : p->firstArrivals)
        QCOMPARE(point->travelTime, qint64(std::llround((1.0 + 10.0 * point->angularDistance) * 1000.0)));
    for (const TravelTimeDistance* point : p->allArrivals)
        QCOMPARE(point->travelTime, qint64(std::llround((5.0 + 10.0 * point->angularDistance) * 1000.0)));
    for (const TravelTimeDistance* point : s->firstArrivals)
        QCOMPARE(point->travelTime, qint64(std::llround((2.0 + 18.0 * point->angularDistance) * 1000.0)));
}

void TestPredictedArrivals::laterPhasesOnly()
{
    server->route(servicePath, [](const TestHttpServer::Request& r) {
        return TestHttpServer::Reply::ok(rowsFor(r.query, phaseOf(r), 12.0));
    });
    CanvasFixture f;
    f.addThreeStations(33.0);
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("LR")});
    // P, p, Pn and the service's own answer for LR.
    QVERIFY(server->waitForRequests(4));
    QTRY_COMPARE_WITH_TIMEOUT(f.canvas->travelTimeCurves().size(), 4, 10000);
    const QString distances = expectedDistances({20.0, 60.0, 100.0});

    // A station at a new distance leaves the stored list alone.
    f.addRecord(QStringLiteral("DDD"), f.events.front().get(), 45.5);
    server->clearRequests();
    f.canvas->setPredictedPhases(
        {QStringLiteral("P"), QStringLiteral("LR"), QStringLiteral("LQ"), QStringLiteral("PcP")});
    QVERIFY(server->waitForRequests(1));
    QTRY_COMPARE_WITH_TIMEOUT(f.canvas->travelTimeCurves().size(), 5, 10000);
    QCOMPARE(server->requestCount(), 1);
    QCOMPARE(server->requests().at(0).target,
             QStringLiteral("/tavows/traveltime/1/query?noheader=true&model=iasp91&evdepth=33"
                            "&phases=PcP&distdeg=%1")
                 .arg(distances)
                 .toLatin1());

    // Off the list and back on: the kept curve returns, no new request.
    f.canvas->showPredictedArrivalTimes(true);
    f.canvas->setPredictedPhases({QStringLiteral("P")});
    QImage image = f.render();
    QVERIFY(!colourNear(image, f.xAt(12000.0 * 40), f.yAt(40.0), [](QRgb c) {
        return qRed(c) < 180 && qGreen(c) > 100 && qBlue(c) < 100; // olivedrab
    }));
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("PcP")});
    QCoreApplication::processEvents();
    QCOMPARE(server->requestCount(), 1);
    QCOMPARE(f.canvas->travelTimeCurves().size(), 5);
}

void TestPredictedArrivals::emptyReplyIsDropped()
{
    // No rows of the asked phase: the curve has no points.
    server->route(servicePath, TestHttpServer::Reply::ok("  \n"));
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("PKP")});
    QVERIFY(server->waitForRequests(1));
    // The next list asks again for the phase that has no curve; this time
    // the service has rows.
    server->route(servicePath, [](const TestHttpServer::Request& r) {
        return TestHttpServer::Reply::ok(rowsFor(r.query, phaseOf(r), 12.0));
    });
    f.canvas->setPredictedPhases({QStringLiteral("PKP"), QStringLiteral("PcP")});
    QVERIFY(server->waitForRequests(3));
    QTRY_COMPARE_WITH_TIMEOUT(f.canvas->travelTimeCurves().size(), 4, 10000);
    QStringList phases = f.keptPhases();
    phases.sort();
    QCOMPARE(phases, (QStringList{QStringLiteral("LQ"), QStringLiteral("LR"), QStringLiteral("PKP"),
                                  QStringLiteral("PcP")}));
    QStringList asked;
    for (const TestHttpServer::Request& r : server->requests())
        asked.append(phaseOf(r));
    asked.sort();
    QCOMPARE(asked, (QStringList{QStringLiteral("PKP"), QStringLiteral("PKP"), QStringLiteral("PcP")}));
}

void TestPredictedArrivals::failingServiceDrawsNothing()
{
    // Error replies carry rows a careless reader would draw.
    server->route(servicePath, [](const TestHttpServer::Request& r) {
        const QString phase = phaseOf(r);
        if (phase == QLatin1String("PcP"))
            return TestHttpServer::Reply::ok(rowsFor(r.query, phase, 12.0)).delayed(300);
        return TestHttpServer::Reply::withStatus(500, rowsFor(r.query, phase, 10.0));
    });
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("S")});
    f.canvas->showPredictedArrivalTimes(true);
    QVERIFY(server->waitForRequests(6));
    f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("S"), QStringLiteral("PcP")});
    QTRY_COMPARE_WITH_TIMEOUT(f.canvas->travelTimeCurves().size(), 3, 10000);
    QCOMPARE(f.keptPhases(),
             (QStringList{QStringLiteral("LR"), QStringLiteral("LQ"), QStringLiteral("PcP")}));
    const QImage image = f.render();
    QVERIFY(!colourAnywhere(image, isRed));
    QVERIFY(!colourAnywhere(image, isTurquoise));
}

void TestPredictedArrivals::surfaceWaveLineOnTheAxis()
{
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("LR")});
    f.canvas->showPredictedArrivalTimes(true);
    const double lr = 5164304.0 / 180.0; // ms per degree

    QImage image = f.render();
    image.save(QStringLiteral(QS_BUILD_DIR "/predicted-lr.png"));
    for (double d : {30.0, 45.0, 80.0})
        QVERIFY2(colourNear(image, f.xAt(lr * d), f.yAt(d), isPurple), qPrintable(QString::number(d)));
    // The line stays inside the record-section axis.
    QVERIFY(!colourNear(image, f.xAt(lr * 5.0), f.yAt(5.0), isPurple));

    f.canvas->flipVerticalAxis(true);
    image = f.render();
    QVERIFY(f.yAt(30.0) < f.yAt(80.0));
    for (double d : {30.0, 45.0, 80.0})
        QVERIFY2(colourNear(image, f.xAt(lr * d), f.yAt(d), isPurple), qPrintable(QString::number(d)));
    f.canvas->flipVerticalAxis(false);

    f.canvas->setRecordSectionVariable(KmDistanceVariable);
    image = f.render();
    for (double d : {30.0, 45.0, 80.0})
        QVERIFY2(colourNear(image, f.xAt(lr * d), f.yAt(d), isPurple), qPrintable(QString::number(d)));

    // LQ is kept but not listed.
    QVERIFY(f.kept(QStringLiteral("LQ")));
    QVERIFY(!colourNear(image, f.xAt(4585240.0 / 180.0 * 45.0), f.yAt(45.0), isPurple));
}

void TestPredictedArrivals::noCurvesWithoutEventOrDistanceAxis()
{
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("LR"), QStringLiteral("LQ")});
    f.canvas->showPredictedArrivalTimes(true);
    QVERIFY(colourAnywhere(f.render(), isPurple));

    f.canvas->setRecordSectionVariable(AzimuthVariable);
    QVERIFY(!colourAnywhere(f.render(), isPurple));
    f.canvas->setCanvasLayout(SeismogramList);
    QVERIFY(!colourAnywhere(f.render(), isPurple));
    f.canvas->setCanvasLayout(RecordSection);
    QVERIFY(colourAnywhere(f.render(), isPurple));

    // A record without an event stands first (at distance 0): the curves
    // have no origin to hang on, and the kept ones stay.
    f.addRecord(QStringLiteral("NOE"), nullptr, 0.0);
    f.canvas->layoutTraces();
    QCOMPARE(f.canvas->traces().first()->seismicRecord()->seismicEvent(), nullptr);
    QVERIFY(!colourAnywhere(f.render(), isPurple));
    QCOMPARE(f.canvas->travelTimeCurves().size(), 2);

    // An event whose origin time is unknown places nothing either.
    CanvasFixture g;
    g.addThreeStations();
    g.events.front()->preferredOrigin()->setDateTime(QDateTime());
    g.canvas->setPredictedPhases({QStringLiteral("LR")});
    g.canvas->showPredictedArrivalTimes(true);
    QVERIFY(!colourAnywhere(g.render(), isPurple));
}

void TestPredictedArrivals::relativeTimeFollowsFirstTrace()
{
    CanvasFixture f;
    f.addThreeStations();
    f.canvas->setPredictedPhases({QStringLiteral("LR")});
    f.canvas->showPredictedArrivalTimes(true);
    f.canvas->setTime(RelativeTime);
    const long long shift = f.canvas->traces().first()->alignmentTime();
    QCOMPARE(shift, originMSecs);
    const double lr = 5164304.0 / 180.0;
    const QImage image = f.render();
    for (double d : {30.0, 80.0})
        QVERIFY2(colourNear(image, f.xAt(lr * d, shift), f.yAt(d), isPurple), qPrintable(QString::number(d)));
}

void TestPredictedArrivals::canvasGoesWithPendingRequests()
{
    server->route(servicePath, TestHttpServer::Reply::never());
    {
        CanvasFixture f;
        f.addThreeStations();
        f.canvas->setPredictedPhases({QStringLiteral("P"), QStringLiteral("S")});
        QVERIFY(server->waitForRequests(6));
    }
    QCoreApplication::processEvents();
}

QTEST_MAIN(TestPredictedArrivals)
#include "test_predictedarrivals.moc"
