#include "app/quakeslatewindow.h"
#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "model/seismicrecord.h"

#include "support/testhttpserver.h"
#include "support/windowtesting.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtEndian>
#include <QtTest>

namespace {

const QByteArray stationPath = "/fdsnws/station/1/query";

QByteArray stationXml(const QByteArray& channel)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<FDSNStationXML xmlns=\"http://www.fdsn.org/xml/station/1\" schemaVersion=\"1.1\">\n"
           " <Network code=\"IU\"><Station code=\"COLA\"><Site><Name>College Outpost, Alaska</Name></Site>\n"
           "  <Channel code=\""
           + channel
           + "\" locationCode=\"00\"><Latitude>64.8736</Latitude><Longitude>-147.8616</Longitude>"
             "<Elevation>84.0</Elevation><Depth>116.0</Depth><Azimuth>0</Azimuth><Dip>-90</Dip>"
             "<Sensor><Description>Streckeisen STS-1</Description></Sensor></Channel>\n"
             " </Station></Network>\n</FDSNStationXML>\n";
}

// The screen that Xvfb keeps in its frame-buffer folder: an XWD dump of a
// 32-bit true-colour screen, read into an image; null for anything else.
QImage readXwd(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    const QByteArray data = file.readAll();
    if (data.size() < 100)
        return QImage();
    auto word = [&data](int i) { return qFromBigEndian<quint32>(data.constData() + 4 * i); };
    const quint32 headerSize = word(0);
    const quint32 width = word(4);
    const quint32 height = word(5);
    const quint32 byteOrder = word(7);
    const quint32 bitsPerPixel = word(11);
    const quint32 bytesPerLine = word(12);
    const quint32 colours = word(19);
    if (bitsPerPixel != 32 || byteOrder != 0 || width == 0 || height == 0 || width > 10000 || height > 10000
        || bytesPerLine < 4 * width || colours > 65536)
        return QImage();
    const qint64 offset = qint64(headerSize) + 12 * qint64(colours);
    if (offset + qint64(bytesPerLine) * height > data.size())
        return QImage();
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const uchar* line = reinterpret_cast<const uchar*>(data.constData() + offset + qint64(y) * bytesPerLine);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x)
            out[x] = qRgb(line[4 * x + 2], line[4 * x + 1], line[4 * x]);
    }
    return image;
}

// Pixels of the image inside rect that are neither near white nor near the
// background grey: ink of traces, labels and icons.
int inkIn(const QImage& image, const QRect& rect)
{
    int ink = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                ++ink;
        }
    }
    return ink;
}

} // namespace

class TestWindowEndToEnd : public QObject
{
    Q_OBJECT

private:
    TestHttpServer services_;
    QTemporaryDir dir_;

    // Starts the program on a virtual X screen of the given size and returns
    // its window's geometry and a picture of the screen.
    void runProgramOnScreen(const QSize& screen, QRect* windowGeometry, QImage* picture);

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void importsAndDrawsRealFiles();
    void realProgramStarts_data();
    void realProgramStarts();
};

void TestWindowEndToEnd::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY(services_.startHttp());
    services_.route(stationPath, [](const TestHttpServer::Request& request) {
        const QUrlQuery query(QString::fromLatin1(request.query));
        return TestHttpServer::Reply::ok(stationXml(query.queryItemValue(QStringLiteral("cha")).toLatin1()),
                                         "application/xml");
    });
    pointServicesAt(services_.hostPort());
}

void TestWindowEndToEnd::cleanup()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QuakeslateWindow*>(widget))
            widget->close();
    }
    deleteClosedWindows();
    QTRY_COMPARE_WITH_TIMEOUT(services_.openConnections(), 0, 10000);
}

void TestWindowEndToEnd::importsAndDrawsRealFiles()
{
    ToolMadeFiles files;
    QString why;
    if (!makeToolFiles(dir_.path(), &files, &why))
        QFAIL(qPrintable(why));

    // As main starts the program.
    QPointer<QuakeslateWindow> window = new QuakeslateWindow(nullptr);
    window->resize(1224, 765);
    window->show();
    window->initializeCanvasSize();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    windowAction(window, QStringLiteral("actionImportFromSACBinaryFiles"))->trigger();
    QVERIFY(acceptFileDialog(window, { files.sac }));
    windowAction(window, QStringLiteral("actionImportFromMiniSEEDFiles"))->trigger();
    QVERIFY(acceptFileDialog(window, { files.twoChannels }));
    QCOMPARE(window->canvas()->traceCount(), 3);

    // A GeoCSV file of the vertical trace, written by our exporter and read
    // back by the import.
    windowAction(window, QStringLiteral("actionSelectAll"))->trigger();
    windowAction(window, QStringLiteral("actionExportGeoCSVFiles"))->trigger();
    QVERIFY(acceptFileDialog(window, { dir_.filePath(QStringLiteral("<sta>-<cha>")) }));
    windowAction(window, QStringLiteral("actionImportFromGeoCSVFiles"))->trigger();
    QVERIFY(acceptFileDialog(window, { dir_.filePath(QStringLiteral("COLA-LHZ.csv")) }));
    QCOMPARE(window->canvas()->traceCount(), 4);
    QStringList labels;
    for (Trace* trace : window->canvas()->traces())
        labels << trace->labelString();
    QCOMPARE(labels, QStringList({ "IU:COLA:00:LHZ", "IU:COLA:00:LHN", "IU:COLA:00:LHE", "IU:COLA:00:LHZ" }));

    // The metadata of both miniSEED channels arrives while they are shown.
    for (int i : { 1, 2 })
        QTRY_COMPARE_WITH_TIMEOUT(window->canvas()->traces().at(i)->seismicRecord()->sensorDescription(),
                                  QStringLiteral("Streckeisen STS-1"), 10000);

    // Clear the selection, fit the canvas and take the picture.
    windowAction(window, QStringLiteral("actionDeselectAll"))->trigger();
    QVERIFY(windowAction(window, QStringLiteral("actionViewRecordSection"))->isEnabled());
    windowAction(window, QStringLiteral("actionFitInWindow"))->trigger();
    QApplication::processEvents();

    const QImage shot = window->grab().toImage();
    const QString png = QStringLiteral(QS_BUILD_DIR "/quakeslate-window-end-to-end.png");
    QVERIFY(shot.save(png));
    QVERIFY(QFile::exists(png));
    // The canvas holds drawn traces.
    const QRect canvasArea(window->canvas()->mapTo(window, QPoint(0, 0)), window->canvas()->size());
    QVERIFY2(inkIn(shot, canvasArea) > 2000, qPrintable(QString::number(inkIn(shot, canvasArea))));
}

void TestWindowEndToEnd::realProgramStarts_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");

    // Below 1441 pixels a window takes the whole available area; from 1441 on
    // 0.85 of it.
    QTest::newRow("1441 wide") << QSize(1441, 900) << QSize(1224, 765);
    QTest::newRow("1440 wide") << QSize(1440, 900) << QSize(1440, 900);
}

void TestWindowEndToEnd::runProgramOnScreen(const QSize& screen, QRect* windowGeometry, QImage* picture)
{
    const QString program = QStringLiteral(QS_BUILD_DIR "/quakeslate");

    QTemporaryDir frames;
    QVERIFY(frames.isValid());
    QProcess server;
    // The server picks a free display and tells its number on standard output.
    server.start(QStringLiteral("Xvfb"),
                 { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-br"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()), QStringLiteral("-fbdir"),
                   frames.path() });
    QVERIFY(server.waitForStarted(10000));
    QByteArray number;
    for (int i = 0; i < 300 && !number.contains('\n') && server.state() == QProcess::Running; ++i) {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
    }
    QVERIFY2(number.trimmed().toInt() > 0 || number.trimmed() == "0", number.constData());
    const QString display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());

    QProcess quakeslate;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    quakeslate.setProcessEnvironment(environment);
    quakeslate.setProcessChannelMode(QProcess::ForwardedChannels);
    quakeslate.start(program, QStringList());
    QVERIFY(quakeslate.waitForStarted(10000));

    auto stop = [&] {
        quakeslate.terminate();
        if (!quakeslate.waitForFinished(10000)) {
            quakeslate.kill();
            quakeslate.waitForFinished(5000);
        }
        server.terminate();
        if (!server.waitForFinished(10000)) {
            server.kill();
            server.waitForFinished(5000);
        }
    };

    // Wait for its first window to be mapped, then for its menu bar to be drawn.
    QString info;
    bool mapped = false;
    for (int i = 0; i < 300 && !mapped && quakeslate.state() == QProcess::Running; ++i) {
        mapped = runTool(QStringLiteral("xwininfo"),
                         { QStringLiteral("-display"), display, QStringLiteral("-name"), QStringLiteral("Quakeslate #1") },
                         frames.path(), &info);
        if (!mapped)
            QTest::qWait(100);
    }
    if (!mapped) {
        stop();
        QFAIL("the program's window did not appear");
    }
    auto field = [&info](const char* name) {
        const QRegularExpression pattern(QLatin1String(name) + QStringLiteral(":\\s+(-?\\d+)"));
        return pattern.match(info).captured(1).toInt();
    };
    *windowGeometry = QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                            field("Height"));
    const QRect menuBar(windowGeometry->left() + 5, windowGeometry->top() + 2, 300, 20);
    for (int i = 0; i < 300; ++i) {
        *picture = readXwd(frames.filePath(QStringLiteral("Xvfb_screen0")));
        if (!picture->isNull() && inkIn(*picture, menuBar) > 50 && qGray(picture->pixel(menuBar.center())) > 128)
            break;
        QTest::qWait(100);
    }
    const bool running = quakeslate.state() == QProcess::Running;
    stop();
    QVERIFY(running);
}

void TestWindowEndToEnd::realProgramStarts()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    // Checked here: a skip inside the helper would only leave the helper.
    if (!QFile::exists(QStringLiteral(QS_BUILD_DIR "/quakeslate")))
        QSKIP("the program is not built in this build folder");
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
        QSKIP("Xvfb and xwininfo are needed to start the program on a screen");

    QRect geometry;
    QImage picture;
    runProgramOnScreen(screen, &geometry, &picture);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(geometry.topLeft(), QPoint(30, 30));
    QCOMPARE(geometry.size(), window);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), screen);
    const QString png = QStringLiteral(QS_BUILD_DIR "/quakeslate-program-%1x%2.png")
                            .arg(screen.width())
                            .arg(screen.height());
    QVERIFY(picture.save(png));
    // Menu titles and tool-bar icons are drawn inside the window; above it
    // the black root window shows.
    QVERIFY(inkIn(picture, QRect(geometry.left(), geometry.top(), geometry.width(), 80)) > 200);
    QCOMPARE(inkIn(picture, QRect(0, 0, screen.width(), 29)), screen.width() * 29);
}

QTEST_MAIN(TestWindowEndToEnd)
#include "test_windowendtoend.moc"
