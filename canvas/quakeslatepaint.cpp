// Painting of the canvas: traces, selections, picks, warning marks, the
// measurement read-out and the frame. The rulers paint themselves.
#include "canvas/quakeslate.h"

#include "canvas/trace.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>


void Quakeslate::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    QPen pen;

    for (Trace* trace : qAsConst(traces_)) {
        if (!trace->isVisible())
            continue;
        painter.save();
        painter.translate(trace->position());
        painter.setClipping(true);
        trace->paintTrace(&painter);
        // Picks and the warning mark stand beside the line and must not be
        // culled with it.
        painter.setClipping(false);
        if (picksShown_)
            trace->paintPicks(&painter);
        if (trace->warning() && warningPixmap_)
            painter.drawPixmap(0, -8, *warningPixmap_);
        painter.restore();

        pen = QPen(QColor(237, 237, 237));
        pen.setWidth(2);
        painter.setPen(pen);
        const int x = int(trace->x());
        const int y = int(trace->y());
        painter.drawLine(0, y, x, y);
    }

    paintPredictedArrivals(painter);

    if (dragging_ && cursorMode_ == MeasureMode && activeHandle_ == 0)
        paintMeasurement(painter);
    paintFrame(painter);
}

QString Quakeslate::measurementReadout() const
{
    // The read-out shows what the pane line will say when the drag ends.
    return measurementText();
}

void Quakeslate::paintMeasurement(QPainter& painter)
{
    QPen pen(Qt::blue);
    pen.setWidth(1);
    painter.setPen(pen);
    const QFontMetrics metrics(painter.font());
    const QString text = measurementReadout();

    if (canvasLayout_ == RecordSection
        && (recordSectionVariable_ == AngularDistanceVariable
            || recordSectionVariable_ == KmDistanceVariable)) {
        painter.drawLine(pressPoint_.x(), pressPoint_.y() - 16, pressPoint_.x(),
                         pressPoint_.y() + 16);
        painter.drawLine(pressPoint_, currentPoint_);
        painter.drawLine(currentPoint_.x(), currentPoint_.y() - 16, currentPoint_.x(),
                         currentPoint_.y() + 16);
        painter.drawText(bandRect_.right() - 2 - metrics.horizontalAdvance(text),
                         bandRect_.top() - 16, text);
        return;
    }

    painter.drawLine(bandRect_.left(), bandRect_.top() - 16, bandRect_.left(),
                     bandRect_.bottom() + 16);
    painter.drawLine(bandRect_.right(), bandRect_.top() - 16, bandRect_.right(),
                     bandRect_.bottom() + 16);
    const int y = currentPoint_.y();
    const int x0 = pressPoint_.x();
    const int x1 = currentPoint_.x();
    painter.drawLine(x0, y, x1, y);
    const int head = x0 < x1 ? 5 : -5;
    painter.drawLine(x0, y, x0 + head, y - 5);
    painter.drawLine(x0, y, x0 + head, y + 5);
    painter.drawLine(x1, y, x1 - head, y - 5);
    painter.drawLine(x1, y, x1 - head, y + 5);
    const int textX = bandRect_.left() + (bandRect_.width() - metrics.horizontalAdvance(text)) / 2;
    const int textY = currentPoint_.y() == bandRect_.top()
                          ? currentPoint_.y() - 2 - metrics.descent()
                          : bandRect_.bottom() + 2 + metrics.ascent();
    painter.drawText(textX, textY, text);
}

void Quakeslate::paintFrame(QPainter& painter)
{
    const int w = width();
    const int h = height();
    QPen pen(Qt::darkGray);
    pen.setWidth(3);
    painter.setPen(pen);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(w - 1, h - 1, 0, h - 1);
    pen.setColor(Qt::gray);
    painter.setPen(pen);
    painter.drawLine(1, 0, 1, h);
    painter.drawLine(0, 1, w, 1);
}
