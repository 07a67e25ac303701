#ifndef SEISMICRECORD_H
#define SEISMICRECORD_H

#include "model/channel.h"
#include "model/timespan.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

class Pick;
class SeismicEvent;
class TimeSeries;

enum SampleUnits : int {
    UnknownUnits = 0,
    RawCounts = 1,
    ScaledCounts = 2,
    Displacement = 3,
    Velocity = 4,
    Acceleration = 5
};

// The in-memory seismogram: a channel with its data segments (gaps allowed),
// picks and a link to its event. Owns its segments and picks, never the event.
class SeismicRecord : public QObject, public Channel, public TimeSpan
{
    Q_OBJECT

public:
    explicit SeismicRecord(QObject* parent = nullptr);
    explicit SeismicRecord(const Channel* channel, QObject* parent = nullptr);
    ~SeismicRecord() override;

    SeismicEvent* seismicEvent() const { return seismicEvent_; }
    void setSeismicEvent(SeismicEvent* event);
    void calculateGeometry();

    double angularDistance() const { return angularDistance_; }
    void setAngularDistance(double v) { angularDistance_ = v; }
    double azimuth() const { return azimuth_; }
    void setAzimuth(double v) { azimuth_ = v; }
    double backAzimuth() const { return backAzimuth_; }
    void setBackAzimuth(double v) { backAzimuth_ = v; }
    double kmDistance() const;

    double fractionMSec() const { return fractionMSec_; }
    void setFractionMSec(double v) { fractionMSec_ = v; }
    SampleUnits sampleUnits() const { return sampleUnits_; }
    void setSampleUnits(SampleUnits units) { sampleUnits_ = units; }

    QList<TimeSeries*> segments() const { return segments_; }
    void addSegment(TimeSeries* segment);
    void trim(const QDateTime& start, const QDateTime& end);

    bool hasPicks() const { return !picks_.isEmpty(); }
    bool hasPick(const QString& phaseName) const;
    // The time of the first pick of that phase, or start - 1 when there is none.
    long long pickTimeMsec(const QString& phaseName) const;
    void newPick(Pick* pick);
    void clearPicks();
    QList<Pick*> pickList() const { return picks_; }

    // Asks the station service for this channel's position, site and sensor.
    void downloadChannelMetaData();

    static constexpr long long emptyStart = 4000000000000000LL;
    static constexpr long long emptyEnd = -4000000000000000LL;

public Q_SLOTS:
    // Takes over the list and its channels; copies the first channel's
    // position, site and sensor data.
    void setChannelMetaData(QList<Channel*>* channels);

private:
    void recomputeSpan();

    QList<TimeSeries*> segments_;
    SampleUnits sampleUnits_ = UnknownUnits;
    QList<Pick*> picks_;
    SeismicEvent* seismicEvent_ = nullptr;
    double angularDistance_ = 0.0;
    double azimuth_ = 0.0;
    double backAzimuth_ = 0.0;
    double fractionMSec_ = 0.0;
};

#endif // SEISMICRECORD_H
