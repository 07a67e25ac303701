#include "app/quakeslatewindow.h"

#include "app/analysistextedit.h"
#include "app/windowgeometry.h"
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "formats/geocsvrecord.h"
#include "formats/miniseedrecord.h"
#include "formats/sacrecord.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "ui_quakeslatewindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QSplitter>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

int QuakeslateWindow::nextWindowNumber_ = 1;
int QuakeslateWindow::windowCount_ = 0;

namespace {

// Whether a file can be created or replaced at path. Opening for appending
// creates a missing file but leaves an existing one as it is, so a writer
// that reports nothing can be checked beforehand without losing data.
bool canWrite(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

QRect primaryAvailableGeometry()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return screens.isEmpty() ? QRect(0, 0, 1024, 768) : screens.first()->availableGeometry();
}

} // namespace

QuakeslateWindow::QuakeslateWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui_(new Ui::QuakeslateWindow)
{
    // The icons live in the static core library, which would otherwise drop
    // them as unreferenced.
    Q_INIT_RESOURCE(window);
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    ++windowCount_;
    windowNumber_ = nextWindowNumber_++;
    setWindowTitle(QStringLiteral("Quakeslate #%1").arg(windowNumber_));

    const QRect available = primaryAvailableGeometry();
    resize(WindowGeometry::initialSize(available));
    move(WindowGeometry::cascadePosition(windowCount_));

    if (auto* filterButton = qobject_cast<QToolButton*>(ui_->mainToolBar->widgetForAction(ui_->actionFilter))) {
        filterButton->setMenu(ui_->menuFilter);
        filterButton->setPopupMode(QToolButton::InstantPopup);
    }

    buildCentralArea(available);
    setStatusBar(nullptr);

    fileDialog_ = new QFileDialog(this, QString(), QString(), QString());

    buildActionGroups();
    insertCanvasMenus();
    ui_->actionConfigurePredictedPhases->setText(QStringLiteral("Configure Predicted Phases..."));
    connectCanvas();

    respondToCanvasLayoutChange(SeismogramList);
    respondToCanvasContentChange(0);
    respondToCanvasSelectionChange(0);

    readPredictedPhases();
}

QuakeslateWindow::~QuakeslateWindow()
{
    --windowCount_;
    // Nothing that dies with the window may call back into it while it is
    // half destroyed: the canvas reports its last counts and dialogs report
    // their own destruction.
    const QList<QObject*> descendants = findChildren<QObject*>();
    for (QObject* object : descendants)
        QObject::disconnect(object, nullptr, this, nullptr);

    delete splitter_;
    delete printDialog_;
    delete printer_;

    // Records refer to events, so they go first. A record whose event was
    // matched to one already known left its own copy behind; several records
    // may share such a copy, so each event (and each record, should a
    // sender hand one over twice) is deleted once.
    QSet<SeismicEvent*> events(seismicEvents_.cbegin(), seismicEvents_.cend());
    qDeleteAll(QSet<SeismicRecord*>(seismicRecords_.cbegin(), seismicRecords_.cend()));
    for (SeismicEvent* event : qAsConst(orphanedEvents_))
        events.insert(event);
    qDeleteAll(events);

    delete ui_;
}

void QuakeslateWindow::buildCentralArea(const QRect& available)
{
    // The form holds the tool column beside an empty splitter; the canvas
    // and its scroll area are made here because the scroll area needs the
    // canvas at construction.
    selectionToolButton_ = ui_->selectionCursorButton;
    moveToolButton_ = ui_->moveCursorButton;
    zoomToolButton_ = ui_->zoomCursorButton;
    measureToolButton_ = ui_->measureCursorButton;
    pickToolButton_ = ui_->pickCursorButton;
    selectionToolButton_->setDefaultAction(ui_->actionSelectionCursor);
    moveToolButton_->setDefaultAction(ui_->actionMoveCursor);
    zoomToolButton_->setDefaultAction(ui_->actionZoomCursor);
    measureToolButton_->setDefaultAction(ui_->actionMeasureCursor);
    pickToolButton_->setDefaultAction(ui_->actionPickCursor);

    splitter_ = ui_->splitter;
    canvas_ = new Quakeslate(windowNumber_, this);
    scrollArea_ = new SeismicScrollArea(splitter_, canvas_);
    textEdit_ = new AnalysisTextEdit(splitter_);
    textEdit_->setTabStopDistance(100);
    textEdit_->insertPlainText(QStringLiteral("Analysis Output:\n"));
    splitter_->addWidget(scrollArea_);
    splitter_->addWidget(textEdit_);
    splitter_->setSizes(WindowGeometry::splitterSizes(available));
    splitter_->setStretchFactor(0, 1);

    canvas_->setTextEdit(textEdit_);
    canvas_->setScrollArea(scrollArea_);
}

void QuakeslateWindow::buildActionGroups()
{
    layoutGroup_ = new QActionGroup(this);
    layoutGroup_->setExclusive(true);
    layoutGroup_->addAction(ui_->actionViewSeismogramList);
    layoutGroup_->addAction(ui_->actionViewRecordSection);

    timeGroup_ = new QActionGroup(this);
    timeGroup_->setExclusive(true);
    timeGroup_->addAction(ui_->actionUTCTime);
    timeGroup_->addAction(ui_->actionRelativeTime);

    cursorGroup_ = new QActionGroup(this);
    cursorGroup_->setExclusive(true);
    cursorGroup_->addAction(ui_->actionSelectionCursor);
    cursorGroup_->addAction(ui_->actionMoveCursor);
    cursorGroup_->addAction(ui_->actionZoomCursor);
    cursorGroup_->addAction(ui_->actionMeasureCursor);
    cursorGroup_->addAction(ui_->actionPickCursor);
}

void QuakeslateWindow::insertCanvasMenus()
{
    if (QMenu* arrange = canvas_->arrangeMenu())
        ui_->menuTraces->insertMenu(ui_->actionPlaceholderForArrangeTracesBy, arrange);
    ui_->menuTraces->removeAction(ui_->actionPlaceholderForArrangeTracesBy);
    if (QMenu* align = canvas_->alignMenu())
        ui_->menuTraces->insertMenu(ui_->actionPlaceholderForAlignTracesBy, align);
    ui_->menuTraces->removeAction(ui_->actionPlaceholderForAlignTracesBy);
}

void QuakeslateWindow::connectCanvas()
{
    connect(ui_->actionFitInWindow, &QAction::triggered, canvas_, &Quakeslate::fitInWindow);
    connect(ui_->actionFitHeightInWindow, &QAction::triggered, canvas_, &Quakeslate::fitHeightInWindow);
    connect(ui_->actionFitWidthInWindow, &QAction::triggered, canvas_, &Quakeslate::fitWidthInWindow);
    connect(ui_->actionFitCanvasToSeismograms, &QAction::triggered, canvas_, &Quakeslate::fitToContents);
    connect(ui_->actionFlipVerticalAxis, &QAction::toggled, canvas_, &Quakeslate::flipVerticalAxis);
    connect(ui_->actionEqualizeSelectedAmplitudes, &QAction::triggered, canvas_,
            &Quakeslate::equalizeSelectedAmplitudes);
    connect(ui_->actionInvertSelectedTraces, &QAction::triggered, canvas_, &Quakeslate::invertSelectedTraces);
    connect(ui_->actionRestoreOriginalPolarities, &QAction::triggered, canvas_, &Quakeslate::resetPolarities);
    connect(ui_->actionOverlaySelectedTraces, &QAction::triggered, canvas_, &Quakeslate::overlaySelectedTraces);
    connect(ui_->actionFormatSelectedTraces, &QAction::triggered, canvas_, &Quakeslate::formatSelectedTraces);
    connect(ui_->actionClearPicksfromSelectedTraces, &QAction::triggered, canvas_,
            &Quakeslate::clearSelectedPicks);
    connect(ui_->actionFindSelectionMinMaxMean, &QAction::triggered, canvas_, &Quakeslate::selectionMinMaxMeans);
    connect(ui_->actionRemoveSelectionMeans, &QAction::triggered, canvas_, &Quakeslate::removeSelectionMeans);
    connect(ui_->actionRemoveSelectedTrends, &QAction::triggered, canvas_, &Quakeslate::removeSelectionTrends);
    connect(ui_->actionTrimToSelection, &QAction::triggered, canvas_, &Quakeslate::trimTracesToSelections);
    connect(ui_->actionRevertToOriginal, &QAction::triggered, canvas_, &Quakeslate::revertSelectedSeismograms);

    connect(canvas_, &Quakeslate::contentChanged, this, &QuakeslateWindow::respondToCanvasContentChange);
    connect(canvas_, &Quakeslate::selectionChanged, this, &QuakeslateWindow::respondToCanvasSelectionChange);
    connect(canvas_, &Quakeslate::canvasLayoutChanged, this, &QuakeslateWindow::respondToCanvasLayoutChange);
    connect(canvas_, &Quakeslate::canvasTimeChanged, this, &QuakeslateWindow::respondToCanvasTimeChange);
    connect(canvas_, &Quakeslate::hideTraces, this, &QuakeslateWindow::on_actionHideSelectedTraces_triggered);
    connect(canvas_, &Quakeslate::showTraces, this, &QuakeslateWindow::on_actionShowAllTraces_triggered);
}

QStringList QuakeslateWindow::predictedPhasesFromSetting(const QVariant& value)
{
    if (!value.isValid())
        return { QStringLiteral("P"), QStringLiteral("S") };
    QString text;
    if (value.type() == QVariant::StringList || value.type() == QVariant::List)
        text = value.toStringList().join(QLatin1Char(','));
    else
        text = value.toString();
    return text.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

void QuakeslateWindow::readPredictedPhases()
{
    const QSettings settings;
    canvas_->setPredictedPhases(predictedPhasesFromSetting(settings.value(QStringLiteral("PredictedArrivals"))));
}

void QuakeslateWindow::initializeCanvasSize()
{
    canvas_->resize(scrollArea_->maximumViewportSize());
    canvas_->update();
}

void QuakeslateWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
}

void QuakeslateWindow::on_actionNewQuakeslate_triggered()
{
    auto* window = new QuakeslateWindow(nullptr);
    window->show();
    window->initializeCanvasSize();
}

void QuakeslateWindow::on_actionExit_triggered()
{
    QCoreApplication::quit();
}

// ---- Records and events --------------------------------------------------

void QuakeslateWindow::addSeismicRecord(SeismicRecord* record)
{
    if (!record)
        return;
    seismicRecords_.append(record);
    SeismicEvent* event = record->seismicEvent();
    if (event) {
        SeismicEvent* known = nullptr;
        for (SeismicEvent* candidate : qAsConst(seismicEvents_)) {
            // The same object is the same event even when its origin time
            // is unusable and so equals nothing by time.
            if (candidate == event || *candidate == *event) {
                known = candidate;
                break;
            }
        }
        if (!known) {
            addSeismicEvent(event);
        } else if (known != event) {
            orphanedEvents_.insert(event);
            record->setSeismicEvent(known);
        }
    }
    canvas_->addTrace(record);
}

void QuakeslateWindow::addSeismicEvent(SeismicEvent* event)
{
    if (!event)
        return;
    seismicEvents_.append(event);
    const int index = seismicEvents_.size() - 1;

    auto* menu = new QMenu(event->eventDescription(), this);
    event->setMenu(menu);
    auto* info = new QAction(QStringLiteral("Get Info..."), this);
    auto* select = new QAction(QStringLiteral("Select traces associated with this event"), this);
    auto* assign = new QAction(QStringLiteral("Assign selected traces to this event"), this);
    event->setMenuActions(info, select, assign);
    for (QAction* action : { info, select, assign }) {
        action->setData(index);
        menu->addAction(action);
    }
    if (canvas_->traceCount() < 1) {
        select->setEnabled(false);
        assign->setEnabled(false);
    } else {
        select->setEnabled(true);
        assign->setEnabled(canvas_->selectionCount() > 0);
    }
    connect(select, &QAction::triggered, this, &QuakeslateWindow::selectByEventAction_triggered);

    if (seismicEvents_.size() == 1)
        eventsSeparator_ = ui_->menuEvents->insertSeparator(ui_->actionDownloadEvent);
    ui_->menuEvents->insertMenu(eventsSeparator_, menu);
}

SeismicEvent* QuakeslateWindow::eventOfSender() const
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return nullptr;
    bool ok = false;
    const int index = action->data().toInt(&ok);
    if (!ok || index < 0 || index >= seismicEvents_.size())
        return nullptr;
    return seismicEvents_.at(index);
}

void QuakeslateWindow::selectByEventAction_triggered()
{
    if (SeismicEvent* event = eventOfSender())
        canvas_->selectBySeismicEvent(event);
}

// ---- Canvas responders ---------------------------------------------------

void QuakeslateWindow::respondToCanvasContentChange(int traceCount)
{
    const bool several = traceCount >= 2;
    ui_->actionViewRecordSection->setEnabled(several);
    ui_->actionFlipVerticalAxis->setEnabled(several);

    if (traceCount >= 1) {
        for (QAction* action :
             { ui_->actionViewSeismogramList, ui_->actionUTCTime, ui_->actionRelativeTime, ui_->actionZoomCursor,
               ui_->actionMeasureCursor, ui_->actionPickCursor, ui_->actionShowHidePicks, ui_->actionFitInWindow,
               ui_->actionFitHeightInWindow, ui_->actionFitWidthInWindow, ui_->actionFitCanvasToSeismograms,
               ui_->actionCompressTimeAxis, ui_->actionStretchTimeAxis, ui_->actionCompressVerticalAxis,
               ui_->actionStretchVerticalAxis, ui_->actionShowTrueRelativeAmplitudes, ui_->actionPrint,
               ui_->actionExportPDF, ui_->actionSelectAll })
            action->setEnabled(true);
        for (SeismicEvent* event : qAsConst(seismicEvents_))
            event->enableSelection(true);
        // In a record section on UTC time the move tool keeps its state.
        if (canvas_->canvasLayout() == SeismogramList || canvas_->canvasTime() == RelativeTime)
            ui_->actionMoveCursor->setEnabled(true);
    } else {
        for (QAction* action :
             { ui_->actionViewSeismogramList, ui_->actionUTCTime, ui_->actionRelativeTime, ui_->actionMoveCursor,
               ui_->actionZoomCursor, ui_->actionMeasureCursor, ui_->actionViewRecordSection,
               ui_->actionPickCursor, ui_->actionShowHidePicks, ui_->actionFitInWindow,
               ui_->actionFitHeightInWindow, ui_->actionFitWidthInWindow, ui_->actionFitCanvasToSeismograms,
               ui_->actionCompressTimeAxis, ui_->actionStretchTimeAxis, ui_->actionCompressVerticalAxis,
               ui_->actionStretchVerticalAxis, ui_->actionShowTrueRelativeAmplitudes, ui_->actionPrint,
               ui_->actionExportPDF, ui_->actionSelectAll, ui_->actionShowAllTraces })
            action->setEnabled(false);
        for (SeismicEvent* event : qAsConst(seismicEvents_))
            event->enableSelection(false);
    }
}

void QuakeslateWindow::respondToCanvasSelectionChange(int selectionCount)
{
    if (selectionCount >= 2) {
        ui_->actionExportSACBinaryFiles->setText(QStringLiteral("SAC Binary Files..."));
        ui_->menuExportSelectedSeismograms->setTitle(QStringLiteral("Export Selected Seismograms to"));
        ui_->actionPlotSpectrum->setText(QStringLiteral("Plot Spectra of Selections"));
        ui_->actionPlotSpectrogram->setText(QStringLiteral("Plot Spectrograms of Selections"));
        ui_->actionOverlaySelectedTraces->setEnabled(canvas_->canvasLayout() == SeismogramList);
    } else {
        ui_->actionOverlaySelectedTraces->setEnabled(false);
        ui_->actionExportSACBinaryFiles->setText(QStringLiteral("SAC Binary File..."));
        ui_->menuExportSelectedSeismograms->setTitle(QStringLiteral("Export Selected Seismogram to"));
        ui_->actionPlotSpectrum->setText(QStringLiteral("Plot Spectra of Selection"));
        ui_->actionPlotSpectrogram->setText(QStringLiteral("Plot Spectrogram of Selection"));
    }

    const QList<QAction*> followSelection = {
        ui_->actionInvertSelectedTraces, ui_->actionGetTraceInfo, ui_->actionFindSelectionMinMaxMean,
        ui_->actionFilter, ui_->actionDecimate, ui_->actionRemoveSelectionMeans,
        ui_->actionRemoveSelectedTrends, ui_->actionTrimToSelection, ui_->actionTaper, ui_->actionEnvelope,
        ui_->actionSmooth, ui_->actionPlotSpectrum, ui_->actionPlotSpectrogram, ui_->actionRevertToOriginal,
        ui_->actionHideSelectedTraces, ui_->actionFormatSelectedTraces, ui_->actionRestoreOriginalPolarities,
        ui_->actionClearPicksfromSelectedTraces,
    };
    const bool trueRelative = canvas_->showingTrueRelativeAmplitudes();
    const bool any = selectionCount >= 1;
    if (!any)
        ui_->menuExportSelectedSeismograms->setTitle(QStringLiteral("Export Selected Seismograms to"));
    ui_->actionDelete->setEnabled(any);
    ui_->actionDeselectAll->setEnabled(any);
    ui_->menuExportSelectedSeismograms->setEnabled(any);
    ui_->actionExportSACBinaryFiles->setEnabled(any);
    ui_->actionExportGeoCSVFiles->setEnabled(any);
    ui_->actionExportMiniSEEDFile->setEnabled(false);
    ui_->menuFilter->setEnabled(any);
    for (QAction* action : followSelection)
        action->setEnabled(any);
    if (any) {
        if (!trueRelative)
            ui_->actionEqualizeSelectedAmplitudes->setEnabled(true);
        ui_->actionIncreaseTraceAmplitudes->setEnabled(true);
        ui_->actionDecreaseTraceAmplitudes->setEnabled(true);
    } else {
        ui_->actionEqualizeSelectedAmplitudes->setEnabled(false);
        // With one common gain the steps act on all traces.
        if (!trueRelative) {
            ui_->actionIncreaseTraceAmplitudes->setEnabled(false);
            ui_->actionDecreaseTraceAmplitudes->setEnabled(false);
        }
    }
    for (SeismicEvent* event : qAsConst(seismicEvents_))
        event->enableAssignment(any);
}

void QuakeslateWindow::respondToCanvasLayoutChange(CanvasLayout layout)
{
    if (layout != SeismogramList) {
        ui_->actionMoveCursor->setEnabled(false);
        if (canvas_->cursorMode() == MoveMode)
            ui_->actionSelectionCursor->trigger();
        ui_->actionOverlaySelectedTraces->setEnabled(false);
        ui_->actionConfigurePredictedPhases->setEnabled(true);
        ui_->actionShowHidePredictedArrivalTimes->setEnabled(true);
    } else {
        ui_->actionMoveCursor->setEnabled(true);
        ui_->actionConfigurePredictedPhases->setEnabled(false);
        ui_->actionShowHidePredictedArrivalTimes->setEnabled(false);
        if (canvas_->selectionCount() >= 2)
            ui_->actionOverlaySelectedTraces->setEnabled(true);
    }
}

void QuakeslateWindow::respondToCanvasTimeChange(CanvasTime time)
{
    // Checking, not triggering: nothing calls back into the canvas.
    if (time == RelativeTime)
        ui_->actionRelativeTime->setChecked(true);
    else
        ui_->actionUTCTime->setChecked(true);
}

// ---- Edit commands -------------------------------------------------------

void QuakeslateWindow::on_actionCut_triggered()
{
    if (textEdit_->hasFocus())
        textEdit_->copy();
    else
        canvas_->deleteSelectedTraces();
}

void QuakeslateWindow::on_actionCopy_triggered()
{
    if (textEdit_->hasFocus())
        textEdit_->copy();
}

void QuakeslateWindow::on_actionPaste_triggered()
{
    if (textEdit_->hasFocus())
        textEdit_->paste();
}

void QuakeslateWindow::on_actionDelete_triggered()
{
    canvas_->deleteSelectedTraces();
}

void QuakeslateWindow::on_actionSelectAll_triggered()
{
    if (textEdit_->hasFocus())
        textEdit_->selectAll();
    else
        canvas_->selectAll();
}

void QuakeslateWindow::on_actionDeselectAll_triggered()
{
    if (textEdit_->hasFocus()) {
        QTextCursor cursor = textEdit_->textCursor();
        cursor.clearSelection();
        textEdit_->setTextCursor(cursor);
    } else {
        canvas_->deselectAll();
    }
}

// ---- View commands -------------------------------------------------------

void QuakeslateWindow::on_actionViewSeismogramList_triggered()
{
    canvas_->setCanvasLayout(SeismogramList);
    ui_->actionMeasureCursor->setToolTip(QStringLiteral("Measure times"));
}

void QuakeslateWindow::on_actionViewRecordSection_triggered()
{
    canvas_->setCanvasLayout(RecordSection);
    ui_->actionMeasureCursor->setToolTip(QStringLiteral("Measure times, ray parameters and apparent velocities"));
}

void QuakeslateWindow::on_actionUTCTime_triggered()
{
    canvas_->setTime(UTCTime);
}

void QuakeslateWindow::on_actionRelativeTime_triggered()
{
    canvas_->setTime(RelativeTime);
}

void QuakeslateWindow::on_actionStretchTimeAxis_triggered()
{
    canvas_->scaleTimeAxis(cubeRootOfTwo_);
}

void QuakeslateWindow::on_actionCompressTimeAxis_triggered()
{
    canvas_->scaleTimeAxis(cubeRootOfOneHalf_);
}

void QuakeslateWindow::on_actionStretchVerticalAxis_triggered()
{
    canvas_->scaleVerticalAxis(cubeRootOfTwo_);
}

void QuakeslateWindow::on_actionCompressVerticalAxis_triggered()
{
    canvas_->scaleVerticalAxis(cubeRootOfOneHalf_);
}

void QuakeslateWindow::on_actionIncreaseTraceAmplitudes_triggered()
{
    canvas_->scaleTraces(cubeRootOfTwo_);
}

void QuakeslateWindow::on_actionDecreaseTraceAmplitudes_triggered()
{
    canvas_->scaleTraces(cubeRootOfOneHalf_);
}

void QuakeslateWindow::on_actionShowHidePicks_triggered()
{
    if (ui_->actionShowHidePicks->text() == QLatin1String("Hide Picks")) {
        ui_->actionShowHidePicks->setText(QStringLiteral("Show Picks"));
        canvas_->showPicks(false);
    } else {
        ui_->actionShowHidePicks->setText(QStringLiteral("Hide Picks"));
        canvas_->showPicks(true);
    }
}

void QuakeslateWindow::on_actionShowHidePredictedArrivalTimes_triggered()
{
    QAction* toggle = ui_->actionShowHidePredictedArrivalTimes;
    if (toggle->text() == QLatin1String("Show Predicted Arrival Times")) {
        toggle->setText(QStringLiteral("Hide Predicted Arrival Times"));
        canvas_->showPredictedArrivalTimes(true);
    } else {
        toggle->setText(QStringLiteral("Show Predicted Arrival Times"));
        canvas_->showPredictedArrivalTimes(false);
    }
}

void QuakeslateWindow::on_actionShowTrueRelativeAmplitudes_triggered()
{
    QAction* increase = ui_->actionIncreaseTraceAmplitudes;
    QAction* decrease = ui_->actionDecreaseTraceAmplitudes;
    if (ui_->actionShowTrueRelativeAmplitudes->text() == QLatin1String("Show True Relative Amplitudes")) {
        ui_->actionShowTrueRelativeAmplitudes->setText(QStringLiteral("Equalize All Trace Amplitudes"));
        increase->setText(QStringLiteral("Increase All Amplitudes"));
        increase->setToolTip(QStringLiteral("Increase the amplitudes of all traces"));
        decrease->setText(QStringLiteral("Decrease All Amplitudes"));
        decrease->setToolTip(QStringLiteral("Decrease the amplitudes of all traces"));
        canvas_->showTrueRelativeAmplitudes(true);
        ui_->actionEqualizeSelectedAmplitudes->setEnabled(false);
        increase->setEnabled(true);
        decrease->setEnabled(true);
    } else {
        ui_->actionShowTrueRelativeAmplitudes->setText(QStringLiteral("Show True Relative Amplitudes"));
        increase->setText(QStringLiteral("Increase Selected Amplitudes"));
        increase->setToolTip(QStringLiteral("Increase the amplitudes of selected traces"));
        decrease->setText(QStringLiteral("Decrease Selected Amplitudes"));
        decrease->setToolTip(QStringLiteral("Decrease the amplitudes of selected traces"));
        canvas_->showTrueRelativeAmplitudes(false);
        if (canvas_->selectionCount() < 1) {
            increase->setEnabled(false);
            decrease->setEnabled(false);
        } else {
            ui_->actionEqualizeSelectedAmplitudes->setEnabled(true);
        }
    }
}

void QuakeslateWindow::on_actionHideSelectedTraces_triggered()
{
    canvas_->hideSelectedTraces();
    ui_->actionShowAllTraces->setEnabled(true);
}

void QuakeslateWindow::on_actionShowAllTraces_triggered()
{
    canvas_->showAllTraces();
    ui_->actionShowAllTraces->setEnabled(false);
}

// ---- Cursor tools --------------------------------------------------------

void QuakeslateWindow::on_actionSelectionCursor_triggered()
{
    ui_->actionShowHidePicks->setEnabled(true);
    canvas_->setCursorMode(SelectMode);
}

void QuakeslateWindow::on_actionMoveCursor_triggered()
{
    ui_->actionShowHidePicks->setEnabled(true);
    canvas_->setCursorMode(MoveMode);
}

void QuakeslateWindow::on_actionZoomCursor_triggered()
{
    ui_->actionShowHidePicks->setEnabled(true);
    canvas_->setCursorMode(ZoomMode);
}

void QuakeslateWindow::on_actionMeasureCursor_triggered()
{
    ui_->actionShowHidePicks->setEnabled(true);
    canvas_->setCursorMode(MeasureMode);
}

void QuakeslateWindow::on_actionPickCursor_triggered()
{
    // Picking with hidden picks would leave the user blind to them.
    if (ui_->actionShowHidePicks->text() == QLatin1String("Show Picks")) {
        ui_->actionShowHidePicks->setText(QStringLiteral("Hide Picks"));
        canvas_->showPicks(true);
    }
    ui_->actionShowHidePicks->setEnabled(false);
    canvas_->setCursorMode(PickMode);
}

// ---- File import ---------------------------------------------------------

void QuakeslateWindow::openImportDialog(const QString& title, const char* receiver)
{
    fileDialog_->setWindowModality(Qt::WindowModal);
    fileDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    fileDialog_->setFileMode(QFileDialog::ExistingFiles);
    fileDialog_->setWindowTitle(title);
    fileDialog_->open(this, receiver);
}

void QuakeslateWindow::on_actionImportFromSACBinaryFiles_triggered()
{
    openImportDialog(QStringLiteral("Import SAC Binary Files"), SLOT(importSACBinaryFiles(QStringList)));
}

void QuakeslateWindow::importSACBinaryFiles(const QStringList& files)
{
    for (const QString& path : files) {
        SacRecord reader;
        if (SeismicRecord* record = reader.readBinaryFile(path))
            addSeismicRecord(record);
    }
}

void QuakeslateWindow::on_actionImportFromMiniSEEDFiles_triggered()
{
    openImportDialog(QStringLiteral("Import MiniSEED File"), SLOT(importMiniSEEDFiles(QStringList)));
}

void QuakeslateWindow::importMiniSEEDFiles(const QStringList& files)
{
    if (files.isEmpty())
        return;
    MiniSEEDRecord reader;
    for (const QString& path : files) {
        QList<SeismicRecord*>* records = reader.readFile(path);
        if (!records)
            continue;
        for (SeismicRecord* record : qAsConst(*records)) {
            record->downloadChannelMetaData();
            addSeismicRecord(record);
        }
        delete records;
    }
}

void QuakeslateWindow::on_actionImportFromGeoCSVFiles_triggered()
{
    openImportDialog(QStringLiteral("Import GeoCSV File"), SLOT(importGeoCSVFiles(QStringList)));
}

void QuakeslateWindow::importGeoCSVFiles(const QStringList& files)
{
    if (files.isEmpty())
        return;
    GeoCSVRecord reader;
    for (const QString& path : files) {
        if (SeismicRecord* record = reader.readFile(path))
            addSeismicRecord(record);
    }
}

// ---- Export, PDF and print -----------------------------------------------

QString QuakeslateWindow::exportFileName(const QString& pattern, const QString& network, const QString& station,
                                         const QString& location, const QString& channel, const QString& suffix)
{
    QString name = pattern;
    name.replace(QLatin1String("<net>"), network);
    name.replace(QLatin1String("<sta>"), station);
    name.replace(QLatin1String("<loc>"), location);
    name.replace(QLatin1String("<cha>"), channel);
    if (!name.endsWith(suffix))
        name += suffix;
    return name;
}

QString QuakeslateWindow::proposedExportName(const QString& suffix) const
{
    const QList<Trace*>& selected = canvas_->selectedTraces();
    if (selected.size() == 1)
        return selected.first()->labelString().replace(QLatin1Char(':'), QLatin1Char('.')) + suffix;
    return QStringLiteral("<net>.<sta>.<loc>.<cha>") + suffix;
}

void QuakeslateWindow::openSaveDialog(const QString& title, const QString& proposedName, const char* receiver)
{
    fileDialog_->setWindowModality(Qt::WindowModal);
    fileDialog_->setAcceptMode(QFileDialog::AcceptSave);
    fileDialog_->setFileMode(QFileDialog::AnyFile);
    fileDialog_->selectFile(proposedName);
    fileDialog_->setWindowTitle(title);
    fileDialog_->open(this, receiver);
}

void QuakeslateWindow::on_actionExportSACBinaryFiles_triggered()
{
    openSaveDialog(QStringLiteral("Export SAC Files"), proposedExportName(QStringLiteral(".sac")),
                   SLOT(exportSACFiles(QString)));
}

void QuakeslateWindow::exportSACFiles(const QString& pathname)
{
    QStringList unwritten;
    const QList<Trace*> selected = canvas_->selectedTraces();
    for (Trace* trace : selected) {
        const SeismicRecord* record = trace->seismicRecord();
        const QString name = exportFileName(pathname, record->networkCode(), record->stationCode(),
                                            record->locationCode(), record->channelCode(), QStringLiteral(".sac"));
        const SacRecord writer(trace);
        if (!writer.writeBinaryFile(name))
            unwritten << name;
    }
    reportUnwrittenFiles(unwritten);
}

void QuakeslateWindow::on_actionExportGeoCSVFiles_triggered()
{
    openSaveDialog(QStringLiteral("Export GeoCSV Files"), proposedExportName(QStringLiteral(".csv")),
                   SLOT(exportGeoCSVFiles(QString)));
}

void QuakeslateWindow::exportGeoCSVFiles(const QString& pathname)
{
    QStringList unwritten;
    const QList<Trace*> selected = canvas_->selectedTraces();
    for (Trace* trace : selected) {
        const SeismicRecord* record = trace->seismicRecord();
        const QString name = exportFileName(pathname, record->networkCode(), record->stationCode(),
                                            record->locationCode(), record->channelCode(), QStringLiteral(".csv"));
        // The GeoCSV writer reports nothing, so its target is checked first.
        if (!canWrite(name)) {
            unwritten << name;
            continue;
        }
        GeoCSVRecord writer;
        writer.writeTrace(trace, name);
    }
    reportUnwrittenFiles(unwritten);
}

void QuakeslateWindow::on_actionExportPDF_triggered()
{
    openSaveDialog(QStringLiteral("Export PDF File"), QStringLiteral("Quakeslate %1.pdf").arg(windowNumber_),
                   SLOT(exportPDF(QString)));
}

void QuakeslateWindow::exportPDF(const QString& filename)
{
    bool written = canWrite(filename);
    if (written) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(filename);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        if (canvas_->width() > canvas_->height())
            printer.setPageOrientation(QPageLayout::Landscape);
        printer.setResolution(300);
        canvas_->printCanvas(&printer);
        written = printer.printerState() != QPrinter::Error;
    }
    if (!written)
        reportUnwrittenFiles({ filename });
}

void QuakeslateWindow::reportUnwrittenFiles(const QStringList& unwritten)
{
    if (unwritten.isEmpty())
        return;
    QStringList unique = unwritten;
    unique.removeDuplicates();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Export"),
                    unique.size() == 1 ? QStringLiteral("This file could not be written:")
                                       : QStringLiteral("These files could not be written:"),
                    QMessageBox::Ok, this);
    box.setInformativeText(unique.join(QLatin1Char('\n')));
    box.exec();
}

void QuakeslateWindow::on_actionPrint_triggered()
{
    if (!printer_)
        printer_ = new QPrinter(QPrinter::HighResolution);
    printer_->setPageOrientation(canvas_->width() > canvas_->height() ? QPageLayout::Landscape
                                                                      : QPageLayout::Portrait);
    if (!printDialog_)
        printDialog_ = new QPrintDialog(printer_, this);
    printDialog_->setWindowModality(Qt::WindowModal);
    printDialog_->open(canvas_, SLOT(printCanvas(QPrinter*)));
}
