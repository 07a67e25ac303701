#ifndef TAVOWSTRAVELTIMEINTERFACE_H
#define TAVOWSTRAVELTIMEINTERFACE_H

#include "services/webservicesinterface.h"

#include <QList>
#include <QVector>

class PhaseArrival;
class QIODevice;
class QNetworkReply;
class TravelTimeCurve;

// Client of the traveltime service: predicted travel times of seismic
// phases through an Earth model. A curve request yields one curveResults, an
// arrivals request one arrivalResults, each a new heap object the receiver
// owns. Failures are silent: the requester simply receives nothing.
class TAVOWSTraveltimeInterface : public WebServicesInterface
{
    Q_OBJECT

public:
    explicit TAVOWSTraveltimeInterface(const QString& host);

    QString earthModel() const { return earthModel_; }
    void setEarthModel(const QString& model) { earthModel_ = model; }

    // Travel times of phases for a source at depth km at each distance
    // (degrees).
    void requestCurve(const QString& phases, double depth, const QVector<double>& distances);
    void requestArrivals(double depth, double distance, const QString& phases);

    // Reply readers, usable on any bytes; the caller owns the result. Rows
    // whose numbers are not finite, or whose time does not fit in
    // milliseconds, are left out.
    static TravelTimeCurve* readCurve(QIODevice* device, const QString& earthModel);
    static QList<PhaseArrival*>* readArrivals(QIODevice* device);

Q_SIGNALS:
    void arrivalResults(QList<PhaseArrival*>* arrivals);
    void curveResults(TravelTimeCurve* curve);

public Q_SLOTS:
    void requestFinished(QNetworkReply* reply);

private:
    QString earthModel_ = QStringLiteral("iasp91");
};

#endif // TAVOWSTRAVELTIMEINTERFACE_H
