// Any bytes as a miniSEED file. libmseed 2 reads files by path only, so the
// input goes to one scratch file that is rewritten for every run.
#include "formats/miniseedrecord.h"
#include "model/seismicrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz_miniseed_%1.mseed").arg(QCoreApplication::applicationPid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    MiniSEEDRecord reader;
    if (QList<SeismicRecord*>* records = reader.readFile(path)) {
        qDeleteAll(*records);
        delete records;
    }
    return 0;
}
