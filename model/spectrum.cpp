#include "model/spectrum.h"

#include <algorithm>

Spectrum::Spectrum(int n, double df)
    : n_(n < 0 ? 0 : n), df_(df), values_(new std::complex<double>[size_t(n_)]())
{
}

Spectrum::Spectrum(int n, double df, std::complex<double>* values)
    : n_(n < 0 ? 0 : n), df_(df), values_(values)
{
}

Spectrum::~Spectrum()
{
    delete[] values_;
}

Spectrum::Spectrum(const Spectrum& other)
    : n_(other.n_), df_(other.df_), values_(new std::complex<double>[size_t(other.n_)])
{
    std::copy(other.values_, other.values_ + n_, values_);
}
