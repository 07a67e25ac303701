#include "formats/miniseedrecord.h"

#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <libmseed.h>

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// Beyond about 31 700 years from 1970 a trace cannot be a recording; refusing
// it keeps every later millisecond sum inside 64 bits.
constexpr double timeLimitMSecs = 1.0e15;

QString codeText(const char* code, size_t capacity)
{
    return QString::fromLatin1(code, int(strnlen(code, capacity)));
}

} // namespace

QList<SeismicRecord*>* MiniSEEDRecord::readFile(const QString& path)
{
    QByteArray file = path.toUtf8();
    MSTraceGroup* group = nullptr;
    const int status = ms_readtraces(&group, file.data(), 0, -1.0, -1.0, 0, 1, 1, 1);
    if (status != MS_NOERROR) {
        ms_log(2, "Cannot read %s: %s\n", file.constData(), ms_errorstr(status));
        if (group)
            mst_freegroup(&group);
        return nullptr;
    }
    if (!group)
        return nullptr;

    auto* records = new QList<SeismicRecord*>;
    for (MSTrace* trace = group->traces; trace; trace = trace->next) {
        if (SeismicRecord* record = buildSeismicRecord(trace))
            records->append(record);
    }
    mst_freegroup(&group);
    return records;
}

SeismicRecord* MiniSEEDRecord::buildSeismicRecord(MSTrace_s* trace)
{
    // A rate of 0 marks a log channel; no rate can place its samples in time.
    const double rate = trace->samprate;
    if (!std::isfinite(rate) || rate <= 0.0)
        return nullptr;
    const int64_t count = trace->numsamples;
    if (count < 0 || count >= INT_MAX)
        return nullptr;
    const int n = int(count);

    // Milliseconds with halves rounded upward, in integers: a double of
    // today's microseconds would blur the fraction by a few tenths of a
    // microsecond.
    const hptime_t micro = trace->starttime;
    if (std::fabs(double(micro)) > timeLimitMSecs * 1000.0)
        return nullptr;
    hptime_t start = (micro + 500) / 1000;
    if ((micro + 500) % 1000 < 0)
        --start;
    const double fraction = double(micro - start * 1000) / 1000.0;
    const double span = double(n) * (1000.0 / rate + 0.5);
    if (span > timeLimitMSecs)
        return nullptr;

    auto* series = new TimeSeries(n, rate);
    series->setStartTimeMSecs(start);
    double* out = series->samples;
    const void* data = trace->datasamples;
    if (data && n > 0) {
        switch (trace->sampletype) {
        case 'd':
            std::memcpy(out, data, size_t(n) * sizeof(double));
            break;
        case 'f': {
            const float* in = static_cast<const float*>(data);
            std::copy(in, in + n, out);
            break;
        }
        case 'i': {
            const int32_t* in = static_cast<const int32_t*>(data);
            std::copy(in, in + n, out);
            break;
        }
        default:
            break; // text and unknown types carry no sample values
        }
    }
    if (series->npts() > n && n > 0)
        out[n] = out[n - 1];

    auto* record = new SeismicRecord();
    record->setSeismicEvent(nullptr);
    record->setChannelCode(codeText(trace->channel, sizeof trace->channel));
    record->setStationCode(codeText(trace->station, sizeof trace->station));
    record->setNetworkCode(codeText(trace->network, sizeof trace->network));
    record->setLocationCode(codeText(trace->location, sizeof trace->location));
    record->setFractionMSec(fraction);
    record->addSegment(series);
    return record;
}
