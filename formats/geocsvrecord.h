#ifndef GEOCSVRECORD_H
#define GEOCSVRECORD_H

#include <QString>

class SeismicRecord;
class Trace;

// Reads and writes one seismogram as a GeoCSV 2.0 text file: "#" header
// lines of key and value, one column-heading line, one line per sample.
class GeoCSVRecord
{
public:
    GeoCSVRecord() = default;
    // Leaves the record read alone: it belongs to the caller.
    ~GeoCSVRecord() = default;
    GeoCSVRecord(const GeoCSVRecord&) = delete;
    GeoCSVRecord& operator=(const GeoCSVRecord&) = delete;

    // A new record (the caller owns it), or null when the file cannot be
    // read or lacks what places its samples: four SID codes, a sample count
    // the file could hold, a positive rate and a valid start time.
    SeismicRecord* readFile(const QString& path);

    // Writes the trace's current samples; replaces the file. Writes nothing
    // when the file cannot be opened.
    void writeTrace(Trace* trace, const QString& path);

private:
    SeismicRecord* record_ = nullptr;
};

#endif // GEOCSVRECORD_H
