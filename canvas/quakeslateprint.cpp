// Printing: the whole canvas laid out on one printer page or PDF file.
#include "canvas/quakeslate.h"

#include "canvas/canvaspagelayout.h"
#include "canvas/trace.h"
#include "model/traveltimecurve.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <qcustomplot.h>

#include <cmath>

namespace {

constexpr double kmPerDegree = 6371.0 * 3.14159265358979323846 / 180.0;

// Rounded to the nearest page pixel; broken or absurd canvas state lands far
// off the page instead of overflowing an int.
int roundedPixel(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(std::round(qBound(-1.0e9, v, 1.0e9)));
}

// The plotting library's date ticker places ticks well but names them by way
// of local time, which goes wrong wherever the zone's offset history does
// not match (in Asia/Kathmandu, before 1986, -10 minutes came out as
// 0:05:00). The labels are read straight from the UTC clock instead.
class UtcTimeTicker : public QCPAxisTickerDateTime
{
protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar, int) override
    {
        const double msecs = std::round(tick * 1000.0);
        if (!std::isfinite(msecs) || std::fabs(msecs) > 8.0e15)
            return QString();
        return locale.toString(QDateTime::fromMSecsSinceEpoch(qint64(msecs), Qt::UTC),
                               dateTimeFormat());
    }
};

} // namespace

// What every part of a printed page needs to know: where the plot is and
// how canvas time and canvas pixels map onto it.
struct Quakeslate::PrintedPage
{
    int dpi;
    QRect plot;
    int fh;            // line height of the base font
    int wList;         // room of a trace label
    int wKm;           // room of a distance label in km
    int wOther;        // room of any other record-section label
    double xScale;     // page pixels per millisecond
    double s;          // page pixels per canvas pixel
    int tickLength;
    double thinWidth;
    double tickWidth;

    QPen thinPen(const QColor& color, Qt::PenStyle style = Qt::SolidLine) const
    {
        QPen pen(color);
        pen.setWidthF(thinWidth);
        pen.setStyle(style);
        return pen;
    }
    QPen tickPen() const
    {
        QPen pen(Qt::black);
        pen.setWidthF(tickWidth);
        return pen;
    }
};

void Quakeslate::printCanvas(QPrinter* printer)
{
    // A time axis without length has no scale to print at (this also covers
    // the empty canvas, whose span is inverted).
    const long long spanMSecs = timeSpan_.lengthMSecs();
    if (!printer || spanMSecs <= 0 || width() <= 0 || height() <= 0)
        return;
    // Only a name ending in ".pdf" switches the toolkit to PDF by itself: a
    // printer that writes to a file always writes PDF here.
    if (!printer->outputFileName().isEmpty() && printer->outputFormat() != QPrinter::PdfFormat)
        printer->setOutputFormat(QPrinter::PdfFormat);

    QPainter painter;
    if (!painter.begin(printer))
        return;
    const int dpi = printer->resolution();
    if (dpi <= 0) {
        painter.end();
        return;
    }

    painter.setFont(QFont(QStringLiteral("Helvetica"), 9));
    const QFontMetrics metrics = painter.fontMetrics();
    PrintedPage page;
    page.dpi = dpi;
    page.fh = metrics.height();
    page.wList = metrics.horizontalAdvance(QStringLiteral("WW:WWWW:00:BBB"));
    page.wKm = metrics.horizontalAdvance(QStringLiteral("99999 km"));
    page.wOther = metrics.horizontalAdvance(QStringLiteral("9999"));

    int labelRoom = page.wList;
    if (canvasLayout_ == RecordSection)
        labelRoom = recordSectionVariable_ == KmDistanceVariable ? page.wKm : page.wOther;
    labelRoom += 2 * page.fh;

    const QPageLayout pageLayout = printer->pageLayout();
    const CanvasPageLayout layout(pageLayout.fullRectPixels(dpi),
                                  pageLayout.paintRectPixels(dpi), dpi);
    page.plot = layout.plotRect(labelRoom, page.fh, size());
    if (page.plot.isEmpty()) {
        painter.end();
        return;
    }
    page.xScale = double(page.plot.width()) / double(spanMSecs);
    page.s = double(page.plot.height()) / double(height());
    page.tickLength = dpi / 10;
    page.thinWidth = dpi * 0.5 / 72.0;
    page.tickWidth = dpi * 0.75 / 72.0;

    printTimeAxis(painter, page);
    printPredictedArrivals(painter, page);
    if (canvasLayout_ == RecordSection) {
        printRecordSectionAxis(painter, page);
        printTraces(painter, page, false);
        static const char* const titles[] = {"Angular Distance", "Great Circle Distance",
                                             "Azimuth to Station", "Back Azimuth to Epicenter"};
        const int variable = qBound(0, int(recordSectionVariable_), 3);
        printVerticalTitle(painter, page, QString::fromLatin1(titles[variable]),
                           recordSectionVariable_ == KmDistanceVariable ? page.wKm
                                                                        : page.wOther);
    } else {
        printTraces(painter, page, true);
        printVerticalTitle(painter, page, QStringLiteral("Network:Station:Location:Channel"),
                           page.wList);
    }
    printTitles(painter, page, layout.titleCentre());

    painter.setPen(page.tickPen());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(page.plot.left(), page.plot.top()),
                            QPointF(page.plot.right(), page.plot.bottom())));
    painter.end();
}

void Quakeslate::printTimeAxis(QPainter& painter, const PrintedPage& page) const
{
    const QRect& plot = page.plot;
    const double start = double(timeSpan_.startTimeMSecs());
    auto xOf = [&](double seconds) {
        return roundedPixel((seconds * 1000.0 - start) * page.xScale) + plot.left();
    };

    UtcTimeTicker ticker;
    ticker.setDateTimeSpec(Qt::UTC);
    ticker.setDateTimeFormat(QStringLiteral("h:mm:ss"));
    ticker.setTickCount(plot.width() / page.dpi + 1);
    QVector<double> ticks;
    QVector<double> subTicks;
    QVector<QString> labels;
    ticker.generate(QCPRange(start / 1000.0, double(timeSpan_.endTimeMSecs()) / 1000.0),
                    QLocale::system(), QLatin1Char('b'), 6, ticks, &subTicks, &labels);

    const QFontMetrics metrics = painter.fontMetrics();
    for (int i = 0; i < ticks.size() && i < labels.size(); ++i) {
        const int x = xOf(ticks.at(i));
        painter.setPen(page.thinPen(QColor(QStringLiteral("lightgray"))));
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(page.tickPen());
        painter.drawLine(x, plot.top(), x, plot.top() + page.tickLength);
        painter.drawLine(x, plot.bottom(), x, plot.bottom() - page.tickLength);
        const int w = metrics.horizontalAdvance(labels.at(i));
        painter.drawText(QRect(x - w / 2, plot.top() - page.fh - 15, w, page.fh),
                         Qt::AlignHCenter | Qt::AlignBottom, labels.at(i));
        painter.drawText(QRect(x - w / 2, plot.bottom() + 20, w, page.fh),
                         Qt::AlignHCenter | Qt::AlignTop, labels.at(i));
    }
    painter.setPen(page.thinPen(QColor(QStringLiteral("lightgray")), Qt::DotLine));
    for (double t : qAsConst(subTicks)) {
        const int x = xOf(t);
        painter.drawLine(x, plot.top(), x, plot.bottom());
    }
    painter.setPen(page.thinPen(Qt::black));
}

void Quakeslate::printPredictedArrivals(QPainter& painter, const PrintedPage& page) const
{
    long long originTime = 0;
    if (!predictedCurvesDrawn() || !curveOriginTime(&originTime))
        return;
    const QRect& plot = page.plot;
    const double u = sectionPixelsPerUnit_;
    double scale = page.s * u;
    if (recordSectionVariable_ == KmDistanceVariable)
        scale *= kmPerDegree;
    if (!verticalAxisFlipped_)
        scale = -scale;
    const double originY =
        plot.top()
        + (verticalAxisFlipped_ ? sectionOffset_ - u * sectionMinimum_
                                : sectionOffset_ + u * sectionMaximum_)
              * page.s;
    const double originX =
        plot.left()
        + roundedPixel(double(originTime - timeSpan_.startTimeMSecs()) * page.xScale);
    if (!std::isfinite(scale) || !std::isfinite(originY))
        return;

    painter.save();
    painter.setClipRect(plot, Qt::ReplaceClip);
    painter.translate(originX, originY);
    for (const TravelTimeCurve* curve : qAsConst(travelTimeCurves_)) {
        if (predictedPhases_.contains(curve->phaseName()))
            curve->paintCurve(&painter, page.xScale, scale, 2.0, showAllArrivals_);
    }
    painter.restore();
}

void Quakeslate::printRecordSectionAxis(QPainter& painter, const PrintedPage& page) const
{
    const double u = sectionPixelsPerUnit_;
    // Before the first record-section layout the range is still the empty
    // one the canvas starts with.
    if (!(sectionMaximum_ > sectionMinimum_) || !std::isfinite(sectionMaximum_)
        || !std::isfinite(sectionMinimum_) || !std::isfinite(u))
        return;
    const QRect& plot = page.plot;
    const QString suffix = recordSectionVariable_ == KmDistanceVariable
                               ? QStringLiteral(" km")
                               : QString(QChar(0x00B0));
    auto yOf = [&](double v) {
        const double w = verticalAxisFlipped_ ? v - sectionMinimum_ : sectionMaximum_ - v;
        return roundedPixel((sectionOffset_ + u * w) * page.s) + plot.top();
    };

    QCPAxisTickerFixed ticker;
    ticker.setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    ticker.setTickCount(plot.height() / page.dpi + 1);
    QVector<double> ticks;
    QVector<double> subTicks;
    QVector<QString> labels;
    // Written like the screen ruler's labels, without digit grouping, so a
    // label never outgrows the room measured for "99999 km".
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    ticker.generate(QCPRange(sectionMinimum_, sectionMaximum_), locale, QLatin1Char('d'), 0,
                    ticks, &subTicks, &labels);

    const QFontMetrics metrics = painter.fontMetrics();
    for (int i = 0; i < ticks.size() && i < labels.size(); ++i) {
        const int y = yOf(ticks.at(i));
        painter.setPen(page.thinPen(QColor(QStringLiteral("lightgray"))));
        painter.drawLine(plot.left(), y, plot.right(), y);
        const QString text = labels.at(i) + suffix;
        const int w = metrics.horizontalAdvance(text);
        painter.setPen(page.tickPen());
        painter.drawLine(plot.left(), y, plot.left() + page.tickLength, y);
        painter.drawLine(plot.right(), y, plot.right() - page.tickLength, y);
        painter.drawText(QRect(plot.left() - w - page.dpi / 20, y - page.fh / 2, w, page.fh),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    painter.setPen(page.thinPen(QColor(QStringLiteral("lightgray")), Qt::DotLine));
    for (double v : qAsConst(subTicks)) {
        const int y = yOf(v);
        painter.drawLine(plot.left(), y, plot.right(), y);
    }
    painter.setPen(page.thinPen(Qt::black));
}

void Quakeslate::printTraces(QPainter& painter, const PrintedPage& page, bool withLabels) const
{
    const QRect& plot = page.plot;
    for (Trace* trace : traces_) {
        if (!trace->isVisible())
            continue;
        painter.save();
        painter.setClipRect(plot, Qt::ReplaceClip);
        painter.translate(plot.left() + trace->x() * page.s, plot.top() + trace->y() * page.s);
        const QRectF bounds = trace->printTrace(&painter, page.xScale, page.s, 1.0);
        if (picksShown_)
            trace->printPicks(&painter, page.xScale, bounds, 1.0);
        painter.restore();
        if (!withLabels)
            continue;
        const int yb = roundedPixel(plot.top() + trace->y() * page.s);
        painter.drawText(QRect(plot.left() - page.wList - page.dpi / 20, yb - page.fh / 2,
                               page.wList, page.fh),
                         Qt::AlignRight | Qt::AlignVCenter, trace->labelString());
        painter.drawLine(plot.left(), yb, plot.left() + page.tickLength, yb);
        painter.drawLine(plot.right(), yb, plot.right() - page.tickLength, yb);
    }
}

void Quakeslate::printVerticalTitle(QPainter& painter, const PrintedPage& page,
                                    const QString& title, int labelWidth) const
{
    QFont font = painter.font();
    font.setPointSize(10);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int fh10 = metrics.height();
    const int tw = metrics.horizontalAdvance(title);
    const QRect& plot = page.plot;
    painter.save();
    // Read upwards, centred on the plot's height, left of the labels.
    painter.translate(plot.left() - labelWidth - 1.5 * fh10,
                      tw / 2 + (plot.top() + plot.bottom()) / 2);
    painter.rotate(-90.0);
    painter.drawText(QRect(0, 0, tw, fh10), Qt::AlignHCenter | Qt::AlignTop, title);
    painter.restore();
}

void Quakeslate::printTitles(QPainter& painter, const PrintedPage& page, int titleCentre) const
{
    const QRect& plot = page.plot;
    QString timeTitle;
    if (canvasTime_ == RelativeTime) {
        timeTitle = QStringLiteral("Relative Time (hh:mm:ss)");
    } else {
        timeTitle = QStringLiteral("Coordinated Universal Time (hh:mm:ss) starting ")
                    + QDateTime::fromMSecsSinceEpoch(timeSpan_.startTimeMSecs(), Qt::UTC)
                          .date()
                          .toString(QStringLiteral("d MMM yyyy"));
    }
    QFont font = painter.font();
    font.setPointSize(10);
    painter.setFont(font);
    QFontMetrics metrics = painter.fontMetrics();
    const int fh10 = metrics.height();
    int tw = metrics.horizontalAdvance(timeTitle);
    painter.drawText(QRect((plot.left() + plot.right()) / 2 - tw / 2, plot.bottom() + 2 * fh10,
                           tw, fh10),
                     Qt::AlignHCenter | Qt::AlignTop, timeTitle);

    const QString pageTitle = QStringLiteral("Quakeslate #") + QString::number(canvasNumber_);
    font.setPointSize(12);
    painter.setFont(font);
    metrics = painter.fontMetrics();
    const int fh12 = metrics.height();
    tw = metrics.horizontalAdvance(pageTitle);
    painter.drawText(QRect(titleCentre - tw / 2, plot.top() - 3 * fh12, tw, fh12),
                     Qt::AlignHCenter | Qt::AlignBottom, pageTitle);
}
