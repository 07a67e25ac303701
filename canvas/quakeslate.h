#ifndef QUAKESLATE_H
#define QUAKESLATE_H

#include "canvas/tickmarks.h"
#include "model/timespan.h"
#include "model/timeseries.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class AnalysisTextEdit;
class IIRFilter;
class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;
class QAction;
class QCursor;
class QMenu;
class QPainter;
class QPixmap;
class QPrinter;
class QRubberBand;
class SeismicEvent;
class SeismicRecord;
class SeismicScrollArea;
class Spectrum;
class TAVOWSTraveltimeInterface;
class Trace;
class TravelTimeCurve;

enum CanvasLayout : int { SeismogramList = 0, RecordSection = 1 };
enum CanvasTime : int { UTCTime = 0, RelativeTime = 1 };
enum CursorMode : int { SelectMode = 0, ZoomMode = 1, MeasureMode = 2, PickMode = 3, MoveMode = 4 };
enum SortCriterion : int {
    ByOrderAdded = 0,
    ByStationName = 1,
    ByDistance = 2,
    ByAzimuth = 3,
    ByBackAzimuth = 4
};
enum RecordSectionVariable : int {
    AngularDistanceVariable = 0,
    KmDistanceVariable = 1,
    AzimuthVariable = 2,
    BackAzimuthVariable = 3
};
// What the last left-button press grabbed.
enum DragTarget : int { NoTarget = 0, HandleTarget = 1, SelectionBoxTarget = 2, TraceTarget = 3 };

// The trace canvas of a document window. It owns the window's traces and all
// display state, lays the traces out as a seismogram list or a record
// section, and paints them; its scroll area draws the rulers around it.
class Quakeslate : public QWidget
{
    Q_OBJECT

public:
    Quakeslate(int canvasNumber, QWidget* parent = nullptr);
    ~Quakeslate() override;

    // The toolkit's limit on a widget's width and height: zoom and scale
    // steps that would pass it are refused.
    static constexpr int maximumExtent = 16777215;

    void setTextEdit(AnalysisTextEdit* textEdit) { textEdit_ = textEdit; }
    void setScrollArea(SeismicScrollArea* scrollArea) { scrollArea_ = scrollArea; }

    int canvasNumber() const { return canvasNumber_; }
    CanvasLayout canvasLayout() const { return canvasLayout_; }
    CanvasTime canvasTime() const { return canvasTime_; }
    CursorMode cursorMode() const { return cursorMode_; }
    QMenu* alignMenu() const { return alignMenu_; }
    QMenu* arrangeMenu() const { return arrangeMenu_; }
    int traceCount() const { return traces_.size(); }
    int selectionCount() const { return selectedTraces_.size(); }
    const QList<Trace*>& traces() const { return traces_; }
    const QList<Trace*>& selectedTraces() const { return selectedTraces_; }
    const TickMarks& verticalTickMarks() const { return verticalTickMarks_; }
    double pixelsPerMSec() const { return pixelsPerMSec_; }
    TimeSpan timeSpan() const { return timeSpan_; }
    long long timeMargin() const { return timeMargin_; }
    bool showingTrueRelativeAmplitudes() const { return showingTrueRelativeAmplitudes_; }
    QStringList pickPhaseList() const { return pickPhaseList_; }
    int hiddenTraceCount() const { return hiddenTraceCount_; }
    int drawMode() const
    {
        return (canvasLayout_ == RecordSection ? 0 : 1) + (canvasTime_ == RelativeTime ? 2 : 0);
    }
    SortCriterion sortCriterion() const { return sortCriterion_; }
    RecordSectionVariable recordSectionVariable() const { return recordSectionVariable_; }
    bool verticalAxisFlipped() const { return verticalAxisFlipped_; }
    double sectionMinimum() const { return sectionMinimum_; }
    double sectionMaximum() const { return sectionMaximum_; }
    double sectionPixelsPerUnit() const { return sectionPixelsPerUnit_; }
    double sectionOffset() const { return sectionOffset_; }

    // Trace intake and the canvas time span.
    void addTrace(SeismicRecord* record);
    void expandTimeSpanToInclude(TimeSpan span);
    void adjustTimeSpanToTraces();
    void enableContentActions();
    void enableSelectionActions();

    // Layout, order and gains.
    void sortTracesBy(SortCriterion criterion);
    void layoutTraces();
    void adjustRecordSectionRange();
    void buildVerticalTickMarks(TickMarks& ticks);
    void equalizeAllGains();
    void equalizeAllGains(double gain);
    void equalizeAllAmplitudes();
    TimeSpan tracesTimeSpan() const;

    // Size changes that keep the view on the same place. Each returns or
    // does nothing when refused (empty canvas, widget size limits).
    bool stretchCanvasToRect(int width, int height, bool uniform);
    void zoomIn(QPoint p);
    void zoomOut(QPoint p);
    void zoomIntoRect(QRect r);

    // Predicted arrivals: the phases whose travel-time curves are asked of
    // the traveltime service and drawn over record sections. Curves are only
    // asked for while all traces share one source depth.
    void setPredictedPhases(const QStringList& phases);
    QStringList predictedPhasesList() const { return predictedPhases_; }
    bool showingAllPredictedArrivals() const { return showAllArrivals_; }
    bool showingPredictedArrivals() const { return showPredictedArrivals_; }
    // The kept curves, in order of arrival (the canvas owns them).
    const QList<TravelTimeCurve*>& travelTimeCurves() const { return travelTimeCurves_; }
    const QVector<double>& travelTimeDistances() const { return travelTimeDistances_; }
    void initializeTravelTimeCurves();
    bool tracesFromSingleDepth() const;

    // Gain steps for every trace, hidden ones included; the caller repaints.
    void scaleAllTraces(double factor);
    // Whether every trace's record refers to the very same event object.
    bool tracesFromSingleEvent() const;

    static bool showAlignmentWarnings_;

public Q_SLOTS:
    void showPredictedArrivalTimes(bool show);
    void showAllPredictedArrivals(bool show);
    void addTravelTimeCurve(TravelTimeCurve* curve);
    // Lays the canvas out on one page of the printer (a PDF file when the
    // printer writes to a file); nothing for an empty time axis.
    void printCanvas(QPrinter* printer);

    void selectAll();
    void deselectAll();
    void deleteSelectedTraces();
    void selectBySeismicEvent(SeismicEvent* event);
    void fitInWindow();

    void setCanvasLayout(CanvasLayout layout);
    void setTime(CanvasTime time);
    void alignTraces();
    void arrangeTraces();
    void setRecordSectionVariable(RecordSectionVariable variable);
    void flipVerticalAxis(bool flip);

    void fitHeightInWindow();
    void fitWidthInWindow();
    void fitToContents();
    void scaleTimeAxis(double scale);
    void scaleVerticalAxis(double scale);

    void setCursorMode(CursorMode mode);
    void showPicks(bool show);

    // Commands on the selected traces, in the order they were selected.
    void showTrueRelativeAmplitudes(bool on);
    void equalizeSelectedAmplitudes();
    void scaleTraces(double factor);
    void resetPolarities();
    void invertSelectedTraces();
    void overlaySelectedTraces();
    void formatSelectedTraces();
    // The dialog opens at a screen position, as a context menu gives it.
    void formatSelectedTracesAt(QPoint position);
    void hideSelectedTraces();
    void clearSelectedPicks();
    void showAllTraces();
    void selectionMinMaxMeans();
    void removeSelectionMeans();
    void removeSelectionTrends();
    void trimTracesToSelections();
    void smoothSelectedTraces(bool median, int halfwidth);
    void taperSelectedTraces(TaperType type, int samples);
    void taperSelectedTraces(TaperType type, double percent);
    void integrateSelectedTraces();
    // The filter stays the caller's.
    void filterSelectedTraces(IIRFilter* filter);
    void revertSelectedSeismograms();
    void assignEventToSelectedTraces(SeismicEvent* event);
    // A new list of new spectra; the caller owns both.
    QList<Spectrum*>* selectedSpectra();

Q_SIGNALS:
    void selectionChanged(int selectionCount);
    void contentChanged(int traceCount);
    void canvasLayoutChanged(CanvasLayout layout);
    void canvasTimeChanged(CanvasTime time);
    void timeScaleChanged();
    void recordSectionScaleChanged();
    void showTraceInfo();
    void hideTraces();
    void showTraces();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Pointer and keyboard interaction.
    Trace* visibleTraceAt(const QPoint& point) const;
    void selectAlone(Trace* trace);
    void updateVerticalRulers();
    void pressInMoveMode(const QPoint& point);
    void pressInSelectMode(const QPoint& point);
    void pickAt(const QPoint& point);
    void writePickLine(const Trace* trace, long long time);
    void addPickAlignment(const QString& phase);
    bool hoverOverHandles(const QPoint& point);
    bool dragHandle(const QPoint& point);
    void dragBand(const QPoint& point);
    void moveDraggedTrace(const QPoint& point);
    void clickAt(const QPoint& point, Qt::MouseButton button);
    void zoomAt(const QPoint& point);
    QString measurementText() const;
    void writeMeasurement();
    void choosePickPhase(QAction* chosen);
    void selectModeMenu(const QPoint& point, const QPoint& global);

    friend class TestCanvas;
    friend class TestCanvasLayout;
    friend class TestCanvasPaint;
    friend class TestCanvasScaling;

    QString refusalFor(const SeismicRecord& record) const;
    bool hugeGapTo(const Trace& trace) const;
    bool askToChangeToRelativeTime();
    void applyTimeScaleToTraces();
    long long earliestStartTime() const;
    double sectionValue(const Trace* trace) const;
    int canvasHeight() const { return rect().bottom() + 1 - rect().top(); }
    int equalRowHeight() const;
    void rebuildRulers();
    void resetDrag();
    QCursor* makePickCursor(const QString& phase) const;
    // The dt (and slowness or velocity) text of a measurement over bandRect.
    QString measurementReadout() const;
    void paintMeasurement(QPainter& painter);
    void paintFrame(QPainter& painter);

    // Predicted arrivals and printing.
    struct PrintedPage;
    void createTraveltimeInterface();
    bool hasTravelTimeCurve(const QString& phase) const;
    bool predictedCurvesDrawn() const;
    bool curveOriginTime(long long* originTime) const;
    void paintPredictedArrivals(QPainter& painter);
    void printTimeAxis(QPainter& painter, const PrintedPage& page) const;
    void printPredictedArrivals(QPainter& painter, const PrintedPage& page) const;
    void printRecordSectionAxis(QPainter& painter, const PrintedPage& page) const;
    void printTraces(QPainter& painter, const PrintedPage& page, bool withLabels) const;
    void printVerticalTitle(QPainter& painter, const PrintedPage& page, const QString& title,
                            int labelWidth) const;
    void printTitles(QPainter& painter, const PrintedPage& page, int titleCentre) const;

    // Canvas identity and neighbours.
    int canvasNumber_;
    AnalysisTextEdit* textEdit_ = nullptr;
    SeismicScrollArea* scrollArea_ = nullptr;

    // Traces and selection.
    QList<Trace*> traces_;
    QList<Trace*> selectedTraces_;
    int nextSerialNumber_ = 1;

    // Time axis.
    TimeSpan timeSpan_{40000000000000LL, -40000000000000LL};
    long long timeMargin_ = 0;
    double pixelsPerMSec_ = 0.001;

    // Layout.
    TickMarks verticalTickMarks_;
    CanvasLayout canvasLayout_ = SeismogramList;
    CanvasTime canvasTime_ = UTCTime;
    int canvasMargin_ = 10;
    SortCriterion sortCriterion_ = ByOrderAdded;
    bool verticalAxisFlipped_ = false;
    RecordSectionVariable recordSectionVariable_ = AngularDistanceVariable;
    double sectionMaximum_ = 0.0;
    double sectionMinimum_ = 40000.0;
    double sectionPixelsPerUnit_ = 1.0;
    double sectionOffset_ = 0.0;
    int hiddenTraceCount_ = 0;
    bool showingTrueRelativeAmplitudes_ = false;

    // Pointer interaction.
    CursorMode cursorMode_ = SelectMode;
    bool picksShown_ = true;
    QString pickPhase_ = QStringLiteral("P");
    QStringList pickPhaseList_;
    bool dragging_ = false;
    bool extendSelection_ = false;
    QRect bandRect_;
    QPoint pressPoint_;
    QPoint currentPoint_;
    QPoint lastPoint_;
    DragTarget dragTarget_ = NoTarget;
    int activeHandle_ = 0;
    Trace* dragTrace_ = nullptr;

    // Predicted arrivals.
    QStringList predictedPhases_;
    TAVOWSTraveltimeInterface* traveltimeInterface_ = nullptr;
    QVector<double> travelTimeDistances_;
    bool showPredictedArrivals_ = false;
    bool showAllArrivals_ = false;
    double travelTimeDepth_ = 0.0;
    QList<TravelTimeCurve*> travelTimeCurves_;
    TravelTimeCurve* pCurve_ = nullptr;
    TravelTimeCurve* pnCurve_ = nullptr;
    TravelTimeCurve* sCurve_ = nullptr;
    TravelTimeCurve* snCurve_ = nullptr;

    // Cursors and images.
    QCursor* zoomInCursor_ = nullptr;
    QCursor* zoomOutCursor_ = nullptr;
    QCursor* measureCursor_ = nullptr;
    QCursor* crosshairCursor_ = nullptr;
    QCursor* pickCursor_ = nullptr;
    QPixmap* warningPixmap_ = nullptr;
    QPixmap* pickPixmap_ = nullptr;
    QRubberBand* rubberBand_ = nullptr;

    // Menus and actions (children of the canvas).
    QMenu* arrangeMenu_ = nullptr;
    QMenu* contextArrangeMenu_ = nullptr;
    QMenu* alignMenu_ = nullptr;
    QMenu* contextAlignMenu_ = nullptr;
    QMenu* canvasMenu_ = nullptr;
    QMenu* zoomMenu_ = nullptr;
    QMenu* pickMenu_ = nullptr;
    QMenu* selectionMenu_ = nullptr;
    QAction* selectAllAction_ = nullptr;
    QAction* deselectAllAction_ = nullptr;
    QAction* showAllTracesAction_ = nullptr;
    QAction* fitInWindowAction_ = nullptr;
    QAction* addPhaseAction_ = nullptr;
    QAction* traceInfoAction_ = nullptr;
    QAction* formatTraceAction_ = nullptr;
    QAction* hideTraceAction_ = nullptr;
};

#endif // QUAKESLATE_H
