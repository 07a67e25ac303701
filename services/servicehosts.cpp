#include "services/servicehosts.h"

#include <QtGlobal>

const char* const ServiceHosts::defaultStationHost = "geofon.gfz-potsdam.de";
const char* const ServiceHosts::defaultEventHost = "geofon.gfz-potsdam.de";
const char* const ServiceHosts::defaultTimeseriesHost = "localhost:8080";
const char* const ServiceHosts::defaultTraveltimeHost = "localhost:8080";

QString ServiceHosts::hostFor(const char* variable, const char* fallback)
{
    // A host is pasted into a URL: blanks around it are a typing slip.
    const QString value = qEnvironmentVariable(variable).trimmed();
    return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}

QString ServiceHosts::stationHost()
{
    return hostFor("QUAKESLATE_STATION_HOST", defaultStationHost);
}

QString ServiceHosts::eventHost()
{
    return hostFor("QUAKESLATE_EVENT_HOST", defaultEventHost);
}

QString ServiceHosts::timeseriesHost()
{
    return hostFor("QUAKESLATE_TIMESERIES_HOST", defaultTimeseriesHost);
}

QString ServiceHosts::traveltimeHost()
{
    return hostFor("QUAKESLATE_TRAVELTIME_HOST", defaultTraveltimeHost);
}
