#ifndef IIRFILTER_H
#define IIRFILTER_H

#include <QString>

class TimeSeries;

// A fixed underlying type keeps values outside the list well defined: they
// reach the name functions, which have a rule for them.
enum FilterType : int { LowPass = 0, HighPass = 1, BandPass = 2, BandReject = 3 };

enum AnalogPrototype : int { Butterworth = 0, Bessel = 1, ChebyshevI = 2, ChebyshevII = 3 };

// A recursive filter: poles of a normalised analog prototype, transformed to
// the band on pre-warped corners and mapped by the bilinear transformation to
// a cascade of second-order sections. It designs itself for the interval of
// each series it is applied to, so one filter serves any sample rate.
class IIRFilter
{
public:
    static constexpr int maxPoles = 10;
    static constexpr int maxSections = 10;

    IIRFilter() = default;
    IIRFilter(FilterType type, AnalogPrototype prototype);
    IIRFilter(FilterType type, AnalogPrototype prototype, double lowFrequency,
              double highFrequency, int order, bool zeroPhase);
    IIRFilter(FilterType type, AnalogPrototype prototype, double lowFrequency,
              double highFrequency, int order, bool zeroPhase, double transitionBandwidth,
              double attenuationFactor);

    FilterType filterType() const { return filterType_; }
    void setFilterType(FilterType type) { filterType_ = type; }
    AnalogPrototype prototype() const { return prototype_; }
    void setPrototype(AnalogPrototype prototype) { prototype_ = prototype; }
    double lowFrequency() const { return lowFrequency_; }
    double highFrequency() const { return highFrequency_; }
    int order() const { return order_; }
    bool zeroPhase() const { return zeroPhase_; }
    double transitionBandwidth() const { return transitionBandwidth_; }
    double attenuationFactor() const { return attenuationFactor_; }

    QString typeString() const;
    QString prototypeString() const;

    // Computes the digital sections for a sample interval of dt seconds.
    // False, with no sections, when the filter has no design for it:
    // Chebyshev prototypes, Bessel orders outside 1..8, more poles or
    // sections than the arrays hold, band corners not strictly increasing,
    // or a corner in use that is not inside (0, Nyquist).
    bool design(double dt);
    // Designs for the series and filters its samples in place, backward as
    // well when zero-phase. False, with the series unchanged, when design
    // refuses.
    bool apply(TimeSeries* series);

    // Sections of the last design, three numerator and three denominator
    // coefficients each (the first denominator coefficient is 1).
    int sectionCount() const { return sectionCount_; }
    const double* numerator() const { return numerator_; }
    const double* denominator() const { return denominator_; }

    // Diagnostic dump of the parameters to standard error.
    void print() const;

private:
    bool designPoles();
    bool lowPassSections(double corner);
    bool highPassSections(double corner);
    bool bandPassSections(double low, double high);
    bool bandRejectSections(double low, double high);
    void bilinear();

    FilterType filterType_ = LowPass;
    AnalogPrototype prototype_ = Butterworth;
    double lowFrequency_ = 0.0;
    double highFrequency_ = 0.0;
    int order_ = 0;
    bool zeroPhase_ = false;
    double transitionBandwidth_ = 0.3;
    double attenuationFactor_ = 30.0;

    double numerator_[3 * maxSections] = {};
    double denominator_[3 * maxSections] = {};
    // Prototype poles: a conjugate pair is held by its upper member.
    double poleRe_[maxPoles] = {};
    double poleIm_[maxPoles] = {};
    int poleKind_[maxPoles] = {};
    int poleCount_ = 0;
    int sectionCount_ = 0;
};

#endif // IIRFILTER_H
