#ifndef FDSNWSEVENTINTERFACE_H
#define FDSNWSEVENTINTERFACE_H

#include "services/searcharea.h"
#include "services/webservicesinterface.h"

#include <QList>

class QIODevice;
class QNetworkReply;
class SeismicEvent;

// Client of an FDSN event web service (version 1, text format, over https).
// Each request's answer arrives as a new heap list of new events that the
// receiver owns: empty when nothing matched (404), null when the service
// failed, which a modal box has already told the user.
class FDSNWSEventInterface : public WebServicesInterface
{
    Q_OBJECT

public:
    explicit FDSNWSEventInterface(const QString& host);

    void setSearchMagnitudes(double minMagnitude, double maxMagnitude);
    void setSearchDepths(double minDepthKm, double maxDepthKm);
    // Radii of exactly 0 and 180 mean no circle: they leave the geometry as
    // it was. The box setters always switch to the box.
    void setSearchCenter(double latitude, double longitude);
    void setSearchRadii(double minRadius, double maxRadius);
    void setSearchRectangle(double minLatitude, double minLongitude, double maxLatitude,
                            double maxLongitude);
    void setSearchLatitudes(double minLatitude, double maxLatitude);
    void setSearchLongitudes(double minLongitude, double maxLongitude);

    void request();

    // Reads the pipe-separated event text (header line first) from any
    // bytes; the caller owns the list and its events.
    static QList<SeismicEvent*>* readEvents(QIODevice* device);

Q_SIGNALS:
    void seismicEventResults(QList<SeismicEvent*>* events);

private Q_SLOTS:
    void requestFinished(QNetworkReply* reply);

private:
    void deliver(QList<SeismicEvent*>* events);

    SearchArea searchArea_;
    double minDepthKm_ = 0.0;
    double maxDepthKm_ = 700.0;
    double minMagnitude_ = 0.0;
    double maxMagnitude_ = 10.0;
};

#endif // FDSNWSEVENTINTERFACE_H
