#include "sacheaderbuilder.h"

#include <QFile>
#include <QStringList>
#include <QtEndian>

#include <cstring>

namespace {

QStringList floatNames()
{
    QStringList n = {"delta", "depmin", "depmax", "scale", "odelta", "b", "e", "o", "a", "fmt"};
    for (int i = 0; i < 10; ++i)
        n << QStringLiteral("t%1").arg(i);
    n << "f";
    for (int i = 0; i < 10; ++i)
        n << QStringLiteral("resp%1").arg(i);
    n << "stla" << "stlo" << "stel" << "stdp" << "evla" << "evlo" << "evel" << "evdp" << "mag";
    for (int i = 0; i < 10; ++i)
        n << QStringLiteral("user%1").arg(i);
    n << "dist" << "az" << "baz" << "gcarc" << "sb" << "sdelta" << "depmen" << "cmpaz" << "cmpinc"
      << "xminimum" << "xmaximum" << "yminimum" << "ymaximum";
    for (int i = 6; i <= 12; ++i)
        n << QStringLiteral("unused%1").arg(i);
    Q_ASSERT(n.size() == 70);
    return n;
}

QStringList intNames()
{
    QStringList n = {"nzyear", "nzjday", "nzhour", "nzmin",  "nzsec",    "nzmsec",
                     "nvhdr",  "norid",  "nevid",  "npts",   "nsnpts",   "nwfid",
                     "nxsize", "nysize", "unused15", "iftype", "idep",   "iztype",
                     "unused16", "iinst", "istreg", "ievreg", "ievtyp",  "iqual",
                     "isynth", "imagtyp", "imagsrc"};
    for (int i = 19; i <= 26; ++i)
        n << QStringLiteral("unused%1").arg(i);
    n << "leven" << "lpspol" << "lovrok" << "lcalda" << "unused27";
    Q_ASSERT(n.size() == 40);
    return n;
}

// Text fields in file order with their widths.
QList<QPair<QString, int>> textFields()
{
    QList<QPair<QString, int>> t = {{"kstnm", 8}, {"kevnm", 16}, {"khole", 8}, {"ko", 8}, {"ka", 8}};
    for (int i = 0; i < 10; ++i)
        t.append({QStringLiteral("kt%1").arg(i), 8});
    t.append({{"kf", 8}, {"kuser0", 8}, {"kuser1", 8}, {"kuser2", 8}, {"kcmpnm", 8},
              {"knetwk", 8}, {"kdatrd", 8}, {"kinst", 8}});
    return t;
}

} // namespace

SacHeaderBuilder::SacHeaderBuilder() : text_(192, ' ')
{
    for (float& f : floats_)
        f = undefined;
    for (qint32& i : ints_)
        i = -12345;
    int width = 0;
    for (const auto& field : textFields()) {
        const int at = textOffset(field.first, &width);
        std::memcpy(text_.data() + at, "-12345", 6);
    }
    setInt("nvhdr", 6).setInt("iftype", 1).setInt("leven", 1).setInt("npts", 0);
    setFloat("delta", 0.01f).setFloat("b", 0.0f);
    setInt("nzyear", 2019).setInt("nzjday", 64).setInt("nzhour", 14).setInt("nzmin", 3);
    setInt("nzsec", 7).setInt("nzmsec", 0);
}

int SacHeaderBuilder::floatIndex(const QString& name)
{
    static const QStringList names = floatNames();
    const int i = names.indexOf(name);
    Q_ASSERT_X(i >= 0, "SacHeaderBuilder", qPrintable(name));
    return i;
}

int SacHeaderBuilder::intIndex(const QString& name)
{
    static const QStringList names = intNames();
    const int i = names.indexOf(name);
    Q_ASSERT_X(i >= 0, "SacHeaderBuilder", qPrintable(name));
    return i;
}

int SacHeaderBuilder::textOffset(const QString& name, int* width)
{
    static const QList<QPair<QString, int>> fields = textFields();
    int offset = 0;
    for (const auto& field : fields) {
        if (field.first == name) {
            *width = field.second;
            return offset;
        }
        offset += field.second;
    }
    Q_ASSERT_X(false, "SacHeaderBuilder", qPrintable(name));
    return 0;
}

SacHeaderBuilder& SacHeaderBuilder::setFloat(const QString& name, float value)
{
    floats_[floatIndex(name)] = value;
    return *this;
}

SacHeaderBuilder& SacHeaderBuilder::setInt(const QString& name, int value)
{
    ints_[intIndex(name)] = value;
    return *this;
}

SacHeaderBuilder& SacHeaderBuilder::setText(const QString& name, const QByteArray& value)
{
    int width = 0;
    const int at = textOffset(name, &width);
    const QByteArray padded = (value + QByteArray(width, ' ')).left(width);
    std::memcpy(text_.data() + at, padded.constData(), size_t(width));
    return *this;
}

SacHeaderBuilder& SacHeaderBuilder::setSamples(const QVector<float>& samples, bool keepNpts)
{
    samples_ = samples;
    if (!keepNpts)
        setInt("npts", samples.size());
    return *this;
}

float SacHeaderBuilder::floatValue(const QString& name) const
{
    return floats_[floatIndex(name)];
}

int SacHeaderBuilder::intValue(const QString& name) const
{
    return ints_[intIndex(name)];
}

QByteArray SacHeaderBuilder::textValue(const QString& name) const
{
    int width = 0;
    const int at = textOffset(name, &width);
    return text_.mid(at, width);
}

QByteArray SacHeaderBuilder::bytes(bool bigEndian) const
{
    QByteArray out(632 + 4 * samples_.size(), '\0');
    uchar* p = reinterpret_cast<uchar*>(out.data());
    auto put = [bigEndian](uchar* at, quint32 word) {
        if (bigEndian)
            qToBigEndian(word, at);
        else
            qToLittleEndian(word, at);
    };
    for (int i = 0; i < 70; ++i) {
        quint32 word;
        std::memcpy(&word, &floats_[i], 4);
        put(p + 4 * i, word);
    }
    for (int i = 0; i < 40; ++i)
        put(p + 280 + 4 * i, quint32(ints_[i]));
    std::memcpy(p + 440, text_.constData(), 192);
    for (int i = 0; i < samples_.size(); ++i) {
        quint32 word;
        std::memcpy(&word, &samples_[i], 4);
        put(p + 632 + 4 * i, word);
    }
    return out;
}

bool SacHeaderBuilder::writeFile(const QString& path, bool bigEndian) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray data = bytes(bigEndian);
    return file.write(data) == data.size();
}

SacHeaderBuilder SacHeaderBuilder::fromBytes(const QByteArray& bytes, bool bigEndian)
{
    SacHeaderBuilder b;
    if (bytes.size() < 632)
        return b;
    const uchar* p = reinterpret_cast<const uchar*>(bytes.constData());
    auto get = [bigEndian](const uchar* at) {
        return bigEndian ? qFromBigEndian<quint32>(at) : qFromLittleEndian<quint32>(at);
    };
    for (int i = 0; i < 70; ++i) {
        const quint32 word = get(p + 4 * i);
        std::memcpy(&b.floats_[i], &word, 4);
    }
    for (int i = 0; i < 40; ++i)
        b.ints_[i] = qint32(get(p + 280 + 4 * i));
    b.text_ = bytes.mid(440, 192);
    return b;
}
