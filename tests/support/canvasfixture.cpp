#include "support/canvasfixture.h"

#include "canvas/quakeslate.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/traveltimecurve.h"
#include "support/canvasharness.h"

#include <QDateTime>

CanvasFixture::CanvasFixture(int canvasNumber)
    : harness(QSize(1240, 900), canvasNumber)
    , canvas(harness.canvas)
    , area(harness.scrollArea)
    , pane(harness.pane)
{
}

SeismicEvent* CanvasFixture::newEvent(double depthKm)
{
    events.emplace_back(new SeismicEvent);
    SeismicEvent* event = events.back().get();
    event->preferredOrigin()->setDateTime(QDateTime::fromMSecsSinceEpoch(originMSecs, Qt::UTC));
    event->preferredOrigin()->setDepthKm(depthKm);
    return event;
}

SeismicRecord* CanvasFixture::addRecord(const QString& station, SeismicEvent* event,
                                        double distance)
{
    records.emplace_back(makeCanvasRecord(QStringLiteral("IU"), station, QStringLiteral("00"),
                                          QStringLiteral("BHZ"), recordStartMSecs, 7200, 1.0,
                                          [](int k) { return k == 7000 ? 1.0 : 0.0; }));
    SeismicRecord* record = records.back().get();
    if (event) {
        record->setSeismicEvent(event);
        record->setAngularDistance(distance);
        record->setAzimuth(distance);
        record->setBackAzimuth(distance);
    }
    canvas->addTrace(record);
    return record;
}
void CanvasFixture::addThreeStations(double depthKm)
{
    SeismicEvent* event = newEvent(depthKm);
    addRecord(QStringLiteral("AAA"), event, 20.0);
    addRecord(QStringLiteral("BBB"), event, 60.0);
    addRecord(QStringLiteral("CCC"), event, 100.0);
    canvas->setCanvasLayout(RecordSection);
    canvas->stretchCanvasToRect(1000, 600, false);
}

QImage CanvasFixture::render() const
{
    QImage image(canvas->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    canvas->render(&image);
    return image;
}

double CanvasFixture::xAt(double travelMSecs, long long shift) const
{
    return (double(originMSecs - shift - canvas->timeSpan().startTimeMSecs()) + travelMSecs)
           * canvas->pixelsPerMSec();
}

double CanvasFixture::yAt(double degrees) const
{
    double v = degrees;
    if (canvas->recordSectionVariable() == KmDistanceVariable)
        v *= 6371.0 * 3.14159265358979323846 / 180.0;
    const double u = canvas->sectionPixelsPerUnit();
    if (canvas->verticalAxisFlipped())
        return canvas->sectionOffset() + (v - canvas->sectionMinimum()) * u;
    return canvas->sectionOffset() + (canvas->sectionMaximum() - v) * u;
}

QStringList CanvasFixture::keptPhases() const
{
    QStringList names;
    for (const TravelTimeCurve* curve : canvas->travelTimeCurves())
        names.append(curve->phaseName());
    return names;
}

const TravelTimeCurve* CanvasFixture::kept(const QString& phase) const
{
    for (const TravelTimeCurve* curve : canvas->travelTimeCurves()) {
        if (curve->phaseName() == phase)
            return curve;
    }
    return nullptr;
}
