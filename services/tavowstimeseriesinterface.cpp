#include "services/tavowstimeseriesinterface.h"

#include "formats/sacrecord.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <QDataStream>
#include <QMetaMethod>
#include <QNetworkAccessManager>
#include <QNetworkReply>

TAVOWSTimeseriesInterface::TAVOWSTimeseriesInterface(const QString& host)
    : WebServicesInterface(host)
{
    serviceVersion_ = 1;
    queryPrefix_ = QStringLiteral("http://") + host_ + QStringLiteral("/tavows/timeseries/")
                   + QString::number(serviceVersion_) + QStringLiteral("/query?output=sacbb");
    connect(manager_, &QNetworkAccessManager::finished, this,
            &TAVOWSTimeseriesInterface::requestFinished);
}

TAVOWSTimeseriesInterface::~TAVOWSTimeseriesInterface() = default;

void TAVOWSTimeseriesInterface::request(SeismicRecord* record)
{
    QString url = queryPrefix_;
    // Stored directly: the duration keeps what the caller set, so every
    // record of a download gets the same length from its own start.
    startDateTime_ = QDateTime::fromMSecsSinceEpoch(record->startTimeMSecs(), Qt::UTC);
    endDateTime_ = QDateTime::fromMSecsSinceEpoch(record->endTimeMSecs(), Qt::UTC);
    if (startDateTime_ != endDateTime_) {
        url += QStringLiteral("&start=") + queryTime(startDateTime_) + QStringLiteral("&dur=")
               + QString::number(durationSecs_);
    }
    url += QStringLiteral("&net=") + record->networkCode() + QStringLiteral("&sta=")
           + record->stationCode() + QStringLiteral("&loc=") + record->locationCode()
           + QStringLiteral("&cha=") + record->channelCode();

    options_.clear();
    switch (record->sampleUnits()) {
    case UnknownUnits:
    case ScaledCounts:
        options_ = QStringLiteral("&scale=AUTO");
        break;
    case Displacement:
        options_ = QStringLiteral("&correct=true&units=DIS&autolimits=3.0,3.0");
        break;
    case Velocity:
        options_ = QStringLiteral("&correct=true&units=VEL&autolimits=3.0,3.0");
        break;
    case Acceleration:
        options_ = QStringLiteral("&correct=true&units=ACC&autolimits=3.0,3.0");
        break;
    case RawCounts:
        break;
    }
    url += options_;
    sendQuery(url, QString(), false);
}

void TAVOWSTimeseriesInterface::request(const QString& network, const QString& station,
                                        const QString& location, const QString& channel)
{
    QString url = queryPrefix_ + options_;
    if (startDateTime_ != endDateTime_) {
        url += QStringLiteral("&start=") + queryTime(startDateTime_) + QStringLiteral("&dur=")
               + QString::number(durationSecs_);
    }
    url += QStringLiteral("&net=") + network + QStringLiteral("&sta=") + station
           + QStringLiteral("&loc=") + location + QStringLiteral("&cha=") + channel;
    sendQuery(url, QString(), false);
}

SeismicRecord* TAVOWSTimeseriesInterface::readRecord(QIODevice* device)
{
    QDataStream stream(device);
    stream.setByteOrder(QDataStream::BigEndian);
    SacRecord sac;
    SeismicRecord* record = sac.readBinaryStream(&stream);
    // A record without samples is no answer to a waveform request.
    if (record && (record->segments().isEmpty() || record->segments().first()->npts() == 0)) {
        discard(record);
        return nullptr;
    }
    return record;
}

void TAVOWSTimeseriesInterface::discard(SeismicRecord* record)
{
    // The SAC header may have brought an event along; the record does not
    // own it.
    delete record->seismicEvent();
    delete record;
}

QString TAVOWSTimeseriesInterface::channelText(const QString& url)
{
    auto value = [&url](const QString& key) {
        const int at = url.indexOf(key);
        if (at < 0)
            return QString();
        const int from = at + key.size();
        const int to = url.indexOf(QLatin1Char('&'), from);
        return url.mid(from, to < 0 ? -1 : to - from);
    };
    return value(QStringLiteral("&net=")) + QLatin1Char(' ') + value(QStringLiteral("&sta="))
           + value(QStringLiteral("&loc=")) + value(QStringLiteral("&cha="));
}

void TAVOWSTimeseriesInterface::requestFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    // A body that is no SAC record (an HTML page from a proxy, a cut-off
    // transfer) fails the request like an HTTP error does.
    SeismicRecord* record = nullptr;
    if (reply->error() == QNetworkReply::NoError)
        record = readRecord(reply);
    if (record) {
        if (isSignalConnected(QMetaMethod::fromSignal(&TAVOWSTimeseriesInterface::timeseriesResults)))
            emit timeseriesResults(record);
        else
            discard(record); // nobody would ever free it
        return;
    }
    emit timeseriesRequestError(channelText(reply->request().url().toString()));
}
