#include "canvas/verticalruler.h"

#include "canvas/tickmarks.h"
#include "canvas/trace.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

VerticalRuler::VerticalRuler(QWidget* parent) : QWidget(parent)
{
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    setFixedSize(110, 1500);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

int VerticalRuler::adjustWidth()
{
    QFont rulerFont = font();
    rulerFont.setPointSize(12);
    const int w = QFontMetrics(rulerFont).horizontalAdvance(QStringLiteral("WW:WWWW:00:WWW")) + 2;
    setFixedSize(w, height());
    return w;
}

void VerticalRuler::setHeight(int height)
{
    setFixedSize(width(), height);
    update();
}

void VerticalRuler::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRect(event->rect());
    QFont rulerFont = painter.font();
    rulerFont.setPointSize(12);
    painter.setFont(rulerFont);

    const int h = height();
    const int w = width();
    const int scroll = scrollBar_ ? scrollBar_->value() : 0;
    const int lowest = -(h / 3);
    const int highest = int(std::trunc(h * 1.333));

    if (tickMarks_) {
        for (int y : tickMarks_->majorTickMarkLocations) {
            const int yy = y - scroll;
            if (yy > lowest && yy < highest)
                painter.drawLine(w, yy, w - 30, yy);
        }
        for (int y : tickMarks_->minorTickMarkLocations) {
            const int yy = y - scroll;
            if (yy > lowest && yy < highest)
                painter.drawLine(w, yy, w - 15, yy);
        }
        if (!tickMarks_->labelLocations.isEmpty()) {
            const QFontMetrics metrics(rulerFont);
            const int lift = metrics.ascent() / 3;
            const int labels =
                std::min(tickMarks_->labelLocations.size(), tickMarks_->labelStrings.size());
            for (int i = 0; i < labels; ++i) {
                const QString& text = tickMarks_->labelStrings.at(i);
                painter.drawText(w - 32 - metrics.horizontalAdvance(text),
                                 tickMarks_->labelLocations.at(i) - scroll + lift, text);
            }
            return;
        }
    }
    paintTraceLabels(painter, lowest, highest, scroll);
}

void VerticalRuler::paintTraceLabels(QPainter& painter, int lowest, int highest, int scroll)
{
    if (!traceList_)
        return;
    QFont normal = painter.font();
    normal.setWeight(QFont::Normal);
    QFont bold = normal;
    bold.setWeight(QFont::Bold);
    const QFontMetrics normalMetrics(normal);
    const QFontMetrics boldMetrics(bold);
    const int a = normalMetrics.ascent();
    const int w = width();

    for (const Trace* trace : *traceList_) {
        if (!trace->isVisible())
            continue;
        const int y = int(std::trunc(trace->y() - scroll));
        if (y <= lowest || y >= highest)
            continue;
        if (trace->isSelected()) {
            painter.fillRect(QRect(QPoint(0, y - a), QPoint(w - 1, y + a - 1)),
                             QColor(75, 120, 159));
            painter.setPen(Qt::white);
        } else {
            painter.setPen(QColor(100, 100, 100));
        }
        // network:station:location:channel, with the station in bold
        const QStringList codes = trace->labelString().split(QLatin1Char(':'));
        const QString network = codes.value(0) + QLatin1Char(':');
        const QString station = codes.value(1);
        const QString tail = QLatin1Char(':') + codes.value(2) + QLatin1Char(':') + codes.value(3);
        const int baseline = y + a / 3;
        int x = w - 3 - normalMetrics.horizontalAdvance(tail);
        painter.setFont(normal);
        painter.drawText(x, baseline, tail);
        x -= boldMetrics.horizontalAdvance(station);
        painter.setFont(bold);
        painter.drawText(x, baseline, station);
        x -= normalMetrics.horizontalAdvance(network);
        painter.setFont(normal);
        painter.drawText(x, baseline, network);
    }
}
