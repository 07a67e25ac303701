#ifndef ORIGIN_H
#define ORIGIN_H

#include "model/wgs84position.h"

#include <QDateTime>
#include <QString>

// Where and when an earthquake started.
class Origin : public WGS84Position
{
public:
    Origin() { dateTime_.setTimeSpec(Qt::UTC); }

    QDateTime dateTime() const { return dateTime_; }
    void setDateTime(const QDateTime& t) { dateTime_ = t; }
    double depthKm() const { return depthKm_; }
    void setDepthKm(double v) { depthKm_ = v; }
    QString depthType() const { return depthType_; }
    void setDepthType(const QString& v) { depthType_ = v; }
    QString author() const { return author_; }
    void setAuthor(const QString& v) { author_ = v; }

private:
    QDateTime dateTime_;
    double depthKm_ = 0.0;
    QString depthType_;
    QString author_;
};

#endif // ORIGIN_H
