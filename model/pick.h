#ifndef PICK_H
#define PICK_H

#include <QString>

// A named phase arrival time; the name is fixed at construction.
class Pick
{
public:
    Pick(const QString& phaseName, long long pickTimeMSecs)
        : phaseName_(phaseName), pickTimeMSecs_(pickTimeMSecs) {}

    QString phaseName() const { return phaseName_; }
    long long pickTimeMSecs() const { return pickTimeMSecs_; }
    void setPickTimeMSecs(long long t) { pickTimeMSecs_ = t; }

private:
    QString phaseName_;
    long long pickTimeMSecs_;
};

#endif // PICK_H
