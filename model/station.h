#ifndef STATION_H
#define STATION_H

#include "model/network.h"
#include "model/wgs84position.h"

#include <QString>

class Station : public WGS84Position, public Network
{
public:
    Station() = default;

    QString stationCode() const { return stationCode_; }
    void setStationCode(const QString& code) { stationCode_ = code; }
    QString siteName() const { return siteName_; }
    void setSiteName(const QString& name) { siteName_ = name; }

    void setStation(const Station* other)
    {
        setPosition(other);
        setNetwork(other);
        stationCode_ = other->stationCode_;
        siteName_ = other->siteName_;
    }

    bool operator==(const Station& other) const
    {
        return networkCode() == other.networkCode() && stationCode_ == other.stationCode_;
    }

private:
    QString stationCode_;
    QString siteName_;
};

#endif // STATION_H
