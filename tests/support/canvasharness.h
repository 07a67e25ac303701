#ifndef CANVASHARNESS_H
#define CANVASHARNESS_H

#include "canvas/quakeslate.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class AnalysisTextEdit;
class SeismicEvent;
class SeismicRecord;
class SeismicScrollArea;

// Records for canvas tests: one segment of npts samples at rate, starting at
// startMSecs, each sample from shape (a sine burst with a slow drift when
// none is given, so traces look like seismograms in screenshots).
SeismicRecord* makeCanvasRecord(const QString& network, const QString& station,
                                const QString& location, const QString& channel,
                                long long startMSecs, int npts, double rate,
                                const std::function<double(int)>& shape = {});

// What the document window hears from the canvas, in order.
class CanvasSignalLog : public QObject
{
    Q_OBJECT

public:
    explicit CanvasSignalLog(Quakeslate* canvas);

    QList<int> contentCounts;
    QList<int> selectionCounts;
    QList<CanvasLayout> layouts;
    QList<CanvasTime> times;
    int timeScaleChanges = 0;
    int recordSectionScaleChanges = 0;
};

// Stands in for the document window: a canvas in its scroll area above a
// real analysis pane, shown offscreen, the canvas sized to the viewport as
// the window does at start-up. Owns the records handed to the canvas.
class CanvasHarness
{
public:
    explicit CanvasHarness(QSize windowSize = QSize(1000, 700), int canvasNumber = 1);
    ~CanvasHarness();
    CanvasHarness(const CanvasHarness&) = delete;
    CanvasHarness& operator=(const CanvasHarness&) = delete;

    SeismicRecord* add(SeismicRecord* record);
    QString paneText() const;

    QWidget window;
    Quakeslate* canvas = nullptr;
    SeismicScrollArea* scrollArea = nullptr;
    AnalysisTextEdit* pane = nullptr;
    CanvasSignalLog* log = nullptr;
    QList<SeismicRecord*> records;
    QList<SeismicEvent*> events;
};

// Acts on the next modal dialog as soon as it is up (polled every 10 ms, for
// at most 5 s); returns at once. The action must close the dialog. The flag
// turns true when the action ran.
std::shared_ptr<bool> whenModalAppears(const std::function<void(QWidget*)>& action);
// Ends every watch still waiting, so that none answers a later question.
void stopModalWatchers();

// Answers a message box with the given standard button.
std::shared_ptr<bool> answerMessageBox(int standardButton);

// Answers a warning dialog: ticks "Don't show this warning again" when asked,
// then OK (accept) or Cancel.
std::shared_ptr<bool> answerWarningDialog(bool tickDontShowAgain, bool ok);

#endif // CANVASHARNESS_H
