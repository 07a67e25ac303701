// Any bytes as a SAC web reply; the first byte picks the byte order.
#include "formats/sacrecord.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), int(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream stream(&buffer);
    stream.setByteOrder((data[0] & 1) ? QDataStream::LittleEndian : QDataStream::BigEndian);
    SacRecord sac;
    if (SeismicRecord* record = sac.readBinaryStream(&stream)) {
        delete record->seismicEvent();
        delete record;
    }
    return 0;
}
