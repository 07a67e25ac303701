#include "model/channel.h"
#include "model/network.h"
#include "model/station.h"
#include "services/fdsnwsstationinterface.h"

#include "support/testhttpserver.h"

#include <QApplication>
#include <QBuffer>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

Q_DECLARE_METATYPE(QList<Network*>*)
Q_DECLARE_METATYPE(QList<Station*>*)
Q_DECLARE_METATYPE(QList<Channel*>*)

namespace {

const QByteArray servicePath = "/fdsnws/station/1/query";
const QString prefixQuery = QStringLiteral(
    "?matchtimeseries=true&format=xml&nodata=404&includecomments=false&includerestricted=false");

// StationXML 1.1 as data centres write it: two networks, stations with and
// without a site, channel epochs with responses, comments and sensors.
QByteArray readData(const char* name)
{
    QFile file(QStringLiteral(QS_TEST_DATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

const QByteArray stationXml = readData("stationxml_two_networks.xml");
template <typename T>
QList<T*>* readWith(QList<T*>* (*reader)(QIODevice*), const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return reader(&buffer);
}

template <typename T>
void deleteList(QList<T*>* list)
{
    if (list) {
        qDeleteAll(*list);
        delete list;
    }
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
            icons << box->icon();
            box->done(0);
        });
        timer_.start(10);
    }
    QStringList texts, informative, details;
    QList<QMessageBox::Icon> icons;

private:
    QTimer timer_;
};

} // namespace

class TestFDSNWSStationInterface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<QList<Network*>*>();
        qRegisterMetaType<QList<Station*>*>();
        qRegisterMetaType<QList<Channel*>*>();
        qRegisterMetaType<QNetworkReply*>();
    }

    void queryPrefix()
    {
        FDSNWSStationInterface client(QStringLiteral("host.invalid:8080"));
        QCOMPARE(client.queryPrefix(),
                 QStringLiteral("http://host.invalid:8080/fdsnws/station/1/query") + prefixQuery);
    }

    void queries_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("query");
        QTest::newRow("bare") << 0 << "network" << "&level=network";
        QTest::newRow("example")
            << 1 << "channel"
            << "&level=channel&start=2019-07-06T03:19:00&end=2019-07-06T03:49:00"
               "&net=XX&sta=STA&cha=BHZ&loc=00";
        QTest::newRow("local time sent as UTC")
            << 2 << "station" << "&level=station&start=2019-07-06T03:19:00&end=2019-07-06T03:49:00";
        QTest::newRow("code lists") << 3 << "station"
                                    << "&level=station&net=XX,YY&sta=A*,B?&cha=BH?,HH?&loc=--,00";
        QTest::newRow("whole-globe box") << 4 << "network" << "&level=network";
        QTest::newRow("min latitude only") << 5 << "network" << "&level=network&minlat=-60";
        QTest::newRow("full box") << 6 << "station"
                                  << "&level=station&minlat=-10.5&maxlat=20&minlon=30&maxlon=45.1235";
        QTest::newRow("circle") << 7 << "station"
                                << "&level=station&lat=35.77&lon=-117.6&minradius=0&maxradius=10";
        QTest::newRow("centre with whole-globe radii") << 8 << "station" << "&level=station";
        QTest::newRow("whole-globe radii keep the box") << 9 << "station" << "&level=station&maxlat=60";
        QTest::newRow("cleared geometry") << 10 << "station" << "&level=station";
        QTest::newRow("clearAllParameters keeps the window")
            << 11 << "channel" << "&level=channel&start=2019-07-06T03:19:00&end=2019-07-06T03:49:00";
    }

    void queries()
    {
        QFETCH(int, setup);
        QFETCH(QString, level);
        QFETCH(QString, query);

        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::withStatus(404));
        FDSNWSStationInterface client(server.hostPort());
        const QDateTime t(QDate(2019, 7, 6), QTime(3, 19, 53), Qt::UTC);
        switch (setup) {
        case 1:
            client.addNetworkCode(QStringLiteral("XX"));
            client.addStationCode(QStringLiteral("STA"));
            client.addLocationCode(QStringLiteral("00"));
            client.addChannelCode(QStringLiteral("BHZ"));
            client.setStartDateTime(t);
            client.setDurationSecs(1800);
            break;
        case 2: // the same instant as a local time of a zone 5:45 ahead of UTC
            client.setStartDateTime(t.toLocalTime());
            client.setDurationSecs(1800);
            break;
        case 3:
            client.addNetworkCode(QStringLiteral("XX"));
            client.addNetworkCode(QStringLiteral("YY"));
            client.addStationCode(QStringLiteral("A*"));
            client.addStationCode(QStringLiteral("B?"));
            client.addChannelCode(QStringLiteral("BH?"));
            client.addChannelCode(QStringLiteral("HH?"));
            client.addLocationCode(QStringLiteral("--"));
            client.addLocationCode(QStringLiteral("00"));
            break;
        case 4:
            client.setSearchRectangle(-90, -180, 90, 180);
            break;
        case 5:
            client.setSearchRectangle(-60, -180, 90, 180);
            break;
        case 6:
            client.setSearchLatitudes(-10.5, 20);
            client.setSearchLongitudes(30, 45.123456);
            break;
        case 7:
            client.setSearchRadii(0, 10);
            client.setSearchCenter(35.77, -117.6);
            break;
        case 8:
            client.setSearchCenter(10, 20);
            break;
        case 9:
            client.setSearchRectangle(-90, -180, 60, 180);
            client.setSearchRadii(0, 180);
            client.setSearchCenter(10, 20);
            break;
        case 10:
            client.setSearchRectangle(-60, -170, 60, 170);
            client.clearSearchGeometry();
            break;
        case 11:
            client.addNetworkCode(QStringLiteral("XX"));
            client.setSearchRadii(1, 2);
            client.setStartDateTime(t);
            client.setDurationSecs(1800);
            client.clearAllParameters();
            QVERIFY(client.networkCodes().isEmpty());
            break;
        }
        QSignalSpy finished(client.findChild<QNetworkAccessManager*>(),
                            &QNetworkAccessManager::finished);
        client.request(level);
        const QString target = servicePath + prefixQuery + query;
        QCOMPARE(client.url(), QString::fromLatin1(server.origin()) + target);
        QVERIFY(server.waitForRequests(1));
        const TestHttpServer::Request sent = server.requests().at(0);
        QCOMPARE(QString::fromLatin1(sent.target), target);
        QCOMPARE(sent.header("user-agent"), QByteArray("Quakeslate 1.0"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    }

    void codeLists()
    {
        FDSNWSStationInterface client(QStringLiteral("host.invalid"));
        client.addNetworkCode(QStringLiteral(" XX"));
        client.addNetworkCode(QStringLiteral(" XX"));
        client.addStationCode(QStringLiteral("S"));
        client.addLocationCode(QStringLiteral("L"));
        client.addChannelCode(QStringLiteral("C"));
        QCOMPARE(client.networkCodes(), QStringList({" XX", " XX"}));
        client.clearStationCodes();
        QVERIFY(client.stationCodes().isEmpty());
        QCOMPARE(client.locationCodes(), QStringList({"L"}));
        client.clearNetworkCodes();
        client.clearLocationCodes();
        client.clearChannelCodes();
        QVERIFY(client.networkCodes().isEmpty() && client.locationCodes().isEmpty()
                && client.channelCodes().isEmpty());
        client.addChannelCode(QStringLiteral("C"));
        client.addStationCode(QStringLiteral("S"));
        client.clearAllCodes();
        QVERIFY(client.channelCodes().isEmpty() && client.stationCodes().isEmpty());
    }

    void readsNetworks()
    {
        QList<Network*>* networks =
            readWith(&FDSNWSStationInterface::readNetworkLevel, stationXml);
        QCOMPARE(networks->size(), 2);
        QCOMPARE(networks->at(0)->networkCode(), QStringLiteral("XX"));
        QCOMPARE(networks->at(0)->networkDescription(), QStringLiteral("Example Network"));
        QCOMPARE(networks->at(1)->networkCode(), QStringLiteral("YY"));
        QCOMPARE(networks->at(1)->networkDescription(), QStringLiteral("Second Network"));
        deleteList(networks);
    }

    void readsStations()
    {
        QList<Station*>* stations =
            readWith(&FDSNWSStationInterface::readStationLevel, stationXml);
        QCOMPARE(stations->size(), 3);
        const Station* a = stations->at(0);
        QCOMPARE(a->networkCode(), QStringLiteral("XX"));
        QCOMPARE(a->networkDescription(), QStringLiteral("?"));
        QCOMPARE(a->stationCode(), QStringLiteral("ABCD"));
        QCOMPARE(a->latitude(), 45.5);
        QCOMPARE(a->longitude(), -120.25);
        QCOMPARE(a->elevation(), 1024.0);
        QCOMPARE(a->siteName(), QStringLiteral("Alpha Ridge, Oregon"));
        const Station* e = stations->at(1);
        QCOMPARE(e->stationCode(), QStringLiteral("EFGH"));
        QCOMPARE(e->latitude(), 0.0); // 95 is out of range and dropped
        QCOMPARE(e->longitude(), 10.0);
        QCOMPARE(e->elevation(), -5.0);
        QVERIFY(e->siteName().isEmpty());
        QCOMPARE(stations->at(2)->networkCode(), QStringLiteral("YY"));
        QCOMPARE(stations->at(2)->siteName(), QStringLiteral("Harbour"));
        deleteList(stations);
    }

    void readsChannels()
    {
        QList<Channel*>* channels =
            readWith(&FDSNWSStationInterface::readChannelLevel, stationXml);
        QCOMPARE(channels->size(), 5);

        const Channel* first = channels->at(0);
        QCOMPARE(first->networkCode(), QStringLiteral("XX"));
        QCOMPARE(first->stationCode(), QStringLiteral("ABCD"));
        QCOMPARE(first->channelCode(), QStringLiteral("BHZ"));
        QCOMPARE(first->locationCode(), QStringLiteral("00"));
        QCOMPARE(first->siteName(), QStringLiteral("Alpha Ridge, Oregon"));
        QCOMPARE(first->latitude(), 45.5001);
        QCOMPARE(first->longitude(), -120.2501);
        QCOMPARE(first->elevation(), 1020.5);
        QCOMPARE(first->channelDepth(), 3.5);
        QCOMPARE(first->channelAzimuth(), 0.0);
        QCOMPARE(first->channelDip(), -90.0);
        // The sensor's description, not the response's unit descriptions.
        QCOMPARE(first->sensorDescription(), QStringLiteral("Streckeisen STS-2"));

        const Channel* epoch2 = channels->at(1);
        QCOMPARE(epoch2->channelCode(), QStringLiteral("BHZ"));
        QCOMPARE(epoch2->latitude(), 45.6);
        QCOMPARE(epoch2->sensorDescription(), QStringLiteral("Streckeisen STS-2.5"));

        const Channel* north = channels->at(2);
        QCOMPARE(north->locationCode(), QStringLiteral("--")); // no attribute
        QCOMPARE(north->channelAzimuth(), 90.0);
        QCOMPARE(north->siteName(), QStringLiteral("Alpha Ridge, Oregon"));
        QVERIFY(north->sensorDescription().isEmpty());

        const Channel* blank = channels->at(3);
        QCOMPARE(blank->stationCode(), QStringLiteral("EFGH"));
        QCOMPARE(blank->locationCode(), QStringLiteral("--")); // only blanks
        // A station without a site does not take the previous station's name.
        QVERIFY(blank->siteName().isEmpty());
        QCOMPARE(blank->latitude(), 0.0); // not a number
        QCOMPARE(blank->longitude(), 10.0);

        const Channel* last = channels->at(4);
        QCOMPARE(last->networkCode(), QStringLiteral("YY"));
        QCOMPARE(last->stationCode(), QStringLiteral("IJKL"));
        QCOMPARE(last->locationCode(), QStringLiteral("10"));
        QCOMPARE(last->siteName(), QStringLiteral("Harbour"));
        QCOMPARE(last->sensorDescription(), QStringLiteral("Trillium 120"));
        deleteList(channels);
    }

    void brokenDocumentsEndTheReading()
    {
        // Cut inside the second channel epoch: the first two channels, the
        // second as far as it was read.
        const int cut = stationXml.indexOf("<Elevation>1021</Elevation>");
        QList<Channel*>* channels =
            readWith(&FDSNWSStationInterface::readChannelLevel, stationXml.left(cut));
        QCOMPARE(channels->size(), 2);
        QCOMPARE(channels->at(1)->latitude(), 45.6);
        QCOMPARE(channels->at(1)->elevation(), 0.0);
        deleteList(channels);

        // Not XML, another root, empty: nothing, but a list.
        for (const QByteArray& bytes :
             {QByteArray("<html><body>Service moved</body></html>"), QByteArray(),
              QByteArray("\x00\xff garbage", 10),
              QByteArray("<Other><Network code=\"ZZ\"/></Other>")}) {
            QList<Network*>* networks = readWith(&FDSNWSStationInterface::readNetworkLevel, bytes);
            QVERIFY(networks);
            QCOMPARE(networks->size(), 0);
            deleteList(networks);
        }

        // Mismatched tags stop the reading at the fault.
        QList<Network*>* networks = readWith(
            &FDSNWSStationInterface::readNetworkLevel,
            "<FDSNStationXML><Network code=\"A\"></Network><Network code=\"B\"></Station>"
            "<Network code=\"C\"/></FDSNStationXML>");
        QCOMPARE(networks->size(), 2);
        QCOMPARE(networks->at(1)->networkCode(), QStringLiteral("B"));
        deleteList(networks);
    }

    void repliesOfEveryLevel()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::ok(stationXml, "application/xml"));
        FDSNWSStationInterface client(server.hostPort());
        QSignalSpy networks(&client, &FDSNWSStationInterface::networkLevelResults);
        QSignalSpy stations(&client, &FDSNWSStationInterface::stationLevelResults);
        QSignalSpy channels(&client, &FDSNWSStationInterface::channelLevelResults);

        // Three requests in flight at once on one client, each answered by
        // the signal of its own level, once.
        client.request(QStringLiteral("network"));
        client.request(QStringLiteral("channel"));
        client.request(QStringLiteral("station"));
        QTRY_VERIFY_WITH_TIMEOUT(
            networks.count() == 1 && stations.count() == 1 && channels.count() == 1, 10000);
        auto* n = networks.at(0).at(0).value<QList<Network*>*>();
        auto* s = stations.at(0).at(0).value<QList<Station*>*>();
        auto* c = channels.at(0).at(0).value<QList<Channel*>*>();
        QCOMPARE(n->size(), 2);
        QCOMPARE(s->size(), 3);
        QCOMPARE(c->size(), 5);
        QCOMPARE(c->at(4)->sensorDescription(), QStringLiteral("Trillium 120"));
        deleteList(n);
        deleteList(s);
        deleteList(c);
        QCOMPARE(server.requestCount(), 3);
    }

    void notFoundIsAnEmptyList()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::withStatus(404, "No data"));
        FDSNWSStationInterface client(server.hostPort());
        QSignalSpy stations(&client, &FDSNWSStationInterface::stationLevelResults);
        BoxCloser boxes;
        client.request(QStringLiteral("station"));
        QVERIFY(stations.wait(10000));
        auto* list = stations.at(0).at(0).value<QList<Station*>*>();
        QVERIFY(list);
        QCOMPARE(list->size(), 0);
        delete list;
        QVERIFY(boxes.texts.isEmpty());
    }

    void otherErrorsShowABoxThenNull_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("informative");
        QTest::newRow("station") << "station"
                                 << "FDSN Station Web Service returned an error level=station";
        QTest::newRow("channel") << "channel"
                                 << "FDSN Station Web Service returned an error level=channel";
        QTest::newRow("network") << "network"
                                 << "FDSN Station Web Service returned an error level=network";
    }

    void otherErrorsShowABoxThenNull()
    {
        QFETCH(QString, level);
        QFETCH(QString, informative);
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::withStatus(500, "Error 500: boom"));
        FDSNWSStationInterface client(server.hostPort());
        QList<bool> nulls;
        QStringList boxesAtSignal;
        BoxCloser boxes;
        auto record = [&](auto* list) {
            nulls << (list == nullptr);
            boxesAtSignal << boxes.texts.join(QLatin1Char(','));
        };
        connect(&client, &FDSNWSStationInterface::networkLevelResults, this, record);
        connect(&client, &FDSNWSStationInterface::stationLevelResults, this, record);
        connect(&client, &FDSNWSStationInterface::channelLevelResults, this, record);
        client.request(level);
        QTRY_COMPARE_WITH_TIMEOUT(nulls.size(), 1, 10000);
        QVERIFY(nulls.at(0));
        // The box was shown, and closed, before the null list came.
        QCOMPARE(boxesAtSignal.at(0), QStringLiteral("Network Reply Error"));
        QCOMPARE(boxes.informative, QStringList({informative}));
        QCOMPARE(boxes.details, QStringList({"Error 500: boom"}));
        QCOMPARE(boxes.icons.at(0), QMessageBox::Warning);
    }

    void refusedConnectionShowsABox()
    {
        // A port that was open a moment ago and is closed now.
        quint16 port = 0;
        {
            TestHttpServer gone;
            QVERIFY(gone.startHttp());
            port = gone.port();
        }
        FDSNWSStationInterface client(QStringLiteral("127.0.0.1:") + QString::number(port));
        QSignalSpy channels(&client, &FDSNWSStationInterface::channelLevelResults);
        BoxCloser boxes;
        client.request(QStringLiteral("channel"));
        QVERIFY(channels.wait(10000));
        QVERIFY(channels.at(0).at(0).value<QList<Channel*>*>() == nullptr);
        QCOMPARE(boxes.texts, QStringList({"Network Reply Error"}));
    }

    void redirectsAreFollowed()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::redirect("/moved/query", 301));
        server.route("/moved/query", TestHttpServer::Reply::ok(stationXml, "application/xml"));
        FDSNWSStationInterface client(server.hostPort());
        QSignalSpy networks(&client, &FDSNWSStationInterface::networkLevelResults);
        client.request(QStringLiteral("network"));
        QVERIFY(networks.wait(10000));
        QTest::qWait(0);
        QCOMPARE(networks.count(), 1);
        auto* list = networks.at(0).at(0).value<QList<Network*>*>();
        QCOMPARE(list->size(), 2); // the document behind the redirect
        deleteList(list);
        // The toolkit may send a redirected request twice under load; the
        // last one is the redirect's.
        QCOMPARE(server.requests().first().path, servicePath);
        QCOMPARE(server.requests().last().path, QByteArray("/moved/query"));
    }

    void unknownLevelGivesNoSignal()
    {
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::ok(stationXml, "application/xml"));
        FDSNWSStationInterface client(server.hostPort());
        QSignalSpy networks(&client, &FDSNWSStationInterface::networkLevelResults);
        QSignalSpy stations(&client, &FDSNWSStationInterface::stationLevelResults);
        QSignalSpy channels(&client, &FDSNWSStationInterface::channelLevelResults);
        QSignalSpy finished(client.findChild<QNetworkAccessManager*>(),
                            &QNetworkAccessManager::finished);
        client.request(QStringLiteral("response"));
        QVERIFY(finished.wait(10000));
        QCOMPARE(networks.count() + stations.count() + channels.count(), 0);
    }

    void unreceivedResultsAreFreed()
    {
        // No receiver: the lists are not leaked (the sanitizer build checks).
        TestHttpServer server;
        QVERIFY(server.startHttp());
        server.route(servicePath, TestHttpServer::Reply::ok(stationXml, "application/xml"));
        FDSNWSStationInterface client(server.hostPort());
        QSignalSpy finished(client.findChild<QNetworkAccessManager*>(),
                            &QNetworkAccessManager::finished);
        client.request(QStringLiteral("channel"));
        client.request(QStringLiteral("network"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
    }
};

QTEST_MAIN(TestFDSNWSStationInterface)
#include "test_fdsnwsstationinterface.moc"
