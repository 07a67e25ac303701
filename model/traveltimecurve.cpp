#include "model/traveltimecurve.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <limits>

bool rayParameterCompare(const TravelTimeDistance* a, const TravelTimeDistance* b)
{
    return a->rayParameter < b->rayParameter;
}

bool angularDistanceCompare(const TravelTimeDistance* a, const TravelTimeDistance* b)
{
    return a->angularDistance < b->angularDistance;
}

bool travelTimeCompare(const TravelTimeDistance* a, const TravelTimeDistance* b)
{
    return a->travelTime < b->travelTime;
}

TravelTimeCurve::TravelTimeCurve(const QString& earthModel, const QString& phaseName)
    : earthModel_(earthModel), phaseName_(phaseName)
{
}

TravelTimeCurve::~TravelTimeCurve()
{
    qDeleteAll(allArrivals);
    qDeleteAll(firstArrivals);
}

TravelTimeDistance* TravelTimeCurve::firstArrivalAt(double angularDistance) const
{
    for (TravelTimeDistance* point : firstArrivals) {
        if (point->angularDistance == angularDistance)
            return point;
    }
    return nullptr;
}

void TravelTimeCurve::addTimeDistance(double angularDistance, qint64 travelTime,
                                      double rayParameter)
{
    allArrivals.append(new TravelTimeDistance{angularDistance, travelTime, rayParameter});
    TravelTimeDistance* first = firstArrivalAt(angularDistance);
    if (!first) {
        firstArrivals.append(new TravelTimeDistance{angularDistance, travelTime, rayParameter});
    } else if (travelTime < first->travelTime) {
        first->travelTime = travelTime;
        first->rayParameter = rayParameter;
    }
}

void TravelTimeCurve::mergeFirstArrivals(const TravelTimeCurve* other)
{
    for (const TravelTimeDistance* q : other->firstArrivals) {
        TravelTimeDistance* first = firstArrivalAt(q->angularDistance);
        if (!first)
            firstArrivals.append(new TravelTimeDistance(*q));
        else if (q->travelTime < first->travelTime)
            first->travelTime = q->travelTime;
    }
    sortFirstArrivalsByAngularDistance();
}

// Stable sorts: deterministic among equal keys, and safe even should a key
// ever be NaN (an introsort may run off the range with such a comparison).
void TravelTimeCurve::sortAllArrivalsByRayParameter()
{
    std::stable_sort(allArrivals.begin(), allArrivals.end(), rayParameterCompare);
}

void TravelTimeCurve::sortFirstArrivalsByAngularDistance()
{
    std::stable_sort(firstArrivals.begin(), firstArrivals.end(), angularDistanceCompare);
}

void TravelTimeCurve::sortFirstArrivalsByArrivalTime()
{
    std::stable_sort(firstArrivals.begin(), firstArrivals.end(), travelTimeCompare);
}

namespace {

// Truncates toward zero; values beyond the int range (or NaN) would be
// undefined as an int and are pinned to the range, which is far off any
// page anyway.
int pixel(double value)
{
    constexpr double limit = 1.0e9;
    if (!(value > -limit))
        return value != value ? 0 : -int(limit);
    if (value > limit)
        return int(limit);
    return int(std::trunc(value));
}

} // namespace

void TravelTimeCurve::paintCurve(QPainter* painter, double timeScale, double distanceScale,
                                 double penWidth, bool allArrivals) const
{
    QString colorName = QStringLiteral("red");
    Qt::PenStyle style = Qt::SolidLine;
    if (phaseName_.startsWith(QLatin1Char('S')) || phaseName_ == QLatin1String("s"))
        colorName = QStringLiteral("darkturquoise");
    else if (phaseName_.startsWith(QLatin1Char('L')))
        colorName = QStringLiteral("purple");
    else if (phaseName_.contains(QLatin1Char('c')))
        colorName = QStringLiteral("olivedrab");
    else if (phaseName_.contains(QLatin1Char('K')))
        colorName = QStringLiteral("lawngreen");
    else if (phaseName_.contains(QLatin1String("diff")))
        style = Qt::DotLine;

    QColor color(colorName);
    color.setAlpha(128);
    int width = 0;
    if (penWidth >= 1.0)
        width = penWidth < 1000.0 ? int(penWidth) : 1000;
    QPen pen(color);
    pen.setWidth(width);
    pen.setStyle(style);
    painter->setPen(pen);

    const QVector<TravelTimeDistance*>& points = allArrivals ? this->allArrivals : firstArrivals;
    for (int k = 1; k < points.size(); ++k) {
        const TravelTimeDistance* a = points[k - 1];
        const TravelTimeDistance* b = points[k];
        painter->drawLine(QPoint(pixel(double(a->travelTime) * timeScale),
                                 pixel(a->angularDistance * distanceScale)),
                          QPoint(pixel(double(b->travelTime) * timeScale),
                                 pixel(b->angularDistance * distanceScale)));
    }
}

void TravelTimeCurve::insertPhaseArrival(double, const PhaseArrival&)
{
}

void TravelTimeCurve::paintRelativeCurve(QPainter*, double, double, double) const
{
}
