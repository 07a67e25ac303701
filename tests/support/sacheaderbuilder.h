#ifndef SACHEADERBUILDER_H
#define SACHEADERBUILDER_H

#include <QByteArray>
#include <QString>
#include <QVector>

// Builds SAC binary files for tests, field by field, from its own copy of the
// published layout, so that the product's reader and writer are checked
// against something they do not share code with.
// Starts as a small valid file: every field undefined except nvhdr 6,
// iftype 1, leven 1, delta 0.01, b 0 and the reference time
// 2019-03-05 (day 64) 14:03:07.000; no samples.
class SacHeaderBuilder
{
public:
    SacHeaderBuilder();

    SacHeaderBuilder& setFloat(const QString& name, float value);
    SacHeaderBuilder& setInt(const QString& name, int value);
    // Blank-padded (or cut) to the field's width, as in a file.
    SacHeaderBuilder& setText(const QString& name, const QByteArray& value);
    // Also sets npts, unless keepNpts.
    SacHeaderBuilder& setSamples(const QVector<float>& samples, bool keepNpts = false);

    float floatValue(const QString& name) const;
    int intValue(const QString& name) const;
    QByteArray textValue(const QString& name) const;

    // Header and samples in the given byte order.
    QByteArray bytes(bool bigEndian = true) const;
    bool writeFile(const QString& path, bool bigEndian = true) const;

    // Reads the header words of a file's bytes (in the given byte order)
    // back into a builder; samples are not parsed.
    static SacHeaderBuilder fromBytes(const QByteArray& bytes, bool bigEndian);

    static constexpr float undefined = -12345.0f;

private:
    static int floatIndex(const QString& name);
    static int intIndex(const QString& name);
    static int textOffset(const QString& name, int* width);

    float floats_[70];
    qint32 ints_[40];
    QByteArray text_; // bytes 440..631
    QVector<float> samples_;
};

#endif // SACHEADERBUILDER_H
