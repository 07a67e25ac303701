#ifndef SACRECORD_H
#define SACRECORD_H

#include <QString>

class QDataStream;
class SeismicRecord;
class Trace;

// One SAC binary header (632 bytes: 70 floats, 40 integers, 23 text fields)
// and its samples. Reading builds a new SeismicRecord that the caller owns;
// writing takes the header and samples from a displayed trace. Short-lived:
// one object per file or reply.
class SacRecord
{
public:
    SacRecord();
    explicit SacRecord(Trace* trace);
    ~SacRecord();
    SacRecord(const SacRecord&) = delete;
    SacRecord& operator=(const SacRecord&) = delete;

    static constexpr int headerBytes = 632;

    // Big-endian first, little-endian when the file size does not fit the
    // big-endian sample count. Null when the file cannot be read, its size
    // fits neither byte order, or the header is not a usable seismogram.
    SeismicRecord* readBinaryFile(const QString& path);
    SeismicRecord* readFile(const QString& path) { return readBinaryFile(path); }

    // Header and samples in the stream's byte order. Null unless the stream
    // holds the whole header and all npts samples.
    SeismicRecord* readBinaryStream(QDataStream* s);

    // False when the stream ran short.
    bool readBinaryHeader(QDataStream* s);
    // False (nothing allocated) when npts is negative or the stream does not
    // hold npts more samples.
    bool readBinaryData(QDataStream* s);

    // A new record from the header and samples held; its event, when the
    // header defines one, is new too and, like the record, the caller's. Null
    // when delta is not a positive finite interval, the samples were not read,
    // or the header's times lie beyond any representable record.
    SeismicRecord* buildSeismicRecord() const;

    // Big-endian; replaces the file. False when it cannot be opened or the
    // write fails.
    bool writeBinaryFile(const QString& path) const;
    void writeBinaryHeader(QDataStream* s) const;
    void writeBinaryData(QDataStream* s) const;
    void writeBinaryStream(QDataStream* s) const;

    // The 110 numeric fields, five to a line, on standard error.
    void printHeader() const;

    void intializeHeader();

    int npts() const { return npts_; }
    float delta() const { return delta_; }

private:
    // Calls visit(float&, name), visit(int&, name) and visit(char*, length)
    // for every header field in file order (text fields 8 bytes, kevnm 16).
    template <typename Self, typename Visitor>
    static void visitHeader(Self& self, Visitor&& visit);
    void allocateSamples(int n);
    bool samplesAvailable(QDataStream* s) const;
    // With samplesFrom, the npts samples are read from that stream straight
    // into the new series, a chunk at a time; otherwise they come from the
    // buffer held.
    SeismicRecord* build(QDataStream* samplesFrom) const;

    // Header words 0-69.
    float delta_, depmin_, depmax_, scale_, odelta_;
    float b_, e_, o_, a_, fmt_;
    float t_[10];
    float f_;
    float resp_[10];
    float stla_, stlo_, stel_, stdp_;
    float evla_, evlo_, evel_, evdp_, mag_;
    float user_[10];
    float dist_, az_, baz_, gcarc_;
    float sb_, sdelta_, depmen_;
    float cmpaz_, cmpinc_;
    float xminimum_, xmaximum_, yminimum_, ymaximum_;
    float unused6_, unused7_, unused8_, unused9_, unused10_, unused11_, unused12_;
    // Header words 70-109.
    int nzyear_, nzjday_, nzhour_, nzmin_, nzsec_, nzmsec_;
    int nvhdr_, norid_, nevid_, npts_;
    int nsnpts_, nwfid_, nxsize_, nysize_, unused15_;
    int iftype_, idep_, iztype_, unused16_;
    int iinst_, istreg_, ievreg_, ievtyp_, iqual_, isynth_, imagtyp_, imagsrc_;
    int unused19_, unused20_, unused21_, unused22_, unused23_, unused24_, unused25_, unused26_;
    int leven_, lpspol_, lovrok_, lcalda_, unused27_;
    // Text fields, NUL-terminated in memory, blank-padded in the file.
    char kstnm_[9];
    char kevnm_[17];
    char khole_[9];
    char ko_[9];
    char ka_[9];
    char kt_[10][9];
    char kf_[9];
    char kuser0_[9];
    char kuser1_[9];
    char kuser2_[9];
    char kcmpnm_[9];
    char knetwk_[9];
    char kdatrd_[9];
    char kinst_[9];

    float* data_ = nullptr;
    int dataCount_ = 0;
};

#endif // SACRECORD_H
