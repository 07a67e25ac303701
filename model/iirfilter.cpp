#include "model/iirfilter.h"

#include "model/timeseries.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <utility>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double twoPi = 6.283185307179586;
// The analog sections are scaled to their corner with this eight-digit value
// of 2 pi; the designs have always used it, so it stays.
constexpr double twoPiScale = 6.2831853;
constexpr double fourPiSquared = 39.47841760435743;

using Complex = std::complex<double>;

// Bessel poles normalised to -3 dB at 1 rad/s: conjugate pairs by their
// upper member first, the real pole of an odd order last.
struct BesselPole {
    double re;
    double im;
};
const BesselPole besselPoles[8][4] = {
    {{-1.0, 0.0}},
    {{-1.1016013, 0.6360098}},
    {{-1.0474091, 0.9992645}, {-1.3226758, 0.0}},
    {{-0.9952088, 1.2571058}, {-1.3700679, 0.4102497}},
    {{-0.9576766, 1.4711244}, {-1.3808774, 0.7179096}, {-1.5023160, 0.0}},
    {{-0.9306565, 1.6618633}, {-1.3818581, 0.9714719}, {-1.5714904, 0.3208964}},
    {{-0.9098678, 1.8364514}, {-1.3789032, 1.1915667}, {-1.6120388, 0.5892445}, {-1.6843682, 0.0}},
    {{-0.8928710, 1.9983286}, {-1.3738431, 1.3883585}, {-1.6369417, 0.8227968}, {-1.7574108, 0.2728679}},
};

constexpr int complexPair = 1;
constexpr int realPole = 2;

// Pre-warped corner in Hz.
double warp(double f, double dt)
{
    return std::tan(pi * f * dt) / twoPi;
}

bool insideBand(double f, double dt)
{
    return std::isfinite(f) && f > 0.0 && f * dt < 0.5;
}

// Moves normalised low- or high-pass sections (s in units of the corner)
// to a corner of the given frequency in Hz.
void scaleToCorner(double* numerator, double* denominator, int count, double corner)
{
    const double w = corner * twoPiScale;
    for (int i = 0; i < count; ++i) {
        numerator[3 * i + 1] /= w;
        numerator[3 * i + 2] /= w * w;
        denominator[3 * i + 1] /= w;
        denominator[3 * i + 2] /= w * w;
    }
}

// Coefficients of the cascade, copied into locals so that the sample loop
// works on registers only.
struct Section {
    double b0, b1, b2, a1, a2;
};

// One section's step: v enters, the section's output leaves in v. h1/h2
// hold the last two values entering this section, h1next/h2next the last two
// leaving it (they are also what entered the next section). The history terms
// are summed before the new input joins, which keeps the path from one
// section to the next short.
inline __attribute__((always_inline)) void step(const Section& c, double& h1, double& h2,
                                                const double& h1next, const double& h2next,
                                                double& v)
{
    const double y = (c.b1 * h1 + c.b2 * h2 - c.a2 * h2next - c.a1 * h1next) + c.b0 * v;
    h2 = h1;
    h1 = v;
    v = y;
}

template<int... k>
inline __attribute__((always_inline)) void stepAll(const Section* c, double* h1, double* h2,
                                                   double& v, std::integer_sequence<int, k...>)
{
    (step(c[k], h1[k], h2[k], h1[k + 1], h2[k + 1], v), ...);
}

// Runs K consecutive sections over n samples in place, visiting them with
// the given stride (+1 forward, -1 backward from the last sample). Every
// section starts from rest and sees exactly the output of the one before,
// so the result is that of K separate passes; fusing them lets the
// independent recursions of the sections overlap in the processor. The
// sections are unrolled at compile time so that all state stays in
// registers.
template<int K>
void runSections(double* x, long long n, long long stride, const Section* sections)
{
    Section c[K];
    for (int k = 0; k < K; ++k)
        c[k] = sections[k];
    double h1[K + 1] = {};
    double h2[K + 1] = {};
    for (long long i = 0; i < n; ++i, x += stride) {
        double v = *x;
        stepAll(c, h1, h2, v, std::make_integer_sequence<int, K>{});
        h2[K] = h1[K];
        h1[K] = v;
        *x = v;
    }
}

void runCascade(double* x, long long n, bool backward, const Section* sections, int count)
{
    double* first = backward ? x + (n - 1) : x;
    const long long stride = backward ? -1 : 1;
    int k = 0;
    while (k < count) {
        const int left = count - k;
        if (left >= 4) {
            runSections<4>(first, n, stride, sections + k);
            k += 4;
        } else if (left == 3) {
            runSections<3>(first, n, stride, sections + k);
            k += 3;
        } else if (left == 2) {
            runSections<2>(first, n, stride, sections + k);
            k += 2;
        } else {
            runSections<1>(first, n, stride, sections + k);
            k += 1;
        }
    }
}

} // namespace

IIRFilter::IIRFilter(FilterType type, AnalogPrototype prototype)
    : filterType_(type), prototype_(prototype)
{
}

IIRFilter::IIRFilter(FilterType type, AnalogPrototype prototype, double lowFrequency,
                     double highFrequency, int order, bool zeroPhase)
    : filterType_(type), prototype_(prototype), lowFrequency_(lowFrequency),
      highFrequency_(highFrequency), order_(order), zeroPhase_(zeroPhase)
{
}

IIRFilter::IIRFilter(FilterType type, AnalogPrototype prototype, double lowFrequency,
                     double highFrequency, int order, bool zeroPhase, double transitionBandwidth,
                     double attenuationFactor)
    : filterType_(type), prototype_(prototype), lowFrequency_(lowFrequency),
      highFrequency_(highFrequency), order_(order), zeroPhase_(zeroPhase),
      transitionBandwidth_(transitionBandwidth), attenuationFactor_(attenuationFactor)
{
}

QString IIRFilter::typeString() const
{
    switch (filterType_) {
    case LowPass:
        return QStringLiteral("Low Pass");
    case HighPass:
        return QStringLiteral("High Pass");
    case BandReject:
        return QStringLiteral("Band Reject");
    default:
        return QStringLiteral("Band Pass");
    }
}

QString IIRFilter::prototypeString() const
{
    switch (prototype_) {
    case Bessel:
        return QStringLiteral("Bessel");
    case ChebyshevI:
        return QStringLiteral("Chebyshev I");
    case ChebyshevII:
        return QStringLiteral("Chebyshev II");
    default:
        return QStringLiteral("Butterworth");
    }
}

bool IIRFilter::designPoles()
{
    poleCount_ = 0;
    const int n = order_;
    if (n < 1)
        return false;
    const bool band = filterType_ == BandPass || filterType_ == BandReject;
    // A band design turns each pair into two sections and a real pole into
    // one; a low or high pass keeps one section per pole entry.
    const int entries = (n + 1) / 2;
    const int sections = band ? n : entries;
    if (entries > maxPoles || sections > maxSections)
        return false;

    switch (prototype_) {
    case Butterworth:
        if (n % 2 != 0) {
            poleRe_[poleCount_] = -1.0;
            poleIm_[poleCount_] = 0.0;
            poleKind_[poleCount_++] = realPole;
        }
        for (int k = 1; k <= n / 2; ++k) {
            const double t = pi * (0.5 + double(2 * k - 1) / double(2 * n));
            poleRe_[poleCount_] = std::cos(t);
            poleIm_[poleCount_] = std::sin(t);
            poleKind_[poleCount_++] = complexPair;
        }
        return true;
    case Bessel:
        if (n > 8)
            return false;
        for (int k = 0; k < entries; ++k) {
            const BesselPole& p = besselPoles[n - 1][k];
            poleRe_[poleCount_] = p.re;
            poleIm_[poleCount_] = p.im;
            poleKind_[poleCount_++] = p.im == 0.0 ? realPole : complexPair;
        }
        return true;
    default:
        // Chebyshev prototypes have no design.
        return false;
    }
}

bool IIRFilter::design(double dt)
{
    sectionCount_ = 0;
    if (!(std::isfinite(dt) && dt > 0.0) || !designPoles())
        return false;

    bool designed = false;
    switch (filterType_) {
    case LowPass:
        if (insideBand(highFrequency_, dt))
            designed = lowPassSections(warp(highFrequency_, dt));
        break;
    case HighPass:
        if (insideBand(lowFrequency_, dt))
            designed = highPassSections(warp(lowFrequency_, dt));
        break;
    case BandPass:
    case BandReject:
        // Equal corners leave no band (the gain normalisation would divide
        // by zero), and exchanged ones would put poles in the right half-plane.
        if (insideBand(lowFrequency_, dt) && insideBand(highFrequency_, dt)
            && lowFrequency_ < highFrequency_) {
            const double fl = warp(lowFrequency_, dt);
            const double fh = warp(highFrequency_, dt);
            designed = filterType_ == BandPass ? bandPassSections(fl, fh)
                                               : bandRejectSections(fl, fh);
        }
        break;
    }
    if (!designed) {
        sectionCount_ = 0;
        return false;
    }
    bilinear();
    return true;
}

bool IIRFilter::lowPassSections(double corner)
{
    for (int i = 0; i < poleCount_; ++i) {
        double* b = numerator_ + 3 * i;
        double* a = denominator_ + 3 * i;
        const double re = poleRe_[i];
        if (poleKind_[i] == realPole) {
            b[0] = -re, b[1] = 0.0, b[2] = 0.0;
            a[0] = -re, a[1] = 1.0, a[2] = 0.0;
        } else {
            const double m2 = re * re + poleIm_[i] * poleIm_[i];
            b[0] = m2, b[1] = 0.0, b[2] = 0.0;
            a[0] = m2, a[1] = -2.0 * re, a[2] = 1.0;
        }
    }
    sectionCount_ = poleCount_;
    scaleToCorner(numerator_, denominator_, sectionCount_, corner);
    return true;
}

bool IIRFilter::highPassSections(double corner)
{
    for (int i = 0; i < poleCount_; ++i) {
        double* b = numerator_ + 3 * i;
        double* a = denominator_ + 3 * i;
        const double re = poleRe_[i];
        if (poleKind_[i] == realPole) {
            b[0] = 0.0, b[1] = -re, b[2] = 0.0;
            a[0] = 1.0, a[1] = -re, a[2] = 0.0;
        } else {
            const double m2 = re * re + poleIm_[i] * poleIm_[i];
            b[0] = 0.0, b[1] = 0.0, b[2] = m2;
            a[0] = 1.0, a[1] = -2.0 * re, a[2] = m2;
        }
    }
    sectionCount_ = poleCount_;
    scaleToCorner(numerator_, denominator_, sectionCount_, corner);
    return true;
}

bool IIRFilter::bandPassSections(double low, double high)
{
    const double a = fourPiSquared * low * high;
    const double b = twoPi * (high - low);
    int n = 0;
    auto addSection = [&](double d0, double d1, double d2) {
        numerator_[3 * n] = 0.0, numerator_[3 * n + 1] = b, numerator_[3 * n + 2] = 0.0;
        denominator_[3 * n] = d0, denominator_[3 * n + 1] = d1, denominator_[3 * n + 2] = d2;
        ++n;
    };
    for (int i = 0; i < poleCount_; ++i) {
        const Complex p(poleRe_[i], poleIm_[i]);
        if (poleKind_[i] == realPole) {
            addSection(a, -b * p.real(), 1.0);
        } else {
            const Complex q = b * p;
            const Complex r = std::sqrt(q * q - 4.0 * a);
            const Complex p1 = (q + r) / 2.0;
            const Complex p2 = (q - r) / 2.0;
            addSection(std::norm(p1), -2.0 * p1.real(), 1.0);
            addSection(std::norm(p2), -2.0 * p2.real(), 1.0);
        }
    }
    sectionCount_ = n;

    const Complex s0(0.0, std::sqrt(a));
    Complex h(1.0, 0.0);
    for (int i = 0; i < n; ++i) {
        const double* nu = numerator_ + 3 * i;
        const double* de = denominator_ + 3 * i;
        h *= (nu[0] + s0 * (nu[1] + s0 * nu[2])) / (de[0] + s0 * (de[1] + s0 * de[2]));
    }
    const double gain = std::abs(h);
    if (!(std::isfinite(gain) && gain > 0.0))
        return false;
    for (int j = 0; j < 3; ++j)
        numerator_[j] *= 1.0 / gain;
    return true;
}

bool IIRFilter::bandRejectSections(double low, double high)
{
    const double a = fourPiSquared * low * high;
    const double b = twoPi * (high - low);
    int n = 0;
    auto addSection = [&](double d0, double d1, double d2) {
        numerator_[3 * n] = a, numerator_[3 * n + 1] = 0.0, numerator_[3 * n + 2] = 1.0;
        denominator_[3 * n] = d0, denominator_[3 * n + 1] = d1, denominator_[3 * n + 2] = d2;
        ++n;
    };
    for (int i = 0; i < poleCount_; ++i) {
        const Complex p(poleRe_[i], poleIm_[i]);
        if (poleKind_[i] == realPole) {
            addSection(-a * p.real(), b, -p.real());
        } else {
            const Complex q = b / p;
            const Complex r = std::sqrt(q * q - 4.0 * a);
            const Complex p1 = (q + r) / 2.0;
            const Complex p2 = (q - r) / 2.0;
            addSection(std::norm(p1), -2.0 * p1.real(), 1.0);
            addSection(std::norm(p2), -2.0 * p2.real(), 1.0);
        }
    }
    sectionCount_ = n;

    double h = 1.0;
    for (int i = 0; i < n; ++i)
        h *= numerator_[3 * i] / denominator_[3 * i];
    const double gain = std::fabs(h);
    if (!(std::isfinite(gain) && gain > 0.0))
        return false;
    for (int j = 0; j < 3; ++j)
        numerator_[j] *= 1.0 / gain;
    return true;
}

void IIRFilter::bilinear()
{
    for (int i = 0; i < sectionCount_; ++i) {
        double* b = numerator_ + 3 * i;
        double* a = denominator_ + 3 * i;
        const double c = a[0] + a[1] + a[2];
        const double n0 = b[0], n1 = b[1], n2 = b[2];
        const double d0 = a[0], d1 = a[1], d2 = a[2];
        b[0] = (n0 + n1 + n2) / c;
        b[1] = 2.0 * (n0 - n2) / c;
        b[2] = (n0 - n1 + n2) / c;
        a[0] = 1.0;
        a[1] = 2.0 * (d0 - d2) / c;
        a[2] = (d0 - d1 + d2) / c;
    }
}

bool IIRFilter::apply(TimeSeries* series)
{
    if (!series || !design(series->dt()))
        return false;
    const long long n = series->npts();
    if (n == 0)
        return true;
    Section sections[maxSections];
    for (int i = 0; i < sectionCount_; ++i) {
        sections[i] = {numerator_[3 * i], numerator_[3 * i + 1], numerator_[3 * i + 2],
                       denominator_[3 * i + 1], denominator_[3 * i + 2]};
    }
    runCascade(series->samples, n, false, sections, sectionCount_);
    if (zeroPhase_)
        runCascade(series->samples, n, true, sections, sectionCount_);
    return true;
}

void IIRFilter::print() const
{
    std::fprintf(stderr, "\nFilter: %d %d %g %g %d %d %g %g\n", int(filterType_), int(prototype_),
                 lowFrequency_, highFrequency_, order_, int(zeroPhase_), transitionBandwidth_,
                 attenuationFactor_);
}
