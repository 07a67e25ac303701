#ifndef NETWORK_H
#define NETWORK_H

#include <QString>

class Network
{
public:
    Network() = default;

    QString networkCode() const { return networkCode_; }
    void setNetworkCode(const QString& code) { networkCode_ = code; }
    QString networkDescription() const { return networkDescription_; }
    void setNetworkDescription(const QString& text) { networkDescription_ = text; }

    void setNetwork(const Network* other)
    {
        networkCode_ = other->networkCode_;
        networkDescription_ = other->networkDescription_;
    }

private:
    QString networkCode_;
    QString networkDescription_ = QStringLiteral("?"); // not known yet
};

#endif // NETWORK_H
