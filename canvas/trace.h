#ifndef TRACE_H
#define TRACE_H

#include "model/timeseries.h"
#include "model/timespan.h"

#include <QColor>
#include <QRect>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class IIRFilter;
class QPainter;
class SeismicRecord;
class Spectrum;

// One seismogram as the canvas shows it: a private working copy of its
// record's first segment, the state needed to place, scale and select it, and
// a log of what was done to the samples. The record keeps the untouched
// samples (for reverting) and is not owned.
class Trace : public TimeSeries
{
public:
    Trace(SeismicRecord& record, int serialNumber);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    int serialNumber() const { return serialNumber_; }
    SeismicRecord* seismicRecord() const { return record_; }
    QString labelString() const { return label_; }
    QString logString() const { return log_; }

    // Cached statistics of the whole working copy (0 for an empty copy).
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    double mean() const { return mean_; }

    bool isSelected() const { return selected_; }

    QPointF position() const { return position_; }
    void setPosition(const QPointF& p) { position_ = p; }
    void setPosition(const QPoint& p) { position_ = QPointF(double(p.x()), double(p.y())); }
    void setPosition(double x, double y) { position_ = QPointF(x, y); }
    double x() const { return position_.x(); }
    void setX(double x) { position_.setX(x); }
    double y() const { return position_.y(); }
    void setY(double y) { position_.setY(y); }

    void setAlignmentTime(long long t) { alignmentTime_ = t; }
    long long alignmentTime() const { return alignmentTime_; }
    TimeSpan alignedTimeSpan() const;

    void pinX(bool on) { pinnedX_ = on; }
    bool pinnedX() const { return pinnedX_; }
    void pinY(bool on) { pinnedY_ = on; }
    bool pinnedY() const { return pinnedY_; }
    void setWarning(bool on) { warning_ = on; }
    bool warning() const { return warning_; }

    void setPolarity(int p);
    int polarity() const { return polarity_; }
    void invertTrace();

    void hide(bool h) { visible_ = !h; }
    bool isVisible() const { return visible_; }

    void setColor(const QColor& c) { color_ = c; }
    QColor color() const { return color_; }
    void setStrokeWeight(double w) { strokeWeight_ = w; }
    double strokeWeight() const { return strokeWeight_; }

    double gain() const { return gain_; }
    double pixelsPerMSec() const { return pixelsPerMSec_; }

    // Horizontal scale in pixels per millisecond.
    void setTraceLength(double pixelsPerMSec);
    void scaleTrace(double factor);
    void scaleTrace(double pixelsPerMSec, double yFactor);
    // The largest deviation from the mean becomes h/2 pixels.
    void setTraceHeight(int h);
    void setTraceSize(double pixelsPerMSec, int h);
    // Stores a new gain and rescales the cached polyline instead of
    // rebuilding it. A gain that is not finite and positive is ignored, so
    // the trace always keeps a usable scale.
    void changeGain(double g);
    // The selection box from the selection indices and the polyline's extent.
    void setSelectionRect();

    // Inclusive sample range of the time selection.
    int selectionStart() const { return selectionStart_; }
    int selectionEnd() const { return selectionEnd_; }
    double selectionMin() const;
    double selectionMax() const;
    double selectionMean() const;
    // Removes the selection's mean from every sample; logs nothing.
    void removeSelectionMean();

    bool hasPicks() const;
    bool hasPick(const QString& phase) const;
    long long pickTimeMsec(const QString& phase) const;
    void clearPicks();

    // False, with samples, statistics and log unchanged, when a corner lies
    // at or above Nyquist or the filter cannot be designed for this trace.
    bool filter(IIRFilter* f);
    void smooth(bool median, int halfWidth);
    void taper(TaperType type, int n);
    void taper(TaperType type, double fraction);
    void removeTrend();
    void integrate();
    void trimToSelection();
    void revertToOriginal();

    // A new series (caller owns) of the selection, widened to an even count.
    TimeSeries* timeSeriesFromSelection();
    // A new spectrum (caller owns) of the selection; null when the selection
    // does not lie inside the trace.
    Spectrum* selectedSpectrum(TaperType type, double fraction) const;

    // Drawing, selection and hit tests. The polyline, the bounding box and
    // the selection box are in pixels relative to position; canvas points
    // become local by subtracting position.
    void drawTrace(QVector<QPointF>* points, QRectF* bounds, double xScale, double yFactor);
    void drawTraceSelection(QVector<QPointF>* points, QRectF* bounds, double xScale,
                            double yFactor);
    // Rebuilds the cached polyline and selection box when they are stale.
    void refreshPolyline();
    const QVector<QPointF>& polyline() const { return polyline_; }
    void paintTrace(QPainter* painter);
    QRectF printTrace(QPainter* painter, double xScale, double yFactor, double penScale);
    void paintPicks(QPainter* painter) const;
    void printPicks(QPainter* painter, double xScale, QRectF bounds, double) const;
    void select(bool on);
    bool dragSelect(QRect box, bool extend);
    // 0 none, 1 top, 2 bottom, 3 start, 4 end edge of the selection box.
    int inHandle(QPoint p) const;
    void dragSelectionStart(int x);
    void dragSelectionEnd(int x);
    void dragSelectionTop(int y);
    void dragSelectionBottom(int y);
    bool hit(QPoint p, int tolerance) const;
    bool intersects(QRect box) const;
    bool hitSelectionRect(QPoint p) const;
    // The pick's time in ms since the epoch, or 0 when the click is too far
    // from the line or the phase name is blank.
    long long pickByClick(QPoint p, QString phase);
    QRect boundingRect() const;
    QRect selectionRect() const;
    int height() const;
    int selectionHeight() const { return 1; }

private:
    friend class TestTrace;

    void updateStatistics();
    void widenSelectionToEven();
    double largestDeviation() const;
    double gainForHeight(int h) const;
    void appendLog(const QString& entry) { log_ += entry; }

    int serialNumber_;
    SeismicRecord* record_;
    bool selected_ = false;
    bool polylineStale_ = true;
    bool visible_ = true;
    QVector<QPointF> polyline_;
    QRectF boundingRect_;
    QPointF position_;
    long long alignmentTime_ = 0;
    bool pinnedX_ = false;
    bool pinnedY_ = false;
    bool warning_ = false;
    QRectF selectionRect_;
    QString label_;
    double pixelsPerMSec_ = 0.001;
    double gain_ = 1.0;
    int polarity_ = 1;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
    double mean_ = 0.0;
    int selectionStart_ = 0;
    int selectionEnd_ = 0;
    QColor color_;
    double strokeWeight_ = 1.0;
    QString log_;
};

#endif // TRACE_H
