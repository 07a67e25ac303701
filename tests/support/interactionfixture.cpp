#include "support/interactionfixture.h"

#include "app/analysistextedit.h"
#include "canvas/quakeslate.h"
#include "canvas/seismicscrollarea.h"
#include "canvas/trace.h"
#include "model/origin.h"
#include "model/seismicevent.h"
#include "model/seismicrecord.h"
#include "model/timeseries.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QTimer>

InteractionFixture::InteractionFixture(const QSize& canvasSize)
    : CanvasHarness(QSize(canvasSize.width() + 150, (canvasSize.height() + 150) * 5 / 4))
{
    // As the window does: it answers the canvas's trace requests.
    QObject::connect(canvas, &Quakeslate::hideTraces, canvas, &Quakeslate::hideSelectedTraces);
    QObject::connect(canvas, &Quakeslate::showTraces, canvas, &Quakeslate::showAllTraces);
    window.move(0, 0);
    canvas->resize(canvasSize);
    QApplication::processEvents();
}

SeismicRecord* InteractionFixture::addRecord(const QString& station, const QString& channel, int n, double rate,
                                        long long startMSecs, const std::function<double(int)>& sample)
{
    return add(makeCanvasRecord(QStringLiteral("XX"), station, QStringLiteral("00"), channel, startMSecs, n, rate,
                                sample));
}

SeismicEvent* InteractionFixture::newEvent(long long originMSecs, double latitude, double longitude, double depth)
{
    auto* event = new SeismicEvent;
    Origin* origin = event->preferredOrigin();
    origin->setDateTime(QDateTime::fromMSecsSinceEpoch(originMSecs, Qt::UTC));
    origin->setLatitude(latitude);
    origin->setLongitude(longitude);
    origin->setDepthKm(depth);
    events.append(event);
    return event;
}

Trace* InteractionFixture::trace(int i) const
{
    return canvas->traces().at(i);
}

void InteractionFixture::paint()
{
    QImage image(canvas->size(), QImage::Format_ARGB32);
    canvas->render(&image);
}

QPoint InteractionFixture::pointOn(const Trace* trace, int i) const
{
    const double x = trace->x() + i * trace->dtMSecs() * canvas->pixelsPerMSec();
    const double y = trace->y() - trace->polarity() * trace->gain() * (trace->samples[i] - trace->mean());
    return QPoint(qRound(x), qRound(y));
}

void InteractionFixture::press(const QPoint& p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(QEvent::MouseButtonPress, p, canvas->mapToGlobal(p), button, button, modifiers);
    QApplication::sendEvent(canvas, &event);
}

void InteractionFixture::move(const QPoint& p, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, buttons, modifiers);
    QApplication::sendEvent(canvas, &event);
}

void InteractionFixture::release(const QPoint& p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(QEvent::MouseButtonRelease, p, canvas->mapToGlobal(p), button, Qt::NoButton, modifiers);
    QApplication::sendEvent(canvas, &event);
}

void InteractionFixture::click(const QPoint& p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    press(p, button, modifiers);
    release(p, button, modifiers);
}

void InteractionFixture::drag(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers modifiers)
{
    press(from, Qt::LeftButton, modifiers);
    // The first move with the button held only starts the drag.
    move(from, Qt::LeftButton, modifiers);
    const int steps = 4;
    for (int s = 1; s <= steps; ++s)
        move(from + (to - from) * s / steps, Qt::LeftButton, modifiers);
    release(to, Qt::LeftButton, modifiers);
}

void InteractionFixture::key(int key, bool press)
{
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(canvas, &event);
}

void InteractionFixture::contextMenu(const QPoint& p)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, p, canvas->mapToGlobal(p));
    QApplication::sendEvent(canvas, &event);
}

ModalAnswer::ModalAnswer(const std::function<void(QDialog*)>& answer) : answer_(answer)
{
    qApp->installEventFilter(this);
}

ModalAnswer::~ModalAnswer()
{
    qApp->removeEventFilter(this);
}

bool ModalAnswer::eventFilter(QObject* watched, QEvent* event)
{
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || event->type() != QEvent::Show || !dialog->isModal())
        return false;
    ++shown;
    QPointer<QDialog> target(dialog);
    const std::function<void(QDialog*)> answer = answer_;
    QTimer::singleShot(0, dialog, [target, answer] {
        if (!target)
            return;
        answer(target);
        if (target && target->isVisible())
            QTimer::singleShot(0, target, [target] {
                if (target && target->isVisible())
                    target->reject();
            });
    });
    return false;
}

MenuAnswer::MenuAnswer(const QString& choice) : choice_(choice)
{
    qApp->installEventFilter(this);
}

MenuAnswer::~MenuAnswer()
{
    qApp->removeEventFilter(this);
}

bool MenuAnswer::eventFilter(QObject* watched, QEvent* event)
{
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu || event->type() != QEvent::Show)
        return false;
    ++shown;
    entries.clear();
    enabledEntries.clear();
    QAction* wanted = nullptr;
    for (QAction* action : menu->actions()) {
        const QString text = action->isSeparator() ? QStringLiteral("-") : action->text();
        entries.append(text);
        if (action->isEnabled() && !action->isSeparator()) {
            enabledEntries.append(text);
            if (!choice_.isEmpty() && text == choice_)
                wanted = action;
        }
    }
    // Answered from inside the menu's own event loop.
    QPointer<QMenu> target(menu);
    QTimer::singleShot(0, menu, [target, wanted] {
        if (!target)
            return;
        if (!wanted) {
            target->close();
            return;
        }
        target->setActiveAction(wanted);
        QTest::keyClick(target, Qt::Key_Return);
    });
    return false;
}
