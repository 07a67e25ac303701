#ifndef SEISMICSCROLLAREA_H
#define SEISMICSCROLLAREA_H

#include "canvas/tickmarks.h"
#include "model/timespan.h"

#include <QScrollArea>

class QComboBox;
class Quakeslate;
class TimeRuler;
class VerticalRuler;

// The scroll area around the canvas, framed by a time ruler above and below
// the viewport and a vertical ruler at its left, which stay put while the
// canvas scrolls. It builds the time ticks that both time rulers share.
class SeismicScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    SeismicScrollArea(QWidget* parent, Quakeslate* canvas);

    // The viewport's size without scroll bars; the window sizes the canvas
    // to it at start-up, the canvas fits itself into it.
    using QScrollArea::maximumViewportSize;

    void buildTimeTickMarks(double pixelsPerMSec, TimeSpan span);
    void updateTimeRulers();
    void updateVerticalRulers();

    const TickMarks& timeTickMarks() const { return timeTickMarks_; }
    TimeRuler* upperTimeRuler() const { return upperTimeRuler_; }
    TimeRuler* lowerTimeRuler() const { return lowerTimeRuler_; }
    VerticalRuler* verticalRuler() const { return verticalRuler_; }
    QComboBox* recordSectionVariableComboBox() const { return recordSectionVariableComboBox_; }

public Q_SLOTS:
    void showRecordSectionVariableComboBox(bool show);
    void recordSectionVariableComboBox_currentIndexChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    Quakeslate* canvas_;
    QComboBox* recordSectionVariableComboBox_;
    TimeRuler* upperTimeRuler_;
    TimeRuler* lowerTimeRuler_;
    VerticalRuler* verticalRuler_;
    TickMarks timeTickMarks_;
    int verticalRulerWidth_;
};

#endif // SEISMICSCROLLAREA_H
