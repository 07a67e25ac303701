#ifndef TIMESERIES_H
#define TIMESERIES_H

#include "model/timespan.h"

class Spectrum;

enum TaperType : int { CosineTaper = 0, HannTaper = 1, HammingTaper = 2 };

// One contiguous stretch of samples at a fixed rate, placed in absolute time
// by its span. The sample count is always even. Sample times are whole
// milliseconds: dtMSecs is the interval rounded to whole ms, and the end is
// start + trunc((npts - 1) * dtMSecs). Rates above 2000 samples/s give a
// dtMSecs of 0; users of sample times must refuse such a series.
class TimeSeries : public TimeSpan
{
public:
    TimeSeries(int npts, double sampleRate);
    TimeSeries(const TimeSeries& other);
    TimeSeries& operator=(const TimeSeries& other);
    ~TimeSeries();

    int npts() const { return npts_; }
    double dt() const { return dt_; }
    double dtMSecs() const { return dtMSecs_; }
    double sampleRate() const { return sampleRate_; }

    // Moves the series: the end follows the start.
    void setStartTimeMSecs(long long t);

    void zero();
    // Statistics of an empty series or window are 0.
    double mean() const;
    double mean(int i1, int i2) const;
    double minimum() const;
    double maximum() const;
    double minimum(int i1, int i2) const;
    double maximum(int i1, int i2) const;

    void add(double c);
    void subtract(double c);
    void removeMean();
    // Removes the mean of samples i1..i2 from the whole series.
    void removeMean(int i1, int i2);
    void removeTrend();
    // Running median or mean over 2 * halfWidth + 1 samples; a series shorter
    // than the window is left unchanged.
    void smooth(bool median, int halfWidth);
    void integrate();
    void taper(TaperType type, int n);
    // A new spectrum (caller owns) of samples i1..i2, widened to an even
    // count, mean removed, optionally tapered, scaled by 1/n. Null when the
    // window does not lie inside the series.
    Spectrum* spectrum(int i1, int i2, TaperType type, int nTaper) const;

    // Direct access for readers, filters and drawing.
    double* samples;

private:
    void setRate(double sampleRate);

    int npts_ = 0;
    double sampleRate_ = 0.0;
    double dt_ = 0.0;
    double dtMSecs_ = 0.0;
};

#endif // TIMESERIES_H
