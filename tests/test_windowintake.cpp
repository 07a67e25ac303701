#include "app/quakeslatewindow.h"
#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"
#include "support/testhttpserver.h"
#include "support/windowtesting.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QtTest>

namespace {

// 2010-02-27 06:34:11.530 UTC, a large earthquake's origin time.
constexpr long long originMSecs = 1267252451530LL;

SeismicEvent* eventAt(long long msecs, const QString& description)
{
    auto* event = new SeismicEvent;
    event->preferredOrigin()->setDateTime(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
    event->setEventDescription(description);
    return event;
}

SeismicRecord* record(const QString& station, SeismicEvent* event)
{
    SeismicRecord* r = makeCanvasRecord(QStringLiteral("IU"), station, QStringLiteral("00"),
                                        QStringLiteral("BHZ"), originMSecs + 60000, 4000, 20.0);
    if (event)
        r->setSeismicEvent(event);
    return r;
}

// The Events menu as the user reads it: submenu titles, "-" for the
// separator, action texts.
QStringList eventsMenu(const QMainWindow* window)
{
    QStringList entries;
    for (QAction* action : windowMenu(window, QStringLiteral("menuEvents"))->actions()) {
        if (action->isSeparator())
            entries << QStringLiteral("-");
        else if (action->menu())
            entries << QStringLiteral("[") + action->menu()->title() + QStringLiteral("]");
        else
            entries << action->text();
    }
    return entries;
}

const QString download = QStringLiteral("Download Event Data from Web Services...");
const QString create = QStringLiteral("Create Event...");

} // namespace

class TestWindowIntake : public QObject
{
    Q_OBJECT

private:
    TestHttpServer services_;
    QPointer<QuakeslateWindow> window_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(services_.startHttp());
        pointServicesAt(services_.hostPort());
    }
    void init();
    void cleanup();

    void recordWithoutEventGoesStraightToTheCanvas();
    void eventsMatchByOriginTime_data();
    void eventsMatchByOriginTime();
    void sameEventObjectIsOneEvent();
    void submenusStackAboveTheSeparator();
    void eventActionsFollowTheCanvas();
    void selectByEvent();
    void eventAloneGetsItsMenu();
    void retitledSubmenu();
};

void TestWindowIntake::init()
{
    window_ = new QuakeslateWindow(nullptr);
    window_->show();
    window_->initializeCanvasSize();
}

void TestWindowIntake::cleanup()
{
    if (window_)
        window_->close();
    deleteClosedWindows();
    QVERIFY(!window_);
}

void TestWindowIntake::recordWithoutEventGoesStraightToTheCanvas()
{
    const QStringList before = eventsMenu(window_);
    QCOMPARE(before, QStringList({ download, create }));
    SeismicRecord* r = record(QStringLiteral("ANMO"), nullptr);
    window_->addSeismicRecord(r);
    QCOMPARE(window_->canvas()->traceCount(), 1);
    QCOMPARE(window_->canvas()->traces().at(0)->seismicRecord(), r);
    QCOMPARE(eventsMenu(window_), before);
    QVERIFY(!r->seismicEvent());
}

void TestWindowIntake::eventsMatchByOriginTime_data()
{
    QTest::addColumn<long long>("offset");
    QTest::addColumn<bool>("shared");

    QTest::newRow("same time") << 0LL << true;
    QTest::newRow("9 ms later") << 9LL << true;
    QTest::newRow("9 ms earlier") << -9LL << true;
    QTest::newRow("10 ms later") << 10LL << false;
    QTest::newRow("10 ms earlier") << -10LL << false;
    QTest::newRow("an hour later") << 3600000LL << false;
}

void TestWindowIntake::eventsMatchByOriginTime()
{
    QFETCH(long long, offset);
    QFETCH(bool, shared);

    SeismicEvent* first = eventAt(originMSecs, QStringLiteral("Offshore Bio-Bio, Chile"));
    SeismicEvent* second = eventAt(originMSecs + offset, QStringLiteral("Second copy"));
    SeismicRecord* a = record(QStringLiteral("AAA"), first);
    SeismicRecord* b = record(QStringLiteral("BBB"), second);
    window_->addSeismicRecord(a);
    window_->addSeismicRecord(b);

    QCOMPARE(window_->canvas()->traceCount(), 2);
    QCOMPARE(a->seismicEvent(), first);
    if (shared) {
        // The later record takes the event known first; its own copy is the
        // window's to release.
        QCOMPARE(b->seismicEvent(), first);
        QCOMPARE(eventsMenu(window_),
                 QStringList({ "[Offshore Bio-Bio, Chile]", "-", download, create }));
    } else {
        QCOMPARE(b->seismicEvent(), second);
        QCOMPARE(eventsMenu(window_), QStringList({ "[Offshore Bio-Bio, Chile]", "[Second copy]", "-",
                                                    download, create }));
    }
    // The distance follows the event that the record now carries.
    QCOMPARE(b->seismicEvent()->preferredOrigin()->dateTime().toMSecsSinceEpoch(),
             shared ? originMSecs : originMSecs + offset);
}

void TestWindowIntake::sameEventObjectIsOneEvent()
{
    // An event without a usable origin time equals nothing by time, not
    // even itself; records that carry the very same object still share it.
    auto* timeless = new SeismicEvent;
    timeless->preferredOrigin()->setDateTime(QDateTime());
    timeless->setEventDescription(QStringLiteral("Undated"));
    SeismicRecord* a = record(QStringLiteral("AAA"), timeless);
    SeismicRecord* b = record(QStringLiteral("BBB"), timeless);
    window_->addSeismicRecord(a);
    window_->addSeismicRecord(b);
    QCOMPARE(eventsMenu(window_), QStringList({ "[Undated]", "-", download, create }));
    QCOMPARE(b->seismicEvent(), timeless);

    // Two distinct undated copies stay two events.
    auto* other = new SeismicEvent;
    other->preferredOrigin()->setDateTime(QDateTime());
    other->setEventDescription(QStringLiteral("Undated too"));
    window_->addSeismicRecord(record(QStringLiteral("CCC"), other));
    QCOMPARE(eventsMenu(window_), QStringList({ "[Undated]", "[Undated too]", "-", download, create }));
}

void TestWindowIntake::submenusStackAboveTheSeparator()
{
    SeismicEvent* a = eventAt(originMSecs, QStringLiteral("First"));
    SeismicEvent* b = eventAt(originMSecs + 86400000, QStringLiteral("Second"));
    SeismicEvent* c = eventAt(originMSecs - 86400000, QStringLiteral("Third"));
    window_->addSeismicRecord(record(QStringLiteral("AAA"), a));
    QCOMPARE(eventsMenu(window_), QStringList({ "[First]", "-", download, create }));
    window_->addSeismicRecord(record(QStringLiteral("BBB"), b));
    window_->addSeismicRecord(record(QStringLiteral("CCC"), c));
    QCOMPARE(eventsMenu(window_), QStringList({ "[First]", "[Second]", "[Third]", "-", download, create }));

    // Each submenu holds its three commands, which know their event by index.
    int index = 0;
    for (SeismicEvent* event : { a, b, c }) {
        QMenu* menu = event->menu();
        QVERIFY(menu);
        QCOMPARE(menu->parent(), window_.data());
        QCOMPARE(menu->actions(),
                 QList<QAction*>({ event->infoAction(), event->selectionAction(), event->assignmentAction() }));
        QCOMPARE(event->infoAction()->text(), QStringLiteral("Get Info..."));
        QCOMPARE(event->selectionAction()->text(), QStringLiteral("Select traces associated with this event"));
        QCOMPARE(event->assignmentAction()->text(), QStringLiteral("Assign selected traces to this event"));
        for (QAction* action : menu->actions())
            QCOMPARE(action->data().toInt(), index);
        ++index;
    }
}

void TestWindowIntake::eventActionsFollowTheCanvas()
{
    // Registered on an empty canvas: nothing to select or assign.
    SeismicEvent* early = eventAt(originMSecs, QStringLiteral("Early"));
    window_->addSeismicEvent(early);
    QVERIFY(early->infoAction()->isEnabled());
    QVERIFY(!early->selectionAction()->isEnabled());
    QVERIFY(!early->assignmentAction()->isEnabled());

    // The first trace switches select on for every event.
    window_->addSeismicRecord(record(QStringLiteral("AAA"), nullptr));
    QVERIFY(early->selectionAction()->isEnabled());
    QVERIFY(!early->assignmentAction()->isEnabled());

    // Registered with traces but no selection, then with a selection.
    SeismicEvent* later = eventAt(originMSecs + 3600000, QStringLiteral("Later"));
    window_->addSeismicEvent(later);
    QVERIFY(later->selectionAction()->isEnabled());
    QVERIFY(!later->assignmentAction()->isEnabled());
    window_->canvas()->selectAll();
    QVERIFY(early->assignmentAction()->isEnabled());
    QVERIFY(later->assignmentAction()->isEnabled());
    SeismicEvent* third = eventAt(originMSecs + 7200000, QStringLiteral("Third"));
    window_->addSeismicEvent(third);
    QVERIFY(third->assignmentAction()->isEnabled());

    window_->canvas()->deselectAll();
    QVERIFY(!third->assignmentAction()->isEnabled());
    window_->canvas()->selectAll();
    window_->canvas()->deleteSelectedTraces();
    for (SeismicEvent* event : { early, later, third }) {
        QVERIFY(!event->selectionAction()->isEnabled());
        QVERIFY(!event->assignmentAction()->isEnabled());
        QVERIFY(event->infoAction()->isEnabled());
    }
}

void TestWindowIntake::selectByEvent()
{
    SeismicEvent* a = eventAt(originMSecs, QStringLiteral("A"));
    SeismicEvent* b = eventAt(originMSecs + 3600000, QStringLiteral("B"));
    SeismicRecord* r1 = record(QStringLiteral("AAA"), a);
    SeismicRecord* r2 = record(QStringLiteral("BBB"), b);
    SeismicRecord* r3 = record(QStringLiteral("CCC"), eventAt(originMSecs + 3, QStringLiteral("A again")));
    SeismicRecord* r4 = record(QStringLiteral("DDD"), nullptr);
    for (SeismicRecord* r : { r1, r2, r3, r4 })
        window_->addSeismicRecord(r);
    QCOMPARE(window_->canvas()->traceCount(), 4);

    a->selectionAction()->trigger();
    QStringList selected;
    for (Trace* trace : window_->canvas()->selectedTraces())
        selected << trace->seismicRecord()->stationCode();
    QCOMPARE(selected, QStringList({ "AAA", "CCC" }));

    // Selecting by the other event replaces the selection.
    b->selectionAction()->trigger();
    QCOMPARE(window_->canvas()->selectionCount(), 1);
    QCOMPARE(window_->canvas()->selectedTraces().at(0)->seismicRecord(), r2);

    // A stray trigger without an action behind it does nothing.
    QMetaObject::invokeMethod(window_, "selectByEventAction_triggered");
    QCOMPARE(window_->canvas()->selectionCount(), 1);
}

void TestWindowIntake::eventAloneGetsItsMenu()
{
    // As "Get Event Only" hands it over: no record, a submenu all the same.
    SeismicEvent* event = eventAt(originMSecs, QStringLiteral("Near Coast of Central Chile"));
    window_->addSeismicEvent(event);
    QCOMPARE(eventsMenu(window_), QStringList({ "[Near Coast of Central Chile]", "-", download, create }));
    QCOMPARE(window_->canvas()->traceCount(), 0);

    // A record of the same earthquake arriving later joins it.
    SeismicRecord* r = record(QStringLiteral("AAA"), eventAt(originMSecs + 1, QStringLiteral("copy")));
    window_->addSeismicRecord(r);
    QCOMPARE(r->seismicEvent(), event);
    QCOMPARE(eventsMenu(window_).size(), 4);
}

void TestWindowIntake::retitledSubmenu()
{
    SeismicEvent* event = eventAt(originMSecs, QStringLiteral("Old title"));
    window_->addSeismicRecord(record(QStringLiteral("AAA"), event));
    event->setEventDescription(QStringLiteral("New title"));
    QCOMPARE(eventsMenu(window_).first(), QStringLiteral("[New title...]"));
}

QTEST_MAIN(TestWindowIntake)
#include "test_windowintake.moc"
