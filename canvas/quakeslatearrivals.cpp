// Predicted arrivals: the travel-time curves the canvas asks of the
// traveltime service, keeps, and draws over a record section.
#include "canvas/quakeslate.h"

#include "canvas/trace.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/traveltimecurve.h"
#include "services/servicehosts.h"
#include "services/tavowstraveltimeinterface.h"

#include <QDateTime>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Surface waves at constant apparent speed: milliseconds from the origin to
// the antipode, 180 degrees away.
constexpr qint64 rayleighAntipodeMSecs = 5164304;
constexpr qint64 loveAntipodeMSecs = 4585240;

constexpr double kmPerDegree = 6371.0 * 3.14159265358979323846 / 180.0;

// Half degrees up to 10, whole degrees up to 179, and just short of the
// antipode, where the service has no rays.
QVector<double> fixedTravelTimeDistances()
{
    QVector<double> distances;
    distances.reserve(190);
    for (int i = 1; i <= 20; ++i)
        distances.append(0.5 * i);
    for (int d = 11; d <= 179; ++d)
        distances.append(double(d));
    distances.append(179.9);
    return distances;
}

TravelTimeCurve* surfaceWaveLine(const QString& phase, qint64 antipodeMSecs)
{
    auto* curve = new TravelTimeCurve(QStringLiteral("IASP91"), phase);
    curve->addTimeDistance(0.0, 0, 0.0);
    curve->addTimeDistance(180.0, antipodeMSecs, 0.0);
    return curve;
}

SeismicEvent* eventOf(const Trace* trace)
{
    const SeismicRecord* record = trace->seismicRecord();
    return record ? record->seismicEvent() : nullptr;
}

// Truncated toward zero; broken or absurd canvas state lands far off the
// canvas instead of overflowing an int.
int truncatedPixel(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(qBound(-1.0e9, v, 1.0e9));
}

} // namespace

void Quakeslate::setPredictedPhases(const QStringList& phases)
{
    predictedPhases_ = phases;
    if (traces_.isEmpty())
        return;
    if (travelTimeCurves_.isEmpty()) {
        initializeTravelTimeCurves();
    } else {
        createTraveltimeInterface();
        if (tracesFromSingleDepth()) {
            travelTimeDepth_ = eventOf(traces_.first())->preferredOrigin()->depthKm();
            for (const QString& phase : phases) {
                if (phase != QLatin1String("LR") && phase != QLatin1String("LQ")
                    && !hasTravelTimeCurve(phase))
                    traveltimeInterface_->requestCurve(phase, travelTimeDepth_,
                                                       travelTimeDistances_);
            }
        }
    }
    // A phase taken off the list disappears at once; its curve is kept.
    update();
}

void Quakeslate::showPredictedArrivalTimes(bool show)
{
    showPredictedArrivals_ = show;
    if (travelTimeCurves_.isEmpty())
        initializeTravelTimeCurves();
    update();
}

void Quakeslate::showAllPredictedArrivals(bool show)
{
    showAllArrivals_ = show;
    update();
}

bool Quakeslate::tracesFromSingleDepth() const
{
    if (traces_.isEmpty())
        return false;
    double firstDepth = 0.0;
    for (int i = 0; i < traces_.size(); ++i) {
        SeismicEvent* event = eventOf(traces_.at(i));
        if (!event)
            return false;
        const double depth = event->preferredOrigin()->depthKm();
        // A depth that is no number matches no other, not even itself.
        if (!std::isfinite(depth))
            return false;
        if (i == 0)
            firstDepth = depth;
        else if (std::fabs(depth - firstDepth) > 1.0)
            return false;
    }
    return true;
}

void Quakeslate::createTraveltimeInterface()
{
    if (traveltimeInterface_)
        return;
    traveltimeInterface_ = new TAVOWSTraveltimeInterface(ServiceHosts::traveltimeHost());
    connect(traveltimeInterface_, &TAVOWSTraveltimeInterface::curveResults, this,
            &Quakeslate::addTravelTimeCurve);
}

bool Quakeslate::hasTravelTimeCurve(const QString& phase) const
{
    for (const TravelTimeCurve* curve : travelTimeCurves_) {
        if (curve->phaseName() == phase)
            return true;
    }
    return false;
}

void Quakeslate::initializeTravelTimeCurves()
{
    QVector<double> distances = fixedTravelTimeDistances();
    for (const Trace* trace : qAsConst(traces_)) {
        const SeismicRecord* record = trace->seismicRecord();
        // A distance that is no number has no place in a sorted list.
        if (record && std::isfinite(record->angularDistance()))
            distances.append(record->angularDistance());
    }
    std::sort(distances.begin(), distances.end());
    travelTimeDistances_ = distances;

    createTraveltimeInterface();
    if (!tracesFromSingleDepth())
        return;

    travelTimeCurves_.append(surfaceWaveLine(QStringLiteral("LR"), rayleighAntipodeMSecs));
    travelTimeCurves_.append(surfaceWaveLine(QStringLiteral("LQ"), loveAntipodeMSecs));
    travelTimeDepth_ = eventOf(traces_.first())->preferredOrigin()->depthKm();

    // The branches p and Pn (s and Sn) are only fetched to complete the first
    // arrivals of P (S) near the source.
    const QStringList phases = predictedPhases_;
    for (const QString& phase : phases) {
        traveltimeInterface_->requestCurve(phase, travelTimeDepth_, travelTimeDistances_);
        if (phase == QLatin1String("P")) {
            traveltimeInterface_->requestCurve(QStringLiteral("p"), travelTimeDepth_,
                                               travelTimeDistances_);
            traveltimeInterface_->requestCurve(QStringLiteral("Pn"), travelTimeDepth_,
                                               travelTimeDistances_);
        } else if (phase == QLatin1String("S")) {
            traveltimeInterface_->requestCurve(QStringLiteral("s"), travelTimeDepth_,
                                               travelTimeDistances_);
            traveltimeInterface_->requestCurve(QStringLiteral("Sn"), travelTimeDepth_,
                                               travelTimeDistances_);
        }
    }
}

void Quakeslate::addTravelTimeCurve(TravelTimeCurve* curve)
{
    if (!curve)
        return;
    if (curve->allArrivals.isEmpty()) {
        delete curve;
        return;
    }

    const QString phase = curve->phaseName();
    // A branch is held apart and folded into the first arrivals of every
    // kept curve of its main phase, now and when that curve arrives later.
    TravelTimeCurve** branch = nullptr;
    QString mainPhase;
    if (phase == QLatin1String("p")) {
        branch = &pCurve_;
        mainPhase = QStringLiteral("P");
    } else if (phase == QLatin1String("Pn")) {
        branch = &pnCurve_;
        mainPhase = QStringLiteral("P");
    } else if (phase == QLatin1String("s")) {
        branch = &sCurve_;
        mainPhase = QStringLiteral("S");
    } else if (phase == QLatin1String("Sn")) {
        branch = &snCurve_;
        mainPhase = QStringLiteral("S");
    }

    if (branch) {
        delete *branch;
        *branch = curve;
        for (TravelTimeCurve* kept : qAsConst(travelTimeCurves_)) {
            if (kept->phaseName() == mainPhase)
                kept->mergeFirstArrivals(curve);
        }
    } else {
        travelTimeCurves_.append(curve);
        if (phase == QLatin1String("P")) {
            if (pCurve_)
                curve->mergeFirstArrivals(pCurve_);
            if (pnCurve_)
                curve->mergeFirstArrivals(pnCurve_);
        } else if (phase == QLatin1String("S")) {
            if (sCurve_)
                curve->mergeFirstArrivals(sCurve_);
            if (snCurve_)
                curve->mergeFirstArrivals(snCurve_);
        }
    }
    update();
}

bool Quakeslate::predictedCurvesDrawn() const
{
    return showPredictedArrivals_ && !traces_.isEmpty() && canvasLayout_ == RecordSection
           && (recordSectionVariable_ == AngularDistanceVariable
               || recordSectionVariable_ == KmDistanceVariable);
}

bool Quakeslate::curveOriginTime(long long* originTime) const
{
    // The curves hang on the first trace's event; without one, or without a
    // known origin time, there is nowhere to put them.
    const Trace* first = traces_.first();
    SeismicEvent* event = eventOf(first);
    if (!event)
        return false;
    const QDateTime origin = event->preferredOrigin()->dateTime();
    if (!origin.isValid())
        return false;
    // In relative time the curves move with the first trace, so that they
    // stay on its arrivals; in absolute time the shift is 0.
    *originTime = origin.toMSecsSinceEpoch() - first->alignmentTime();
    return true;
}

void Quakeslate::paintPredictedArrivals(QPainter& painter)
{
    long long originTime = 0;
    if (!predictedCurvesDrawn() || !curveOriginTime(&originTime))
        return;
    const double u = sectionPixelsPerUnit_;
    const double originX = double(originTime - timeSpan_.startTimeMSecs()) * pixelsPerMSec_;
    const double originY = verticalAxisFlipped_ ? sectionOffset_ - sectionMinimum_ * u
                                                : sectionOffset_ + sectionMaximum_ * u;
    double scale = verticalAxisFlipped_ ? u : -u;
    if (recordSectionVariable_ == KmDistanceVariable)
        scale *= kmPerDegree;
    if (!std::isfinite(originX) || !std::isfinite(originY) || !std::isfinite(scale))
        return;

    painter.save();
    painter.setClipRect(
        QRect(0, truncatedPixel(sectionOffset_),
              truncatedPixel(double(timeSpan_.lengthMSecs()) * pixelsPerMSec_),
              truncatedPixel((sectionMaximum_ - sectionMinimum_) * u)),
        Qt::ReplaceClip);
    painter.translate(originX, originY);
    for (const TravelTimeCurve* curve : qAsConst(travelTimeCurves_)) {
        if (predictedPhases_.contains(curve->phaseName()))
            curve->paintCurve(&painter, pixelsPerMSec_, scale, 2.0, showAllArrivals_);
    }
    painter.restore();
}

