#include "model/channel.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "model/timespan.h"
#include "model/wgs84position.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

WGS84Position at(double lat, double lon)
{
    WGS84Position p;
    p.setLatitude(lat);
    p.setLongitude(lon);
    return p;
}

TimeSeries* rampSegment(int n, double rate, long long start)
{
    auto* s = new TimeSeries(n, rate);
    for (int i = 0; i < s->npts(); ++i)
        s->samples[i] = i + 1;
    s->setStartTimeMSecs(start);
    return s;
}

QDateTime utc(long long ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

} // namespace

class TestRecordModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeSpans()
    {
        const TimeSpan a(0, 10);
        QVERIFY(!a.intersects(TimeSpan(10, 20)));
        QVERIFY(!TimeSpan(10, 20).intersects(a));
        QVERIFY(a.intersects(TimeSpan(5, 20)));
        QVERIFY(!a.intersects(TimeSpan(0, 0)));
        QVERIFY(TimeSpan(0, 0).intersects(a));
        QVERIFY(a.contains(a));
        QVERIFY(a.contains(TimeSpan(0, 0)));
        QVERIFY(a.contains(TimeSpan(10, 10)));
        QVERIFY(!a.contains(TimeSpan(0, 11)));
        QVERIFY(!a.contains(TimeSpan(-1, 5)));
        TimeSpan m(5, 10);
        const TimeSpan hull = m.merged(TimeSpan(0, 3));
        QCOMPARE(m.startTimeMSecs(), 5LL);
        m.merge(TimeSpan(0, 3));
        QCOMPARE(m.startTimeMSecs(), 0LL);
        QCOMPARE(m.endTimeMSecs(), 10LL);
        QCOMPARE(hull.startTimeMSecs(), 0LL);
        QCOMPARE(a.shiftedMSecs(5).endTimeMSecs(), 15LL);
        QCOMPARE(TimeSpan(0, 1500).lengthSecs(), 1.5);
    }

    void positionSetters()
    {
        WGS84Position p = at(10, 20);
        p.setLatitude(91);
        QCOMPARE(p.latitude(), 10.0);
        p.setLatitude(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(p.latitude(), 10.0);
        p.setLatitude(-90);
        QCOMPARE(p.latitude(), -90.0);
        p.setLongitude(180.5);
        QCOMPARE(p.longitude(), 20.0);
        WGS84Position fresh;
        QCOMPARE(fresh.latitude(), 0.0);
        QCOMPARE(fresh.elevation(), 0.0);
    }

    void distancesAndAzimuths_data()
    {
        QTest::addColumn<double>("lat1");
        QTest::addColumn<double>("lon1");
        QTest::addColumn<double>("lat2");
        QTest::addColumn<double>("lon2");
        QTest::addColumn<double>("distance");
        QTest::addColumn<double>("azimuth");
        // Computed with /usr/bin/python3 (numpy): geocentric unit vectors,
        // distance = atan2(|a x b|, a . b), azimuth = atan2 of the great-circle
        // direction projected on local east and north. An independent method.
        QTest::newRow("equator") << 0.0 << 0.0 << 0.0 << 10.0 << 10.000000000000002 << 90.0;
        QTest::newRow("Japan-Cape") << 35.0 << 139.0 << -33.9 << 18.4 << 131.65004707263978 << 253.35661026577543;
        QTest::newRow("Alaska") << 64.87 << -147.85 << 61.2 << -149.9 << 3.8006435643339156 << 195.14881383246944;
        QTest::newRow("Chile-Colorado") << -20.5 << -70.2 << 40.0 << -105.0 << 68.3821677503134 << 331.8636366084736;
        QTest::newRow("same meridian") << 45.0 << 0.0 << -45.0 << 0.0 << 89.61515356803615 << 180.0;
        QTest::newRow("dateline") << 10.0 << 170.0 << -10.0 << -170.0 << 28.12017304053929 << 134.37482392229873;
        QTest::newRow("near pole") << 89.0 << 0.0 << -60.0 << 120.0 << 150.32483970356859 << 61.526525796717245;
    }

    void distancesAndAzimuths()
    {
        QFETCH(double, lat1);
        QFETCH(double, lon1);
        QFETCH(double, lat2);
        QFETCH(double, lon2);
        QFETCH(double, distance);
        QFETCH(double, azimuth);
        const WGS84Position a = at(lat1, lon1), b = at(lat2, lon2);
        QVERIFY(std::abs(a.distanceTo(b) - distance) < 1e-9);
        QVERIFY(std::abs(b.distanceTo(a) - distance) < 1e-9);
        const double az = a.azimuthTo(b);
        QVERIFY(std::isfinite(az));
        QVERIFY2(std::abs(az - azimuth) < 1e-7, qPrintable(QString::number(az, 'g', 17)));
    }

    void degenerateGeometryStaysFinite()
    {
        const WGS84Position p = at(47.3, 8.5);
        QCOMPARE(p.distanceTo(p), 0.0);
        QCOMPARE(p.azimuthTo(p), 0.0);
        const WGS84Position q = at(0, 10);
        QVERIFY(std::isfinite(q.azimuthTo(at(0, 0))));
        QCOMPARE(q.azimuthTo(at(0, 0)), 270.0);
        for (double lat = -89.5; lat < 90; lat += 7.25) {
            const WGS84Position r = at(lat, -33.3);
            QVERIFY(std::isfinite(r.distanceTo(r)));
            QVERIFY(std::isfinite(r.azimuthTo(at(lat + 0.25, -33.3))));
        }
    }

    void channelsAndStations()
    {
        Station station;
        station.setNetworkCode("IU");
        station.setNetworkDescription("Global Seismograph Network");
        station.setStationCode("COLA");
        station.setSiteName("College Outpost");
        station.setLatitude(64.87);
        Channel channel(&station);
        QCOMPARE(channel.networkDescription(), QString("?"));
        QCOMPARE(channel.stationCode(), QString("COLA"));
        QCOMPARE(channel.latitude(), 64.87);
        QCOMPARE(channel.siteName(), QString("College Outpost"));

        channel.setChannelCode("LHZ");
        Channel other;
        other.setChannel(&channel);
        QVERIFY(other == channel);
        other.setLocationCode("00");
        QVERIFY(!(other == channel));
        other.setLocationCode("");
        other.setChannelAzimuth(90);
        QVERIFY(other == channel);
    }

    void eventsMatchWithinTenMilliseconds()
    {
        SeismicEvent a, b, c;
        const QDateTime noon(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC);
        a.preferredOrigin()->setDateTime(noon);
        b.preferredOrigin()->setDateTime(noon.addMSecs(9));
        c.preferredOrigin()->setDateTime(noon.addMSecs(10));
        QVERIFY(a == b);
        QVERIFY(b == a);
        QVERIFY(!(a == c));
        QVERIFY(!(c == a));

        // An event without a valid time can't be matched to anything.
        SeismicEvent undated;
        undated.preferredOrigin()->setDateTime(QDateTime());
        QVERIFY(!(undated == a));
        QVERIFY(!(a == undated));
        QVERIFY(!(undated == undated));
    }

    void eventFlagsAndMenu()
    {
        SeismicEvent e;
        QVERIFY(e.isEmpty());
        QCOMPARE(e.eventDescription(), QString("blank event"));
        QCOMPARE(e.preferredOrigin()->dateTime().timeSpec(), Qt::UTC);
        e.preferredOrigin()->setLatitude(12);
        e.preferredMagnitude()->setMag(6.1);
        QVERIFY(e.isEmpty());
        e.enableSelection(true); // nothing linked: harmless
        e.setEventDescription("NEAR COAST OF PERU");
        QVERIFY(!e.isEmpty());

        QMenu menu;
        QAction info(nullptr), select(nullptr), assign(nullptr);
        e.setMenu(&menu);
        e.setMenuActions(&info, &select, &assign);
        e.setEventDescription("Southern Alaska");
        QCOMPARE(menu.title(), QString("Southern Alaska..."));
        e.enableSelection(false);
        e.enableAssignment(false);
        QVERIFY(!select.isEnabled());
        QVERIFY(!assign.isEnabled());
        QVERIFY(info.isEnabled());
    }

    void recordSpanAndGeometry()
    {
        SeismicRecord r;
        QCOMPARE(r.startTimeMSecs(), 4000000000000000LL);
        QCOMPARE(r.endTimeMSecs(), -4000000000000000LL);
        r.addSegment(rampSegment(11, 10.0, 1000)); // 12 samples, 1000..2100
        QCOMPARE(r.startTimeMSecs(), 1000LL);
        QCOMPARE(r.endTimeMSecs(), 2100LL);
        r.addSegment(rampSegment(10, 10.0, 3000));
        QCOMPARE(r.startTimeMSecs(), 1000LL);
        QCOMPARE(r.endTimeMSecs(), 3900LL);

        SeismicEvent e;
        e.preferredOrigin()->setLatitude(0);
        e.preferredOrigin()->setLongitude(0);
        r.setLatitude(0);
        r.setLongitude(10);
        r.setSeismicEvent(&e);
        QVERIFY(std::abs(r.angularDistance() - 10) < 1e-12);
        QVERIFY(std::abs(r.azimuth() - 90) < 1e-12);
        QVERIFY(std::abs(r.backAzimuth() - 270) < 1e-12);
        QVERIFY(std::abs(r.kmDistance() - 10 * 111.19492664455873) < 1e-9);
        r.setSeismicEvent(nullptr);
        QCOMPARE(r.angularDistance(), 0.0);
        QCOMPARE(r.backAzimuth(), 0.0);
        QCOMPARE(r.sampleUnits(), UnknownUnits);
        QCOMPARE(r.fractionMSec(), 0.0);

        Channel c;
        c.setNetworkDescription("known");
        c.setChannelCode("BHZ");
        SeismicRecord fromChannel(&c);
        QCOMPARE(fromChannel.networkDescription(), QString("?"));
        QCOMPARE(fromChannel.channelCode(), QString("BHZ"));
    }

    void picks()
    {
        SeismicRecord r;
        r.addSegment(rampSegment(10, 1.0, 5000));
        r.newPick(new Pick("P", 6000));
        r.newPick(new Pick("Pn", 6100));
        r.newPick(new Pick("P", 7000));
        QCOMPARE(r.pickList().size(), 2);
        QCOMPARE(r.pickList().first()->phaseName(), QString("P"));
        QCOMPARE(r.pickTimeMsec("P"), 7000LL);
        QVERIFY(!r.hasPick("S"));
        QCOMPARE(r.pickTimeMsec("S"), 4999LL);
        r.newPick(new Pick("S", 8000));
        QCOMPARE(r.pickList().last()->phaseName(), QString("S"));
        r.clearPicks();
        QVERIFY(!r.hasPicks());
    }

    void trimCutsAndPadsWithTheLastSample()
    {
        SeismicRecord r;
        r.addSegment(rampSegment(100, 100.0, 0)); // 10 ms, 0..990, values 1..100
        r.trim(utc(95), utc(500));
        QCOMPARE(r.segments().size(), 1);
        const TimeSeries* s = r.segments().first();
        // Samples 10..50 kept (41), padded to 42 with a copy of the last.
        QCOMPARE(s->npts(), 42);
        QCOMPARE(s->startTimeMSecs(), 100LL);
        QCOMPARE(s->endTimeMSecs(), 510LL);
        QCOMPARE(s->samples[0], 11.0);
        QCOMPARE(s->samples[40], 51.0);
        QCOMPARE(s->samples[41], 51.0);
        // The record's span follows what is left.
        QCOMPARE(r.startTimeMSecs(), 100LL);
        QCOMPARE(r.endTimeMSecs(), 510LL);
    }

    void trimOutsideOrAcrossGaps()
    {
        SeismicRecord r;
        r.addSegment(rampSegment(100, 100.0, 0));
        r.trim(utc(0), utc(500)); // not strictly inside: nothing happens
        QCOMPARE(r.segments().first()->npts(), 100);
        r.trim(utc(10), utc(990));
        QCOMPARE(r.segments().first()->npts(), 100);

        SeismicRecord gaps;
        gaps.addSegment(rampSegment(10, 10.0, 0));      // 0..900
        gaps.addSegment(rampSegment(10, 10.0, 5000));   // 5000..5900
        gaps.addSegment(rampSegment(10, 10.0, 10000));  // 10000..10900
        gaps.trim(utc(2000), utc(8000));
        QCOMPARE(gaps.segments().size(), 1);
        QCOMPARE(gaps.segments().first()->startTimeMSecs(), 5000LL);
        QCOMPARE(gaps.startTimeMSecs(), 5000LL);
        QCOMPARE(gaps.endTimeMSecs(), 5900LL);

        SeismicRecord inGap;
        inGap.addSegment(rampSegment(10, 10.0, 0));
        inGap.addSegment(rampSegment(10, 10.0, 5000));
        inGap.trim(utc(1000), utc(2000));
        QVERIFY(inGap.segments().isEmpty());
    }

    void metadataReplyFillsTheRecord()
    {
        SeismicRecord r;
        r.setNetworkCode("IU");
        r.setStationCode("COLA");
        SeismicEvent e;
        e.preferredOrigin()->setLatitude(0);
        e.preferredOrigin()->setLongitude(0);
        r.setSeismicEvent(&e);
        QCOMPARE(r.angularDistance(), 0.0);

        auto* list = new QList<Channel*>;
        auto* first = new Channel;
        first->setLatitude(0);
        first->setLongitude(20);
        first->setSiteName("College Outpost");
        first->setSensorDescription("STS-1");
        first->setChannelDip(-90);
        auto* second = new Channel;
        second->setLatitude(50);
        list->append(first);
        list->append(second);
        r.setChannelMetaData(list); // takes the list over
        QCOMPARE(r.longitude(), 20.0);
        QCOMPARE(r.siteName(), QString("College Outpost"));
        QCOMPARE(r.sensorDescription(), QString("STS-1"));
        QCOMPARE(r.channelDip(), -90.0);
        QCOMPARE(r.networkCode(), QString("IU"));
        QVERIFY(std::abs(r.angularDistance() - 20) < 1e-9);

        r.setChannelMetaData(nullptr);
        r.setChannelMetaData(new QList<Channel*>);
        QCOMPARE(r.longitude(), 20.0);
    }
};

QTEST_MAIN(TestRecordModel)
#include "test_recordmodel.moc"
