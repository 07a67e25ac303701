// Layout, alignment, sorting and gains of the canvas, with the numbers of
// the worked examples.
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "canvas/traceorder.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QtTest>

#include <algorithm>
#include <cmath>

class TestCanvasLayout : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { stopModalWatchers(); }
    void channelOrder();
    void tiesAndStableOrder();
    void listLayout();
    void recordSectionRange_data();
    void recordSectionRange();
    void recordSectionPositionsAndTicks();
    void tickLabels();
    void alignmentOnPicksWarnsUntilToldNot();
    void alignmentOnOriginsUtcAndDataStart();
    void timeModes();
    void layoutSwitches();
    void arrangingAndFlipping();
    void gains();
};

namespace {

const long long t0 = 1562378400000LL; // 2019-07-06 02:00:00 UTC
const double kmPerDegree = 6371.0 * 3.141592653589793 / 180.0;

SeismicRecord* record(const QString& station, const QString& channel,
                      const QString& location = QStringLiteral("00"), long long start = t0,
                      int npts = 6000)
{
    return makeCanvasRecord(QStringLiteral("XA"), station, location, channel, start, npts, 100.0);
}

QStringList channels(const QList<Trace*>& traces)
{
    QStringList out;
    for (const Trace* t : traces)
        out << t->seismicRecord()->locationCode() + QLatin1Char('.')
                   + t->seismicRecord()->channelCode();
    return out;
}

QStringList stations(const QList<Trace*>& traces)
{
    QStringList out;
    for (const Trace* t : traces)
        out << t->seismicRecord()->stationCode();
    return out;
}

QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

void TestCanvasLayout::channelOrder()
{
    CanvasHarness h;
    for (const char* c : {"BH2", "BHE", "BH1", "BHZ", "BHN"})
        h.add(record(QStringLiteral("AAA"), QString::fromLatin1(c)));
    QList<Trace*> traces = h.canvas->traces();
    std::stable_sort(traces.begin(), traces.end(), compareChannelsAscending);
    QCOMPARE(channels(traces), (QStringList{"00.BHZ", "00.BHN", "00.BHE", "00.BH1", "00.BH2"}));
    std::stable_sort(traces.begin(), traces.end(), compareChannelsDescending);
    QCOMPARE(channels(traces), (QStringList{"00.BHE", "00.BHN", "00.BHZ", "00.BH2", "00.BH1"}));

    // the location decides first, whatever the channels
    CanvasHarness l;
    l.add(record(QStringLiteral("AAA"), QStringLiteral("BHZ"), QStringLiteral("10")));
    l.add(record(QStringLiteral("AAA"), QStringLiteral("LHE"), QStringLiteral("00")));
    l.add(record(QStringLiteral("AAA"), QStringLiteral("BHE"), QStringLiteral("10")));
    traces = l.canvas->traces();
    std::stable_sort(traces.begin(), traces.end(), compareChannelsAscending);
    QCOMPARE(channels(traces), (QStringList{"00.LHE", "10.BHZ", "10.BHE"}));
    std::stable_sort(traces.begin(), traces.end(), compareChannelsDescending);
    QCOMPARE(channels(traces), (QStringList{"10.BHE", "10.BHZ", "00.LHE"}));
}

void TestCanvasLayout::tiesAndStableOrder()
{
    CanvasHarness h;
    SeismicRecord* far = h.add(record(QStringLiteral("BBB"), QStringLiteral("BHZ")));
    SeismicRecord* near = h.add(record(QStringLiteral("AAA"), QStringLiteral("BHZ")));
    SeismicRecord* nearN = h.add(record(QStringLiteral("AAA"), QStringLiteral("BHN")));
    SeismicRecord* middle = h.add(record(QStringLiteral("CCC"), QStringLiteral("BHZ")));
    far->setAngularDistance(10.000005);
    near->setAngularDistance(10.0);
    nearN->setAngularDistance(10.000009);
    middle->setAngularDistance(5.0);
    h.canvas->sortTracesBy(ByDistance);
    // within 0.00001 degrees: station codes, then the channel order
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"CCC", "AAA", "AAA", "BBB"}));
    QCOMPARE(h.canvas->traces().at(1)->seismicRecord(), near);
    QCOMPARE(h.canvas->traces().at(2)->seismicRecord(), nearN);

    // equal azimuths: the channel order alone, station codes ignored
    far->setAzimuth(45.0);
    nearN->setAzimuth(45.000003);
    near->setAzimuth(90.0);
    middle->setAzimuth(10.0);
    h.canvas->sortTracesBy(ByAzimuth);
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"CCC", "BBB", "AAA", "AAA"}));
    QCOMPARE(h.canvas->traces().at(2)->seismicRecord(), nearN);
    h.canvas->verticalAxisFlipped_ = true;
    h.canvas->sortTracesBy(ByAzimuth);
    QCOMPARE(h.canvas->traces().at(0)->seismicRecord(), near);
    QCOMPARE(h.canvas->traces().at(3)->seismicRecord(), middle);
    h.canvas->verticalAxisFlipped_ = false;

    // traces nothing tells apart keep the order they were in
    CanvasHarness same;
    for (int i = 0; i < 40; ++i)
        same.add(record(QStringLiteral("SSS"), QStringLiteral("BHZ")));
    for (SeismicRecord* r : same.records)
        r->setAngularDistance(12.0);
    same.canvas->sortTracesBy(ByDistance);
    same.canvas->sortTracesBy(ByStationName);
    for (int i = 0; i < 40; ++i)
        QCOMPARE(same.canvas->traces().at(i)->serialNumber(), i + 1);
    // a criterion out of range does nothing
    same.canvas->sortTracesBy(SortCriterion(7));
    QCOMPARE(same.canvas->traces().at(0)->serialNumber(), 1);
}

void TestCanvasLayout::listLayout()
{
    CanvasHarness h;
    for (const char* s : {"AAA", "BBB", "CCC", "DDD"})
        h.add(record(QString::fromLatin1(s), QStringLiteral("BHZ")));
    h.canvas->resize(h.canvas->width(), 420);
    h.canvas->traces().at(1)->hide(true);
    h.canvas->hiddenTraceCount_ = 1;
    h.canvas->layoutTraces();
    const QList<Trace*>& t = h.canvas->traces();
    // 400 / 3 = 133 per row
    QCOMPARE(t.at(0)->y(), 76.0);
    QCOMPARE(t.at(2)->y(), 209.0);
    QCOMPARE(t.at(3)->y(), 342.0);
    const TimeSpan span = h.canvas->timeSpan();
    QCOMPARE(t.at(0)->x(), double(t0 - span.startTimeMSecs()) * h.canvas->pixelsPerMSec());

    // a pinned trace keeps its y but still uses up its row
    t.at(2)->setY(300.0);
    t.at(2)->pinY(true);
    h.canvas->layoutTraces();
    QCOMPARE(t.at(2)->y(), 300.0);
    QCOMPARE(t.at(3)->y(), 342.0);
}

void TestCanvasLayout::recordSectionRange_data()
{
    QTest::addColumn<int>("variable");
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("31.2 to 47.9 deg") << 0 << QVector<double>{31.2, 40.0, 47.9} << 30.0 << 50.0;
    QTest::newRow("top 45 deg") << 0 << QVector<double>{31.2, 45.0} << 30.0 << 50.0;
    QTest::newRow("0.5 to 3 deg") << 0 << QVector<double>{0.5, 3.0} << 0.0 << 4.0;
    QTest::newRow("180 deg") << 0 << QVector<double>{20.0, 180.0} << 0.0 << 210.0;
    QTest::newRow("negative skipped") << 0 << QVector<double>{-1.0, 31.2, 47.9} << 30.0 << 50.0;
    QTest::newRow("none usable") << 0 << QVector<double>{-1.0, -2.0} << 0.0 << 1.0;
    QTest::newRow("350 to 2900 km") << 1 << QVector<double>{350.0, 2900.0} << 0.0 << 3000.0;
    QTest::newRow("azimuth 10 to 250") << 2 << QVector<double>{10.0, 250.0} << 0.0 << 360.0;
    QTest::newRow("azimuth 100 to 150") << 2 << QVector<double>{100.0, 150.0} << 100.0 << 160.0;
    QTest::newRow("azimuth 95 to 155") << 2 << QVector<double>{95.0, 155.0} << 90.0 << 160.0;
    QTest::newRow("azimuth 95 to 156") << 2 << QVector<double>{95.0, 156.0} << 90.0 << 180.0;
    QTest::newRow("azimuth up to 360") << 2 << QVector<double>{200.0, 360.0} << 180.0 << 360.0;
    QTest::newRow("back azimuth") << 3 << QVector<double>{100.0, 150.0} << 100.0 << 160.0;
}

void TestCanvasLayout::recordSectionRange()
{
    QFETCH(int, variable);
    QFETCH(QVector<double>, values);
    QFETCH(double, low);
    QFETCH(double, high);
    CanvasHarness h;
    for (double v : values) {
        SeismicRecord* r = h.add(record(QStringLiteral("S%1").arg(v), QStringLiteral("BHZ")));
        if (variable == 0)
            r->setAngularDistance(v);
        else if (variable == 1)
            r->setAngularDistance(v / kmPerDegree);
        else if (variable == 2)
            r->setAzimuth(v);
        else
            r->setBackAzimuth(v);
    }
    h.canvas->setCanvasLayout(RecordSection);
    h.canvas->setRecordSectionVariable(RecordSectionVariable(variable));
    QCOMPARE(h.canvas->sectionMinimum(), low);
    QCOMPARE(h.canvas->sectionMaximum(), high);
    QVERIFY(h.canvas->sectionPixelsPerUnit() > 0.0);
}

void TestCanvasLayout::recordSectionPositionsAndTicks()
{
    CanvasHarness h(QSize(1000, 900));
    const QVector<double> distances{0.5, 1.2, 3.0, 2.2};
    for (double d : distances)
        h.add(record(QStringLiteral("S%1").arg(d), QStringLiteral("BHZ")))->setAngularDistance(d);
    h.canvas->setCanvasLayout(RecordSection);
    QCOMPARE(h.canvas->sectionMinimum(), 0.0);
    QCOMPARE(h.canvas->sectionMaximum(), 4.0);
    int tallest = 0;
    for (const Trace* t : h.canvas->traces())
        tallest = std::max(tallest, t->height());
    QVERIFY(tallest > 0);
    const double u = h.canvas->sectionPixelsPerUnit();
    QCOMPARE(u, double(h.canvas->height() - tallest - 20) / 4.0);
    QCOMPARE(h.canvas->sectionOffset(), double(tallest / 2 + 10));
    // sorted by distance, larger distances higher up
    double previousY = 1e9;
    for (const Trace* t : h.canvas->traces()) {
        const double d = t->seismicRecord()->angularDistance();
        QCOMPARE(t->y(), (4.0 - d) * u + h.canvas->sectionOffset());
        QVERIFY(t->y() < previousY);
        previousY = t->y();
    }
    // 50 pixels are less than a degree here: minor ticks every 0.1 degree,
    // major every 0.5, labels every degree
    QVERIFY(50.0 / u < 1.0);
    const TickMarks& ticks = h.canvas->verticalTickMarks();
    int minors = 0;
    for (double v = 0.0; v <= 4.0; v += 0.1)
        ++minors;
    QCOMPARE(ticks.minorTickMarkLocations.size(), minors);
    QCOMPARE(ticks.majorTickMarkLocations.size(), 9);
    QCOMPARE(ticks.labelStrings,
             (QStringList{QStringLiteral("0\u00b0"), QStringLiteral("1\u00b0"),
                          QStringLiteral("2\u00b0"), QStringLiteral("3\u00b0"),
                          QStringLiteral("4\u00b0")}));
    QCOMPARE(ticks.labelLocations.first(), int(std::lround(4.0 * u + h.canvas->sectionOffset())));
    QCOMPARE(ticks.labelLocations.last(), int(std::lround(h.canvas->sectionOffset())));

    // flipped: smaller distances higher up, ticks reversed by the same rule
    h.canvas->flipVerticalAxis(true);
    for (const Trace* t : h.canvas->traces())
        QCOMPARE(t->y(), (t->seismicRecord()->angularDistance() - 0.0) * u
                             + h.canvas->sectionOffset());
    QCOMPARE(ticks.labelLocations.first(), int(std::lround(h.canvas->sectionOffset())));
}

void TestCanvasLayout::tickLabels()
{
    CanvasHarness h;
    for (double km : {350.0, 2900.0, 1200.0})
        h.add(record(QStringLiteral("K%1").arg(km), QStringLiteral("BHZ")))
            ->setAngularDistance(km / kmPerDegree);
    h.canvas->setCanvasLayout(RecordSection);
    h.canvas->setRecordSectionVariable(KmDistanceVariable);
    const TickMarks& ticks = h.canvas->verticalTickMarks();
    QVERIFY(!ticks.labelStrings.isEmpty());
    QVERIFY2(ticks.labelStrings.contains(QStringLiteral("1000 km")),
             qPrintable(ticks.labelStrings.join(QLatin1Char('|'))));
    for (const QString& label : ticks.labelStrings)
        QVERIFY(label.endsWith(QStringLiteral(" km")));

    h.canvas->setRecordSectionVariable(AzimuthVariable);
    for (const QString& label : ticks.labelStrings)
        QVERIFY(label.endsWith(QChar(0x00B0)));

    // the seismogram list has no value axis: the ruler shows trace labels
    h.canvas->setCanvasLayout(SeismogramList);
    QVERIFY(ticks.minorTickMarkLocations.isEmpty());
    QVERIFY(ticks.majorTickMarkLocations.isEmpty());
    QVERIFY(ticks.labelLocations.isEmpty());
    QVERIFY(ticks.labelStrings.isEmpty());
}

void TestCanvasLayout::alignmentOnPicksWarnsUntilToldNot()
{
    CanvasHarness h;
    h.canvas->setTime(RelativeTime);
    for (int i = 0; i < 5; ++i) {
        SeismicRecord* r = h.add(record(QStringLiteral("S%1").arg(i), QStringLiteral("BHZ"),
                                        QStringLiteral("00"), t0 + i * 7000));
        if (i != 1 && i != 3) {
            r->newPick(new Pick(QStringLiteral("P"), t0 + i * 7000 + 25000 + i * 100));
            r->newPick(new Pick(QStringLiteral("P diff"), t0 + i * 7000 + 40000));
        }
    }
    QAction picks(QStringLiteral("P picks"), h.canvas);
    picks.setData(QStringLiteral("pick"));
    connect(&picks, &QAction::triggered, h.canvas, &Quakeslate::alignTraces);

    QVERIFY(Quakeslate::showAlignmentWarnings_);
    QString shownWarning;
    auto cancelled = whenModalAppears([&shownWarning](QWidget* w) {
        shownWarning = w->findChild<QLabel*>(QStringLiteral("warningLabel"))->text();
        w->findChild<QCheckBox*>(QStringLiteral("dontShowAgainCheckBox"))->setChecked(true);
        static_cast<QDialog*>(w)->reject();
    });
    picks.trigger();
    QVERIFY(*cancelled);
    QCOMPARE(shownWarning,
             QStringLiteral("<html><head/><body><p><b>Some traces are missing phase picks<br>"
                            "needed for this alignment</span></p></body></html>"));
    QVERIFY(Quakeslate::showAlignmentWarnings_); // Cancel keeps asking
    const QList<Trace*>& t = h.canvas->traces();
    for (int i = 0; i < 5; ++i) {
        const bool lacking = i == 1 || i == 3;
        QCOMPARE(t.at(i)->warning(), lacking);
        QCOMPARE(t.at(i)->alignmentTime(),
                 lacking ? t.at(i)->startTimeMSecs() : t0 + i * 7000 + 25000 + i * 100);
    }
    QCOMPARE(h.canvas->drawMode(), 3);
    const TimeSpan hull = h.canvas->tracesTimeSpan();
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(),
             hull.startTimeMSecs() - hull.lengthMSecs() * 2 / 100);

    auto ticked = answerWarningDialog(true, true);
    picks.trigger();
    QVERIFY(*ticked);
    QVERIFY(!Quakeslate::showAlignmentWarnings_);
    auto never = answerWarningDialog(false, true);
    picks.trigger();
    stopModalWatchers();
    QVERIFY(!*never);

    // a phase name with a blank inside
    QAction diff(QStringLiteral("P diff picks"), h.canvas);
    diff.setData(QStringLiteral("pick"));
    connect(&diff, &QAction::triggered, h.canvas, &Quakeslate::alignTraces);
    diff.trigger();
    QCOMPARE(t.at(0)->alignmentTime(), t0 + 40000);
    QVERIFY(t.at(1)->warning());
    Quakeslate::showAlignmentWarnings_ = true;

    // not an action: nothing happens
    const long long before = t.at(0)->alignmentTime();
    h.canvas->alignTraces();
    QCOMPARE(t.at(0)->alignmentTime(), before);
}

void TestCanvasLayout::alignmentOnOriginsUtcAndDataStart()
{
    CanvasHarness h;
    auto* quake = new SeismicEvent;
    quake->preferredOrigin()->setDateTime(QDateTime::fromMSecsSinceEpoch(t0 - 60000, Qt::UTC));
    h.events << quake;
    SeismicRecord* a = h.add(record(QStringLiteral("AAA"), QStringLiteral("BHZ"),
                                    QStringLiteral("00"), t0 + 20000));
    h.add(record(QStringLiteral("BBB"), QStringLiteral("BHZ"), QStringLiteral("00"), t0 + 5000));
    a->setSeismicEvent(quake);
    h.canvas->setTime(RelativeTime);
    QAction* origin = findAction(h.canvas->alignMenu(), QStringLiteral("Event Origin Time"));
    QAction* utc = findAction(h.canvas->alignMenu(), QStringLiteral("Coordinated Universal Time (UTC)"));
    QAction* start = findAction(h.canvas->alignMenu(), QStringLiteral("Data Start Time"));
    QVERIFY(origin && utc && start);
    const QList<Trace*>& t = h.canvas->traces();
    t.at(0)->pinX(true);

    QString shownWarning;
    auto answered = whenModalAppears([&shownWarning](QWidget* w) {
        shownWarning = w->findChild<QLabel*>(QStringLiteral("warningLabel"))->text();
        static_cast<QDialog*>(w)->accept();
    });
    origin->trigger();
    QVERIFY(*answered);
    QVERIFY(shownWarning.contains(QStringLiteral("missing event or station information")));
    QCOMPARE(t.at(0)->alignmentTime(), t0 - 60000);
    QVERIFY(!t.at(0)->warning());
    QVERIFY(!t.at(0)->pinnedX());
    QCOMPARE(t.at(1)->alignmentTime(), t0 + 5000);
    QVERIFY(t.at(1)->warning());
    QCOMPARE(t.at(0)->x(),
             double(t.at(0)->alignedTimeSpan().startTimeMSecs() - h.canvas->timeSpan().startTimeMSecs())
                 * h.canvas->pixelsPerMSec());

    utc->trigger();
    for (const Trace* trace : t) {
        QCOMPARE(trace->alignmentTime(), t0 + 5000);
        QVERIFY(!trace->warning());
    }
    start->trigger();
    for (const Trace* trace : t)
        QCOMPARE(trace->alignmentTime(), trace->startTimeMSecs());
}

void TestCanvasLayout::timeModes()
{
    CanvasHarness empty;
    empty.canvas->setTime(RelativeTime);
    QCOMPARE(empty.log->times, QList<CanvasTime>{RelativeTime});
    QCOMPARE(empty.canvas->drawMode(), 3);
    empty.canvas->setTime(RelativeTime);
    QCOMPARE(empty.log->times.size(), 1);

    CanvasHarness h;
    h.add(record(QStringLiteral("AAA"), QStringLiteral("BHZ"), QStringLiteral("00"), t0 + 3000));
    h.add(record(QStringLiteral("BBB"), QStringLiteral("BHZ"), QStringLiteral("00"), t0));
    h.canvas->setTime(RelativeTime);
    QVERIFY(h.canvas->alignMenu()->isEnabled());
    for (const Trace* trace : h.canvas->traces())
        QCOMPARE(trace->alignmentTime(), t0);
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), -1259LL); // 62.99 s hull, 2 % margins
    h.canvas->setTime(UTCTime);
    QVERIFY(!h.canvas->alignMenu()->isEnabled());
    QCOMPARE(h.canvas->drawMode(), 1);
    for (const Trace* trace : h.canvas->traces())
        QCOMPARE(trace->alignmentTime(), 0LL);
    QCOMPARE(h.log->times, (QList<CanvasTime>{RelativeTime, UTCTime}));
}

void TestCanvasLayout::layoutSwitches()
{
    CanvasHarness h;
    for (double d : {20.0, 10.0, 30.0})
        h.add(record(QStringLiteral("D%1").arg(d), QStringLiteral("BHZ")))->setAngularDistance(d);
    h.canvas->traces().at(0)->pinY(true);
    QComboBox* combo = h.scrollArea->recordSectionVariableComboBox();
    combo->setCurrentIndex(2);
    QVERIFY(combo->isHidden());

    h.canvas->setCanvasLayout(RecordSection);
    QCOMPARE(h.log->layouts, QList<CanvasLayout>{RecordSection});
    QVERIFY(!combo->isHidden());
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(h.canvas->recordSectionVariable(), AngularDistanceVariable);
    QCOMPARE(h.canvas->drawMode(), 0);
    QVERIFY(!h.canvas->arrangeMenu()->isEnabled());
    for (const Trace* t : h.canvas->traces())
        QVERIFY(!t->pinnedY());
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"D10", "D20", "D30"}));

    // the combo box drives the variable
    combo->setCurrentIndex(2);
    QCOMPARE(h.canvas->recordSectionVariable(), AzimuthVariable);

    // the measure tool's cursor follows the layout
    h.canvas->cursorMode_ = MeasureMode;
    h.canvas->setCanvasLayout(SeismogramList);
    QCOMPARE(h.canvas->cursor().pixmap().toImage(), h.canvas->measureCursor_->pixmap().toImage());
    QVERIFY(combo->isHidden());
    QCOMPARE(h.canvas->drawMode(), 1);
    QVERIFY(h.canvas->arrangeMenu()->isEnabled());
    h.canvas->setTime(RelativeTime);
    h.canvas->setCanvasLayout(RecordSection);
    QCOMPARE(h.canvas->cursor().pixmap().toImage(),
             h.canvas->crosshairCursor_->pixmap().toImage());
    QCOMPARE(h.canvas->drawMode(), 2);

    // the same layout again only reports it
    h.canvas->setCanvasLayout(RecordSection);
    QCOMPARE(h.log->layouts.size(), 4);
    QCOMPARE(h.log->layouts.last(), RecordSection);

    // values outside the enumerations change nothing
    h.canvas->setCanvasLayout(CanvasLayout(5));
    h.canvas->setTime(CanvasTime(-1));
    h.canvas->setRecordSectionVariable(RecordSectionVariable(9));
    QCOMPARE(h.canvas->canvasLayout(), RecordSection);
    QCOMPARE(h.canvas->canvasTime(), RelativeTime);
    QCOMPARE(h.canvas->recordSectionVariable(), AngularDistanceVariable);
    QCOMPARE(h.log->layouts.size(), 4);
}

void TestCanvasLayout::arrangingAndFlipping()
{
    CanvasHarness h;
    for (const char* s : {"CCC", "AAA", "BBB"})
        h.add(record(QString::fromLatin1(s), QStringLiteral("BHZ")));
    h.canvas->traces().at(0)->pinY(true);
    QAction* byName = findAction(h.canvas->arrangeMenu(), QStringLiteral("Station Name"));
    QVERIFY(byName);
    byName->trigger();
    QCOMPARE(h.canvas->sortCriterion(), ByStationName);
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"AAA", "BBB", "CCC"}));
    for (const Trace* t : h.canvas->traces())
        QVERIFY(!t->pinnedY());
    QVERIFY(h.canvas->traces().at(0)->y() < h.canvas->traces().at(1)->y());

    h.canvas->flipVerticalAxis(true);
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"CCC", "BBB", "AAA"}));
    h.canvas->flipVerticalAxis(true); // no change, nothing happens
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"CCC", "BBB", "AAA"}));

    findAction(h.canvas->arrangeMenu(), QStringLiteral("Order Added"))->trigger();
    QCOMPARE(h.canvas->sortCriterion(), ByOrderAdded);
    QCOMPARE(stations(h.canvas->traces()), (QStringList{"BBB", "AAA", "CCC"})); // descending
    h.canvas->arrangeTraces(); // not from an action
    QCOMPARE(h.canvas->sortCriterion(), ByOrderAdded);
}

void TestCanvasLayout::gains()
{
    CanvasHarness h;
    h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("AAA"), QString(),
                           QStringLiteral("BHZ"), t0, 4, 100.0,
                           [](int k) { return QVector<double>{-200, 50, 0, 10}.at(k); }));
    h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("BBB"), QString(),
                           QStringLiteral("BHZ"), t0, 4, 100.0,
                           [](int k) { return QVector<double>{-20, 300, 0, 10}.at(k); }));
    const int row = (h.canvas->height() - 20) / 2;
    h.canvas->equalizeAllGains();
    for (const Trace* t : h.canvas->traces())
        QCOMPARE(t->gain(), row / 600.0);
    h.canvas->equalizeAllAmplitudes();
    for (const Trace* t : h.canvas->traces()) {
        const double s = std::max(t->maximum() - t->mean(), std::fabs(t->minimum() - t->mean()));
        QCOMPARE(t->gain(), row / (2.0 * s));
    }

    // only positive samples: the lowest value counts as 0
    CanvasHarness p;
    p.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("AAA"), QString(),
                           QStringLiteral("BHZ"), t0, 4, 100.0, [](int k) { return 10.0 + k; }));
    p.canvas->equalizeAllGains();
    QCOMPARE(p.canvas->traces().at(0)->gain(), (p.canvas->height() - 20) / 26.0);

    // all zero and flat: finite, positive gains in both modes
    CanvasHarness z;
    z.canvas->showingTrueRelativeAmplitudes_ = true;
    z.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("ZZZ"), QString(),
                           QStringLiteral("BHZ"), t0, 100, 100.0, [](int) { return 0.0; }));
    z.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("FLT"), QString(),
                           QStringLiteral("BHZ"), t0, 100, 100.0, [](int) { return 0.0; }));
    for (const Trace* t : z.canvas->traces())
        QVERIFY(std::isfinite(t->gain()) && t->gain() > 0.0);
    z.canvas->showingTrueRelativeAmplitudes_ = false;
    z.canvas->equalizeAllAmplitudes();
    for (const Trace* t : z.canvas->traces())
        QVERIFY(std::isfinite(t->gain()) && t->gain() > 0.0);

    // a canvas lower than its margins still gives every trace a gain
    h.canvas->resize(h.canvas->width(), 12);
    h.canvas->equalizeAllAmplitudes();
    h.canvas->equalizeAllGains();
    for (const Trace* t : h.canvas->traces())
        QVERIFY(std::isfinite(t->gain()) && t->gain() > 0.0);
}

QTEST_MAIN(TestCanvasLayout)
#include "test_canvaslayout.moc"
