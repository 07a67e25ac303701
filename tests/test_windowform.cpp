// The document window's form: every action, menu and tool-bar entry as the
// user meets them before the window code touches anything.

#include "ui_quakeslatewindow.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QHBoxLayout>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

enum Flag { Checkable = 1, Checked = 2, Disabled = 4 };

struct ExpectedAction {
    const char* name;
    const char* text;
    const char* shortcut;
    const char* toolTip;
    const char* icon;
    const char* iconText;
    int flags;
};

// In the order the form declares them, which is the order they are created.
const ExpectedAction expectedActions[] = {
    { "actionNewQuakeslate", "New Quakeslate", "Ctrl+N", "", "", "", 0 },
    { "actionOpenQuakeslate", "Open Canvas...", "Ctrl+O", "", "tool-open-24.png", "Open", Disabled },
    { "actionClose", "Close Canvas", "Ctrl+W", "", "", "", 0 },
    { "actionSave", "Save Canvas...", "Ctrl+S", "", "tool-save-24.png", "Save", Disabled },
    { "actionPrint", "Print...", "Ctrl+P", "Print canvas", "tool-print-24.png", "", Disabled },
    { "actionSelectionCursor", "Select", "", "Select traces", "tool-select-24.png", "", Checkable | Checked },
    { "actionCut", "Cut", "Ctrl+X", "", "", "", 0 },
    { "actionCopy", "Copy", "Ctrl+C", "Copy selection", "", "", Disabled },
    { "actionPaste", "Paste", "Ctrl+V", "", "", "", 0 },
    { "actionSelectAll", "Select All", "Ctrl+A", "", "tool-select-all-24.png", "", 0 },
    { "actionImportFromTAVOWebServices", "TAVO Web Services...", "", "Import from TAVO Web Services",
      "tool-TAVO-cloud-24.png", "Import TAVO", 0 },
    { "actionImportFromSACBinaryFiles", "SAC Binary File(s)...", "", "Import SAC Binary Files",
      "tool-import-SAC-24.png", "Import SAC", 0 },
    { "actionMeasureCursor", "Measure", "", "Measure times", "tool-tsquare-24.png", "", Checkable },
    { "actionPickCursor", "Pick", "", "Pick arrival times", "tool-pick-24.png", "", Checkable },
    { "actionZoomCursor", "Zoom", "", "Zoom in or out", "tool-zoom-24.png", "", Checkable },
    { "actionViewSeismogramList", "Seismogram List", "", "", "", "", Checkable | Checked },
    { "actionOverlaySelectedTraces", "Overlay Selected Traces", "", "", "", "", Disabled },
    { "actionShowTrueRelativeAmplitudes", "Show True Relative Amplitudes", "", "", "", "", Disabled },
    { "actionIncreaseTraceAmplitudes", "Increase Selected Amplitudes", "", "Increase the amplitude of selected traces",
      "tool-increase-amp-24.png", "+ Amp", Disabled },
    { "actionDecreaseTraceAmplitudes", "Decrease Selected Amplitudes", "",
      "Decrease the amplitudes of selected traces", "tool-decrease-amp-24.png", "- Amp", Disabled },
    { "actionInvertSelectedTraces", "Invert Selected Traces", "", "", "", "", Disabled },
    { "actionStretchTimeAxis", "Stretch Time Axis", "Ctrl+Right", "Stretch the Time Axis",
      "tool-stretch-time-24.png", "Stretch", Disabled },
    { "actionCompressTimeAxis", "Compress Time Axis", "Ctrl+Left", "", "tool-compress-time-24.png", "Compress",
      Disabled },
    { "actionStretchVerticalAxis", "Stretch Vertical Axis", "Ctrl+Down", "Stretch the vertical axis of the canvas",
      "", "", Disabled },
    { "actionCompressVerticalAxis", "Compress Vertical Axis", "Ctrl+Up",
      "Compress the vertical axis of the canvas", "", "", Disabled },
    { "actionFitInWindow", "Fit Canvas in Window", "Ctrl+F", "Fit entire canvas in window", "", "Fit", 0 },
    { "actionDeselectAll", "Deselect All", "Ctrl+D", "", "tool-select-none-24.png", "", 0 },
    { "actionRemoveSelectionMeans", "Remove Selection Means", "",
      "Remove the mean of the selected section from the entire seismogram", "", "", Disabled },
    { "actionTrimToSelection", "Trim to Selection", "", "Trim seismogram to selection", "", "", Disabled },
    { "actionFindSelectionMinMaxMean", "Find Selection Min/Max/Mean", "",
      "Find the minimum, maximum and mean amplitude values in the selection", "", "", 0 },
    { "actionAboutQuakeslate", "About Quakeslate", "", "", "", "", 0 },
    { "actionShowHidePicks", "Hide Picks", "", "Show or hide phase picks", "", "", Disabled },
    { "actionShowHidePredictedArrivalTimes", "Show Predicted Arrival Times", "",
      "Show predicted phase arrivals based on a radial Earth model", "", "", Disabled },
    { "actionEqualizeSelectedAmplitudes", "Equalize Selected Amplitudes", "",
      "Equalize amplitudes of selected seismograms", "", "", Disabled },
    { "actionRestoreOriginalPolarities", "Restore Original Polarities", "",
      "Restore all seismograms to their original polarity", "", "", Disabled },
    { "actionViewRecordSection", "Record Section", "", "", "", "", Checkable },
    { "actionLowPassFilter", "Low Pass", "", "", "tool-filter-24.png", "", 0 },
    { "actionBandPassFilter", "Band Pass", "", "", "", "", 0 },
    { "actionHighPassFilter", "High Pass", "", "", "", "", 0 },
    { "actionBandRejectFilter", "Band Reject", "", "", "", "", 0 },
    { "actionRemoveSelectedTrends", "Remove Selected Trends", "",
      "Remove the trend of the selected section from the entire seismogram", "", "", 0 },
    { "actionDecimate", "Decimate...", "", "", "", "", 0 },
    { "actionTaper", "Taper...", "", "", "", "", 0 },
    { "actionEnvelope", "Envelope...", "", "", "", "", 0 },
    { "actionSmooth", "Smooth...", "", "", "", "", 0 },
    { "actionExportPicksCSV", "Export Picks to CSV...", "", "Export current picks to a comma-delimited ASCII file",
      "", "", Disabled },
    { "actionRevertToOriginal", "Revert to Original", "", "", "", "", 0 },
    { "actionFitCanvasToSeismograms", "Fit Canvas to Seismograms", "", "", "", "", 0 },
    { "actionPlotSpectrum", "Plot Spectra of Selection", "", "", "", "", 0 },
    { "actionFormatSelectedTraces", "Format Selected Traces...", "", "", "", "", 0 },
    { "actionExit", "Exit", "Ctrl+Q", "", "", "", 0 },
    { "actionFitHeightInWindow", "Fit Height", "", "Fit height of canvas in window", "tool-fit-height-24.png", "",
      0 },
    { "actionFitWidthInWindow", "Fit Width", "", "Fit width of canvas in window", "tool-fit-width-24.png", "", 0 },
    { "actionFilter", "Filter", "", "Filter selected traces", "tool-filter-24.png", "", 0 },
    { "actionDelete", "Delete", "Backspace", "Delete selection", "tool-talltrashbin-24.png", "", 0 },
    { "actionFlipVerticalAxis", "Flip Vertical Axis", "", "", "", "", Checkable },
    { "actionExportPDF", "Export to PDF...", "", "Export canvas to a PDF file", "tool-export-pdf-24.png", "", 0 },
    { "actionCreateEvent", "Create Event...", "", "Create a new seismic event", "", "", 0 },
    { "actionImportFromMiniSEEDFiles", "MiniSEED File(s)...", "", "import MiniSEED Files", "tool-import-SEED-24.png",
      "", 0 },
    { "actionDownloadEvent", "Download Event Data from Web Services...", "", "", "tool-event-download-24.png", "",
      0 },
    { "actionExportSACBinaryFiles", "SAC Binary Files...", "", "", "", "", 0 },
    { "actionExportMiniSEEDFile", "MiniSEED File...", "", "", "", "", 0 },
    { "actionGetTraceInfo", "Get Info", "Ctrl+I", "Get information on selected traces", "", "", Disabled },
    { "actionHideSelectedTraces", "Hide Selected Traces", "", "", "", "", Disabled },
    { "actionShowAllTraces", "Show All Traces", "", "", "", "", Disabled },
    { "actionPlaceholderForArrangeTracesBy", "PlaceholderForArrangeTracesBy", "", "", "", "", 0 },
    { "actionUTCTime", "Coordinated Universal Time (UTC)", "", "", "", "", Checkable | Checked },
    { "actionRelativeTime", "Relative Time", "", "", "", "", Checkable | Disabled },
    { "actionConfigurePredictedPhases", "Configure Predicted Phases...", "", "Configure Theoretical Phases", "", "",
      0 },
    { "actionPlotSpectrogram", "Plot Spectrogram of Selection", "", "", "", "", 0 },
    { "actionImportFromGeoCSVFiles", "Geo CSV File(s)...", "", "Geo CSV single or two columns", "", "", 0 },
    { "actionAlignByUTC", "Coordinate Universal Time (UTC)", "", "", "", "", 0 },
    { "actionAlignByEventOriginTime", "Event Origin Time", "", "", "", "", 0 },
    { "actionAlignByPredictedArrivalTime", "Predicted Arrival Time", "", "", "", "", 0 },
    { "actionMoveCursor", "Move", "", "Move Traces", "tool-drag-24.png", "", Checkable },
    { "actionExportGeoCSVFiles", "GeoCSV ASCII Files...", "", "2 column GeoCSV ASCII Files", "", "", 0 },
    { "actionFocalMechanism", "Focal Mechanism", "", "", "", "", 0 },
    { "actionClearPicksfromSelectedTraces", "Clear Picks from Selected Traces", "", "", "", "", 0 },
    { "actionPlaceholderForAlignTracesBy", "PlaceholderForAlignTracesBy", "", "", "", "", 0 },
    { "actionIntegrate", "Integrate", "", "", "", "", 0 },
    { "actionDifferentiate", "Differentiate", "", "", "", "", 0 },
};

// Icons that come with a double-resolution twin for high-density screens.
const char* const iconsWithTwins[] = {
    "tool-select-24.png", "tool-talltrashbin-24.png", "tool-import-SAC-24.png", "tool-import-SEED-24.png",
    "tool-export-pdf-24.png", "tool-print-24.png", "tool-save-24.png", "tool-zoom-24.png", "tool-drag-24.png",
    "tool-tsquare-24.png", "tool-fit-width-24.png", "tool-fit-height-24.png", "tool-TAVO-cloud-24.png",
};

// What the toolkit shows where an action has no text of its own for a tip or
// a tool-bar label: its text without a trailing ellipsis.
QString shownText(QString text)
{
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text;
}

// A menu's or tool bar's entries as names: actions by object name, submenus
// by the menu's object name, separators as "-".
QStringList entries(const QWidget* widget)
{
    QStringList names;
    for (QAction* action : widget->actions()) {
        if (action->isSeparator())
            names << QStringLiteral("-");
        else if (action->menu())
            names << action->menu()->objectName();
        else
            names << action->objectName();
    }
    return names;
}

QStringList split(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QImage normalized(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class TestWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowProperties();
    void actionsDeclaredInOrder();
    void actionProperties_data();
    void actionProperties();
    void menuRoles();
    void menuIconsHidden();
    void menuBarOrder();
    void menuEntries_data();
    void menuEntries();
    void submenusBelongToTheirParents();
    void oneDownloadActionInThreePlaces();
    void toolBar();
    void cursorToolColumn();
    void closeCanvasClosesTheWindow();
    void iconImages();
    void iconTwins();
    void formMatchesItsGenerator();

private:
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<Ui::QuakeslateWindow> ui_;
};

void TestWindowForm::initTestCase()
{
    // The images live in the static core library, which the linker would
    // otherwise drop as unreferenced.
    Q_INIT_RESOURCE(window);
}

void TestWindowForm::init()
{
    window_ = std::make_unique<QMainWindow>();
    ui_ = std::make_unique<Ui::QuakeslateWindow>();
    ui_->setupUi(window_.get());
}

void TestWindowForm::cleanup()
{
    ui_.reset();
    window_.reset();
}

void TestWindowForm::windowProperties()
{
    QCOMPARE(window_->objectName(), QStringLiteral("QuakeslateWindow"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("QuakeslateWindow"));
    QCOMPARE(window_->size(), QSize(870, 656));
    QCOMPARE(window_->font().pointSize(), 13);
    QCOMPARE(window_->toolButtonStyle(), Qt::ToolButtonFollowStyle);
    QVERIFY(window_->isDockNestingEnabled());
    QCOMPARE(window_->dockOptions(),
             QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks | QMainWindow::AllowTabbedDocks);
    QCOMPARE(window_->menuBar(), ui_->menuBar);
    QCOMPARE(ui_->menuBar->objectName(), QStringLiteral("menuBar"));
    QCOMPARE(window_->statusBar(), ui_->statusBar);
    QCOMPARE(ui_->statusBar->objectName(), QStringLiteral("statusBar"));
    QCOMPARE(window_->centralWidget(), ui_->centralWidget);
    QCOMPARE(ui_->centralWidget->objectName(), QStringLiteral("centralWidget"));
}

void TestWindowForm::actionsDeclaredInOrder()
{
    QStringList created;
    for (QObject* child : window_->children()) {
        if (qobject_cast<QAction*>(child) && !child->objectName().isEmpty())
            created << child->objectName();
    }
    QStringList expected;
    for (const ExpectedAction& action : expectedActions)
        expected << QString::fromLatin1(action.name);
    QCOMPARE(expected.size(), 81);
    QCOMPARE(created, expected);
}

void TestWindowForm::actionProperties_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("iconText");
    QTest::addColumn<int>("flags");
    for (const ExpectedAction& a : expectedActions) {
        QTest::newRow(a.name) << QString::fromLatin1(a.text) << QString::fromLatin1(a.shortcut)
                              << QString::fromLatin1(a.toolTip) << QString::fromLatin1(a.icon)
                              << QString::fromLatin1(a.iconText) << a.flags;
    }
}

void TestWindowForm::actionProperties()
{
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(QString, toolTip);
    QFETCH(QString, icon);
    QFETCH(QString, iconText);
    QFETCH(int, flags);

    auto* action = window_->findChild<QAction*>(QString::fromLatin1(QTest::currentDataTag()),
                                                Qt::FindDirectChildrenOnly);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    QCOMPARE(action->toolTip(), toolTip.isEmpty() ? shownText(text) : toolTip);
    QCOMPARE(action->iconText(), iconText.isEmpty() ? shownText(text) : iconText);
    QCOMPARE(action->isCheckable(), bool(flags & Checkable));
    QCOMPARE(action->isChecked(), bool(flags & Checked));
    QCOMPARE(action->isEnabled(), !(flags & Disabled));
    QCOMPARE(action->icon().isNull(), icon.isEmpty());
    if (!icon.isEmpty()) {
        const QImage shown = action->icon().pixmap(QSize(24, 24), QIcon::Normal, QIcon::Off).toImage();
        QCOMPARE(normalized(shown), normalized(QImage(QStringLiteral(":/images/") + icon)));
    }
}

void TestWindowForm::menuRoles()
{
    const QHash<QString, QAction::MenuRole> special = {
        { QStringLiteral("actionAboutQuakeslate"), QAction::AboutRole },
        { QStringLiteral("actionExit"), QAction::QuitRole },
        { QStringLiteral("actionCut"), QAction::NoRole },
        { QStringLiteral("actionShowTrueRelativeAmplitudes"), QAction::NoRole },
        { QStringLiteral("actionShowHidePicks"), QAction::NoRole },
        { QStringLiteral("actionShowHidePredictedArrivalTimes"), QAction::NoRole },
        { QStringLiteral("actionConfigurePredictedPhases"), QAction::NoRole },
    };
    for (const ExpectedAction& a : expectedActions) {
        const QString name = QString::fromLatin1(a.name);
        auto* action = window_->findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
        QVERIFY2(action, a.name);
        QVERIFY2(action->menuRole() == special.value(name, QAction::TextHeuristicRole), a.name);
    }
}

void TestWindowForm::menuIconsHidden()
{
    // Icons belong to the tool bar and the cursor column; menus show none.
    int hidden = 0;
    for (const ExpectedAction& a : expectedActions) {
        auto* action = window_->findChild<QAction*>(QString::fromLatin1(a.name), Qt::FindDirectChildrenOnly);
        QVERIFY2(action, a.name);
        bool inMenu = false;
        for (QWidget* widget : action->associatedWidgets())
            inMenu = inMenu || qobject_cast<QMenu*>(widget);
        if (*a.icon && inMenu) {
            QVERIFY2(!action->isIconVisibleInMenu(), a.name);
            ++hidden;
        }
    }
    // Open, Save, Print, PDF, download, the three imports with icons, Delete,
    // Select All, Deselect All, the two time-axis and two amplitude steps and
    // Low Pass.
    QCOMPARE(hidden, 16);
}

void TestWindowForm::menuBarOrder()
{
    QStringList titles;
    QStringList names;
    for (QAction* action : ui_->menuBar->actions()) {
        QVERIFY(action->menu());
        titles << action->menu()->title();
        names << action->menu()->objectName();
    }
    QCOMPARE(titles, split("File Edit View Traces Events Process Analyze Help"));
    QCOMPARE(names, split("menuFile menuEdit menuView menuTraces menuEvents menuAnalysis menuAnalyze menuHelp"));
    QCOMPARE(ui_->menuBar->geometry(), QRect(0, 0, 870, 22));
}

void TestWindowForm::menuEntries_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("menuFile") << "File"
                              << split("actionNewQuakeslate actionOpenQuakeslate - actionDownloadEvent - "
                                       "menuImportRecords menuExportSelectedSeismograms actionExportPicksCSV - "
                                       "actionClose actionSave - actionPrint actionExportPDF - actionExit");
    QTest::newRow("menuImportRecords")
        << "Import Seismograms from"
        << split("actionImportFromTAVOWebServices actionImportFromSACBinaryFiles actionImportFromMiniSEEDFiles "
                 "actionImportFromGeoCSVFiles");
    QTest::newRow("menuExportSelectedSeismograms")
        << "Export Selected Seismograms to"
        << split("actionExportSACBinaryFiles actionExportMiniSEEDFile actionExportGeoCSVFiles");
    QTest::newRow("menuEdit") << "Edit"
                              << split("actionCut actionCopy actionPaste actionDelete - actionSelectAll "
                                       "actionDeselectAll");
    QTest::newRow("menuView") << "View"
                              << split("actionViewSeismogramList actionViewRecordSection - actionUTCTime "
                                       "actionRelativeTime - actionShowHidePicks actionShowHidePredictedArrivalTimes "
                                       "actionConfigurePredictedPhases - actionFitInWindow "
                                       "actionFitCanvasToSeismograms - actionStretchTimeAxis actionCompressTimeAxis "
                                       "- actionStretchVerticalAxis actionCompressVerticalAxis "
                                       "actionFlipVerticalAxis");
    QTest::newRow("menuTraces") << "Traces"
                                << split("actionPlaceholderForArrangeTracesBy actionPlaceholderForAlignTracesBy - "
                                         "actionShowTrueRelativeAmplitudes actionEqualizeSelectedAmplitudes "
                                         "actionIncreaseTraceAmplitudes actionDecreaseTraceAmplitudes - "
                                         "actionInvertSelectedTraces actionRestoreOriginalPolarities - "
                                         "actionHideSelectedTraces actionShowAllTraces - "
                                         "actionOverlaySelectedTraces actionFormatSelectedTraces - "
                                         "actionClearPicksfromSelectedTraces - actionGetTraceInfo");
    QTest::newRow("menuEvents") << "Events" << split("actionDownloadEvent actionCreateEvent");
    QTest::newRow("menuAnalysis") << "Process"
                                  << split("actionTrimToSelection actionRemoveSelectionMeans "
                                           "actionRemoveSelectedTrends - menuFilter - actionSmooth actionDecimate "
                                           "actionTaper actionEnvelope - actionIntegrate - actionRevertToOriginal");
    QTest::newRow("menuFilter") << "Filter"
                                << split("actionLowPassFilter actionBandPassFilter actionHighPassFilter "
                                         "actionBandRejectFilter");
    QTest::newRow("menuAnalyze") << "Analyze"
                                 << split("actionFindSelectionMinMaxMean actionPlotSpectrum actionPlotSpectrogram");
    QTest::newRow("menuHelp") << "Help" << split("- actionAboutQuakeslate");
}

void TestWindowForm::menuEntries()
{
    QFETCH(QString, title);
    QFETCH(QStringList, expected);
    auto* menu = window_->findChild<QMenu*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(menu);
    QCOMPARE(menu->title(), title);
    QCOMPARE(entries(menu), expected);
}

void TestWindowForm::submenusBelongToTheirParents()
{
    QCOMPARE(ui_->menuImportRecords->parent(), ui_->menuFile);
    QCOMPARE(ui_->menuExportSelectedSeismograms->parent(), ui_->menuFile);
    QCOMPARE(ui_->menuFilter->parent(), ui_->menuAnalysis);
    // Eight menus of the bar and three submenus, nothing else.
    QCOMPARE(window_->findChildren<QMenu*>().size(), 11);

    // Declared but placed nowhere, so nobody can trigger them.
    for (QAction* action : { ui_->actionAlignByUTC, ui_->actionAlignByEventOriginTime,
                             ui_->actionAlignByPredictedArrivalTime, ui_->actionFocalMechanism,
                             ui_->actionDifferentiate })
        QVERIFY2(action->associatedWidgets().isEmpty(), qPrintable(action->objectName()));
}

void TestWindowForm::oneDownloadActionInThreePlaces()
{
    QAction* download = ui_->actionDownloadEvent;
    QVERIFY(ui_->menuFile->actions().contains(download));
    QVERIFY(ui_->menuEvents->actions().contains(download));
    QVERIFY(ui_->mainToolBar->actions().contains(download));
    download->setEnabled(false);
    QVERIFY(!ui_->mainToolBar->widgetForAction(download)->isEnabled());
}

void TestWindowForm::toolBar()
{
    QToolBar* bar = ui_->mainToolBar;
    QCOMPARE(bar->objectName(), QStringLiteral("mainToolBar"));
    QCOMPARE(bar->windowTitle(), QStringLiteral("Tool Bar"));
    QCOMPARE(entries(bar),
             split("actionOpenQuakeslate actionSave - actionPrint actionExportPDF - actionDownloadEvent "
                   "actionImportFromTAVOWebServices actionImportFromSACBinaryFiles actionImportFromMiniSEEDFiles - "
                   "actionSelectAll actionDeselectAll actionDelete - actionFitHeightInWindow "
                   "actionFitWidthInWindow - actionStretchTimeAxis actionCompressTimeAxis - "
                   "actionIncreaseTraceAmplitudes actionDecreaseTraceAmplitudes - actionFilter"));
    QCOMPARE(entries(bar).count(QStringLiteral("-")), 7);
    QCOMPARE(window_->toolBarArea(bar), Qt::TopToolBarArea);
    QCOMPARE(bar->font().family(), QStringLiteral("Helvetica Neue"));
    QCOMPARE(bar->font().pointSize(), 6);
    QVERIFY(bar->font().bold());
    QCOMPARE(bar->layoutDirection(), Qt::LeftToRight);
    QVERIFY(!bar->isMovable());
    QVERIFY(!bar->isFloatable());
    QCOMPARE(bar->allowedAreas(), Qt::AllToolBarAreas);
    QCOMPARE(bar->iconSize(), QSize(24, 24));
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonFollowStyle);
    QCOMPARE(bar->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(bar->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void TestWindowForm::cursorToolColumn()
{
    auto* central = qobject_cast<QHBoxLayout*>(ui_->centralWidget->layout());
    QVERIFY(central);
    QCOMPARE(central->spacing(), 0);
    QCOMPARE(central->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(central->count(), 2);
    QCOMPARE(central->itemAt(0)->widget(), ui_->cursorToolColumn);
    QCOMPARE(central->itemAt(1)->widget(), ui_->splitter);
    QCOMPARE(central->stretch(0), 0);
    QCOMPARE(central->stretch(1), 10);
    QCOMPARE(ui_->splitter->orientation(), Qt::Vertical);

    auto* column = qobject_cast<QVBoxLayout*>(ui_->cursorToolColumn->layout());
    QVERIFY(column);
    QCOMPARE(column->spacing(), 0);
    QCOMPARE(column->contentsMargins(), QMargins(4, 16, 4, 1));
    const QList<QToolButton*> buttons = { ui_->selectionCursorButton, ui_->moveCursorButton, ui_->zoomCursorButton,
                                          ui_->measureCursorButton, ui_->pickCursorButton };
    QCOMPARE(column->count(), buttons.size() + 1);
    for (int i = 0; i < buttons.size(); ++i) {
        QCOMPARE(column->itemAt(i)->widget(), buttons[i]);
        QCOMPARE(buttons[i]->iconSize(), QSize(24, 24));
        QVERIFY(buttons[i]->autoRaise());
    }
    // The stretch below the buttons keeps them at the top of the column.
    QVERIFY(column->itemAt(buttons.size())->spacerItem());
    QVERIFY(column->itemAt(buttons.size())->expandingDirections() & Qt::Vertical);
}

void TestWindowForm::closeCanvasClosesTheWindow()
{
    window_->show();
    QVERIFY(window_->isVisible());
    ui_->actionClose->trigger();
    QVERIFY(!window_->isVisible());
}

void TestWindowForm::iconImages()
{
    QSet<QString> named;
    for (const ExpectedAction& a : expectedActions) {
        if (*a.icon)
            named << QString::fromLatin1(a.icon);
    }
    QCOMPARE(named.size(), 23);
    for (const QString& icon : named) {
        const QImage image(QStringLiteral(":/images/") + icon);
        QVERIFY2(!image.isNull(), qPrintable(icon));
        QCOMPARE(image.size(), QSize(24, 24));
        QVERIFY2(image.hasAlphaChannel(), qPrintable(icon));
        // Drawn, not blank: some pixels are opaque and some transparent.
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        }
        QVERIFY2(opaque > 24 && opaque < 24 * 24, qPrintable(icon));
    }
}

void TestWindowForm::iconTwins()
{
    QSet<QString> withTwin;
    for (const char* icon : iconsWithTwins)
        withTwin << QString::fromLatin1(icon);

    const QStringList files =
        QDir(QStringLiteral(":/images")).entryList({ QStringLiteral("tool-*-24*.png") }, QDir::Files);
    for (const QString& file : files) {
        if (!file.endsWith(QLatin1String("@2x.png")))
            continue;
        QString base = file;
        base.replace(QLatin1String("@2x.png"), QLatin1String(".png"));
        QVERIFY2(withTwin.contains(base), qPrintable(file));
    }
    for (const QString& icon : withTwin) {
        QString twin = icon;
        twin.replace(QLatin1String(".png"), QLatin1String("@2x.png"));
        const QImage image(QStringLiteral(":/images/") + twin);
        QVERIFY2(!image.isNull(), qPrintable(twin));
        QCOMPARE(image.size(), QSize(48, 48));
        // The twin shows the same picture: scaled down, it stays close to
        // the 24-pixel icon.
        const QImage small = normalized(image.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        const QImage base = normalized(QImage(QStringLiteral(":/images/") + icon));
        qint64 difference = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                const QRgb a = small.pixel(x, y);
                const QRgb b = base.pixel(x, y);
                difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b))
                    + qAbs(qAlpha(a) - qAlpha(b));
            }
        }
        QVERIFY2(difference / (24 * 24 * 4) < 25, qPrintable(twin));
    }
}

void TestWindowForm::formMatchesItsGenerator()
{
    // The build compiles the committed form; it must be what the table in
    // the generator describes, or an edit of one was not carried to the other.
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        QSKIP("no python3 to run the form generator");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fresh = dir.filePath(QStringLiteral("fresh.ui"));
    QProcess generator;
    generator.start(python, { QStringLiteral(QS_SOURCE_DIR "/app/tools/make_window_form.py"), fresh });
    QVERIFY(generator.waitForFinished(60000));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(generator.exitCode(), 0);
    QFile generated(fresh);
    QFile committed(QStringLiteral(QS_SOURCE_DIR "/app/quakeslatewindow.ui"));
    QVERIFY(generated.open(QIODevice::ReadOnly));
    QVERIFY(committed.open(QIODevice::ReadOnly));
    QVERIFY2(generated.readAll() == committed.readAll(),
             "app/quakeslatewindow.ui differs from the output of app/tools/make_window_form.py");
}

QTEST_MAIN(TestWindowForm)
#include "test_windowform.moc"
