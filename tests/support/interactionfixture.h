#ifndef INTERACTIONFIXTURE_H
#define INTERACTIONFIXTURE_H

#include "support/canvasharness.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class AnalysisTextEdit;
class Quakeslate;
class SeismicEvent;
class SeismicRecord;
class SeismicScrollArea;
class Trace;
class QDialog;
class QWidget;

// The window stand-in of the canvas harness, answering the canvas's hide and
// show requests as the window does, with a canvas of a chosen size placed at
// the screen's top-left corner. Gestures are sent to the canvas as the window
// system delivers them: moves with buttons held as mouse-move events.
class InteractionFixture : public CanvasHarness
{
public:
    explicit InteractionFixture(const QSize& canvasSize = QSize(800, 420));

    // A record of n samples from sample(i), handed to the canvas.
    SeismicRecord* addRecord(const QString& station, const QString& channel, int n, double rate,
                             long long startMSecs, const std::function<double(int)>& sample);
    SeismicEvent* newEvent(long long originMSecs, double latitude, double longitude, double depth);
    Trace* trace(int i) const;

    // Paints the canvas once, which builds the traces' polylines that hit
    // tests and picking work on.
    void paint();
    // Canvas point of sample i of a trace as it is drawn.
    QPoint pointOn(const Trace* trace, int i) const;

    void press(const QPoint& p, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void move(const QPoint& p, Qt::MouseButtons buttons = Qt::NoButton,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void release(const QPoint& p, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void click(const QPoint& p, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Press, a move on the spot that starts the drag, moves in steps, release.
    void drag(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void key(int key, bool press);
    void contextMenu(const QPoint& p);
};

// While it lives, answers every modal dialog that opens, from inside the
// dialog's own event loop, and counts them. An answer that leaves the dialog
// open is followed by a rejection, so no test can hang on a dialog.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(const std::function<void(QDialog*)>& answer);
    ~ModalAnswer() override;

    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(QDialog*)> answer_;
};

// While it lives, answers every popup menu that opens: notes its entries
// (separators as "-") and chooses the entry with the given text as the
// keyboard would, or closes the menu without a choice when there is none
// such (or the text is empty).
class MenuAnswer : public QObject
{
public:
    explicit MenuAnswer(const QString& choice = QString());
    ~MenuAnswer() override;

    int shown = 0;
    QStringList entries;
    QStringList enabledEntries;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString choice_;
};

#endif // INTERACTIONFIXTURE_H
