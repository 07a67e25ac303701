#include "services/webservicesinterface.h"

#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <limits>

const char* const WebServicesInterface::userAgent = "Quakeslate 1.0";

WebServicesInterface::WebServicesInterface(const QString& host)
    : QObject(nullptr), manager_(new QNetworkAccessManager(this)), host_(host)
{
    // The toolkit does not follow redirects by itself; data centres move
    // their services behind them. Never accept a step down from https.
    manager_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    startDateTime_ = QDateTime::currentDateTimeUtc();
    endDateTime_ = startDateTime_;
}

WebServicesInterface::~WebServicesInterface()
{
    // The derived client is already gone: a reply torn down with the manager
    // must not reach its slot.
    manager_->disconnect(this);
    delete manager_;
}

namespace {

int clampedSeconds(qint64 seconds)
{
    if (seconds > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (seconds < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(seconds);
}

} // namespace

void WebServicesInterface::setStartDateTime(const QDateTime& start)
{
    startDateTime_ = start;
    durationSecs_ = clampedSeconds(startDateTime_.secsTo(endDateTime_));
}

void WebServicesInterface::setEndDateTime(const QDateTime& end)
{
    endDateTime_ = end;
    durationSecs_ = clampedSeconds(startDateTime_.secsTo(endDateTime_));
}

void WebServicesInterface::setDurationSecs(int durationSecs)
{
    durationSecs_ = durationSecs;
    endDateTime_ = startDateTime_.addSecs(durationSecs);
}

bool WebServicesInterface::serviceAvailable() const
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return manager_->networkAccessible() != QNetworkAccessManager::NotAccessible;
    QT_WARNING_POP
}

QString WebServicesInterface::queryTime(const QDateTime& time)
{
    // The services read every time as UTC; a local time would be sent
    // shifted by the zone's offset.
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:00"));
}

QString WebServicesInterface::queryNumber(double value)
{
    return QString::number(value, 'g', 6);
}

void WebServicesInterface::sendQuery(const QString& url, const QString& kind, bool withUserAgent)
{
    url_ = url;
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    if (!kind.isEmpty())
        request.setAttribute(QNetworkRequest::User, kind);
    if (withUserAgent)
        request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(userAgent));
    manager_->get(request);
}

void WebServicesInterface::showReplyError(const QString& informativeText, const QByteArray& body)
{
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setText(QStringLiteral("Network Reply Error"));
    if (!informativeText.isEmpty())
        box.setInformativeText(informativeText);
    box.setDetailedText(QString::fromUtf8(body));
    box.exec();
}
