#include "app/quakeslatewindow.h"
#include "canvas/quakeslate.h"
#include "canvas/trace.h"
#include "formats/miniseedrecord.h"
#include "formats/sacrecord.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include "support/canvasharness.h"
#include "support/testhttpserver.h"
#include "support/windowtesting.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

const QByteArray stationPath = "/fdsnws/station/1/query";
// 2010-02-27 06:50:00 UTC, about the start of libmseed's example.
constexpr long long exampleStartMSecs = 1267253400000LL;

// A channel-level StationXML answer for IU.COLA with the channel asked for,
// whose sensor names the channel so that each record's own answer shows.
QByteArray stationXml(const QByteArray& channel)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<FDSNStationXML xmlns=\"http://www.fdsn.org/xml/station/1\" schemaVersion=\"1.1\">\n"
           " <Source>Test</Source><Created>2024-01-01T00:00:00</Created>\n"
           " <Network code=\"IU\"><Description>Global Seismograph Network</Description>\n"
           "  <Station code=\"COLA\"><Latitude>64.8736</Latitude><Longitude>-147.8616</Longitude>"
           "<Elevation>200.0</Elevation><Site><Name>College Outpost, Alaska</Name></Site>\n"
           "   <Channel code=\""
           + channel
           + "\" locationCode=\"00\"><Latitude>64.8736</Latitude><Longitude>-147.8616</Longitude>"
             "<Elevation>84.0</Elevation><Depth>116.0</Depth><Azimuth>0</Azimuth><Dip>-90</Dip>"
             "<Sensor><Description>Sensor "
           + channel
           + "</Description></Sensor></Channel>\n"
             "  </Station>\n </Network>\n</FDSNStationXML>\n";
}

// Whole-number samples, so that the 32-bit floats of SAC and the integers of
// Steim-2 miniSEED hold them exactly.
SeismicRecord* record(const QString& network, const QString& station, const QString& location, int seed)
{
    return makeCanvasRecord(network, station, location, QStringLiteral("BHZ"), exampleStartMSecs, 2000, 20.0,
                            [seed](int k) { return double((k * (seed + 3)) % 701 - 350 + seed); });
}

QVector<double> samplesOf(const TimeSeries* series)
{
    QVector<double> values(series->npts());
    for (int k = 0; k < series->npts(); ++k)
        values[k] = series->samples[k];
    return values;
}

QString lineEditText(QFileDialog* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
}

// Collects the text of the next warning box and closes it.
struct BoxWatch
{
    std::shared_ptr<QString> text = std::make_shared<QString>();
    std::shared_ptr<bool> fired;

    BoxWatch()
    {
        auto text_ = text;
        fired = whenModalAppears([text_](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                *text_ = box->text() + QLatin1Char('\n') + box->informativeText();
                box->button(QMessageBox::Ok)->click();
            } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
                *text_ = QStringLiteral("unexpected dialog ") + dialog->windowTitle();
                dialog->reject();
            }
        });
    }
};

QString pdfInfo(const QString& path)
{
    QString output;
    if (!runTool(QStringLiteral("pdfinfo"), { path }, QFileInfo(path).absolutePath(), &output))
        return QString();
    return output;
}

} // namespace

class TestWindowFiles : public QObject
{
    Q_OBJECT

private:
    TestHttpServer services_;
    QTemporaryDir dir_;
    ToolMadeFiles files_;
    QPointer<QuakeslateWindow> window_;

    QString path(const QString& name) const { return dir_.filePath(name); }
    QStringList stationsOnCanvas() const;
    void exportAs(const char* action, const QString& chosen);

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void importDialogs_data();
    void importDialogs();
    void importSacSkipsWhatIsNotSac();
    void importMiniSeedFetchesChannelMetadata();
    void geoCsvRoundTrip();

    void exportProposals_data();
    void exportProposals();
    void exportPatternOneFilePerTrace();
    void exportedSacReadBySac2mseed();
    void exportNamesAndSuffixes();
    void exportFailuresAreListedOnce();

    void pdfExport();
    void pdfFailureIsReported();
    void printKeepsItsDialog();
};

void TestWindowFiles::initTestCase()
{
    QVERIFY(dir_.isValid());
    QString why;
    if (!makeToolFiles(dir_.path(), &files_, &why))
        QFAIL(qPrintable(why));
    QVERIFY(services_.startHttp());
    pointServicesAt(services_.hostPort());
}

void TestWindowFiles::init()
{
    services_.clearRoutes();
    services_.clearRequests();
    services_.route(stationPath, [](const TestHttpServer::Request& request) {
        const QUrlQuery query(QString::fromLatin1(request.query));
        return TestHttpServer::Reply::ok(stationXml(query.queryItemValue(QStringLiteral("cha")).toLatin1()),
                                         "application/xml");
    });
    window_ = new QuakeslateWindow(nullptr);
    window_->show();
    window_->initializeCanvasSize();
}

void TestWindowFiles::cleanup()
{
    stopModalWatchers();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QuakeslateWindow*>(widget))
            widget->close();
    }
    deleteClosedWindows();
    QVERIFY(!window_);
    // Replies still on their way go with the records; let the connections close.
    QTRY_COMPARE_WITH_TIMEOUT(services_.openConnections(), 0, 10000);
}

QStringList TestWindowFiles::stationsOnCanvas() const
{
    QStringList labels;
    for (Trace* trace : window_->canvas()->traces())
        labels << trace->labelString();
    return labels;
}

void TestWindowFiles::exportAs(const char* action, const QString& chosen)
{
    windowAction(window_, QLatin1String(action))->trigger();
    QVERIFY(acceptFileDialog(window_, { chosen }));
}

// ---- Import ---------------------------------------------------------------

void TestWindowFiles::importDialogs_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");

    QTest::newRow("SAC") << "actionImportFromSACBinaryFiles" << "Import SAC Binary Files";
    QTest::newRow("miniSEED") << "actionImportFromMiniSEEDFiles" << "Import MiniSEED File";
    QTest::newRow("GeoCSV") << "actionImportFromGeoCSVFiles" << "Import GeoCSV File";
}

void TestWindowFiles::importDialogs()
{
    QFETCH(QString, action);
    QFETCH(QString, title);

    // An export leaves a proposed name and save mode behind; the import sets
    // what it needs and keeps the folder.
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("AAA"), QStringLiteral("00"), 1));
    window_->canvas()->selectAll();
    windowAction(window_, QStringLiteral("actionExportSACBinaryFiles"))->trigger();
    QFileDialog* dialog = openFileDialog(window_);
    QVERIFY(dialog);
    dialog->setDirectory(dir_.path());
    QVERIFY(rejectFileDialog(window_));

    windowAction(window_, action)->trigger();
    QCOMPARE(openFileDialog(window_), dialog);
    QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == dialog);
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(dialog->windowTitle(), title);
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(dir_.path()).canonicalPath());
    // No filter: every file can be chosen.
    QCOMPARE(dialog->nameFilters().size(), 1);
    QVERIFY(dialog->nameFilters().first().contains(QStringLiteral("*")));

    // Cancelling changes nothing.
    QVERIFY(rejectFileDialog(window_));
    QCOMPARE(window_->canvas()->traceCount(), 1);
    QCOMPARE(services_.requestCount(), 0);
}

void TestWindowFiles::importSacSkipsWhatIsNotSac()
{
    const QString copy = path(QStringLiteral("second.sac"));
    QFile::remove(copy);
    QVERIFY(QFile::copy(files_.sac, copy));
    const QString text = path(QStringLiteral("notes.txt"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a seismogram\n");
    }

    windowAction(window_, QStringLiteral("actionImportFromSACBinaryFiles"))->trigger();
    QVERIFY(acceptFileDialog(window_, { files_.sac, text, copy }));
    QCOMPARE(stationsOnCanvas(), QStringList({ "IU:COLA:00:LHZ", "IU:COLA:00:LHZ" }));
    QCOMPARE(services_.requestCount(), 0);

    // The samples and start are libmseed's own reading of the example.
    MiniSEEDRecord reader;
    std::unique_ptr<QList<SeismicRecord*>> original(
        reader.readFile(QStringLiteral("/usr/share/doc/libmseed-dev/examples/test.mseed")));
    QVERIFY(original);
    QCOMPARE(original->size(), 1);
    std::unique_ptr<SeismicRecord> reference(original->first());
    const TimeSeries* expected = reference->segments().first();
    for (Trace* trace : window_->canvas()->traces()) {
        QCOMPARE(trace->npts(), 4200);
        QCOMPARE(trace->startTimeMSecs(), expected->startTimeMSecs());
        QCOMPARE(trace->dt(), 1.0);
        QCOMPARE(samplesOf(trace), samplesOf(expected));
    }
}

void TestWindowFiles::importMiniSeedFetchesChannelMetadata()
{
    windowAction(window_, QStringLiteral("actionImportFromMiniSEEDFiles"))->trigger();
    // The SAC file is no miniSEED: skipped (libmseed logs why).
    QVERIFY(acceptFileDialog(window_, { files_.twoChannels, files_.sac, files_.mseed }));
    QCOMPARE(stationsOnCanvas(), QStringList({ "IU:COLA:00:LHN", "IU:COLA:00:LHE", "IU:COLA:00:LHZ" }));

    // One station request per trace, each for its own channel.
    QVERIFY(services_.waitForRequests(3));
    QStringList channels;
    for (const TestHttpServer::Request& request : services_.requests())
        channels << QUrlQuery(QString::fromLatin1(request.query)).queryItemValue(QStringLiteral("cha"));
    channels.sort();
    QCOMPARE(channels, QStringList({ "LHE", "LHN", "LHZ" }));

    // The answers fill in the records behind the traces already drawn.
    for (Trace* trace : window_->canvas()->traces()) {
        SeismicRecord* r = trace->seismicRecord();
        QTRY_COMPARE_WITH_TIMEOUT(r->sensorDescription(), QStringLiteral("Sensor ") + r->channelCode(), 10000);
        QCOMPARE(r->latitude(), 64.8736);
        QCOMPARE(r->longitude(), -147.8616);
        QCOMPARE(r->siteName(), QStringLiteral("College Outpost, Alaska"));
        QCOMPARE(r->channelDepth(), 116.0);
        QCOMPARE(trace->npts(), 4200);
        QVERIFY(std::abs(trace->startTimeMSecs() - exampleStartMSecs) < 1000);
    }
    // The three channels carry the example's samples from its start.
    QCOMPARE(samplesOf(window_->canvas()->traces().at(0)), samplesOf(window_->canvas()->traces().at(2)));
    QCOMPARE(window_->canvas()->traces().at(0)->startTimeMSecs(), window_->canvas()->traces().at(2)->startTimeMSecs());
}

void TestWindowFiles::geoCsvRoundTrip()
{
    QDir(path(QStringLiteral("csv"))).removeRecursively();
    QVERIFY(QDir().mkpath(path(QStringLiteral("csv"))));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("ANMO"), QStringLiteral("00"), 1));
    window_->addSeismicRecord(record(QStringLiteral("GE"), QStringLiteral("WLF"), QString(), 2));
    windowAction(window_, QStringLiteral("actionSelectAll"))->trigger();
    exportAs("actionExportGeoCSVFiles", path(QStringLiteral("csv/<net>.<sta>.<loc>.<cha>")));
    const QString anmo = path(QStringLiteral("csv/IU.ANMO.00.BHZ.csv"));
    const QString wlf = path(QStringLiteral("csv/GE.WLF..BHZ.csv"));
    QVERIFY(QFile::exists(anmo));
    QVERIFY(QFile::exists(wlf));

    // A second window reads them back through its own import.
    QPointer<QuakeslateWindow> reader = new QuakeslateWindow(nullptr);
    reader->show();
    reader->initializeCanvasSize();
    windowAction(reader, QStringLiteral("actionImportFromGeoCSVFiles"))->trigger();
    QVERIFY(acceptFileDialog(reader, { anmo, files_.sac, wlf }));
    QCOMPARE(reader->canvas()->traceCount(), 2);
    for (int i = 0; i < 2; ++i) {
        Trace* written = window_->canvas()->traces().at(i);
        Trace* read = reader->canvas()->traces().at(i);
        QCOMPARE(read->labelString(), written->labelString());
        QCOMPARE(read->startTimeMSecs(), written->startTimeMSecs());
        QCOMPARE(read->sampleRate(), written->sampleRate());
        QCOMPARE(samplesOf(read), samplesOf(written));
    }
    reader->close();
}

// ---- Export ---------------------------------------------------------------

void TestWindowFiles::exportProposals_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("proposal");
    QTest::addColumn<QString>("title");

    QTest::newRow("SAC, one") << "actionExportSACBinaryFiles" << 1 << "XX.ABC.00.BHZ.sac" << "Export SAC Files";
    QTest::newRow("SAC, none") << "actionExportSACBinaryFiles" << 0 << "<net>.<sta>.<loc>.<cha>.sac"
                               << "Export SAC Files";
    QTest::newRow("SAC, two") << "actionExportSACBinaryFiles" << 2 << "<net>.<sta>.<loc>.<cha>.sac"
                              << "Export SAC Files";
    QTest::newRow("SAC, undefined codes") << "actionExportSACBinaryFiles" << -1 << "??.XYZ.--.BHZ.sac"
                                          << "Export SAC Files";
    QTest::newRow("GeoCSV, one") << "actionExportGeoCSVFiles" << 1 << "XX.ABC.00.BHZ.csv"
                                 << "Export GeoCSV Files";
    QTest::newRow("GeoCSV, two") << "actionExportGeoCSVFiles" << 2 << "<net>.<sta>.<loc>.<cha>.csv"
                                 << "Export GeoCSV Files";
    QTest::newRow("GeoCSV, undefined codes") << "actionExportGeoCSVFiles" << -1 << "??.XYZ.--.BHZ.csv"
                                             << "Export GeoCSV Files";
}

void TestWindowFiles::exportProposals()
{
    QFETCH(QString, action);
    QFETCH(int, selected);
    QFETCH(QString, proposal);
    QFETCH(QString, title);

    if (selected >= 0) {
        SeismicRecord* first = record(QStringLiteral("XX"), QStringLiteral("ABC"), QStringLiteral("00"), 1);
        auto* event = new SeismicEvent;
        first->setSeismicEvent(event);
        window_->addSeismicRecord(first);
        window_->addSeismicRecord(record(QStringLiteral("YY"), QStringLiteral("DEF"), QStringLiteral("10"), 2));
        if (selected == 1)
            event->selectionAction()->trigger();
        else if (selected == 2)
            window_->canvas()->selectAll();
    } else {
        // Codes that a SAC header left undefined.
        window_->addSeismicRecord(
            record(QStringLiteral("-12345"), QStringLiteral("XYZ"), QStringLiteral("-12345"), 1));
        window_->canvas()->selectAll();
    }
    QCOMPARE(window_->canvas()->selectionCount(), selected < 0 ? 1 : selected);

    windowAction(window_, action)->trigger();
    QFileDialog* dialog = openFileDialog(window_);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->windowTitle(), title);
    QCOMPARE(lineEditText(dialog), proposal);
    // Cancelled: nothing written.
    const QStringList before = QDir(dialog->directory()).entryList(QDir::Files);
    QVERIFY(rejectFileDialog(window_));
    QCOMPARE(QDir(dialog->directory()).entryList(QDir::Files), before);
}

void TestWindowFiles::exportPatternOneFilePerTrace()
{
    QDir(path(QStringLiteral("pattern"))).removeRecursively();
    QVERIFY(QDir().mkpath(path(QStringLiteral("pattern"))));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("ANMO"), QStringLiteral("00"), 1));
    window_->addSeismicRecord(record(QStringLiteral("GE"), QStringLiteral("WLF"), QString(), 2));
    window_->addSeismicRecord(record(QStringLiteral("II"), QStringLiteral("BFO"), QStringLiteral("10"), 3));
    window_->canvas()->selectAll();

    BoxWatch box;
    // Placeholders anywhere, every occurrence; capitals are no placeholder.
    exportAs("actionExportSACBinaryFiles", path(QStringLiteral("pattern/<sta>_<NET>_<net>.<loc>.<cha>-<sta>")));
    stopModalWatchers();
    QVERIFY(!*box.fired);
    QCOMPARE(QDir(path(QStringLiteral("pattern"))).entryList(QDir::Files),
             QStringList({ "ANMO_<NET>_IU.00.BHZ-ANMO.sac", "BFO_<NET>_II.10.BHZ-BFO.sac",
                           "WLF_<NET>_GE..BHZ-WLF.sac" }));

    for (Trace* trace : window_->canvas()->traces()) {
        const SeismicRecord* r = trace->seismicRecord();
        const QString name = path(QStringLiteral("pattern/%1_<NET>_%2.%3.%4-%1.sac")
                                      .arg(r->stationCode(), r->networkCode(), r->locationCode(), r->channelCode()));
        SacRecord sac;
        std::unique_ptr<SeismicRecord> back(sac.readBinaryFile(name));
        QVERIFY2(back, qPrintable(name));
        QCOMPARE(back->networkCode(), r->networkCode());
        QCOMPARE(back->stationCode(), r->stationCode());
        QCOMPARE(back->channelCode(), r->channelCode());
        QCOMPARE(back->segments().first()->startTimeMSecs(), trace->startTimeMSecs());
        QCOMPARE(samplesOf(back->segments().first()), samplesOf(trace));
    }
}

void TestWindowFiles::exportedSacReadBySac2mseed()
{
    // The example through our import and export, then through the Debian
    // converter and libmseed: the same samples and times come out.
    windowAction(window_, QStringLiteral("actionImportFromSACBinaryFiles"))->trigger();
    QVERIFY(acceptFileDialog(window_, { files_.sac }));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("ANMO"), QStringLiteral("00"), 4));
    window_->canvas()->selectAll();
    QDir(path(QStringLiteral("trip"))).removeRecursively();
    QVERIFY(QDir().mkpath(path(QStringLiteral("trip"))));
    exportAs("actionExportSACBinaryFiles", path(QStringLiteral("trip/<net>.<sta>.<loc>.<cha>.sac")));

    for (Trace* trace : window_->canvas()->traces()) {
        const QString base = path(QStringLiteral("trip/") + trace->labelString().replace(QLatin1Char(':'), QLatin1Char('.')));
        QString log;
        QVERIFY2(runTool(QStringLiteral("sac2mseed"), { QStringLiteral("-o"), base + QStringLiteral(".mseed"),
                                                        base + QStringLiteral(".sac") },
                         path(QStringLiteral("trip")), &log),
                 qPrintable(log));
        MiniSEEDRecord reader;
        std::unique_ptr<QList<SeismicRecord*>> records(reader.readFile(base + QStringLiteral(".mseed")));
        QVERIFY(records);
        QCOMPARE(records->size(), 1);
        std::unique_ptr<SeismicRecord> back(records->first());
        QCOMPARE(back->networkCode() + QLatin1Char(':') + back->stationCode() + QLatin1Char(':')
                     + back->locationCode() + QLatin1Char(':') + back->channelCode(),
                 trace->labelString());
        const TimeSeries* series = back->segments().first();
        QCOMPARE(series->startTimeMSecs(), trace->startTimeMSecs());
        QCOMPARE(series->sampleRate(), trace->sampleRate());
        QCOMPARE(samplesOf(series), samplesOf(trace));
    }
}

void TestWindowFiles::exportNamesAndSuffixes()
{
    QDir(path(QStringLiteral("names"))).removeRecursively();
    QVERIFY(QDir().mkpath(path(QStringLiteral("names/AAA"))));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("AAA"), QStringLiteral("00"), 1));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("BBB"), QStringLiteral("00"), 2));
    window_->canvas()->selectAll();

    // No placeholder: every trace goes to the one file, the last one stays.
    exportAs("actionExportSACBinaryFiles", path(QStringLiteral("names/all")));
    {
        SacRecord sac;
        std::unique_ptr<SeismicRecord> back(sac.readBinaryFile(path(QStringLiteral("names/all.sac"))));
        QVERIFY(back);
        QCOMPARE(back->stationCode(), window_->canvas()->selectedTraces().last()->seismicRecord()->stationCode());
    }
    // The suffix test is case-sensitive.
    exportAs("actionExportSACBinaryFiles", path(QStringLiteral("names/<sta>.SAC")));
    QVERIFY(QFile::exists(path(QStringLiteral("names/AAA.SAC.sac"))));
    exportAs("actionExportSACBinaryFiles", path(QStringLiteral("names/<sta>-kept.sac")));
    QVERIFY(QFile::exists(path(QStringLiteral("names/BBB-kept.sac"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("names/BBB-kept.sac.sac"))));
    exportAs("actionExportGeoCSVFiles", path(QStringLiteral("names/<sta>.csv")));
    exportAs("actionExportGeoCSVFiles", path(QStringLiteral("names/<sta>.CSV")));
    QVERIFY(QFile::exists(path(QStringLiteral("names/AAA.csv"))));
    QVERIFY(QFile::exists(path(QStringLiteral("names/BBB.CSV.csv"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("names/AAA.csv.csv"))));

    // A folder named after the station: only the station whose folder exists
    // is written, and the user hears of the other.
    BoxWatch box;
    exportAs("actionExportSACBinaryFiles", path(QStringLiteral("names/<sta>/<sta>")));
    stopModalWatchers();
    QVERIFY(QFile::exists(path(QStringLiteral("names/AAA/AAA.sac"))));
    QVERIFY(*box.fired);
    QVERIFY2(box.text->contains(path(QStringLiteral("names/BBB/BBB.sac"))), qPrintable(*box.text));
    QVERIFY(!box.text->contains(QStringLiteral("AAA")));
}

void TestWindowFiles::exportFailuresAreListedOnce()
{
    QDir(path(QStringLiteral("fail"))).removeRecursively();
    QVERIFY(QDir().mkpath(path(QStringLiteral("fail"))));
    const QString existing = path(QStringLiteral("fail/AAA.csv"));
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("left alone\n");
    }
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("AAA"), QStringLiteral("00"), 1));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("BBB"), QStringLiteral("00"), 2));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("CCC"), QStringLiteral("00"), 3));
    window_->canvas()->selectAll();

    // Every trace into one missing folder: one box names the file once.
    BoxWatch box;
    exportAs("actionExportGeoCSVFiles", path(QStringLiteral("missing/all")));
    stopModalWatchers();
    QVERIFY(*box.fired);
    QCOMPARE(box.text->count(path(QStringLiteral("missing/all.csv"))), 1);

    // A folder per station: the written files are whole GeoCSV files, the
    // missing folders are listed; nothing else was touched.
    QVERIFY(QDir().mkpath(path(QStringLiteral("fail/BBB"))));
    BoxWatch second;
    exportAs("actionExportGeoCSVFiles", path(QStringLiteral("fail/<sta>/<cha>")));
    stopModalWatchers();
    QVERIFY(*second.fired);
    QVERIFY(second.text->contains(path(QStringLiteral("fail/AAA/BHZ.csv"))));
    QVERIFY(second.text->contains(path(QStringLiteral("fail/CCC/BHZ.csv"))));
    QVERIFY(!second.text->contains(QStringLiteral("BBB")));
    QFile written(path(QStringLiteral("fail/BBB/BHZ.csv")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readLine().startsWith("# dataset: GeoCSV 2.0"));
    QFile kept(existing);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("left alone\n"));
}

// ---- PDF and print --------------------------------------------------------

void TestWindowFiles::pdfExport()
{
    windowAction(window_, QStringLiteral("actionImportFromSACBinaryFiles"))->trigger();
    QVERIFY(acceptFileDialog(window_, { files_.sac }));
    QVERIFY(window_->canvas()->width() > window_->canvas()->height());

    windowAction(window_, QStringLiteral("actionExportPDF"))->trigger();
    QFileDialog* dialog = openFileDialog(window_);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Export PDF File"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(lineEditText(dialog), QStringLiteral("Quakeslate %1.pdf").arg(window_->windowNumber()));

    const QString wide = path(QStringLiteral("wide.pdf"));
    QFile::remove(wide);
    BoxWatch box;
    QVERIFY(acceptFileDialog(window_, { wide }));
    stopModalWatchers();
    QVERIFY(!*box.fired);
    const QString info = pdfInfo(wide);
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+792 x 612 pts"))), qPrintable(info));
    QString text;
    QVERIFY(runTool(QStringLiteral("pdftotext"), { wide, QStringLiteral("-") }, dir_.path(), &text));
    QVERIFY2(text.contains(QStringLiteral("Quakeslate #%1").arg(window_->windowNumber())), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("COLA")), qPrintable(text));

    // A square canvas prints upright; the name is used as given.
    window_->canvas()->resize(600, 600);
    windowAction(window_, QStringLiteral("actionExportPDF"))->trigger();
    const QString square = path(QStringLiteral("square-report"));
    QFile::remove(square);
    QVERIFY(acceptFileDialog(window_, { square }));
    QVERIFY(pdfInfo(square).contains(QRegularExpression(QStringLiteral("Page size:\\s+612 x 792 pts"))));
    QVERIFY(!QFile::exists(square + QStringLiteral(".pdf")));
}

void TestWindowFiles::pdfFailureIsReported()
{
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("AAA"), QStringLiteral("00"), 1));
    BoxWatch box;
    windowAction(window_, QStringLiteral("actionExportPDF"))->trigger();
    const QString nowhere = path(QStringLiteral("no-such-folder/canvas.pdf"));
    QVERIFY(acceptFileDialog(window_, { nowhere }));
    stopModalWatchers();
    QVERIFY(*box.fired);
    QVERIFY2(box.text->contains(nowhere), qPrintable(*box.text));
}

void TestWindowFiles::printKeepsItsDialog()
{
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("AAA"), QStringLiteral("00"), 1));
    window_->addSeismicRecord(record(QStringLiteral("IU"), QStringLiteral("BBB"), QStringLiteral("00"), 2));
    QVERIFY(window_->canvas()->width() > window_->canvas()->height());
    QAction* print = windowAction(window_, QStringLiteral("actionPrint"));
    QVERIFY(print->isEnabled());

    print->trigger();
    auto* dialog = window_->findChild<QPrintDialog*>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QPrinter* printer = dialog->printer();
    QVERIFY(printer->resolution() >= 300); // high-resolution mode
    QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Landscape);

    // Cancelled: nothing printed. The user's portrait choice is overruled
    // by the canvas's shape at the next print.
    printer->setPageOrientation(QPageLayout::Portrait);
    dialog->reject();
    print->trigger();
    QCOMPARE(window_->findChildren<QPrintDialog*>().size(), 1);
    QCOMPARE(window_->findChild<QPrintDialog*>(), dialog);
    QCOMPARE(dialog->printer(), printer);
    QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Landscape);

    // Accepted: the canvas paints its page on the dialog's printer, here
    // the file printer that a machine without printers offers, named in
    // the dialog as the user would.
    dialog->reject();
    const QString out = path(QStringLiteral("printed.pdf"));
    QFile::remove(out);
    print->trigger();
    QTRY_VERIFY(dialog->isVisible());
    auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!fileName)
        QSKIP("this print dialog has no output file field");
    fileName->setText(out);
    static_cast<QDialog*>(dialog)->accept();
    QVERIFY(!dialog->isVisible());
    const QString info = pdfInfo(out);
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
}

QTEST_MAIN(TestWindowFiles)
#include "test_windowfiles.moc"
