#include "services/searcharea.h"

#include "services/webservicesinterface.h"

void SearchArea::setCenter(double latitude, double longitude)
{
    centerLatitude_ = latitude;
    centerLongitude_ = longitude;
    if (!hasWholeGlobeRadii())
        geometry_ = CircleGeometry;
}

void SearchArea::setRadii(double minRadius, double maxRadius)
{
    minRadius_ = minRadius;
    maxRadius_ = maxRadius;
    if (!hasWholeGlobeRadii())
        geometry_ = CircleGeometry;
}

void SearchArea::setRectangle(double minLatitude, double minLongitude, double maxLatitude,
                              double maxLongitude)
{
    minLatitude_ = minLatitude;
    minLongitude_ = minLongitude;
    maxLatitude_ = maxLatitude;
    maxLongitude_ = maxLongitude;
    geometry_ = BoxGeometry;
}

void SearchArea::setLatitudes(double minLatitude, double maxLatitude)
{
    minLatitude_ = minLatitude;
    maxLatitude_ = maxLatitude;
    geometry_ = BoxGeometry;
}

void SearchArea::setLongitudes(double minLongitude, double maxLongitude)
{
    minLongitude_ = minLongitude;
    maxLongitude_ = maxLongitude;
    geometry_ = BoxGeometry;
}

void SearchArea::clear()
{
    *this = SearchArea();
}

QString SearchArea::queryParameters() const
{
    const auto number = &WebServicesInterface::queryNumber;
    QString query;
    if (geometry_ == BoxGeometry) {
        if (minLatitude_ != -90.0)
            query += QStringLiteral("&minlat=") + number(minLatitude_);
        if (maxLatitude_ != 90.0)
            query += QStringLiteral("&maxlat=") + number(maxLatitude_);
        if (minLongitude_ != -180.0)
            query += QStringLiteral("&minlon=") + number(minLongitude_);
        if (maxLongitude_ != 180.0)
            query += QStringLiteral("&maxlon=") + number(maxLongitude_);
    } else if (geometry_ == CircleGeometry && !hasWholeGlobeRadii()) {
        query += QStringLiteral("&lat=") + number(centerLatitude_) + QStringLiteral("&lon=")
                 + number(centerLongitude_) + QStringLiteral("&minradius=") + number(minRadius_)
                 + QStringLiteral("&maxradius=") + number(maxRadius_);
    }
    return query;
}
