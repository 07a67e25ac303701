// Drawing, selection and hit tests of a trace on the canvas.
#include "canvas/trace.h"
#include "model/pick.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <memory>

class TestCanvasTrace : public QObject
{
    Q_OBJECT

private slots:
    void undecimatedPolyline();
    void columnRunsKeepExtremesInTimeOrder();
    void decimationMatchesTheRunRuleOnNoise_data();
    void decimationMatchesTheRunRuleOnNoise();
    void selectionDrawingAndBoxes();
    void handlesNeverLeaveTheSamples();
    void bandSelection();
    void gainDrags();
    void hitsAndPicks();
    void paintedSelectionAndPicks();
    void culledPaintMatchesFullPaint();
};

namespace {

// 100 samples/s: 10 ms per sample, so xScale = dx / 10.
std::unique_ptr<SeismicRecord> recordOf(const QVector<double>& values, long long start = 0)
{
    return std::unique_ptr<SeismicRecord>(makeCanvasRecord(
        QStringLiteral("XA"), QStringLiteral("ABC"), QStringLiteral("00"), QStringLiteral("BHZ"),
        start, values.size(), 100.0, [&values](int k) { return values.value(k); }));
}

// The decimation rule as plainly as it can be put, sample by sample.
QVector<QPointF> referencePolyline(const QVector<double>& y, double dx)
{
    const int n = y.size();
    QVector<QPointF> out;
    out << QPointF(0, y[0]);
    if (dx >= 0.75) {
        for (int k = 1; k <= n - 2; ++k)
            out << QPointF(k * dx, y[k]);
    } else {
        double c = 0;
        double prev = y[0];
        int k = 1;
        while (k < n - 2) {
            const double c0 = c;
            if (k * dx - c0 > 2.0) {
                c += 1;
                out << QPointF(c, y[k]);
                prev = y[k];
                ++k;
                continue;
            }
            double low = y[k], high = y[k];
            int lowI = k, highI = k;
            int j = k + 1;
            for (; j < n - 1; ++j) {
                if (y[j] < low) {
                    low = y[j];
                    lowI = j;
                } else if (y[j] > high) {
                    high = y[j];
                    highI = j;
                }
                if (j * dx - c0 > 2.0) {
                    ++j;
                    break;
                }
            }
            k = j;
            if (low >= prev && high >= prev) {
                c += 1;
                out << QPointF(c, high);
                prev = high;
            } else if (prev >= low && prev >= high) {
                c += 1;
                out << QPointF(c, low);
                prev = low;
            } else {
                const bool lowFirst = lowI < highI;
                out << QPointF(c0 + 0.5, lowFirst ? low : high);
                c += 1;
                out << QPointF(c, lowFirst ? high : low);
                prev = lowFirst ? high : low;
            }
        }
    }
    out << QPointF((n - 1) * dx, y[n - 1]);
    return out;
}

QColor pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

bool near(const QColor& a, const QColor& b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

void TestCanvasTrace::undecimatedPolyline()
{
    // mean 2, largest deviation 3: a height of 6 gives gain 1, so y = -(v - 2)
    auto record = recordOf({1, 3, -1, 5});
    Trace trace(*record, 1);
    trace.setTraceSize(0.1, 6);
    QVector<QPointF> points;
    QRectF bounds;
    trace.drawTrace(&points, &bounds, 0.1, 1.0);
    QCOMPARE(points, (QVector<QPointF>{{0, 1}, {1, -1}, {2, 3}, {3, -3}}));
    QCOMPARE(bounds, QRectF(0, -3, 3, 6));

    // inverted polarity and a page factor of 2
    trace.setPolarity(-1);
    trace.drawTrace(&points, &bounds, 0.2, 2.0);
    QCOMPARE(points, (QVector<QPointF>{{0, -2}, {2, 2}, {4, -6}, {6, 6}}));

    // exactly 0.75 pixel per sample is still drawn sample by sample
    trace.drawTrace(&points, &bounds, 0.075, 1.0);
    QCOMPARE(points.size(), 4);

    auto pair = recordOf({4, -4});
    Trace two(*pair, 2);
    two.setTraceSize(0.3, 8); // deviation 4, gain 1
    two.drawTrace(&points, &bounds, 0.3, 1.0);
    QCOMPARE(points, (QVector<QPointF>{{0, -4}, {3, 4}}));

    // the cached polyline is built by a paint and only then
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QVERIFY(trace.polyline().isEmpty());
    QPainter painter(&image);
    trace.setTraceLength(0.1);
    trace.paintTrace(&painter);
    QCOMPARE(trace.polyline().size(), 4);
    QCOMPARE(trace.boundingRect(), QRect(0, -3, 3, 6));
    QCOMPARE(trace.height(), 6);
}

void TestCanvasTrace::columnRunsKeepExtremesInTimeOrder()
{
    QVector<QPointF> points;
    QRectF bounds;
    // dx 0.5: samples 1..5 form the one run; the run lies above the first
    // vertex on screen and gives its smallest y.
    auto above = recordOf({0, 1, 2, 3, 2, 1, -4, -5}); // mean 0, deviation 5
    Trace a(*above, 1);
    a.setTraceSize(0.05, 10);
    a.drawTrace(&points, &bounds, 0.05, 1.0);
    QCOMPARE(points, (QVector<QPointF>{{0, 0}, {1, -3}, {3.5, 5}}));
    QCOMPARE(bounds, QRectF(0, -3, 3.5, 8));

    // A run that straddles the last vertex, going up on screen first: its
    // smallest y at the half column, its largest at the next column.
    auto straddle = recordOf({0, 2, 1, -3, 0, 1, 2, -3}); // mean 0, deviation 3
    Trace b(*straddle, 2);
    b.setTraceSize(0.05, 6);
    b.drawTrace(&points, &bounds, 0.05, 1.0);
    QCOMPARE(points, (QVector<QPointF>{{0, 0}, {0.5, -2}, {1, 3}, {3.5, 3}}));

    // a run wholly below the last vertex gives its largest y
    auto below = recordOf({0, -1, -2, -1, -1, -1, 3, 3}); // mean 0, deviation 3
    Trace c(*below, 3);
    c.setTraceSize(0.05, 6);
    c.drawTrace(&points, &bounds, 0.05, 1.0);
    QCOMPARE(points, (QVector<QPointF>{{0, 0}, {1, 2}, {3.5, -3}}));
}

void TestCanvasTrace::decimationMatchesTheRunRuleOnNoise_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("dx");
    QTest::newRow("half pixel") << 2000 << 0.5;
    QTest::newRow("0.7 pixel, lone samples") << 2000 << 0.7;
    QTest::newRow("0.74 pixel") << 1000 << 0.74;
    QTest::newRow("tenth") << 20000 << 0.1;
    QTest::newRow("long trace, narrow") << 400000 << 0.005;
    QTest::newRow("odd ratio") << 30000 << 0.0371;
    QTest::newRow("one column for all") << 5000 << 0.0001;
}

void TestCanvasTrace::decimationMatchesTheRunRuleOnNoise()
{
    QFETCH(int, n);
    QFETCH(double, dx);
    QRandomGenerator random(12345);
    QVector<double> values(n);
    for (int k = 0; k < n; ++k)
        values[k] = random.bounded(2000.0) - 1000.0 + (k % 97 == 0 ? 5000.0 : 0.0);
    auto record = recordOf(values);
    Trace trace(*record, 1);
    trace.setTraceSize(dx / 10.0, 400);
    QVector<QPointF> points;
    QRectF bounds;
    trace.drawTrace(&points, &bounds, dx / 10.0, 1.0);

    QVector<double> y(n);
    for (int k = 0; k < n; ++k)
        y[k] = -trace.gain() * (values[k] - trace.mean());
    const QVector<QPointF> expected = referencePolyline(y, dx);
    QCOMPARE(points.size(), expected.size());
    for (int i = 0; i < points.size(); ++i) {
        if (points[i] != expected[i])
            QFAIL(qPrintable(QStringLiteral("vertex %1 differs").arg(i)));
    }
    double top = y[0], bottom = y[0];
    for (const QPointF& p : expected) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    QCOMPARE(bounds, QRectF(0, top, (n - 1) * dx, bottom - top));
    // a few vertices per pixel column at most
    if (dx < 0.75)
        QVERIFY(points.size() <= 2 * int((n - 1) * dx) + 8);
}

void TestCanvasTrace::selectionDrawingAndBoxes()
{
    QVector<double> values(1000);
    for (int k = 0; k < 1000; ++k)
        values[k] = std::sin(k * 0.05) * 100.0;
    auto record = recordOf(values);
    Trace trace(*record, 1);
    trace.setTraceSize(0.1, 100); // 1 pixel per sample
    trace.refreshPolyline();
    trace.setPosition(50.4, 200.6);
    trace.select(true);
    QVERIFY(trace.isSelected());
    QCOMPARE(trace.selectionStart(), 0);
    QCOMPARE(trace.selectionEnd(), 999);
    const QRect box = trace.boundingRect();
    QCOMPARE(box.left(), 50);
    QCOMPARE(box.width(), 999);
    QCOMPARE(trace.selectionRect().left(), 50);
    QCOMPARE(trace.selectionRect().width(), 999);
    QCOMPARE(trace.selectionRect().top(), box.top());

    // the band's local edges, 99.6 and 299.6, are truncated
    QRect band(50 + 100, 0, 200, 400);
    QVERIFY(trace.dragSelect(band, false));
    QCOMPARE(trace.selectionStart(), 99);
    QCOMPARE(trace.selectionEnd(), 299);
    // the selected stretch alone, from its first sample at x = 0
    QVector<QPointF> points;
    QRectF bounds;
    trace.drawTraceSelection(&points, &bounds, 0.1, 1.0);
    QCOMPARE(points.size(), 200); // selectionEnd itself is not drawn
    QCOMPARE(points.first().x(), 0.0);
    QCOMPARE(points.last().x(), 199.0);
    QCOMPARE(bounds.width(), 199.0);
    const QVector<QPointF>& whole = trace.polyline();
    for (int i = 0; i < points.size(); ++i)
        QCOMPARE(points[i].y(), whole[99 + i].y());

    // handle bands: 5 pixels across the box's edges
    const QRect s = trace.selectionRect();
    QCOMPARE(trace.inHandle(QPoint(s.center().x(), s.top())), 1);
    QCOMPARE(trace.inHandle(QPoint(s.center().x(), s.top() + s.height())), 2);
    QCOMPARE(trace.inHandle(QPoint(s.left(), s.center().y())), 3);
    QCOMPARE(trace.inHandle(QPoint(s.left() + s.width() + 2, s.center().y())), 4);
    QCOMPARE(trace.inHandle(s.center()), 0);
    QVERIFY(trace.hitSelectionRect(s.center()));
    QVERIFY(!trace.hitSelectionRect(QPoint(s.left() - 3, s.center().y())));

    // deselecting restores a whole-trace selection
    trace.select(false);
    QVERIFY(!trace.isSelected());
    QCOMPARE(trace.selectionStart(), 0);
    QCOMPARE(trace.selectionEnd(), 999);
}

void TestCanvasTrace::handlesNeverLeaveTheSamples()
{
    QVector<double> values(1000);
    for (int k = 0; k < 1000; ++k)
        values[k] = (k % 10) - 4.5;
    auto record = recordOf(values);
    Trace trace(*record, 1);
    // a tenth of a pixel per sample: the trace is 100 pixels wide
    trace.setTraceSize(0.01, 50);
    trace.refreshPolyline();
    trace.setPosition(20, 100);
    trace.select(true);

    // start pushed past the end: a 1-pixel selection at the end
    trace.dragSelectionStart(20 + 150);
    QCOMPARE(trace.selectionStart(), 990);
    QVERIFY(trace.selectionStart() <= trace.selectionEnd());
    // end dragged back over the start: 2 pixels wide, but never past the
    // last sample (two pixels here are twenty samples)
    trace.dragSelectionEnd(20 + 40);
    QCOMPARE(trace.selectionEnd(), 999);
    QVERIFY(trace.selectionEnd() >= trace.selectionStart());

    trace.select(true);
    trace.dragSelectionEnd(20 + 500);
    QCOMPARE(trace.selectionEnd(), 999);
    trace.dragSelectionEnd(20 + 30);
    QCOMPARE(trace.selectionEnd(), 300);
    trace.dragSelectionStart(20 - 40);
    QCOMPARE(trace.selectionStart(), 0);
    trace.dragSelectionStart(20 + 80); // right of the end: 1 pixel before it
    QCOMPARE(trace.selectionStart(), 290);
    QCOMPARE(trace.selectionEnd(), 300);

    // zoomed in, ten pixels per sample
    trace.setTraceSize(1.0, 50);
    trace.refreshPolyline();
    trace.select(true);
    trace.dragSelectionEnd(20 + 25);
    QCOMPARE(trace.selectionEnd(), 3); // 2.5 rounds away from zero
    trace.dragSelectionStart(20 + 400);
    QVERIFY(trace.selectionStart() <= trace.selectionEnd());
    QVERIFY(trace.selectionStart() >= 0);
}

void TestCanvasTrace::bandSelection()
{
    QVector<double> values(400);
    for (int k = 0; k < 400; ++k)
        values[k] = std::sin(k * 0.1) * 10.0;
    auto record = recordOf(values);
    Trace trace(*record, 1);
    trace.setTraceSize(0.1, 40);
    trace.refreshPolyline();
    trace.setPosition(0, 100);
    const QRect box = trace.boundingRect();

    // a band from column 50, 100 wide, holding vertices selects 50..150
    QVERIFY(trace.dragSelect(QRect(50, box.top(), 100, box.height()), false));
    QCOMPARE(trace.selectionStart(), 50);
    QCOMPARE(trace.selectionEnd(), 150);
    // extending only grows the selection
    QVERIFY(trace.dragSelect(QRect(120, box.top(), 100, box.height()), true));
    QCOMPARE(trace.selectionStart(), 50);
    QCOMPARE(trace.selectionEnd(), 220);
    QVERIFY(trace.dragSelect(QRect(100, box.top(), 20, box.height()), true));
    QCOMPARE(trace.selectionStart(), 50);
    QCOMPARE(trace.selectionEnd(), 220);
    // a band wider than the trace is cut to it
    QVERIFY(trace.dragSelect(QRect(-100, box.top(), 1000, box.height()), false));
    QCOMPARE(trace.selectionStart(), 0);
    QCOMPARE(trace.selectionEnd(), 399);

    // touching the box without holding a vertex: deselects, or keeps when
    // extending
    const QRect empty(30, box.top() - 5, 1, 1);
    QVERIFY(trace.intersects(QRect(0, box.top(), 400, box.height())));
    QVERIFY(!trace.intersects(QRect(30, box.bottom() + 5, 10, 10)));
    QVERIFY(trace.dragSelect(empty, true));
    QVERIFY(trace.isSelected());
    QVERIFY(!trace.dragSelect(empty, false));
    QVERIFY(!trace.isSelected());
}

void TestCanvasTrace::gainDrags()
{
    auto record = recordOf({0, 10, -4, 2}); // mean 2, max 10, min -4
    Trace trace(*record, 1);
    trace.setTraceSize(0.1, 16); // deviation 8: gain 1
    trace.refreshPolyline();
    trace.setPosition(0, 100);
    trace.dragSelectionTop(97); // 3 pixels above the baseline: ignored
    QCOMPARE(trace.gain(), 1.0);
    trace.dragSelectionTop(60); // 40 above: the maximum reaches row 60
    QCOMPARE(trace.gain(), 40.0 / 8.0);
    QCOMPARE(trace.polyline()[1].y(), -40.0);
    trace.dragSelectionBottom(130); // the minimum 6 below the mean reaches 130
    QCOMPARE(trace.gain(), 30.0 / 6.0);
    trace.setPolarity(-1);
    trace.dragSelectionTop(70); // inverted: the minimum is drawn upwards
    QCOMPARE(trace.gain(), 30.0 / 6.0);

    // a flat trace has nothing to stretch: the gain stays finite
    auto flat = recordOf({5, 5, 5, 5});
    Trace level(*flat, 2);
    level.setTraceSize(0.1, 16);
    const double before = level.gain();
    QVERIFY(std::isfinite(before) && before > 0.0);
    level.refreshPolyline();
    level.setPosition(0, 100);
    level.dragSelectionTop(40);
    level.dragSelectionBottom(160);
    QCOMPARE(level.gain(), before);
}

void TestCanvasTrace::hitsAndPicks()
{
    QVector<double> values(1000);
    for (int k = 0; k < 1000; ++k)
        values[k] = 50.0 * std::sin(k * 0.02);
    const long long start = 1562383200000LL; // 2019-07-06 03:20:00 UTC
    auto record = recordOf(values, start);
    Trace trace(*record, 1);
    trace.setTraceSize(0.1, 100); // 1 pixel per sample
    trace.refreshPolyline();
    trace.setPosition(10, 200);
    const QVector<QPointF>& line = trace.polyline();

    const QPoint onLine(10 + 300, 200 + int(std::lround(line[300].y())));
    QVERIFY(trace.hit(onLine, 3));
    QVERIFY(!trace.hit(onLine + QPoint(0, 12), 3));
    QVERIFY(!trace.hit(QPoint(5, 200), 3));

    // a flat trace is never hit
    auto flat = recordOf(QVector<double>(100, 3.0));
    Trace level(*flat, 2);
    level.setTraceSize(0.1, 100);
    level.refreshPolyline();
    level.setPosition(0, 50);
    QVERIFY(!level.hit(QPoint(40, 50), 3));

    // clicking on the line picks the clicked time
    QCOMPARE(trace.pickByClick(onLine, QStringLiteral("P")), start + 3000);
    QCOMPARE(record->pickList().size(), 1);
    // near the box's top but 40 pixels from the line: no pick
    const int top = trace.boundingRect().top();
    const QPoint farAbove(10 + 236, top - 10); // the line is at its lowest there
    QVERIFY(std::fabs(200 + line[236].y() - (top - 10)) > 32.0);
    QCOMPARE(trace.pickByClick(farAbove, QStringLiteral("S")), 0LL);
    // picking the same phase again moves it
    const QPoint later(10 + 500, 200 + int(std::lround(line[500].y())));
    QCOMPARE(trace.pickByClick(later, QStringLiteral("P")), start + 5000);
    QCOMPARE(record->pickList().size(), 1);
    QCOMPARE(record->pickTimeMsec(QStringLiteral("P")), start + 5000);
    // a blank phase name makes no pick
    QCOMPARE(trace.pickByClick(later, QStringLiteral("  ")), 0LL);
    QCOMPARE(record->pickList().size(), 1);
    // outside the trace's time
    QCOMPARE(trace.pickByClick(QPoint(2000, 200), QStringLiteral("P")), 0LL);
}

void TestCanvasTrace::paintedSelectionAndPicks()
{
    QVector<double> values(200);
    for (int k = 0; k < 200; ++k)
        values[k] = (k / 20) % 2 ? 20.0 : -20.0;
    auto record = recordOf(values, 1000000);
    record->newPick(new Pick(QStringLiteral("P"), 1000000 + 1000)); // sample 100
    Trace trace(*record, 1);
    trace.setTraceSize(0.1, 60);
    trace.setPosition(20, 60);
    trace.setColor(QColor(QStringLiteral("forestgreen")));

    QImage image(260, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setClipRect(image.rect());
        painter.translate(trace.position());
        painter.setClipping(true);
        trace.select(true); // builds the box after the polyline exists
        trace.paintTrace(&painter);
        trace.dragSelect(QRect(20 + 40, 0, 80, 120), false);
        painter.setClipping(false);
        painter.end();
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setClipRect(image.rect());
        painter.save();
        painter.translate(trace.position());
        painter.setClipping(true);
        trace.paintTrace(&painter);
        painter.setClipping(false);
        trace.paintPicks(&painter);
        painter.restore();
    }
    const QRect box = trace.selectionRect();
    QCOMPARE(box.left(), 60);
    // outline on the top edge, fill inside (alpha 100 over white)
    QCOMPARE(pixel(image, box.left() + 10, box.top()), QColor(75, 120, 159));
    const QColor fill(255 + (165 - 255) * 100 / 255, 255 + (213 - 255) * 100 / 255, 255);
    QVERIFY(near(pixel(image, box.left() + 5, box.top() + 5), fill, 3));
    // the trace is redrawn in the outline colour inside the box, in its own
    // colour outside
    // gain 1.5: +20 is drawn 30 pixels above the baseline, -20 below it
    QCOMPARE(pixel(image, box.left() + 25, 60 - 30), QColor(75, 120, 159));
    QCOMPARE(pixel(image, 20 + 5, 60 + 30), QColor(QStringLiteral("forestgreen")));
    // the pick line spans the middle two thirds of the box
    const int pickX = 20 + 100;
    const double t = trace.selectionRect().top() - 60;
    const double h = trace.selectionRect().height();
    QCOMPARE(pixel(image, pickX, 60 + int(t + h / 2)), QColor(Qt::red));
    QVERIFY(pixel(image, pickX, 60 + int(t + h / 6) - 2) != QColor(Qt::red));
}

void TestCanvasTrace::culledPaintMatchesFullPaint()
{
    QVector<double> values(20000);
    QRandomGenerator random(7);
    for (int k = 0; k < values.size(); ++k)
        values[k] = random.bounded(200.0) - 100.0 + 300.0 * std::sin(k * 0.001);
    auto record = recordOf(values);
    Trace trace(*record, 1);
    trace.setTraceSize(0.5, 100); // 5 pixels per sample: 100000 pixels long
    trace.setPosition(-40000.3, 100); // scrolled far into the trace
    trace.setStrokeWeight(2.0);

    auto render = [&trace](const QRect& clip) {
        QImage image(400, 200, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setClipRect(clip);
        painter.translate(trace.position());
        painter.setClipping(true);
        trace.paintTrace(&painter);
        return image;
    };
    const QImage whole = render(QRect(0, 0, 400, 200));
    const QRect part(130, 0, 60, 200);
    const QImage culled = render(part);
    for (int x = part.left(); x <= part.right(); ++x)
        for (int y = 0; y < 200; ++y)
            QCOMPARE(culled.pixel(x, y), whole.pixel(x, y));
    bool inked = false;
    for (int y = 0; y < 200 && !inked; ++y)
        inked = whole.pixel(150, y) != qRgb(255, 255, 255);
    QVERIFY(inked);
}

QTEST_MAIN(TestCanvasTrace)
#include "test_canvastrace.moc"
