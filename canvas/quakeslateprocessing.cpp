// Commands on the selected traces: gains, polarity, overlay, format, hiding,
// picks, statistics, processing and spectra.

#include "canvas/quakeslate.h"

#include "app/analysistextedit.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "dialogs/traceformatdialog.h"
#include "model/iirfilter.h"
#include "model/seismicrecord.h"
#include "model/spectrum.h"

#include <QAction>
#include <QMessageBox>

#include <algorithm>
#include <cmath>
#include <memory>

void Quakeslate::showTrueRelativeAmplitudes(bool on)
{
    showingTrueRelativeAmplitudes_ = on;
    if (on)
        equalizeAllGains();
    else
        equalizeAllAmplitudes();
    update();
}

void Quakeslate::equalizeSelectedAmplitudes()
{
    // Without traces there is no row to share out (and nothing selected).
    if (!traces_.isEmpty()) {
        const int row = (canvasHeight() - 2 * canvasMargin_) / traces_.size();
        for (Trace* trace : selectedTraces_)
            trace->setTraceHeight(row);
    }
    update();
}

void Quakeslate::scaleTraces(double factor)
{
    // One common gain must stay common.
    const QList<Trace*>& targets = showingTrueRelativeAmplitudes_ ? traces_ : selectedTraces_;
    for (Trace* trace : targets)
        trace->scaleTrace(factor);
    update();
}

void Quakeslate::scaleAllTraces(double factor)
{
    for (Trace* trace : traces_)
        trace->scaleTrace(factor);
}

void Quakeslate::resetPolarities()
{
    for (Trace* trace : traces_)
        trace->setPolarity(1);
    update();
}

void Quakeslate::invertSelectedTraces()
{
    for (Trace* trace : selectedTraces_)
        trace->invertTrace();
    update();
}

void Quakeslate::overlaySelectedTraces()
{
    if (selectedTraces_.isEmpty())
        return;
    double baseline = canvasHeight();
    for (const Trace* trace : selectedTraces_)
        baseline = std::min(baseline, trace->y());
    for (Trace* trace : selectedTraces_)
        trace->setY(baseline);
    update();
}

void Quakeslate::formatSelectedTraces()
{
    if (selectedTraces_.isEmpty())
        return;
    // The dialog is placed on the screen, so the canvas point is mapped there.
    const QPoint local(int(width() / 2.5), int(height() / 2.5));
    formatSelectedTracesAt(mapToGlobal(local));
}

void Quakeslate::formatSelectedTracesAt(QPoint position)
{
    if (selectedTraces_.isEmpty())
        return;
    std::unique_ptr<TraceFormatDialog> dialog(new TraceFormatDialog(this));
    const bool several = selectedTraces_.size() > 1;
    if (several)
        dialog->setMultipleSelection();
    dialog->placeAt(position);
    if (dialog->exec() == QDialog::Accepted) {
        const double weight = dialog->getStrokeWeight();
        if (!several || !dialog->cycleColors()) {
            const QColor color = dialog->getColor();
            for (Trace* trace : selectedTraces_) {
                trace->setColor(color);
                trace->setStrokeWeight(weight);
            }
        } else {
            // Colours cycle down the canvas, whatever the order of selection.
            int i = 0;
            for (Trace* trace : traces_) {
                if (!selectedTraces_.contains(trace))
                    continue;
                trace->setColor(dialog->getColorCycle(i++));
                trace->setStrokeWeight(weight);
            }
        }
    }
    dialog.reset();
    update();
}

void Quakeslate::hideSelectedTraces()
{
    for (Trace* trace : selectedTraces_) {
        if (trace->isVisible())
            ++hiddenTraceCount_;
        trace->hide(true);
        trace->select(false);
    }
    selectedTraces_.clear();
    deselectAllAction_->setEnabled(false);
    emit selectionChanged(0);
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
    update();
}

void Quakeslate::clearSelectedPicks()
{
    for (Trace* trace : selectedTraces_)
        trace->clearPicks();
    update();
}

void Quakeslate::showAllTraces()
{
    for (Trace* trace : traces_)
        trace->hide(false);
    hiddenTraceCount_ = 0;
    layoutTraces();
    update();
    if (scrollArea_)
        scrollArea_->updateVerticalRulers();
}

void Quakeslate::selectionMinMaxMeans()
{
    if (!textEdit_)
        return;
    for (const Trace* trace : selectedTraces_) {
        textEdit_->insertPlainText(trace->seismicRecord()->stationCode().trimmed() + QLatin1Char('\t')
                                   + QString::number(trace->selectionMin(), 'g', 6) + QLatin1Char('\t')
                                   + QString::number(trace->selectionMax(), 'g', 6) + QLatin1Char('\t')
                                   + QString::number(trace->selectionMean(), 'g', 6) + QLatin1Char('\n'));
    }
}

void Quakeslate::removeSelectionMeans()
{
    for (Trace* trace : selectedTraces_)
        trace->removeSelectionMean();
    update();
}

void Quakeslate::removeSelectionTrends()
{
    for (Trace* trace : selectedTraces_)
        trace->removeTrend();
    update();
}

void Quakeslate::trimTracesToSelections()
{
    for (Trace* trace : selectedTraces_)
        trace->trimToSelection();
    update();
}

void Quakeslate::smoothSelectedTraces(bool median, int halfwidth)
{
    for (Trace* trace : selectedTraces_) {
        // A trace shorter than the window cannot be smoothed; it is left as
        // it is rather than logged as smoothed.
        const long long window = 2LL * halfwidth + 1;
        if (halfwidth < 1 || window > trace->npts())
            continue;
        trace->smooth(median, halfwidth);
    }
    update();
}

void Quakeslate::taperSelectedTraces(TaperType type, int samples)
{
    for (Trace* trace : selectedTraces_)
        trace->taper(type, samples);
    update();
}

void Quakeslate::taperSelectedTraces(TaperType type, double percent)
{
    for (Trace* trace : selectedTraces_)
        trace->taper(type, percent);
    update();
}

void Quakeslate::integrateSelectedTraces()
{
    for (Trace* trace : selectedTraces_)
        trace->integrate();
    if (!showingTrueRelativeAmplitudes_)
        equalizeSelectedAmplitudes();
    update();
}

void Quakeslate::filterSelectedTraces(IIRFilter* filter)
{
    if (!filter)
        return;
    // The message box runs an event loop; the list walked must not change
    // under it.
    const QList<Trace*> targets = selectedTraces_;
    for (Trace* trace : targets) {
        if (trace->filter(filter))
            continue;
        QMessageBox box(QMessageBox::Warning, QString(), QStringLiteral("Filter failed for ") + trace->labelString(),
                        QMessageBox::Ok, this);
        box.setInformativeText(QStringLiteral("Corner frequency exceeded Nyquist frequency"));
        box.exec();
    }
    update();
}

void Quakeslate::revertSelectedSeismograms()
{
    if (selectedTraces_.isEmpty()) {
        update();
        return;
    }
    for (Trace* trace : selectedTraces_) {
        trace->revertToOriginal();
        expandTimeSpanToInclude(trace->alignedTimeSpan());
    }
    for (Trace* trace : traces_) {
        const double x = double(trace->alignedTimeSpan().startTimeMSecs() - timeSpan_.startTimeMSecs()) * pixelsPerMSec_;
        trace->setX(std::trunc(x));
    }
    if (!showingTrueRelativeAmplitudes_)
        equalizeSelectedAmplitudes();
    update();
}

void Quakeslate::assignEventToSelectedTraces(SeismicEvent* event)
{
    for (Trace* trace : selectedTraces_) {
        SeismicRecord* record = trace->seismicRecord();
        record->setSeismicEvent(event);
        record->calculateGeometry();
    }
}

QList<Spectrum*>* Quakeslate::selectedSpectra()
{
    auto* spectra = new QList<Spectrum*>;
    for (const Trace* trace : selectedTraces_) {
        if (Spectrum* spectrum = trace->selectedSpectrum(CosineTaper, 0.05))
            spectra->append(spectrum);
    }
    return spectra;
}

bool Quakeslate::tracesFromSingleEvent() const
{
    // Records without an event share none, and an empty canvas shows none.
    if (traces_.isEmpty())
        return false;
    const SeismicEvent* first = traces_.first()->seismicRecord()->seismicEvent();
    if (!first)
        return false;
    for (const Trace* trace : traces_) {
        if (trace->seismicRecord()->seismicEvent() != first)
            return false;
    }
    return true;
}
