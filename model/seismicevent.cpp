#include "model/seismicevent.h"

#include <QAction>
#include <QMenu>

SeismicEvent::SeismicEvent()
{
    preferredOrigin_.setDateTime(QDateTime::currentDateTimeUtc());
}

void SeismicEvent::setEventID(const QString& id)
{
    eventID_ = id;
    empty_ = false;
}

void SeismicEvent::setEventDescription(const QString& text)
{
    eventDescription_ = text;
    if (menu_)
        menu_->setTitle(text + QStringLiteral("..."));
    empty_ = false;
}

void SeismicEvent::setEventType(EventType type)
{
    eventType_ = type;
    empty_ = false;
}

void SeismicEvent::setFlinnEngdahlRegion(int region)
{
    flinnEngdahlRegion_ = region;
    empty_ = false;
}

void SeismicEvent::setMenuActions(QAction* info, QAction* selection, QAction* assignment)
{
    infoAction_ = info;
    selectionAction_ = selection;
    assignmentAction_ = assignment;
}

void SeismicEvent::enableSelection(bool enable)
{
    if (selectionAction_)
        selectionAction_->setEnabled(enable);
}

void SeismicEvent::enableAssignment(bool enable)
{
    if (assignmentAction_)
        assignmentAction_->setEnabled(enable);
}

bool SeismicEvent::operator==(SeismicEvent& other)
{
    const QDateTime mine = preferredOrigin_.dateTime();
    const QDateTime theirs = other.preferredOrigin_.dateTime();
    if (!mine.isValid() || !theirs.isValid())
        return false;
    const qint64 d = theirs.msecsTo(mine);
    return d > -10 && d < 10;
}
