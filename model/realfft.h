#ifndef REALFFT_H
#define REALFFT_H

#include <complex>

// Forward real-to-complex transforms through FFTW (double precision). Plans
// are cached per length, so many windows of one length (a spectrogram) plan
// once. Any length is O(n log n).
class RealFFT
{
public:
    // Transforms n real values into bins 0 .. n/2 of out (unscaled).
    static void forward(int n, const double* in, std::complex<double>* out);
    // Drops every cached plan and buffer.
    static void clearCache();
};

#endif // REALFFT_H
