#include "model/wgs84position.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double twoPi = 6.283185307179586;
// (1 - f)^2 for the WGS84 flattening f.
constexpr double geocentricFactor = 0.99330562000986;

struct DirectionCosines
{
    double sinTheta, cosTheta, sinPhi, cosPhi;
};

DirectionCosines cosinesOf(double latitudeDeg, double longitudeDeg)
{
    const double lat = latitudeDeg * pi / 180.0;
    const double phi = longitudeDeg * pi / 180.0;
    const double theta = pi / 2.0 - std::atan(geocentricFactor * std::tan(lat));
    return {std::sin(theta), std::cos(theta), std::sin(phi), std::cos(phi)};
}

double cosineOfDistance(const DirectionCosines& a, const DirectionCosines& b)
{
    return a.sinTheta * a.cosPhi * b.sinTheta * b.cosPhi
           + a.sinTheta * a.sinPhi * b.sinTheta * b.sinPhi
           + a.cosTheta * b.cosTheta;
}

// Rounding can push a cosine just outside [-1, 1]; acos would give NaN.
double clampedAcos(double c)
{
    return std::acos(std::clamp(c, -1.0, 1.0));
}

} // namespace

void WGS84Position::setLatitude(double v)
{
    if (v >= -90.0 && v <= 90.0)
        latitude_ = v;
}

void WGS84Position::setLongitude(double v)
{
    if (v >= -180.0 && v <= 180.0)
        longitude_ = v;
}

void WGS84Position::setPosition(const WGS84Position* other)
{
    latitude_ = other->latitude_;
    longitude_ = other->longitude_;
    elevation_ = other->elevation_;
}

double WGS84Position::distanceTo(const WGS84Position& other) const
{
    const DirectionCosines a = cosinesOf(latitude_, longitude_);
    const DirectionCosines b = cosinesOf(other.latitude_, other.longitude_);
    return clampedAcos(cosineOfDistance(a, b)) * 180.0 / pi;
}

double WGS84Position::azimuthTo(const WGS84Position& other) const
{
    const DirectionCosines a = cosinesOf(latitude_, longitude_);
    const DirectionCosines b = cosinesOf(other.latitude_, other.longitude_);
    const double cosD = std::clamp(cosineOfDistance(a, b), -1.0, 1.0);
    const double sinD = std::sqrt(1.0 - cosD * cosD);
    if (!(sinD > 0.0))
        return 0.0; // coincident or antipodal: no defined direction
    const double numerator = a.sinTheta * b.cosTheta
                             - a.cosTheta * b.sinTheta * (a.cosPhi * b.cosPhi + a.sinPhi * b.sinPhi);
    double azimuth = clampedAcos(numerator / sinD);
    if (a.cosPhi * b.sinPhi - a.sinPhi * b.cosPhi < 0.0)
        azimuth = twoPi - azimuth;
    return azimuth * 180.0 / pi;
}
