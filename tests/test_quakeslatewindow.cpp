#include "app/analysistextedit.h"
#include "app/quakeslatewindow.h"
#include "app/windowgeometry.h"
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include "support/canvasharness.h"
#include "support/testhttpserver.h"
#include "support/windowtesting.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QFileDialog>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

// 2010-02-27 06:50:00 UTC.
constexpr long long startMSecs = 1267253400000LL;

QList<QPointer<QuakeslateWindow>> openedWindows;

// A window made as main and File > New make it.
QuakeslateWindow* openWindow()
{
    auto* window = new QuakeslateWindow(nullptr);
    openedWindows << window;
    window->show();
    window->initializeCanvasSize();
    return window;
}

SeismicRecord* record(const QString& network, const QString& station, SeismicEvent* event = nullptr)
{
    SeismicRecord* r = makeCanvasRecord(network, station, QStringLiteral("00"), QStringLiteral("BHZ"),
                                        startMSecs, 6000, 20.0);
    if (event)
        r->setSeismicEvent(event);
    return r;
}

SeismicEvent* eventAt(long long originMSecs, const QString& description)
{
    auto* event = new SeismicEvent;
    event->preferredOrigin()->setDateTime(QDateTime::fromMSecsSinceEpoch(originMSecs, Qt::UTC));
    event->setEventDescription(description);
    return event;
}

QAction* act(const QMainWindow* window, const char* name)
{
    QAction* action = windowAction(window, QLatin1String(name));
    if (!action)
        qFatal("no action %s", name);
    return action;
}

QStringList names(const QList<QAction*>& actions)
{
    QStringList result;
    for (QAction* action : actions)
        result << (action->isSeparator() ? QStringLiteral("-")
                   : action->menu()  ? QStringLiteral("menu:") + action->menu()->title()
                                     : action->objectName());
    return result;
}

// The actions that the trace count switches on together (3 or more traces
// change nothing further).
const QStringList contentFollowers = {
    "actionViewSeismogramList", "actionUTCTime", "actionRelativeTime", "actionZoomCursor",
    "actionMeasureCursor", "actionPickCursor", "actionShowHidePicks", "actionFitInWindow",
    "actionFitHeightInWindow", "actionFitWidthInWindow", "actionFitCanvasToSeismograms",
    "actionCompressTimeAxis", "actionStretchTimeAxis", "actionCompressVerticalAxis",
    "actionStretchVerticalAxis", "actionShowTrueRelativeAmplitudes", "actionPrint", "actionExportPDF",
    "actionSelectAll",
};

// The actions that any selection switches on and an empty one off.
const QStringList selectionFollowers = {
    "actionDelete", "actionDeselectAll", "actionExportSACBinaryFiles", "actionExportGeoCSVFiles",
    "actionInvertSelectedTraces", "actionGetTraceInfo", "actionFindSelectionMinMaxMean", "actionFilter",
    "actionDecimate", "actionRemoveSelectionMeans", "actionRemoveSelectedTrends", "actionTrimToSelection",
    "actionTaper", "actionEnvelope", "actionSmooth", "actionPlotSpectrum", "actionPlotSpectrogram",
    "actionRevertToOriginal", "actionHideSelectedTraces", "actionFormatSelectedTraces",
    "actionRestoreOriginalPolarities", "actionClearPicksfromSelectedTraces",
};

} // namespace

class TestQuakeslateWindow : public QObject
{
    Q_OBJECT

private:
    TestHttpServer services_;
    QTemporaryDir settingsDir_;
    int settingsCase_ = 0;

    // Points the settings store at a fresh folder holding only text as the
    // configuration file, or no file when text is null.
    void useSettingsFile(const QByteArray& text);

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void numbersAndCascade();
    void sizedFromThePrimaryScreen();
    void constructorCompletesTheForm();
    void actionGroupsAreExclusive();
    void predictedArrivalsSetting_data();
    void predictedArrivalsSetting();
    void predictedArrivalsValueForms();

    void contentRule_data();
    void contentRule();
    void selectionRule_data();
    void selectionRule();
    void layoutRule();
    void timeRule();

    void traceCountSwitchesSectionAndFlip();
    void exportMenuFollowsTheSelection();
    void trueRelativeAmplitudes();
    void recordSectionEndsTheMoveTool();
    void pickToolShowsPicks();
    void paneCommandsWhenThePaneHasFocus();
    void canvasCommandsOtherwise();
    void viewCommandsStepByCubeRoots();
    void toggleTexts();
    void hideAndShowTraces();
    void actionsReachTheCanvas();
    void newWindowAndExit();
    void closingDeletesTheWindowAndWhatItHolds();
};

void TestQuakeslateWindow::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("TAVO"));
    QCoreApplication::setApplicationName(QStringLiteral("Quakeslate"));
    QVERIFY(settingsDir_.isValid());
    useSettingsFile(QByteArray());
    // Every service the window could reach answers "no data" from here.
    QVERIFY(services_.startHttp());
    pointServicesAt(services_.hostPort());
}

void TestQuakeslateWindow::cleanup()
{
    stopModalWatchers();
    for (const QPointer<QuakeslateWindow>& window : qAsConst(openedWindows)) {
        if (window)
            window->close();
    }
    openedWindows.clear();
    deleteClosedWindows();
}

void TestQuakeslateWindow::useSettingsFile(const QByteArray& text)
{
    // A folder per case: the settings store caches files it has read.
    const QString folder = settingsDir_.filePath(QString::number(++settingsCase_));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/TAVO")));
    for (QSettings::Format format : { QSettings::NativeFormat, QSettings::IniFormat }) {
        QSettings::setPath(format, QSettings::UserScope, folder);
        QSettings::setPath(format, QSettings::SystemScope, folder + QStringLiteral("/system"));
    }
    if (text.isNull())
        return;
    QFile file(folder + QStringLiteral("/TAVO/Quakeslate.conf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

void TestQuakeslateWindow::numbersAndCascade()
{
    QPointer<QuakeslateWindow> first = openWindow();
    const int n = first->windowNumber();
    QCOMPARE(first->windowTitle(), QStringLiteral("Quakeslate #%1").arg(n));
    QCOMPARE(first->pos(), QPoint(30, 30));

    QPointer<QuakeslateWindow> second = openWindow();
    QCOMPARE(second->windowNumber(), n + 1);
    QCOMPARE(second->windowTitle(), QStringLiteral("Quakeslate #%1").arg(n + 1));
    QCOMPARE(second->pos(), QPoint(50, 50));

    // Numbers are never reused; places follow the windows alive.
    first->close();
    deleteClosedWindows();
    QVERIFY(!first);
    QPointer<QuakeslateWindow> third = openWindow();
    QCOMPARE(third->windowNumber(), n + 2);
    QCOMPARE(third->pos(), QPoint(50, 50));
    // The canvas prints the window's own number.
    QCOMPARE(third->canvas()->canvasNumber(), n + 2);
}

void TestQuakeslateWindow::sizedFromThePrimaryScreen()
{
    QuakeslateWindow* window = openWindow();
    const QRect available = QGuiApplication::screens().first()->availableGeometry();
    const QSize wanted = WindowGeometry::initialSize(available);
    // The window never goes below what its menus and tool bar need.
    QCOMPARE(window->size(), wanted.expandedTo(window->minimumSizeHint()));
}

void TestQuakeslateWindow::constructorCompletesTheForm()
{
    QuakeslateWindow* window = openWindow();
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    // The removed status bar is deleted later.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window->findChild<QStatusBar*>());

    // Tool column beside the splitter; canvas above the pane.
    auto* splitter = window->findChild<QSplitter*>();
    QVERIFY(splitter);
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    QCOMPARE(splitter->count(), 2);
    auto* scrollArea = qobject_cast<SeismicScrollArea*>(splitter->widget(0));
    auto* pane = qobject_cast<AnalysisTextEdit*>(splitter->widget(1));
    QVERIFY(scrollArea);
    QVERIFY(pane);
    QCOMPARE(scrollArea->widget(), window->canvas());
    QVERIFY(splitter->sizes().at(0) > splitter->sizes().at(1));
    QCOMPARE(pane->toPlainText(), QStringLiteral("Analysis Output:\n"));
    QCOMPARE(pane->tabStopDistance(), 100.0);
    QVERIFY(pane->isReadOnly());

    QStringList column;
    for (QToolButton* button : window->findChild<QFrame*>(QStringLiteral("cursorToolColumn"))
                                   ->findChildren<QToolButton*>())
        column << button->defaultAction()->objectName();
    QCOMPARE(column, QStringList({ "actionSelectionCursor", "actionMoveCursor", "actionZoomCursor",
                                   "actionMeasureCursor", "actionPickCursor" }));

    // The Filter button opens the filter menu at once.
    auto* toolBar = window->findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    auto* filterButton = qobject_cast<QToolButton*>(toolBar->widgetForAction(act(window, "actionFilter")));
    QVERIFY(filterButton);
    QCOMPARE(filterButton->menu(), windowMenu(window, QStringLiteral("menuFilter")));
    QCOMPARE(filterButton->popupMode(), QToolButton::InstantPopup);

    // The canvas's two menus stand where the placeholders stood.
    const QStringList traces = names(windowMenu(window, QStringLiteral("menuTraces"))->actions());
    QCOMPARE(traces.mid(0, 3), QStringList({ "menu:Arrange Traces By", "menu:Align Traces By", "-" }));
    QCOMPARE(windowMenu(window, QStringLiteral("menuTraces"))->actions().at(0)->menu(),
             window->canvas()->arrangeMenu());
    QCOMPARE(windowMenu(window, QStringLiteral("menuTraces"))->actions().at(1)->menu(),
             window->canvas()->alignMenu());
    QVERIFY(!traces.contains(QStringLiteral("actionPlaceholderForArrangeTracesBy")));
    QVERIFY(!traces.contains(QStringLiteral("actionPlaceholderForAlignTracesBy")));

    QCOMPARE(act(window, "actionConfigurePredictedPhases")->text(),
             QStringLiteral("Configure Predicted Phases..."));
    // Checked at first display.
    QVERIFY(act(window, "actionViewSeismogramList")->isChecked());
    QVERIFY(act(window, "actionUTCTime")->isChecked());
    QVERIFY(act(window, "actionSelectionCursor")->isChecked());
    QCOMPARE(windowMenu(window, QStringLiteral("menuExportSelectedSeismograms"))->title(),
             QStringLiteral("Export Selected Seismograms to"));
    QVERIFY(!act(window, "actionConfigurePredictedPhases")->isEnabled());
    QVERIFY(!act(window, "actionShowHidePredictedArrivalTimes")->isEnabled());
}

void TestQuakeslateWindow::actionGroupsAreExclusive()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));

    const QStringList tools = { "actionSelectionCursor", "actionMoveCursor", "actionZoomCursor",
                                "actionMeasureCursor", "actionPickCursor" };
    const CursorMode modes[] = { SelectMode, MoveMode, ZoomMode, MeasureMode, PickMode };
    for (int i = 0; i < tools.size(); ++i) {
        QAction* tool = windowAction(window, tools.at(i));
        tool->trigger();
        QCOMPARE(window->canvas()->cursorMode(), modes[i]);
        for (const QString& other : tools)
            QCOMPARE(windowAction(window, other)->isChecked(), other == tools.at(i));
    }

    act(window, "actionViewRecordSection")->trigger();
    QVERIFY(!act(window, "actionViewSeismogramList")->isChecked());
    QCOMPARE(window->canvas()->canvasLayout(), RecordSection);
    act(window, "actionRelativeTime")->trigger();
    QVERIFY(!act(window, "actionUTCTime")->isChecked());
    QCOMPARE(window->canvas()->canvasTime(), RelativeTime);
}

void TestQuakeslateWindow::predictedArrivalsSetting_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("phases");

    QTest::newRow("no file") << QByteArray() << QStringList({ "P", "S" });
    QTest::newRow("no key") << QByteArray("[General]\nOther=1\n") << QStringList({ "P", "S" });
    QTest::newRow("one phase") << QByteArray("[General]\nPredictedArrivals=PKP\n") << QStringList({ "PKP" });
    // Unquoted, the store reads a list; quoted, one text. Both count.
    QTest::newRow("unquoted list") << QByteArray("[General]\nPredictedArrivals=P,S,PcP\n")
                                   << QStringList({ "P", "S", "PcP" });
    QTest::newRow("quoted text") << QByteArray("[General]\nPredictedArrivals=\"P,S,PcP\"\n")
                                 << QStringList({ "P", "S", "PcP" });
    QTest::newRow("empty parts unquoted") << QByteArray("[General]\nPredictedArrivals=P,,S,\n")
                                          << QStringList({ "P", "S" });
    QTest::newRow("empty parts quoted") << QByteArray("[General]\nPredictedArrivals=\",P,,ScS,\"\n")
                                        << QStringList({ "P", "ScS" });
    QTest::newRow("case kept") << QByteArray("[General]\nPredictedArrivals=\"p,Pdiff\"\n")
                               << QStringList({ "p", "Pdiff" });
    QTest::newRow("empty value") << QByteArray("[General]\nPredictedArrivals=\n") << QStringList();
}

void TestQuakeslateWindow::predictedArrivalsSetting()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, phases);
    useSettingsFile(file);
    QuakeslateWindow* window = openWindow();
    QCOMPARE(window->canvas()->predictedPhasesList(), phases);
}

void TestQuakeslateWindow::predictedArrivalsValueForms()
{
    QCOMPARE(QuakeslateWindow::predictedPhasesFromSetting(QVariant()), QStringList({ "P", "S" }));
    QCOMPARE(QuakeslateWindow::predictedPhasesFromSetting(QString()), QStringList());
    QCOMPARE(QuakeslateWindow::predictedPhasesFromSetting(QStringList({ "P", "", "S,SKS" })),
             QStringList({ "P", "S", "SKS" }));
    QCOMPARE(QuakeslateWindow::predictedPhasesFromSetting(QVariantList({ "PcP", "ScS" })),
             QStringList({ "PcP", "ScS" }));
}

// ---- Responder rules -------------------------------------------------------

void TestQuakeslateWindow::contentRule_data()
{
    QTest::addColumn<int>("traces");
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("time");
    QTest::addColumn<bool>("moveBefore");
    QTest::addColumn<bool>("showAllBefore");
    QTest::addColumn<bool>("moveAfter");
    QTest::addColumn<bool>("showAllAfter");

    QTest::newRow("none") << 0 << 0 << 0 << true << true << false << false;
    QTest::newRow("none, negative") << -1 << 0 << 0 << true << true << false << false;
    QTest::newRow("one, list") << 1 << 0 << 0 << false << false << true << false;
    QTest::newRow("one, list, shown all kept") << 1 << 0 << 0 << false << true << true << true;
    QTest::newRow("two, list") << 2 << 0 << 0 << false << false << true << false;
    QTest::newRow("five, list, relative") << 5 << 0 << 1 << false << false << true << false;
    // In a record section on UTC the move tool keeps its state.
    QTest::newRow("two, section, UTC, off kept") << 2 << 1 << 0 << false << false << false << false;
    QTest::newRow("two, section, UTC, on kept") << 2 << 1 << 0 << true << false << true << false;
    QTest::newRow("two, section, relative") << 2 << 1 << 1 << false << false << true << false;
    QTest::newRow("none, section") << 0 << 1 << 1 << true << true << false << false;
}

void TestQuakeslateWindow::contentRule()
{
    QFETCH(int, traces);
    QFETCH(int, layout);
    QFETCH(int, time);
    QFETCH(bool, moveBefore);
    QFETCH(bool, showAllBefore);
    QFETCH(bool, moveAfter);
    QFETCH(bool, showAllAfter);

    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    auto* event = eventAt(startMSecs - 60000, QStringLiteral("Event A"));
    window->addSeismicEvent(event);
    window->canvas()->setCanvasLayout(CanvasLayout(layout));
    window->canvas()->setTime(CanvasTime(time));
    QCOMPARE(int(window->canvas()->canvasLayout()), layout);
    QCOMPARE(int(window->canvas()->canvasTime()), time);

    // The opposite of what the rule should leave, so that every effect shows.
    for (const QString& name : contentFollowers)
        windowAction(window, name)->setEnabled(traces < 1);
    act(window, "actionViewRecordSection")->setEnabled(traces < 2);
    act(window, "actionFlipVerticalAxis")->setEnabled(traces < 2);
    act(window, "actionMoveCursor")->setEnabled(moveBefore);
    act(window, "actionShowAllTraces")->setEnabled(showAllBefore);
    event->enableSelection(traces < 1);

    window->respondToCanvasContentChange(traces);

    for (const QString& name : contentFollowers)
        QVERIFY2(windowAction(window, name)->isEnabled() == (traces >= 1), qPrintable(name));
    QCOMPARE(act(window, "actionViewRecordSection")->isEnabled(), traces >= 2);
    QCOMPARE(act(window, "actionFlipVerticalAxis")->isEnabled(), traces >= 2);
    QCOMPARE(act(window, "actionMoveCursor")->isEnabled(), moveAfter);
    QCOMPARE(act(window, "actionShowAllTraces")->isEnabled(), showAllAfter);
    QCOMPARE(event->selectionAction()->isEnabled(), traces >= 1);
    QVERIFY(act(window, "actionSelectionCursor")->isEnabled());
}

void TestQuakeslateWindow::selectionRule_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("trueRelative");

    for (int layout : { 0, 1 }) {
        for (bool trueRelative : { false, true }) {
            for (int selected : { 0, 1, 2, 3 }) {
                QTest::addRow("%d selected, %s, %s", selected, layout ? "section" : "list",
                              trueRelative ? "common gain" : "equal heights")
                    << selected << layout << trueRelative;
            }
        }
    }
}

void TestQuakeslateWindow::selectionRule()
{
    QFETCH(int, selected);
    QFETCH(int, layout);
    QFETCH(bool, trueRelative);

    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    auto* event = eventAt(startMSecs - 60000, QStringLiteral("Event A"));
    window->addSeismicEvent(event);
    window->canvas()->setCanvasLayout(CanvasLayout(layout));
    window->canvas()->showTrueRelativeAmplitudes(trueRelative);

    const bool any = selected >= 1;
    for (const QString& name : selectionFollowers)
        windowAction(window, name)->setEnabled(!any);
    windowMenu(window, QStringLiteral("menuExportSelectedSeismograms"))->setEnabled(!any);
    windowMenu(window, QStringLiteral("menuFilter"))->setEnabled(!any);
    act(window, "actionExportMiniSEEDFile")->setEnabled(true);
    act(window, "actionOverlaySelectedTraces")->setEnabled(true);
    // Where the rule keeps a state, the state before is one it would not set.
    act(window, "actionEqualizeSelectedAmplitudes")->setEnabled(!any || trueRelative ? !any : false);
    act(window, "actionIncreaseTraceAmplitudes")->setEnabled(true);
    act(window, "actionDecreaseTraceAmplitudes")->setEnabled(true);
    if (any) {
        act(window, "actionIncreaseTraceAmplitudes")->setEnabled(false);
        act(window, "actionDecreaseTraceAmplitudes")->setEnabled(false);
    }
    event->enableAssignment(!any);

    window->respondToCanvasSelectionChange(selected);

    for (const QString& name : selectionFollowers)
        QVERIFY2(windowAction(window, name)->isEnabled() == any, qPrintable(name));
    QCOMPARE(windowMenu(window, QStringLiteral("menuExportSelectedSeismograms"))->isEnabled(), any);
    QCOMPARE(windowMenu(window, QStringLiteral("menuFilter"))->isEnabled(), any);
    QVERIFY(!act(window, "actionExportMiniSEEDFile")->isEnabled());
    QCOMPARE(act(window, "actionOverlaySelectedTraces")->isEnabled(), selected >= 2 && layout == 0);
    QCOMPARE(event->assignmentAction()->isEnabled(), any);

    if (!any)
        QVERIFY(!act(window, "actionEqualizeSelectedAmplitudes")->isEnabled());
    else if (!trueRelative)
        QVERIFY(act(window, "actionEqualizeSelectedAmplitudes")->isEnabled());
    else
        QVERIFY(!act(window, "actionEqualizeSelectedAmplitudes")->isEnabled()); // kept
    // With one common gain the steps act on all traces: an empty selection keeps them.
    const bool steps = any || trueRelative;
    QCOMPARE(act(window, "actionIncreaseTraceAmplitudes")->isEnabled(), steps);
    QCOMPARE(act(window, "actionDecreaseTraceAmplitudes")->isEnabled(), steps);

    const bool plural = selected >= 2;
    QCOMPARE(act(window, "actionExportSACBinaryFiles")->text(),
             plural ? QStringLiteral("SAC Binary Files...") : QStringLiteral("SAC Binary File..."));
    QCOMPARE(windowMenu(window, QStringLiteral("menuExportSelectedSeismograms"))->title(),
             selected == 1 ? QStringLiteral("Export Selected Seismogram to")
                           : QStringLiteral("Export Selected Seismograms to"));
    QCOMPARE(act(window, "actionPlotSpectrum")->text(),
             plural ? QStringLiteral("Plot Spectra of Selections") : QStringLiteral("Plot Spectra of Selection"));
    QCOMPARE(act(window, "actionPlotSpectrogram")->text(),
             plural ? QStringLiteral("Plot Spectrograms of Selections")
                    : QStringLiteral("Plot Spectrogram of Selection"));
}

void TestQuakeslateWindow::layoutRule()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    window->canvas()->selectAll();
    QVERIFY(act(window, "actionOverlaySelectedTraces")->isEnabled());

    window->respondToCanvasLayoutChange(RecordSection);
    QVERIFY(!act(window, "actionMoveCursor")->isEnabled());
    QVERIFY(!act(window, "actionOverlaySelectedTraces")->isEnabled());
    QVERIFY(act(window, "actionConfigurePredictedPhases")->isEnabled());
    QVERIFY(act(window, "actionShowHidePredictedArrivalTimes")->isEnabled());

    window->respondToCanvasLayoutChange(SeismogramList);
    QVERIFY(act(window, "actionMoveCursor")->isEnabled());
    QVERIFY(act(window, "actionOverlaySelectedTraces")->isEnabled());
    QVERIFY(!act(window, "actionConfigurePredictedPhases")->isEnabled());
    QVERIFY(!act(window, "actionShowHidePredictedArrivalTimes")->isEnabled());

    // With fewer than two selected, the list leaves the overlay off.
    window->canvas()->deselectAll();
    act(window, "actionOverlaySelectedTraces")->setEnabled(false);
    window->respondToCanvasLayoutChange(SeismogramList);
    QVERIFY(!act(window, "actionOverlaySelectedTraces")->isEnabled());
}

void TestQuakeslateWindow::timeRule()
{
    QuakeslateWindow* window = openWindow();
    window->respondToCanvasTimeChange(RelativeTime);
    QVERIFY(act(window, "actionRelativeTime")->isChecked());
    QVERIFY(!act(window, "actionUTCTime")->isChecked());
    // Checking is all: the canvas hears nothing back.
    QCOMPARE(window->canvas()->canvasTime(), UTCTime);
    window->respondToCanvasTimeChange(UTCTime);
    QVERIFY(act(window, "actionUTCTime")->isChecked());
    QVERIFY(!act(window, "actionRelativeTime")->isChecked());
}

// ---- The rules as the canvas drives them -----------------------------------

void TestQuakeslateWindow::traceCountSwitchesSectionAndFlip()
{
    QuakeslateWindow* window = openWindow();
    QVERIFY(!act(window, "actionSelectAll")->isEnabled());
    window->addSeismicRecord(record("IU", "AAA"));
    QVERIFY(act(window, "actionSelectAll")->isEnabled());
    QVERIFY(!act(window, "actionViewRecordSection")->isEnabled());
    QVERIFY(!act(window, "actionFlipVerticalAxis")->isEnabled());
    auto* second = record("IU", "BBB", eventAt(startMSecs - 60000, QStringLiteral("B")));
    window->addSeismicRecord(second);
    QVERIFY(act(window, "actionViewRecordSection")->isEnabled());
    QVERIFY(act(window, "actionFlipVerticalAxis")->isEnabled());

    // Delete the second trace only: its event selects it.
    second->seismicEvent()->selectionAction()->trigger();
    QCOMPARE(window->canvas()->selectionCount(), 1);
    act(window, "actionDelete")->trigger();
    QCOMPARE(window->canvas()->traceCount(), 1);
    QVERIFY(!act(window, "actionViewRecordSection")->isEnabled());
    QVERIFY(!act(window, "actionFlipVerticalAxis")->isEnabled());

    window->canvas()->selectAll();
    act(window, "actionDelete")->trigger();
    QCOMPARE(window->canvas()->traceCount(), 0);
    QVERIFY(!act(window, "actionSelectAll")->isEnabled());
    QVERIFY(!act(window, "actionPrint")->isEnabled());
    QVERIFY(!act(window, "actionDelete")->isEnabled());
}

void TestQuakeslateWindow::exportMenuFollowsTheSelection()
{
    QuakeslateWindow* window = openWindow();
    auto* a = eventAt(startMSecs - 60000, QStringLiteral("A"));
    window->addSeismicRecord(record("IU", "AAA", a));
    window->addSeismicRecord(record("IU", "BBB"));
    QMenu* exportMenu = windowMenu(window, QStringLiteral("menuExportSelectedSeismograms"));

    a->selectionAction()->trigger();
    QCOMPARE(window->canvas()->selectionCount(), 1);
    QCOMPARE(exportMenu->title(), QStringLiteral("Export Selected Seismogram to"));
    QCOMPARE(act(window, "actionExportSACBinaryFiles")->text(), QStringLiteral("SAC Binary File..."));
    QVERIFY(exportMenu->isEnabled());

    act(window, "actionSelectAll")->trigger();
    QCOMPARE(exportMenu->title(), QStringLiteral("Export Selected Seismograms to"));
    QCOMPARE(act(window, "actionExportSACBinaryFiles")->text(), QStringLiteral("SAC Binary Files..."));

    a->selectionAction()->trigger();
    act(window, "actionDeselectAll")->trigger();
    QCOMPARE(window->canvas()->selectionCount(), 0);
    QCOMPARE(exportMenu->title(), QStringLiteral("Export Selected Seismograms to"));
    QCOMPARE(act(window, "actionExportSACBinaryFiles")->text(), QStringLiteral("SAC Binary File..."));
    QVERIFY(!exportMenu->isEnabled());
    QVERIFY(!act(window, "actionExportMiniSEEDFile")->isEnabled());
}

void TestQuakeslateWindow::trueRelativeAmplitudes()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    QAction* toggle = act(window, "actionShowTrueRelativeAmplitudes");
    QAction* increase = act(window, "actionIncreaseTraceAmplitudes");
    QAction* decrease = act(window, "actionDecreaseTraceAmplitudes");
    QVERIFY(!increase->isEnabled());

    toggle->trigger();
    QVERIFY(window->canvas()->showingTrueRelativeAmplitudes());
    QCOMPARE(toggle->text(), QStringLiteral("Equalize All Trace Amplitudes"));
    QCOMPARE(increase->text(), QStringLiteral("Increase All Amplitudes"));
    QCOMPARE(increase->toolTip(), QStringLiteral("Increase the amplitudes of all traces"));
    QCOMPARE(decrease->text(), QStringLiteral("Decrease All Amplitudes"));
    QCOMPARE(decrease->toolTip(), QStringLiteral("Decrease the amplitudes of all traces"));
    QVERIFY(increase->isEnabled());
    QVERIFY(decrease->isEnabled());
    QVERIFY(!act(window, "actionEqualizeSelectedAmplitudes")->isEnabled());

    // Selecting and clearing leaves the steps on; they act on every trace.
    window->canvas()->selectAll();
    QVERIFY(!act(window, "actionEqualizeSelectedAmplitudes")->isEnabled());
    window->canvas()->deselectAll();
    QVERIFY(increase->isEnabled());
    QVERIFY(decrease->isEnabled());
    const double gain = window->canvas()->traces().at(0)->gain();
    increase->trigger();
    QCOMPARE(window->canvas()->traces().at(0)->gain(), gain * QuakeslateWindow::cubeRootOfTwo_);

    toggle->trigger();
    QVERIFY(!window->canvas()->showingTrueRelativeAmplitudes());
    QCOMPARE(toggle->text(), QStringLiteral("Show True Relative Amplitudes"));
    QCOMPARE(increase->text(), QStringLiteral("Increase Selected Amplitudes"));
    QCOMPARE(increase->toolTip(), QStringLiteral("Increase the amplitudes of selected traces"));
    QCOMPARE(decrease->text(), QStringLiteral("Decrease Selected Amplitudes"));
    QCOMPARE(decrease->toolTip(), QStringLiteral("Decrease the amplitudes of selected traces"));
    QVERIFY(!increase->isEnabled());
    QVERIFY(!decrease->isEnabled());

    // Back to common gain and out again with a selection: equalize returns.
    toggle->trigger();
    window->canvas()->selectAll();
    toggle->trigger();
    QVERIFY(act(window, "actionEqualizeSelectedAmplitudes")->isEnabled());
    QVERIFY(increase->isEnabled());
}

void TestQuakeslateWindow::recordSectionEndsTheMoveTool()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    act(window, "actionMoveCursor")->trigger();
    QCOMPARE(window->canvas()->cursorMode(), MoveMode);

    act(window, "actionViewRecordSection")->trigger();
    QCOMPARE(window->canvas()->cursorMode(), SelectMode);
    QVERIFY(act(window, "actionSelectionCursor")->isChecked());
    QVERIFY(!act(window, "actionMoveCursor")->isEnabled());
    QCOMPARE(act(window, "actionMeasureCursor")->toolTip(),
             QStringLiteral("Measure times, ray parameters and apparent velocities"));

    // Relative time in the section gives the move tool back with the next trace count.
    act(window, "actionRelativeTime")->trigger();
    window->addSeismicRecord(record("IU", "CCC"));
    QVERIFY(act(window, "actionMoveCursor")->isEnabled());

    act(window, "actionViewSeismogramList")->trigger();
    QVERIFY(act(window, "actionMoveCursor")->isEnabled());
    QCOMPARE(act(window, "actionMeasureCursor")->toolTip(), QStringLiteral("Measure times"));
}

void TestQuakeslateWindow::pickToolShowsPicks()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    QAction* picks = act(window, "actionShowHidePicks");
    picks->trigger();
    QCOMPARE(picks->text(), QStringLiteral("Show Picks"));

    act(window, "actionPickCursor")->trigger();
    QCOMPARE(window->canvas()->cursorMode(), PickMode);
    QCOMPARE(picks->text(), QStringLiteral("Hide Picks"));
    QVERIFY(!picks->isEnabled());

    act(window, "actionZoomCursor")->trigger();
    QVERIFY(picks->isEnabled());
    QCOMPARE(picks->text(), QStringLiteral("Hide Picks"));

    // Picks shown already: the pick tool only greys the toggle out.
    act(window, "actionPickCursor")->trigger();
    QCOMPARE(picks->text(), QStringLiteral("Hide Picks"));
    QVERIFY(!picks->isEnabled());
    act(window, "actionSelectionCursor")->trigger();
    QVERIFY(picks->isEnabled());
}

void TestQuakeslateWindow::paneCommandsWhenThePaneHasFocus()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    window->canvas()->selectAll();
    auto* pane = window->findChild<AnalysisTextEdit*>();
    pane->moveCursor(QTextCursor::End);
    pane->insertPlainText(QStringLiteral("AAA  1.5\nBBB\t2.5\n"));

    QApplication::setActiveWindow(window);
    pane->setFocus();
    QTRY_VERIFY(pane->hasFocus());

    act(window, "actionSelectAll")->trigger();
    QVERIFY(pane->textCursor().hasSelection());
    QCOMPARE(pane->textCursor().selectedText().size(), pane->toPlainText().size());

    QApplication::clipboard()->setText(QStringLiteral("before"));
    act(window, "actionCut")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Analysis\tOutput:\tAAA\t1.5\tBBB\t2.5"));
    // Copying from the pane removes neither text nor traces.
    QCOMPARE(window->canvas()->traceCount(), 2);
    QVERIFY(pane->toPlainText().contains(QStringLiteral("AAA  1.5")));

    const QString text = pane->toPlainText();
    act(window, "actionPaste")->trigger();
    QCOMPARE(pane->toPlainText(), text);

    const int position = pane->textCursor().position();
    act(window, "actionDeselectAll")->trigger();
    QVERIFY(!pane->textCursor().hasSelection());
    QCOMPARE(pane->textCursor().position(), position);
    QCOMPARE(window->canvas()->selectionCount(), 2);

    // Delete acts on the traces even from the pane.
    act(window, "actionDelete")->trigger();
    QCOMPARE(window->canvas()->traceCount(), 0);
}

void TestQuakeslateWindow::canvasCommandsOtherwise()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    auto* pane = window->findChild<AnalysisTextEdit*>();
    QApplication::setActiveWindow(window);
    window->canvas()->setFocus();
    QTRY_VERIFY(window->canvas()->hasFocus());

    act(window, "actionSelectAll")->trigger();
    QCOMPARE(window->canvas()->selectionCount(), 2);
    QVERIFY(!pane->textCursor().hasSelection());
    act(window, "actionDeselectAll")->trigger();
    QCOMPARE(window->canvas()->selectionCount(), 0);

    QApplication::clipboard()->setText(QStringLiteral("kept"));
    act(window, "actionPaste")->trigger();
    QCOMPARE(window->canvas()->traceCount(), 2);
    act(window, "actionSelectAll")->trigger();
    act(window, "actionCut")->trigger();
    QCOMPARE(window->canvas()->traceCount(), 0);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
    // Copy stays unavailable for the window's life.
    QVERIFY(!act(window, "actionCopy")->isEnabled());
}

void TestQuakeslateWindow::viewCommandsStepByCubeRoots()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    Quakeslate* canvas = window->canvas();

    const int width = canvas->width();
    for (int i = 0; i < 3; ++i)
        act(window, "actionStretchTimeAxis")->trigger();
    QVERIFY2(std::abs(canvas->width() - 2 * width) <= 3, qPrintable(QString::number(canvas->width())));
    for (int i = 0; i < 3; ++i)
        act(window, "actionCompressTimeAxis")->trigger();
    QVERIFY(std::abs(canvas->width() - width) <= 3);

    const int height = canvas->height();
    for (int i = 0; i < 3; ++i)
        act(window, "actionStretchVerticalAxis")->trigger();
    QVERIFY2(std::abs(canvas->height() - 2 * height) <= 3, qPrintable(QString::number(canvas->height())));
    for (int i = 0; i < 3; ++i)
        act(window, "actionCompressVerticalAxis")->trigger();
    QVERIFY(std::abs(canvas->height() - height) <= 3);

    // Amplitude steps act on the selected traces only.
    canvas->selectAll();
    Trace* first = canvas->traces().at(0);
    Trace* second = canvas->traces().at(1);
    const double gain = first->gain();
    for (int i = 0; i < 3; ++i)
        act(window, "actionIncreaseTraceAmplitudes")->trigger();
    QVERIFY(std::abs(first->gain() / gain - 2.0) < 1e-12);
    canvas->deselectAll();
    const double secondGain = second->gain();
    // A selection of the second trace only, by an event of its own.
    auto* event = eventAt(startMSecs - 1000, QStringLiteral("E"));
    window->addSeismicEvent(event);
    second->seismicRecord()->setSeismicEvent(event);
    event->selectionAction()->trigger();
    QCOMPARE(canvas->selectionCount(), 1);
    for (int i = 0; i < 3; ++i)
        act(window, "actionDecreaseTraceAmplitudes")->trigger();
    QVERIFY(std::abs(second->gain() / secondGain - 0.5) < 1e-12);
    QVERIFY(std::abs(first->gain() / gain - 2.0) < 1e-12);
}

void TestQuakeslateWindow::toggleTexts()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));

    QAction* picks = act(window, "actionShowHidePicks");
    picks->trigger();
    QCOMPARE(picks->text(), QStringLiteral("Show Picks"));
    picks->trigger();
    QCOMPARE(picks->text(), QStringLiteral("Hide Picks"));

    act(window, "actionViewRecordSection")->trigger();
    QAction* arrivals = act(window, "actionShowHidePredictedArrivalTimes");
    QVERIFY(arrivals->isEnabled());
    arrivals->trigger();
    QCOMPARE(arrivals->text(), QStringLiteral("Hide Predicted Arrival Times"));
    QVERIFY(window->canvas()->showingPredictedArrivals());
    arrivals->trigger();
    QCOMPARE(arrivals->text(), QStringLiteral("Show Predicted Arrival Times"));
    QVERIFY(!window->canvas()->showingPredictedArrivals());
}

void TestQuakeslateWindow::hideAndShowTraces()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    QAction* showAll = act(window, "actionShowAllTraces");
    QVERIFY(!showAll->isEnabled());

    window->canvas()->selectAll();
    act(window, "actionHideSelectedTraces")->trigger();
    QCOMPARE(window->canvas()->hiddenTraceCount(), 2);
    QCOMPARE(window->canvas()->selectionCount(), 0);
    QVERIFY(showAll->isEnabled());
    // Hidden traces still count: the trace-count actions stay on.
    QVERIFY(act(window, "actionSelectAll")->isEnabled());

    showAll->trigger();
    QCOMPARE(window->canvas()->hiddenTraceCount(), 0);
    QVERIFY(!showAll->isEnabled());

    // The canvas's context menu asks through signals that reach the same commands.
    window->canvas()->selectAll();
    emit window->canvas()->hideTraces();
    QCOMPARE(window->canvas()->hiddenTraceCount(), 2);
    QVERIFY(showAll->isEnabled());
    emit window->canvas()->showTraces();
    QCOMPARE(window->canvas()->hiddenTraceCount(), 0);
    QVERIFY(!showAll->isEnabled());
}

void TestQuakeslateWindow::actionsReachTheCanvas()
{
    QuakeslateWindow* window = openWindow();
    window->addSeismicRecord(record("IU", "AAA"));
    window->addSeismicRecord(record("IU", "BBB"));
    Quakeslate* canvas = window->canvas();
    canvas->selectAll();

    QAction* flip = act(window, "actionFlipVerticalAxis");
    flip->trigger();
    QVERIFY(flip->isChecked());
    QVERIFY(canvas->verticalAxisFlipped());
    flip->trigger();
    QVERIFY(!canvas->verticalAxisFlipped());

    act(window, "actionInvertSelectedTraces")->trigger();
    QCOMPARE(canvas->traces().at(0)->polarity(), -1);
    act(window, "actionRestoreOriginalPolarities")->trigger();
    QCOMPARE(canvas->traces().at(0)->polarity(), 1);

    auto* pane = window->findChild<AnalysisTextEdit*>();
    const int lines = pane->document()->blockCount();
    act(window, "actionFindSelectionMinMaxMean")->trigger();
    QCOMPARE(pane->document()->blockCount(), lines + 2);
    QVERIFY(pane->toPlainText().contains(QStringLiteral("AAA\t")));

    Trace* trace = canvas->traces().at(0);
    const double mean = trace->mean();
    QVERIFY(std::abs(mean) > 1e-3);
    act(window, "actionRemoveSelectionMeans")->trigger();
    QVERIFY(std::abs(trace->mean()) < std::abs(mean));
    act(window, "actionRevertToOriginal")->trigger();
    QCOMPARE(canvas->traces().at(0)->mean(), mean);

    const QString log = canvas->traces().at(0)->logString();
    act(window, "actionRemoveSelectedTrends")->trigger();
    QVERIFY(canvas->traces().at(0)->logString() != log);

    // Fit to seismograms brings a stretched canvas back to the traces' extent.
    act(window, "actionStretchTimeAxis")->trigger();
    const int stretched = canvas->width();
    act(window, "actionFitInWindow")->trigger();
    QVERIFY(canvas->width() < stretched);
}

void TestQuakeslateWindow::newWindowAndExit()
{
    QuakeslateWindow* window = openWindow();
    const int before = QApplication::topLevelWidgets().size();
    act(window, "actionNewQuakeslate")->trigger();
    QList<QuakeslateWindow*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* w = qobject_cast<QuakeslateWindow*>(widget)) {
            windows << w;
            openedWindows << w;
        }
    }
    QVERIFY(QApplication::topLevelWidgets().size() > before);
    QuakeslateWindow* newest = nullptr;
    for (QuakeslateWindow* w : windows) {
        if (!newest || w->windowNumber() > newest->windowNumber())
            newest = w;
    }
    QCOMPARE(newest->windowNumber(), window->windowNumber() + 1);
    QVERIFY(newest->isVisible());
    QCOMPARE(newest->pos(), QPoint(50, 50));
    // Its canvas fills the scroll area's viewport, as at start-up.
    auto* area = newest->findChild<SeismicScrollArea*>();
    QCOMPARE(newest->canvas()->size(), area->maximumViewportSize());

    // Exit ends the event loop at once and asks nothing; no window is closed first.
    QEventLoop loop;
    QTimer::singleShot(0, act(window, "actionExit"), &QAction::trigger);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &loop, [&loop] { loop.exit(7); });
    guard.start(10000);
    QCOMPARE(loop.exec(), 0);
    QVERIFY(window->isVisible());
    QVERIFY(newest->isVisible());
}

void TestQuakeslateWindow::closingDeletesTheWindowAndWhatItHolds()
{
    // Records, their events (shared or duplicates left behind by matching)
    // and the per-event menus go with the window; the sanitizer build checks
    // that each goes exactly once and that nothing calls back into the
    // window while it is taken apart.
    QPointer<QuakeslateWindow> window = openWindow();
    auto* shared = eventAt(startMSecs - 60000, QStringLiteral("Shared"));
    window->addSeismicRecord(record("IU", "AAA", shared));
    window->addSeismicRecord(record("IU", "BBB", eventAt(startMSecs - 60000 + 5, QStringLiteral("Copy"))));
    auto* duplicate = eventAt(startMSecs - 59998, QStringLiteral("Duplicate"));
    window->addSeismicRecord(record("IU", "CCC", duplicate));
    window->addSeismicRecord(record("IU", "DDD", duplicate));
    window->addSeismicRecord(record("IU", "EEE"));
    window->canvas()->selectAll();
    act(window, "actionImportFromSACBinaryFiles")->trigger();
    QVERIFY(openFileDialog(window));
    QPointer<QMenu> eventMenu = shared->menu();
    QPointer<Quakeslate> canvas = window->canvas();
    // Children go after the window's own part is gone: what they report on
    // their way out must not reach it.
    auto calledBack = std::make_shared<bool>(false);
    connect(eventMenu.data(), &QObject::destroyed, window.data(), [calledBack] { *calledBack = true; });
    connect(window->findChild<QFileDialog*>(), &QObject::destroyed, window.data(),
            [calledBack] { *calledBack = true; });

    window->close();
    deleteClosedWindows();
    QVERIFY(!window);
    QVERIFY(!eventMenu);
    QVERIFY(!canvas);
    QVERIFY(!*calledBack);
    // The live count went down: the next window takes the first place.
    QuakeslateWindow* next = openWindow();
    QCOMPARE(next->pos(), QPoint(30, 30));
}

QTEST_MAIN(TestQuakeslateWindow)
#include "test_quakeslatewindow.moc"
