#ifndef TRAVELTIMECURVE_H
#define TRAVELTIMECURVE_H

#include "model/phasearrival.h"

#include <QString>
#include <QVector>

class QPainter;

// One point of a travel-time curve.
struct TravelTimeDistance
{
    double angularDistance; // degrees
    qint64 travelTime;      // ms after the origin time
    double rayParameter;    // as the traveltime service gives it
};

bool rayParameterCompare(const TravelTimeDistance* a, const TravelTimeDistance* b);
bool angularDistanceCompare(const TravelTimeDistance* a, const TravelTimeDistance* b);
bool travelTimeCompare(const TravelTimeDistance* a, const TravelTimeDistance* b);

// The travel time of one phase in one Earth model against epicentral
// distance, for one source depth. allArrivals holds every branch;
// firstArrivals the earliest arrival per distance, as points of their own.
// Distances are matched exactly: all points of a curve, and of the curves
// merged into it, stem from one list of requested distances.
class TravelTimeCurve
{
public:
    TravelTimeCurve() = default;
    TravelTimeCurve(const QString& earthModel, const QString& phaseName);
    ~TravelTimeCurve();
    TravelTimeCurve(const TravelTimeCurve&) = delete;
    TravelTimeCurve& operator=(const TravelTimeCurve&) = delete;

    QString earthModel() const { return earthModel_; }
    QString phaseName() const { return phaseName_; }

    void addTimeDistance(double angularDistance, qint64 travelTime, double rayParameter);
    // Folds the other curve's first arrivals into this one's (the earlier
    // time wins) and sorts them by distance; other is left as it is.
    void mergeFirstArrivals(const TravelTimeCurve* other);

    void sortAllArrivalsByRayParameter();
    void sortFirstArrivalsByAngularDistance();
    void sortFirstArrivalsByArrivalTime();

    // A polyline at x = time * timeScale, y = distance * distanceScale, in
    // the painter's coordinates (origin at the origin time and 0 degrees),
    // coloured by the phase family.
    void paintCurve(QPainter* painter, double timeScale, double distanceScale, double penWidth,
                    bool allArrivals) const;

    // Kept for the arrivals the service can list; they do nothing.
    void insertPhaseArrival(double angularDistance, const PhaseArrival& arrival);
    void paintRelativeCurve(QPainter* painter, double timeScale, double distanceScale,
                            double penWidth) const;

    QVector<TravelTimeDistance*> allArrivals;
    QVector<TravelTimeDistance*> firstArrivals;

private:
    TravelTimeDistance* firstArrivalAt(double angularDistance) const;

    QString earthModel_;
    QString phaseName_;
};

#endif // TRAVELTIMECURVE_H
