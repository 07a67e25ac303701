#include "model/timeseries.h"

#include "model/realfft.h"
#include "model/spectrum.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {
constexpr double pi = 3.141592653589793;
}

TimeSeries::TimeSeries(int npts, double sampleRate)
{
    if (npts < 0)
        npts = 0;
    if (npts % 2 != 0)
        ++npts;
    npts_ = npts;
    samples = new double[size_t(npts_)]();
    setRate(sampleRate);
    TimeSeries::setStartTimeMSecs(0);
}

TimeSeries::TimeSeries(const TimeSeries& other)
    : TimeSpan(other), samples(new double[size_t(other.npts_)]), npts_(other.npts_),
      sampleRate_(other.sampleRate_), dt_(other.dt_), dtMSecs_(other.dtMSecs_)
{
    std::copy(other.samples, other.samples + npts_, samples);
}

TimeSeries& TimeSeries::operator=(const TimeSeries& other)
{
    if (this == &other)
        return *this;
    double* copy = new double[size_t(other.npts_)];
    std::copy(other.samples, other.samples + other.npts_, copy);
    delete[] samples;
    samples = copy;
    TimeSpan::operator=(other);
    npts_ = other.npts_;
    sampleRate_ = other.sampleRate_;
    dt_ = other.dt_;
    dtMSecs_ = other.dtMSecs_;
    return *this;
}

TimeSeries::~TimeSeries()
{
    delete[] samples;
}

void TimeSeries::setRate(double sampleRate)
{
    sampleRate_ = sampleRate;
    dt_ = 1.0 / sampleRate;
    const double ms = dt_ * 1000.0 + 0.5;
    // A zero, negative or absurd rate has no whole-millisecond interval.
    dtMSecs_ = (std::isfinite(ms) && ms > 0.0 && ms < 9.0e15) ? std::trunc(ms) : 0.0;
}

void TimeSeries::setStartTimeMSecs(long long t)
{
    TimeSpan::setStartTimeMSecs(t);
    TimeSpan::setEndTimeMSecs(t + (long long)std::trunc(double(npts_ - 1) * dtMSecs_));
}

void TimeSeries::zero()
{
    std::fill(samples, samples + npts_, 0.0);
}

double TimeSeries::mean() const
{
    return npts_ > 0 ? mean(0, npts_ - 1) : 0.0;
}

double TimeSeries::mean(int i1, int i2) const
{
    if (i2 < i1 || npts_ == 0)
        return 0.0;
    double sum = 0.0;
    for (int i = i1; i <= i2; ++i)
        sum += samples[i];
    return sum / double(i2 - i1 + 1);
}

double TimeSeries::minimum() const
{
    return npts_ > 0 ? minimum(0, npts_ - 1) : 0.0;
}

double TimeSeries::maximum() const
{
    return npts_ > 0 ? maximum(0, npts_ - 1) : 0.0;
}

double TimeSeries::minimum(int i1, int i2) const
{
    if (npts_ == 0)
        return 0.0;
    if (i2 <= i1)
        return samples[i1];
    return *std::min_element(samples + i1, samples + i2 + 1);
}

double TimeSeries::maximum(int i1, int i2) const
{
    if (npts_ == 0)
        return 0.0;
    if (i2 <= i1)
        return samples[i1];
    return *std::max_element(samples + i1, samples + i2 + 1);
}

void TimeSeries::add(double c)
{
    for (int i = 0; i < npts_; ++i)
        samples[i] += c;
}

void TimeSeries::subtract(double c)
{
    for (int i = 0; i < npts_; ++i)
        samples[i] -= c;
}

void TimeSeries::removeMean()
{
    if (npts_ > 0)
        subtract(mean());
}

void TimeSeries::removeMean(int i1, int i2)
{
    if (npts_ > 0)
        subtract(mean(i1, i2));
}

void TimeSeries::removeTrend()
{
    if (npts_ == 0)
        return;
    const double n = double(npts_);
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (int i = 0; i < npts_; ++i) {
        const double x = double(i) * dt_;
        sx += x;
        sy += samples[i];
        sxx += x * x;
        sxy += x * samples[i];
    }
    const double d = n * sxx - sx * sx;
    if (d == 0.0) {
        // A single point has no slope: only its level goes.
        subtract(sy / n);
        return;
    }
    const double a = (sy * sxx - sxy * sx) / d;
    const double b = (n * sxy - sx * sy) / d;
    for (int i = 0; i < npts_; ++i)
        samples[i] -= a + b * double(i) * dt_;
}

void TimeSeries::smooth(bool median, int h)
{
    if (h <= 0 || npts_ == 0)
        return;
    const long long w = 2LL * h + 1;
    if (w > npts_)
        return;
    std::vector<double> result(size_t(npts_), 0.0);
    const int last = npts_ - h - 1;
    if (median) {
        // A sorted copy of the window slides along: each step drops the
        // outgoing sample and inserts the incoming one, so the middle element
        // is the median an ordered sort of every window would give.
        std::vector<double> window(samples, samples + w);
        std::sort(window.begin(), window.end());
        for (int i = h;; ++i) {
            result[size_t(i)] = window[size_t(h)];
            if (i == last)
                break;
            const double outgoing = samples[i - h];
            const double incoming = samples[i + h + 1];
            auto out = std::lower_bound(window.begin(), window.end(), outgoing);
            if (out == window.end() || !(*out == outgoing)) {
                // NaN or another unordered value: fall back to selection.
                std::copy(samples + i + 1 - h, samples + i + h + 2, window.begin());
                std::sort(window.begin(), window.end());
                continue;
            }
            window.erase(out);
            window.insert(std::upper_bound(window.begin(), window.end(), incoming), incoming);
        }
    } else {
        const double inverse = 1.0 / double(w);
        double sum = 0.0;
        for (int i = 0; i < w; ++i)
            sum += samples[i];
        result[size_t(h)] = sum * inverse;
        for (int i = h + 1; i <= last; ++i) {
            sum += samples[i + h] - samples[i - h - 1];
            result[size_t(i)] = sum * inverse;
        }
    }
    for (int i = 0; i < h; ++i)
        result[size_t(i)] = result[size_t(h)];
    for (int i = last + 1; i < npts_; ++i)
        result[size_t(i)] = result[size_t(last)];
    std::copy(result.begin(), result.end(), samples);
}

void TimeSeries::integrate()
{
    if (npts_ == 0)
        return;
    removeTrend();
    removeMean();
    if (npts_ < 2)
        return;
    const double halfDt = dt_ / 2.0;
    double sum = 0.0;
    double previous = samples[0];
    for (int i = 0; i < npts_ - 1; ++i) {
        const double next = samples[i + 1];
        sum += halfDt * (previous + next);
        samples[i] = sum;
        previous = next;
    }
    samples[npts_ - 1] = samples[npts_ - 2];
}

void TimeSeries::taper(TaperType type, int n)
{
    const int N = npts_;
    const int length = n < N / 2 ? n : N / 2 - 1;
    if (length <= 0)
        return;
    switch (type) {
    case CosineTaper: {
        const double m = mean();
        for (int i = 0; i < length; ++i) {
            const double w = 1.0 - std::cos(double(i) * pi / (2.0 * double(length)));
            samples[i] = (samples[i] - m) * w + m;
            samples[N - 1 - i] = (samples[N - 1 - i] - m) * w + m;
        }
        break;
    }
    case HannTaper:
    case HammingTaper: {
        const double a = type == HannTaper ? 0.5 : 0.54;
        const double b = type == HannTaper ? 0.5 : 0.46;
        for (int i = 0; i < length; ++i) {
            const double w = a - b * std::cos(double(i) * pi / double(length));
            samples[i] *= w;
            samples[N - 1 - i] *= w;
        }
        break;
    }
    }
}

Spectrum* TimeSeries::spectrum(int i1, int i2, TaperType type, int nTaper) const
{
    if (i1 < 0 || i2 >= npts_ || i1 > i2)
        return nullptr;
    int n = i2 - i1 + 1;
    if (n % 2 != 0) {
        if (i2 < npts_ - 1)
            ++i2;
        else if (i1 > 0)
            --i1;
        else
            return nullptr; // cannot happen: npts is even
        n = i2 - i1 + 1;
    }
    auto* result = new Spectrum(n, 1.0 / (dt_ * double(n)));
    TimeSeries window(n, sampleRate_);
    const double m = mean(i1, i2);
    for (int i = 0; i < n; ++i)
        window.samples[i] = samples[i1 + i] - m;
    if (nTaper > 0)
        window.taper(type, nTaper);
    std::complex<double>* bins = result->values();
    RealFFT::forward(n, window.samples, bins);
    const double scale = 1.0 / double(n);
    for (int k = 0; k <= n / 2; ++k)
        bins[k] *= scale;
    return result;
}
