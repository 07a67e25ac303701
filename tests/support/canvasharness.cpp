#include "support/canvasharness.h"

#include "app/analysistextedit.h"
#include "canvas/seismicscrollarea.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

SeismicRecord* makeCanvasRecord(const QString& network, const QString& station,
                                const QString& location, const QString& channel,
                                long long startMSecs, int npts, double rate,
                                const std::function<double(int)>& shape)
{
    auto* record = new SeismicRecord;
    record->setNetworkCode(network);
    record->setStationCode(station);
    record->setLocationCode(location);
    record->setChannelCode(channel);
    auto* segment = new TimeSeries(npts, rate);
    segment->setStartTimeMSecs(startMSecs);
    for (int k = 0; k < segment->npts(); ++k) {
        if (shape) {
            segment->samples[k] = shape(k);
        } else {
            const double t = double(k) / rate;
            const double burst = t > 20.0 ? std::exp(-(t - 20.0) / 15.0) : 0.02;
            segment->samples[k] = 1000.0 * burst * std::sin(2.0 * 3.141592653589793 * 0.7 * t)
                                  + 30.0 * std::sin(0.05 * t);
        }
    }
    record->addSegment(segment);
    return record;
}

CanvasSignalLog::CanvasSignalLog(Quakeslate* canvas) : QObject(canvas)
{
    connect(canvas, &Quakeslate::contentChanged, this, [this](int n) { contentCounts << n; });
    connect(canvas, &Quakeslate::selectionChanged, this, [this](int n) { selectionCounts << n; });
    connect(canvas, &Quakeslate::canvasLayoutChanged, this,
            [this](CanvasLayout l) { layouts << l; });
    connect(canvas, &Quakeslate::canvasTimeChanged, this, [this](CanvasTime t) { times << t; });
    connect(canvas, &Quakeslate::timeScaleChanged, this, [this] { ++timeScaleChanges; });
    connect(canvas, &Quakeslate::recordSectionScaleChanged, this,
            [this] { ++recordSectionScaleChanges; });
}

CanvasHarness::CanvasHarness(QSize windowSize, int canvasNumber)
{
    canvas = new Quakeslate(canvasNumber, &window);
    log = new CanvasSignalLog(canvas);
    scrollArea = new SeismicScrollArea(&window, canvas);
    pane = new AnalysisTextEdit(&window);
    canvas->setScrollArea(scrollArea);
    canvas->setTextEdit(pane);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea, 4);
    layout->addWidget(pane, 1);
    window.resize(windowSize);
    window.show();
    QApplication::processEvents();
    canvas->resize(scrollArea->maximumViewportSize());
    QApplication::processEvents();
}

CanvasHarness::~CanvasHarness()
{
    // The canvas's traces refer to the records: the window goes first.
    delete canvas;
    canvas = nullptr;
    qDeleteAll(records);
    qDeleteAll(events);
}

SeismicRecord* CanvasHarness::add(SeismicRecord* record)
{
    records << record;
    canvas->addTrace(record);
    return record;
}

QString CanvasHarness::paneText() const
{
    return pane->toPlainText();
}

namespace {
QList<QPointer<QTimer>> watchers;
}

std::shared_ptr<bool> whenModalAppears(const std::function<void(QWidget*)>& action)
{
    auto fired = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    watchers << timer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, action, fired] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal) {
            timer->stop();
            timer->deleteLater();
            *fired = true;
            action(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
    return fired;
}

void stopModalWatchers()
{
    for (const QPointer<QTimer>& timer : qAsConst(watchers))
        delete timer.data();
    watchers.clear();
}

std::shared_ptr<bool> answerMessageBox(int standardButton)
{
    return whenModalAppears([standardButton](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->button(QMessageBox::StandardButton(standardButton)))
            box->button(QMessageBox::StandardButton(standardButton))->click();
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    });
}

std::shared_ptr<bool> answerWarningDialog(bool tickDontShowAgain, bool ok)
{
    return whenModalAppears([tickDontShowAgain, ok](QWidget* w) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog)
            return;
        if (auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("dontShowAgainCheckBox")))
            box->setChecked(tickDontShowAgain);
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });
}
