// The canvas's state, trace intake, selection and deletion, as the document
// window sees them through its signals and actions.
#include "app/analysistextedit.h"
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include "support/canvasharness.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QtTest>

#include <cmath>

class TestCanvas : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { stopModalWatchers(); }
    void newCanvas();
    void actionsFollowTheTraceCount();
    void hugeSpanQuestion_data();
    void hugeSpanQuestion();
    void noQuestionInRelativeTime();
    void unshowableRecordsAreRefused_data();
    void unshowableRecordsAreRefused();
    void selectingWholeTracesAndByEvent();
    void deletingTraces();
    void deletingHiddenTracesAndDrags();

private:
    static QAction* action(Quakeslate* canvas, const QString& text);
};

namespace {

const long long t0 = 1562378400000LL; // 2019-07-06 02:00:00 UTC
// 7.8125 samples/s is 128 ms a sample: 28126 samples span exactly one hour.
constexpr double hourRate = 7.8125;
constexpr int hourSamples = 28126;
constexpr long long hour = 3600000;

SeismicRecord* hourRecord(const QString& station, long long start)
{
    return makeCanvasRecord(QStringLiteral("XA"), station, QStringLiteral("00"),
                            QStringLiteral("BHZ"), start, hourSamples, hourRate);
}

} // namespace

QAction* TestCanvas::action(Quakeslate* canvas, const QString& text)
{
    for (QAction* a : canvas->findChildren<QAction*>())
        if (a->text() == text)
            return a;
    return nullptr;
}

void TestCanvas::newCanvas()
{
    Quakeslate canvas(3, nullptr);
    CanvasSignalLog log(&canvas);
    QCOMPARE(canvas.canvasNumber(), 3);
    QCOMPARE(canvas.traceCount(), 0);
    QCOMPARE(canvas.canvasLayout(), SeismogramList);
    QCOMPARE(canvas.canvasTime(), UTCTime);
    QCOMPARE(canvas.cursorMode(), SelectMode);
    QCOMPARE(canvas.pixelsPerMSec(), 0.001);
    QCOMPARE(canvas.drawMode(), 1);
    QVERIFY(canvas.timeSpan().startTimeMSecs() > canvas.timeSpan().endTimeMSecs());
    QCOMPARE(canvas.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(canvas.focusPolicy(), Qt::ClickFocus);
    QVERIFY(canvas.hasMouseTracking());
    QCOMPARE(canvas.backgroundRole(), QPalette::Base);

    for (const char* text :
         {"Fit Canvas in Window", "Select All", "Deselect All", "Show All Traces"})
        QVERIFY2(!action(&canvas, QString::fromLatin1(text))->isEnabled(), text);
    QVERIFY(!canvas.arrangeMenu()->isEnabled());
    QVERIFY(!canvas.contextArrangeMenu_->isEnabled());
    QVERIFY(!canvas.alignMenu()->isEnabled());
    QVERIFY(!canvas.contextAlignMenu_->isEnabled());
    QCOMPARE(canvas.arrangeMenu()->actions(), canvas.contextArrangeMenu_->actions());
    QCOMPARE(canvas.arrangeMenu()->actions().size(), 5);
    QCOMPARE(canvas.alignMenu()->actions().size(), 3);
    QCOMPARE(canvas.alignMenu()->actions().at(0)->text(),
             QStringLiteral("Coordinated Universal Time (UTC)"));

    // the enabling steps report their counts
    canvas.enableContentActions();
    canvas.enableSelectionActions();
    QCOMPARE(log.contentCounts, QList<int>{0});
    QCOMPARE(log.selectionCounts, QList<int>{0});

    // cursors from the compiled-in images, with their hot spots
    QVERIFY(!canvas.zoomInCursor_->pixmap().isNull());
    QCOMPARE(canvas.zoomInCursor_->hotSpot(), QPoint(7, 7));
    QCOMPARE(canvas.zoomOutCursor_->hotSpot(), QPoint(7, 7));
    QCOMPARE(canvas.measureCursor_->pixmap().size(), QSize(32, 32));
    QCOMPARE(canvas.measureCursor_->hotSpot(), QPoint(16, 16));
    QCOMPARE(canvas.crosshairCursor_->hotSpot(), QPoint(16, 16));
    QCOMPARE(canvas.pickCursor_->hotSpot(), QPoint(31, 16));
    QVERIFY(!canvas.warningPixmap_->isNull());
    QCOMPARE(canvas.warningPixmap_->size(), QSize(16, 16));
    // the pick cursor carries a red "P" at its upper right, the plain pick
    // image does not
    const QImage withName = canvas.pickCursor_->pixmap().toImage();
    const QImage plain = canvas.pickPixmap_->toImage();
    int red = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 29; ++x) {
            const QColor c = withName.pixelColor(x, y);
            if (c.alpha() > 200 && c.red() > 200 && c.green() < 80)
                ++red;
            if (y < 7 && x < 27)
                QCOMPARE(plain.pixelColor(x, y).alpha(), 0);
        }
    QVERIFY(red > 5);
}

void TestCanvas::actionsFollowTheTraceCount()
{
    CanvasHarness h;
    h.add(hourRecord(QStringLiteral("AAA"), t0));
    QCOMPARE(h.log->contentCounts.last(), 1);
    QVERIFY(action(h.canvas, QStringLiteral("Fit Canvas in Window"))->isEnabled());
    QVERIFY(action(h.canvas, QStringLiteral("Select All"))->isEnabled());
    QVERIFY(!h.canvas->arrangeMenu()->isEnabled());
    QVERIFY(!h.canvas->contextAlignMenu_->isEnabled()); // absolute time
    h.add(hourRecord(QStringLiteral("BBB"), t0 + 600000));
    QCOMPARE(h.log->contentCounts.last(), 2);
    QVERIFY(h.canvas->arrangeMenu()->isEnabled());
    QVERIFY(h.canvas->contextArrangeMenu_->isEnabled());

    // the new trace comes last, unselected, with serial numbers in order
    QCOMPARE(h.canvas->traces().at(1)->serialNumber(), 2);
    QVERIFY(!h.canvas->traces().at(1)->isSelected());
    QCOMPARE(h.canvas->traces().at(1)->selectionEnd(), hourSamples - 1);
    // the time rulers were given ticks for the new span and scale
    QVERIFY(!h.scrollArea->timeTickMarks().majorTickMarkLocations.isEmpty());
    QCOMPARE(h.canvas->pixelsPerMSec(),
             double(h.canvas->width()) / double(h.canvas->timeSpan().lengthMSecs()));
}

void TestCanvas::hugeSpanQuestion_data()
{
    QTest::addColumn<long long>("afterEnd");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("answerYes");
    QTest::newRow("16 h later, No") << 16 * hour << true << false;
    QTest::newRow("16 h later, Yes") << 16 * hour << true << true;
    QTest::newRow("10 h later") << 10 * hour << false << false;
}

void TestCanvas::hugeSpanQuestion()
{
    QFETCH(long long, afterEnd);
    QFETCH(bool, asked);
    QFETCH(bool, answerYes);
    CanvasHarness h;
    h.add(hourRecord(QStringLiteral("AAA"), t0));
    // one hour with 2 % margins: 62.4 minutes
    QCOMPARE(h.canvas->timeSpan().lengthMSecs(), 3744000LL);
    QCOMPARE(h.canvas->timeMargin(), 72000LL);
    const long long start = h.canvas->timeSpan().endTimeMSecs() + afterEnd;

    auto answered = answerMessageBox(answerYes ? QMessageBox::Yes : QMessageBox::No);
    h.add(hourRecord(QStringLiteral("BBB"), start));
    stopModalWatchers();
    QCOMPARE(*answered, asked);
    QCOMPARE(h.canvas->traceCount(), 2);

    if (answerYes) {
        QCOMPARE(h.canvas->canvasTime(), RelativeTime);
        QCOMPARE(h.log->times, QList<CanvasTime>{RelativeTime});
        QCOMPARE(h.canvas->drawMode(), 3);
        QVERIFY(h.canvas->alignMenu()->isEnabled());
        QVERIFY(h.canvas->contextAlignMenu_->isEnabled());
        for (const Trace* trace : h.canvas->traces())
            QCOMPARE(trace->alignmentTime(), trace->startTimeMSecs());
        // both now start at relative time 0
        QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), -72000LL);
        QCOMPARE(h.canvas->traces().at(0)->x(), h.canvas->traces().at(1)->x());
    } else {
        QCOMPARE(h.canvas->canvasTime(), UTCTime);
        QVERIFY(h.log->times.isEmpty());
        const long long length = start + hour - t0;
        const long long margin = length * 2 / 100;
        QCOMPARE(h.canvas->timeMargin(), margin);
        QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), t0 - margin);
        QCOMPARE(h.canvas->timeSpan().endTimeMSecs(), start + hour + margin);
    }
}

void TestCanvas::noQuestionInRelativeTime()
{
    CanvasHarness h;
    h.canvas->setTime(RelativeTime);
    h.add(hourRecord(QStringLiteral("AAA"), t0));
    auto answered = answerMessageBox(QMessageBox::No);
    h.add(hourRecord(QStringLiteral("BBB"), t0 + 400 * hour));
    stopModalWatchers();
    QVERIFY(!*answered);
    QCOMPARE(h.canvas->traces().at(1)->alignmentTime(), t0 + 400 * hour);
    QCOMPARE(h.canvas->timeSpan().lengthMSecs(), 3744000LL);
}

void TestCanvas::unshowableRecordsAreRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no segment") << 0 << QStringLiteral("no data segment");
    QTest::newRow("empty segment") << 1 << QStringLiteral("no samples");
    QTest::newRow("4000 samples/s") << 2 << QStringLiteral("rounds to 0 ms");
}

void TestCanvas::unshowableRecordsAreRefused()
{
    QFETCH(int, kind);
    QFETCH(QString, reason);
    CanvasHarness h;
    h.add(hourRecord(QStringLiteral("AAA"), t0));
    const TimeSpan span = h.canvas->timeSpan();
    const QString before = h.paneText();
    const int signalsBefore = h.log->contentCounts.size();

    SeismicRecord* record;
    if (kind == 2) {
        record = makeCanvasRecord(QStringLiteral("XB"), QStringLiteral("FAST"), QString(),
                                  QStringLiteral("HHZ"), t0, 1000, 4000.0);
    } else {
        record = new SeismicRecord;
        record->setNetworkCode(QStringLiteral("XB"));
        record->setStationCode(QStringLiteral("FAST"));
        record->setChannelCode(QStringLiteral("HHZ"));
        if (kind == 1)
            record->addSegment(new TimeSeries(0, 100.0));
    }
    h.add(record);
    QCOMPARE(h.canvas->traceCount(), 1);
    QCOMPARE(h.log->contentCounts.size(), signalsBefore);
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), span.startTimeMSecs());
    QCOMPARE(h.canvas->timeSpan().endTimeMSecs(), span.endTimeMSecs());
    const QString added = h.paneText().mid(before.size());
    QCOMPARE(added.count(QLatin1Char('\n')), 1);
    QVERIFY2(added.contains(QStringLiteral("XB:FAST::HHZ")), qPrintable(added));
    QVERIFY2(added.contains(reason), qPrintable(added));
}

void TestCanvas::selectingWholeTracesAndByEvent()
{
    CanvasHarness h;
    auto* quake = new SeismicEvent;
    auto* other = new SeismicEvent;
    h.events << quake << other;
    SeismicRecord* a = h.add(hourRecord(QStringLiteral("AAA"), t0));
    h.add(hourRecord(QStringLiteral("BBB"), t0));
    SeismicRecord* c = h.add(hourRecord(QStringLiteral("CCC"), t0));
    a->setSeismicEvent(quake);
    c->setSeismicEvent(quake);
    h.canvas->traces().at(1)->hide(true);

    h.canvas->selectAll();
    QCOMPARE(h.canvas->selectionCount(), 3); // hidden ones too
    QCOMPARE(h.log->selectionCounts.last(), 3);
    QVERIFY(action(h.canvas, QStringLiteral("Deselect All"))->isEnabled());
    for (const Trace* trace : h.canvas->traces())
        QVERIFY(trace->isSelected());

    h.canvas->selectBySeismicEvent(quake);
    QCOMPARE(h.canvas->selectionCount(), 2);
    QCOMPARE(h.canvas->selectedTraces().at(0)->seismicRecord(), a);
    QCOMPARE(h.canvas->selectedTraces().at(1)->seismicRecord(), c);
    QVERIFY(!h.canvas->traces().at(1)->isSelected());

    h.canvas->selectBySeismicEvent(other);
    QCOMPARE(h.canvas->selectionCount(), 0);
    QCOMPARE(h.log->selectionCounts.last(), 0);
    QVERIFY(!action(h.canvas, QStringLiteral("Deselect All"))->isEnabled());

    h.canvas->selectAll();
    h.canvas->deselectAll();
    QCOMPARE(h.log->selectionCounts.last(), 0);
    for (const Trace* trace : h.canvas->traces())
        QVERIFY(!trace->isSelected());
}

void TestCanvas::deletingTraces()
{
    CanvasHarness h;
    for (const char* station : {"AAA", "BBB", "CCC"})
        h.add(hourRecord(QString::fromLatin1(station), t0));
    const double yOfLast = h.canvas->traces().at(2)->y();
    Trace* middle = h.canvas->traces().at(1);
    middle->select(true);
    // deleting a selected trace that is not in the selection list: the flag
    // is what counts
    h.canvas->deleteSelectedTraces();
    QCOMPARE(h.canvas->traceCount(), 2);
    QCOMPARE(h.log->contentCounts.last(), 2);
    QCOMPARE(h.log->selectionCounts.last(), 0);
    QCOMPARE(h.canvas->traces().at(1)->y(), yOfLast); // a gap stays

    h.canvas->selectAll();
    h.canvas->deleteSelectedTraces();
    QCOMPARE(h.canvas->traceCount(), 0);
    QCOMPARE(h.log->contentCounts.last(), 0);
    QCOMPARE(h.canvas->pixelsPerMSec(), 0.001);
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), 40000000000000LL);
    QCOMPARE(h.canvas->timeSpan().endTimeMSecs(), -40000000000000LL);
    QVERIFY(!action(h.canvas, QStringLiteral("Select All"))->isEnabled());

    h.add(hourRecord(QStringLiteral("DDD"), t0 + 5 * hour));
    QCOMPARE(h.canvas->traces().at(0)->serialNumber(), 1);
    QCOMPARE(h.canvas->timeSpan().startTimeMSecs(), t0 + 5 * hour - 72000);
}

void TestCanvas::deletingHiddenTracesAndDrags()
{
    CanvasHarness h;
    for (const char* station : {"AAA", "BBB", "CCC"})
        h.add(hourRecord(QString::fromLatin1(station), t0));
    // as hiding does it: the flag and the count
    h.canvas->traces().at(0)->hide(true);
    h.canvas->hiddenTraceCount_ = 1;
    h.canvas->traces().at(2)->select(true);
    h.canvas->dragging_ = true;
    h.canvas->dragTrace_ = h.canvas->traces().at(2);
    h.canvas->dragTarget_ = TraceTarget;
    h.canvas->activeHandle_ = 4;

    h.canvas->traces().at(0)->select(true);
    h.canvas->deleteSelectedTraces();
    QCOMPARE(h.canvas->hiddenTraceCount(), 0);
    QVERIFY(!h.canvas->dragging_);
    QCOMPARE(h.canvas->dragTrace_, nullptr);
    QCOMPARE(h.canvas->dragTarget_, NoTarget);
    QCOMPARE(h.canvas->activeHandle_, 0);

    // the next list layout has rows for the visible trace and new ones
    h.add(hourRecord(QStringLiteral("DDD"), t0));
    QCOMPARE(h.canvas->traceCount(), 2);
    const double rowHeight = (h.canvas->height() - 20) / 2;
    QCOMPARE(h.canvas->traces().at(0)->y(), 10.0 + int(rowHeight) / 2);
    QCOMPARE(h.canvas->traces().at(1)->y(), 10.0 + int(rowHeight) / 2 + int(rowHeight));

    // every trace hidden: the list layout leaves them where they are
    for (Trace* trace : h.canvas->traces())
        trace->hide(true);
    h.canvas->hiddenTraceCount_ = 2;
    const double y0 = h.canvas->traces().at(0)->y();
    h.canvas->layoutTraces();
    QCOMPARE(h.canvas->traces().at(0)->y(), y0);
}

QTEST_MAIN(TestCanvas)
#include "test_canvas.moc"
