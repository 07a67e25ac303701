// Any bytes as a SAC file: null or a record, never a crash, leak or huge
// allocation.
#include "formats/sacrecord.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include <QByteArray>
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
    } scratch{QDir::temp().filePath(QStringLiteral("fuzz_sacfile_%1.sac").arg(QCoreApplication::applicationPid()))};
    const QString& path = scratch.path;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    SacRecord sac;
    if (SeismicRecord* record = sac.readBinaryFile(path)) {
        delete record->seismicEvent();
        delete record;
    }
    return 0;
}
