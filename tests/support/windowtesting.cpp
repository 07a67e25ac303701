#include "support/windowtesting.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>

QAction* windowAction(const QMainWindow* window, const QString& objectName)
{
    return window->findChild<QAction*>(objectName);
}

QMenu* windowMenu(const QMainWindow* window, const QString& objectName)
{
    return window->findChild<QMenu*>(objectName);
}

QFileDialog* openFileDialog(const QMainWindow* window)
{
    const QList<QFileDialog*> dialogs = window->findChildren<QFileDialog*>();
    for (QFileDialog* dialog : dialogs) {
        if (dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

bool acceptFileDialog(const QMainWindow* window, const QStringList& paths)
{
    QFileDialog* dialog = openFileDialog(window);
    if (!dialog || paths.isEmpty())
        return false;
    // A row left selected in the view would win over the typed names.
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>())
        view->clearSelection();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit)
        return false;
    QString text;
    if (paths.size() == 1) {
        text = paths.first();
    } else {
        for (const QString& path : paths)
            text += QLatin1Char('"') + path + QStringLiteral("\" ");
    }
    edit->setText(text.trimmed());
    // As the accept button does; the file dialog's own override checks the names.
    static_cast<QDialog*>(dialog)->accept();
    return !dialog->isVisible();
}

bool rejectFileDialog(const QMainWindow* window)
{
    QFileDialog* dialog = openFileDialog(window);
    if (!dialog)
        return false;
    dialog->reject();
    return !dialog->isVisible();
}

bool runTool(const QString& program, const QStringList& arguments, const QString& directory,
             QString* output)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return false;
    const bool finished = process.waitForFinished(60000);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeToolFiles(const QString& directory, ToolMadeFiles* files, QString* why)
{
    const QString example = QStringLiteral("/usr/share/doc/libmseed-dev/examples/test.mseed");
    if (!QFile::exists(example)) {
        *why = QStringLiteral("libmseed's example file is missing");
        return false;
    }
    QDir dir(directory);
    QString log;
    if (!runTool(QStringLiteral("mseed2sac"), { example }, directory, &log)) {
        *why = QStringLiteral("mseed2sac failed: ") + log;
        return false;
    }
    const QStringList sacs = dir.entryList({ QStringLiteral("*.SAC") }, QDir::Files);
    if (sacs.size() != 1) {
        *why = QStringLiteral("mseed2sac wrote %1 SAC files").arg(sacs.size());
        return false;
    }
    files->sac = dir.absoluteFilePath(sacs.first());
    files->mseed = dir.absoluteFilePath(QStringLiteral("COLA.LHZ.mseed"));
    const QString north = dir.absoluteFilePath(QStringLiteral("COLA.LHN.mseed"));
    const QString east = dir.absoluteFilePath(QStringLiteral("COLA.LHE.mseed"));
    if (!runTool(QStringLiteral("sac2mseed"), { QStringLiteral("-o"), files->mseed, files->sac }, directory, &log)
        || !runTool(QStringLiteral("sac2mseed"),
                    { QStringLiteral("-c"), QStringLiteral("LHN"), QStringLiteral("-o"), north, files->sac },
                    directory, &log)
        || !runTool(QStringLiteral("sac2mseed"),
                    { QStringLiteral("-c"), QStringLiteral("LHE"), QStringLiteral("-o"), east, files->sac },
                    directory, &log)) {
        *why = QStringLiteral("sac2mseed failed: ") + log;
        return false;
    }
    // miniSEED is a sequence of records, so two files in a row are one file
    // holding both channels.
    files->twoChannels = dir.absoluteFilePath(QStringLiteral("COLA.LHN.LHE.mseed"));
    QFile both(files->twoChannels);
    if (!both.open(QIODevice::WriteOnly)) {
        *why = QStringLiteral("cannot write ") + files->twoChannels;
        return false;
    }
    for (const QString& part : { north, east }) {
        QFile in(part);
        if (!in.open(QIODevice::ReadOnly)) {
            *why = QStringLiteral("cannot read ") + part;
            return false;
        }
        both.write(in.readAll());
    }
    return true;
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void pointServicesAt(const QString& hostPort)
{
    for (const char* variable : { "QUAKESLATE_STATION_HOST", "QUAKESLATE_EVENT_HOST",
                                  "QUAKESLATE_TIMESERIES_HOST", "QUAKESLATE_TRAVELTIME_HOST" })
        qputenv(variable, hostPort.toLatin1());
}
