#include "canvas/trace.h"

#include "model/iirfilter.h"
#include "model/pick.h"
#include "model/seismicrecord.h"
#include "model/spectrum.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// SAC headers write this for a code that was never set.
const QString undefinedCode = QStringLiteral("-12345");

QString taperName(TaperType type)
{
    switch (type) {
    case CosineTaper:
        return QStringLiteral("cosine,");
    case HannTaper:
        return QStringLiteral("hann,");
    case HammingTaper:
        return QStringLiteral("hamming,");
    }
    return QString();
}

bool usableGain(double g)
{
    return std::isfinite(g) && g > 0.0;
}

} // namespace

// The base starts empty so that a record without any segment still gives a
// valid (empty) trace instead of a read through a missing pointer.
Trace::Trace(SeismicRecord& record, int serialNumber)
    : TimeSeries(0, 1.0), serialNumber_(serialNumber), record_(&record),
      color_(QStringLiteral("black"))
{
    const QList<TimeSeries*> segments = record.segments();
    if (!segments.isEmpty() && segments.first())
        TimeSeries::operator=(*segments.first());
    updateStatistics();
    selectionStart_ = 0;
    selectionEnd_ = npts() - 1;

    const QString network = record.networkCode().trimmed();
    const QString location = record.locationCode().trimmed();
    label_ = (network == undefinedCode ? QStringLiteral("??") : network) + QLatin1Char(':')
             + record.stationCode().trimmed() + QLatin1Char(':')
             + (location == undefinedCode ? QStringLiteral("--") : location) + QLatin1Char(':')
             + record.channelCode().trimmed();
}

Trace::~Trace() = default;

TimeSpan Trace::alignedTimeSpan() const
{
    return TimeSpan(startTimeMSecs() - alignmentTime_, endTimeMSecs() - alignmentTime_);
}

void Trace::setPolarity(int p)
{
    polarity_ = p < 0 ? -1 : 1;
    polylineStale_ = true;
}

void Trace::invertTrace()
{
    polarity_ = -polarity_;
    polylineStale_ = true;
}

void Trace::setTraceLength(double pixelsPerMSec)
{
    pixelsPerMSec_ = pixelsPerMSec;
    polylineStale_ = true;
}

void Trace::scaleTrace(double factor)
{
    changeGain(factor * gain_);
}

void Trace::scaleTrace(double pixelsPerMSec, double yFactor)
{
    pixelsPerMSec_ = pixelsPerMSec;
    const double g = gain_ * yFactor;
    if (usableGain(g))
        gain_ = g;
    polylineStale_ = true;
}

double Trace::largestDeviation() const
{
    return std::max(maximum_ - mean_, std::fabs(minimum_ - mean_));
}

// A flat trace has no deviation to scale to; it keeps the gain it has, which
// is always finite and positive, and draws on its baseline.
double Trace::gainForHeight(int h) const
{
    const double g = double(h) / (2.0 * largestDeviation());
    return usableGain(g) ? g : gain_;
}

void Trace::setTraceHeight(int h)
{
    changeGain(gainForHeight(h));
}

void Trace::setTraceSize(double pixelsPerMSec, int h)
{
    pixelsPerMSec_ = pixelsPerMSec;
    gain_ = gainForHeight(h);
    polylineStale_ = true;
}

void Trace::changeGain(double g)
{
    if (!usableGain(g))
        return;
    const double oldGain = gain_;
    gain_ = g;
    if (polyline_.isEmpty())
        return;
    const double ratio = g / oldGain;
    double top = 0.0;
    double bottom = 0.0;
    for (int i = 0; i < polyline_.size(); ++i) {
        QPointF& vertex = polyline_[i];
        vertex.setY(vertex.y() * ratio);
        if (i == 0 || vertex.y() < top)
            top = vertex.y();
        if (i == 0 || vertex.y() > bottom)
            bottom = vertex.y();
    }
    boundingRect_.setTop(top);
    boundingRect_.setHeight(bottom - top);
    setSelectionRect();
}

void Trace::setSelectionRect()
{
    const double s = dtMSecs() * pixelsPerMSec_;
    const double left = std::round(double(selectionStart_) * s);
    const double right = std::round(double(selectionEnd_) * s);
    selectionRect_ = QRectF(left, std::floor(boundingRect_.top() + 0.5), right - left,
                            std::floor(boundingRect_.height() + 0.5));
}

double Trace::selectionMin() const
{
    return TimeSeries::minimum(selectionStart_, selectionEnd_);
}

double Trace::selectionMax() const
{
    return TimeSeries::maximum(selectionStart_, selectionEnd_);
}

double Trace::selectionMean() const
{
    return TimeSeries::mean(selectionStart_, selectionEnd_);
}

void Trace::removeSelectionMean()
{
    TimeSeries::removeMean(selectionStart_, selectionEnd_);
    updateStatistics();
    polylineStale_ = true;
}

bool Trace::hasPicks() const
{
    return record_->hasPicks();
}

bool Trace::hasPick(const QString& phase) const
{
    return record_->hasPick(phase);
}

long long Trace::pickTimeMsec(const QString& phase) const
{
    return record_->pickTimeMsec(phase);
}

void Trace::clearPicks()
{
    record_->clearPicks();
}

bool Trace::filter(IIRFilter* f)
{
    if (!f)
        return false;
    const double nyquist = 0.5 / dt();
    if (f->lowFrequency() >= nyquist || f->highFrequency() >= nyquist)
        return false;
    // Refuse before touching the samples: removing and restoring the mean
    // alone would already change them by rounding.
    if (!f->design(dt()))
        return false;

    mean_ = TimeSeries::mean();
    TimeSeries::removeMean();
    f->apply(this);
    TimeSeries::add(mean_);
    minimum_ = TimeSeries::minimum();
    maximum_ = TimeSeries::maximum();
    polylineStale_ = true;

    QString corners;
    switch (f->filterType()) {
    case LowPass:
        corners = QString::number(f->highFrequency(), 'g', 6);
        break;
    case HighPass:
        corners = QString::number(f->lowFrequency(), 'g', 6);
        break;
    default:
        corners = QString::number(f->lowFrequency(), 'g', 6) + QLatin1Char('-')
                  + QString::number(f->highFrequency(), 'g', 6);
        break;
    }
    appendLog(QStringLiteral("filter[") + f->typeString().toLower() + QLatin1Char(',')
              + f->prototypeString() + QLatin1Char(',') + corners + QStringLiteral("hz,order ")
              + QString::number(f->order())
              + (f->zeroPhase() ? QStringLiteral(",zero Phase ") : QString())
              + QStringLiteral("];\n"));
    return true;
}

void Trace::smooth(bool median, int halfWidth)
{
    TimeSeries::smooth(median, halfWidth);
    updateStatistics();
    polylineStale_ = true;
    appendLog(QStringLiteral("smooth[") + (median ? QStringLiteral("median,") : QStringLiteral("mean,"))
              + QString::number(halfWidth) + QStringLiteral("];\n"));
}

void Trace::taper(TaperType type, int n)
{
    TimeSeries::taper(type, n);
    updateStatistics();
    polylineStale_ = true;
    appendLog(QStringLiteral("taper[") + taperName(type) + QString::number(n)
              + QStringLiteral(" samples];\n"));
}

void Trace::taper(TaperType type, double fraction)
{
    const double length = double(npts()) * std::min(fraction, 0.5);
    // Truncated toward zero, so a negative fraction logs its negative count
    // (and tapers nothing); a NaN fraction never reaches the conversion.
    const int n = std::isnan(length) ? 0 : int(std::max(length, double(INT_MIN)));
    taper(type, n);
}

void Trace::removeTrend()
{
    TimeSeries::removeTrend();
    updateStatistics();
    polylineStale_ = true;
    appendLog(QStringLiteral("trend removed;\n"));
}

void Trace::integrate()
{
    TimeSeries::integrate();
    updateStatistics();
    polylineStale_ = true;
    appendLog(QStringLiteral("integrated;\n"));
}

// Series always hold an even count, so an odd selection grows by one sample,
// at its end when it can, else at its start. Indices out of range (which no
// caller should produce) are pulled inside first so that nothing is read
// beyond the samples.
void Trace::widenSelectionToEven()
{
    const int last = npts() - 1;
    if (last < 0) {
        selectionStart_ = 0;
        selectionEnd_ = -1;
        return;
    }
    selectionStart_ = std::clamp(selectionStart_, 0, last);
    selectionEnd_ = std::clamp(selectionEnd_, selectionStart_, last);
    if ((selectionEnd_ - selectionStart_ + 1) % 2 != 0) {
        if (selectionEnd_ < last)
            ++selectionEnd_;
        else
            --selectionStart_;
    }
}

TimeSeries* Trace::timeSeriesFromSelection()
{
    widenSelectionToEven();
    const int n = selectionEnd_ - selectionStart_ + 1;
    auto* series = new TimeSeries(n, sampleRate());
    series->setStartTimeMSecs(startTimeMSecs()
                              + std::llround(double(selectionStart_) * dtMSecs()));
    std::copy(samples + selectionStart_, samples + selectionStart_ + n, series->samples);
    return series;
}

void Trace::trimToSelection()
{
    widenSelectionToEven();
    const int s = selectionStart_;
    const int n = selectionEnd_ - s + 1;
    TimeSeries kept(n, sampleRate());
    std::copy(samples + s, samples + s + n, kept.samples);
    const long long newStart = startTimeMSecs() + std::llround(double(s) * dtMSecs());
    kept.setStartTimeMSecs(newStart);
    kept.setEndTimeMSecs(newStart + std::llround(double(n - 1) * dtMSecs()));

    position_.setX(position_.x() + double(s) * dtMSecs() * pixelsPerMSec_);
    selectionEnd_ -= s;
    selectionStart_ = 0;
    TimeSeries::operator=(kept);

    updateStatistics();
    appendLog(QStringLiteral("trimmed[Start time ")
              + QDateTime::fromMSecsSinceEpoch(newStart, Qt::UTC).toString(Qt::ISODateWithMs)
              + QStringLiteral(", ") + QString::number(n) + QStringLiteral(" samples];\n"));
    polylineStale_ = true;
}

void Trace::revertToOriginal()
{
    const QList<TimeSeries*> segments = record_->segments();
    if (segments.isEmpty() || !segments.first())
        return;
    TimeSeries::operator=(*segments.first());
    updateStatistics();
    selectionStart_ = 0;
    selectionEnd_ = npts() - 1;
    log_.clear();
    polylineStale_ = true;
}

Spectrum* Trace::selectedSpectrum(TaperType type, double fraction) const
{
    const double length = fraction * double(selectionEnd_ - selectionStart_);
    const int m = std::isfinite(length) && std::fabs(length) < 2.0e9 ? int(std::lround(length)) : 0;
    return TimeSeries::spectrum(selectionStart_, selectionEnd_, type, m);
}

void Trace::updateStatistics()
{
    minimum_ = TimeSeries::minimum();
    maximum_ = TimeSeries::maximum();
    mean_ = TimeSeries::mean();
}

// ---- Drawing, selection and hit tests ----

namespace {

// Halves towards positive infinity, for the integer boxes of a trace.
int roundHalfUp(double v)
{
    return int(std::floor(v + 0.5));
}

QRectF localRect(const QRect& box, const QPointF& position)
{
    return QRectF(box.left() - position.x(), box.top() - position.y(), box.width(), box.height());
}

// The sample drawn at local column x, with s pixels between samples. A trace
// without a scale has every sample at 0.
int sampleAt(double x, double s)
{
    if (!(s > 0.0))
        return 0;
    const double k = std::round(x / s);
    if (!(k > -2.0e9))
        return int(-2.0e9);
    return k < 2.0e9 ? int(k) : int(2.0e9);
}

bool byX(const QPointF& a, double x)
{
    return a.x() <= x;
}

// Index of the first vertex in [from, to) whose x exceeds x, or to.
int firstBeyond(const QVector<QPointF>& points, int from, int to, double x)
{
    if (from >= to)
        return to;
    const QPointF* begin = points.constData();
    return int(std::partition_point(begin + from, begin + to,
                                    [x](const QPointF& p) { return byX(p, x); })
               - begin);
}

bool anyVertexInside(const QVector<QPointF>& points, const QRectF& box)
{
    // x never decreases along the polyline: only the vertices within the
    // box's columns need a look.
    const QPointF* begin = points.constData();
    const QPointF* end = begin + points.size();
    const QPointF* p = std::partition_point(begin, end,
                                            [&box](const QPointF& v) { return v.x() < box.left(); });
    for (; p != end && p->x() <= box.right(); ++p) {
        if (p->y() >= box.top() && p->y() <= box.bottom())
            return true;
    }
    return false;
}

// Draws the part of a polyline of at least two vertices that can reach the
// columns from left to right.
void drawColumns(QPainter* painter, const QVector<QPointF>& points, double left, double right)
{
    const int count = points.size();
    int first = 1;
    int end = count;
    if (count >= 3) {
        const int k = firstBeyond(points, 2, count, left);
        first = k < count ? k - 1 : count;
        const int beyond = firstBeyond(points, first, count, right);
        end = beyond < count ? beyond + 1 : count;
    }
    if (first < end)
        painter->drawPolyline(points.constData() + first - 1, end - first + 1);
}

} // namespace

// Min/max decimation of n samples from first on: below 0.75 pixel per sample
// the samples fold into runs of about one pixel whose extremes are kept in
// time order, so spikes survive and long traces stay cheap to draw.
static void buildPolyline(const double* samples, int n, double mean, double dx, double yScale,
                          QVector<QPointF>* points, QRectF* bounds)
{
    points->clear();
    if (n <= 0) {
        *bounds = QRectF();
        return;
    }
    auto y = [&](int k) { return yScale * (samples[k] - mean); };
    double top = y(0);
    double bottom = top;
    auto add = [&](double px, double py) {
        points->append(QPointF(px, py));
        if (py > bottom)
            bottom = py;
        else if (py < top)
            top = py;
    };
    points->append(QPointF(0.0, top));
    if (n == 1) {
        *bounds = QRectF(0.0, top, 0.0, 0.0);
        return;
    }

    if (dx >= 0.75) {
        points->reserve(n);
        for (int k = 1; k <= n - 2; ++k)
            add(k * dx, y(k));
    } else {
        const double columns = dx > 0.0 ? double(n) * dx : 1.0;
        points->reserve(int(std::min(2.0 * columns + 8.0, double(n) + 2.0)));
        double c = 0.0;
        double prev = y(0);
        int k = 1;
        while (k < n - 2) {
            const double c0 = c;
            if (k * dx - c0 > 2.0) {
                c += 1.0;
                prev = y(k);
                add(c, prev);
                ++k;
                continue;
            }
            // The run ends with the first sample more than 2 pixels right of
            // c0; find it once instead of testing every sample.
            int stop = n - 2;
            if (dx > 0.0) {
                const double estimate = std::floor((c0 + 2.0) / dx) + 1.0;
                if (estimate < double(n - 2)) {
                    int e = std::max(int(estimate), k + 1);
                    while (e > k + 1 && (e - 1) * dx - c0 > 2.0)
                        --e;
                    while (e < n - 2 && !(e * dx - c0 > 2.0))
                        ++e;
                    stop = e;
                }
            }
            double lowY = y(k);
            double highY = lowY;
            int lowIndex = k;
            int highIndex = k;
            for (int j = k + 1; j <= stop; ++j) {
                const double v = yScale * (samples[j] - mean);
                if (v < lowY) {
                    lowY = v;
                    lowIndex = j;
                } else if (v > highY) {
                    highY = v;
                    highIndex = j;
                }
            }
            k = stop + 1;
            if (lowY >= prev && highY >= prev) {
                c += 1.0;
                add(c, highY);
                prev = highY;
            } else if (prev >= lowY && prev >= highY) {
                c += 1.0;
                add(c, lowY);
                prev = lowY;
            } else if (lowIndex < highIndex) {
                add(c0 + 0.5, lowY);
                c += 1.0;
                add(c, highY);
                prev = highY;
            } else {
                add(c0 + 0.5, highY);
                c += 1.0;
                add(c, lowY);
                prev = lowY;
            }
        }
    }
    add((n - 1) * dx, y(n - 1));
    *bounds = QRectF(0.0, top, (n - 1) * dx, bottom - top);
}

void Trace::drawTrace(QVector<QPointF>* points, QRectF* bounds, double xScale, double yFactor)
{
    const double dx = dtMSecs() * xScale;
    buildPolyline(samples, npts(), mean_, dx, -polarity_ * gain_ * yFactor, points, bounds);
    if (points == &polyline_)
        polylineStale_ = false;
}

void Trace::drawTraceSelection(QVector<QPointF>* points, QRectF* bounds, double xScale,
                               double yFactor)
{
    const int first = std::clamp(selectionStart_, 0, std::max(npts() - 1, 0));
    const int m = std::clamp(selectionEnd_ - first, 0, npts() - first);
    const double dx = dtMSecs() * xScale;
    buildPolyline(samples + first, m, mean_, dx, -polarity_ * gain_ * yFactor, points, bounds);
}

void Trace::refreshPolyline()
{
    if (!polylineStale_)
        return;
    drawTrace(&polyline_, &boundingRect_, pixelsPerMSec_, 1.0);
    setSelectionRect();
}

void Trace::paintTrace(QPainter* painter)
{
    refreshPolyline();
    painter->setPen(QPen(QBrush(color_), strokeWeight_, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));

    const int count = polyline_.size();
    if (count < 2)
        return;
    // Only the vertices that can reach the exposed area are drawn, found by
    // binary search: x never decreases along the polyline. The clip is
    // widened by the pen so that line ends just outside still show.
    const QRectF clip = painter->clipBoundingRect();
    const double reach = strokeWeight_ + 1.0;
    if (clip.width() > 0.0 && clip.height() > 0.0)
        drawColumns(painter, polyline_, clip.left() - reach, clip.right() + reach);
    else
        painter->drawPolyline(polyline_.constData(), count);

    if (!selected_)
        return;
    const QColor outline(75, 120, 159);
    painter->setPen(QPen(QBrush(outline), 1.0));
    QColor fill(165, 213, 254);
    fill.setAlpha(100);
    painter->fillRect(selectionRect_, fill);
    const QRectF& s = selectionRect_;
    painter->drawLine(QLineF(s.left(), s.top(), s.right(), s.top()));
    painter->drawLine(QLineF(s.right(), s.top(), s.right(), s.bottom()));
    painter->drawLine(QLineF(s.right(), s.bottom(), s.left(), s.bottom()));
    painter->drawLine(QLineF(s.left(), s.bottom(), s.left(), s.top()));
    painter->setClipRect(selectionRect_, Qt::IntersectClip);
    painter->setPen(QPen(QBrush(outline), strokeWeight_, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));
    drawColumns(painter, polyline_, s.left() - reach, s.right() + reach);
}

QRectF Trace::printTrace(QPainter* painter, double xScale, double yFactor, double penScale)
{
    QVector<QPointF> points;
    QRectF bounds;
    drawTrace(&points, &bounds, xScale, yFactor);
    painter->setPen(QPen(QBrush(color_), penScale * strokeWeight_, Qt::SolidLine, Qt::FlatCap,
                         Qt::BevelJoin));
    if (!points.isEmpty()) {
        QPainterPath path(points.first());
        for (int i = 1; i < points.size(); ++i)
            path.lineTo(points.at(i));
        painter->drawPath(path);
    }
    return bounds;
}

void Trace::paintPicks(QPainter* painter) const
{
    painter->setPen(QPen(QColor(QStringLiteral("red"))));
    const double t = selectionRect_.top();
    const double h = selectionRect_.height();
    const double inset = h / 6.0;
    for (const Pick* pick : record_->pickList()) {
        const double x = double(pick->pickTimeMSecs() - startTimeMSecs()) * pixelsPerMSec_;
        painter->drawLine(QLineF(x, t + inset, x, t + h - inset));
        painter->drawText(QRect(int(x - 52.0), int(t - 2.0 + inset), 50, 50), Qt::AlignRight,
                          pick->phaseName());
    }
}

void Trace::printPicks(QPainter* painter, double xScale, QRectF bounds, double) const
{
    QFont font = painter->font();
    font.setPointSize(8);
    painter->setFont(font);
    const QFontMetrics metrics = painter->fontMetrics();
    const int fh = metrics.height();
    painter->setPen(QPen(QColor(QStringLiteral("red"))));
    const double inset = bounds.height() / 6.0;
    const double top = bounds.top() + inset;
    const double bottom = bounds.top() + bounds.height() - inset;
    for (const Pick* pick : record_->pickList()) {
        const QString name = pick->phaseName();
        const int w = metrics.horizontalAdvance(name);
        const double x = double(pick->pickTimeMSecs() - startTimeMSecs()) * xScale;
        painter->drawLine(QLineF(x, top, x, bottom));
        painter->drawText(QRect(int(x - w - 5), int(top), w, fh), Qt::AlignRight | Qt::AlignVCenter,
                          name);
    }
}

void Trace::select(bool on)
{
    selectionStart_ = 0;
    selectionEnd_ = npts() - 1;
    setSelectionRect();
    selected_ = on;
}

bool Trace::dragSelect(QRect box, bool extend)
{
    const QRectF local = localRect(box, position_);
    if (local.intersects(boundingRect_) && anyVertexInside(polyline_, local)) {
        const double boxLeft = std::trunc(local.left());
        const double boxRight = std::trunc(local.right());
        const double left =
            boundingRect_.left() > boxLeft ? std::trunc(boundingRect_.left()) : boxLeft;
        const double right =
            boxRight > boundingRect_.right() ? std::trunc(boundingRect_.right()) : boxRight;
        if (extend && selected_) {
            if (left < selectionRect_.left())
                selectionRect_.setLeft(left);
            if (right > selectionRect_.right())
                selectionRect_.setRight(right);
        } else {
            selectionRect_.setLeft(left);
            selectionRect_.setWidth(right - left);
        }
        const double s = dtMSecs() * pixelsPerMSec_;
        const int last = std::max(npts() - 1, 0);
        selectionStart_ = std::clamp(sampleAt(selectionRect_.left(), s), 0, last);
        selectionEnd_ = std::clamp(sampleAt(selectionRect_.right(), s), selectionStart_, last);
        selected_ = true;
        return true;
    }
    if (extend)
        return selected_;
    select(false);
    return false;
}

int Trace::inHandle(QPoint p) const
{
    const double l = selectionRect_.left() + position_.x();
    const double t = selectionRect_.top() + position_.y();
    const double w = selectionRect_.width();
    const double h = selectionRect_.height();
    const QPointF q(p);
    if (QRectF(l, t - 2, w, 5).contains(q))
        return 1;
    if (QRectF(l, t + h - 2, w, 5).contains(q))
        return 2;
    if (QRectF(l - 2, t + 2, 5, h - 2).contains(q))
        return 3;
    if (QRectF(l + w - 2, t + 2, 5, h - 2).contains(q))
        return 4;
    return 0;
}

// The selection never starts before the first sample nor past its end, and
// never ends past the last sample, however far the handle is dragged.
void Trace::dragSelectionStart(int x)
{
    const double local = x - std::round(position_.x());
    if (local < boundingRect_.left()) {
        selectionRect_.setLeft(boundingRect_.left());
        selectionStart_ = 0;
    } else {
        if (local >= selectionRect_.right())
            selectionRect_.setLeft(selectionRect_.right() - 1);
        else
            selectionRect_.setLeft(local);
        selectionStart_ = sampleAt(selectionRect_.left(), dtMSecs() * pixelsPerMSec_);
    }
    selectionStart_ = std::clamp(selectionStart_, 0, std::max(selectionEnd_, 0));
}

void Trace::dragSelectionEnd(int x)
{
    const double local = x - std::round(position_.x());
    const double s = dtMSecs() * pixelsPerMSec_;
    if (local > boundingRect_.right()) {
        selectionRect_.setWidth(boundingRect_.right() - selectionRect_.left());
        selectionEnd_ = npts() - 1;
    } else if (local <= selectionRect_.left()) {
        selectionRect_.setWidth(2);
        selectionEnd_ = sampleAt(selectionRect_.left() + 2, s);
    } else {
        selectionRect_.setWidth(local - selectionRect_.left());
        selectionEnd_ = sampleAt(local, s);
    }
    selectionEnd_ = std::clamp(selectionEnd_, selectionStart_, std::max(npts() - 1, 0));
}

// A flat trace has no extreme to drag: its gain stays as it is.
void Trace::dragSelectionTop(int y)
{
    const double d = std::round(position_.y()) - y;
    if (d < 4)
        return;
    const double e = polarity_ > 0 ? maximum_ : minimum_;
    const double deviation = std::fabs(e - mean_);
    if (deviation > 0.0)
        changeGain(d / deviation);
}

void Trace::dragSelectionBottom(int y)
{
    const double d = y - std::round(position_.y());
    if (d < 4)
        return;
    const double e = polarity_ > 0 ? minimum_ : maximum_;
    const double deviation = std::fabs(e - mean_);
    if (deviation > 0.0)
        changeGain(d / deviation);
}

bool Trace::hit(QPoint p, int tolerance) const
{
    const QPointF local = QPointF(p) - position_;
    const QRectF box(local.x() - tolerance, local.y() - tolerance, 2.0 * tolerance + 1.0,
                     2.0 * tolerance + 1.0);
    const int count = polyline_.size();
    if (!boundingRect_.contains(local) || count < 3)
        return false;
    const int k = firstBeyond(polyline_, 1, count - 1, box.left());
    if (k >= count - 1)
        return false;
    const int beyond = firstBeyond(polyline_, k + 1, count, box.right());
    if (beyond > count - 2)
        return false;
    const int j = beyond - 1;
    double low = polyline_.at(k - 1).y();
    double high = low;
    for (int i = k; i <= j; ++i) {
        low = std::min(low, polyline_.at(i).y());
        high = std::max(high, polyline_.at(i).y());
    }
    const QRectF reach(QPointF(polyline_.at(k - 1).x(), low), QPointF(polyline_.at(j).x(), high));
    return reach.intersects(box);
}

bool Trace::intersects(QRect box) const
{
    const QRectF local = localRect(box, position_);
    if (!local.intersects(boundingRect_))
        return false;
    return anyVertexInside(polyline_, local);
}

bool Trace::hitSelectionRect(QPoint p) const
{
    return selectionRect_.translated(position_).contains(QPointF(p));
}

long long Trace::pickByClick(QPoint p, QString phase)
{
    if (phase.trimmed().isEmpty() || !(pixelsPerMSec_ > 0.0))
        return 0;
    const double localX = p.x() - position_.x();
    if (localX < boundingRect_.left() || localX > boundingRect_.right())
        return 0;
    const double localY = p.y() - position_.y();
    if (boundingRect_.top() - localY > 24.0 || localY - boundingRect_.bottom() > 24.0)
        return 0;
    const int count = polyline_.size();
    if (count < 3)
        return 0;
    const QPointF* begin = polyline_.constData();
    const QPointF* found = std::partition_point(
        begin + 1, begin + count - 1, [localX](const QPointF& v) { return v.x() < localX; });
    if (found == begin + count - 1)
        return 0;
    if (std::fabs(found->y() - localY) > 32.0)
        return 0;
    const long long time = startTimeMSecs() + std::llround(localX / pixelsPerMSec_);
    record_->newPick(new Pick(phase, time));
    return time;
}

QRect Trace::boundingRect() const
{
    return QRect(roundHalfUp(boundingRect_.left() + position_.x()),
                 roundHalfUp(boundingRect_.top() + position_.y()),
                 roundHalfUp(boundingRect_.width()), roundHalfUp(boundingRect_.height()));
}

QRect Trace::selectionRect() const
{
    return QRect(roundHalfUp(selectionRect_.left() + position_.x()),
                 roundHalfUp(selectionRect_.top() + position_.y()),
                 roundHalfUp(selectionRect_.width()), roundHalfUp(selectionRect_.height()));
}

int Trace::height() const
{
    return int(std::lround(boundingRect_.height()));
}
