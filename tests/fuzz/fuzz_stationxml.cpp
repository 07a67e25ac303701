// StationXML replies of the station service, at all three levels.
#include "model/channel.h"
#include "model/network.h"
#include "model/station.h"
#include "services/fdsnwsstationinterface.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {

template <typename T>
void readAndFree(QList<T*>* (*reader)(QIODevice*), const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QList<T*>* list = reader(&buffer);
    if (!list)
        __builtin_trap(); // a reply always gives a list
    qDeleteAll(*list);
    delete list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    readAndFree(&FDSNWSStationInterface::readNetworkLevel, bytes);
    readAndFree(&FDSNWSStationInterface::readStationLevel, bytes);
    readAndFree(&FDSNWSStationInterface::readChannelLevel, bytes);
    return 0;
}
