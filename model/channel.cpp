#include "model/channel.h"

Channel::Channel(const Station* station)
{
    setNetworkCode(station->networkCode());
    setStationCode(station->stationCode());
    latitude_ = station->latitude();
    longitude_ = station->longitude();
    elevation_ = station->elevation();
    setSiteName(station->siteName());
}

void Channel::setChannel(const Channel* other)
{
    setStation(other);
    channelCode_ = other->channelCode_;
    locationCode_ = other->locationCode_;
    sensorDescription_ = other->sensorDescription_;
    channelAzimuth_ = other->channelAzimuth_;
    channelDepth_ = other->channelDepth_;
    channelDip_ = other->channelDip_;
}
