#include "support/interactionfixture.h"

#include "app/analysistextedit.h"
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <cmath>

namespace {

// 2019-07-06 03:20:00 UTC.
const long long T0 = 1562383200000LL;

double wave(int i)
{
    return 100.0 * std::sin(2.0 * M_PI * i / 40.0);
}

// Three ten-hertz traces of 100 s, one per row, painted once.
void threeTraces(InteractionFixture& f)
{
    f.addRecord(QStringLiteral("AAA"), QStringLiteral("BHZ"), 1000, 10.0, T0, wave);
    f.addRecord(QStringLiteral("BBB"), QStringLiteral("BHN"), 1000, 10.0, T0, wave);
    f.addRecord(QStringLiteral("CCC"), QStringLiteral("BHE"), 1000, 10.0, T0, wave);
    f.paint();
}

QImage cursorImage(const QWidget* w)
{
    return w->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage resourceImage(const char* name)
{
    return QPixmap(QString::fromLatin1(name)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Columns holding red pixels that the plain pick image does not have.
QPair<int, int> phaseColumns(const QImage& cursor)
{
    const QImage plain = resourceImage(":/images/cursor-pick-32.png");
    int left = 1000;
    int right = -1;
    for (int y = 0; y < cursor.height(); ++y) {
        for (int x = 0; x < cursor.width(); ++x) {
            const QColor c = cursor.pixelColor(x, y);
            const bool red = c.alpha() > 60 && c.red() > 150 && c.green() < 100 && c.blue() < 100;
            if (red && (x >= plain.width() || y >= plain.height() || plain.pixelColor(x, y) != c)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return qMakePair(left, right);
}

// Records placed east of an event on the equator, at 10, 20 and 30 degrees.
SeismicEvent* placeOnEquator(InteractionFixture& f)
{
    SeismicEvent* event = f.newEvent(T0 - 60000, 0.0, 0.0, 10.0);
    for (int i = 0; i < f.records.size(); ++i) {
        f.records[i]->setLatitude(0.0);
        f.records[i]->setLongitude(10.0 * (i + 1));
    }
    f.canvas->selectAll();
    f.canvas->assignEventToSelectedTraces(event);
    f.canvas->deselectAll();
    return event;
}

QString lastLine(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
}

QString dtLine(double dtSeconds)
{
    return QString::asprintf("dt = %.2f sec\n", dtSeconds);
}

} // namespace

class TestCanvasInteraction : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clicksSelectAndShiftToggles()
    {
        InteractionFixture f;
        threeTraces(f);
        QSignalSpy changes(f.canvas, &Quakeslate::selectionChanged);
        Trace* a = f.trace(0);
        Trace* b = f.trace(1);

        f.click(f.pointOn(a, 100));
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{a});
        QCOMPARE(changes.last().at(0).toInt(), 1);

        f.click(f.pointOn(b, 300), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(f.canvas->selectedTraces(), (QList<Trace*>{a, b}));
        f.click(f.pointOn(a, 500), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{b});
        QVERIFY(!a->isSelected());

        // A plain click on one of several selected traces keeps it alone.
        f.canvas->selectAll();
        f.press(f.pointOn(b, 100));
        QCOMPARE(f.canvas->selectionCount(), 3);
        f.release(f.pointOn(b, 100));
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{b});
        QCOMPARE(changes.last().at(0).toInt(), 1);

        // A right click on a selected trace keeps the selection for the
        // context menu, whatever the last left click grabbed.
        f.canvas->selectAll();
        f.click(f.pointOn(a, 100), Qt::RightButton);
        QCOMPARE(f.canvas->selectionCount(), 3);
        // On an unselected one it selects that one alone.
        f.click(f.pointOn(a, 100));
        f.click(f.pointOn(b, 100), Qt::RightButton);
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{b});

        // A click beside every trace clears the selection.
        f.click(QPoint(5, 150));
        QCOMPARE(f.canvas->selectionCount(), 0);
        QCOMPARE(changes.last().at(0).toInt(), 0);
    }

    void bandSelectsTimeWindowsThenStatistics()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* a = f.trace(0);
        const int x200 = f.pointOn(a, 200).x();
        const int x400 = f.pointOn(a, 400).x();
        f.drag(QPoint(x200, 3), QPoint(x400, f.canvas->height() - 3));
        QCOMPARE(f.canvas->selectionCount(), 3);
        for (int i = 0; i < 3; ++i) {
            const Trace* t = f.canvas->selectedTraces().at(i);
            QCOMPARE(t, f.trace(i));
            QVERIFY2(std::abs(t->selectionStart() - 200) <= 2, qPrintable(QString::number(t->selectionStart())));
            QVERIFY2(std::abs(t->selectionEnd() - 400) <= 2, qPrintable(QString::number(t->selectionEnd())));
        }

        // Extending with Shift only grows a selection.
        const int x600 = f.pointOn(a, 600).x();
        f.drag(QPoint(x400 - 20, 3), QPoint(x600, a->y()), Qt::ShiftModifier);
        QVERIFY(std::abs(a->selectionStart() - 200) <= 2);
        QVERIFY(std::abs(a->selectionEnd() - 600) <= 2);
        QVERIFY(std::abs(f.trace(2)->selectionEnd() - 400) <= 2);

        f.canvas->selectionMinMaxMeans();
        const QStringList lines = f.paneText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.last().isEmpty());
        const QStringList fields = lines.first().split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 4);
        QCOMPARE(fields.at(0), QStringLiteral("AAA"));
        double low = 1e9, high = -1e9;
        for (int i = a->selectionStart(); i <= a->selectionEnd(); ++i) {
            low = std::min(low, a->samples[i]);
            high = std::max(high, a->samples[i]);
        }
        QCOMPARE(fields.at(1), QString::number(low, 'g', 6));
        QCOMPARE(fields.at(2), QString::number(high, 'g', 6));
        QVERIFY(lines.at(2).startsWith(QStringLiteral("CCC\t")));
    }

    void handlesMoveTheSelectionAndTheGain()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* b = f.trace(1);
        f.click(f.pointOn(b, 100));
        QRect box = b->selectionRect();

        // The end handle, then the start handle.
        f.drag(QPoint(box.left() + box.width(), box.center().y()), QPoint(f.pointOn(b, 500).x(), box.center().y()));
        QVERIFY2(std::abs(b->selectionEnd() - 500) <= 2, qPrintable(QString::number(b->selectionEnd())));
        QCOMPARE(b->selectionStart(), 0);
        box = b->selectionRect();
        f.drag(QPoint(box.left(), box.center().y()), QPoint(f.pointOn(b, 300).x(), box.center().y()));
        QVERIFY2(std::abs(b->selectionStart() - 300) <= 2, qPrintable(QString::number(b->selectionStart())));
        QVERIFY(std::abs(b->selectionEnd() - 500) <= 2);
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{b});

        // The top handle dragged to 40 px above the baseline.
        box = b->selectionRect();
        const double otherGain = f.trace(0)->gain();
        const int baseline = qRound(b->y());
        f.drag(QPoint(box.center().x(), box.top()), QPoint(box.center().x(), baseline - 40));
        QCOMPARE(b->gain(), 40.0 / (b->maximum() - b->mean()));
        QCOMPARE(f.trace(0)->gain(), otherGain);

        // With one gain for all, every trace follows the dragged one.
        f.canvas->showTrueRelativeAmplitudes(true);
        f.paint();
        box = b->selectionRect();
        f.drag(QPoint(box.center().x(), box.top() + box.height()), QPoint(box.center().x(), baseline + 60));
        QCOMPARE(b->gain(), 60.0 / std::abs(b->minimum() - b->mean()));
        QCOMPARE(f.trace(0)->gain(), b->gain());
        QCOMPARE(f.trace(2)->gain(), b->gain());
    }

    void zoomClicksAndKeys()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->setCursorMode(ZoomMode);
        QCOMPARE(cursorImage(f.canvas), resourceImage(":/images/cursor-zoom-in-24.png"));

        f.key(Qt::Key_Shift, true);
        QCOMPARE(cursorImage(f.canvas), resourceImage(":/images/cursor-zoom-out-24.png"));
        f.key(Qt::Key_Shift, false);
        QCOMPARE(cursorImage(f.canvas), resourceImage(":/images/cursor-zoom-in-24.png"));

        // Two steps double the canvas.
        const QSize start = f.canvas->size();
        const double root2 = 1.414213562373095;
        const QSize once(qRound(start.width() * root2), qRound(start.height() * root2));
        f.click(QPoint(400, 200));
        QCOMPARE(f.canvas->size(), once);

        // A band of 4 by 200 px is a click.
        f.drag(QPoint(300, 100), QPoint(303, 299));
        const QSize twice(qRound(once.width() * root2), qRound(once.height() * root2));
        QCOMPARE(f.canvas->size(), twice);
        QVERIFY(std::abs(twice.width() - 2 * start.width()) <= 1);

        // Shift-click zooms out, down to the window's size.
        f.click(QPoint(400, 200), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(f.canvas->size(), QSize(qRound(twice.width() * 0.70710678118655), qRound(twice.height() * 0.70710678118655)));
        f.click(QPoint(400, 200), Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(f.canvas->width() <= f.scrollArea->maximumViewportSize().width());
        QVERIFY(f.canvas->width() < once.width());

        // The right button brings the menu, not a zoom step.
        const QSize zoomedOut = f.canvas->size();
        {
            MenuAnswer closeIt;
            f.press(QPoint(400, 200), Qt::RightButton);
            f.contextMenu(QPoint(400, 200));
            f.release(QPoint(400, 200), Qt::RightButton);
        }
        QCOMPARE(f.canvas->size(), zoomedOut);

        // Shift means nothing to the other modes.
        f.canvas->setCursorMode(SelectMode);
        f.key(Qt::Key_Shift, true);
        QCOMPARE(f.canvas->cursor().shape(), Qt::ArrowCursor);
    }

    void zoomBandFillsTheView()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->setCursorMode(ZoomMode);
        const QSize start = f.canvas->size();
        // Beside every trace a band does nothing.
        f.drag(QPoint(3, 3), QPoint(12, 40));
        QCOMPARE(f.canvas->size(), start);

        const Trace* b = f.trace(1);
        const QPoint from = f.pointOn(b, 200) - QPoint(0, 60);
        f.drag(from, from + QPoint(100, 80));
        QVERIFY(f.canvas->width() > 3 * start.width());
        // Both ways alike, to the rounding of a pixel.
        QVERIFY(std::abs(double(f.canvas->width()) / start.width() - double(f.canvas->height()) / start.height()) < 0.01);
    }

    void pickClicksWriteLinesAndAlignActions()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->setCursorMode(PickMode);
        Trace* b = f.trace(1);
        QCOMPARE(f.canvas->cursor().hotSpot(), QPoint(31, 16));

        // Beside every trace: nothing.
        f.click(QPoint(5, 150));
        QVERIFY(f.paneText().isEmpty());

        const QPoint at = f.pointOn(b, 123);
        f.click(at);
        const QList<Pick*> picks = b->seismicRecord()->pickList();
        QCOMPARE(picks.size(), 1);
        QCOMPARE(picks.first()->phaseName(), QStringLiteral("P"));
        const long long offset = picks.first()->pickTimeMSecs() - T0;
        // The clicked pixel's own time, to the millisecond.
        QVERIFY(std::abs(offset - (at.x() - b->x()) / f.canvas->pixelsPerMSec()) <= 0.5);
        QVERIFY(offset > 10000 && offset < 15000);
        const QString expected = QStringLiteral("BBB\tBHN\tP\t2019/07/06\t03:20:")
                                 + QString::asprintf("%02d.%03d", int(offset / 1000), int(offset % 1000))
                                 + QStringLiteral("\tUTC\n");
        QCOMPARE(f.paneText(), expected);
        QCOMPARE(f.canvas->pickPhaseList(), QStringList{QStringLiteral("P")});

        auto alignTexts = [](QMenu* menu) {
            QStringList texts;
            for (QAction* action : menu->actions())
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            return texts;
        };
        const QStringList base{QStringLiteral("Coordinated Universal Time (UTC)"), QStringLiteral("Event Origin Time"),
                               QStringLiteral("Data Start Time")};
        QCOMPARE(alignTexts(f.canvas->alignMenu()), (base + QStringList{QStringLiteral("-"), QStringLiteral("P picks")}));
        QCOMPARE(f.canvas->alignMenu()->actions().last()->data().toString(), QStringLiteral("pick"));

        // Picking P again moves the pick and adds no entry.
        f.click(f.pointOn(b, 200));
        QCOMPARE(b->seismicRecord()->pickList().size(), 1);
        QCOMPARE(f.canvas->alignMenu()->actions().size(), 5);

        // S from the pick menu, then on another trace.
        {
            MenuAnswer answer(QStringLiteral("S"));
            f.contextMenu(QPoint(300, 300));
            QCOMPARE(answer.shown, 1);
            QCOMPARE(answer.entries, (QStringList{QStringLiteral("P"), QStringLiteral("S"), QStringLiteral("Add phase..."),
                                                  QStringLiteral("-"), QStringLiteral("Fit Canvas in Window")}));
        }
        f.click(f.pointOn(f.trace(2), 300));
        QVERIFY(lastLine(f.paneText()).startsWith(QStringLiteral("CCC\tBHE\tS\t2019/07/06\t")));
        QCOMPARE(alignTexts(f.canvas->alignMenu()),
                 (base + QStringList{QStringLiteral("-"), QStringLiteral("P picks"), QStringLiteral("S picks")}));
        QCOMPARE(f.canvas->pickPhaseList(), (QStringList{QStringLiteral("P"), QStringLiteral("S")}));

        // A new phase typed in, then offered in the menu.
        {
            ModalAnswer typed([](QDialog* d) {
                auto* input = qobject_cast<QInputDialog*>(d);
                QVERIFY(input);
                QCOMPARE(input->windowTitle(), QStringLiteral("Add new phase"));
                QCOMPARE(input->labelText(), QStringLiteral("Phase name:"));
                input->setTextValue(QStringLiteral(" PKiKP "));
                input->accept();
            });
            MenuAnswer answer(QStringLiteral("Add phase..."));
            f.contextMenu(QPoint(300, 300));
            QCOMPARE(typed.shown, 1);
        }
        f.click(f.pointOn(f.trace(0), 400));
        QVERIFY(lastLine(f.paneText()).startsWith(QStringLiteral("AAA\tBHZ\tPKiKP\t")));
        {
            MenuAnswer answer;
            f.contextMenu(QPoint(300, 300));
            QCOMPARE(answer.entries.at(2), QStringLiteral(" PKiKP "));
            QCOMPARE(answer.entries.at(3), QStringLiteral("Add phase..."));
        }
        // The name is wider than the cursor's box: drawn smaller, whole.
        const QPair<int, int> columns = phaseColumns(cursorImage(f.canvas));
        QVERIFY2(columns.first >= 1 && columns.second <= 28 && columns.second > 20,
                 qPrintable(QStringLiteral("%1..%2").arg(columns.first).arg(columns.second)));

        // A cancelled dialog changes nothing.
        {
            ModalAnswer cancelled([](QDialog* d) { d->reject(); });
            MenuAnswer answer(QStringLiteral("Add phase..."));
            f.contextMenu(QPoint(300, 300));
        }
        f.click(f.pointOn(f.trace(2), 600));
        QVERIFY(lastLine(f.paneText()).startsWith(QStringLiteral("CCC\tBHE\tPKiKP\t")));

        // However long, a name still makes a cursor.
        {
            ModalAnswer typed([](QDialog* d) {
                qobject_cast<QInputDialog*>(d)->setTextValue(QString(200, QLatin1Char('W')));
                d->accept();
            });
            MenuAnswer answer(QStringLiteral("Add phase..."));
            f.contextMenu(QPoint(300, 300));
        }
        QCOMPARE(f.canvas->cursor().hotSpot(), QPoint(31, 16));
        QVERIFY(phaseColumns(cursorImage(f.canvas)).second <= 28);
    }

    void measurementLines()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->setCursorMode(MeasureMode);
        // Upwards and downwards give the same line.
        f.drag(QPoint(100, 60), QPoint(300, 100));
        f.drag(QPoint(300, 100), QPoint(100, 60));
        const long long ms = (long long)(201 / f.canvas->pixelsPerMSec() + 0.5);
        QCOMPARE(f.paneText(), dtLine(ms / 1000.0) + dtLine(ms / 1000.0));

        placeOnEquator(f);
        f.canvas->setCanvasLayout(RecordSection);
        QCOMPARE(f.canvas->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 resourceImage(":/images/cursor-crosshair-32.png"));
        f.pane->clear();
        f.drag(QPoint(100, 60), QPoint(300, 100));
        // The layout switch fitted the canvas into the window anew.
        const double dt = (long long)(201 / f.canvas->pixelsPerMSec() + 0.5) / 1000.0;
        const double u = f.canvas->sectionPixelsPerUnit();
        QCOMPARE(f.paneText(),
                 QString::asprintf("dt = %.2f sec  p = %.2f sec/deg\n", dt, u * dt / 41));

        f.canvas->setRecordSectionVariable(KmDistanceVariable);
        f.pane->clear();
        f.drag(QPoint(100, 60), QPoint(300, 100));
        const double km = f.canvas->sectionPixelsPerUnit();
        QCOMPARE(f.paneText(),
                 QString::asprintf("dt = %.2f sec  v = %.2f km/sec\n", dt, 41 / (km * dt)));

        f.canvas->setRecordSectionVariable(AzimuthVariable);
        f.pane->clear();
        f.drag(QPoint(100, 60), QPoint(300, 100));
        QCOMPARE(f.paneText(), dtLine(dt));
    }

    void measurementWithoutTimeDifference()
    {
        // A thousand samples a second on 800 px: one pixel is well under a
        // millisecond.
        InteractionFixture f;
        for (int i = 0; i < 3; ++i)
            f.addRecord(QStringLiteral("S%1").arg(i), QStringLiteral("HHZ"), 100, 1000.0, T0, wave);
        placeOnEquator(f);
        f.canvas->setCanvasLayout(RecordSection);
        f.canvas->setRecordSectionVariable(KmDistanceVariable);
        f.paint();
        f.canvas->setCursorMode(MeasureMode);
        f.drag(QPoint(200, 50), QPoint(200, 250));
        QCOMPARE(f.paneText(), QStringLiteral("dt = 0.00 sec\n"));
        f.canvas->setRecordSectionVariable(AngularDistanceVariable);
        f.pane->clear();
        f.drag(QPoint(200, 250), QPoint(200, 50));
        QCOMPARE(f.paneText(), QStringLiteral("dt = 0.00 sec\n"));
        QVERIFY(!f.paneText().contains(QStringLiteral("inf")));
    }

    void measureReadoutAfterHandleDrag()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* b = f.trace(1);
        f.click(f.pointOn(b, 100));
        const QRect box = b->selectionRect();
        f.drag(QPoint(box.left() + box.width(), box.center().y()),
               QPoint(f.pointOn(b, 500).x(), box.center().y()));

        // Straight to the measure tool, with no hover in between.
        f.canvas->setCursorMode(MeasureMode);
        f.press(QPoint(100, 60));
        f.move(QPoint(100, 60), Qt::LeftButton);
        f.move(QPoint(300, 100), Qt::LeftButton);
        QImage image(f.canvas->size(), QImage::Format_ARGB32);
        f.canvas->render(&image);
        int blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                blue += image.pixelColor(x, y) == QColor(Qt::blue);
        QVERIFY(blue > 20);
        f.release(QPoint(300, 100));
        QVERIFY(f.paneText().startsWith(QStringLiteral("dt = ")));
    }

    void moveDrags()
    {
        InteractionFixture f;
        threeTraces(f);
        Trace* b = f.trace(1);
        f.canvas->setCursorMode(MoveMode);
        QCOMPARE(f.canvas->cursor().shape(), Qt::SizeAllCursor);

        // In UTC time a trace moves only up and down.
        const QPointF before = b->position();
        f.drag(f.pointOn(b, 100), f.pointOn(b, 100) + QPoint(30, 40));
        QCOMPARE(b->position(), before + QPointF(0, 40));
        QVERIFY(b->pinnedY());
        QVERIFY(!b->pinnedX());
        f.canvas->layoutTraces();
        QCOMPARE(b->y(), before.y() + 40);

        // In relative time it moves sideways too.
        f.canvas->setTime(RelativeTime);
        f.paint();
        const QPointF relative = b->position();
        f.drag(f.pointOn(b, 100), f.pointOn(b, 100) + QPoint(-25, -15));
        QCOMPARE(b->position(), relative + QPointF(-25, -15));
        QVERIFY(b->pinnedX());

        // A selected trace is grabbed by its selection box as well.
        f.canvas->selectAll();
        f.paint();
        const QPointF grabbed = f.trace(2)->position();
        const QRect box = f.trace(2)->selectionRect();
        const QPoint inside(box.center().x(), box.bottom() - 2);
        f.drag(inside, inside + QPoint(10, 10));
        QCOMPARE(f.trace(2)->position(), grabbed + QPointF(10, 10));

        // Not at all in a record section.
        placeOnEquator(f);
        f.canvas->setCanvasLayout(RecordSection);
        f.canvas->setCursorMode(MoveMode);
        f.paint();
        const QPointF section = b->position();
        f.drag(f.pointOn(b, 100), f.pointOn(b, 100) + QPoint(30, 40));
        QCOMPARE(b->position(), section);
    }

    void selectionContextMenu()
    {
        InteractionFixture f;
        threeTraces(f);
        QSignalSpy info(f.canvas, &Quakeslate::showTraceInfo);
        Trace* c = f.trace(2);
        const double rowY = c->y();

        // A right press on a trace selects it for the menu.
        const QPoint onC = f.pointOn(c, 100);
        {
            MenuAnswer answer(QStringLiteral("Get Info"));
            f.press(onC, Qt::RightButton);
            f.contextMenu(onC);
            f.release(onC, Qt::RightButton);
            QCOMPARE(answer.entries,
                     (QStringList{QStringLiteral("Get Info"), QStringLiteral("Format Trace..."), QStringLiteral("Hide Trace")}));
        }
        QCOMPARE(info.count(), 1);
        QCOMPARE(f.canvas->selectedTraces(), QList<Trace*>{c});

        {
            MenuAnswer answer(QStringLiteral("Hide Trace"));
            f.contextMenu(onC);
        }
        QVERIFY(!c->isVisible());
        QCOMPARE(f.canvas->hiddenTraceCount(), 1);
        QCOMPARE(f.canvas->selectionCount(), 0);

        // The canvas menu away from any selection.
        {
            MenuAnswer answer(QStringLiteral("Show All Traces"));
            f.contextMenu(QPoint(5, 5));
            QCOMPARE(answer.entries, (QStringList{QStringLiteral("Select All"), QStringLiteral("Deselect All"),
                                                  QStringLiteral("-"), QStringLiteral("Arrange Traces By"),
                                                  QStringLiteral("Align Traces By"), QStringLiteral("-"),
                                                  QStringLiteral("Show All Traces"),
                                                  QStringLiteral("Fit Canvas in Window")}));
            QVERIFY(answer.enabledEntries.contains(QStringLiteral("Show All Traces")));
            QVERIFY(!answer.enabledEntries.contains(QStringLiteral("Deselect All")));
        }
        QVERIFY(c->isVisible());
        QCOMPARE(f.canvas->hiddenTraceCount(), 0);
        QCOMPARE(c->y(), rowY);
        {
            MenuAnswer answer;
            f.contextMenu(QPoint(5, 5));
            QVERIFY(!answer.enabledEntries.contains(QStringLiteral("Show All Traces")));
        }

        // Several selected: plural entries; the format dialog opens where the
        // menu was asked for.
        f.canvas->selectAll();
        f.paint();
        const QPoint onA = f.pointOn(f.trace(0), 100);
        QPoint dialogAt;
        {
            ModalAnswer format([&dialogAt](QDialog* d) {
                dialogAt = d->pos();
                d->findChild<QComboBox*>(QStringLiteral("colorComboBox"))->setCurrentIndex(1);
                d->accept();
            });
            MenuAnswer answer(QStringLiteral("Format Selected Traces..."));
            f.contextMenu(onA);
            QCOMPARE(answer.entries, (QStringList{QStringLiteral("Get Info"), QStringLiteral("Format Selected Traces..."),
                                                  QStringLiteral("Hide Selected Traces")}));
        }
        QCOMPARE(dialogAt, f.canvas->mapToGlobal(onA));
        for (const Trace* t : f.canvas->traces())
            QCOMPARE(t->color(), QColor(QStringLiteral("crimson")));

        // Hiding several counts each once.
        {
            MenuAnswer answer(QStringLiteral("Hide Selected Traces"));
            f.contextMenu(onC);
        }
        QCOMPARE(f.canvas->hiddenTraceCount(), 3);
    }

    void otherModeMenusAndToolTips()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->setCursorMode(ZoomMode);
        {
            MenuAnswer answer;
            f.contextMenu(QPoint(300, 300));
            QCOMPARE(answer.entries, QStringList{QStringLiteral("Fit Canvas in Window")});
        }
        for (CursorMode mode : {MeasureMode, MoveMode}) {
            f.canvas->setCursorMode(mode);
            MenuAnswer answer;
            f.contextMenu(QPoint(300, 300));
            QCOMPARE(answer.shown, 0);
        }

        // Tool tips name the trace under the pointer, in a record section only.
        const Trace* b = f.trace(1);
        auto tip = [&f](const QPoint& p) {
            QHelpEvent help(QEvent::ToolTip, p, f.canvas->mapToGlobal(p));
            QApplication::sendEvent(f.canvas, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QVERIFY(tip(f.pointOn(b, 100)).isEmpty());
        placeOnEquator(f);
        f.canvas->setCanvasLayout(RecordSection);
        f.paint();
        QCOMPARE(tip(f.pointOn(b, 100)), b->labelString());
        tip(QPoint(3, 3));
        QTRY_VERIFY(!QToolTip::isVisible());

        // Entering the canvas gives it the keys.
        f.pane->setFocus();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(f.canvas, &enter);
        QCOMPARE(f.window.focusWidget(), f.canvas);
    }

    void cursorFollowsModeAndLayout()
    {
        InteractionFixture f;
        threeTraces(f);
        f.canvas->setCursorMode(MeasureMode);
        QCOMPARE(cursorImage(f.canvas), resourceImage(":/images/cursor-measure-32.png"));
        placeOnEquator(f);
        f.canvas->setCanvasLayout(RecordSection);
        QCOMPARE(cursorImage(f.canvas), resourceImage(":/images/cursor-crosshair-32.png"));
        f.canvas->setCursorMode(SelectMode);
        QCOMPARE(f.canvas->cursor().shape(), Qt::ArrowCursor);
        f.canvas->setCursorMode(MeasureMode);
        QCOMPARE(cursorImage(f.canvas), resourceImage(":/images/cursor-crosshair-32.png"));
        // A mode that does not exist is refused.
        f.canvas->setCursorMode(CursorMode(7));
        QCOMPARE(f.canvas->cursorMode(), MeasureMode);

        // Hovering over a selected trace's handles.
        f.canvas->setCanvasLayout(SeismogramList);
        f.canvas->setCursorMode(SelectMode);
        f.paint();
        Trace* a = f.trace(0);
        f.click(f.pointOn(a, 100));
        const QRect box = a->selectionRect();
        f.move(QPoint(box.center().x(), box.top()));
        QCOMPARE(f.canvas->cursor().shape(), Qt::SizeVerCursor);
        f.move(QPoint(box.left() + box.width(), box.center().y()));
        QCOMPARE(f.canvas->cursor().shape(), Qt::SizeHorCursor);
        f.move(QPoint(box.center().x(), box.center().y()));
        QCOMPARE(f.canvas->cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestCanvasInteraction)
#include "test_canvasinteraction.moc"
