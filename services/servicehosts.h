#ifndef SERVICEHOSTS_H
#define SERVICEHOSTS_H

#include <QString>

// The hosts ("name" or "name:port") of the four web services the program
// talks to. Each has a compiled-in default that an environment variable
// overrides, so a user can pick a data centre without a settings key:
//   QUAKESLATE_STATION_HOST, QUAKESLATE_EVENT_HOST,
//   QUAKESLATE_TIMESERIES_HOST, QUAKESLATE_TRAVELTIME_HOST.
// The environment is read on every call, so a change takes effect for the
// next client that is created.
class ServiceHosts
{
public:
    static QString stationHost();
    static QString eventHost();
    static QString timeseriesHost();
    static QString traveltimeHost();

    // Public FDSN data centre serving fdsnws-station and fdsnws-event.
    static const char* const defaultStationHost;
    static const char* const defaultEventHost;
    // The /tavows services have no public provider: a compatible service
    // is expected on this machine unless the variables name another host.
    static const char* const defaultTimeseriesHost;
    static const char* const defaultTraveltimeHost;

private:
    static QString hostFor(const char* variable, const char* fallback);
};

#endif // SERVICEHOSTS_H
