#ifndef QUAKESLATEWINDOW_H
#define QUAKESLATEWINDOW_H

#include "canvas/quakeslate.h"

#include <QList>
#include <QMainWindow>
#include <QSet>
#include <QStringList>

class AnalysisTextEdit;
class QActionGroup;
class QCloseEvent;
class QFileDialog;
class QPrintDialog;
class QPrinter;
class QSplitter;
class QToolButton;
class QVariant;
class SeismicEvent;
class SeismicRecord;
class SeismicScrollArea;
class Trace;

namespace Ui {
class QuakeslateWindow;
}

// A numbered document window: the canvas in its scroll area above the
// analysis pane, the cursor-tool column, the menus and tool bar, and the
// records and events it has received. Windows are independent of each other;
// each deletes itself when closed.
class QuakeslateWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit QuakeslateWindow(QWidget* parent = nullptr);
    ~QuakeslateWindow() override;

    // Fits the canvas to the scroll area once the window is shown and its
    // layout has settled.
    void initializeCanvasSize();

    int windowNumber() const { return windowNumber_; }
    Quakeslate* canvas() const { return canvas_; }

    // The phases whose predicted arrivals are drawn, from the stored
    // "PredictedArrivals" value: absent gives P and S; a comma-separated text
    // or a list of names (the settings store reads an unquoted "P,S,PcP" as a
    // list) gives the non-empty names in their order.
    static QStringList predictedPhasesFromSetting(const QVariant& value);

    // Replaces "<net>", "<sta>", "<loc>" and "<cha>" in pattern by the codes,
    // then appends the suffix unless the name already ends in it.
    static QString exportFileName(const QString& pattern, const QString& network, const QString& station,
                                  const QString& location, const QString& channel, const QString& suffix);

    static constexpr double cubeRootOfTwo_ = 1.259921049894873;
    static constexpr double cubeRootOfOneHalf_ = 0.7937005259841;

public Q_SLOTS:
    void respondToCanvasContentChange(int traceCount);
    void respondToCanvasSelectionChange(int selectionCount);
    void respondToCanvasLayoutChange(CanvasLayout layout);
    void respondToCanvasTimeChange(CanvasTime time);
    void addSeismicRecord(SeismicRecord* record);
    void addSeismicEvent(SeismicEvent* event);
    void on_actionImportFromSACBinaryFiles_triggered();
    void on_actionImportFromMiniSEEDFiles_triggered();

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void on_actionNewQuakeslate_triggered();
    void on_actionExit_triggered();
    void on_actionCut_triggered();
    void on_actionCopy_triggered();
    void on_actionPaste_triggered();
    void on_actionDelete_triggered();
    void on_actionSelectAll_triggered();
    void on_actionDeselectAll_triggered();
    void importSACBinaryFiles(const QStringList& files);
    void importMiniSEEDFiles(const QStringList& files);
    void on_actionImportFromGeoCSVFiles_triggered();
    void importGeoCSVFiles(const QStringList& files);
    void on_actionExportSACBinaryFiles_triggered();
    void exportSACFiles(const QString& pathname);
    void on_actionExportGeoCSVFiles_triggered();
    void exportGeoCSVFiles(const QString& pathname);
    void on_actionPrint_triggered();
    void on_actionExportPDF_triggered();
    void exportPDF(const QString& filename);
    void on_actionViewSeismogramList_triggered();
    void on_actionViewRecordSection_triggered();
    void on_actionUTCTime_triggered();
    void on_actionRelativeTime_triggered();
    void on_actionStretchTimeAxis_triggered();
    void on_actionCompressTimeAxis_triggered();
    void on_actionStretchVerticalAxis_triggered();
    void on_actionCompressVerticalAxis_triggered();
    void on_actionShowHidePicks_triggered();
    void on_actionShowHidePredictedArrivalTimes_triggered();
    void on_actionShowTrueRelativeAmplitudes_triggered();
    void on_actionIncreaseTraceAmplitudes_triggered();
    void on_actionDecreaseTraceAmplitudes_triggered();
    void on_actionHideSelectedTraces_triggered();
    void on_actionShowAllTraces_triggered();
    void on_actionSelectionCursor_triggered();
    void on_actionMoveCursor_triggered();
    void on_actionZoomCursor_triggered();
    void on_actionMeasureCursor_triggered();
    void on_actionPickCursor_triggered();
    void selectByEventAction_triggered();

private:
    void buildCentralArea(const QRect& available);
    void buildActionGroups();
    void insertCanvasMenus();
    void connectCanvas();
    void readPredictedPhases();
    SeismicEvent* eventOfSender() const;
    // The default name proposed for exporting the selected traces.
    QString proposedExportName(const QString& suffix) const;
    void openImportDialog(const QString& title, const char* receiver);
    void openSaveDialog(const QString& title, const QString& proposedName, const char* receiver);
    // Tells the user, in one box, which files an export could not write.
    void reportUnwrittenFiles(const QStringList& unwritten);

    Ui::QuakeslateWindow* ui_;
    int windowNumber_;
    SeismicScrollArea* scrollArea_ = nullptr;
    Quakeslate* canvas_ = nullptr;
    AnalysisTextEdit* textEdit_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QToolButton* selectionToolButton_ = nullptr;
    QToolButton* moveToolButton_ = nullptr;
    QToolButton* zoomToolButton_ = nullptr;
    QToolButton* measureToolButton_ = nullptr;
    QToolButton* pickToolButton_ = nullptr;
    QList<SeismicRecord*> seismicRecords_;
    QList<SeismicEvent*> seismicEvents_;
    // Events brought by records whose event the window already knew; kept
    // only to be released with the window, as other records may share them.
    QSet<SeismicEvent*> orphanedEvents_;
    QAction* eventsSeparator_ = nullptr;
    QFileDialog* fileDialog_ = nullptr;
    QPrinter* printer_ = nullptr;
    QPrintDialog* printDialog_ = nullptr;
    QActionGroup* cursorGroup_ = nullptr;
    QActionGroup* layoutGroup_ = nullptr;
    QActionGroup* timeGroup_ = nullptr;

    static int nextWindowNumber_;
    static int windowCount_;
};

#endif // QUAKESLATEWINDOW_H
