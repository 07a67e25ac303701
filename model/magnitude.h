#ifndef MAGNITUDE_H
#define MAGNITUDE_H

#include <QString>

class Magnitude
{
public:
    Magnitude() = default;

    double mag() const { return mag_; }
    void setMag(double v) { mag_ = v; }
    QString magType() const { return magType_; }
    void setMagType(const QString& v) { magType_ = v; }
    QString author() const { return author_; }
    void setAuthor(const QString& v) { author_ = v; }

private:
    double mag_ = 0.0;
    QString magType_;
    QString author_;
};

#endif // MAGNITUDE_H
