// Time ticks, the rulers around the canvas and the scroll area's geometry.
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/tickmarks.h"
#include "canvas/timeruler.h"
#include "canvas/trace.h"
#include "canvas/verticalruler.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"

#include <QComboBox>
#include <QDateTime>
#include <QImage>
#include <QScrollBar>
#include <QtTest>

class TestRulers : public QObject
{
    Q_OBJECT

private slots:
    void timeTicks_data();
    void timeTicks();
    void ticksNeverBeforeTheFirstMajor();
    void relativeTimeLabels();
    void timeRulerPainting();
    void verticalRulerLabelsAndAxis();
    void scrollAreaGeometry();

private:
    static bool inked(const QImage& image, int x, int y);
};

namespace {

long long utc(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

QVector<int> range(int first, int step, int last)
{
    QVector<int> out;
    for (int v = first; v <= last; v += step)
        out << v;
    return out;
}

} // namespace

bool TestRulers::inked(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y).lightness() < 200;
}

void TestRulers::timeTicks_data()
{
    QTest::addColumn<double>("pixelsPerMSec");
    QTest::addColumn<long long>("start");
    QTest::addColumn<long long>("end");
    QTest::addColumn<QVector<int>>("minor");
    QTest::addColumn<QVector<int>>("major");
    QTest::addColumn<QVector<int>>("labels");
    QTest::addColumn<QStringList>("texts");

    // one pixel per second is not more than one: 60 pixels per minute
    QTest::newRow("1 px/s")
        << 0.001 << utc("2019-07-06T12:00:00.000Z") << utc("2019-07-06T12:10:00.000Z")
        << range(60, 15, 585) << range(60, 60, 540) << range(120, 120, 480)
        << QStringList{"12h02m", "12h04m", "12h06m", "12h08m"};
    // exactly 200 px/s takes the second row
    QTest::newRow("200 px/s")
        << 0.2 << utc("2019-07-06T12:00:00.250Z") << utc("2019-07-06T12:00:03.000Z")
        << QVector<int>{150, 190, 230, 270, 310, 350, 390, 430, 470, 510}
        << QVector<int>{150, 350} << QVector<int>{150, 350}
        << QStringList{"00m01s", "00m02s"};
    // labels every 6 hours fall on 00, 06, 12 and 18 h
    QTest::newRow("30 px/h")
        << 30.0 / 3600000.0 << utc("2019-07-06T03:00:00.000Z") << utc("2019-07-07T03:00:00.000Z")
        << QVector<int>() << QVector<int>()
        << QVector<int>{90, 270, 450, 630}
        << QStringList{"6d06h", "6d12h", "6d18h", "7d00h"};
}

void TestRulers::timeTicks()
{
    QFETCH(double, pixelsPerMSec);
    QFETCH(long long, start);
    QFETCH(long long, end);
    QFETCH(QVector<int>, major);
    QFETCH(QVector<int>, labels);
    QFETCH(QStringList, texts);
    // the scroll area takes the canvas as its widget and deletes it
    SeismicScrollArea area(nullptr, new Quakeslate(1, nullptr));
    area.buildTimeTickMarks(pixelsPerMSec, TimeSpan(start, end));
    const TickMarks& ticks = area.timeTickMarks();
    if (QByteArray(QTest::currentDataTag()) != "30 px/h") {
        QFETCH(QVector<int>, minor);
        QCOMPARE(ticks.minorTickMarkLocations, minor);
        QCOMPARE(ticks.majorTickMarkLocations, major);
    } else {
        // 30 minute minor, 1 hour major: the first major tick one hour in
        QCOMPARE(ticks.majorTickMarkLocations.first(), 30);
        QCOMPARE(ticks.majorTickMarkLocations.size(), 23);
        QCOMPARE(ticks.minorTickMarkLocations.first(), 30);
        QCOMPARE(ticks.minorTickMarkLocations.at(1), 45);
    }
    QCOMPARE(ticks.labelLocations, labels);
    QCOMPARE(ticks.labelStrings, texts);

    // rebuilding empties the lists first; an empty span gives none
    area.buildTimeTickMarks(pixelsPerMSec, TimeSpan(40000000000000LL, -40000000000000LL));
    QVERIFY(ticks.minorTickMarkLocations.isEmpty());
    QVERIFY(ticks.labelStrings.isEmpty());
}

void TestRulers::ticksNeverBeforeTheFirstMajor()
{
    // the scroll area takes the canvas as its widget and deletes it
    SeismicScrollArea area(nullptr, new Quakeslate(1, nullptr));
    // a start at 12:00:00.000 has its first major tick at 12:01:00
    area.buildTimeTickMarks(0.001, TimeSpan(utc("2019-07-06T12:00:00.000Z"),
                                            utc("2019-07-06T12:05:00.000Z")));
    QCOMPARE(area.timeTickMarks().majorTickMarkLocations.first(), 60);
    // from 12:00:20 the first major and the first minor tick are both at
    // 12:01:00, 40 s in
    area.buildTimeTickMarks(0.001, TimeSpan(utc("2019-07-06T12:00:20.000Z"),
                                            utc("2019-07-06T12:05:00.000Z")));
    QCOMPARE(area.timeTickMarks().majorTickMarkLocations.first(), 40);
    QCOMPARE(area.timeTickMarks().minorTickMarkLocations.first(), 40);
    // halves of a pixel round away from zero
    area.buildTimeTickMarks(0.0105, TimeSpan(utc("2019-07-06T12:00:00.000Z"),
                                             utc("2019-07-06T12:00:30.000Z")));
    QCOMPARE(area.timeTickMarks().majorTickMarkLocations.first(), 53); // 52.5
}

void TestRulers::relativeTimeLabels()
{
    // the scroll area takes the canvas as its widget and deletes it
    SeismicScrollArea area(nullptr, new Quakeslate(1, nullptr));
    // 15 px/s: labels every 10 s, offsets read as times of 1970-01-01
    area.buildTimeTickMarks(0.015, TimeSpan(-35000, 95000));
    const QStringList labels = area.timeTickMarks().labelStrings;
    QCOMPARE(labels.first(), QStringLiteral("59m30s"));
    QCOMPARE(labels.last(), QStringLiteral("01m30s"));
    QCOMPARE(labels.size(), 13);
    QCOMPARE(area.timeTickMarks().labelLocations.first(), 75); // 5 s after the start
}

void TestRulers::timeRulerPainting()
{
    TickMarks ticks;
    ticks.majorTickMarkLocations = {100, 300};
    ticks.minorTickMarkLocations = {150};
    ticks.labelLocations = {300};
    ticks.labelStrings = QStringList{QStringLiteral("12h05m")};
    QScrollBar bar(Qt::Horizontal);
    bar.setRange(0, 1000);
    bar.setValue(50);

    TimeRuler below;
    below.setTickDirection(TicksFromTop);
    below.setScrollBar(&bar);
    below.setLength(400);
    QCOMPARE(below.size(), QSize(400, 30));
    QImage image(below.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    below.render(&image);
    QVERIFY(!inked(image, 50, 5)); // nothing until the ticks are set
    below.setTickMarks(&ticks);
    image.fill(Qt::white);
    below.render(&image);
    QCOMPARE(image.pixelColor(50, 5), QColor(100, 100, 100)); // major at 100 - 50
    QVERIFY(inked(image, 50, 12) && !inked(image, 50, 15));
    QVERIFY(inked(image, 100, 5) && !inked(image, 100, 9)); // minor at 150 - 50
    bool label = false;
    for (int x = 230; x < 270 && !label; ++x)
        for (int y = 14; y < 28 && !label; ++y)
            label = inked(image, x, y);
    QVERIFY(label);

    TimeRuler above;
    above.setTickDirection(TicksFromBottom);
    above.setScrollBar(&bar);
    above.setLength(400);
    above.setTickMarks(&ticks);
    image.fill(Qt::white);
    above.render(&image);
    QVERIFY(inked(image, 50, 20) && !inked(image, 50, 14));
    QVERIFY(inked(image, 100, 26) && !inked(image, 100, 20));
}

void TestRulers::verticalRulerLabelsAndAxis()
{
    CanvasHarness h;
    for (const char* s : {"ABC", "DEF", "GHI"})
        h.add(makeCanvasRecord(QStringLiteral("XA"), QString::fromLatin1(s), QStringLiteral("00"),
                               QStringLiteral("BHZ"), 1562378400000LL, 6000, 100.0));
    h.canvas->traces().at(1)->hide(true);
    h.canvas->traces().at(2)->select(true);
    VerticalRuler* ruler = h.scrollArea->verticalRuler();
    QImage image(ruler->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    ruler->render(&image);
    const int w = ruler->width();
    const int yFirst = int(h.canvas->traces().at(0)->y());
    const int yHidden = int(h.canvas->traces().at(1)->y());
    const int ySelected = int(h.canvas->traces().at(2)->y());
    // the selected trace's label stands on a filled band
    QCOMPARE(image.pixelColor(2, ySelected), QColor(75, 120, 159));
    QVERIFY(image.pixelColor(2, yFirst) != QColor(75, 120, 159));
    auto rowInk = [&](int y) {
        int n = 0;
        for (int x = 0; x < w; ++x)
            for (int dy = -8; dy <= 3; ++dy)
                if (image.pixelColor(x, y + dy).lightness() < 200)
                    ++n;
        return n;
    };
    QVERIFY(rowInk(yFirst) > 20);
    QCOMPARE(rowInk(yHidden), 0);
    // the text ends 3 pixels from the right edge
    bool nearEnd = false;
    for (int x = w - 12; x < w - 2 && !nearEnd; ++x)
        for (int dy = -8; dy <= 3 && !nearEnd; ++dy)
            nearEnd = image.pixelColor(x, yFirst + dy).lightness() < 200;
    QVERIFY(nearEnd);

    // the record section shows its axis instead of trace labels
    h.canvas->traces().at(0)->seismicRecord()->setAngularDistance(10);
    h.canvas->traces().at(2)->seismicRecord()->setAngularDistance(20);
    h.canvas->setCanvasLayout(RecordSection);
    image.fill(Qt::white);
    ruler->render(&image);
    const TickMarks& ticks = h.canvas->verticalTickMarks();
    QVERIFY(!ticks.majorTickMarkLocations.isEmpty());
    const int major = ticks.majorTickMarkLocations.at(1);
    QVERIFY(inked(image, w - 25, major));
    QVERIFY(image.pixelColor(2, int(h.canvas->traces().last()->y())) != QColor(75, 120, 159));
}

void TestRulers::scrollAreaGeometry()
{
    CanvasHarness h(QSize(900, 600));
    SeismicScrollArea* area = h.scrollArea;
    VerticalRuler* ruler = area->verticalRuler();
    QFont font = ruler->font();
    font.setPointSize(12);
    const int rulerWidth = QFontMetrics(font).horizontalAdvance(QStringLiteral("WW:WWWW:00:WWW")) + 2;
    QCOMPARE(ruler->width(), rulerWidth);
    QComboBox* combo = area->recordSectionVariableComboBox();
    QCOMPARE(combo->count(), 4);
    QCOMPARE(combo->itemText(1), QStringLiteral("Distance (km)"));
    QCOMPARE(combo->pos(), QPoint(2, 6));
    QVERIFY(combo->isHidden());
    QCOMPARE(area->viewport()->palette().color(QPalette::Window), QColor(Qt::gray));
    QCOMPARE(area->widget(), h.canvas);

    for (QSize size : {QSize(900, 600), QSize(700, 800)}) {
        h.window.resize(size);
        QApplication::processEvents();
        const QRect view = area->viewport()->geometry();
        QCOMPARE(view.left(), area->frameWidth() + rulerWidth);
        QCOMPARE(area->upperTimeRuler()->width(), view.width());
        QCOMPARE(area->lowerTimeRuler()->width(), view.width());
        QCOMPARE(area->lowerTimeRuler()->y(), view.y() + view.height());
        QCOMPARE(area->upperTimeRuler()->pos(), QPoint(rulerWidth, area->frameWidth()));
        QCOMPARE(ruler->height(), view.height());
        QCOMPARE(ruler->y(), view.y());
    }
    QCOMPARE(area->upperTimeRuler()->tickDirection(), TicksFromBottom);
    QCOMPARE(area->lowerTimeRuler()->tickDirection(), TicksFromTop);
}

QTEST_MAIN(TestRulers)
#include "test_rulers.moc"
