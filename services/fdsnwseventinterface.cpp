#include "services/fdsnwseventinterface.h"

#include "model/seismicevent.h"

#include <QMetaMethod>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTextStream>

FDSNWSEventInterface::FDSNWSEventInterface(const QString& host)
    : WebServicesInterface(host)
{
    serviceVersion_ = 1;
    queryPrefix_ = QStringLiteral("https://") + host_ + QStringLiteral("/fdsnws/event/")
                   + QString::number(serviceVersion_)
                   + QStringLiteral("/query?format=text&limit=1000&nodata=404");
    connect(manager_, &QNetworkAccessManager::finished, this,
            &FDSNWSEventInterface::requestFinished);
}

void FDSNWSEventInterface::setSearchMagnitudes(double minMagnitude, double maxMagnitude)
{
    minMagnitude_ = minMagnitude;
    maxMagnitude_ = maxMagnitude;
}

void FDSNWSEventInterface::setSearchDepths(double minDepthKm, double maxDepthKm)
{
    minDepthKm_ = minDepthKm;
    maxDepthKm_ = maxDepthKm;
}

void FDSNWSEventInterface::setSearchCenter(double latitude, double longitude)
{
    searchArea_.setCenter(latitude, longitude);
}

void FDSNWSEventInterface::setSearchRadii(double minRadius, double maxRadius)
{
    searchArea_.setRadii(minRadius, maxRadius);
}

void FDSNWSEventInterface::setSearchRectangle(double minLatitude, double minLongitude,
                                              double maxLatitude, double maxLongitude)
{
    searchArea_.setRectangle(minLatitude, minLongitude, maxLatitude, maxLongitude);
}

void FDSNWSEventInterface::setSearchLatitudes(double minLatitude, double maxLatitude)
{
    searchArea_.setLatitudes(minLatitude, maxLatitude);
}

void FDSNWSEventInterface::setSearchLongitudes(double minLongitude, double maxLongitude)
{
    searchArea_.setLongitudes(minLongitude, maxLongitude);
}

void FDSNWSEventInterface::request()
{
    QString url = queryPrefix_;
    if (startDateTime_ != endDateTime_) {
        url += QStringLiteral("&start=") + queryTime(startDateTime_) + QStringLiteral("&end=")
               + queryTime(endDateTime_);
    }
    // All depths down to 700 km and beyond is no depth constraint.
    if (!(minDepthKm_ == 0.0 && maxDepthKm_ >= 700.0)) {
        url += QStringLiteral("&mindepth=") + queryNumber(minDepthKm_)
               + QStringLiteral("&maxdepth=") + queryNumber(maxDepthKm_);
    }
    url += QStringLiteral("&minmag=") + queryNumber(minMagnitude_) + QStringLiteral("&maxmag=")
           + queryNumber(maxMagnitude_);

    url += searchArea_.queryParameters();
    sendQuery(url, QString(), false);
}

QList<SeismicEvent*>* FDSNWSEventInterface::readEvents(QIODevice* device)
{
    auto* events = new QList<SeismicEvent*>;
    QTextStream stream(device);
    stream.setCodec("UTF-8");
    stream.readLine(); // the header line, whatever it holds
    QString line;
    while (stream.readLineInto(&line)) {
        if (line.size() < 4)
            continue;
        const QChar bar(QLatin1Char('|'));
        auto* event = new SeismicEvent;
        events->append(event);
        event->setEventID(line.section(bar, 0, 0));
        QDateTime originTime = QDateTime::fromString(line.section(bar, 1, 1), Qt::ISODate);
        originTime.setTimeSpec(Qt::UTC);
        Origin* origin = event->preferredOrigin();
        origin->setDateTime(originTime);
        origin->setLatitude(line.section(bar, 2, 2).toDouble());
        origin->setLongitude(line.section(bar, 3, 3).toDouble());
        origin->setDepthKm(line.section(bar, 4, 4).toDouble());
        Magnitude* magnitude = event->preferredMagnitude();
        magnitude->setMagType(line.section(bar, 9, 9));
        magnitude->setMag(line.section(bar, 10, 10).toDouble());
        event->setEventDescription(line.section(bar, 12, 12));
    }
    return events;
}

void FDSNWSEventInterface::deliver(QList<SeismicEvent*>* events)
{
    // A list that nobody receives would never be freed.
    if (isSignalConnected(QMetaMethod::fromSignal(&FDSNWSEventInterface::seismicEventResults))) {
        emit seismicEventResults(events);
    } else if (events) {
        qDeleteAll(*events);
        delete events;
    }
}

void FDSNWSEventInterface::requestFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError) {
        deliver(readEvents(reply));
        return;
    }
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 404) {
        deliver(new QList<SeismicEvent*>);
        return;
    }
    QPointer<FDSNWSEventInterface> self(this);
    showReplyError(QStringLiteral("FDSN Event Web Service returned an error."), reply->readAll());
    // The box runs the event loop; its owner may have deleted the client.
    if (self)
        deliver(nullptr);
}
