#ifndef CANVASFIXTURE_H
#define CANVASFIXTURE_H

#include "support/canvasharness.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class AnalysisTextEdit;
class Quakeslate;
class SeismicEvent;
class SeismicRecord;
class SeismicScrollArea;
class TravelTimeCurve;

// A canvas in its scroll area above an analysis pane, as the document window
// holds it, numbered as asked and fed with records of one earthquake (origin
// 2024-03-05 12:00:00 UTC) that start at the origin time: two hours at one
// sample per second, flat except for one spike near the end, so that
// anything drawn over the canvas crosses empty canvas almost everywhere.
// The records and events outlive the canvas, as in the document window.
class CanvasFixture
{
public:
    explicit CanvasFixture(int canvasNumber = 1);

    // 2024-03-05 12:00:00 UTC.
    static constexpr long long originMSecs = 1709640000000LL;

    SeismicEvent* newEvent(double depthKm);
    // A record of IU.<station>.00.BHZ; without an event when event is null.
    SeismicRecord* addRecord(const QString& station, SeismicEvent* event, double distance);
    // Stations AAA, BBB and CCC of one event at 20, 60 and 100 degrees,
    // shown as a record section by distance on a 1000 x 600 canvas.
    void addThreeStations(double depthKm = 10.0);

    QImage render() const;

    // Canvas position of a point of a travel-time curve: travelMSecs after
    // the origin time (moved back by shift, the first trace's alignment time
    // in relative time), at a distance in degrees, as the current record
    // section places it.
    double xAt(double travelMSecs, long long shift = 0) const;
    double yAt(double degrees) const;

    QStringList keptPhases() const;
    const TravelTimeCurve* kept(const QString& phase) const;

    // Start of the records added from now on.
    long long recordStartMSecs = originMSecs;

    std::vector<std::unique_ptr<SeismicEvent>> events;
    std::vector<std::unique_ptr<SeismicRecord>> records;
    // Declared after the records and events, so that it goes first.
    CanvasHarness harness;
    Quakeslate* canvas;
    SeismicScrollArea* area;
    AnalysisTextEdit* pane;
};

#endif // CANVASFIXTURE_H
