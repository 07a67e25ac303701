// Pipe-separated event text replies of the event service.
#include "model/seismicevent.h"
#include "services/fdsnwseventinterface.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), int(size));
    buffer.open(QIODevice::ReadOnly);
    QList<SeismicEvent*>* events = FDSNWSEventInterface::readEvents(&buffer);
    if (!events)
        __builtin_trap(); // a reply always gives a list
    for (SeismicEvent* e : *events) {
        // Use what was read the way the event wizard does.
        (void)e->preferredOrigin()->dateTime().toString(Qt::ISODate);
        (void)(*e == *events->first());
    }
    qDeleteAll(*events);
    delete events;
    return 0;
}
