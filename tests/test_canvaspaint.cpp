// What the canvas paints: frame, traces with their lead-in lines, warning
// marks, picks and the measurement read-out; and screenshots of a list and a
// record section for a person to look at.
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"

#include <QDir>
#include <QImage>
#include <QtTest>

#include <cmath>

class TestCanvasPaint : public QObject
{
    Q_OBJECT

private slots:
    void frameAndLeadInLines();
    void warningMarksAndPicks();
    void measurementReadout();
    void screenshots();

private:
    static QImage render(Quakeslate* canvas);
};

namespace {

const long long t0 = 1562383200000LL; // 2019-07-06 03:20:00 UTC

bool blue(const QColor& c)
{
    return c.blue() > 180 && c.red() < 120 && c.green() < 120;
}

int countBlue(const QImage& image, const QRect& area)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (blue(image.pixelColor(x, y)))
                ++n;
    return n;
}

// A seismogram as a station at distance d degrees records a quake: noise,
// then a P and a larger S arrival, decaying.
SeismicRecord* quakeRecord(const QString& station, const QString& channel, double d,
                           long long origin, double amplitude)
{
    const double pTime = 8.0 * d; // seconds after the origin, roughly
    const double sTime = 14.0 * d;
    const long long start = origin + 60000;
    auto* record = makeCanvasRecord(
        QStringLiteral("IU"), station, QStringLiteral("00"), channel, start, 24000, 20.0,
        [=](int k) {
            const double t = 60.0 + k / 20.0;
            double v = 3.0 * std::sin(k * 1.7) + 2.0 * std::sin(k * 0.31);
            if (t > pTime)
                v += amplitude * std::exp(-(t - pTime) / 40.0) * std::sin(6.0 * (t - pTime));
            if (t > sTime)
                v += 2.5 * amplitude * std::exp(-(t - sTime) / 90.0)
                     * std::sin(2.2 * (t - sTime));
            return v;
        });
    record->setAngularDistance(d);
    record->setAzimuth(20.0 * d);
    record->newPick(new Pick(QStringLiteral("P"), origin + (long long)(pTime * 1000.0)));
    return record;
}

} // namespace

QImage TestCanvasPaint::render(Quakeslate* canvas)
{
    QImage image(canvas->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    canvas->render(&image);
    return image;
}

void TestCanvasPaint::frameAndLeadInLines()
{
    CanvasHarness h;
    h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("AAA"), QStringLiteral("00"),
                           QStringLiteral("BHZ"), t0 + 30000, 6000, 100.0));
    h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("BBB"), QStringLiteral("00"),
                           QStringLiteral("BHZ"), t0, 12000, 100.0));
    h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("CCC"), QStringLiteral("00"),
                           QStringLiteral("BHZ"), t0 + 50000, 6000, 100.0));
    h.canvas->traces().at(2)->hide(true);
    const QImage image = render(h.canvas);
    const int w = h.canvas->width();
    const int hh = h.canvas->height();
    // left and top edges in gray, right and bottom in dark gray, 3 wide
    for (int x : {0, 1, 2})
        QCOMPARE(image.pixelColor(x, hh / 2), QColor(Qt::gray));
    QCOMPARE(image.pixelColor(w / 2, 1), QColor(Qt::gray));
    QCOMPARE(image.pixelColor(w - 1, hh / 2), QColor(Qt::darkGray));
    QCOMPARE(image.pixelColor(w - 2, hh / 2), QColor(Qt::darkGray));
    QCOMPARE(image.pixelColor(w / 2, hh - 1), QColor(Qt::darkGray));
    QCOMPARE(image.pixelColor(w / 2, hh - 3), QColor(Qt::white));

    // the lead-in line runs along the baseline up to the first sample
    const Trace* late = h.canvas->traces().at(0);
    const int x = int(late->x());
    const int y = int(late->y());
    QVERIFY(x > 40);
    QCOMPARE(image.pixelColor(x / 2, y), QColor(237, 237, 237));
    QCOMPARE(image.pixelColor(x / 2, y - 3), QColor(Qt::white));
    // a hidden trace draws nothing, not even its lead-in line
    const Trace* hidden = h.canvas->traces().at(2);
    QCOMPARE(image.pixelColor(int(hidden->x()) / 2, int(hidden->y())), QColor(Qt::white));
    bool ink = false;
    for (int dy = -20; dy <= 20 && !ink; ++dy)
        ink = image.pixelColor(int(hidden->x()) + 100, int(hidden->y()) + dy) != QColor(Qt::white);
    QVERIFY(!ink);
    // the black trace itself
    ink = false;
    for (int dy = -40; dy <= 40 && !ink; ++dy)
        ink = image.pixelColor(x + 300, y + dy) == QColor(Qt::black);
    QVERIFY(ink);
}

void TestCanvasPaint::warningMarksAndPicks()
{
    CanvasHarness h;
    SeismicRecord* r = h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("AAA"),
                                              QStringLiteral("00"), QStringLiteral("BHZ"), t0,
                                              6000, 100.0));
    r->newPick(new Pick(QStringLiteral("Pn"), t0 + 30000));
    Trace* trace = h.canvas->traces().at(0);
    trace->setWarning(true);
    QImage image = render(h.canvas);
    const QImage mark = QImage(QStringLiteral(":/images/warning-16.png"))
                            .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(mark.size(), QSize(16, 16));
    // the painter stands at the trace's position, which the raster engine
    // rounds to whole pixels
    const int x = qRound(trace->x());
    const int y = qRound(trace->y());
    int exact = 0;
    for (int my = 0; my < 16; ++my)
        for (int mx = 2; mx < 16; ++mx)
            if (qAlpha(mark.pixel(mx, my)) == 255) {
                QCOMPARE(image.pixel(x + mx, y - 8 + my), mark.pixel(mx, my));
                ++exact;
            }
    QVERIFY(exact > 30);

    // the pick: a red line through the middle two thirds of the trace
    const int px = int(trace->x() + 30000 * h.canvas->pixelsPerMSec());
    const QRect box = trace->selectionRect();
    QCOMPARE(image.pixelColor(px, box.center().y()), QColor(Qt::red));
    QVERIFY(image.pixelColor(px, box.top() + 2) != QColor(Qt::red));

    h.canvas->picksShown_ = false;
    image = render(h.canvas);
    QVERIFY(image.pixelColor(px, box.center().y()) != QColor(Qt::red));
}

void TestCanvasPaint::measurementReadout()
{
    CanvasHarness h;
    h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("AAA"), QStringLiteral("00"),
                           QStringLiteral("BHZ"), t0, 6000, 100.0));
    Quakeslate* c = h.canvas;
    c->pixelsPerMSec_ = 0.1;
    c->bandRect_ = QRect(200, 150, 100, 60); // 100 pixels: 1000 ms
    QCOMPARE(c->measurementReadout(), QStringLiteral("dt = 1.00 sec"));

    c->canvasLayout_ = RecordSection;
    c->sectionPixelsPerUnit_ = 12.0;
    c->recordSectionVariable_ = AngularDistanceVariable;
    QCOMPARE(c->measurementReadout(), QStringLiteral("dt = 1.00 sec  p = 0.20 sec/deg"));
    c->recordSectionVariable_ = KmDistanceVariable;
    QCOMPARE(c->measurementReadout(), QStringLiteral("dt = 1.00 sec  v = 5.00 km/sec"));
    c->recordSectionVariable_ = AzimuthVariable;
    QCOMPARE(c->measurementReadout(), QStringLiteral("dt = 1.00 sec"));
    // no time difference, no velocity
    c->recordSectionVariable_ = KmDistanceVariable;
    c->bandRect_ = QRect(200, 150, 1, 60);
    c->pixelsPerMSec_ = 1000.0;
    QCOMPARE(c->measurementReadout(), QStringLiteral("dt = 0.00 sec"));
    // nor slowness: the read-out says what the pane line will
    c->recordSectionVariable_ = AngularDistanceVariable;
    QCOMPARE(c->measurementReadout(), QStringLiteral("dt = 0.00 sec"));

    // in the list, the text stands above the arrow when dragged upwards and
    // below the band when dragged downwards
    c->canvasLayout_ = SeismogramList;
    c->pixelsPerMSec_ = 0.1;
    c->cursorMode_ = MeasureMode;
    c->dragging_ = true;
    c->activeHandle_ = 0;
    c->pressPoint_ = QPoint(200, 210);
    c->currentPoint_ = QPoint(300, 150);
    c->bandRect_ = QRect(c->pressPoint_, c->currentPoint_).normalized();
    QImage image = render(c);
    QVERIFY(blue(image.pixelColor(200, 180)) && blue(image.pixelColor(300, 180)));
    QVERIFY(blue(image.pixelColor(250, 150))); // the arrow along the pointer's row
    QVERIFY(countBlue(image, QRect(210, 120, 80, 28)) > 10);
    QCOMPARE(countBlue(image, QRect(210, 230, 80, 30)), 0);

    c->currentPoint_ = QPoint(300, 260);
    c->pressPoint_ = QPoint(200, 150);
    c->bandRect_ = QRect(c->pressPoint_, c->currentPoint_).normalized();
    image = render(c);
    QCOMPARE(countBlue(image, QRect(210, 110, 80, 38)), 0);
    QVERIFY(countBlue(image, QRect(210, 262, 80, 30)) > 10);

    // no read-out while a handle is dragged
    c->activeHandle_ = 3;
    image = render(c);
    QCOMPARE(countBlue(image, c->rect()), 0);
    c->dragging_ = false;
}

void TestCanvasPaint::screenshots()
{
    const long long origin = t0;
    CanvasHarness list(QSize(1100, 760));
    const struct
    {
        const char* station;
        const char* channel;
        double distance;
        double amplitude;
    } stations[] = {{"ANMO", "BHZ", 12.0, 400.0}, {"COR", "BHZ", 18.5, 250.0},
                    {"HRV", "BHZ", 25.0, 150.0},  {"KIP", "BHZ", 31.0, 120.0},
                    {"PAB", "BHZ", 37.5, 90.0},   {"TATO", "BHZ", 44.0, 60.0}};
    for (const auto& s : stations)
        list.add(quakeRecord(QString::fromLatin1(s.station), QString::fromLatin1(s.channel),
                             s.distance, origin, s.amplitude));
    // a band selection works on the drawn line, so paint once first
    QApplication::processEvents();
    QVERIFY(list.canvas->traces().at(2)->dragSelect(QRect(300, 0, 250, 2000), false));
    list.canvas->selectedTraces_ << list.canvas->traces().at(2);
    list.canvas->traces().at(4)->setWarning(true);
    list.canvas->traces().at(3)->setColor(QColor(QStringLiteral("royalblue")));
    QApplication::processEvents();
    const QString dir = QStringLiteral(QS_BUILD_DIR);
    const QString listFile = dir + QStringLiteral("/canvas-seismogram-list.png");
    QVERIFY(list.window.grab().save(listFile));

    list.canvas->setCanvasLayout(RecordSection);
    QApplication::processEvents();
    const QString sectionFile = dir + QStringLiteral("/canvas-record-section.png");
    QVERIFY(list.window.grab().save(sectionFile));
    const QImage shot(sectionFile);
    QVERIFY(!shot.isNull());
    QVERIFY(shot.width() >= 1000);
}

QTEST_MAIN(TestCanvasPaint)
#include "test_canvaspaint.moc"
