#include "support/interactionfixture.h"

#include "app/analysistextedit.h"
#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "model/iirfilter.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/spectrum.h"
#include "model/timeseries.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

// 2019-07-06 03:20:00 UTC.
const long long T0 = 1562383200000LL;

double wave(int i)
{
    return 100.0 * std::sin(2.0 * M_PI * i / 40.0) + 3.0 * std::sin(2.0 * M_PI * i / 7.0) + 0.01 * i;
}

void threeTraces(InteractionFixture& f)
{
    f.addRecord(QStringLiteral("AAA"), QStringLiteral("BHZ"), 1000, 10.0, T0, wave);
    f.addRecord(QStringLiteral("BBB"), QStringLiteral("BHN"), 1000, 10.0, T0, wave);
    f.addRecord(QStringLiteral("CCC"), QStringLiteral("BHE"), 1000, 10.0, T0, wave);
    f.paint();
}

QVector<double> samplesOf(const Trace* t)
{
    return QVector<double>(t->samples, t->samples + t->npts());
}

// The largest deviation from the mean, in pixels as drawn.
double drawnHalfHeight(const Trace* t)
{
    return t->gain() * std::max(t->maximum() - t->mean(), t->mean() - t->minimum());
}

QComboBox* colorCombo(QDialog* d)
{
    return d->findChild<QComboBox*>(QStringLiteral("colorComboBox"));
}

} // namespace

class TestCanvasProcessing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void smoothingLeavesTracesShorterThanTheWindow()
    {
        InteractionFixture f;
        f.addRecord(QStringLiteral("SHORT"), QStringLiteral("BHZ"), 150, 10.0, T0, wave);
        f.addRecord(QStringLiteral("LONG"), QStringLiteral("BHZ"), 2000, 10.0, T0, wave);
        f.paint();
        Trace* shortTrace = f.trace(0);
        Trace* longTrace = f.trace(1);
        const QVector<double> before = samplesOf(shortTrace);
        const QVector<double> longBefore = samplesOf(longTrace);
        f.canvas->selectAll();

        f.canvas->smoothSelectedTraces(false, 99);
        QCOMPARE(samplesOf(shortTrace), before);
        QVERIFY(shortTrace->logString().isEmpty());
        QCOMPARE(longTrace->logString(), QStringLiteral("smooth[mean,99];\n"));
        QVERIFY(samplesOf(longTrace) != longBefore);
        // A running mean of 199 samples flattens the 4 s wave.
        QVERIFY(longTrace->maximum() - longTrace->minimum() < 0.5 * (100.0 * 2));

        f.canvas->smoothSelectedTraces(true, 2);
        QCOMPARE(shortTrace->logString(), QStringLiteral("smooth[median,2];\n"));
        QCOMPARE(longTrace->logString(), QStringLiteral("smooth[mean,99];\nsmooth[median,2];\n"));
        // A window one sample longer than the trace is refused, one sample
        // shorter smooths.
        f.canvas->smoothSelectedTraces(false, 75);
        QCOMPARE(shortTrace->logString(), QStringLiteral("smooth[median,2];\n"));
        f.canvas->smoothSelectedTraces(false, 74);
        QCOMPARE(shortTrace->logString(), QStringLiteral("smooth[median,2];\nsmooth[mean,74];\n"));
    }

    void filterFailureNamesTheTraceAndFiltersTheOthers()
    {
        InteractionFixture f;
        f.addRecord(QStringLiteral("SLOW"), QStringLiteral("BHZ"), 1000, 10.0, T0, wave);
        f.addRecord(QStringLiteral("FAST"), QStringLiteral("HHZ"), 10000, 100.0, T0, wave);
        f.paint();
        f.canvas->selectAll();
        IIRFilter filter(LowPass, Butterworth, 0.0, 8.0, 2, false);
        QStringList texts;
        {
            ModalAnswer box([&texts](QDialog* d) {
                auto* message = qobject_cast<QMessageBox*>(d);
                QVERIFY(message);
                QCOMPARE(message->icon(), QMessageBox::Warning);
                texts << message->text() << message->informativeText();
                message->accept();
            });
            f.canvas->filterSelectedTraces(&filter);
            QCOMPARE(box.shown, 1);
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("Filter failed for XX:SLOW:00:BHZ"),
                                     QStringLiteral("Corner frequency exceeded Nyquist frequency")}));
        QVERIFY(f.trace(0)->logString().isEmpty());
        QCOMPARE(f.trace(1)->logString(), QStringLiteral("filter[low pass,Butterworth,8hz,order 2];\n"));
        // The filter stays the caller's.
        QCOMPARE(filter.highFrequency(), 8.0);
    }

    void formatColoursCycleInCanvasOrder()
    {
        InteractionFixture f;
        threeTraces(f);
        // Selected bottom up.
        f.click(f.pointOn(f.trace(2), 100));
        f.click(f.pointOn(f.trace(0), 100), Qt::LeftButton, Qt::ShiftModifier);
        f.click(f.pointOn(f.trace(1), 100), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(f.canvas->selectedTraces().first(), f.trace(2));
        {
            ModalAnswer answer([](QDialog* d) {
                QCOMPARE(colorCombo(d)->count(), 11);
                colorCombo(d)->setCurrentIndex(10);
                d->findChild<QDoubleSpinBox*>(QStringLiteral("strokeWeightSpinBox"))->setValue(2.5);
                d->accept();
            });
            f.canvas->formatSelectedTraces();
            QCOMPARE(answer.shown, 1);
        }
        QCOMPARE(f.trace(0)->color(), QColor(QStringLiteral("forestgreen")));
        QCOMPARE(f.trace(1)->color(), QColor(QStringLiteral("royalblue")));
        QCOMPARE(f.trace(2)->color(), QColor(QStringLiteral("forestgreen")));
        for (const Trace* t : f.canvas->traces())
            QCOMPARE(t->strokeWeight(), 2.5);

        // An empty cycle is refused; a listed colour then goes to all.
        bool refused = false;
        {
            ModalAnswer answer([&refused](QDialog* d) {
                colorCombo(d)->setCurrentIndex(10);
                d->findChild<QCheckBox*>(QStringLiteral("greenCheckBox"))->setChecked(false);
                d->findChild<QCheckBox*>(QStringLiteral("blueCheckBox"))->setChecked(false);
                d->accept();
                refused = d->isVisible();
                colorCombo(d)->setCurrentIndex(6);
                d->accept();
            });
            f.canvas->formatSelectedTraces();
        }
        QVERIFY(refused);
        for (const Trace* t : f.canvas->traces()) {
            QCOMPARE(t->color(), QColor(QStringLiteral("darkorange")));
            QCOMPARE(t->strokeWeight(), 1.0);
        }

        // A cancelled custom colour keeps the colour chosen before.
        {
            ModalAnswer answer([](QDialog* d) {
                if (d->inherits("QColorDialog")) {
                    d->reject();
                    return;
                }
                colorCombo(d)->setCurrentIndex(1);
                colorCombo(d)->setCurrentIndex(8);
                d->accept();
            });
            f.canvas->formatSelectedTraces();
            QCOMPARE(answer.shown, 2);
        }
        for (const Trace* t : f.canvas->traces())
            QCOMPARE(t->color(), QColor(QStringLiteral("crimson")));

        // Cancelling the format dialog changes nothing; one trace gets no cycle.
        {
            ModalAnswer answer([](QDialog* d) { d->reject(); });
            f.canvas->formatSelectedTraces();
        }
        QCOMPARE(f.trace(0)->color(), QColor(QStringLiteral("crimson")));
        f.click(f.pointOn(f.trace(1), 100));
        {
            ModalAnswer answer([](QDialog* d) {
                QCOMPARE(colorCombo(d)->count(), 9);
                QCOMPARE(d->windowTitle(), QStringLiteral("Format Trace"));
                d->accept();
            });
            f.canvas->formatSelectedTraces();
        }
        QCOMPARE(f.trace(1)->color(), QColor(QStringLiteral("black")));
        QCOMPARE(f.trace(0)->color(), QColor(QStringLiteral("crimson")));
    }

    void formatDialogStaysOnScreenOnAZoomedCanvas()
    {
        InteractionFixture f;
        threeTraces(f);
        for (int i = 0; i < 6; ++i)
            f.canvas->zoomIn(QPoint(f.canvas->width() / 2, f.canvas->height() / 2));
        QVERIFY(f.canvas->width() > 4000);
        f.canvas->selectAll();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QRect placed;
        {
            ModalAnswer answer([&placed](QDialog* d) {
                placed = d->frameGeometry();
                d->reject();
            });
            f.canvas->formatSelectedTraces();
            QCOMPARE(answer.shown, 1);
        }
        QVERIFY2(area.contains(placed), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                       .arg(placed.x())
                                                       .arg(placed.y())
                                                       .arg(placed.width())
                                                       .arg(placed.height())));
        // On a canvas of the window's size it opens at two fifths across
        // and down the canvas.
        InteractionFixture g(QSize(500, 300));
        threeTraces(g);
        g.canvas->selectAll();
        {
            ModalAnswer answer([&placed](QDialog* d) {
                placed = d->frameGeometry();
                d->reject();
            });
            g.canvas->formatSelectedTraces();
        }
        const QPoint twoFifths(int(g.canvas->width() / 2.5), int(g.canvas->height() / 2.5));
        QCOMPARE(placed.topLeft(), g.canvas->mapToGlobal(twoFifths));
    }

    void statisticsLines()
    {
        InteractionFixture f;
        f.addRecord(QStringLiteral(" SEVN "), QStringLiteral("BHZ"), 100, 10.0, T0, [](int) { return 7.0; });
        f.addRecord(QStringLiteral("BIG"), QStringLiteral("BHZ"), 100, 10.0, T0,
                    [](int i) { return 123456789.0 + 1000.0 * i; });
        f.paint();
        f.canvas->selectionMinMaxMeans();
        QVERIFY(f.paneText().isEmpty());
        f.canvas->selectAll();
        f.canvas->selectionMinMaxMeans();
        QCOMPARE(f.paneText(), QStringLiteral("SEVN\t7\t7\t7\nBIG\t1.23457e+08\t1.23556e+08\t1.23506e+08\n"));
    }

    void nothingSelectedChangesNothing()
    {
        {
            // An empty canvas.
            InteractionFixture f;
            IIRFilter filter(LowPass, Butterworth, 0.0, 1.0, 2, false);
            ModalAnswer answer([](QDialog* d) { d->reject(); });
            f.canvas->equalizeSelectedAmplitudes();
            f.canvas->overlaySelectedTraces();
            f.canvas->integrateSelectedTraces();
            f.canvas->revertSelectedSeismograms();
            f.canvas->formatSelectedTraces();
            f.canvas->showTrueRelativeAmplitudes(true);
            f.canvas->scaleTraces(2.0);
            f.canvas->showAllTraces();
            f.canvas->filterSelectedTraces(&filter);
            std::unique_ptr<QList<Spectrum*>> spectra(f.canvas->selectedSpectra());
            QVERIFY(spectra->isEmpty());
            QVERIFY(!f.canvas->tracesFromSingleEvent());
            QCOMPARE(answer.shown, 0);
        }
        InteractionFixture f;
        threeTraces(f);
        QList<QPointF> positions;
        QList<double> gains;
        QList<QVector<double>> samples;
        for (const Trace* t : f.canvas->traces()) {
            positions << t->position();
            gains << t->gain();
            samples << samplesOf(t);
        }
        IIRFilter filter(LowPass, Butterworth, 0.0, 1.0, 2, false);
        ModalAnswer answer([](QDialog* d) { d->reject(); });
        f.canvas->equalizeSelectedAmplitudes();
        f.canvas->overlaySelectedTraces();
        f.canvas->scaleTraces(3.0);
        f.canvas->invertSelectedTraces();
        f.canvas->formatSelectedTraces();
        f.canvas->formatSelectedTracesAt(QPoint(10, 10));
        f.canvas->hideSelectedTraces();
        f.canvas->removeSelectionMeans();
        f.canvas->removeSelectionTrends();
        f.canvas->trimTracesToSelections();
        f.canvas->smoothSelectedTraces(false, 3);
        f.canvas->taperSelectedTraces(CosineTaper, 0.05);
        f.canvas->taperSelectedTraces(HannTaper, 10);
        f.canvas->integrateSelectedTraces();
        f.canvas->filterSelectedTraces(&filter);
        f.canvas->revertSelectedSeismograms();
        f.canvas->clearSelectedPicks();
        f.canvas->selectionMinMaxMeans();
        std::unique_ptr<QList<Spectrum*>> spectra(f.canvas->selectedSpectra());
        QVERIFY(spectra->isEmpty());
        QCOMPARE(answer.shown, 0);
        QVERIFY(f.paneText().isEmpty());
        QCOMPARE(f.canvas->hiddenTraceCount(), 0);
        for (int i = 0; i < 3; ++i) {
            const Trace* t = f.trace(i);
            QCOMPARE(t->position(), positions.at(i));
            QCOMPARE(t->gain(), gains.at(i));
            QCOMPARE(samplesOf(t), samples.at(i));
            QVERIFY(t->logString().isEmpty());
            QCOMPARE(t->polarity(), 1);
            QVERIFY(t->isVisible());
        }
    }

    void gainsPolarityAndOverlay()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* a = f.trace(0);
        Trace* b = f.trace(1);
        Trace* c = f.trace(2);
        const int row = (f.canvas->height() - 20) / 3;

        f.click(f.pointOn(a, 100));
        f.canvas->scaleTraces(2.0);
        QCOMPARE(drawnHalfHeight(a), double(row));
        QCOMPARE(drawnHalfHeight(b), row / 2.0);
        f.canvas->equalizeSelectedAmplitudes();
        QCOMPARE(drawnHalfHeight(a), row / 2.0);

        f.canvas->invertSelectedTraces();
        QCOMPARE(a->polarity(), -1);
        QCOMPARE(b->polarity(), 1);
        f.canvas->resetPolarities();
        QCOMPARE(a->polarity(), 1);

        // Overlaid on the highest of their baselines, pinned nowhere.
        f.click(f.pointOn(c, 100), Qt::LeftButton, Qt::ShiftModifier);
        const double bY = b->y();
        f.canvas->overlaySelectedTraces();
        QCOMPARE(c->y(), a->y());
        QCOMPARE(b->y(), bY);
        QVERIFY(!c->pinnedY());

        // With one gain for all, scaling reaches every trace, hidden ones too.
        f.canvas->showTrueRelativeAmplitudes(true);
        const double common = a->gain();
        QCOMPARE(b->gain(), common);
        f.click(f.pointOn(b, 100));
        f.canvas->hideSelectedTraces();
        f.click(f.pointOn(a, 100));
        f.canvas->scaleTraces(1.5);
        QCOMPARE(a->gain(), 1.5 * common);
        QCOMPARE(b->gain(), 1.5 * common);
        QCOMPARE(c->gain(), 1.5 * common);
        f.canvas->showTrueRelativeAmplitudes(false);
        QCOMPARE(drawnHalfHeight(c), row / 2.0);
    }

    void integrationKeepsRowHeightUnlessGainsAreShared()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* a = f.trace(0);
        const int row = (f.canvas->height() - 20) / 3;
        f.click(f.pointOn(a, 100));
        f.canvas->integrateSelectedTraces();
        QCOMPARE(a->logString(), QStringLiteral("integrated;\n"));
        QCOMPARE(drawnHalfHeight(a), row / 2.0);

        f.canvas->showTrueRelativeAmplitudes(true);
        const double gain = a->gain();
        f.click(f.pointOn(f.trace(1), 100));
        Trace* b = f.trace(1);
        const double before = drawnHalfHeight(b);
        f.canvas->integrateSelectedTraces();
        QCOMPARE(b->logString(), QStringLiteral("integrated;\n"));
        QCOMPARE(b->gain(), gain);
        QVERIFY(std::abs(drawnHalfHeight(b) - before) > 1.0);
    }

    void hidingLeavesGapsUntilAllAreShown()
    {
        InteractionFixture f;
        threeTraces(f);
        const double y0 = f.trace(0)->y();
        const double y2 = f.trace(2)->y();
        f.click(f.pointOn(f.trace(1), 100));
        f.canvas->hideSelectedTraces();
        QCOMPARE(f.canvas->hiddenTraceCount(), 1);
        QCOMPARE(f.canvas->selectionCount(), 0);
        QVERIFY(!f.trace(1)->isSelected());
        QCOMPARE(f.trace(0)->y(), y0);
        QCOMPARE(f.trace(2)->y(), y2);

        // Select All also takes the hidden trace; it is counted once.
        f.canvas->selectAll();
        f.canvas->hideSelectedTraces();
        QCOMPARE(f.canvas->hiddenTraceCount(), 3);

        f.canvas->showAllTraces();
        QCOMPARE(f.canvas->hiddenTraceCount(), 0);
        QCOMPARE(f.trace(0)->y(), y0);
        QCOMPARE(f.trace(2)->y(), y2);
        for (const Trace* t : f.canvas->traces())
            QVERIFY(t->isVisible());
    }

    void trimRevertAndLogs()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* a = f.trace(0);
        const TimeSpan span = f.canvas->timeSpan();
        const double y = a->y();
        const double x = a->x();
        // A band over samples 200 to 400 of the first trace only.
        const QPoint from = f.pointOn(a, 200);
        const QPoint to = f.pointOn(a, 400);
        f.drag(QPoint(from.x(), qRound(a->y()) - 60), QPoint(to.x(), qRound(a->y()) + 60));
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{a});
        const int first = a->selectionStart();

        f.canvas->removeSelectionMeans();
        QVERIFY(a->logString().isEmpty());
        QVERIFY(std::abs(a->selectionMean()) < 1e-9);

        f.canvas->trimTracesToSelections();
        QVERIFY(a->npts() >= 200 && a->npts() <= 204);
        QCOMPARE(a->npts() % 2, 0);
        QCOMPARE(a->startTimeMSecs(), T0 + 100LL * first);
        QCOMPARE(f.canvas->timeSpan().startTimeMSecs(), span.startTimeMSecs());
        QCOMPARE(f.canvas->timeSpan().endTimeMSecs(), span.endTimeMSecs());
        QCOMPARE(a->y(), y);
        QCOMPARE(a->x(), x + 100.0 * first * f.canvas->pixelsPerMSec());
        QVERIFY(a->logString().startsWith(QStringLiteral("trimmed[Start time 2019-07-06T03:20:")));

        f.canvas->taperSelectedTraces(CosineTaper, 0.05);
        f.canvas->taperSelectedTraces(HammingTaper, 7);
        f.canvas->removeSelectionTrends();
        const QStringList entries = a->logString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(entries.mid(1), (QStringList{QStringLiteral("taper[cosine,%1 samples];").arg(a->npts() / 20),
                                              QStringLiteral("taper[hamming,7 samples];"),
                                              QStringLiteral("trend removed;")}));

        // Back to the record's samples, placed on the canvas again.
        f.canvas->revertSelectedSeismograms();
        QCOMPARE(a->npts(), 1000);
        QVERIFY(a->logString().isEmpty());
        QCOMPARE(a->startTimeMSecs(), T0);
        QCOMPARE(a->samples[17], wave(17));
        QCOMPARE(a->x(), std::trunc((T0 - f.canvas->timeSpan().startTimeMSecs()) * f.canvas->pixelsPerMSec()));
        QCOMPARE(a->selectionStart(), 0);
        QCOMPARE(a->selectionEnd(), 999);
        QCOMPARE(drawnHalfHeight(a), ((f.canvas->height() - 20) / 3) / 2.0);
    }

    void spectraEventsAndPicks()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->selectAll();
        std::unique_ptr<QList<Spectrum*>> spectra(f.canvas->selectedSpectra());
        QCOMPARE(spectra->size(), 3);
        for (Spectrum* s : *spectra) {
            QCOMPARE(s->pointCount(), 1000);
            QCOMPARE(s->frequencyStep(), 0.01);
        }
        qDeleteAll(*spectra);

        SeismicEvent* event = f.newEvent(T0 - 60000, 0.0, 0.0, 10.0);
        QVERIFY(!f.canvas->tracesFromSingleEvent());
        for (int i = 0; i < 3; ++i) {
            f.records[i]->setLatitude(0.0);
            f.records[i]->setLongitude(10.0 * (i + 1));
        }
        f.canvas->assignEventToSelectedTraces(event);
        QVERIFY(f.canvas->tracesFromSingleEvent());
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.records[i]->seismicEvent(), event);
            QVERIFY(std::abs(f.records[i]->angularDistance() - 10.0 * (i + 1)) < 1e-6);
        }
        // An equal event is not the same event.
        SeismicEvent* twin = f.newEvent(T0 - 60000, 0.0, 0.0, 10.0);
        f.click(f.pointOn(f.trace(1), 100));
        f.canvas->assignEventToSelectedTraces(twin);
        QVERIFY(!f.canvas->tracesFromSingleEvent());

        f.canvas->setCursorMode(PickMode);
        f.click(f.pointOn(f.trace(0), 100));
        f.click(f.pointOn(f.trace(1), 100));
        f.canvas->setCursorMode(SelectMode);
        f.click(f.pointOn(f.trace(1), 100));
        f.canvas->clearSelectedPicks();
        QVERIFY(f.trace(0)->hasPicks());
        QVERIFY(!f.trace(1)->hasPicks());
        QCOMPARE(f.canvas->alignMenu()->actions().last()->text(), QStringLiteral("P picks"));
    }
};

QTEST_MAIN(TestCanvasProcessing)
#include "test_canvasprocessing.moc"
