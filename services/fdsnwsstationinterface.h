#ifndef FDSNWSSTATIONINTERFACE_H
#define FDSNWSSTATIONINTERFACE_H

#include "services/searcharea.h"
#include "services/webservicesinterface.h"

#include <QList>
#include <QStringList>

class Channel;
class Network;
class QIODevice;
class QNetworkReply;
class Station;

// Client of an FDSN station web service (version 1). A request names a level,
// "network", "station" or "channel"; its StationXML answer arrives as a new
// heap list through the signal of that level. The receiver owns the list and
// its objects: an empty list means nothing matched (404), a null list that
// the service failed, which a modal box has already told the user.
class FDSNWSStationInterface : public WebServicesInterface
{
    Q_OBJECT

public:
    explicit FDSNWSStationInterface(const QString& host);

    void addNetworkCode(const QString& code) { networkCodes_.append(code); }
    void addStationCode(const QString& code) { stationCodes_.append(code); }
    void addLocationCode(const QString& code) { locationCodes_.append(code); }
    void addChannelCode(const QString& code) { channelCodes_.append(code); }
    QStringList networkCodes() const { return networkCodes_; }
    QStringList stationCodes() const { return stationCodes_; }
    QStringList locationCodes() const { return locationCodes_; }
    QStringList channelCodes() const { return channelCodes_; }
    void clearNetworkCodes() { networkCodes_.clear(); }
    void clearStationCodes() { stationCodes_.clear(); }
    void clearLocationCodes() { locationCodes_.clear(); }
    void clearChannelCodes() { channelCodes_.clear(); }
    void clearAllCodes();

    // Radii of exactly 0 and 180 mean no circle: they leave the geometry as
    // it was. The box setters always switch to the box.
    void setSearchCenter(double latitude, double longitude);
    void setSearchRadii(double minRadius, double maxRadius);
    void setSearchRectangle(double minLatitude, double minLongitude, double maxLatitude,
                            double maxLongitude);
    void setSearchLatitudes(double minLatitude, double maxLatitude);
    void setSearchLongitudes(double minLongitude, double maxLongitude);
    void clearSearchGeometry();
    // Codes and geometry; the time window stays.
    void clearAllParameters();

    void request(const QString& level);

    // StationXML readers of the three levels, usable on any bytes. Reading
    // stops quietly at the first fault of the document; what was read up to
    // there is returned. The caller owns the list and its objects.
    static QList<Network*>* readNetworkLevel(QIODevice* device);
    static QList<Station*>* readStationLevel(QIODevice* device);
    static QList<Channel*>* readChannelLevel(QIODevice* device);

Q_SIGNALS:
    void stationLevelResults(QList<Station*>* stations);
    void channelLevelResults(QList<Channel*>* channels);
    void networkLevelResults(QList<Network*>* networks);

private Q_SLOTS:
    void requestFinished(QNetworkReply* reply);

private:
    enum ResultKind { ReadResult, EmptyResult, NullResult };
    void deliver(const QString& level, ResultKind kind, QIODevice* body);
    template <typename T>
    void deliver(void (FDSNWSStationInterface::*signal)(QList<T*>*), QList<T*>* list);

    QStringList networkCodes_;
    QStringList stationCodes_;
    QStringList locationCodes_;
    QStringList channelCodes_;
    SearchArea searchArea_;
};

#endif // FDSNWSSTATIONINTERFACE_H
