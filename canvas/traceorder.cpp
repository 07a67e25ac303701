#include "canvas/traceorder.h"

#include "canvas/trace.h"
#include "model/seismicrecord.h"

#include <cmath>

namespace {

// Values closer than this count as the same distance or azimuth.
constexpr double tieTolerance = 0.00001;

struct LastCharacter
{
    bool digit = false;
    int value = 0;
    QString text;
};

LastCharacter lastCharacter(const QString& code)
{
    LastCharacter last;
    if (code.isEmpty())
        return last;
    last.text = code.right(1);
    bool ok = false;
    const int v = last.text.toInt(&ok, 10);
    last.digit = ok;
    last.value = v;
    return last;
}

// Components of one sensor: letters first (Z before N before E ascending),
// then numbered components.
bool compareComponents(const QString& codeA, const QString& codeB, bool ascending)
{
    const LastCharacter a = lastCharacter(codeA);
    const LastCharacter b = lastCharacter(codeB);
    if (a.digit && b.digit)
        return ascending ? a.value < b.value : a.value > b.value;
    if (!a.digit && b.digit)
        return true;
    if (a.digit && !b.digit)
        return false;
    return ascending ? b.text < a.text : a.text < b.text;
}

bool compareChannels(const Trace* a, const Trace* b, bool ascending)
{
    const SeismicRecord* ra = a->seismicRecord();
    const SeismicRecord* rb = b->seismicRecord();
    const QString la = ra->locationCode();
    const QString lb = rb->locationCode();
    if (la != lb)
        return ascending ? la < lb : lb < la;
    const QString ca = ra->channelCode();
    const QString cb = rb->channelCode();
    const QString pa = ca.left(2);
    const QString pb = cb.left(2);
    if (pa != pb)
        return ascending ? pa < pb : pb < pa;
    return compareComponents(ca, cb, ascending);
}

bool compareStations(const Trace* a, const Trace* b, bool ascending)
{
    const QString sa = a->seismicRecord()->stationCode();
    const QString sb = b->seismicRecord()->stationCode();
    return ascending ? sa < sb : sb < sa;
}

bool sameStation(const Trace* a, const Trace* b)
{
    return a->seismicRecord()->stationCode() == b->seismicRecord()->stationCode();
}

bool compareAngles(double va, double vb, const Trace* a, const Trace* b, bool ascending)
{
    if (std::fabs(va - vb) < tieTolerance)
        return compareChannels(a, b, ascending);
    return ascending ? va < vb : va > vb;
}

} // namespace

bool compareChannelsAscending(const Trace* a, const Trace* b)
{
    return compareChannels(a, b, true);
}

bool compareChannelsDescending(const Trace* a, const Trace* b)
{
    return compareChannels(a, b, false);
}

bool compareSeismogramsByOrderAddedAscending(const Trace* a, const Trace* b)
{
    return a->serialNumber() < b->serialNumber();
}

bool compareSeismogramsByOrderAddedDescending(const Trace* a, const Trace* b)
{
    return a->serialNumber() > b->serialNumber();
}

bool compareSeismogramsByStationNameAscending(const Trace* a, const Trace* b)
{
    if (!sameStation(a, b))
        return compareStations(a, b, true);
    return compareChannels(a, b, true);
}

bool compareSeismogramsByStationNameDescending(const Trace* a, const Trace* b)
{
    if (!sameStation(a, b))
        return compareStations(a, b, false);
    return compareChannels(a, b, false);
}

bool compareSeismogramsByDistanceAscending(const Trace* a, const Trace* b)
{
    const double da = a->seismicRecord()->angularDistance();
    const double db = b->seismicRecord()->angularDistance();
    if (std::fabs(da - db) < tieTolerance)
        return sameStation(a, b) ? compareChannels(a, b, true) : compareStations(a, b, true);
    return da < db;
}

bool compareSeismogramsByDistanceDescending(const Trace* a, const Trace* b)
{
    const double da = a->seismicRecord()->angularDistance();
    const double db = b->seismicRecord()->angularDistance();
    if (std::fabs(da - db) < tieTolerance)
        return sameStation(a, b) ? compareChannels(a, b, false) : compareStations(a, b, false);
    return da > db;
}

bool compareSeismogramsByAzimuthAscending(const Trace* a, const Trace* b)
{
    return compareAngles(a->seismicRecord()->azimuth(), b->seismicRecord()->azimuth(), a, b, true);
}

bool compareSeismogramsByAzimuthDescending(const Trace* a, const Trace* b)
{
    return compareAngles(a->seismicRecord()->azimuth(), b->seismicRecord()->azimuth(), a, b,
                         false);
}

bool compareSeismogramsByBackAzimuthAscending(const Trace* a, const Trace* b)
{
    return compareAngles(a->seismicRecord()->backAzimuth(), b->seismicRecord()->backAzimuth(), a,
                         b, true);
}

bool compareSeismogramsByBackAzimuthDescending(const Trace* a, const Trace* b)
{
    return compareAngles(a->seismicRecord()->backAzimuth(), b->seismicRecord()->backAzimuth(), a,
                         b, false);
}
