// Any bytes as a GeoCSV file: null or a record, never a crash, leak or huge
// allocation.
#include "formats/geocsvrecord.h"
#include "model/seismicrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Removed again when the fuzzer exits.
    static const struct ScratchFile
    {
        QString path;
        ~ScratchFile() { QFile::remove(path); }
    } scratch{QDir::temp().filePath(QStringLiteral("fuzz_geocsv_%1.csv").arg(QCoreApplication::applicationPid()))};
    const QString& path = scratch.path;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    GeoCSVRecord reader;
    delete reader.readFile(path);
    return 0;
}
