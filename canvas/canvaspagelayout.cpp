#include "canvas/canvaspagelayout.h"

#include <algorithm>

CanvasPageLayout::CanvasPageLayout(const QRect& paperRect, const QRect& pageRect, int dpi)
    : paperRect_(paperRect), pageRect_(pageRect)
{
    margin_ = std::max({dpi / 2, pageRect.left(), pageRect.top(),
                        paperRect.right() - pageRect.right(),
                        paperRect.bottom() - pageRect.bottom()});
}

QRect CanvasPageLayout::plotRect(int labelRoom, int lineHeight, const QSize& canvasSize) const
{
    if (canvasSize.width() <= 0 || canvasSize.height() <= 0)
        return QRect();
    int left = paperRect_.left() + margin_ + labelRoom;
    int top = paperRect_.top() + margin_ + 4 * lineHeight;
    int right = paperRect_.right() - margin_;
    int bottom = paperRect_.bottom() - margin_ - 4 * lineHeight;
    const int plotW = right - left + 1;
    const int plotH = bottom - top + 1;
    if (plotW <= 0 || plotH <= 0)
        return QRect();

    const double r = double(canvasSize.height()) / double(canvasSize.width());
    if (double(plotH) / double(plotW) > r) {
        const int newH = int(r * plotW);
        const int d = plotH - newH;
        top += d / 2;
        bottom -= d - d / 2;
    } else {
        const double w = double(plotH) / r;
        // A canvas far taller than wide leaves less than a pixel of width.
        const int newW = w < 0.5 ? 0 : int(w + 0.5);
        const int d = plotW - newW;
        left += d / 2;
        right -= d - d / 2;
    }
    if (right < left || bottom < top)
        return QRect();
    return QRect(QPoint(left - pageRect_.left(), top - pageRect_.top()),
                 QPoint(right - pageRect_.left(), bottom - pageRect_.top()));
}

int CanvasPageLayout::titleCentre() const
{
    return ((paperRect_.left() + margin_) + (paperRect_.right() - margin_)) / 2
           - pageRect_.left();
}
