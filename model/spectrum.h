#ifndef SPECTRUM_H
#define SPECTRUM_H

#include <complex>

// The complex values of a real forward transform of n samples, scaled by 1/n:
// bin k (0 .. n/2) is the frequency k * df; the bins above n/2 are zero.
class Spectrum
{
public:
    // n complex values, all zero.
    Spectrum(int n, double df);
    // Takes over an array of n values allocated with new[].
    Spectrum(int n, double df, std::complex<double>* values);
    ~Spectrum();
    Spectrum(const Spectrum& other);
    Spectrum& operator=(const Spectrum&) = delete;

    int pointCount() const { return n_; }
    double frequencyStep() const { return df_; }
    std::complex<double>* values() { return values_; }
    const std::complex<double>* values() const { return values_; }

private:
    int n_;
    double df_;
    std::complex<double>* values_;
};

#endif // SPECTRUM_H
