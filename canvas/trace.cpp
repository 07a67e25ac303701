#include "canvas/trace.h"

#include "model/iirfilter.h"
#include "model/seismicrecord.h"
#include "model/spectrum.h"

#include <QDateTime>

#include <algorithm>
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
    // Also keeps a NaN fraction away from the integer conversion.
    const int n = length >= 1.0 ? int(length) : 0;
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
