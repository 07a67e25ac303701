// The canvas on paper: page geometry, and real PDF files at 300 dpi on US
// Letter read back with the poppler tools (pdfinfo, pdftotext, pdftoppm).

#include "canvas/canvaspagelayout.h"
#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "support/canvasfixture.h"
#include "model/pick.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

QString outputPath(const QString& name)
{
    return QStringLiteral(QS_BUILD_DIR "/") + name;
}

// Set up as the document window does for its PDF export: US Letter at 300
// dots per inch, landscape for a canvas wider than tall.
std::unique_ptr<QPrinter> pdfPrinter(const QString& fileName, const QSize& canvasSize)
{
    std::unique_ptr<QPrinter> printer(new QPrinter(QPrinter::ScreenResolution));
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageSize(QPageSize(QPageSize::Letter));
    if (canvasSize.width() > canvasSize.height())
        printer->setPageOrientation(QPageLayout::Landscape);
    printer->setResolution(300);
    return printer;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& file)
{
    return run(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
}

// Renders the first page into <base>.png beside the PDF, for the test and
// for a person to look at.
QImage pdfPage(const QString& file, const QString& base, int dpi = 150)
{
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi),
                                    QStringLiteral("-png"), QStringLiteral("-singlefile"), file,
                                    base});
    return QImage(base + QStringLiteral(".png"));
}

bool isBlack(QRgb c)
{
    return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110;
}

bool isPurple(QRgb c)
{
    return qRed(c) > 150 && qRed(c) < 230 && qBlue(c) > 150 && qBlue(c) < 230
           && qGreen(c) < qRed(c) - 40 && std::abs(qRed(c) - qBlue(c)) < 30;
}

// The plot frame on a rendered page: the outermost columns and rows that are
// black over more than a third of the page (text and ticks are short, grid
// lines light gray, and the fixture's traces are drawn in blue).
QRect frameOf(const QImage& page)
{
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int x = 0; x < page.width(); ++x) {
        int n = 0;
        for (int y = 0; y < page.height(); ++y)
            n += isBlack(page.pixel(x, y));
        if (n > page.height() / 3) {
            if (left < 0)
                left = x;
            right = x;
        }
    }
    for (int y = 0; y < page.height(); ++y) {
        int n = 0;
        for (int x = 0; x < page.width(); ++x)
            n += isBlack(page.pixel(x, y));
        if (n > page.width() / 3) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    if (left < 0 || top < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void paintTracesBlue(Quakeslate* canvas)
{
    for (Trace* trace : canvas->traces())
        trace->setColor(QColor(Qt::blue));
}

} // namespace

class TestCanvasPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void pageMargin();
    void plotKeepsCanvasAspect_data();
    void plotKeepsCanvasAspect();

    void seismogramListPage();
    void recordSectionPages_data();
    void recordSectionPages();
    void relativeTimeLabels();
    void predictedCurvesOnPaper();
    void nothingForAnEmptyTimeSpan();
};

void TestCanvasPrint::initTestCase()
{
    for (const char* tool : {"pdfinfo", "pdftotext", "pdftoppm"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
}

void TestCanvasPrint::pageMargin()
{
    // Landscape Letter at 300 dpi: 3300 x 2550 device pixels.
    const QRect paper(0, 0, 3300, 2550);
    QCOMPARE(CanvasPageLayout(paper, QRect(60, 60, 3180, 2430), 300).margin(), 150);
    // A 0.6 inch bottom margin sets all four.
    QCOMPARE(CanvasPageLayout(paper, QRect(60, 60, 3180, 2310), 300).margin(), 180);
    QCOMPARE(CanvasPageLayout(paper, QRect(200, 60, 3040, 2430), 300).margin(), 200);

    // The same read from a real printer's page layout. The toolkit turns
    // inch margins into whole points, so 0.6 inch comes out at 179 pixels.
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setResolution(300);
    auto marginOf = [](const QPrinter& p) {
        const QPageLayout layout = p.pageLayout();
        return CanvasPageLayout(layout.fullRectPixels(300), layout.paintRectPixels(300), 300)
            .margin();
    };
    QCOMPARE(printer.pageLayout().fullRectPixels(300), paper);
    QCOMPARE(marginOf(printer), 150); // the default 10-point margins
    printer.setPageMargins(QMarginsF(0.2, 0.2, 0.2, 0.6), QPageLayout::Inch);
    const QRect page = printer.pageLayout().paintRectPixels(300);
    QVERIFY(page.left() < 150 && page.top() < 150);
    QCOMPARE(marginOf(printer), paper.bottom() - page.bottom());
    QVERIFY(qAbs(marginOf(printer) - 180) <= 1);
}

void TestCanvasPrint::plotKeepsCanvasAspect_data()
{
    QTest::addColumn<int>("labelRoom");
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QRect>("plot");

    // Room: left 350 (or 351), top 310, right 3149, bottom 2239 on the paper;
    // the painter's origin is 60 pixels in.
    QTest::newRow("too tall, even") << 200 << QSize(1000, 500)
                                    << QRect(QPoint(290, 515), QPoint(3089, 1914));
    // 2799 x 1930 room, 1399 high plot: 265 above, 266 below.
    QTest::newRow("too tall, odd") << 201 << QSize(1000, 500)
                                   << QRect(QPoint(291, 515), QPoint(3089, 1913));
    QTest::newRow("too wide, even") << 200 << QSize(1000, 1000)
                                    << QRect(QPoint(725, 250), QPoint(2654, 2179));
    // 2799 wide room, 1930 wide plot: 434 left, 435 right.
    QTest::newRow("too wide, odd") << 201 << QSize(1000, 1000)
                                   << QRect(QPoint(725, 250), QPoint(2654, 2179));
    QTest::newRow("no canvas") << 200 << QSize(0, 500) << QRect();
}

void TestCanvasPrint::plotKeepsCanvasAspect()
{
    QFETCH(int, labelRoom);
    QFETCH(QSize, canvas);
    QFETCH(QRect, plot);
    const CanvasPageLayout layout(QRect(0, 0, 3300, 2550), QRect(60, 60, 3180, 2430), 300);
    const QRect result = layout.plotRect(labelRoom, 40, canvas);
    QCOMPARE(result, plot);
    if (!plot.isEmpty()) {
        // Every pixel of the room that the plot leaves is split evenly, the
        // odd one going below or right.
        const int above = result.top() + 60 - 310;
        const int below = 2239 - (result.bottom() + 60);
        const int before = result.left() + 60 - (150 + labelRoom);
        const int after = 3149 - (result.right() + 60);
        QVERIFY(below - above == 0 || below - above == 1);
        QVERIFY(after - before == 0 || after - before == 1);
    }
    QCOMPARE(layout.titleCentre(), 1589);
}

void TestCanvasPrint::seismogramListPage()
{
    CanvasFixture f(7);
    SeismicEvent* event = f.newEvent(10.0);
    f.addRecord(QStringLiteral("ANMO"), event, 20.0);
    SeismicRecord* hidden = f.addRecord(QStringLiteral("HIDE"), event, 30.0);
    SeismicRecord* picked = f.addRecord(QStringLiteral("KONO"), event, 40.0);
    picked->newPick(new Pick(QStringLiteral("Pg"), CanvasFixture::originMSecs + 600000));
    f.canvas->stretchCanvasToRect(1000, 500, false);
    f.canvas->traces().at(1)->hide(true);
    f.canvas->layoutTraces();
    paintTracesBlue(f.canvas);
    Q_UNUSED(hidden);

    // No ".pdf": the output format set on the printer decides.
    const QString file = outputPath(QStringLiteral("canvas-list"));
    QFile::remove(file);
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+792 x 612 pts"))),
             qPrintable(info));

    const QString text = pdfText(file);
    QVERIFY2(text.contains(QStringLiteral("Quakeslate #7")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Coordinated Universal Time (hh:mm:ss) starting 5 Mar 2024")));
    QVERIFY(text.contains(QStringLiteral("Network:Station:Location:Channel")));
    QVERIFY(text.contains(QStringLiteral("IU:ANMO:00:BHZ")));
    QVERIFY(text.contains(QStringLiteral("IU:KONO:00:BHZ")));
    QVERIFY(!text.contains(QStringLiteral("HIDE")));
    QVERIFY(text.contains(QStringLiteral("Pg")));
    // Every time label stands above and below the plot; the span runs from
    // 11:57:36 to 14:02:24, so the half hour is among them.
    const QRegularExpression label(QStringLiteral("\\b1[1-4]:[0-5]\\d:[0-5]\\d\\b"));
    QVERIFY(text.count(label) >= 4);
    QCOMPARE(text.count(QStringLiteral("12:30:00")), 2);

    const QImage page = pdfPage(file, outputPath(QStringLiteral("canvas-list")));
    QCOMPARE(page.size(), QSize(1650, 1275));
    const QRect frame = frameOf(page);
    QVERIFY(!frame.isEmpty());
    // The plot keeps the canvas's 2:1 shape and stays inside half-inch
    // margins.
    QVERIFY2(qAbs(double(frame.width()) / frame.height() - 2.0) < 0.02,
             qPrintable(QStringLiteral("%1 x %2").arg(frame.width()).arg(frame.height())));
    QVERIFY(frame.left() > 75 && frame.right() < 1650 - 75);
    QVERIFY(frame.top() > 75 && frame.bottom() < 1275 - 75);

    // With picks hidden on the canvas none are printed.
    f.canvas->showPicks(false);
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    QVERIFY(!pdfText(file).contains(QStringLiteral("Pg")));
}

void TestCanvasPrint::recordSectionPages_data()
{
    QTest::addColumn<int>("variable");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("labelPattern");

    QTest::newRow("degrees") << int(AngularDistanceVariable) << "Angular Distance"
                             << QString::fromUtf8("\\b\\d+°");
    QTest::newRow("km") << int(KmDistanceVariable) << "Great Circle Distance"
                        << QStringLiteral("(^|\\s)\\d+ km\\b");
    QTest::newRow("azimuth") << int(AzimuthVariable) << "Azimuth to Station"
                             << QString::fromUtf8("\\b\\d+°");
    QTest::newRow("back azimuth") << int(BackAzimuthVariable) << "Back Azimuth to Epicenter"
                                  << QString::fromUtf8("\\b\\d+°");
}

void TestCanvasPrint::recordSectionPages()
{
    QFETCH(int, variable);
    QFETCH(QString, title);
    QFETCH(QString, labelPattern);

    CanvasFixture f(3);
    f.addThreeStations();
    f.canvas->setRecordSectionVariable(RecordSectionVariable(variable));
    paintTracesBlue(f.canvas);
    const QString base = outputPath(QStringLiteral("canvas-section-%1").arg(variable));
    const QString file = base + QStringLiteral(".pdf");
    QFile::remove(file);
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    const QString text = pdfText(file);
    QVERIFY2(text.contains(QStringLiteral("Quakeslate #3")), qPrintable(text));
    QVERIFY(text.contains(title));
    QVERIFY2(text.count(QRegularExpression(labelPattern)) >= 2, qPrintable(text));
    // Numbers as on the screen ruler, without digit grouping.
    QVERIFY(!text.contains(QRegularExpression(QStringLiteral("\\d,\\d"))));
    // No trace labels beside a record section.
    QVERIFY(!text.contains(QStringLiteral("IU:AAA")));
    QVERIFY(!text.contains(QStringLiteral("Network:Station")));

    const QImage page = pdfPage(file, base);
    const QRect frame = frameOf(page);
    QVERIFY(qAbs(double(frame.width()) / frame.height() - 1000.0 / 600.0) < 0.02);
}

void TestCanvasPrint::relativeTimeLabels()
{
    // Records from ten minutes before the origin, aligned on the origin:
    // the relative axis starts at -10 minutes.
    CanvasFixture f;
    f.recordStartMSecs = CanvasFixture::originMSecs - 600000;
    f.addThreeStations();
    f.canvas->setTime(RelativeTime);
    QAction* originAlignment = nullptr;
    for (QAction* action : f.canvas->alignMenu()->actions()) {
        if (action->text() == QLatin1String("Event Origin Time"))
            originAlignment = action;
    }
    QVERIFY(originAlignment);
    originAlignment->trigger();
    QCOMPARE(f.canvas->traces().first()->alignmentTime(), CanvasFixture::originMSecs);
    QVERIFY(f.canvas->timeSpan().startTimeMSecs() < -600000);

    const QString file = outputPath(QStringLiteral("canvas-relative.pdf"));
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    const QString text = pdfText(file);
    QVERIFY(text.contains(QStringLiteral("Relative Time (hh:mm:ss)")));
    QVERIFY(!text.contains(QStringLiteral("starting")));
    // Relative seconds read as a time of day from midnight: -10 minutes is
    // 23:50:00, the origin 0:00:00.
    QCOMPARE(text.count(QStringLiteral("23:50:00")), 2);
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("(^|\\s)0:00:00"))), 2);
    QVERIFY(text.contains(QStringLiteral("1:00:00")));
}

void TestCanvasPrint::predictedCurvesOnPaper()
{
    qputenv("QUAKESLATE_TRAVELTIME_HOST", "127.0.0.1:9");
    CanvasFixture f;
    f.addThreeStations();
    paintTracesBlue(f.canvas);
    f.canvas->setPredictedPhases({QStringLiteral("LR")});
    f.canvas->showPredictedArrivalTimes(true);
    const QString base = outputPath(QStringLiteral("canvas-predicted"));
    const QString file = base + QStringLiteral(".pdf");
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    QImage page = pdfPage(file, base);
    const QRect frame = frameOf(page);
    // The LR line from the origin time at 0 degrees, in page pixels.
    const double s = double(frame.height()) / f.canvas->height();
    const double lr = 5164304.0 / 180.0;
    int found = 0;
    for (double d : {30.0, 45.0, 80.0}) {
        const int x = frame.left() + int(f.xAt(lr * d) * s);
        const int y = frame.top() + int(f.yAt(d) * s);
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                if (page.valid(x + dx, y + dy) && isPurple(page.pixel(x + dx, y + dy))) {
                    ++found;
                    dy = dx = 4;
                }
    }
    QCOMPARE(found, 3);

    f.canvas->showPredictedArrivalTimes(false);
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    page = pdfPage(file, outputPath(QStringLiteral("canvas-predicted-hidden")));
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            QVERIFY(!isPurple(page.pixel(x, y)));
    qunsetenv("QUAKESLATE_TRAVELTIME_HOST");
}

void TestCanvasPrint::nothingForAnEmptyTimeSpan()
{
    CanvasFixture f;
    const QString file = outputPath(QStringLiteral("canvas-empty.pdf"));
    QFile::remove(file);
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    QVERIFY(!QFile::exists(file));

    // After the last trace goes the span is empty again.
    f.addThreeStations();
    f.canvas->selectAll();
    f.canvas->deleteSelectedTraces();
    {
        auto printer = pdfPrinter(file, f.canvas->size());
        f.canvas->printCanvas(printer.get());
    }
    QVERIFY(!QFile::exists(file));
}

QTEST_MAIN(TestCanvasPrint)
#include "test_canvasprint.moc"
