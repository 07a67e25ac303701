#ifndef WGS84POSITION_H
#define WGS84POSITION_H

// A point on the WGS84 ellipsoid. Distances and azimuths are computed on
// geocentric latitudes over a spherical Earth.
class WGS84Position
{
public:
    WGS84Position() = default;

    double latitude() const { return latitude_; }
    double longitude() const { return longitude_; }
    double elevation() const { return elevation_; }

    // Out-of-range values (and NaN) are dropped silently; the old value stays.
    void setLatitude(double v);
    void setLongitude(double v);
    void setElevation(double v) { elevation_ = v; }

    // Copies all three values without range checks.
    void setPosition(const WGS84Position* other);

    // Great-circle distance in degrees of arc.
    double distanceTo(const WGS84Position& other) const;
    // Azimuth in degrees clockwise from north, 0..360, of the great circle
    // towards the other point; 0 for coincident or antipodal points.
    double azimuthTo(const WGS84Position& other) const;

    // One degree of arc in km (6371 km * pi / 180).
    static constexpr double kmPerDegree = 111.19492664455873;

protected:
    double latitude_ = 0.0;
    double longitude_ = 0.0;
    double elevation_ = 0.0;
};

#endif // WGS84POSITION_H
