// Layout, alignment, sorting and gains of the canvas.
#include "canvas/quakeslate.h"

#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "canvas/traceorder.h"
#include "dialogs/warningdialog.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>

#include <algorithm>
#include <cmath>

namespace {

using TraceOrder = bool (*)(const Trace*, const Trace*);

const QString alignmentInformativeText =
    QStringLiteral("Those traces are marked with a warning icon<br>and aligned on first data sample.");

struct VerticalSteps
{
    double minor;
    double major;
    double label;
};

VerticalSteps kilometreSteps(double u, bool thirds)
{
    if (u < 5.0)
        return {1, 5, 5};
    if (u <= 10.0)
        return {1, 5, 10};
    if (u <= 30.0)
        return thirds ? VerticalSteps{5, 10, 30} : VerticalSteps{2, 10, 20};
    if (u <= 50.0)
        return {5, 25, 50};
    if (u <= 100.0)
        return {10, 50, 100};
    if (u <= 200.0)
        return {20, 100, 200};
    if (u < 500.0)
        return {100, 500, 500};
    if (u < 1000.0)
        return {100, 500, 1000};
    if (u < 2000.0)
        return {200, 1000, 2000};
    if (u < 5000.0)
        return {500, 1000, 5000};
    return {1000, 5000, 5000};
}

VerticalSteps degreeSteps(double u, bool thirds)
{
    if (u < 1.0)
        return {0.1, 0.5, 1};
    if (u < 2.0)
        return {0.25, 1, 2};
    if (u < 5.0)
        return {1, 5, 5};
    if (u < 10.0)
        return {1, 5, 10};
    if (u < 30.0)
        return thirds ? VerticalSteps{5, 10, 30} : VerticalSteps{2, 10, 20};
    return {10, 20, 60};
}

} // namespace

TimeSpan Quakeslate::tracesTimeSpan() const
{
    if (traces_.isEmpty())
        return TimeSpan();
    TimeSpan hull = traces_.first()->alignedTimeSpan();
    for (const Trace* trace : traces_)
        hull.merge(trace->alignedTimeSpan());
    return hull;
}

void Quakeslate::sortTracesBy(SortCriterion criterion)
{
    static const TraceOrder ascending[] = {
        compareSeismogramsByOrderAddedAscending, compareSeismogramsByStationNameAscending,
        compareSeismogramsByDistanceAscending, compareSeismogramsByAzimuthAscending,
        compareSeismogramsByBackAzimuthAscending};
    static const TraceOrder descending[] = {
        compareSeismogramsByOrderAddedDescending, compareSeismogramsByStationNameDescending,
        compareSeismogramsByDistanceDescending, compareSeismogramsByAzimuthDescending,
        compareSeismogramsByBackAzimuthDescending};
    const int index = int(criterion);
    if (index < 0 || index > 4)
        return;
    // The tie rules are not transitive: a merge sort stays within the list
    // whatever the comparisons say, where an introsort may not.
    std::stable_sort(traces_.begin(), traces_.end(),
                     verticalAxisFlipped_ ? descending[index] : ascending[index]);
}

double Quakeslate::sectionValue(const Trace* trace) const
{
    const SeismicRecord* record = trace->seismicRecord();
    switch (recordSectionVariable_) {
    case AngularDistanceVariable:
        return record->angularDistance();
    case KmDistanceVariable:
        return record->kmDistance();
    case AzimuthVariable:
        return record->azimuth();
    case BackAzimuthVariable:
        return record->backAzimuth();
    }
    return 0.0;
}

void Quakeslate::layoutTraces()
{
    if (traces_.isEmpty())
        return;
    if (canvasLayout_ == SeismogramList) {
        const int rows = traces_.size() - hiddenTraceCount_;
        if (rows <= 0)
            return;
        const int rowHeight = (canvasHeight() - 2 * canvasMargin_) / rows;
        double y = canvasMargin_ + rowHeight / 2;
        for (Trace* trace : qAsConst(traces_)) {
            if (!trace->isVisible())
                continue;
            const double x =
                double(trace->alignedTimeSpan().startTimeMSecs() - timeSpan_.startTimeMSecs())
                * pixelsPerMSec_;
            trace->setPosition(x, trace->pinnedY() ? trace->y() : y);
            y += rowHeight;
        }
        return;
    }

    adjustRecordSectionRange();
    switch (recordSectionVariable_) {
    case AngularDistanceVariable:
    case KmDistanceVariable:
        sortTracesBy(ByDistance);
        break;
    case AzimuthVariable:
        sortTracesBy(ByAzimuth);
        break;
    case BackAzimuthVariable:
        sortTracesBy(ByBackAzimuth);
        break;
    }
    for (Trace* trace : qAsConst(traces_)) {
        const double v = sectionValue(trace);
        const double x =
            double(trace->alignedTimeSpan().startTimeMSecs() - timeSpan_.startTimeMSecs())
            * pixelsPerMSec_;
        const double w = verticalAxisFlipped_ ? v - sectionMinimum_ : sectionMaximum_ - v;
        trace->setPosition(x, w * sectionPixelsPerUnit_ + sectionOffset_);
    }
}

void Quakeslate::adjustRecordSectionRange()
{
    double minimum = 180.0;
    double upper = 180.0;
    if (recordSectionVariable_ == KmDistanceVariable) {
        minimum = 20040.0;
        upper = 20050.0;
    } else if (recordSectionVariable_ != AngularDistanceVariable) {
        minimum = 360.0;
        upper = 360.0;
    }
    double maximum = 0.0;
    bool found = false;
    for (const Trace* trace : qAsConst(traces_)) {
        const double v = sectionValue(trace);
        if (!(v >= 0.0))
            continue;
        found = true;
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    // Without a single usable value the range starts at zero, one step high.
    if (!found)
        minimum = maximum = 0.0;
    const double top = std::min(maximum, upper);
    const double spread = top - minimum;

    if (recordSectionVariable_ == AngularDistanceVariable
        || recordSectionVariable_ == KmDistanceVariable) {
        double step;
        if (recordSectionVariable_ == AngularDistanceVariable)
            step = spread <= 6 ? 1 : spread <= 12 ? 2 : spread <= 30 ? 5 : spread <= 60 ? 10
                 : spread <= 90 ? 15 : 30;
        else
            step = spread <= 600 ? 100 : spread <= 1200 ? 200 : spread <= 3000 ? 500
                 : spread <= 6000 ? 1000 : spread <= 12000 ? 2000 : 3000;
        sectionMinimum_ = double(int(minimum / step)) * step;
        sectionMaximum_ = double(int(top / step) + 1) * step;
    } else if (spread > 180.0) {
        sectionMinimum_ = 0.0;
        sectionMaximum_ = 360.0;
    } else {
        const double step = spread > 60.0 ? 30.0 : 10.0;
        sectionMinimum_ = std::clamp(std::floor(minimum / step) * step, 0.0, 360.0 - step);
        sectionMaximum_ = std::clamp((std::floor(top / step) + 1.0) * step, step, 360.0);
    }

    int tallest = 0;
    for (Trace* trace : qAsConst(traces_)) {
        trace->refreshPolyline();
        tallest = std::max(tallest, trace->height());
    }
    sectionPixelsPerUnit_ = double(canvasHeight() - tallest - 2 * canvasMargin_)
                            / (sectionMaximum_ - sectionMinimum_);
    sectionOffset_ = tallest / 2 + canvasMargin_;
}

void Quakeslate::buildVerticalTickMarks(TickMarks& ticks)
{
    ticks.clear();
    if (canvasLayout_ == SeismogramList)
        return;
    const double u = sectionPixelsPerUnit_ > 0.0 ? 50.0 / sectionPixelsPerUnit_ : 1.0e9;
    const int range = int(sectionMaximum_) - int(sectionMinimum_);
    const bool thirds = range % 3 == 0;
    const bool kilometres = recordSectionVariable_ == KmDistanceVariable;
    const VerticalSteps steps = kilometres ? kilometreSteps(u, thirds) : degreeSteps(u, thirds);

    auto position = [this](double v) {
        const double w = verticalAxisFlipped_ ? v - sectionMinimum_ : sectionMaximum_ - v;
        return int(std::lround(w * sectionPixelsPerUnit_ + sectionOffset_));
    };
    for (double v = sectionMinimum_; v <= sectionMaximum_; v += steps.minor)
        ticks.minorTickMarkLocations.append(position(v));
    for (double v = sectionMinimum_; v <= sectionMaximum_; v += steps.major)
        ticks.majorTickMarkLocations.append(position(v));
    for (double v = sectionMinimum_; v <= sectionMaximum_; v += steps.label) {
        ticks.labelLocations.append(position(v));
        ticks.labelStrings.append(kilometres ? QString::asprintf("%.0f km", v)
                                             : QString::asprintf("%.0f", v) + QChar(0x00B0));
    }
}

long long Quakeslate::earliestStartTime() const
{
    long long earliest = traces_.first()->startTimeMSecs();
    for (const Trace* trace : traces_)
        earliest = std::min(earliest, trace->startTimeMSecs());
    return earliest;
}

void Quakeslate::alignTraces()
{
    const QAction* action = qobject_cast<const QAction*>(sender());
    if (!action)
        return;
    const QString text = action->text();
    bool fellBack = false;
    QString warning;
    // A trace without what the alignment needs falls back to its own start
    // and carries the warning mark; time counts only when found.
    auto alignOn = [&fellBack](Trace* trace, bool found, long long time) {
        trace->setAlignmentTime(found ? time : trace->startTimeMSecs());
        trace->setWarning(!found);
        fellBack = fellBack || !found;
    };

    if (text == QLatin1String("Coordinated Universal Time (UTC)")) {
        if (!traces_.isEmpty()) {
            const long long earliest = earliestStartTime();
            for (Trace* trace : qAsConst(traces_)) {
                trace->pinX(false);
                trace->setAlignmentTime(earliest);
                trace->setWarning(false);
            }
        }
    } else if (text == QLatin1String("Event Origin Time")) {
        for (Trace* trace : qAsConst(traces_)) {
            trace->pinX(false);
            SeismicEvent* event = trace->seismicRecord()->seismicEvent();
            // An event without a valid origin time gives nothing to align on.
            const QDateTime origin =
                event ? event->preferredOrigin()->dateTime() : QDateTime();
            alignOn(trace, origin.isValid(), origin.toMSecsSinceEpoch());
        }
        warning = QStringLiteral(
            "<html><head/><body><p><b>Some traces are missing event or station information<br>"
            "needed for this alignment</span></p></body></html>");
    } else if (action->data().toString() == QLatin1String("pick")) {
        // The action reads "<phase> picks"; phase names may hold blanks.
        QString phase = text;
        if (phase.endsWith(QLatin1String(" picks")))
            phase.chop(6);
        if (phase.trimmed().isEmpty())
            return;
        for (Trace* trace : qAsConst(traces_))
            alignOn(trace, trace->hasPick(phase), trace->pickTimeMsec(phase));
        warning = QStringLiteral(
            "<html><head/><body><p><b>Some traces are missing phase picks<br>"
            "needed for this alignment</span></p></body></html>");
    } else {
        for (Trace* trace : qAsConst(traces_)) {
            trace->pinX(false);
            trace->setAlignmentTime(trace->startTimeMSecs());
            trace->setWarning(false);
        }
    }

    if (fellBack && showAlignmentWarnings_) {
        WarningDialog* dialog = new WarningDialog(this);
        dialog->setWarningLabel(warning);
        dialog->setInformativeLabel(alignmentInformativeText);
        if (dialog->exec() == QDialog::Accepted && dialog->dontShowAgain())
            showAlignmentWarnings_ = false;
        delete dialog;
    }

    adjustTimeSpanToTraces();
    layoutTraces();
    update();
}

void Quakeslate::setTime(CanvasTime time)
{
    if (time == canvasTime_ || (time != UTCTime && time != RelativeTime))
        return;
    canvasTime_ = time;
    if (time == UTCTime) {
        alignMenu_->setEnabled(false);
        contextAlignMenu_->setEnabled(false);
        for (Trace* trace : qAsConst(traces_))
            trace->setAlignmentTime(0);
    } else {
        alignMenu_->setEnabled(true);
        contextAlignMenu_->setEnabled(!traces_.isEmpty());
        if (!traces_.isEmpty()) {
            const long long earliest = earliestStartTime();
            for (Trace* trace : qAsConst(traces_))
                trace->setAlignmentTime(earliest);
        }
    }
    adjustTimeSpanToTraces();
    layoutTraces();
    update();
    setFocus(Qt::OtherFocusReason);
    emit canvasTimeChanged(time);
}

void Quakeslate::setCanvasLayout(CanvasLayout layout)
{
    if (layout != SeismogramList && layout != RecordSection)
        return;
    if (layout == canvasLayout_) {
        setFocus(Qt::OtherFocusReason);
        emit canvasLayoutChanged(layout);
        return;
    }
    canvasLayout_ = layout;
    if (layout == RecordSection) {
        for (Trace* trace : qAsConst(traces_))
            trace->pinY(false);
        recordSectionVariable_ = AngularDistanceVariable;
        sortTracesBy(ByDistance);
    } else {
        sortTracesBy(sortCriterion_);
    }
    layoutTraces();
    fitInWindow();
    update();
    buildVerticalTickMarks(verticalTickMarks_);

    const bool list = layout == SeismogramList;
    if (scrollArea_) {
        scrollArea_->showRecordSectionVariableComboBox(!list);
        scrollArea_->updateVerticalRulers();
    }
    arrangeMenu_->setEnabled(list && traces_.size() >= 2);
    contextArrangeMenu_->setEnabled(list && traces_.size() >= 2);

    if (cursorMode_ == MeasureMode)
        setCursor(list ? *measureCursor_ : *crosshairCursor_);
    setFocus(Qt::OtherFocusReason);
    emit canvasLayoutChanged(layout);
}

void Quakeslate::arrangeTraces()
{
    const QAction* action = qobject_cast<const QAction*>(sender());
    if (!action)
        return;
    const QString text = action->text();
    if (text == QLatin1String("Distance From Epicenter"))
        sortCriterion_ = ByDistance;
    else if (text == QLatin1String("Azimuth From Epicenter"))
        sortCriterion_ = ByAzimuth;
    else if (text == QLatin1String("Back Azimuth To Epicenter"))
        sortCriterion_ = ByBackAzimuth;
    else if (text == QLatin1String("Order Added"))
        sortCriterion_ = ByOrderAdded;
    else
        sortCriterion_ = ByStationName;
    for (Trace* trace : qAsConst(traces_))
        trace->pinY(false);
    sortTracesBy(sortCriterion_);
    layoutTraces();
    update();
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
}

void Quakeslate::setRecordSectionVariable(RecordSectionVariable variable)
{
    if (variable < AngularDistanceVariable || variable > BackAzimuthVariable)
        return;
    recordSectionVariable_ = variable;
    layoutTraces();
    update();
    buildVerticalTickMarks(verticalTickMarks_);
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
}

void Quakeslate::flipVerticalAxis(bool flip)
{
    if (flip == verticalAxisFlipped_)
        return;
    verticalAxisFlipped_ = flip;
    if (canvasLayout_ == RecordSection)
        buildVerticalTickMarks(verticalTickMarks_);
    else
        sortTracesBy(sortCriterion_);
    layoutTraces();
    update();
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
}

int Quakeslate::equalRowHeight() const
{
    // A row keeps at least one pixel, so every gain stays finite and positive.
    const int h = (canvasHeight() - 2 * canvasMargin_) / std::max(1, int(traces_.size()));
    return std::max(h, 1);
}

void Quakeslate::equalizeAllAmplitudes()
{
    if (traces_.isEmpty())
        return;
    const int h = equalRowHeight();
    for (Trace* trace : qAsConst(traces_))
        trace->setTraceHeight(h);
}

void Quakeslate::equalizeAllGains()
{
    if (traces_.isEmpty())
        return;
    const int h = equalRowHeight();
    double lowest = 0.0;
    double highest = 0.0;
    for (const Trace* trace : qAsConst(traces_)) {
        lowest = std::min(lowest, trace->minimum());
        highest = std::max(highest, trace->maximum());
    }
    double peak = std::max(std::fabs(lowest), highest);
    // All-zero traces draw flat whatever the gain; one unit per half row
    // keeps it finite.
    if (!(peak > 0.0) || !std::isfinite(peak))
        peak = 1.0;
    equalizeAllGains(double(h) / (2.0 * peak));
}

void Quakeslate::equalizeAllGains(double gain)
{
    for (Trace* trace : qAsConst(traces_))
        trace->changeGain(gain);
}
