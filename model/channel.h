#ifndef CHANNEL_H
#define CHANNEL_H

#include "model/station.h"

#include <QString>

class Channel : public Station
{
public:
    Channel() = default;
    // A channel of that station: codes, position and site name; the network
    // description stays "?".
    explicit Channel(const Station* station);

    QString channelCode() const { return channelCode_; }
    void setChannelCode(const QString& code) { channelCode_ = code; }
    QString locationCode() const { return locationCode_; }
    void setLocationCode(const QString& code) { locationCode_ = code; }
    QString sensorDescription() const { return sensorDescription_; }
    void setSensorDescription(const QString& text) { sensorDescription_ = text; }
    double channelDepth() const { return channelDepth_; }
    void setChannelDepth(double v) { channelDepth_ = v; }
    double channelDip() const { return channelDip_; }
    void setChannelDip(double v) { channelDip_ = v; }
    double channelAzimuth() const { return channelAzimuth_; }
    void setChannelAzimuth(double v) { channelAzimuth_ = v; }

    void setChannel(const Channel* other);

    // Channels are identified by their four codes alone.
    bool operator==(const Channel& other) const
    {
        return networkCode() == other.networkCode() && stationCode() == other.stationCode()
               && channelCode_ == other.channelCode_ && locationCode_ == other.locationCode_;
    }

private:
    QString channelCode_;
    QString locationCode_;
    double channelDepth_ = 0.0;
    double channelDip_ = 0.0;
    double channelAzimuth_ = 0.0;
    QString sensorDescription_;
};

#endif // CHANNEL_H
