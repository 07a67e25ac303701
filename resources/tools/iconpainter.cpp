// Paints the document window's tool icons into resources/images.
//
// Each icon is drawn once, in a 24 x 24 logical box, and rendered at scale 1
// and, where the window offers a sharp variant for high-density screens, at
// scale 2 as the "@2x" twin. The build uses the committed PNGs; run
// make_icons.sh only after changing a drawing here.
//
//   iconpainter <output folder> [contact-sheet.png]

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QColor ink(0x27, 0x32, 0x3f);
const QColor paper(0xff, 0xff, 0xff);
const QColor traceBlue(0x1f, 0x5f, 0xa8);
const QColor pickRed(0xc6, 0x2f, 0x2a);
const QColor arrowGreen(0x2e, 0x8b, 0x3e);
const QColor steel(0x8a, 0x96, 0xa3);
const QColor lightSteel(0xd5, 0xdb, 0xe1);
const QColor selectionFill(0x2f, 0x6d, 0xb5, 0x48);

QPen pen(const QColor& color, double width)
{
    QPen p(color, width);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

// A seismogram across box: quiet until the onset, then a sharp arrival whose
// oscillation decays, as a local earthquake record looks at a glance.
QPainterPath seismogram(const QRectF& box, double onsetFraction, double cycles, double amplitude = 1.0)
{
    QPainterPath path;
    const double mid = box.center().y();
    const double half = box.height() / 2.0 * amplitude;
    const int steps = 160;
    for (int i = 0; i <= steps; ++i) {
        const double u = double(i) / steps;
        double y = 0.0;
        if (u > onsetFraction) {
            const double t = (u - onsetFraction) / (1.0 - onsetFraction);
            const double envelope = std::min(1.0, t * 9.0) * std::exp(-3.2 * t);
            y = envelope * std::sin(2.0 * M_PI * cycles * t);
        }
        const QPointF p(box.left() + u * box.width(), mid - y * half);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    return path;
}

QPainterPath sine(const QRectF& box, double cycles)
{
    QPainterPath path;
    const int steps = 80;
    for (int i = 0; i <= steps; ++i) {
        const double u = double(i) / steps;
        const QPointF p(box.left() + u * box.width(),
                        box.center().y() - std::sin(2.0 * M_PI * cycles * u) * box.height() / 2.0);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    return path;
}

// A straight arrow from tail to tip with a filled head.
void arrow(QPainter& p, QPointF tail, QPointF tip, const QColor& color, double width = 1.6, double head = 3.6)
{
    const QLineF line(tip, tail);
    const double angle = std::atan2(-line.dy(), line.dx());
    const QPointF dir(std::cos(angle), -std::sin(angle));
    const QPointF normal(-dir.y(), dir.x());
    const QPointF base = tip + dir * head;
    p.setPen(pen(color, width));
    p.drawLine(QLineF(tail, base));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF({ tip, base + normal * head * 0.62, base - normal * head * 0.62 }));
}

// A sheet with a folded corner; the shared shape of the file icons.
QPainterPath page(const QRectF& r, double fold)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    return path;
}

void drawPage(QPainter& p, const QRectF& r, double fold)
{
    p.setPen(pen(ink, 1.0));
    p.setBrush(paper);
    p.drawPath(page(r, fold));
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(lightSteel);
    p.drawPath(corner);
}

// White capitals centred in box, drawn as a path so that the result does not
// depend on font hinting at small sizes.
void label(QPainter& p, const QRectF& box, const QString& text, const QColor& color)
{
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setBold(true);
    font.setPixelSize(100);
    font.setLetterSpacing(QFont::PercentageSpacing, 92);
    QPainterPath glyphs;
    glyphs.addText(0, 0, font, text);
    const QRectF b = glyphs.boundingRect();
    const double scale = std::min(box.width() / b.width(), box.height() / b.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-b.center().x(), -b.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(t.map(glyphs));
}

// A file icon: page, a seismogram on it and a coloured band naming the format.
void formatFile(QPainter& p, const QString& name, const QColor& band)
{
    const QRectF sheet(4.5, 1.5, 15, 21);
    drawPage(p, sheet, 4.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.1));
    p.drawPath(seismogram(QRectF(6.0, 6.5, 11.5, 6.0), 0.22, 3.5));
    const QRectF bandRect(2.5, 14.5, 19, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(bandRect, 1.2, 1.2);
    label(p, bandRect.adjusted(1.4, 1.4, -1.4, -1.4), name, paper);
}

void openIcon(QPainter& p)
{
    const QColor back(0xd9, 0xa0, 0x2c);
    const QColor front(0xf2, 0xc2, 0x4f);
    p.setPen(pen(ink, 1.0));
    p.setBrush(back);
    QPainterPath folder;
    folder.moveTo(2.5, 5.5);
    folder.lineTo(8.5, 5.5);
    folder.lineTo(10.5, 7.5);
    folder.lineTo(19.5, 7.5);
    folder.lineTo(19.5, 19.5);
    folder.lineTo(2.5, 19.5);
    folder.closeSubpath();
    p.drawPath(folder);
    p.setBrush(paper);
    p.drawRect(QRectF(5.5, 9.5, 12, 8));
    p.setPen(pen(traceBlue, 0.9));
    p.drawPath(seismogram(QRectF(6.5, 10.0, 10, 4), 0.25, 3));
    p.setPen(pen(ink, 1.0));
    p.setBrush(front);
    p.drawPolygon(QPolygonF({ { 5.5, 12.5 }, { 22.5, 12.5 }, { 19.5, 19.5 }, { 2.5, 19.5 } }));
}

void saveIcon(QPainter& p)
{
    const QColor body(0x3a, 0x5f, 0x8f);
    p.setPen(pen(ink, 1.0));
    p.setBrush(body);
    QPainterPath disk;
    disk.moveTo(3.5, 3.5);
    disk.lineTo(17.5, 3.5);
    disk.lineTo(20.5, 6.5);
    disk.lineTo(20.5, 20.5);
    disk.lineTo(3.5, 20.5);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setBrush(lightSteel);
    p.drawRect(QRectF(7.5, 3.5, 9, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRect(QRectF(13.0, 4.5, 2, 4));
    p.setPen(pen(ink, 1.0));
    p.setBrush(paper);
    p.drawRect(QRectF(6.5, 12.5, 11, 8));
    p.setPen(pen(traceBlue, 0.9));
    p.drawPath(seismogram(QRectF(7.5, 14.0, 9, 5), 0.25, 3));
}

void printIcon(QPainter& p)
{
    p.setPen(pen(ink, 1.0));
    p.setBrush(paper);
    p.drawRect(QRectF(6.5, 2.5, 11, 7));
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 2, 2);
    p.setBrush(ink);
    p.drawRect(QRectF(5.5, 14.5, 13, 1));
    p.setPen(Qt::NoPen);
    p.setBrush(arrowGreen);
    p.drawEllipse(QPointF(18.5, 11.2), 1.0, 1.0);
    p.setPen(pen(ink, 1.0));
    p.setBrush(paper);
    p.drawRect(QRectF(6.5, 15.0, 11, 7.5));
    p.setPen(pen(traceBlue, 0.9));
    p.drawPath(seismogram(QRectF(7.5, 16.3, 9, 5), 0.25, 3));
}

void exportPdfIcon(QPainter& p)
{
    formatFile(p, QStringLiteral("PDF"), pickRed);
}

void importSacIcon(QPainter& p)
{
    formatFile(p, QStringLiteral("SAC"), traceBlue);
}

void importSeedIcon(QPainter& p)
{
    formatFile(p, QStringLiteral("SEED"), QColor(0x1c, 0x7c, 0x74));
}

QPainterPath starPath(QPointF centre, double outer, double inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double a = -M_PI / 2.0 + i * M_PI / 5.0;
        const QPointF q(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(q);
        else
            path.lineTo(q);
    }
    path.closeSubpath();
    return path;
}

// An epicentre star with its wave fronts, and a download arrow into a tray.
void eventDownloadIcon(QPainter& p)
{
    const QPointF epicentre(8.5, 8.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(steel, 1.0));
    p.drawEllipse(epicentre, 7.0, 7.0);
    p.setPen(pen(lightSteel.darker(115), 1.0));
    p.drawEllipse(epicentre, 4.6, 4.6);
    p.setPen(pen(ink, 0.8));
    p.setBrush(pickRed);
    p.drawPath(starPath(epicentre, 4.2, 1.8));
    arrow(p, QPointF(18.0, 8.0), QPointF(18.0, 20.0), arrowGreen, 2.0, 4.0);
    p.setPen(pen(ink, 1.4));
    p.drawLine(QLineF(12.5, 22.0, 22.5, 22.0));
}

void cloudIcon(QPainter& p)
{
    QPainterPath left, top, right, base;
    left.addEllipse(QPointF(7.0, 12.5), 4.8, 4.3);
    top.addEllipse(QPointF(12.5, 9.0), 6.0, 6.0);
    right.addEllipse(QPointF(18.0, 12.8), 4.3, 3.9);
    base.addRoundedRect(QRectF(4.0, 12.0, 17.0, 4.7), 2.3, 2.3);
    const QPainterPath cloud = left.united(top).united(right).united(base);
    p.setPen(pen(traceBlue, 1.1));
    p.setBrush(QColor(0xd8, 0xe8, 0xf8));
    p.drawPath(cloud);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.0));
    p.drawPath(seismogram(QRectF(5.5, 8.0, 14, 6), 0.22, 3.5));
    arrow(p, QPointF(12.5, 14.5), QPointF(12.5, 22.8), arrowGreen, 2.0, 3.8);
}

void trashIcon(QPainter& p)
{
    p.setPen(pen(ink, 1.0));
    p.setBrush(lightSteel);
    p.drawRoundedRect(QRectF(9.5, 1.5, 5, 2.5), 1, 1);
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(4.5, 3.5, 15, 3), 1, 1);
    QPainterPath bin;
    bin.moveTo(6.0, 6.5);
    bin.lineTo(18.0, 6.5);
    bin.lineTo(16.8, 22.5);
    bin.lineTo(7.2, 22.5);
    bin.closeSubpath();
    p.setBrush(lightSteel);
    p.drawPath(bin);
    p.setPen(pen(steel.darker(130), 1.0));
    for (double x : { 9.5, 12.0, 14.5 })
        p.drawLine(QLineF(x, 9.0, x + (x - 12.0) * 0.12, 20.0));
}

// Three stacked seismograms: the shared picture of the selection commands.
void stackedTraces(QPainter& p, bool selected)
{
    const double rows[3] = { 4.5, 12.0, 19.5 };
    for (int i = 0; i < 3; ++i) {
        const QRectF row(1.5, rows[i] - 3.2, 21, 6.4);
        if (selected) {
            p.setPen(pen(traceBlue, 0.8));
            p.setBrush(selectionFill);
            p.drawRect(row);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(selected ? traceBlue : steel.darker(120), 1.1));
        p.drawPath(seismogram(row.adjusted(1.0, 0.4, -1.0, -0.4), 0.2 + 0.08 * i, 4.0));
    }
}

void selectAllIcon(QPainter& p)
{
    stackedTraces(p, true);
}

void selectNoneIcon(QPainter& p)
{
    stackedTraces(p, false);
}

void timeAxisIcon(QPainter& p, bool stretch)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.3));
    if (stretch)
        p.drawPath(seismogram(QRectF(1.5, 2.5, 21, 10), 0.18, 3.0));
    else
        p.drawPath(seismogram(QRectF(1.5, 2.5, 21, 10), 0.18, 8.0));
    p.setPen(pen(ink, 1.0));
    p.drawLine(QLineF(12.0, 15.0, 12.0, 22.0));
    if (stretch) {
        arrow(p, QPointF(10.0, 18.5), QPointF(1.5, 18.5), ink);
        arrow(p, QPointF(14.0, 18.5), QPointF(22.5, 18.5), ink);
    } else {
        arrow(p, QPointF(1.5, 18.5), QPointF(10.0, 18.5), ink);
        arrow(p, QPointF(22.5, 18.5), QPointF(14.0, 18.5), ink);
    }
}

void stretchTimeIcon(QPainter& p)
{
    timeAxisIcon(p, true);
}

void compressTimeIcon(QPainter& p)
{
    timeAxisIcon(p, false);
}

void amplitudeIcon(QPainter& p, bool increase)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.3));
    p.drawPath(seismogram(QRectF(1.0, 2.0, 14.5, 20), 0.15, 3.0, increase ? 1.0 : 0.35));
    p.setPen(pen(ink, 1.0));
    p.drawLine(QLineF(16.5, 12.0, 23.0, 12.0));
    if (increase) {
        arrow(p, QPointF(19.75, 10.0), QPointF(19.75, 1.5), ink);
        arrow(p, QPointF(19.75, 14.0), QPointF(19.75, 22.5), ink);
    } else {
        arrow(p, QPointF(19.75, 1.5), QPointF(19.75, 10.0), ink);
        arrow(p, QPointF(19.75, 22.5), QPointF(19.75, 14.0), ink);
    }
}

void increaseAmpIcon(QPainter& p)
{
    amplitudeIcon(p, true);
}

void decreaseAmpIcon(QPainter& p)
{
    amplitudeIcon(p, false);
}

// A funnel taking a noisy record in and letting a smooth wave out.
void filterIcon(QPainter& p)
{
    QPainterPath noisy;
    noisy.moveTo(3.0, 4.0);
    const double ys[] = { 2.0, 5.5, 1.5, 4.8, 2.6, 5.8, 1.8, 4.2, 2.4, 5.0, 3.0 };
    for (int i = 0; i < 11; ++i)
        noisy.lineTo(3.0 + (i + 1) * 1.636, ys[i] + 0.3);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(steel.darker(130), 1.0));
    p.drawPath(noisy);
    p.setPen(pen(ink, 1.0));
    p.setBrush(QColor(0x9c, 0xb8, 0xd6));
    p.drawPolygon(QPolygonF({ { 2.5, 7.5 }, { 21.5, 7.5 }, { 13.8, 14.5 }, { 13.8, 18.5 }, { 10.2, 20.5 }, { 10.2, 14.5 } }));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.3));
    p.drawPath(sine(QRectF(14.8, 16.5, 7.5, 4.5), 1.0));
}

void fitIcon(QPainter& p, bool height)
{
    p.setPen(pen(ink, 1.0));
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 1.5, 1.5);
    p.setPen(pen(traceBlue, 1.6));
    if (height) {
        p.drawLine(QLineF(6.5, 5.5, 17.5, 5.5));
        p.drawLine(QLineF(6.5, 18.5, 17.5, 18.5));
        arrow(p, QPointF(12.0, 12.0), QPointF(12.0, 6.6), ink, 1.4, 3.2);
        arrow(p, QPointF(12.0, 12.0), QPointF(12.0, 17.4), ink, 1.4, 3.2);
    } else {
        p.drawLine(QLineF(5.5, 6.5, 5.5, 17.5));
        p.drawLine(QLineF(18.5, 6.5, 18.5, 17.5));
        arrow(p, QPointF(12.0, 12.0), QPointF(6.6, 12.0), ink, 1.4, 3.2);
        arrow(p, QPointF(12.0, 12.0), QPointF(17.4, 12.0), ink, 1.4, 3.2);
    }
}

void fitHeightIcon(QPainter& p)
{
    fitIcon(p, true);
}

void fitWidthIcon(QPainter& p)
{
    fitIcon(p, false);
}

void selectIcon(QPainter& p)
{
    QPainterPath pointer;
    pointer.moveTo(6.5, 2.5);
    pointer.lineTo(6.5, 19.0);
    pointer.lineTo(10.3, 15.4);
    pointer.lineTo(13.2, 21.8);
    pointer.lineTo(15.8, 20.6);
    pointer.lineTo(12.9, 14.3);
    pointer.lineTo(18.3, 14.3);
    pointer.closeSubpath();
    p.setPen(pen(ink, 1.1));
    p.setBrush(paper);
    p.drawPath(pointer);
}

void dragIcon(QPainter& p)
{
    const QPointF c(12.0, 12.0);
    arrow(p, c, QPointF(12.0, 1.5), ink, 1.7, 4.0);
    arrow(p, c, QPointF(12.0, 22.5), ink, 1.7, 4.0);
    arrow(p, c, QPointF(1.5, 12.0), ink, 1.7, 4.0);
    arrow(p, c, QPointF(22.5, 12.0), ink, 1.7, 4.0);
}

void zoomIcon(QPainter& p)
{
    p.setPen(pen(ink, 3.2));
    p.drawLine(QLineF(14.8, 14.8, 21.0, 21.0));
    p.setPen(pen(ink, 1.5));
    p.setBrush(QColor(0xe4, 0xf0, 0xfb));
    p.drawEllipse(QPointF(9.5, 9.5), 6.8, 6.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.0));
    p.drawPath(seismogram(QRectF(4.0, 6.5, 11, 6), 0.2, 2.5));
}

// A drafting T-square: a head against the left edge and a ruled blade.
void tsquareIcon(QPainter& p)
{
    p.setPen(pen(ink, 1.0));
    p.setBrush(QColor(0xc8, 0x8e, 0x4a));
    p.drawRect(QRectF(2.5, 2.5, 4, 19));
    p.setBrush(QColor(0xf3, 0xdf, 0x9c));
    p.drawRect(QRectF(6.5, 8.5, 15, 7));
    p.setPen(pen(ink, 0.8));
    for (int i = 0; i < 7; ++i) {
        const double x = 8.5 + i * 2.0;
        p.drawLine(QLineF(x, 8.5, x, (i % 2 == 0) ? 12.0 : 10.5));
    }
}

void pickIcon(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(traceBlue, 1.3));
    p.drawPath(seismogram(QRectF(1.0, 7.0, 22, 14), 0.38, 3.5));
    p.setPen(pen(pickRed, 1.6));
    p.drawLine(QLineF(9.5, 6.0, 9.5, 22.5));
    p.setPen(Qt::NoPen);
    p.setBrush(pickRed);
    p.drawPolygon(QPolygonF({ { 9.5, 1.0 }, { 16.5, 3.2 }, { 9.5, 5.4 } }));
    p.drawRect(QRectF(8.7, 1.0, 1.6, 6.0));
}

struct Icon {
    const char* name;
    bool twin;
    std::function<void(QPainter&)> draw;
};

const std::vector<Icon>& icons()
{
    static const std::vector<Icon> list = {
        { "tool-open-24", false, openIcon },
        { "tool-save-24", true, saveIcon },
        { "tool-print-24", true, printIcon },
        { "tool-export-pdf-24", true, exportPdfIcon },
        { "tool-event-download-24", false, eventDownloadIcon },
        { "tool-TAVO-cloud-24", true, cloudIcon },
        { "tool-import-SAC-24", true, importSacIcon },
        { "tool-import-SEED-24", true, importSeedIcon },
        { "tool-select-all-24", false, selectAllIcon },
        { "tool-select-none-24", false, selectNoneIcon },
        { "tool-talltrashbin-24", true, trashIcon },
        { "tool-fit-height-24", true, fitHeightIcon },
        { "tool-fit-width-24", true, fitWidthIcon },
        { "tool-stretch-time-24", false, stretchTimeIcon },
        { "tool-compress-time-24", false, compressTimeIcon },
        { "tool-increase-amp-24", false, increaseAmpIcon },
        { "tool-decrease-amp-24", false, decreaseAmpIcon },
        { "tool-filter-24", false, filterIcon },
        { "tool-select-24", true, selectIcon },
        { "tool-drag-24", true, dragIcon },
        { "tool-zoom-24", true, zoomIcon },
        { "tool-tsquare-24", true, tsquareIcon },
        { "tool-pick-24", false, pickIcon },
    };
    return list;
}

QImage render(const Icon& icon, int scale)
{
    QImage image(24 * scale, 24 * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    icon.draw(p);
    p.end();
    return image;
}

// All icons at eight times their size, with their 1x and 2x renderings, so
// that a person can judge them side by side.
QImage contactSheet()
{
    const int cell = 24 * 8 + 24 + 48 + 40;
    const int count = int(icons().size());
    QImage sheet(cell * 4, (count + 3) / 4 * (24 * 8 + 16), QImage::Format_ARGB32);
    sheet.fill(QColor(0xee, 0xee, 0xee));
    QPainter p(&sheet);
    for (int i = 0; i < count; ++i) {
        const Icon& icon = icons()[i];
        const int x = (i % 4) * cell;
        const int y = (i / 4) * (24 * 8 + 16);
        p.fillRect(x + 4, y + 4, 24 * 8, 24 * 8, Qt::white);
        p.drawImage(QPoint(x + 4, y + 4), render(icon, 8));
        p.drawImage(QPoint(x + 24 * 8 + 12, y + 4), render(icon, 1));
        p.drawImage(QPoint(x + 24 * 8 + 12, y + 40), render(icon, 2));
        p.drawText(x + 4, y + 24 * 8 + 14, QString::fromLatin1(icon.name));
    }
    p.end();
    return sheet;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: iconpainter <output folder> [contact-sheet.png]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return 1;
    }
    for (const Icon& icon : icons()) {
        const QString base = out.filePath(QString::fromLatin1(icon.name));
        if (!render(icon, 1).save(base + QStringLiteral(".png")))
            return 1;
        if (icon.twin && !render(icon, 2).save(base + QStringLiteral("@2x.png")))
            return 1;
    }
    if (argc > 2 && !contactSheet().save(QString::fromLocal8Bit(argv[2])))
        return 1;
    return 0;
}
