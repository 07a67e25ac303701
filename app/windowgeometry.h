#ifndef WINDOWGEOMETRY_H
#define WINDOWGEOMETRY_H

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// The size and place of a new document window, worked out from the primary
// screen's available area and the number of windows alive. Kept apart from
// the window so that the rules can be checked for any screen, not only the
// one the tests happen to run on.
class WindowGeometry
{
public:
    // Screens at least this wide leave a margin around a new window; on
    // narrower ones a window takes the whole available area.
    static constexpr int wideScreenWidth = 1441;

    static QSize initialSize(const QRect& available);
    // Top-left corner of a window when liveWindows windows (itself included)
    // are open: each stands 20 pixels lower and further right.
    static QPoint cascadePosition(int liveWindows);
    // Heights of the canvas pane and the analysis pane, in that order.
    static QList<int> splitterSizes(const QRect& available);
};

#endif // WINDOWGEOMETRY_H
