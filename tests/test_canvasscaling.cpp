// Size changes of the canvas: axis steps and their limits, fitting, zoom
// steps, and the rulers that must follow each of them.
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"

#include <QScrollBar>
#include <QStyle>
#include <QtTest>

#include <algorithm>
#include <cmath>

class TestCanvasScaling : public QObject
{
    Q_OBJECT

private slots:
    void emptyCanvasStaysAsItIs();
    void stretchRescalesEverything();
    void timeAndVerticalStepLimits();
    void widgetSizeLimit();
    void zoomSteps();
    void zoomIntoRect();
    void fitToContents();
    void fitHeightAndWidth();

private:
    static void compareRulersToFreshBuild(CanvasHarness& h);
};

namespace {

const long long t0 = 1562378400000LL;
const double cubeRootOf2 = std::cbrt(2.0);

void addMinuteTraces(CanvasHarness& h, int count)
{
    for (int i = 0; i < count; ++i) {
        SeismicRecord* r = h.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("S%1").arg(i),
                                                  QStringLiteral("00"), QStringLiteral("BHZ"),
                                                  t0 + i * 4000, 6000, 100.0));
        r->setAngularDistance(10.0 + 7.0 * i);
    }
}

double alignedX(const Quakeslate* canvas, const Trace* trace)
{
    return double(trace->alignedTimeSpan().startTimeMSecs() - canvas->timeSpan().startTimeMSecs())
           * canvas->pixelsPerMSec();
}

} // namespace

void TestCanvasScaling::compareRulersToFreshBuild(CanvasHarness& h)
{
    SeismicScrollArea fresh(nullptr, new Quakeslate(2, nullptr));
    fresh.buildTimeTickMarks(h.canvas->pixelsPerMSec(), h.canvas->timeSpan());
    QCOMPARE(h.scrollArea->timeTickMarks().majorTickMarkLocations,
             fresh.timeTickMarks().majorTickMarkLocations);
    QCOMPARE(h.scrollArea->timeTickMarks().labelStrings, fresh.timeTickMarks().labelStrings);
    QCOMPARE(h.scrollArea->timeTickMarks().labelLocations, fresh.timeTickMarks().labelLocations);
    TickMarks vertical;
    h.canvas->buildVerticalTickMarks(vertical);
    QCOMPARE(h.canvas->verticalTickMarks().majorTickMarkLocations, vertical.majorTickMarkLocations);
    QCOMPARE(h.canvas->verticalTickMarks().labelLocations, vertical.labelLocations);
}

void TestCanvasScaling::emptyCanvasStaysAsItIs()
{
    CanvasHarness h;
    const QSize size = h.canvas->size();
    QVERIFY(!h.canvas->stretchCanvasToRect(2000, 2000, false));
    h.canvas->scaleTimeAxis(2.0);
    h.canvas->scaleVerticalAxis(2.0);
    h.canvas->fitHeightInWindow();
    h.canvas->fitWidthInWindow();
    h.canvas->fitToContents();
    h.canvas->zoomIn(QPoint(10, 10));
    h.canvas->zoomOut(QPoint(10, 10));
    h.canvas->zoomIntoRect(QRect(0, 0, 50, 50));
    QCOMPARE(h.canvas->size(), size);
    QCOMPARE(h.canvas->pixelsPerMSec(), 0.001);
    QCOMPARE(h.log->timeScaleChanges, 0);

    // emptied again after traces: the same
    addMinuteTraces(h, 2);
    h.canvas->selectAll();
    h.canvas->deleteSelectedTraces();
    const QSize emptied = h.canvas->size();
    h.canvas->zoomIn(QPoint(10, 10));
    h.canvas->fitToContents();
    QCOMPARE(h.canvas->size(), emptied);
}

void TestCanvasScaling::stretchRescalesEverything()
{
    CanvasHarness h;
    addMinuteTraces(h, 3);
    h.canvas->setCanvasLayout(RecordSection);
    const QSize size = h.canvas->size();
    QVector<double> ys, gains;
    for (const Trace* t : h.canvas->traces()) {
        ys << t->y();
        gains << t->gain();
    }
    const double offset = h.canvas->sectionOffset();
    const double perUnit = h.canvas->sectionPixelsPerUnit();
    const double sy = 1.5;
    QVERIFY(h.canvas->stretchCanvasToRect(size.width() * 2, int(size.height() * sy), false));
    QCOMPARE(h.canvas->size(), QSize(size.width() * 2, int(size.height() * sy)));
    const double realSy = double(int(size.height() * sy)) / size.height();
    QCOMPARE(h.canvas->pixelsPerMSec(),
             double(h.canvas->width()) / double(h.canvas->timeSpan().lengthMSecs()));
    for (int i = 0; i < 3; ++i) {
        const Trace* t = h.canvas->traces().at(i);
        QCOMPARE(t->y(), ys[i] * realSy);
        QCOMPARE(t->gain(), gains[i] * realSy);
        QCOMPARE(t->x(), alignedX(h.canvas, t));
    }
    QCOMPARE(h.canvas->sectionOffset(), offset * realSy);
    QCOMPARE(h.canvas->sectionPixelsPerUnit(), perUnit * realSy);
    compareRulersToFreshBuild(h);
}

void TestCanvasScaling::timeAndVerticalStepLimits()
{
    CanvasHarness h;
    addMinuteTraces(h, 2);
    // keep the time at the view's left edge in place
    QScrollBar* bar = h.scrollArea->horizontalScrollBar();
    h.canvas->scaleTimeAxis(cubeRootOf2);
    h.canvas->scaleTimeAxis(cubeRootOf2);
    QApplication::processEvents();
    bar->setValue(300);
    const double leftTime = bar->value() / h.canvas->pixelsPerMSec();
    h.canvas->scaleTimeAxis(cubeRootOf2);
    QVERIFY(std::fabs(bar->value() / h.canvas->pixelsPerMSec() - leftTime) < 2.0 / h.canvas->pixelsPerMSec());

    int steps = 0;
    double before = 0.0;
    while (steps < 200) {
        before = h.canvas->pixelsPerMSec();
        h.canvas->scaleTimeAxis(cubeRootOf2);
        if (h.canvas->pixelsPerMSec() == before)
            break;
        ++steps;
    }
    QVERIFY(steps < 200);
    QVERIFY(before <= 2.0);
    QVERIFY(before * cubeRootOf2 > 2.0);

    while (true) {
        const int width = h.canvas->width();
        h.canvas->scaleTimeAxis(1.0 / cubeRootOf2);
        if (h.canvas->width() == width) {
            QVERIFY(std::lround(width / cubeRootOf2) < 100);
            break;
        }
    }
    QVERIFY(h.canvas->width() >= 100);

    while (true) {
        const int height = h.canvas->height();
        h.canvas->scaleVerticalAxis(1.0 / cubeRootOf2);
        if (h.canvas->height() == height) {
            QVERIFY(std::lround(height / cubeRootOf2) < 80);
            break;
        }
    }
    QVERIFY(h.canvas->height() >= 80);
}

void TestCanvasScaling::widgetSizeLimit()
{
    CanvasHarness h;
    addMinuteTraces(h, 2);
    int zooms = 0;
    while (zooms < 80) {
        const QSize size = h.canvas->size();
        h.canvas->zoomIn(QPoint(100, 100));
        if (h.canvas->size() == size)
            break;
        ++zooms;
    }
    QVERIFY(zooms < 80);
    QVERIFY(h.canvas->width() <= Quakeslate::maximumExtent);
    QVERIFY(h.canvas->height() <= Quakeslate::maximumExtent);
    QVERIFY(std::lround(h.canvas->width() * 1.414213562373095) > Quakeslate::maximumExtent
            || std::lround(h.canvas->height() * 1.414213562373095) > Quakeslate::maximumExtent);
    const QSize size = h.canvas->size();
    h.canvas->scaleVerticalAxis(4.0);
    QCOMPARE(h.canvas->size(), size);
    // painting the exposed part of so large a canvas still works
    QApplication::processEvents();

    // ten hours at a modest scale: the time step stays under 2 px/ms but
    // would pass the widget limit
    CanvasHarness hours;
    hours.add(makeCanvasRecord(QStringLiteral("XA"), QStringLiteral("LONG"), QStringLiteral("00"),
                               QStringLiteral("LHZ"), t0, 36000, 1.0));
    const QSize small = hours.canvas->size();
    QVERIFY(hours.canvas->pixelsPerMSec() * 25000.0 <= 2.0);
    hours.canvas->scaleTimeAxis(25000.0);
    QCOMPARE(hours.canvas->size(), small);
}

void TestCanvasScaling::zoomSteps()
{
    CanvasHarness h;
    addMinuteTraces(h, 3);
    const QSize size = h.canvas->size();
    const QPoint p(size.width() / 3, size.height() / 2);
    h.canvas->zoomIn(p);
    QApplication::processEvents();
    // the view narrows when the scroll bars appear
    const QSize view = h.scrollArea->viewport()->size();
    const int expectedX = std::max(int(p.x() * 1.414213562373095) - view.width() / 2, 0);
    QCOMPARE(h.scrollArea->horizontalScrollBar()->value(),
             std::min(expectedX, h.scrollArea->horizontalScrollBar()->maximum()));
    h.canvas->zoomIn(p * 1.414213562373095);
    QVERIFY(std::abs(h.canvas->width() - 2 * size.width()) <= 2);
    QVERIFY(std::abs(h.canvas->height() - 2 * size.height()) <= 2);
    // the point zoomed about stays near the middle of the view
    const int centre = h.scrollArea->horizontalScrollBar()->value() + view.width() / 2;
    QVERIFY(std::abs(centre - int(p.x() * 2.0)) <= 3);

    h.canvas->zoomOut(QPoint(h.canvas->width() / 2, h.canvas->height() / 2));
    QVERIFY(std::abs(h.canvas->width() - int(std::lround(size.width() * 1.414213562373095))) <= 2);
    // about the view's size: falls back to fitting the canvas in the window
    h.canvas->zoomOut(QPoint(10, 10));
    const QSize fitted = h.canvas->size();
    QCOMPARE(fitted, fitted.scaled(h.scrollArea->maximumViewportSize(), Qt::KeepAspectRatio));
    QVERIFY(fitted.width() == h.scrollArea->maximumViewportSize().width()
            || fitted.height() == h.scrollArea->maximumViewportSize().height());
    compareRulersToFreshBuild(h);
}

void TestCanvasScaling::zoomIntoRect()
{
    CanvasHarness h;
    addMinuteTraces(h, 2);
    QApplication::processEvents();
    const QSize size = h.canvas->size();
    const Trace* t = h.canvas->traces().at(0);
    // a rectangle between the traces meets no vertex
    h.canvas->zoomIntoRect(QRect(2, 2, 5, 5));
    QCOMPARE(h.canvas->size(), size);

    const QRect r(int(t->x()) + 100, int(t->y()) - 30, 200, 60);
    h.canvas->zoomIntoRect(r);
    const double f = double(r.size().scaled(h.scrollArea->viewport()->size(), Qt::KeepAspectRatio).width())
                     / r.width();
    QVERIFY(std::abs(h.canvas->width() - int(std::lround(size.width() * f))) <= 1);
    QVERIFY(h.canvas->width() > size.width());
}

void TestCanvasScaling::fitToContents()
{
    CanvasHarness h;
    addMinuteTraces(h, 3);
    h.canvas->scaleTimeAxis(cubeRootOf2);
    const double scale = h.canvas->pixelsPerMSec();
    h.canvas->fitToContents();
    const TimeSpan hull = h.canvas->tracesTimeSpan();
    const long long margin = hull.lengthMSecs() * 2 / 100;
    QCOMPARE(h.canvas->timeMargin(), margin);
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), hull.startTimeMSecs() - margin);
    QCOMPARE(h.canvas->timeSpan().endTimeMSecs(), hull.endTimeMSecs() + margin);
    QCOMPARE(h.canvas->pixelsPerMSec(), scale);
    QCOMPARE(h.canvas->width(), int(std::lround(h.canvas->timeSpan().lengthMSecs() * scale)));
    int top = 1 << 30, bottom = -(1 << 30);
    for (const Trace* t : h.canvas->traces()) {
        top = std::min(top, t->boundingRect().top());
        bottom = std::max(bottom, t->boundingRect().bottom());
        QCOMPARE(t->x(), alignedX(h.canvas, t));
    }
    QCOMPARE(top, 10);
    QCOMPARE(bottom, h.canvas->height() - 10);
    QCOMPARE(h.log->timeScaleChanges, 1);
    QCOMPARE(h.log->recordSectionScaleChanges, 0);
    // the rulers show the new span
    compareRulersToFreshBuild(h);
    // a later trace keeps to the margin the fit chose
    h.canvas->expandTimeSpanToInclude(hull);
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), hull.startTimeMSecs() - margin);

    CanvasHarness section;
    addMinuteTraces(section, 3);
    section.canvas->setCanvasLayout(RecordSection);
    QApplication::processEvents();
    const double offset = section.canvas->sectionOffset();
    int sectionTop = 1 << 30;
    for (const Trace* t : section.canvas->traces())
        sectionTop = std::min(sectionTop, t->boundingRect().top());
    section.canvas->fitToContents();
    QCOMPARE(section.canvas->sectionOffset(), offset + 10 - sectionTop);
    QCOMPARE(section.log->recordSectionScaleChanges, 1);
    compareRulersToFreshBuild(section);
}

void TestCanvasScaling::fitHeightAndWidth()
{
    CanvasHarness h(QSize(420, 900));
    addMinuteTraces(h, 2);
    const int bar = h.canvas->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    h.canvas->resize(2000, 300);
    const QSize view = h.scrollArea->maximumViewportSize();
    h.canvas->fitHeightInWindow();
    QCOMPARE(h.canvas->height(), view.height() - bar);
    QVERIFY(h.canvas->width() > view.width());

    h.window.resize(1200, 500);
    QApplication::processEvents();
    h.canvas->resize(200, 2000);
    const QSize wide = h.scrollArea->maximumViewportSize();
    h.canvas->fitWidthInWindow();
    QCOMPARE(h.canvas->width(), wide.width() - bar);
    QVERIFY(h.canvas->height() > wide.height());

    // a canvas whose shape matches the view fits exactly
    const QSize half(wide.width() / 2, wide.height() / 2);
    h.canvas->resize(half);
    h.canvas->fitWidthInWindow();
    QCOMPARE(h.canvas->size(), half.scaled(wide, Qt::KeepAspectRatio));
    QCOMPARE(h.canvas->width(), wide.width());
}

QTEST_MAIN(TestCanvasScaling)
#include "test_canvasscaling.moc"
