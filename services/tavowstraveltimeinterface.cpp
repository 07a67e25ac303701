#include "services/tavowstraveltimeinterface.h"

#include "model/phasearrival.h"
#include "model/traveltimecurve.h"

#include <QMetaMethod>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextStream>

#include <cmath>

TAVOWSTraveltimeInterface::TAVOWSTraveltimeInterface(const QString& host)
    : WebServicesInterface(host)
{
    serviceVersion_ = 1;
    queryPrefix_ = QStringLiteral("http://") + host_ + QStringLiteral("/tavows/traveltime/")
                   + QString::number(serviceVersion_) + QStringLiteral("/query?noheader=true");
    connect(manager_, &QNetworkAccessManager::finished, this,
            &TAVOWSTraveltimeInterface::requestFinished);
}

void TAVOWSTraveltimeInterface::requestCurve(const QString& phases, double depth,
                                             const QVector<double>& distances)
{
    QStringList distanceTexts;
    distanceTexts.reserve(distances.size());
    for (double d : distances)
        distanceTexts.append(QString::number(d, 'f', 2));
    const QString url = queryPrefix_ + QStringLiteral("&model=") + earthModel_
                        + QStringLiteral("&evdepth=") + queryNumber(depth)
                        + QStringLiteral("&phases=") + phases + QStringLiteral("&distdeg=")
                        + distanceTexts.join(QLatin1Char(','));
    sendQuery(url, QStringLiteral("curve"), true);
}

void TAVOWSTraveltimeInterface::requestArrivals(double depth, double distance,
                                                const QString& phases)
{
    // The service knows the source depth and distance by the same names as
    // in curve requests.
    const QString url = queryPrefix_ + QStringLiteral("&model=") + earthModel_
                        + QStringLiteral("&evdepth=") + queryNumber(depth)
                        + QStringLiteral("&distdeg=") + queryNumber(distance)
                        + QStringLiteral("&phases=") + phases;
    sendQuery(url, QStringLiteral("arrivals"), true);
}

namespace {

QString field(const QString& line, int i)
{
    return line.section(QLatin1Char(' '), i, i);
}

// Seconds to whole milliseconds, truncated toward zero; false when the
// value is not finite or its milliseconds do not fit in 64 bits.
bool toMilliseconds(double seconds, qint64* msecs)
{
    const double ms = seconds * 1000.0;
    if (!std::isfinite(ms) || std::fabs(ms) >= 9.0e18)
        return false;
    *msecs = qint64(ms);
    return true;
}

} // namespace

TravelTimeCurve* TAVOWSTraveltimeInterface::readCurve(QIODevice* device,
                                                      const QString& earthModel)
{
    QTextStream stream(device);
    stream.setCodec("UTF-8");
    QString line = stream.readLine().simplified();
    auto* curve = new TravelTimeCurve(earthModel, field(line, 2));
    bool more = true;
    while (more) {
        if (line.size() >= 4 && field(line, 2) == curve->phaseName()) {
            const double distance = field(line, 0).toDouble();
            const double rayParameter = field(line, 4).toDouble();
            qint64 travelTime = 0;
            // Non-finite keys would break the ordering of the curve's points.
            if (toMilliseconds(field(line, 3).toDouble(), &travelTime)
                && std::isfinite(distance) && std::isfinite(rayParameter))
                curve->addTimeDistance(distance, travelTime, rayParameter);
        }
        more = stream.readLineInto(&line);
        line = line.simplified();
    }
    curve->sortAllArrivalsByRayParameter();
    curve->sortFirstArrivalsByAngularDistance();
    return curve;
}

QList<PhaseArrival*>* TAVOWSTraveltimeInterface::readArrivals(QIODevice* device)
{
    auto* arrivals = new QList<PhaseArrival*>;
    QTextStream stream(device);
    stream.setCodec("UTF-8");
    QString line;
    while (stream.readLineInto(&line)) {
        // The service pads its columns; the fields are the words.
        line = line.simplified();
        qint64 arrivalTime = 0;
        if (line.size() >= 4 && toMilliseconds(field(line, 3).toDouble(), &arrivalTime))
            arrivals->append(new PhaseArrival(field(line, 2), arrivalTime));
    }
    return arrivals;
}

void TAVOWSTraveltimeInterface::requestFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return;
    // A result nobody receives would never be freed, so it is not built.
    const QString kind = reply->request().attribute(QNetworkRequest::User).toString();
    if (kind == QLatin1String("curve")) {
        if (isSignalConnected(QMetaMethod::fromSignal(&TAVOWSTraveltimeInterface::curveResults)))
            emit curveResults(readCurve(reply, earthModel_));
    } else if (kind == QLatin1String("arrivals")) {
        if (isSignalConnected(QMetaMethod::fromSignal(&TAVOWSTraveltimeInterface::arrivalResults)))
            emit arrivalResults(readArrivals(reply));
    }
}
