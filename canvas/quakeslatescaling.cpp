// Size changes of the canvas: axis steps, fitting, zoom steps. They rescale
// positions, gains and the record-section scale by arithmetic instead of
// laying the traces out again.
#include "canvas/quakeslate.h"

#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"

#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr double zoomInFactor = 1.414213562373095;
constexpr double zoomOutFactor = 0.70710678118655;

bool usableExtent(double extent)
{
    return extent >= 1.0 && extent <= double(Quakeslate::maximumExtent);
}

} // namespace

void Quakeslate::rebuildRulers()
{
    if (scrollArea_) {
        scrollArea_->buildTimeTickMarks(pixelsPerMSec_, timeSpan_);
        scrollArea_->updateTimeRulers();
    }
    buildVerticalTickMarks(verticalTickMarks_);
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
}

bool Quakeslate::stretchCanvasToRect(int width, int height, bool uniform)
{
    const int w = this->width();
    const int h = this->height();
    const long long length = timeSpan_.lengthMSecs();
    if (traces_.isEmpty() || w <= 0 || h <= 0 || length <= 0)
        return false;
    double sx = double(width) / double(w);
    double sy = double(height) / double(h);
    if (uniform)
        sx = sy = std::min(sx, sy);
    const double newWidth = std::round(w * sx);
    const double newHeight = std::round(h * sy);
    if (!usableExtent(newWidth) || !usableExtent(newHeight))
        return false;

    resize(int(newWidth), int(newHeight));
    pixelsPerMSec_ = newWidth / double(length);
    for (Trace* trace : qAsConst(traces_)) {
        trace->scaleTrace(pixelsPerMSec_, sy);
        const double x =
            double(trace->alignedTimeSpan().startTimeMSecs() - timeSpan_.startTimeMSecs())
            * pixelsPerMSec_;
        trace->setPosition(x, trace->y() * sy);
    }
    sectionOffset_ *= sy;
    sectionPixelsPerUnit_ *= sy;
    rebuildRulers();
    return true;
}

void Quakeslate::scaleTimeAxis(double scale)
{
    if (traces_.isEmpty() || !scrollArea_)
        return;
    const double newWidth = std::round(width() * scale);
    if (pixelsPerMSec_ * scale > 2.0 || newWidth < 100.0 || !usableExtent(newWidth))
        return;
    QScrollBar* bar = scrollArea_->horizontalScrollBar();
    const long long t = timeSpan_.startTimeMSecs() + std::llround(bar->value() / pixelsPerMSec_);
    if (!stretchCanvasToRect(int(newWidth), height(), false))
        return;
    bar->setValue(int(double(t - timeSpan_.startTimeMSecs()) * pixelsPerMSec_));
    update();
}

void Quakeslate::scaleVerticalAxis(double scale)
{
    if (traces_.isEmpty() || !scrollArea_)
        return;
    if (std::lround(height() * scale) < 80)
        return;
    QScrollBar* bar = scrollArea_->verticalScrollBar();
    const double v = bar->value() * scale;
    const double newHeight = std::round(height() * scale);
    if (!usableExtent(newHeight) || !stretchCanvasToRect(width(), int(newHeight), false))
        return;
    bar->setValue(int(v));
    update();
}

void Quakeslate::fitHeightInWindow()
{
    if (traces_.isEmpty() || !scrollArea_)
        return;
    const QSize view = scrollArea_->maximumViewportSize();
    const QSize fitted = size().scaled(view, Qt::KeepAspectRatio);
    if (fitted.height() == view.height()) {
        stretchCanvasToRect(fitted.width(), fitted.height(), true);
    } else {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize expanded =
            size().scaled(QSize(view.width(), view.height() - bar), Qt::KeepAspectRatioByExpanding);
        stretchCanvasToRect(expanded.width(), expanded.height(), true);
    }
    update();
}

void Quakeslate::fitWidthInWindow()
{
    if (traces_.isEmpty() || !scrollArea_)
        return;
    const QSize view = scrollArea_->maximumViewportSize();
    const QSize fitted = size().scaled(view, Qt::KeepAspectRatio);
    if (fitted.width() == view.width()) {
        stretchCanvasToRect(fitted.width(), fitted.height(), true);
    } else {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize expanded =
            size().scaled(QSize(view.width() - bar, view.height()), Qt::KeepAspectRatioByExpanding);
        stretchCanvasToRect(expanded.width(), expanded.height(), true);
    }
    update();
}

void Quakeslate::fitToContents()
{
    if (traces_.isEmpty())
        return;
    const TimeSpan hull = tracesTimeSpan();
    int top = height();
    int bottom = 0;
    for (Trace* trace : qAsConst(traces_)) {
        trace->refreshPolyline();
        const QRect box = trace->boundingRect();
        top = std::min(top, box.top());
        bottom = std::max(bottom, box.bottom());
    }
    const long long margin = hull.lengthMSecs() * 2 / 100;
    const TimeSpan span(hull.startTimeMSecs() - margin, hull.endTimeMSecs() + margin);
    const double newWidth = std::round(double(span.lengthMSecs()) * pixelsPerMSec_);
    const double newHeight = double(bottom - top + 2 * canvasMargin_);
    if (!usableExtent(newWidth) || !usableExtent(newHeight))
        return;

    timeSpan_ = span;
    timeMargin_ = margin;
    const int dy = canvasMargin_ - top;
    for (Trace* trace : qAsConst(traces_)) {
        trace->setY(trace->y() + dy);
        trace->setX(double(trace->alignedTimeSpan().startTimeMSecs() - timeSpan_.startTimeMSecs())
                    * pixelsPerMSec_);
    }
    resize(int(newWidth), int(newHeight));
    if (canvasLayout_ == RecordSection) {
        sectionOffset_ += dy;
        emit recordSectionScaleChanged();
    }
    // The span and its start moved: the rulers must follow.
    rebuildRulers();
    emit timeScaleChanged();
    update();
}

void Quakeslate::zoomIn(QPoint p)
{
    const double w = std::round(width() * zoomInFactor);
    const double h = std::round(height() * zoomInFactor);
    if (!usableExtent(w) || !usableExtent(h) || !stretchCanvasToRect(int(w), int(h), true))
        return;
    if (!scrollArea_)
        return;
    const QSize view = scrollArea_->viewport()->size();
    scrollArea_->horizontalScrollBar()->setValue(
        std::max(int(p.x() * zoomInFactor) - view.width() / 2, 0));
    scrollArea_->verticalScrollBar()->setValue(
        std::max(int(p.y() * zoomInFactor) - view.height() / 2, 0));
}

void Quakeslate::zoomOut(QPoint p)
{
    if (traces_.isEmpty() || !scrollArea_)
        return;
    const QSize minimum = scrollArea_->viewport()->minimumSize();
    if (minimum.width() >= width() && minimum.height() >= height())
        return;
    const int w = int(std::lround(width() * zoomOutFactor));
    const int h = int(std::lround(height() * zoomOutFactor));
    if (scrollArea_->width() - 2 >= w && scrollArea_->height() - 2 >= h) {
        fitInWindow();
        return;
    }
    if (!stretchCanvasToRect(w, h, true))
        return;
    const int x = int(std::lround(p.x() * zoomOutFactor));
    const int y = int(std::lround(p.y() * zoomOutFactor));
    const int halfWidth = scrollArea_->width() / 2;
    const int halfHeight = scrollArea_->height() / 2;
    scrollArea_->horizontalScrollBar()->setValue(x >= halfWidth ? x - halfWidth + 1 : 0);
    scrollArea_->verticalScrollBar()->setValue(y >= halfHeight ? y - halfHeight + 1 : 0);
}

void Quakeslate::zoomIntoRect(QRect r)
{
    if (!scrollArea_ || r.width() <= 0 || r.height() <= 0)
        return;
    bool meetsTrace = false;
    for (Trace* trace : qAsConst(traces_)) {
        trace->refreshPolyline();
        if (trace->intersects(r)) {
            meetsTrace = true;
            break;
        }
    }
    if (!meetsTrace)
        return;
    const double f =
        double(r.size().scaled(scrollArea_->viewport()->size(), Qt::KeepAspectRatio).width())
        / double(r.width());
    const double w = std::round(width() * f);
    const double h = std::round(height() * f);
    if (!usableExtent(w) || !usableExtent(h) || !stretchCanvasToRect(int(w), int(h), true))
        return;
    const QPoint centre = r.center();
    const int cx = int(std::lround(centre.x() * f));
    const int cy = int(std::lround(centre.y() * f));
    scrollArea_->horizontalScrollBar()->setValue(cx - scrollArea_->width() / 2);
    scrollArea_->verticalScrollBar()->setValue(cy - scrollArea_->height() / 2);
}
