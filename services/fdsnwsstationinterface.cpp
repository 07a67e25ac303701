#include "services/fdsnwsstationinterface.h"

#include "model/channel.h"
#include "model/network.h"
#include "model/station.h"

#include <QMetaMethod>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QXmlStreamReader>

FDSNWSStationInterface::FDSNWSStationInterface(const QString& host)
    : WebServicesInterface(host)
{
    serviceVersion_ = 1;
    queryPrefix_ = QStringLiteral("http://") + host_ + QStringLiteral("/fdsnws/station/")
                   + QString::number(serviceVersion_)
                   + QStringLiteral("/query?matchtimeseries=true&format=xml&nodata=404"
                                    "&includecomments=false&includerestricted=false");
    connect(manager_, &QNetworkAccessManager::finished, this,
            &FDSNWSStationInterface::requestFinished);
}

void FDSNWSStationInterface::clearAllCodes()
{
    networkCodes_.clear();
    stationCodes_.clear();
    locationCodes_.clear();
    channelCodes_.clear();
}

void FDSNWSStationInterface::setSearchCenter(double latitude, double longitude)
{
    searchArea_.setCenter(latitude, longitude);
}

void FDSNWSStationInterface::setSearchRadii(double minRadius, double maxRadius)
{
    searchArea_.setRadii(minRadius, maxRadius);
}

void FDSNWSStationInterface::setSearchRectangle(double minLatitude, double minLongitude,
                                                double maxLatitude, double maxLongitude)
{
    searchArea_.setRectangle(minLatitude, minLongitude, maxLatitude, maxLongitude);
}

void FDSNWSStationInterface::setSearchLatitudes(double minLatitude, double maxLatitude)
{
    searchArea_.setLatitudes(minLatitude, maxLatitude);
}

void FDSNWSStationInterface::setSearchLongitudes(double minLongitude, double maxLongitude)
{
    searchArea_.setLongitudes(minLongitude, maxLongitude);
}

void FDSNWSStationInterface::clearSearchGeometry()
{
    searchArea_.clear();
}

void FDSNWSStationInterface::clearAllParameters()
{
    clearAllCodes();
    clearSearchGeometry();
}

void FDSNWSStationInterface::request(const QString& level)
{
    QString url = queryPrefix_ + QStringLiteral("&level=") + level;
    if (startDateTime_ != endDateTime_) {
        url += QStringLiteral("&start=") + queryTime(startDateTime_) + QStringLiteral("&end=")
               + queryTime(endDateTime_);
    }
    if (!networkCodes_.isEmpty())
        url += QStringLiteral("&net=") + networkCodes_.join(QLatin1Char(','));
    if (!stationCodes_.isEmpty())
        url += QStringLiteral("&sta=") + stationCodes_.join(QLatin1Char(','));
    if (!channelCodes_.isEmpty())
        url += QStringLiteral("&cha=") + channelCodes_.join(QLatin1Char(','));
    if (!locationCodes_.isEmpty())
        url += QStringLiteral("&loc=") + locationCodes_.join(QLatin1Char(','));

    url += searchArea_.queryParameters();
    sendQuery(url, level, true);
}

namespace {

bool isNamed(const QXmlStreamReader& xml, const char* name)
{
    return xml.name() == QLatin1String(name);
}

QString codeAttribute(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(QLatin1String(name)).toString();
}

QString elementText(QXmlStreamReader& xml)
{
    return xml.readElementText(QXmlStreamReader::IncludeChildElements);
}

double elementNumber(QXmlStreamReader& xml)
{
    return elementText(xml).toDouble();
}

// Each reader below walks one element level: an expected element is
// entered, anything else is skipped whole. A fault of the document ends
// every loop at once, so the object being read is still handed out.

QString readSiteName(QXmlStreamReader& xml)
{
    QString name;
    while (xml.readNextStartElement()) {
        if (isNamed(xml, "Name"))
            name = elementText(xml);
        else
            xml.skipCurrentElement();
    }
    return name;
}

void readNetwork(QXmlStreamReader& xml, QList<Network*>* networks)
{
    auto* network = new Network;
    networks->append(network);
    network->setNetworkCode(codeAttribute(xml, "code"));
    while (xml.readNextStartElement()) {
        if (isNamed(xml, "Description"))
            network->setNetworkDescription(elementText(xml));
        else
            xml.skipCurrentElement();
    }
}

void readStation(QXmlStreamReader& xml, const QString& networkCode, QList<Station*>* stations)
{
    auto* station = new Station;
    stations->append(station);
    station->setStationCode(codeAttribute(xml, "code"));
    station->setNetworkCode(networkCode);
    while (xml.readNextStartElement()) {
        if (isNamed(xml, "Latitude"))
            station->setLatitude(elementNumber(xml));
        else if (isNamed(xml, "Longitude"))
            station->setLongitude(elementNumber(xml));
        else if (isNamed(xml, "Elevation"))
            station->setElevation(elementNumber(xml));
        else if (isNamed(xml, "Site"))
            station->setSiteName(readSiteName(xml));
        else
            xml.skipCurrentElement();
    }
}

void readSensor(QXmlStreamReader& xml, Channel* channel)
{
    while (xml.readNextStartElement()) {
        if (isNamed(xml, "Description"))
            channel->setSensorDescription(elementText(xml));
        else
            xml.skipCurrentElement();
    }
}

void readChannel(QXmlStreamReader& xml, const QString& networkCode, const QString& stationCode,
                 const QString& siteName, QList<Channel*>* channels)
{
    auto* channel = new Channel;
    channels->append(channel);
    channel->setNetworkCode(networkCode);
    channel->setStationCode(stationCode);
    channel->setSiteName(siteName);
    channel->setChannelCode(codeAttribute(xml, "code"));
    const QString location = codeAttribute(xml, "locationCode");
    // FDSN writes the blank location as "--".
    channel->setLocationCode(location.trimmed().isEmpty() ? QStringLiteral("--") : location);
    while (xml.readNextStartElement()) {
        if (isNamed(xml, "Latitude"))
            channel->setLatitude(elementNumber(xml));
        else if (isNamed(xml, "Longitude"))
            channel->setLongitude(elementNumber(xml));
        else if (isNamed(xml, "Elevation"))
            channel->setElevation(elementNumber(xml));
        else if (isNamed(xml, "Depth"))
            channel->setChannelDepth(elementNumber(xml));
        else if (isNamed(xml, "Azimuth"))
            channel->setChannelAzimuth(elementNumber(xml));
        else if (isNamed(xml, "Dip"))
            channel->setChannelDip(elementNumber(xml));
        else if (isNamed(xml, "Sensor"))
            readSensor(xml, channel);
        else
            xml.skipCurrentElement();
    }
}

void readStationChannels(QXmlStreamReader& xml, const QString& networkCode,
                         QList<Channel*>* channels)
{
    const QString stationCode = codeAttribute(xml, "code");
    // Each station starts without a site name, so one that lacks a "Site"
    // element does not pass on its predecessor's.
    QString siteName;
    while (xml.readNextStartElement()) {
        if (isNamed(xml, "Site"))
            siteName = readSiteName(xml);
        else if (isNamed(xml, "Channel"))
            readChannel(xml, networkCode, stationCode, siteName, channels);
        else
            xml.skipCurrentElement();
    }
}

// Calls networkVisitor(xml) for every "Network" element of the document.
template <typename Visitor>
void forEachNetwork(QIODevice* device, Visitor networkVisitor)
{
    QXmlStreamReader xml(device);
    while (xml.readNextStartElement()) {
        if (!isNamed(xml, "FDSNStationXML")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (isNamed(xml, "Network"))
                networkVisitor(xml);
            else
                xml.skipCurrentElement();
        }
    }
}

template <typename T>
void deleteList(QList<T*>* list)
{
    if (list) {
        qDeleteAll(*list);
        delete list;
    }
}

} // namespace

QList<Network*>* FDSNWSStationInterface::readNetworkLevel(QIODevice* device)
{
    auto* networks = new QList<Network*>;
    forEachNetwork(device, [networks](QXmlStreamReader& xml) { readNetwork(xml, networks); });
    return networks;
}

QList<Station*>* FDSNWSStationInterface::readStationLevel(QIODevice* device)
{
    auto* stations = new QList<Station*>;
    forEachNetwork(device, [stations](QXmlStreamReader& xml) {
        const QString networkCode = codeAttribute(xml, "code");
        while (xml.readNextStartElement()) {
            if (isNamed(xml, "Station"))
                readStation(xml, networkCode, stations);
            else
                xml.skipCurrentElement();
        }
    });
    return stations;
}

QList<Channel*>* FDSNWSStationInterface::readChannelLevel(QIODevice* device)
{
    auto* channels = new QList<Channel*>;
    forEachNetwork(device, [channels](QXmlStreamReader& xml) {
        const QString networkCode = codeAttribute(xml, "code");
        while (xml.readNextStartElement()) {
            if (isNamed(xml, "Station"))
                readStationChannels(xml, networkCode, channels);
            else
                xml.skipCurrentElement();
        }
    });
    return channels;
}

template <typename T>
void FDSNWSStationInterface::deliver(void (FDSNWSStationInterface::*signal)(QList<T*>*),
                                     QList<T*>* list)
{
    // A list that nobody receives would never be freed.
    if (isSignalConnected(QMetaMethod::fromSignal(signal)))
        emit(this->*signal)(list);
    else
        deleteList(list);
}

void FDSNWSStationInterface::deliver(const QString& level, ResultKind kind, QIODevice* body)
{
    if (level == QLatin1String("network")) {
        deliver(&FDSNWSStationInterface::networkLevelResults,
                kind == ReadResult    ? readNetworkLevel(body)
                : kind == EmptyResult ? new QList<Network*>
                                      : nullptr);
    } else if (level == QLatin1String("station")) {
        deliver(&FDSNWSStationInterface::stationLevelResults,
                kind == ReadResult    ? readStationLevel(body)
                : kind == EmptyResult ? new QList<Station*>
                                      : nullptr);
    } else if (level == QLatin1String("channel")) {
        deliver(&FDSNWSStationInterface::channelLevelResults,
                kind == ReadResult    ? readChannelLevel(body)
                : kind == EmptyResult ? new QList<Channel*>
                                      : nullptr);
    }
}

void FDSNWSStationInterface::requestFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    const QString level = reply->request().attribute(QNetworkRequest::User).toString();
    if (level != QLatin1String("network") && level != QLatin1String("station")
        && level != QLatin1String("channel"))
        return;

    if (reply->error() == QNetworkReply::NoError) {
        deliver(level, ReadResult, reply);
        return;
    }
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 404) {
        deliver(level, EmptyResult, nullptr);
        return;
    }
    QPointer<FDSNWSStationInterface> self(this);
    showReplyError(QStringLiteral("FDSN Station Web Service returned an error level=") + level,
                   reply->readAll());
    // The box runs the event loop; its owner may have deleted the client.
    if (self)
        deliver(level, NullResult, nullptr);
}
