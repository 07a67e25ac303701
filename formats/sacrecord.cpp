#include "formats/sacrecord.h"

#include "canvas/trace.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"
#include "model/wgs84position.h"

#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QIODevice>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr float undefinedFloat = -12345.0f;
constexpr int undefinedInt = -12345;
const char undefinedText[] = "-12345  ";

// Beyond about 31 700 years from 1970 a header time cannot be a recording;
// refusing it keeps every later millisecond sum inside 64 bits.
constexpr double timeLimitMSecs = 1.0e15;

constexpr qint64 msPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct CivilTime
{
    qint64 year;
    int dayOfYear; // 1 = 1 January
    int hour, minute, second, msec;
};

CivilTime civilFromMSecs(qint64 ms)
{
    qint64 days = ms / msPerDay;
    qint64 rest = ms % msPerDay;
    if (rest < 0) {
        rest += msPerDay;
        --days;
    }
    // Year of that day, from the inverse of daysFromCivil.
    const qint64 z = days + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const qint64 year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    CivilTime t;
    t.year = year;
    t.dayOfYear = int(days - daysFromCivil(year, 1, 1)) + 1;
    t.hour = int(rest / 3600000);
    t.minute = int(rest / 60000 % 60);
    t.second = int(rest / 1000 % 60);
    t.msec = int(rest % 1000);
    return t;
}

// Header time offsets become whole milliseconds from a single-precision
// product, halves rounded upward; the remainder is the sub-millisecond part.
// False for offsets that are not finite or lie beyond any record.
bool roundedMSecs(float seconds, qint64* ms, double* remainder = nullptr)
{
    const float x = seconds * 1000.0f;
    if (!std::isfinite(x) || std::fabs(double(x)) > timeLimitMSecs)
        return false;
    const double whole = std::floor(double(x) + 0.5);
    *ms = qint64(whole);
    if (remainder)
        *remainder = double(x) - whole;
    return true;
}

QString textValue(const char* field, int length)
{
    const char* end = static_cast<const char*>(std::memchr(field, '\0', size_t(length)));
    const int n = end ? int(end - field) : length;
    return QString::fromLatin1(field, n).trimmed();
}

// A position holding the header's values as they are: the plain setters
// would drop an undefined -12345 and leave 0, a real place on Earth.
struct HeaderPosition : WGS84Position
{
    HeaderPosition(double latitude, double longitude, double elevation)
    {
        latitude_ = latitude;
        longitude_ = longitude;
        elevation_ = elevation;
    }
};

bool isUndefinedText(const char* field)
{
    return std::memcmp(field, undefinedText, 8) == 0;
}

void setText(char* field, const QString& value)
{
    const QByteArray bytes = (value + QStringLiteral("        ")).toLatin1();
    std::memcpy(field, bytes.constData(), 8);
    field[8] = '\0';
}

template <typename... Fs>
struct Overloaded : Fs...
{
    using Fs::operator()...;
};
template <typename... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

const char* const floatNames[70] = {
    "delta",    "depmin",   "depmax",   "scale",    "odelta",   "b",        "e",
    "o",        "a",        "fmt",      "t0",       "t1",       "t2",       "t3",
    "t4",       "t5",       "t6",       "t7",       "t8",       "t9",       "f",
    "resp0",    "resp1",    "resp2",    "resp3",    "resp4",    "resp5",    "resp6",
    "resp7",    "resp8",    "resp9",    "stla",     "stlo",     "stel",     "stdp",
    "evla",     "evlo",     "evel",     "evdp",     "mag",      "user0",    "user1",
    "user2",    "user3",    "user4",    "user5",    "user6",    "user7",    "user8",
    "user9",    "dist",     "az",       "baz",      "gcarc",    "sb",       "sdelta",
    "depmen",   "cmpaz",    "cmpinc",   "xminimum", "xmaximum", "yminimum", "ymaximum",
    "unused6",  "unused7",  "unused8",  "unused9",  "unused10", "unused11", "unused12"};

const char* const intNames[40] = {
    "nzyear",   "nzjday",   "nzhour",   "nzmin",    "nzsec",    "nzmsec",   "nvhdr",
    "norid",    "nevid",    "npts",     "nsnpts",   "nwfid",    "nxsize",   "nysize",
    "unused15", "iftype",   "idep",     "iztype",   "unused16", "iinst",    "istreg",
    "ievreg",   "ievtyp",   "iqual",    "isynth",   "imagtyp",  "imagsrc",  "unused19",
    "unused20", "unused21", "unused22", "unused23", "unused24", "unused25", "unused26",
    "leven",    "lpspol",   "lovrok",   "lcalda",   "unused27"};

// Samples move through a small buffer so that no second copy of a long
// record is ever held.
constexpr int chunkSamples = 16384;

// Reads n floats in the stream's byte order into out, widened, through a
// buffer small enough to stay in cache.
bool readSamples(QDataStream* s, double* out, int n)
{
    const bool bigEndian = s->byteOrder() == QDataStream::BigEndian;
    quint32 chunk[chunkSamples];
    for (int first = 0; first < n; first += chunkSamples) {
        const int count = std::min(chunkSamples, n - first);
        if (s->readRawData(reinterpret_cast<char*>(chunk), 4 * count) != 4 * count) {
            s->setStatus(QDataStream::ReadPastEnd);
            return false;
        }
        if (bigEndian)
            qFromBigEndian<quint32>(chunk, count, chunk);
        else
            qFromLittleEndian<quint32>(chunk, count, chunk);
        const float* values = reinterpret_cast<const float*>(chunk);
        std::copy(values, values + count, out + first);
    }
    return true;
}

} // namespace

template <typename Self, typename Visitor>
void SacRecord::visitHeader(Self& self, Visitor&& visit)
{
    using FloatPtr = decltype(&self.delta_);
    const std::array<FloatPtr, 70> floats = {
        &self.delta_,    &self.depmin_,   &self.depmax_,   &self.scale_,    &self.odelta_,
        &self.b_,        &self.e_,        &self.o_,        &self.a_,        &self.fmt_,
        &self.t_[0],     &self.t_[1],     &self.t_[2],     &self.t_[3],     &self.t_[4],
        &self.t_[5],     &self.t_[6],     &self.t_[7],     &self.t_[8],     &self.t_[9],
        &self.f_,        &self.resp_[0],  &self.resp_[1],  &self.resp_[2],  &self.resp_[3],
        &self.resp_[4],  &self.resp_[5],  &self.resp_[6],  &self.resp_[7],  &self.resp_[8],
        &self.resp_[9],  &self.stla_,     &self.stlo_,     &self.stel_,     &self.stdp_,
        &self.evla_,     &self.evlo_,     &self.evel_,     &self.evdp_,     &self.mag_,
        &self.user_[0],  &self.user_[1],  &self.user_[2],  &self.user_[3],  &self.user_[4],
        &self.user_[5],  &self.user_[6],  &self.user_[7],  &self.user_[8],  &self.user_[9],
        &self.dist_,     &self.az_,       &self.baz_,      &self.gcarc_,    &self.sb_,
        &self.sdelta_,   &self.depmen_,   &self.cmpaz_,    &self.cmpinc_,   &self.xminimum_,
        &self.xmaximum_, &self.yminimum_, &self.ymaximum_, &self.unused6_,  &self.unused7_,
        &self.unused8_,  &self.unused9_,  &self.unused10_, &self.unused11_, &self.unused12_};
    for (int i = 0; i < 70; ++i)
        visit(*floats[size_t(i)], floatNames[i]);

    using IntPtr = decltype(&self.nzyear_);
    const std::array<IntPtr, 40> ints = {
        &self.nzyear_,   &self.nzjday_,   &self.nzhour_,   &self.nzmin_,    &self.nzsec_,
        &self.nzmsec_,   &self.nvhdr_,    &self.norid_,    &self.nevid_,    &self.npts_,
        &self.nsnpts_,   &self.nwfid_,    &self.nxsize_,   &self.nysize_,   &self.unused15_,
        &self.iftype_,   &self.idep_,     &self.iztype_,   &self.unused16_, &self.iinst_,
        &self.istreg_,   &self.ievreg_,   &self.ievtyp_,   &self.iqual_,    &self.isynth_,
        &self.imagtyp_,  &self.imagsrc_,  &self.unused19_, &self.unused20_, &self.unused21_,
        &self.unused22_, &self.unused23_, &self.unused24_, &self.unused25_, &self.unused26_,
        &self.leven_,    &self.lpspol_,   &self.lovrok_,   &self.lcalda_,   &self.unused27_};
    for (int i = 0; i < 40; ++i)
        visit(*ints[size_t(i)], intNames[i]);

    using TextPtr = decltype(&self.kstnm_[0]);
    const std::array<TextPtr, 23> texts = {
        self.kstnm_,  self.kevnm_,  self.khole_,  self.ko_,     self.ka_,     self.kt_[0],
        self.kt_[1],  self.kt_[2],  self.kt_[3],  self.kt_[4],  self.kt_[5],  self.kt_[6],
        self.kt_[7],  self.kt_[8],  self.kt_[9],  self.kf_,     self.kuser0_, self.kuser1_,
        self.kuser2_, self.kcmpnm_, self.knetwk_, self.kdatrd_, self.kinst_};
    for (int i = 0; i < 23; ++i)
        visit(texts[size_t(i)], i == 1 ? 16 : 8);
}

SacRecord::SacRecord()
{
    intializeHeader();
}

SacRecord::SacRecord(Trace* trace)
{
    intializeHeader();
    iftype_ = 1;
    nvhdr_ = 6;
    leven_ = 1;
    iztype_ = 9;

    const SeismicRecord* record = trace->seismicRecord();
    const qint64 start = trace->startTimeMSecs();
    const double fraction = record->fractionMSec();

    // b must stay positive: with no positive fraction the reference moves one
    // millisecond back instead.
    qint64 reference = start;
    if (fraction > 0.0) {
        b_ = float(fraction / 1000.0);
    } else {
        reference = start - 1;
        b_ = float((fraction + 1.0) / 1000.0);
    }
    const CivilTime ref = civilFromMSecs(reference);
    nzyear_ = int(ref.year);
    nzjday_ = ref.dayOfYear;
    nzhour_ = ref.hour;
    nzmin_ = ref.minute;
    nzsec_ = ref.second;
    nzmsec_ = ref.msec;
    e_ = float(double(b_) + trace->lengthSecs());

    setText(knetwk_, record->networkCode());
    setText(kstnm_, record->stationCode());
    setText(kcmpnm_, record->channelCode());
    setText(khole_, record->locationCode());
    if (!record->sensorDescription().isEmpty())
        setText(kinst_, record->sensorDescription());

    stla_ = float(record->latitude());
    stlo_ = float(record->longitude());
    stel_ = float(record->elevation());
    stdp_ = float(record->channelDepth());
    cmpaz_ = float(record->channelAzimuth());
    cmpinc_ = float(record->channelDip());

    if (SeismicEvent* event = record->seismicEvent()) {
        const Origin* origin = event->preferredOrigin();
        evla_ = float(origin->latitude());
        evlo_ = float(origin->longitude());
        evdp_ = float(origin->depthKm());
        // An event without an origin time keeps o undefined rather than an
        // offset from an arbitrary instant.
        if (origin->dateTime().isValid())
            o_ = float(double(origin->dateTime().toMSecsSinceEpoch() - reference) / 1000.0);
        mag_ = float(event->preferredMagnitude()->mag());
        az_ = float(record->azimuth());
        gcarc_ = float(record->angularDistance());
        dist_ = float(record->kmDistance());
        baz_ = float(record->backAzimuth());
        lcalda_ = 0;
    } else {
        lcalda_ = 1;
    }

    const QList<Pick*> picks = record->pickList();
    for (int i = 0; i < picks.size() && i < 10; ++i) {
        setText(kt_[i], picks[i]->phaseName());
        t_[i] = float(double(picks[i]->pickTimeMSecs() - reference) / 1000.0);
    }

    delta_ = float(trace->dt());
    npts_ = trace->npts();
    allocateSamples(npts_);
    for (int i = 0; i < npts_; ++i)
        data_[i] = float(trace->samples[i]);
}

SacRecord::~SacRecord()
{
    delete[] data_;
}

void SacRecord::allocateSamples(int n)
{
    delete[] data_;
    data_ = n > 0 ? new float[size_t(n)] : nullptr;
    dataCount_ = n > 0 ? n : 0;
}

void SacRecord::intializeHeader()
{
    visitHeader(*this, Overloaded{[](float& v, const char*) { v = undefinedFloat; },
                                  [](int& v, const char*) { v = undefinedInt; },
                                  [](char* text, int length) {
                                      std::memcpy(text, undefinedText, 8);
                                      if (length > 8)
                                          std::memset(text + 8, ' ', size_t(length - 8));
                                      text[length] = '\0';
                                  }});
    nvhdr_ = 6;
}

bool SacRecord::readBinaryHeader(QDataStream* s)
{
    s->setFloatingPointPrecision(QDataStream::SinglePrecision);
    visitHeader(*this, Overloaded{[s](float& v, const char*) { *s >> v; },
                                  [s](int& v, const char*) {
                                      qint32 word = 0;
                                      *s >> word;
                                      v = word;
                                  },
                                  [s](char* text, int length) {
                                      if (s->readRawData(text, length) != length)
                                          s->setStatus(QDataStream::ReadPastEnd);
                                      text[length] = '\0';
                                  }});
    return s->status() == QDataStream::Ok;
}

bool SacRecord::samplesAvailable(QDataStream* s) const
{
    QIODevice* device = s->device();
    if (!device || s->status() != QDataStream::Ok)
        return false;
    // TimeSeries pads odd counts by one, so the largest int is no count.
    if (npts_ < 0 || npts_ == INT_MAX)
        return false;
    return device->bytesAvailable() >= 4 * qint64(npts_);
}

bool SacRecord::readBinaryData(QDataStream* s)
{
    if (!samplesAvailable(s))
        return false;
    const qint64 bytes = 4 * qint64(npts_);
    allocateSamples(npts_);
    char* out = reinterpret_cast<char*>(data_);
    qint64 done = 0;
    while (done < bytes) {
        const int want = int(std::min<qint64>(bytes - done, qint64(1) << 30));
        const int got = s->readRawData(out + done, want);
        if (got != want) {
            allocateSamples(0);
            s->setStatus(QDataStream::ReadPastEnd);
            return false;
        }
        done += got;
    }
    if (s->byteOrder() == QDataStream::BigEndian)
        qFromBigEndian<quint32>(data_, npts_, data_);
    else
        qFromLittleEndian<quint32>(data_, npts_, data_);
    return true;
}

SeismicRecord* SacRecord::readBinaryStream(QDataStream* s)
{
    QIODevice* device = s->device();
    if (!device || s->status() != QDataStream::Ok || device->bytesAvailable() < headerBytes)
        return nullptr;
    if (!readBinaryHeader(s) || !samplesAvailable(s))
        return nullptr;
    return build(s);
}

SeismicRecord* SacRecord::readBinaryFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const qint64 size = file.size();
    auto sizeFits = [this, size] { return npts_ >= 0 && size == headerBytes + 4 * qint64(npts_); };

    QDataStream stream(&file);
    if (!readBinaryHeader(&stream))
        return nullptr;
    if (!sizeFits()) {
        if (!file.seek(0))
            return nullptr;
        stream.resetStatus();
        stream.setByteOrder(QDataStream::LittleEndian);
        if (!readBinaryHeader(&stream) || !sizeFits())
            return nullptr;
    }
    return build(&stream);
}

SeismicRecord* SacRecord::buildSeismicRecord() const
{
    return build(nullptr);
}

SeismicRecord* SacRecord::build(QDataStream* samplesFrom) const
{
    // Every rate-based computation downstream divides by the interval.
    if (!std::isfinite(delta_) || delta_ <= 0.0f)
        return nullptr;
    if (npts_ < 0 || npts_ == INT_MAX || (!samplesFrom && dataCount_ != npts_))
        return nullptr;

    // Undefined reference fields count as the epoch's: such a file places its
    // samples relative to 1970-01-01 00:00:00.
    auto field = [](int v, int undefinedAs) { return v == undefinedInt ? undefinedAs : v; };
    const qint64 days = daysFromCivil(field(nzyear_, 1970), 1, 1) + field(nzjday_, 1) - 1;
    if (std::fabs(double(days)) * double(msPerDay) > timeLimitMSecs)
        return nullptr;
    const qint64 reference = days * msPerDay + qint64(field(nzhour_, 0)) * 3600000
                             + qint64(field(nzmin_, 0)) * 60000 + qint64(field(nzsec_, 0)) * 1000
                             + qint64(field(nzmsec_, 0));

    qint64 begin = 0;
    double fraction = 0.0;
    if (!roundedMSecs(b_, &begin, &fraction))
        return nullptr;
    const qint64 start = reference + begin;
    // The series' end is start + (npts - 1) whole-millisecond intervals.
    const double span = double(npts_) * (double(delta_) * 1000.0 + 0.5);
    if (std::fabs(double(start)) > timeLimitMSecs || span > timeLimitMSecs)
        return nullptr;

    auto* series = new TimeSeries(npts_, 1.0 / double(delta_));
    series->setStartTimeMSecs(start);
    if (samplesFrom) {
        if (!readSamples(samplesFrom, series->samples, npts_)) {
            delete series;
            return nullptr;
        }
    } else {
        for (int i = 0; i < npts_; ++i)
            series->samples[i] = double(data_[i]);
    }
    if (series->npts() > npts_ && npts_ > 0)
        series->samples[npts_] = series->samples[npts_ - 1];

    auto* record = new SeismicRecord();
    record->setNetworkCode(textValue(knetwk_, 8));
    record->setStationCode(textValue(kstnm_, 8));
    record->setChannelCode(textValue(kcmpnm_, 8));
    if (!isUndefinedText(kinst_))
        record->setSensorDescription(textValue(kinst_, 8));
    record->setLocationCode(isUndefinedText(khole_) ? QStringLiteral("--") : textValue(khole_, 8));

    const HeaderPosition headerPosition{double(stla_), double(stlo_), double(stel_)};
    record->setPosition(&headerPosition);
    record->setChannelDepth(double(stdp_));
    record->setChannelAzimuth(double(cmpaz_));
    record->setChannelDip(double(cmpinc_));

    switch (idep_) {
    case 8:
        record->setSampleUnits(Acceleration);
        break;
    case 7:
        record->setSampleUnits(Velocity);
        break;
    case 6:
        record->setSampleUnits(Displacement);
        break;
    default:
        record->setSampleUnits(RawCounts);
        break;
    }

    SeismicEvent* event = nullptr;
    if (evla_ != undefinedFloat && evlo_ != undefinedFloat) {
        event = new SeismicEvent();
        Origin* origin = event->preferredOrigin();
        origin->setLatitude(double(evla_));
        origin->setLongitude(double(evlo_));
        // Depths beyond 700 cannot be kilometres: they were written in metres.
        origin->setDepthKm(evdp_ > 700.0f ? double(evdp_) / 1000.0 : double(evdp_));
        event->setEventID(nevid_ >= 1 ? QString::number(nevid_) : QString());
        qint64 originOffset = 0;
        // An unusable offset leaves the event without an origin time rather
        // than with the creation time a new event starts with.
        if (roundedMSecs(o_, &originOffset))
            origin->setDateTime(QDateTime::fromMSecsSinceEpoch(reference + originOffset, Qt::UTC));
        else
            origin->setDateTime(QDateTime());
        const QString description = textValue(kevnm_, 16);
        event->setEventDescription(description == QLatin1String("-12345")
                                       ? origin->dateTime().toString(QStringLiteral("dd MMM yyyy hh:mm:ss"))
                                       : description);
        const double magnitude = double(mag_);
        event->preferredMagnitude()->setMag(magnitude >= 0.0 && magnitude <= 9.9 ? magnitude : 0.0);
    }
    record->setSeismicEvent(event);

    if (event && lcalda_ == 0) {
        const Origin* origin = event->preferredOrigin();
        const WGS84Position& station = *record;
        if (gcarc_ != undefinedFloat)
            record->setAngularDistance(double(gcarc_));
        else if (dist_ != undefinedFloat)
            record->setAngularDistance(double(dist_) / WGS84Position::kmPerDegree);
        else
            record->setAngularDistance(origin->distanceTo(station));
        record->setAzimuth(az_ != undefinedFloat ? double(az_) : origin->azimuthTo(station));
        record->setBackAzimuth(baz_ != undefinedFloat ? double(baz_) : station.azimuthTo(*origin));
    }

    for (int n = 0; n < 10; ++n) {
        if (isUndefinedText(kt_[n]))
            continue;
        qint64 offset = 0;
        if (roundedMSecs(t_[n], &offset))
            record->newPick(new Pick(textValue(kt_[n], 8), reference + offset));
    }

    record->setFractionMSec(fraction);
    record->addSegment(series);
    return record;
}

bool SacRecord::writeBinaryFile(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QDataStream stream(&file);
    stream.setByteOrder(QDataStream::BigEndian);
    writeBinaryStream(&stream);
    const bool written = stream.status() == QDataStream::Ok;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void SacRecord::writeBinaryHeader(QDataStream* s) const
{
    s->setFloatingPointPrecision(QDataStream::SinglePrecision);
    visitHeader(*this, Overloaded{[s](const float& v, const char*) { *s << v; },
                                  [s](const int& v, const char*) { *s << qint32(v); },
                                  [s](const char* text, int length) {
                                      if (s->writeRawData(text, length) != length)
                                          s->setStatus(QDataStream::WriteFailed);
                                  }});
}

void SacRecord::writeBinaryData(QDataStream* s) const
{
    const bool bigEndian = s->byteOrder() == QDataStream::BigEndian;
    std::vector<quint32> chunk(size_t(std::min(dataCount_, chunkSamples)));
    for (int first = 0; first < dataCount_; first += chunkSamples) {
        const int n = std::min(chunkSamples, dataCount_ - first);
        if (bigEndian)
            qToBigEndian<quint32>(data_ + first, n, chunk.data());
        else
            qToLittleEndian<quint32>(data_ + first, n, chunk.data());
        if (s->writeRawData(reinterpret_cast<const char*>(chunk.data()), 4 * n) != 4 * n) {
            s->setStatus(QDataStream::WriteFailed);
            return;
        }
    }
}

void SacRecord::writeBinaryStream(QDataStream* s) const
{
    writeBinaryHeader(s);
    writeBinaryData(s);
}

void SacRecord::printHeader() const
{
    QTextStream err(stderr);
    int column = 0;
    auto print = [&err, &column](const char* name, auto value) {
        if (column > 0)
            err << ' ';
        err << name << '=' << value;
        if (++column == 5) {
            err << '\n';
            column = 0;
        }
    };
    visitHeader(*this, Overloaded{[&print](const float& v, const char* name) { print(name, v); },
                                  [&print](const int& v, const char* name) { print(name, v); },
                                  [](const char*, int) {}});
    err.flush();
}
