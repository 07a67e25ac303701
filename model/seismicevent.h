#ifndef SEISMICEVENT_H
#define SEISMICEVENT_H

#include "model/magnitude.h"
#include "model/origin.h"

#include <QString>

class QAction;
class QMenu;
class SeismicEventDialog;

// Nothing in the system produces or consumes event types yet.
enum EventType { NotSpecifiedEventType, EarthquakeEventType, OtherEventType };

// An earthquake: identifier, description, preferred origin and magnitude,
// and the links to its submenu in a document window's Events menu (not owned).
class SeismicEvent
{
public:
    SeismicEvent();

    QString eventID() const { return eventID_; }
    QString eventDescription() const { return eventDescription_; }
    EventType eventType() const { return eventType_; }
    int flinnEngdahlRegion() const { return flinnEngdahlRegion_; }
    bool isEmpty() const { return empty_; }

    // Changes made through these pointers leave the empty flag alone.
    Origin* preferredOrigin() { return &preferredOrigin_; }
    Magnitude* preferredMagnitude() { return &preferredMagnitude_; }

    void setEventID(const QString& id);
    void setEventDescription(const QString& text);
    void setEventType(EventType type);
    void setFlinnEngdahlRegion(int region);

    void setMenu(QMenu* menu) { menu_ = menu; }
    QMenu* menu() const { return menu_; }
    void setMenuActions(QAction* info, QAction* selection, QAction* assignment);
    QAction* infoAction() const { return infoAction_; }
    QAction* selectionAction() const { return selectionAction_; }
    QAction* assignmentAction() const { return assignmentAction_; }
    void enableSelection(bool enable);
    void enableAssignment(bool enable);

    void setEventDialog(SeismicEventDialog* dialog) { eventDialog_ = dialog; }
    SeismicEventDialog* eventDialog() const { return eventDialog_; }

    // Equal when the origin times differ by less than 10 ms. An event whose
    // origin time is invalid equals no event: it cannot be matched by time.
    bool operator==(SeismicEvent& other);

private:
    QString eventID_;
    QString eventDescription_ = QStringLiteral("blank event");
    EventType eventType_ = NotSpecifiedEventType;
    int flinnEngdahlRegion_ = 0;
    Origin preferredOrigin_;
    Magnitude preferredMagnitude_;
    bool empty_ = true;
    SeismicEventDialog* eventDialog_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* infoAction_ = nullptr;
    QAction* selectionAction_ = nullptr;
    QAction* assignmentAction_ = nullptr;
};

#endif // SEISMICEVENT_H
