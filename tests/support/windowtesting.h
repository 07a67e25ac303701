#ifndef WINDOWTESTING_H
#define WINDOWTESTING_H

#include <QString>
#include <QStringList>

class QAction;
class QFileDialog;
class QMainWindow;
class QMenu;

// Helpers for tests that drive the document window as a user would: by its
// actions, and by answering the file dialog that a command opens.

QAction* windowAction(const QMainWindow* window, const QString& objectName);
QMenu* windowMenu(const QMainWindow* window, const QString& objectName);

// The window's shared file dialog while a command holds it open, else null.
QFileDialog* openFileDialog(const QMainWindow* window);
// Types the paths into the open file dialog (one name as it is, several as
// "a" "b" ...) and presses its accept button. False when no dialog is open
// or it stays open (the toolkit refused the choice).
bool acceptFileDialog(const QMainWindow* window, const QStringList& paths);
bool rejectFileDialog(const QMainWindow* window);

// Runs a command-line tool in directory and waits for it (60 s at most).
// True when it ran and exited with status 0; output gets stdout and stderr.
bool runTool(const QString& program, const QStringList& arguments, const QString& directory,
             QString* output = nullptr);

// Seismograms made by the Debian tools from libmseed's example file
// (IU.COLA.00.LHZ, 4200 samples at 1 sample/s from 2010-02-27 06:50 UTC).
struct ToolMadeFiles
{
    QString sac;         // mseed2sac of the example
    QString mseed;       // sac2mseed of that SAC file
    QString twoChannels; // one miniSEED file holding LHN and LHE of the same samples
};
// Writes the files into directory. False, with a reason in why, when a tool
// or the example is missing or fails.
bool makeToolFiles(const QString& directory, ToolMadeFiles* files, QString* why);

// Sends every web-service client made from now on to hostPort (a loopback
// test server), so that no window test reaches outside the machine.
void pointServicesAt(const QString& hostPort);

// Deletes the windows whose close has been accepted (WA_DeleteOnClose posts
// their deletion).
void deleteClosedWindows();

#endif // WINDOWTESTING_H
