#include "canvas/seismicscrollarea.h"

#include "canvas/quakeslate.h"
#include "canvas/timeruler.h"
#include "canvas/verticalruler.h"

#include <QComboBox>
#include <QDateTime>
#include <QResizeEvent>
#include <QScrollBar>

#include <cmath>

namespace {

constexpr long long second = 1000;
constexpr long long minute = 60 * second;
constexpr long long hour = 60 * minute;
constexpr long long day = 24 * hour;

// Past this many entries a list stops growing: only absurd spans (thousands
// of years on one screen) get there, and their ticks would share pixels.
constexpr int maximumTicks = 1000000;

struct TimeSteps
{
    long long minor;
    long long major;
    long long label;
};

TimeSteps stepsFor(double pixelsPerMSec)
{
    const double perSecond = 1000.0 * pixelsPerMSec;
    if (perSecond > 1.0) {
        if (perSecond > 200.0)
            return {100, 500, second};
        if (perSecond > 100.0)
            return {200, second, second};
        if (perSecond > 50.0)
            return {500, second, second};
        if (perSecond > 20.0)
            return {second, 5 * second, 5 * second};
        if (perSecond > 10.0)
            return {second, 5 * second, 10 * second};
        if (perSecond > 5.0)
            return {2 * second, 10 * second, 30 * second};
        if (perSecond > 2.0)
            return {5 * second, 15 * second, minute};
        return {10 * second, 30 * second, minute};
    }
    const double perMinute = perSecond * 60.0;
    if (perMinute > 1.0) {
        if (perMinute > 40.0)
            return {15 * second, minute, 2 * minute};
        if (perMinute > 20.0)
            return {30 * second, minute, 5 * minute};
        if (perMinute > 10.0)
            return {minute, 5 * minute, 10 * minute};
        if (perMinute > 5.0)
            return {2 * minute, 10 * minute, 10 * minute};
        if (perMinute > 2.0)
            return {5 * minute, 15 * minute, 30 * minute};
        return {10 * minute, 30 * minute, hour};
    }
    const double perHour = perSecond * 3600.0;
    if (perHour > 40.0)
        return {15 * minute, hour, 2 * hour};
    if (perHour > 20.0)
        return {30 * minute, hour, 6 * hour};
    if (perHour > 10.0)
        return {hour, 3 * hour, 12 * hour};
    return {2 * hour, 6 * hour, day};
}

QString formatFor(long long labelStep)
{
    if (labelStep > 30 * minute)
        return QStringLiteral("d'd'HH'h'");
    if (labelStep > 30 * second)
        return QStringLiteral("h'h'mm'm'");
    if (labelStep > 10 * second)
        return QStringLiteral("h'h'mm'm'ss's'");
    return QStringLiteral("mm'm'ss's'");
}

long long floorMod(long long a, long long b)
{
    const long long r = a % b;
    return r < 0 ? r + b : r;
}

void appendPositions(QVector<int>& list, long long start, long long end, long long first,
                     long long step, double pixelsPerMSec)
{
    for (long long o = first; start + o < end && list.size() < maximumTicks; o += step)
        list.append(int(std::lround(double(o) * pixelsPerMSec)));
}

} // namespace

SeismicScrollArea::SeismicScrollArea(QWidget* parent, Quakeslate* canvas)
    : QScrollArea(parent), canvas_(canvas)
{
    QPalette palette = viewport()->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(Qt::gray, Qt::SolidPattern));
    viewport()->setPalette(palette);
    setWidget(canvas);

    verticalRuler_ = new VerticalRuler(this);
    verticalRulerWidth_ = verticalRuler_->adjustWidth();
    setViewportMargins(verticalRulerWidth_, 31, 0, 31);

    upperTimeRuler_ = new TimeRuler(this);
    lowerTimeRuler_ = new TimeRuler(this);
    upperTimeRuler_->setTickDirection(TicksFromBottom);
    lowerTimeRuler_->setTickDirection(TicksFromTop);
    for (TimeRuler* ruler : {upperTimeRuler_, lowerTimeRuler_}) {
        ruler->setScrollBar(horizontalScrollBar());
        ruler->setLength(viewport()->width());
        ruler->setTickMarks(&timeTickMarks_);
    }
    upperTimeRuler_->move(verticalRulerWidth_, frameWidth());

    verticalRuler_->setScrollBar(verticalScrollBar());
    verticalRuler_->move(frameWidth(), viewport()->y());
    verticalRuler_->setHeight(viewport()->height());
    if (canvas) {
        verticalRuler_->setTickMarks(&canvas->verticalTickMarks());
        verticalRuler_->setTraceList(&canvas->traces());
    }

    recordSectionVariableComboBox_ = new QComboBox(this);
    recordSectionVariableComboBox_->setIconSize(QSize(0, 0));
    recordSectionVariableComboBox_->move(2, 6);
    recordSectionVariableComboBox_->setMaximumWidth(verticalRulerWidth_);
    recordSectionVariableComboBox_->addItems({QStringLiteral("Distance (deg)"),
                                              QStringLiteral("Distance (km)"),
                                              QStringLiteral("Azimuth"),
                                              QStringLiteral("Back Azimuth")});
    recordSectionVariableComboBox_->hide();
    connect(recordSectionVariableComboBox_, QOverload<int>::of(&QComboBox::currentIndexChanged),
            this, &SeismicScrollArea::recordSectionVariableComboBox_currentIndexChanged);
}

void SeismicScrollArea::buildTimeTickMarks(double pixelsPerMSec, TimeSpan span)
{
    timeTickMarks_.clear();
    if (!(pixelsPerMSec > 0.0) || !std::isfinite(pixelsPerMSec))
        return;
    const TimeSteps steps = stepsFor(pixelsPerMSec);
    const QString format = formatFor(steps.label);
    const long long start = span.startTimeMSecs();
    const long long end = span.endTimeMSecs();

    const long long timeOfDay = floorMod(start, day);
    const long long t0 = steps.label >= 6 * hour ? timeOfDay : floorMod(timeOfDay, hour);

    // Minor ticks start at the first major tick, so none stands before it.
    const long long firstMajor = steps.major - floorMod(t0, steps.major);
    appendPositions(timeTickMarks_.majorTickMarkLocations, start, end, firstMajor, steps.major,
                    pixelsPerMSec);
    appendPositions(timeTickMarks_.minorTickMarkLocations, start, end, firstMajor, steps.minor,
                    pixelsPerMSec);

    const long long firstLabel = steps.label - floorMod(t0, steps.label);
    for (long long o = firstLabel;
         start + o < end && timeTickMarks_.labelLocations.size() < maximumTicks; o += steps.label) {
        timeTickMarks_.labelLocations.append(int(std::lround(double(o) * pixelsPerMSec)));
        timeTickMarks_.labelStrings.append(
            QDateTime::fromMSecsSinceEpoch(start + o, Qt::UTC).toString(format));
    }
}

void SeismicScrollArea::updateTimeRulers()
{
    upperTimeRuler_->update();
    lowerTimeRuler_->update();
}

void SeismicScrollArea::updateVerticalRulers()
{
    verticalRuler_->update();
}

void SeismicScrollArea::showRecordSectionVariableComboBox(bool show)
{
    if (show)
        recordSectionVariableComboBox_->setCurrentIndex(0);
    recordSectionVariableComboBox_->setVisible(show);
}

void SeismicScrollArea::recordSectionVariableComboBox_currentIndexChanged(int index)
{
    if (canvas_ && index >= 0 && index <= BackAzimuthVariable)
        canvas_->setRecordSectionVariable(RecordSectionVariable(index));
}

void SeismicScrollArea::resizeEvent(QResizeEvent* event)
{
    const QRect view = viewport()->geometry();
    upperTimeRuler_->setLength(view.width());
    lowerTimeRuler_->move(verticalRulerWidth_, view.y() + view.height());
    lowerTimeRuler_->setLength(view.width());
    verticalRuler_->setHeight(view.height());
    upperTimeRuler_->update();
    lowerTimeRuler_->update();
    verticalRuler_->update();
    QScrollArea::resizeEvent(event);
}

void SeismicScrollArea::scrollContentsBy(int dx, int dy)
{
    upperTimeRuler_->scroll(dx, 0);
    lowerTimeRuler_->scroll(dx, 0);
    verticalRuler_->scroll(0, dy);
    QScrollArea::scrollContentsBy(dx, dy);
}
