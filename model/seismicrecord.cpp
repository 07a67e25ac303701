#include "model/seismicrecord.h"

#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/timeseries.h"
#include "services/fdsnwsstationinterface.h"
#include "services/servicehosts.h"

#include <QPointer>

#include <algorithm>
#include <cmath>
#include <limits>

SeismicRecord::SeismicRecord(QObject* parent)
    : QObject(parent), TimeSpan(emptyStart, emptyEnd)
{
}

SeismicRecord::SeismicRecord(const Channel* channel, QObject* parent)
    : QObject(parent), TimeSpan(emptyStart, emptyEnd)
{
    setNetworkCode(channel->networkCode());
    setStationCode(channel->stationCode());
    setLocationCode(channel->locationCode());
    setChannelCode(channel->channelCode());
    latitude_ = channel->latitude();
    longitude_ = channel->longitude();
    elevation_ = channel->elevation();
    setSiteName(channel->siteName());
    setChannelDepth(channel->channelDepth());
    setChannelAzimuth(channel->channelAzimuth());
    setChannelDip(channel->channelDip());
    setSensorDescription(channel->sensorDescription());
}

SeismicRecord::~SeismicRecord()
{
    qDeleteAll(segments_);
    qDeleteAll(picks_);
}

void SeismicRecord::setSeismicEvent(SeismicEvent* event)
{
    seismicEvent_ = event;
    calculateGeometry();
}

void SeismicRecord::calculateGeometry()
{
    if (!seismicEvent_) {
        angularDistance_ = azimuth_ = backAzimuth_ = 0.0;
        return;
    }
    const Origin* origin = seismicEvent_->preferredOrigin();
    const WGS84Position& station = *this;
    angularDistance_ = station.distanceTo(*origin);
    azimuth_ = origin->azimuthTo(station);
    backAzimuth_ = station.azimuthTo(*origin);
}

double SeismicRecord::kmDistance() const
{
    return angularDistance_ * 6371.0 * 3.141592653589793 / 180.0;
}

void SeismicRecord::addSegment(TimeSeries* segment)
{
    segments_.append(segment);
    TimeSpan::setStartTimeMSecs(std::min(startTimeMSecs(), segment->startTimeMSecs()));
    TimeSpan::setEndTimeMSecs(std::max(endTimeMSecs(), segment->endTimeMSecs()));
}

void SeismicRecord::recomputeSpan()
{
    TimeSpan::setStartTimeMSecs(emptyStart);
    TimeSpan::setEndTimeMSecs(emptyEnd);
    for (const TimeSeries* s : segments_) {
        TimeSpan::setStartTimeMSecs(std::min(startTimeMSecs(), s->startTimeMSecs()));
        TimeSpan::setEndTimeMSecs(std::max(endTimeMSecs(), s->endTimeMSecs()));
    }
}

namespace {

// A new segment of samples first..last of s; an odd kept count is padded by
// repeating the last kept sample (a fake zero would corrupt raw counts).
TimeSeries* cutSegment(const TimeSeries* s, int first, int last)
{
    const int kept = last - first + 1;
    auto* cut = new TimeSeries(kept, s->sampleRate());
    std::copy(s->samples + first, s->samples + last + 1, cut->samples);
    if (cut->npts() > kept)
        cut->samples[kept] = s->samples[last];
    return cut;
}

} // namespace

void SeismicRecord::trim(const QDateTime& start, const QDateTime& end)
{
    const long long a = start.toMSecsSinceEpoch();
    const long long b = end.toMSecsSinceEpoch();
    if (a <= startTimeMSecs() || b >= endTimeMSecs())
        return;

    for (int i = segments_.size() - 1; i >= 0; --i) {
        if (segments_[i]->endTimeMSecs() < a)
            delete segments_.takeAt(i);
    }
    for (int i = segments_.size() - 1; i >= 0; --i) {
        if (segments_[i]->startTimeMSecs() > b)
            delete segments_.takeAt(i);
    }
    if (segments_.isEmpty()) {
        recomputeSpan();
        return;
    }

    TimeSeries* first = segments_.first();
    const long long s = first->startTimeMSecs();
    const int n = first->npts();
    if (a > s && n >= 1) {
        const double dtMs = first->dtMSecs();
        int k = -1;
        if (dtMs > 0.0) {
            // Smallest k with s + trunc(k * dtMs) >= a.
            long long guess = (long long)std::floor(double(a - s) / dtMs);
            if (guess < 0)
                guess = 0;
            while (guess > 0 && s + (long long)std::trunc(double(guess - 1) * dtMs) >= a)
                --guess;
            while (guess < n && s + (long long)std::trunc(double(guess) * dtMs) < a)
                ++guess;
            if (guess < n)
                k = int(guess);
        } else if (s >= a) {
            k = 0;
        }
        if (k >= 0) {
            TimeSeries* cut = cutSegment(first, k, n - 1);
            cut->setStartTimeMSecs((long long)std::trunc(double(k) * dtMs + double(s)));
            segments_[0] = cut;
            delete first;
        }
    }

    TimeSeries* lastSegment = segments_.last();
    if (b < lastSegment->endTimeMSecs()) {
        const int ln = lastSegment->npts();
        const double start = double(lastSegment->startTimeMSecs());
        const double dtMs = lastSegment->dtMSecs();
        int m = -1;
        for (int j = ln - 1; j >= 1; --j) {
            if (double(b) >= start + dtMs * double(j)) {
                m = j;
                break;
            }
        }
        if (m >= 1) {
            TimeSeries* cut = cutSegment(lastSegment, 0, m);
            cut->setStartTimeMSecs(lastSegment->startTimeMSecs());
            segments_[segments_.size() - 1] = cut;
            delete lastSegment;
        }
    }
    recomputeSpan();
}

bool SeismicRecord::hasPick(const QString& phaseName) const
{
    for (const Pick* p : picks_) {
        if (p->phaseName() == phaseName)
            return true;
    }
    return false;
}

long long SeismicRecord::pickTimeMsec(const QString& phaseName) const
{
    for (const Pick* p : picks_) {
        if (p->phaseName() == phaseName)
            return p->pickTimeMSecs();
    }
    return startTimeMSecs() - 1;
}

void SeismicRecord::newPick(Pick* pick)
{
    for (Pick* p : picks_) {
        if (p->phaseName() == pick->phaseName()) {
            p->setPickTimeMSecs(pick->pickTimeMSecs());
            delete pick;
            return;
        }
    }
    picks_.append(pick);
}

void SeismicRecord::clearPicks()
{
    qDeleteAll(picks_);
    picks_.clear();
}

void SeismicRecord::downloadChannelMetaData()
{
    auto* client = new FDSNWSStationInterface(ServiceHosts::stationHost());
    connect(client, &FDSNWSStationInterface::channelLevelResults, this,
            &SeismicRecord::setChannelMetaData);
    // The client answers each request with exactly one signal (a list, an
    // empty list or null); it goes once that is delivered, or with this
    // record when the record goes first (the pending reply goes with it).
    connect(client, &FDSNWSStationInterface::channelLevelResults, client,
            &QObject::deleteLater);
    connect(this, &QObject::destroyed, client, &QObject::deleteLater);
    // An answer queued before this record went is still delivered ahead of
    // the client's deferred deletion; with nobody left to take the list, it
    // is freed here.
    const QPointer<SeismicRecord> self(this);
    connect(client, &FDSNWSStationInterface::channelLevelResults, client,
            [self](QList<Channel*>* channels) {
                if (!self && channels) {
                    qDeleteAll(*channels);
                    delete channels;
                }
            });

    client->clearAllCodes();
    client->addNetworkCode(networkCode());
    client->addStationCode(stationCode());
    // The station service writes a blank location code as "--".
    client->addLocationCode(locationCode().trimmed().isEmpty() ? QStringLiteral("--")
                                                               : locationCode());
    client->addChannelCode(channelCode());
    if (startTimeMSecs() <= endTimeMSecs()) {
        client->setStartDateTime(QDateTime::fromMSecsSinceEpoch(startTimeMSecs(), Qt::UTC));
        const double seconds = std::trunc(lengthSecs());
        client->setDurationSecs(seconds < double(std::numeric_limits<int>::max())
                                    ? int(seconds)
                                    : std::numeric_limits<int>::max());
    }
    client->request(QStringLiteral("channel"));
}

void SeismicRecord::setChannelMetaData(QList<Channel*>* channels)
{
    if (!channels)
        return;
    if (!channels->isEmpty()) {
        const Channel* c = channels->first();
        latitude_ = c->latitude();
        longitude_ = c->longitude();
        elevation_ = c->elevation();
        setSiteName(c->siteName());
        setSensorDescription(c->sensorDescription());
        setChannelDepth(c->channelDepth());
        setChannelDip(c->channelDip());
        setChannelAzimuth(c->channelAzimuth());
        // The station moved, so the geometry to a linked event changes too.
        if (seismicEvent_)
            calculateGeometry();
    }
    qDeleteAll(*channels);
    delete channels;
}
