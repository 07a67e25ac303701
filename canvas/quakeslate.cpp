#include "canvas/quakeslate.h"

#include "app/analysistextedit.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "model/traveltimecurve.h"
#include "services/tavowstraveltimeinterface.h"

#include <QAction>
#include <QCursor>
#include <QFontMetrics>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QRubberBand>

// The canvas lives in a static library, whose unreferenced resource object
// the linker would drop; naming it here keeps the images in every program.
static void initQuakeslateResources()
{
    Q_INIT_RESOURCE(resources);
}

bool Quakeslate::showAlignmentWarnings_ = true;

namespace {

constexpr long long emptySpanStart = 40000000000000LL;
constexpr long long emptySpanEnd = -40000000000000LL;

QString channelName(const SeismicRecord& record)
{
    return record.networkCode().trimmed() + QLatin1Char(':') + record.stationCode().trimmed()
           + QLatin1Char(':') + record.locationCode().trimmed() + QLatin1Char(':')
           + record.channelCode().trimmed();
}

} // namespace

Quakeslate::Quakeslate(int canvasNumber, QWidget* parent)
    : QWidget(parent), canvasNumber_(canvasNumber)
{
    initQuakeslateResources();
    setBackgroundRole(QPalette::Base);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::ArrowCursor);

    zoomInCursor_ = new QCursor(QPixmap(QStringLiteral(":/images/cursor-zoom-in-24.png")), 7, 7);
    zoomOutCursor_ = new QCursor(QPixmap(QStringLiteral(":/images/cursor-zoom-out-24.png")), 7, 7);
    measureCursor_ = new QCursor(QPixmap(QStringLiteral(":/images/cursor-measure-32.png")));
    crosshairCursor_ = new QCursor(QPixmap(QStringLiteral(":/images/cursor-crosshair-32.png")));
    warningPixmap_ = new QPixmap(QStringLiteral(":/images/warning-16.png"));
    pickPixmap_ = new QPixmap(QStringLiteral(":/images/cursor-pick-32.png"));
    pickCursor_ = makePickCursor(pickPhase_);

    rubberBand_ = new QRubberBand(QRubberBand::Line, this);

    // One set of actions serves the menu-bar copy and the context copy of
    // each menu, so enabling an action enables it in both.
    arrangeMenu_ = new QMenu(QStringLiteral("Arrange Traces By"), this);
    contextArrangeMenu_ = new QMenu(QStringLiteral("Arrange Traces By"), this);
    for (const char* text : {"Order Added", "Station Name", "Distance From Epicenter",
                             "Azimuth From Epicenter", "Back Azimuth To Epicenter"}) {
        QAction* action = new QAction(QString::fromLatin1(text), this);
        arrangeMenu_->addAction(action);
        contextArrangeMenu_->addAction(action);
        connect(action, &QAction::triggered, this, &Quakeslate::arrangeTraces);
    }
    alignMenu_ = new QMenu(QStringLiteral("Align Traces By"), this);
    contextAlignMenu_ = new QMenu(QStringLiteral("Align Traces By"), this);
    for (const char* text :
         {"Coordinated Universal Time (UTC)", "Event Origin Time", "Data Start Time"}) {
        QAction* action = new QAction(QString::fromLatin1(text), this);
        alignMenu_->addAction(action);
        contextAlignMenu_->addAction(action);
        connect(action, &QAction::triggered, this, &Quakeslate::alignTraces);
    }
    alignMenu_->setEnabled(false);

    selectAllAction_ = new QAction(QStringLiteral("Select All"), this);
    deselectAllAction_ = new QAction(QStringLiteral("Deselect All"), this);
    showAllTracesAction_ = new QAction(QStringLiteral("Show All Traces"), this);
    showAllTracesAction_->setEnabled(false);
    fitInWindowAction_ = new QAction(QStringLiteral("Fit Canvas in Window"), this);
    canvasMenu_ = new QMenu(this);
    canvasMenu_->addAction(selectAllAction_);
    canvasMenu_->addAction(deselectAllAction_);
    canvasMenu_->addSeparator();
    canvasMenu_->addMenu(contextArrangeMenu_);
    canvasMenu_->addMenu(contextAlignMenu_);
    canvasMenu_->addSeparator();
    canvasMenu_->addAction(showAllTracesAction_);
    canvasMenu_->addAction(fitInWindowAction_);

    zoomMenu_ = new QMenu(this);
    zoomMenu_->addAction(fitInWindowAction_);

    pickMenu_ = new QMenu(this);
    pickMenu_->addAction(new QAction(QStringLiteral("P"), this));
    pickMenu_->addAction(new QAction(QStringLiteral("S"), this));
    addPhaseAction_ = new QAction(QStringLiteral("Add phase..."), this);
    pickMenu_->addAction(addPhaseAction_);
    pickMenu_->addSeparator();
    pickMenu_->addAction(fitInWindowAction_);

    selectionMenu_ = new QMenu(this);
    traceInfoAction_ = new QAction(QStringLiteral("Get Info"), this);
    formatTraceAction_ = new QAction(QStringLiteral("Format Trace..."), this);
    hideTraceAction_ = new QAction(QStringLiteral("Hide Trace"), this);
    selectionMenu_->addAction(traceInfoAction_);
    selectionMenu_->addAction(formatTraceAction_);
    selectionMenu_->addAction(hideTraceAction_);

    connect(fitInWindowAction_, &QAction::triggered, this, &Quakeslate::fitInWindow);
    connect(selectAllAction_, &QAction::triggered, this, &Quakeslate::selectAll);
    connect(deselectAllAction_, &QAction::triggered, this, &Quakeslate::deselectAll);

    enableContentActions();
    enableSelectionActions();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

Quakeslate::~Quakeslate()
{
    qDeleteAll(traces_);
    delete zoomInCursor_;
    delete zoomOutCursor_;
    delete measureCursor_;
    delete crosshairCursor_;
    delete pickCursor_;
    delete warningPixmap_;
    delete pickPixmap_;
    // The client goes before the curves, so that no reply still in flight
    // can hand a curve to a canvas that is being taken apart.
    if (traveltimeInterface_)
        disconnect(traveltimeInterface_, nullptr, this, nullptr);
    delete traveltimeInterface_;
    qDeleteAll(travelTimeCurves_);
    delete pCurve_;
    delete pnCurve_;
    delete sCurve_;
    delete snCurve_;
}

QCursor* Quakeslate::makePickCursor(const QString& phase) const
{
    QPixmap pixmap = *pickPixmap_;
    if (pixmap.isNull()) {
        pixmap = QPixmap(32, 32);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setPen(QColor(QStringLiteral("red")));
    QFont font = painter.font();
    // The name must fit left of the hot spot; a name too wide even at the
    // smallest size is clipped by the box.
    while (QFontMetrics(font).horizontalAdvance(phase) >= 29 && font.pointSize() > 1)
        font.setPointSize(font.pointSize() - 1);
    painter.setFont(font);
    painter.drawText(QRect(QPoint(0, 0), QPoint(28, 28)), Qt::AlignRight | Qt::AlignTop, phase);
    painter.end();
    return new QCursor(pixmap, 31, 16);
}

QString Quakeslate::refusalFor(const SeismicRecord& record) const
{
    const QList<TimeSeries*> segments = record.segments();
    QString reason;
    if (segments.isEmpty() || !segments.first())
        reason = QStringLiteral("the record holds no data segment");
    else if (segments.first()->npts() < 1)
        reason = QStringLiteral("its first data segment holds no samples");
    else if (!(segments.first()->dtMSecs() >= 1.0))
        reason = QStringLiteral("its sample interval rounds to 0 ms (above 2000 samples/s)");
    if (reason.isEmpty())
        return QString();
    return QStringLiteral("Cannot show ") + channelName(record) + QStringLiteral(": ") + reason
           + QStringLiteral(".\n");
}

bool Quakeslate::hugeGapTo(const Trace& trace) const
{
    long long gap;
    if (trace.endTimeMSecs() < timeSpan_.startTimeMSecs())
        gap = timeSpan_.startTimeMSecs() - trace.endTimeMSecs();
    else
        gap = trace.startTimeMSecs() - timeSpan_.endTimeMSecs();
    const double g = double(gap);
    return g > 15.0 * double(timeSpan_.lengthMSecs()) && g > 15.0 * double(trace.lengthMSecs());
}

bool Quakeslate::askToChangeToRelativeTime()
{
    QMessageBox box(this);
    box.setIcon(QMessageBox::Warning);
    box.setText(QStringLiteral("Ok to change to a relative time scale?"));
    box.setInformativeText(QStringLiteral(
        "Adding this trace in absolute time would result in a huge time span and a highly "
        "compressed time scale."));
    box.setDetailedText(QStringLiteral(
        "This usually results when plotting seismgrams from different events in an absolute "
        "time mode.\n\nChanging to a relative time mode will align the traces by their start "
        "times. You can subsequently align the traces by event origin times, calculated arrival "
        "times or picks."));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void Quakeslate::addTrace(SeismicRecord* record)
{
    if (!record)
        return;
    // A trace copies the first segment and places samples by their whole-ms
    // interval; without either there is nothing to draw.
    const QString refusal = refusalFor(*record);
    if (!refusal.isEmpty()) {
        if (textEdit_)
            textEdit_->insertPlainText(refusal);
        return;
    }

    if (!traces_.isEmpty())
        fitInWindow();
    Trace* trace = new Trace(*record, nextSerialNumber_);
    trace->setTraceLength(pixelsPerMSec_);
    trace->setAlignmentTime(canvasTime_ == RelativeTime ? trace->startTimeMSecs() : 0);

    if (traces_.isEmpty()) {
        expandTimeSpanToInclude(trace->alignedTimeSpan());
        trace->setTraceSize(pixelsPerMSec_, 1);
        traces_.append(trace);
        if (scrollArea_)
            scrollArea_->buildTimeTickMarks(pixelsPerMSec_, timeSpan_);
    } else if (canvasTime_ == UTCTime && !timeSpan_.intersects(*trace) && hugeGapTo(*trace)) {
        if (askToChangeToRelativeTime()) {
            canvasTime_ = RelativeTime;
            alignMenu_->setEnabled(true);
            contextAlignMenu_->setEnabled(true);
            for (Trace* t : qAsConst(traces_))
                t->setAlignmentTime(t->startTimeMSecs());
            trace->setAlignmentTime(trace->startTimeMSecs());
            trace->setTraceSize(pixelsPerMSec_, 1);
            traces_.append(trace);
            adjustTimeSpanToTraces();
            emit canvasTimeChanged(RelativeTime);
        } else {
            expandTimeSpanToInclude(trace->alignedTimeSpan());
            trace->setTraceSize(pixelsPerMSec_, 1);
            traces_.append(trace);
        }
    } else {
        expandTimeSpanToInclude(trace->alignedTimeSpan());
        trace->setTraceSize(pixelsPerMSec_, 1);
        traces_.append(trace);
    }

    if (showingTrueRelativeAmplitudes_)
        equalizeAllGains();
    else
        equalizeAllAmplitudes();
    ++nextSerialNumber_;

    layoutTraces();
    update();
    buildVerticalTickMarks(verticalTickMarks_);
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
    enableContentActions();
}

void Quakeslate::expandTimeSpanToInclude(TimeSpan span)
{
    const TimeSpan inner(timeSpan_.startTimeMSecs() + timeMargin_,
                         timeSpan_.endTimeMSecs() - timeMargin_);
    if (inner.contains(span))
        return;
    const TimeSpan merged = inner.merged(span);
    timeMargin_ = merged.lengthMSecs() * 2 / 100;
    timeSpan_ = TimeSpan(merged.startTimeMSecs() - timeMargin_, merged.endTimeMSecs() + timeMargin_);
    applyTimeScaleToTraces();
}

void Quakeslate::adjustTimeSpanToTraces()
{
    if (traces_.isEmpty())
        return;
    const TimeSpan hull = tracesTimeSpan();
    timeMargin_ = hull.lengthMSecs() * 2 / 100;
    const TimeSpan span(hull.startTimeMSecs() - timeMargin_, hull.endTimeMSecs() + timeMargin_);
    if (span.startTimeMSecs() == timeSpan_.startTimeMSecs()
        && span.endTimeMSecs() == timeSpan_.endTimeMSecs())
        return;
    timeSpan_ = span;
    applyTimeScaleToTraces();
}

void Quakeslate::applyTimeScaleToTraces()
{
    // Every trace spans at least one whole millisecond, so a canvas span
    // made from traces is never empty; the guard keeps the scale finite.
    const long long length = timeSpan_.lengthMSecs();
    if (length <= 0 || width() <= 0)
        return;
    pixelsPerMSec_ = double(width()) / double(length);
    for (Trace* trace : qAsConst(traces_))
        trace->setTraceLength(pixelsPerMSec_);
    if (scrollArea_) {
        scrollArea_->buildTimeTickMarks(pixelsPerMSec_, timeSpan_);
        scrollArea_->updateTimeRulers();
    }
}

void Quakeslate::fitInWindow()
{
    if (!scrollArea_)
        return;
    const QSize fitted = size().scaled(scrollArea_->maximumViewportSize(), Qt::KeepAspectRatio);
    if (fitted == size())
        return;
    stretchCanvasToRect(fitted.width(), fitted.height(), true);
    update();
}

void Quakeslate::enableContentActions()
{
    const int n = traces_.size();
    arrangeMenu_->setEnabled(n >= 2 && canvasLayout_ == SeismogramList);
    contextArrangeMenu_->setEnabled(n >= 2 && canvasLayout_ == SeismogramList);
    if (n == 0) {
        contextAlignMenu_->setEnabled(false);
        fitInWindowAction_->setEnabled(false);
        selectAllAction_->setEnabled(false);
    } else {
        fitInWindowAction_->setEnabled(true);
        selectAllAction_->setEnabled(true);
        contextAlignMenu_->setEnabled(canvasTime_ == RelativeTime);
    }
    emit contentChanged(n);
}

void Quakeslate::enableSelectionActions()
{
    deselectAllAction_->setEnabled(!selectedTraces_.isEmpty());
    emit selectionChanged(selectedTraces_.size());
}

void Quakeslate::selectAll()
{
    for (Trace* trace : qAsConst(traces_))
        trace->select(true);
    selectedTraces_ = traces_;
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
    update();
    enableSelectionActions();
}

void Quakeslate::deselectAll()
{
    for (Trace* trace : qAsConst(selectedTraces_))
        trace->select(false);
    selectedTraces_.clear();
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
    update();
    enableSelectionActions();
}

void Quakeslate::selectBySeismicEvent(SeismicEvent* event)
{
    selectedTraces_.clear();
    for (Trace* trace : qAsConst(traces_)) {
        const bool match = event && trace->seismicRecord()->seismicEvent() == event;
        trace->select(match);
        if (match)
            selectedTraces_.append(trace);
    }
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
    update();
    enableSelectionActions();
}

void Quakeslate::resetDrag()
{
    dragging_ = false;
    dragTarget_ = NoTarget;
    activeHandle_ = 0;
    dragTrace_ = nullptr;
    bandRect_ = QRect();
    rubberBand_->hide();
}

void Quakeslate::deleteSelectedTraces()
{
    selectedTraces_.clear();
    // A drag may hold one of the traces about to go.
    resetDrag();
    for (int i = 0; i < traces_.size();) {
        Trace* trace = traces_.at(i);
        if (!trace->isSelected()) {
            ++i;
            continue;
        }
        traces_.removeAt(i);
        if (!trace->isVisible() && hiddenTraceCount_ > 0)
            --hiddenTraceCount_;
        if (scrollArea_)
            scrollArea_->updateVerticalRulers();
        delete trace;
    }
    if (traces_.isEmpty()) {
        pixelsPerMSec_ = 0.001;
        nextSerialNumber_ = 1;
        timeSpan_ = TimeSpan(emptySpanStart, emptySpanEnd);
        hiddenTraceCount_ = 0;
    }
    enableSelectionActions();
    enableContentActions();
    update();
}
