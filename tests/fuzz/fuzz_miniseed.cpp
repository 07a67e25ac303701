// Any bytes as a miniSEED file. libmseed 2 reads files by path only, so the
// input goes to one scratch file that is rewritten for every run.
#include "formats/miniseedrecord.h"
#include "model/seismicrecord.h"

#include <libmseed.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

void quiet(char*) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The library's complaints about broken records would drown the log.
    static const bool silenced = (ms_loginit(quiet, nullptr, quiet, nullptr), true);
    (void)silenced;
    // Removed again when the fuzzer exits.
    static const struct ScratchFile
    {
        QString path;
        ~ScratchFile() { QFile::remove(path); }
    } scratch{QDir::temp().filePath(QStringLiteral("fuzz_miniseed_%1.mseed").arg(QCoreApplication::applicationPid()))};
    const QString& path = scratch.path;
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
