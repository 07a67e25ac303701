#ifndef TRACEORDER_H
#define TRACEORDER_H

class Trace;

// Orderings of traces for arranging the seismogram list and the record
// section; each returns true when a goes before b. Ties on distance or
// azimuth fall to station codes or channel order, so these are not strict
// weak orderings in general: sort with std::stable_sort only.
bool compareChannelsAscending(const Trace* a, const Trace* b);
bool compareChannelsDescending(const Trace* a, const Trace* b);
bool compareSeismogramsByOrderAddedAscending(const Trace* a, const Trace* b);
bool compareSeismogramsByOrderAddedDescending(const Trace* a, const Trace* b);
bool compareSeismogramsByStationNameAscending(const Trace* a, const Trace* b);
bool compareSeismogramsByStationNameDescending(const Trace* a, const Trace* b);
bool compareSeismogramsByDistanceAscending(const Trace* a, const Trace* b);
bool compareSeismogramsByDistanceDescending(const Trace* a, const Trace* b);
bool compareSeismogramsByAzimuthAscending(const Trace* a, const Trace* b);
bool compareSeismogramsByAzimuthDescending(const Trace* a, const Trace* b);
bool compareSeismogramsByBackAzimuthAscending(const Trace* a, const Trace* b);
bool compareSeismogramsByBackAzimuthDescending(const Trace* a, const Trace* b);

#endif // TRACEORDER_H
