#ifndef WEBSERVICESINTERFACE_H
#define WEBSERVICESINTERFACE_H

#include <QDateTime>
#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

// Common base of the web-service clients: one network access manager, the
// host, the query time window and the last query URL. It sends nothing
// itself; each client builds, sends and reads its own queries. Lives on the
// GUI thread and has no parent: its creator deletes it, and with it every
// reply still pending (no result signal follows then).
class WebServicesInterface : public QObject
{
    Q_OBJECT

public:
    explicit WebServicesInterface(const QString& host);
    ~WebServicesInterface() override;

    QString host() const { return host_; }
    int serviceVersion() const { return serviceVersion_; }
    QString queryPrefix() const { return queryPrefix_; }

    // False only when the manager knows the network to be unreachable.
    bool serviceAvailable() const;

    static const char* const userAgent;

    // Numbers in queries: six significant digits, no grouping.
    static QString queryNumber(double value);

public Q_SLOTS:
    // The three setters keep duration == start.secsTo(end), whichever was
    // set last; setDurationSecs moves the end, never the start.
    void setStartDateTime(const QDateTime& start);
    QDateTime startDateTime() const { return startDateTime_; }
    void setDurationSecs(int durationSecs);
    int durationSecs() const { return durationSecs_; }
    void setEndDateTime(const QDateTime& end);
    QDateTime endDateTime() const { return endDateTime_; }
    QString url() const { return url_; }

protected:
    // Query times are written in UTC, cut to the minute.
    static QString queryTime(const QDateTime& time);

    // Remembers url as the last query and sends a GET for it. A non-empty
    // kind is stored in the request's user attribute and read back from the
    // reply; withUserAgent adds the program's user agent.
    void sendQuery(const QString& url, const QString& kind, bool withUserAgent);

    // Modal warning box "Network Reply Error" with the reply body as details.
    static void showReplyError(const QString& informativeText, const QByteArray& body);

    QNetworkAccessManager* manager_;
    QString host_;
    int serviceVersion_ = 0;
    QDateTime startDateTime_;
    QDateTime endDateTime_;
    int durationSecs_ = 0;
    QString url_;
    QString queryPrefix_;
};

#endif // WEBSERVICESINTERFACE_H
