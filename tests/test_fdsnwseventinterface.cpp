#include "model/seismicevent.h"
#include "services/fdsnwseventinterface.h"

#include "support/testhttpserver.h"

#include <QApplication>
#include <QBuffer>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

Q_DECLARE_METATYPE(QList<SeismicEvent*>*)

namespace {

const QByteArray servicePath = "/fdsnws/event/1/query";
const QString fixedQuery = QStringLiteral("?format=text&limit=1000&nodata=404");

const QByteArray eventText =
    "#EventID|Time|Latitude|Longitude|Depth/km|Author|Catalog|Contributor|ContributorID"
    "|MagType|Magnitude|MagAuthor|EventLocationName\n"
    "gfz2019nar|2019-07-06T03:19:53.04|35.77|-117.6|8.0|GFZ|GEOFON|GFZ|gfz2019nar|Mw|7.1|"
    "|Southern California\n"
    "\n"
    "abc\n"
    "us7000abcd|2020-01-01T00:00:00|-95.5|200|  33.5|us|NEIC|us|us7000abcd|mb|5.25|us"
    "|Fiji Islands Region|extra\n"
    "no separators here\n"
    "ev3|2021-13-45T99:00:00|10|20|10|a|b|c|d|ML|4.0|e|Bad time\n";

QList<SeismicEvent*>* readEvents(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return FDSNWSEventInterface::readEvents(&buffer);
}

void deleteList(QList<SeismicEvent*>* list)
{
    if (list) {
        qDeleteAll(*list);
        delete list;
    }
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// Closes every modal box that opens and keeps its texts.
class BoxCloser : public QObject
{
public:
    BoxCloser()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts << box->text();
            informative << box->informativeText();
            details << box->detailedText();
            box->done(0);
        });
        timer_.start(10);
    }
    QStringList texts, informative, details;

private:
    QTimer timer_;
};

} // namespace

class TestFDSNWSEventInterface : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server_;

    // Sends one request from a client set up by setup and returns the query
    // that arrived at the server.
    template <typename Setup>
    QString sentQuery(Setup setup)
    {
        server_.clearRequests();
        FDSNWSEventInterface client(server_.hostPort());
        client.setSearchMagnitudes(5, 9.5);
        client.setSearchDepths(0, 700);
        setup(client);
        QSignalSpy results(&client, &FDSNWSEventInterface::seismicEventResults);
        client.request();
        if (!results.wait(10000) || server_.requestCount() != 1)
            return QStringLiteral("no request");
        delete results.at(0).at(0).value<QList<SeismicEvent*>*>();
        const QString target = QString::fromLatin1(server_.requests().at(0).target);
        if (client.url() != QString::fromLatin1(server_.origin()) + target)
            return QStringLiteral("url() differs: ") + client.url();
        if (!target.startsWith(servicePath + fixedQuery))
            return QStringLiteral("bad prefix: ") + target;
        return target.mid(servicePath.size() + fixedQuery.size());
    }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<QList<SeismicEvent*>*>();
        qRegisterMetaType<QNetworkReply*>();
        // The event client speaks https only.
        QVERIFY(server_.startHttps());
        server_.route(servicePath, TestHttpServer::Reply::withStatus(404));
    }

    void queryPrefix()
    {
        FDSNWSEventInterface client(QStringLiteral("host.invalid"));
        QCOMPARE(client.queryPrefix(),
                 QStringLiteral("https://host.invalid/fdsnws/event/1/query") + fixedQuery);
        QCOMPARE(client.serviceVersion(), 1);
    }

    void queries()
    {
        // The example: a week, all depths, magnitudes 5 to 9.5, a circle.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) {
                     c.setStartDateTime(utc(2019, 7, 1, 0, 0, 0));
                     c.setEndDateTime(utc(2019, 7, 8, 0, 0, 0));
                     c.setSearchCenter(35.77, -117.6);
                     c.setSearchRadii(0, 10);
                 }),
                 QStringLiteral("&start=2019-07-01T00:00:00&end=2019-07-08T00:00:00&minmag=5"
                                "&maxmag=9.5&lat=35.77&lon=-117.6&minradius=0&maxradius=10"));

        // Times are UTC cut to the minute, even from a local time.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) {
                     c.setStartDateTime(utc(2019, 7, 6, 3, 19, 53).toLocalTime());
                     c.setEndDateTime(utc(2019, 7, 6, 4, 0, 59, 999));
                 }),
                 QStringLiteral("&start=2019-07-06T03:19:00&end=2019-07-06T04:00:00"
                                "&minmag=5&maxmag=9.5"));

        // Depths: only a real constraint is sent, then always both.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchDepths(0, 800); }),
                 QStringLiteral("&minmag=5&maxmag=9.5"));
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchDepths(0, 600); }),
                 QStringLiteral("&mindepth=0&maxdepth=600&minmag=5&maxmag=9.5"));
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchDepths(10, 700); }),
                 QStringLiteral("&mindepth=10&maxdepth=700&minmag=5&maxmag=9.5"));

        // Magnitudes always, six significant digits.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchMagnitudes(0, 10); }),
                 QStringLiteral("&minmag=0&maxmag=10"));
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchMagnitudes(4.123456, 6.25); }),
                 QStringLiteral("&minmag=4.12346&maxmag=6.25"));

        // Boxes: whole globe adds nothing; each bound only when it limits.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchRectangle(-90, -180, 90, 180); }),
                 QStringLiteral("&minmag=5&maxmag=9.5"));
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchRectangle(-10, -180, 90, 170.5); }),
                 QStringLiteral("&minmag=5&maxmag=9.5&minlat=-10&maxlon=170.5"));
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) {
                     c.setSearchLatitudes(1, 2);
                     c.setSearchLongitudes(3, 4);
                 }),
                 QStringLiteral("&minmag=5&maxmag=9.5&minlat=1&maxlat=2&minlon=3&maxlon=4"));

        // A circle of whole-globe radii is none; it leaves a box in force.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) { c.setSearchCenter(10, 20); }),
                 QStringLiteral("&minmag=5&maxmag=9.5"));
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) {
                     c.setSearchRectangle(-10, -180, 90, 180);
                     c.setSearchRadii(0, 180);
                     c.setSearchCenter(10, 20);
                 }),
                 QStringLiteral("&minmag=5&maxmag=9.5&minlat=-10"));
        // The box gives way to a real circle.
        QCOMPARE(sentQuery([](FDSNWSEventInterface& c) {
                     c.setSearchRectangle(-10, -180, 90, 180);
                     c.setSearchRadii(30, 90);
                 }),
                 QStringLiteral("&minmag=5&maxmag=9.5&lat=0&lon=0&minradius=30&maxradius=90"));

        // No user agent of the program's own on event queries.
        QVERIFY(server_.requests().at(0).header("user-agent") != "Quakeslate 1.0");
    }

    void readsEventText()
    {
        QList<SeismicEvent*>* events = readEvents(eventText);
        QCOMPARE(events->size(), 4);

        SeismicEvent* e = events->at(0);
        QCOMPARE(e->eventID(), QStringLiteral("gfz2019nar"));
        QVERIFY(!e->isEmpty());
        QCOMPARE(e->preferredOrigin()->dateTime(), utc(2019, 7, 6, 3, 19, 53, 40));
        QCOMPARE(e->preferredOrigin()->dateTime().timeSpec(), Qt::UTC);
        QCOMPARE(e->preferredOrigin()->latitude(), 35.77);
        QCOMPARE(e->preferredOrigin()->longitude(), -117.6);
        QCOMPARE(e->preferredOrigin()->depthKm(), 8.0);
        QCOMPARE(e->preferredMagnitude()->magType(), QStringLiteral("Mw"));
        QCOMPARE(e->preferredMagnitude()->mag(), 7.1);
        QCOMPARE(e->eventDescription(), QStringLiteral("Southern California"));

        // Out-of-range positions stay at 0; fields are not trimmed, but
        // numbers with blanks around them still read.
        SeismicEvent* f = events->at(1);
        QCOMPARE(f->eventID(), QStringLiteral("us7000abcd"));
        QCOMPARE(f->preferredOrigin()->latitude(), 0.0);
        QCOMPARE(f->preferredOrigin()->longitude(), 0.0);
        QCOMPARE(f->preferredOrigin()->depthKm(), 33.5);
        QCOMPARE(f->preferredMagnitude()->mag(), 5.25);
        QCOMPARE(f->eventDescription(), QStringLiteral("Fiji Islands Region"));

        // A line without separators: the whole line is the identifier.
        SeismicEvent* g = events->at(2);
        QCOMPARE(g->eventID(), QStringLiteral("no separators here"));
        QVERIFY(!g->preferredOrigin()->dateTime().isValid());
        QCOMPARE(g->preferredOrigin()->latitude(), 0.0);
        QCOMPARE(g->preferredMagnitude()->mag(), 0.0);
        QVERIFY(g->eventDescription().isEmpty());

        QVERIFY(!events->at(3)->preferredOrigin()->dateTime().isValid());
        QCOMPARE(events->at(3)->eventDescription(), QStringLiteral("Bad time"));
        deleteList(events);

        // Only a header, or nothing: an empty list, not a null one.
        for (const QByteArray& bytes : {eventText.left(eventText.indexOf('\n') + 1), QByteArray()}) {
            QList<SeismicEvent*>* none = readEvents(bytes);
            QVERIFY(none);
            QCOMPARE(none->size(), 0);
            deleteList(none);
        }

        // Without a header the first event is taken for one and lost.
        QList<SeismicEvent*>* headless = readEvents(eventText.mid(eventText.indexOf('\n') + 1));
        QCOMPARE(headless->size(), 3);
        QCOMPARE(headless->at(0)->eventID(), QStringLiteral("us7000abcd"));
        deleteList(headless);

        // Carriage returns of a service that ends lines with CRLF.
        QList<SeismicEvent*>* crlf = readEvents("#h\r\nid|2019-07-06T03:19:53Z|1|2|3|||||ML|2|x|Place\r\n");
        QCOMPARE(crlf->size(), 1);
        QCOMPARE(crlf->at(0)->eventDescription(), QStringLiteral("Place"));
        QCOMPARE(crlf->at(0)->preferredOrigin()->dateTime(), utc(2019, 7, 6, 3, 19, 53));
        deleteList(crlf);
    }

    void replyOverHttps()
    {
        TestHttpServer server;
        QVERIFY(server.startHttps());
        server.route(servicePath, TestHttpServer::Reply::ok(eventText));
        FDSNWSEventInterface client(server.hostPort());
        client.setSearchMagnitudes(5, 10);
        QSignalSpy results(&client, &FDSNWSEventInterface::seismicEventResults);
        client.request();
        client.request();
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 2, 10000);
        for (const QVariantList& args : results) {
            auto* events = args.at(0).value<QList<SeismicEvent*>*>();
            QVERIFY(events);
            QCOMPARE(events->size(), 4);
            QCOMPARE(events->at(0)->eventID(), QStringLiteral("gfz2019nar"));
            deleteList(events);
        }
    }

    void notFoundIsAnEmptyList()
    {
        FDSNWSEventInterface client(server_.hostPort());
        QSignalSpy results(&client, &FDSNWSEventInterface::seismicEventResults);
        BoxCloser boxes;
        client.request();
        QVERIFY(results.wait(10000));
        auto* events = results.at(0).at(0).value<QList<SeismicEvent*>*>();
        QVERIFY(events);
        QCOMPARE(events->size(), 0);
        delete events;
        QVERIFY(boxes.texts.isEmpty());
    }

    void otherErrorsShowABoxThenNull()
    {
        TestHttpServer server;
        QVERIFY(server.startHttps());
        server.route(servicePath, TestHttpServer::Reply::withStatus(503, "Service busy"));
        FDSNWSEventInterface client(server.hostPort());
        BoxCloser boxes;
        QStringList boxesAtSignal;
        QList<bool> nulls;
        connect(&client, &FDSNWSEventInterface::seismicEventResults, this,
                [&](QList<SeismicEvent*>* events) {
                    nulls << (events == nullptr);
                    boxesAtSignal << boxes.texts.join(QLatin1Char(','));
                    deleteList(events);
                });
        client.request();
        QTRY_COMPARE_WITH_TIMEOUT(nulls.size(), 1, 10000);
        QVERIFY(nulls.at(0));
        QCOMPARE(boxesAtSignal.at(0), QStringLiteral("Network Reply Error"));
        QCOMPARE(boxes.informative, QStringList({"FDSN Event Web Service returned an error."}));
        QCOMPARE(boxes.details, QStringList({"Service busy"}));
    }

    void redirectsStayOnHttps()
    {
        TestHttpServer plain;
        QVERIFY(plain.startHttp());
        plain.route(servicePath, TestHttpServer::Reply::ok(eventText));
        TestHttpServer secure;
        QVERIFY(secure.startHttps());
        secure.route("/elsewhere", TestHttpServer::Reply::ok(eventText));
        secure.route(servicePath, TestHttpServer::Reply::redirect("/elsewhere"));
        secure.route("/downgrade", TestHttpServer::Reply::redirect(plain.origin() + servicePath));

        // An https redirect is followed.
        FDSNWSEventInterface client(secure.hostPort());
        QSignalSpy results(&client, &FDSNWSEventInterface::seismicEventResults);
        client.request();
        QVERIFY(results.wait(10000));
        auto* events = results.at(0).at(0).value<QList<SeismicEvent*>*>();
        QVERIFY(events);
        QCOMPARE(events->size(), 4);
        deleteList(events);

        // A redirect down to plain http is refused: an error, and the plain
        // server never hears of it.
        secure.route(servicePath, TestHttpServer::Reply::redirect(plain.origin() + servicePath));
        BoxCloser boxes;
        results.clear();
        client.request();
        QVERIFY(results.wait(10000));
        QVERIFY(results.at(0).at(0).value<QList<SeismicEvent*>*>() == nullptr);
        QCOMPARE(boxes.texts, QStringList({"Network Reply Error"}));
        QCOMPARE(plain.requestCount(), 0);
    }

    void plainHttpServerIsAnError()
    {
        // A server that does not speak TLS is no answer.
        TestHttpServer plain;
        QVERIFY(plain.startHttp());
        plain.route(servicePath, TestHttpServer::Reply::ok(eventText));
        FDSNWSEventInterface client(plain.hostPort());
        QSignalSpy results(&client, &FDSNWSEventInterface::seismicEventResults);
        BoxCloser boxes;
        client.request();
        QVERIFY(results.wait(10000));
        QVERIFY(results.at(0).at(0).value<QList<SeismicEvent*>*>() == nullptr);
        QCOMPARE(boxes.texts, QStringList({"Network Reply Error"}));
    }
};

QTEST_MAIN(TestFDSNWSEventInterface)
#include "test_fdsnwseventinterface.moc"
