#ifndef PHASEARRIVAL_H
#define PHASEARRIVAL_H

#include <QString>

// One predicted arrival of one phase in one Earth model.
class PhaseArrival
{
public:
    PhaseArrival() = default;
    PhaseArrival(const QString& phaseName, qint64 arrivalTimeMSecs)
        : phaseName_(phaseName), arrivalTimeMSecs_(arrivalTimeMSecs) {}

    QString earthModel() const { return earthModel_; }
    QString phaseName() const { return phaseName_; }
    qint64 arrivalTimeMSecs() const { return arrivalTimeMSecs_; }
    void setArrivalTimeMSecs(qint64 t) { arrivalTimeMSecs_ = t; }

private:
    QString earthModel_ = QStringLiteral("iasp91");
    QString phaseName_;
    qint64 arrivalTimeMSecs_ = 0;
};

#endif // PHASEARRIVAL_H
