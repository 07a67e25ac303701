#include "formats/geocsvrecord.h"

#include "canvas/trace.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Beyond about 31 700 years from 1970 a file cannot describe a recording;
// refusing it keeps every later millisecond sum inside 64 bits.
constexpr double timeLimitMSecs = 1.0e15;

// Hands out the lines of a file one at a time from a large buffer, without
// an allocation per line. A line's view lasts until the next call.
class LineReader
{
public:
    explicit LineReader(QFile* file) : file_(file), buffer_(1 << 16) {}

    bool next(const char** begin, const char** end)
    {
        for (;;) {
            const char* from = buffer_.data() + start_;
            const char* newline = static_cast<const char*>(std::memchr(from, '\n', end_ - start_));
            if (newline) {
                start_ = size_t(newline - buffer_.data()) + 1;
                return view(from, newline, begin, end);
            }
            if (atEnd_) {
                if (start_ == end_)
                    return false;
                const char* last = buffer_.data() + end_;
                start_ = end_;
                return view(from, last, begin, end);
            }
            fill();
        }
    }

private:
    static bool view(const char* from, const char* to, const char** begin, const char** end)
    {
        if (to > from && to[-1] == '\r')
            --to;
        *begin = from;
        *end = to;
        return true;
    }

    void fill()
    {
        // Keep the unfinished line, growing the buffer only for a line longer
        // than it.
        const size_t kept = end_ - start_;
        if (start_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + start_, kept);
            start_ = 0;
            end_ = kept;
        }
        if (end_ == buffer_.size())
            buffer_.resize(buffer_.size() * 2);
        const qint64 got = file_->read(buffer_.data() + end_, qint64(buffer_.size() - end_));
        if (got <= 0)
            atEnd_ = true;
        else
            end_ += size_t(got);
    }

    QFile* file_;
    std::vector<char> buffer_;
    size_t start_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A value as a double, surrounding white space ignored; anything that is not
// one finite number gives 0.
double parseValue(const char* begin, const char* end)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    if (begin < end && *begin == '+' && end - begin > 1 && begin[1] != '-')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return 0.0;
    return value;
}

SampleUnits unitsFromWord(const QByteArray& word)
{
    if (word == "COUNTS")
        return RawCounts;
    if (word == "M")
        return Displacement;
    if (word == "M/S")
        return Velocity;
    if (word == "M/S**2")
        return Acceleration;
    return UnknownUnits;
}

const char* unitWord(SampleUnits units)
{
    switch (units) {
    case UnknownUnits:
        return "UNKNOWN";
    case RawCounts:
        return "COUNTS";
    case ScaledCounts:
    case Velocity:
        return "M/S";
    case Displacement:
        return "M";
    case Acceleration:
        return "M/S**2";
    }
    return nullptr;
}

// What the header lines said; unset values stay absent.
struct Header
{
    QStringList sid;
    bool hasCount = false;
    qint64 count = 0;
    bool hasRate = false;
    double rate = 0.0;
    QDateTime start;
    bool hasLatitude = false, hasLongitude = false, hasElevation = false;
    double latitude = 0.0, longitude = 0.0, elevation = 0.0;
    bool hasInstrument = false;
    QString instrument;
    SampleUnits units = UnknownUnits;
    int columns = 1;
};

void readHeaderLine(const QByteArray& line, Header* h)
{
    static const char* const keys[] = {"SID:",          "sample_count:", "sample_rate_hz:",
                                       "start_time:",   "latitude_deg:", "longitude_deg:",
                                       "elevation_m:",  "instrument:",   "field_unit:",
                                       "field_type:"};
    const QList<QByteArray> tokens = line.split(' ');
    int key = -1;
    for (int k = 0; k < 10 && key < 0; ++k) {
        if (tokens.contains(QByteArray(keys[k])))
            key = k;
    }
    const int n = tokens.size();
    if (key < 0 || n < 3)
        return; // a key without its value token sets nothing
    const QByteArray& value = tokens[2];
    bool ok = false;
    switch (key) {
    case 0:
        h->sid = QString::fromUtf8(value).split(QLatin1Char('_'));
        break;
    case 1: {
        const qint64 count = value.toLongLong(&ok, 10);
        if (ok) {
            h->hasCount = true;
            h->count = count;
        }
        break;
    }
    case 2: {
        const double rate = value.toDouble(&ok);
        if (ok) {
            h->hasRate = true;
            h->rate = rate;
        }
        break;
    }
    case 3:
        h->start = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        // GeoCSV times are UTC, with or without the trailing Z.
        if (h->start.isValid() && h->start.timeSpec() == Qt::LocalTime)
            h->start.setTimeSpec(Qt::UTC);
        break;
    case 4:
    case 5:
    case 6: {
        const double v = value.toDouble(&ok);
        if (!ok)
            break;
        if (key == 4) {
            h->hasLatitude = true;
            h->latitude = v;
        } else if (key == 5) {
            h->hasLongitude = true;
            h->longitude = v;
        } else {
            h->hasElevation = true;
            h->elevation = v;
        }
        break;
    }
    case 7:
        h->hasInstrument = true;
        h->instrument = QString::fromUtf8(value);
        if (n > 3)
            h->instrument += QLatin1Char(' ') + QString::fromUtf8(tokens[3]);
        break;
    case 8:
        if (n == 3) {
            h->units = unitsFromWord(value);
            h->columns = 1;
        } else {
            h->units = unitsFromWord(tokens[3]);
            h->columns = 2;
        }
        break;
    case 9: {
        const QByteArray& type = n == 3 ? value : tokens[3];
        if (n > 3)
            h->columns = 2;
        if (type == "INTEGER" && h->units == UnknownUnits)
            h->units = RawCounts;
        break;
    }
    }
}

// --- Writing ---------------------------------------------------------------

char* writeDigits(char* p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char('0' + value % 10);
        value /= 10;
    }
    return p + width;
}

// UTC times as "yyyy-MM-ddTHH:mm:ss.zzzZ". Consecutive samples share all
// but the milliseconds, so the text up to the second is kept from the last
// call while the second stays the same.
class IsoTimeWriter
{
public:
    char* write(char* p, qint64 ms)
    {
        qint64 second = ms / 1000;
        if (ms % 1000 < 0)
            --second;
        const int milli = int(ms - second * 1000);
        if (second != second_)
            startSecond(second);
        if (prefixLength_ < 0) {
            // Years beyond four digits: the toolkit's own text.
            const QByteArray text =
                QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1();
            const int n = std::min<int>(text.size(), 40);
            std::memcpy(p, text.constData(), size_t(n));
            return p + n;
        }
        std::memcpy(p, prefix_, size_t(prefixLength_));
        p += prefixLength_;
        p[0] = char('0' + milli / 100);
        p[1] = char('0' + milli / 10 % 10);
        p[2] = char('0' + milli % 10);
        p[3] = 'Z';
        return p + 4;
    }

private:
    void startSecond(qint64 second)
    {
        second_ = second;
        qint64 day = second / 86400;
        qint64 rest = second % 86400;
        if (rest < 0) {
            rest += 86400;
            --day;
        }
        const QDate date = QDateTime::fromMSecsSinceEpoch(day * 86400000, Qt::UTC).date();
        if (date.year() < 0 || date.year() > 9999) {
            prefixLength_ = -1;
            return;
        }
        char* d = prefix_;
        d = writeDigits(d, date.year(), 4);
        *d++ = '-';
        d = writeDigits(d, date.month(), 2);
        *d++ = '-';
        d = writeDigits(d, date.day(), 2);
        *d++ = 'T';
        const int r = int(rest);
        d = writeDigits(d, r / 3600, 2);
        *d++ = ':';
        d = writeDigits(d, r / 60 % 60, 2);
        *d++ = ':';
        d = writeDigits(d, r % 60, 2);
        *d++ = '.';
        prefixLength_ = int(d - prefix_);
    }

    qint64 second_ = LLONG_MIN;
    char prefix_[32] = {};
    int prefixLength_ = 0;
};

// Integral values in full, without exponent; others with six significant
// digits exactly as QString::number(v, 'g', 6) writes them.
char* writeValue(char* p, double v)
{
    if (std::isfinite(v) && v == std::trunc(v)) {
        if (std::fabs(v) < 9.0e18)
            return std::to_chars(p, p + 24, (long long)v).ptr;
        const QByteArray text = QByteArray::number(v, 'f', 0);
        std::memcpy(p, text.constData(), size_t(std::min<int>(text.size(), 320)));
        return p + std::min<int>(text.size(), 320);
    }
    if (std::isfinite(v)) {
        // Rounding to six digits can only tie when the value has at most seven
        // significant digits; the toolkit rounds such ties away from zero and
        // the standard formatter to even, so those few take the toolkit's way.
        char shortest[32];
        const auto s = std::to_chars(shortest, shortest + sizeof shortest, v,
                                     std::chars_format::scientific);
        int digits = 0;
        for (const char* c = shortest; c < s.ptr && *c != 'e'; ++c)
            digits += (*c >= '0' && *c <= '9') ? 1 : 0;
        if (digits > 7)
            return std::to_chars(p, p + 32, v, std::chars_format::general, 6).ptr;
    }
    const QByteArray text = QString::number(v, 'g', 6).toLatin1();
    std::memcpy(p, text.constData(), size_t(text.size()));
    return p + text.size();
}

// A rate within single-precision error of a whole number is that number: a
// SAC interval of 0.01 s gives 100.0000022 samples/s.
bool integralRate(double rate, double* whole)
{
    const double r = std::round(rate);
    *whole = r;
    return r != 0.0
           && std::fabs(rate - r) <= double(std::numeric_limits<float>::epsilon()) * std::fabs(rate);
}

} // namespace

SeismicRecord* GeoCSVRecord::readFile(const QString& path)
{
    record_ = nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const qint64 fileSize = file.size();
    LineReader lines(&file);
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!lines.next(&begin, &end))
        return nullptr;
    QByteArray line = QByteArray::fromRawData(begin, int(end - begin));
    if (!line.startsWith('#') || !line.contains("GeoCSV"))
        return nullptr;

    Header header;
    bool more = true;
    while (more && line.startsWith('#')) {
        readHeaderLine(line, &header);
        more = lines.next(&begin, &end);
        if (more)
            line = QByteArray::fromRawData(begin, int(end - begin));
    }

    // Every sample needs at least its line feed, so a count beyond the file's
    // size is a lie that must not reach the allocator.
    if (header.sid.size() < 4 || !header.hasCount || header.count < 0
        || header.count > fileSize || header.count >= INT_MAX)
        return nullptr;
    if (!header.hasRate || !std::isfinite(header.rate) || header.rate <= 0.0)
        return nullptr;
    if (!header.start.isValid())
        return nullptr;
    const qint64 start = header.start.toMSecsSinceEpoch();
    const double span = double(header.count) * (1000.0 / header.rate + 0.5);
    if (std::fabs(double(start)) > timeLimitMSecs || span > timeLimitMSecs)
        return nullptr;

    auto* record = new SeismicRecord();
    record->setSeismicEvent(nullptr);
    record->setNetworkCode(header.sid[0]);
    record->setStationCode(header.sid[1]);
    record->setLocationCode(header.sid[2]);
    record->setChannelCode(header.sid[3]);
    if (header.hasLatitude)
        record->setLatitude(header.latitude);
    if (header.hasLongitude)
        record->setLongitude(header.longitude);
    if (header.hasElevation)
        record->setElevation(header.elevation);
    if (header.hasInstrument)
        record->setSensorDescription(header.instrument);
    record->setSampleUnits(header.units);

    const int count = int(header.count);
    auto* series = new TimeSeries(count, header.rate);
    series->setStartTimeMSecs(start);
    double* samples = series->samples;
    // The line that ended the header holds the column headings.
    int stored = 0;
    if (more) {
        if (header.columns == 2) {
            while (stored < count && lines.next(&begin, &end)) {
                const char* comma = static_cast<const char*>(std::memchr(begin, ',', size_t(end - begin)));
                if (!comma) {
                    samples[stored++] = 0.0;
                    continue;
                }
                const char* from = comma + 1;
                const char* next = static_cast<const char*>(std::memchr(from, ',', size_t(end - from)));
                samples[stored++] = parseValue(from, next ? next : end);
            }
        } else {
            while (stored < count && lines.next(&begin, &end))
                samples[stored++] = parseValue(begin, end);
        }
    }
    if (series->npts() > count && count > 0)
        samples[count] = samples[count - 1];
    record->addSegment(series);
    record_ = record;
    return record;
}

void GeoCSVRecord::writeTrace(Trace* trace, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const SeismicRecord* record = trace->seismicRecord();
    const int n = trace->npts();
    const double* samples = trace->samples;
    bool integral = true;
    for (int i = 0; i < n && integral; ++i)
        integral = std::isfinite(samples[i]) && samples[i] == std::trunc(samples[i]);

    double wholeRate = 0.0;
    const bool rateIsWhole = integralRate(trace->sampleRate(), &wholeRate);
    const QByteArray rateText = rateIsWhole
                                    ? QByteArray::number(qint64(wholeRate))
                                    : QString::number(trace->sampleRate(), 'g', QLocale::FloatingPointShortest).toLatin1();
    const qint64 start = trace->startTimeMSecs();
    IsoTimeWriter times;
    char timeText[64];
    const QByteArray startText(timeText, int(times.write(timeText, start) - timeText));

    QByteArray header;
    header += "# dataset: GeoCSV 2.0\n";
    header += "# delimiter: ,\n";
    header += "# SID: " + record->networkCode().toUtf8() + '_' + record->stationCode().toUtf8() + '_'
              + record->locationCode().toUtf8() + '_' + record->channelCode().toUtf8() + '\n';
    header += "# sample_count: " + QByteArray::number(n) + '\n';
    header += "# sample_rate_hz: " + rateText + '\n';
    header += "# start_time: " + startText + '\n';
    if (const char* word = unitWord(record->sampleUnits()))
        header += QByteArray("# field_unit: UTC, ") + word + '\n';
    header += (record->sampleUnits() == RawCounts && integral) ? "# field_type: datetime, INTEGER\n"
                                                               : "# field_type: datetime, FLOAT\n";
    header += "Time, Sample\n";
    if (file.write(header) != header.size())
        return;

    // Times from the rate itself, so intervals that are no whole number of
    // milliseconds (80 or 3 samples/s) do not drift.
    double msPerSample = 1000.0 / (rateIsWhole ? wholeRate : trace->sampleRate());
    if (!std::isfinite(msPerSample) || msPerSample <= 0.0 || double(n) * msPerSample > 1.0e15)
        msPerSample = trace->dtMSecs();
    const size_t lineRoom = 400;
    std::vector<char> buffer(1 << 20);
    char* p = buffer.data();
    char* const limit = buffer.data() + buffer.size() - lineRoom;
    for (int i = 0; i < n; ++i) {
        // Non-negative, so truncation rounds like floor.
        const qint64 t = start + qint64(double(i) * msPerSample + 0.5);
        p = times.write(p, t);
        *p++ = ',';
        *p++ = ' ';
        p = writeValue(p, samples[i]);
        *p++ = '\n';
        if (p >= limit) {
            if (file.write(buffer.data(), p - buffer.data()) != p - buffer.data())
                return;
            p = buffer.data();
        }
    }
    file.write(buffer.data(), p - buffer.data());
}
