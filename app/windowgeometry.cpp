#include "app/windowgeometry.h"

QSize WindowGeometry::initialSize(const QRect& available)
{
    if (available.width() >= wideScreenWidth)
        return QSize(int(available.width() * 0.85), int(available.height() * 0.85));
    return available.size();
}

QPoint WindowGeometry::cascadePosition(int liveWindows)
{
    const int offset = 20 * liveWindows + 10;
    return QPoint(offset, offset);
}

QList<int> WindowGeometry::splitterSizes(const QRect& available)
{
    return { int(available.height() * 0.75), int(available.height() * 0.1) };
}
