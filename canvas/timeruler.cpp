#include "canvas/timeruler.h"

#include "canvas/tickmarks.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

TimeRuler::TimeRuler(QWidget* parent) : QWidget(parent)
{
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    setFixedSize(2000, 30);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TimeRuler::setTickMarks(const TickMarks* tickMarks)
{
    tickMarks_ = tickMarks;
    tickMarksSet_ = tickMarks != nullptr;
}

void TimeRuler::setLength(int length)
{
    setFixedSize(length, height());
    update();
}

void TimeRuler::paintEvent(QPaintEvent* event)
{
    if (!tickMarksSet_)
        return;
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.setPen(QColor(100, 100, 100));
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    const QFontMetrics metrics(font);

    const int w = width();
    const int scroll = scrollBar_ ? scrollBar_->value() : 0;
    const int lowest = -(w / 3);
    const int highest = int(std::trunc(w * 1.333));
    const bool fromTop = tickDirection_ == TicksFromTop;

    for (int p : tickMarks_->majorTickMarkLocations) {
        const int x = p - scroll;
        if (x > lowest && x < highest)
            painter.drawLine(x, fromTop ? 0 : 30, x, fromTop ? 13 : 17);
    }
    for (int p : tickMarks_->minorTickMarkLocations) {
        const int x = p - scroll;
        if (x > lowest && x < highest)
            painter.drawLine(x, fromTop ? 0 : 30, x, fromTop ? 7 : 23);
    }
    const int labels = std::min(tickMarks_->labelLocations.size(), tickMarks_->labelStrings.size());
    for (int i = 0; i < labels; ++i) {
        const int x = tickMarks_->labelLocations.at(i) - scroll;
        if (x <= lowest || x >= highest)
            continue;
        const QString& text = tickMarks_->labelStrings.at(i);
        painter.drawText(x - metrics.horizontalAdvance(text) / 2, fromTop ? 27 : 15, text);
    }
}
