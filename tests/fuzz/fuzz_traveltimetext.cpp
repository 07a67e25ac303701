// Text replies of the traveltime service: curves and arrivals, then the
// curve operations the canvas runs on them, drawing included.
#include "model/phasearrival.h"
#include "model/traveltimecurve.h"
#include "services/tavowstraveltimeinterface.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TravelTimeCurve* curve = TAVOWSTraveltimeInterface::readCurve(&buffer, QStringLiteral("iasp91"));

    buffer.seek(0);
    TravelTimeCurve* other = TAVOWSTraveltimeInterface::readCurve(&buffer, QStringLiteral("iasp91"));
    curve->mergeFirstArrivals(other);
    curve->sortFirstArrivalsByArrivalTime();
    delete other;

    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(0, 63);
    curve->paintCurve(&painter, 0.01, -1.0, 1.5, true);
    curve->paintCurve(&painter, 0.01, -1.0, 1.5, false);
    painter.end();
    delete curve;

    buffer.seek(0);
    QList<PhaseArrival*>* arrivals = TAVOWSTraveltimeInterface::readArrivals(&buffer);
    qDeleteAll(*arrivals);
    delete arrivals;
    return 0;
}
