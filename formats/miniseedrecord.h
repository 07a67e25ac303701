#ifndef MINISEEDRECORD_H
#define MINISEEDRECORD_H

#include <QList>
#include <QString>

class SeismicRecord;
struct MSTrace_s;

// Reads miniSEED files through libmseed: one new record per continuous
// trace that the library assembles. Keeps no state between files.
class MiniSEEDRecord
{
public:
    MiniSEEDRecord() = default;
    ~MiniSEEDRecord() = default;

    // A new list of new records in the library's trace order (the caller
    // owns both), or null when the library cannot read the file. Traces
    // without a usable sample rate (log channels) are left out.
    QList<SeismicRecord*>* readFile(const QString& path);

    // A new record with one segment from one trace; null when the trace has
    // no positive finite rate or does not fit a record.
    SeismicRecord* buildSeismicRecord(MSTrace_s* trace);
};

#endif // MINISEEDRECORD_H
