#ifndef TIMESPAN_H
#define TIMESPAN_H

// A start and an end time in milliseconds since 1970-01-01 UTC. Nothing
// enforces start <= end; producers keep it.
class TimeSpan
{
public:
    TimeSpan() = default;
    TimeSpan(long long start, long long end) : start_(start), end_(end) {}

    long long startTimeMSecs() const { return start_; }
    long long endTimeMSecs() const { return end_; }
    void setStartTimeMSecs(long long t) { start_ = t; }
    void setEndTimeMSecs(long long t) { end_ = t; }

    long long lengthMSecs() const { return end_ - start_; }
    double lengthSecs() const { return double(end_ - start_) / 1000.0; }

    // Both ends included: a span contains itself.
    bool contains(const TimeSpan& other) const
    {
        return start_ <= other.start_ && end_ >= other.end_;
    }
    // Spans that only touch do not intersect.
    bool intersects(const TimeSpan& other) const
    {
        if (start_ < other.start_)
            return end_ > other.start_;
        return start_ < other.end_;
    }
    void merge(const TimeSpan& other)
    {
        if (other.start_ < start_)
            start_ = other.start_;
        if (other.end_ > end_)
            end_ = other.end_;
    }
    TimeSpan merged(const TimeSpan& other) const
    {
        TimeSpan hull(*this);
        hull.merge(other);
        return hull;
    }
    TimeSpan shiftedMSecs(long long d) const { return TimeSpan(start_ + d, end_ + d); }

private:
    long long start_ = 0;
    long long end_ = 0;
};

#endif // TIMESPAN_H
