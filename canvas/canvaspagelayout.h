#ifndef CANVASPAGELAYOUT_H
#define CANVASPAGELAYOUT_H

#include <QRect>
#include <QSize>

// Where a printed canvas goes on its page, in the printer's device pixels.
// The paper rectangle is the whole sheet, the page rectangle its printable
// part; a painter on the printer has its origin at the page rectangle's
// top-left corner, so results are given in those coordinates.
class CanvasPageLayout
{
public:
    CanvasPageLayout(const QRect& paperRect, const QRect& pageRect, int dpi);

    // Half an inch, or the widest unprintable margin when that is wider, so
    // that the page keeps even margins on every printer.
    int margin() const { return margin_; }

    // The framed plot: the room left after the margins, the label room at
    // the left and four text lines above and below, narrowed to the canvas's
    // aspect ratio and centred in that room. Empty when nothing fits.
    QRect plotRect(int labelRoom, int lineHeight, const QSize& canvasSize) const;

    // Horizontal centre of the page title, between the two side margins.
    int titleCentre() const;

private:
    QRect paperRect_;
    QRect pageRect_;
    int margin_;
};

#endif // CANVASPAGELAYOUT_H
