// Pointer and keyboard handling of the canvas: cursor modes, selection by
// click and band, handle drags, moving, zooming, picking, measuring, context
// menus and record-section tool tips.

#include "canvas/quakeslate.h"

#include "app/analysistextedit.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/seismicrecord.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDateTime>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRegion>
#include <QRubberBand>
#include <QToolTip>
#include <QVariant>

namespace {

// Distance in pixels within which a click counts as on a trace's line.
const int HitTolerance = 3;
// A zoom band smaller than this either way counts as a click.
const int SmallestZoomBand = 5;

} // namespace

void Quakeslate::setCursorMode(CursorMode mode)
{
    if (mode == cursorMode_ || mode < SelectMode || mode > MoveMode)
        return;
    cursorMode_ = mode;
    switch (mode) {
    case SelectMode:
        setCursor(Qt::ArrowCursor);
        break;
    case ZoomMode:
        setCursor(*zoomInCursor_);
        break;
    case MeasureMode:
        setCursor(canvasLayout_ == RecordSection ? *crosshairCursor_ : *measureCursor_);
        break;
    case PickMode:
        setCursor(*pickCursor_);
        break;
    case MoveMode:
        setCursor(Qt::SizeAllCursor);
        break;
    }
}

void Quakeslate::showPicks(bool show)
{
    picksShown_ = show;
    update();
}

Trace* Quakeslate::visibleTraceAt(const QPoint& point) const
{
    for (Trace* trace : traces_) {
        if (trace->isVisible() && trace->hit(point, HitTolerance))
            return trace;
    }
    return nullptr;
}

void Quakeslate::selectAlone(Trace* trace)
{
    deselectAll();
    trace->select(true);
    selectedTraces_.append(trace);
}

void Quakeslate::updateVerticalRulers()
{
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
}

void Quakeslate::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    const QPoint point = event->pos();
    pressPoint_ = point;
    bandRect_ = QRect(point, QSize(1, 1));
    rubberBand_->setGeometry(QRect(point, QSize()));
    extendSelection_ = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;

    if (event->button() == Qt::RightButton) {
        // The context menu that follows acts on the trace under the pointer.
        if (cursorMode_ == SelectMode || cursorMode_ == MoveMode) {
            for (Trace* trace : traces_) {
                if (trace->isVisible() && trace->hit(point, HitTolerance) && !trace->isSelected())
                    selectAlone(trace);
            }
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;

    switch (cursorMode_) {
    case MoveMode:
        pressInMoveMode(point);
        break;
    case PickMode:
        pickAt(point);
        break;
    case SelectMode:
        pressInSelectMode(point);
        break;
    case MeasureMode:
        // A measurement grabs no handle: one left over from an earlier
        // select-mode drag would hide its read-out.
        activeHandle_ = 0;
        break;
    case ZoomMode:
        break;
    }
}

void Quakeslate::pressInMoveMode(const QPoint& point)
{
    dragTrace_ = visibleTraceAt(point);
    if (dragTrace_) {
        dragTarget_ = TraceTarget;
        return;
    }
    for (Trace* trace : selectedTraces_) {
        if (trace->hitSelectionRect(point)) {
            dragTarget_ = SelectionBoxTarget;
            dragTrace_ = trace;
            return;
        }
    }
    dragTarget_ = NoTarget;
}

void Quakeslate::pressInSelectMode(const QPoint& point)
{
    // A handle of a selected trace wins over any line under the pointer.
    for (Trace* trace : selectedTraces_) {
        const int handle = trace->inHandle(point);
        if (handle != 0) {
            dragTarget_ = HandleTarget;
            activeHandle_ = handle;
            dragTrace_ = trace;
            return;
        }
    }
    if (Trace* trace = visibleTraceAt(point)) {
        dragTarget_ = TraceTarget;
        dragTrace_ = trace;
        if (!extendSelection_) {
            if (!trace->isSelected())
                selectAlone(trace);
        } else if (trace->isSelected()) {
            trace->select(false);
            selectedTraces_.removeAll(trace);
        } else {
            trace->select(true);
            selectedTraces_.append(trace);
        }
        updateVerticalRulers();
        update();
        return;
    }
    dragTarget_ = NoTarget;
    dragTrace_ = nullptr;
    if (!extendSelection_) {
        deselectAll();
        update();
    }
}

void Quakeslate::pickAt(const QPoint& point)
{
    for (Trace* trace : traces_) {
        if (!trace->isVisible())
            continue;
        const long long time = trace->pickByClick(point, pickPhase_);
        if (time == 0)
            continue;
        // The phase name stands left of the pick line, partly outside the
        // trace's own box.
        update(trace->boundingRect().adjusted(-60, -10, 10, 60));
        writePickLine(trace, time);
        if (!pickPhaseList_.contains(pickPhase_))
            addPickAlignment(pickPhase_);
        return;
    }
}

void Quakeslate::writePickLine(const Trace* trace, long long time)
{
    if (!textEdit_)
        return;
    const SeismicRecord* record = trace->seismicRecord();
    const QString when = QDateTime::fromMSecsSinceEpoch(time, Qt::UTC)
                             .toString(QStringLiteral("\tyyyy/MM/dd\tHH:mm:ss.zzz\t'UTC'\n"));
    textEdit_->insertPlainText(record->stationCode().trimmed() + QLatin1Char('\t')
                               + record->channelCode().trimmed() + QLatin1Char('\t') + pickPhase_ + when);
}

void Quakeslate::addPickAlignment(const QString& phase)
{
    pickPhaseList_.append(phase);
    QAction* action = new QAction(phase + QStringLiteral(" picks"), this);
    action->setData(QVariant(QStringLiteral("pick")));
    connect(action, &QAction::triggered, this, &Quakeslate::alignTraces);
    if (pickPhaseList_.size() == 1) {
        alignMenu_->addSeparator();
        contextAlignMenu_->addSeparator();
    }
    alignMenu_->addAction(action);
    contextAlignMenu_->addAction(action);
}

void Quakeslate::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->pos();
    currentPoint_ = point;
    if (!dragging_) {
        if (event->buttons() == Qt::NoButton) {
            if (cursorMode_ == SelectMode && hoverOverHandles(point))
                return;
        } else {
            // The drag takes effect from the next move.
            dragging_ = true;
        }
        lastPoint_ = currentPoint_;
        return;
    }

    switch (cursorMode_) {
    case SelectMode:
        if (dragTarget_ == HandleTarget && dragTrace_) {
            if (!dragHandle(point))
                return;
        } else {
            dragBand(point);
        }
        break;
    case ZoomMode:
        bandRect_ = QRect(pressPoint_, point).normalized();
        rubberBand_->setGeometry(bandRect_);
        rubberBand_->show();
        break;
    case MeasureMode: {
        const QRect old = bandRect_;
        bandRect_ = QRect(pressPoint_, point).normalized();
        // Room for the read-out drawn beside the band.
        update(old.united(bandRect_).adjusted(-200, -40, 20, 20));
        break;
    }
    case PickMode:
        break;
    case MoveMode:
        if ((dragTarget_ == SelectionBoxTarget || dragTarget_ == TraceTarget) && dragTrace_)
            moveDraggedTrace(point);
        break;
    }
    updateVerticalRulers();
    lastPoint_ = currentPoint_;
}

bool Quakeslate::hoverOverHandles(const QPoint& point)
{
    activeHandle_ = 0;
    for (Trace* trace : selectedTraces_) {
        const int handle = trace->inHandle(point);
        if (handle == 1 || handle == 2) {
            setCursor(Qt::SizeVerCursor);
            return true;
        }
        if (handle == 3 || handle == 4) {
            setCursor(Qt::SizeHorCursor);
            return true;
        }
        setCursor(Qt::ArrowCursor);
    }
    return false;
}

bool Quakeslate::dragHandle(const QPoint& point)
{
    Trace* trace = dragTrace_;
    switch (activeHandle_) {
    case 1:
    case 2:
        if (showingTrueRelativeAmplitudes_) {
            // One gain for all: the dragged trace sets it for every trace.
            if (activeHandle_ == 1)
                trace->dragSelectionTop(point.y());
            else
                trace->dragSelectionBottom(point.y());
            equalizeAllGains(trace->gain());
            update();
            return false;
        } else {
            QRect region = trace->boundingRect().adjusted(-5, -5, 5, 5);
            if (activeHandle_ == 1)
                trace->dragSelectionTop(point.y());
            else
                trace->dragSelectionBottom(point.y());
            region = region.united(trace->boundingRect().adjusted(-5, -5, 5, 5));
            update(region);
        }
        break;
    case 3:
    case 4: {
        const QRect region = trace->boundingRect().adjusted(-10, -5, 10, 5);
        if (activeHandle_ == 3)
            trace->dragSelectionStart(point.x());
        else
            trace->dragSelectionEnd(point.x());
        update(region);
        break;
    }
    default:
        break;
    }
    return true;
}

void Quakeslate::dragBand(const QPoint& point)
{
    const QRect old = bandRect_;
    bandRect_ = QRect(pressPoint_, point).normalized();
    rubberBand_->setGeometry(bandRect_);
    rubberBand_->show();
    QRegion region;
    if (bandRect_.width() > 1 || bandRect_.height() > 1) {
        for (Trace* trace : traces_) {
            if (!trace->isVisible())
                continue;
            const bool was = trace->isSelected();
            const bool now = trace->dragSelect(bandRect_, extendSelection_);
            if (was || now)
                region += trace->boundingRect().adjusted(-1, -1, 2, 2);
            if (was && !now)
                selectedTraces_.removeAll(trace);
            else if (!was && now)
                selectedTraces_.append(trace);
        }
    }
    region += old.united(bandRect_).normalized().adjusted(0, 0, 2, 2);
    update(region);
}

void Quakeslate::moveDraggedTrace(const QPoint& point)
{
    if (canvasLayout_ == RecordSection)
        return;
    const int dx = point.x() - lastPoint_.x();
    const int dy = point.y() - lastPoint_.y();
    dragTrace_->setY(dragTrace_->y() + dy);
    dragTrace_->pinY(true);
    // In absolute time a trace's place on the time axis is its time.
    if (canvasTime_ == RelativeTime) {
        dragTrace_->setX(dragTrace_->x() + dx);
        dragTrace_->pinX(true);
    }
    update();
}

void Quakeslate::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->pos();
    if (!dragging_) {
        clickAt(point, event->button());
    } else {
        dragging_ = false;
        rubberBand_->hide();
        switch (cursorMode_) {
        case SelectMode:
            updateVerticalRulers();
            update();
            break;
        case ZoomMode:
            if (bandRect_.width() < SmallestZoomBand || bandRect_.height() < SmallestZoomBand)
                zoomAt(point);
            else
                zoomIntoRect(bandRect_);
            update();
            break;
        case MeasureMode:
            writeMeasurement();
            break;
        case PickMode:
            update();
            break;
        case MoveMode:
            break;
        }
    }
    deselectAllAction_->setEnabled(!selectedTraces_.isEmpty());
    emit selectionChanged(selectedTraces_.size());
    extendSelection_ = false;
}

void Quakeslate::clickAt(const QPoint& point, Qt::MouseButton button)
{
    // What a click does belongs to the left button: the grab it acts on was
    // made by the last left press, and a right click only brings the menu.
    if (button != Qt::LeftButton)
        return;
    if (cursorMode_ == ZoomMode) {
        zoomAt(point);
        update();
    } else if (cursorMode_ == SelectMode) {
        if (dragTarget_ == TraceTarget && !extendSelection_ && dragTrace_)
            selectAlone(dragTrace_);
        updateVerticalRulers();
        update();
    }
}

void Quakeslate::zoomAt(const QPoint& point)
{
    if (extendSelection_)
        zoomOut(point);
    else
        zoomIn(point);
}

QString Quakeslate::measurementText() const
{
    const long long msecs = (long long)(bandRect_.width() / pixelsPerMSec_ + 0.5);
    const double dt = msecs / 1000.0;
    const int h = bandRect_.height();
    // A band without time difference has no slowness or velocity.
    if (canvasLayout_ == RecordSection && msecs != 0) {
        if (recordSectionVariable_ == AngularDistanceVariable)
            return QString::asprintf("dt = %.2f sec  p = %.2f sec/deg", dt, sectionPixelsPerUnit_ * dt / h);
        if (recordSectionVariable_ == KmDistanceVariable && sectionPixelsPerUnit_ != 0.0)
            return QString::asprintf("dt = %.2f sec  v = %.2f km/sec", dt, h / (sectionPixelsPerUnit_ * dt));
    }
    return QString::asprintf("dt = %.2f sec", dt);
}

void Quakeslate::writeMeasurement()
{
    if (textEdit_)
        textEdit_->insertPlainText(measurementText() + QLatin1Char('\n'));
}

void Quakeslate::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint global = event->globalPos();
    switch (cursorMode_) {
    case PickMode:
        choosePickPhase(pickMenu_->exec(global));
        break;
    case ZoomMode:
        zoomMenu_->exec(global);
        break;
    case SelectMode:
        selectModeMenu(event->pos(), global);
        break;
    case MeasureMode:
    case MoveMode:
        break;
    }
}

void Quakeslate::choosePickPhase(QAction* chosen)
{
    if (!chosen || chosen == fitInWindowAction_)
        return;
    if (chosen == addPhaseAction_) {
        bool accepted = false;
        const QString text = QInputDialog::getText(this, QStringLiteral("Add new phase"),
                                                   QStringLiteral("Phase name:"), QLineEdit::Normal,
                                                   QString(), &accepted);
        if (!accepted || text.isEmpty())
            return;
        pickPhase_ = text.trimmed();
        pickMenu_->insertAction(addPhaseAction_, new QAction(text, this));
    } else {
        pickPhase_ = chosen->text().trimmed();
    }
    QCursor* old = pickCursor_;
    pickCursor_ = makePickCursor(pickPhase_);
    setCursor(*pickCursor_);
    delete old;
}

void Quakeslate::selectModeMenu(const QPoint& point, const QPoint& global)
{
    bool onSelection = false;
    for (const Trace* trace : selectedTraces_) {
        if (trace->hitSelectionRect(point)) {
            onSelection = true;
            break;
        }
    }
    QAction* chosen = nullptr;
    if (onSelection) {
        const bool several = selectedTraces_.size() >= 2;
        formatTraceAction_->setText(several ? QStringLiteral("Format Selected Traces...")
                                            : QStringLiteral("Format Trace..."));
        hideTraceAction_->setText(several ? QStringLiteral("Hide Selected Traces") : QStringLiteral("Hide Trace"));
        chosen = selectionMenu_->exec(global);
    } else {
        chosen = canvasMenu_->exec(global);
    }
    if (!chosen)
        return;
    if (chosen == formatTraceAction_) {
        formatSelectedTracesAt(global);
    } else if (chosen == hideTraceAction_) {
        emit hideTraces();
        showAllTracesAction_->setEnabled(true);
    } else if (chosen == showAllTracesAction_) {
        emit showTraces();
        showAllTracesAction_->setEnabled(false);
    } else if (chosen == traceInfoAction_) {
        emit showTraceInfo();
    }
}

bool Quakeslate::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && canvasLayout_ == RecordSection) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const Trace* trace = visibleTraceAt(help->pos()))
            QToolTip::showText(help->globalPos(), trace->labelString(), this);
        else
            QToolTip::showText(help->globalPos(), QString(), this);
        return true;
    }
    return QWidget::event(event);
}

void Quakeslate::enterEvent(QEvent* event)
{
    QWidget::enterEvent(event);
    setFocus(Qt::OtherFocusReason);
}

void Quakeslate::keyPressEvent(QKeyEvent* event)
{
    if (cursorMode_ == ZoomMode && (event->key() == Qt::Key_Shift || event->key() == Qt::Key_Control)) {
        setCursor(*zoomOutCursor_);
        return;
    }
    QWidget::keyPressEvent(event);
}

void Quakeslate::keyReleaseEvent(QKeyEvent* event)
{
    if (cursorMode_ == ZoomMode) {
        setCursor(*zoomInCursor_);
        return;
    }
    QWidget::keyReleaseEvent(event);
}
