#ifndef SEARCHAREA_H
#define SEARCHAREA_H

#include <QString>

// The geographic constraint of an FDSN station or event query: none, a
// latitude/longitude box, or a circle of radii around a centre. Radii of
// exactly 0 and 180 mean no circle: they leave the geometry as it was; the
// box setters always switch to the box.
class SearchArea
{
public:
    void setCenter(double latitude, double longitude);
    void setRadii(double minRadius, double maxRadius);
    void setRectangle(double minLatitude, double minLongitude, double maxLatitude,
                      double maxLongitude);
    void setLatitudes(double minLatitude, double maxLatitude);
    void setLongitudes(double minLongitude, double maxLongitude);
    // Back to no constraint with the whole-globe defaults.
    void clear();

    // The query parameters, each beginning with "&"; box limits at the globe's
    // edge are left out.
    QString queryParameters() const;

private:
    enum Geometry { NoGeometry, BoxGeometry, CircleGeometry };

    bool hasWholeGlobeRadii() const { return minRadius_ == 0.0 && maxRadius_ == 180.0; }

    Geometry geometry_ = NoGeometry;
    double centerLatitude_ = 0.0;
    double centerLongitude_ = 0.0;
    double minRadius_ = 0.0;
    double maxRadius_ = 180.0;
    double maxLatitude_ = 90.0;
    double minLatitude_ = -90.0;
    double maxLongitude_ = 180.0;
    double minLongitude_ = -180.0;
};

#endif // SEARCHAREA_H
