#ifndef TESTHTTPSERVER_H
#define TESTHTTPSERVER_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A small HTTP/1.1 server for tests, living in the test process on the GUI
// thread's event loop. It listens on 127.0.0.1 only, on a port the system
// picks at start, serves any number of connections at once (keep-alive
// included), records every request, and answers by the request's path.
//
//   TestHttpServer server;
//   QVERIFY(server.startHttp());                // or startHttps()
//   server.route("/fdsnws/station/1/query", TestHttpServer::Reply::ok(xml, "application/xml"));
//   server.route("/slow", TestHttpServer::Reply::ok("late").delayed(200));
//   server.route("/a", [](const TestHttpServer::Request& r) { ... return reply; });
//   FDSNWSStationInterface client(server.hostPort());   // "127.0.0.1:<port>"
//   ...
//   QCOMPARE(server.requests().at(0).target, QByteArray("/fdsnws/station/1/query?..."));
//
// A path without a route is answered 404. startHttps() makes a self-signed
// certificate for 127.0.0.1 with the openssl tool (once per process) and adds
// it to the process's default TLS configuration, so every network request
// made afterwards trusts this server and nothing else changes.
class TestHttpServer : public QTcpServer
{
    Q_OBJECT

public:
    struct Reply
    {
        enum Action { Answer, NeverAnswer, HangUp };

        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain";
        QList<QPair<QByteArray, QByteArray>> headers; // extra header lines
        int delayMs = 0;                               // before answering
        Action action = Answer;

        static Reply ok(const QByteArray& body, const QByteArray& contentType = "text/plain");
        static Reply withStatus(int status, const QByteArray& body = QByteArray());
        // A redirect to location (an absolute URL or a path on this server).
        static Reply redirect(const QByteArray& location, int status = 302);
        // Reads the request and then keeps the connection open, silent.
        static Reply never();
        // Closes the connection without a response.
        static Reply hangUp();

        Reply delayed(int ms) const;
        Reply withHeader(const QByteArray& name, const QByteArray& value) const;
    };

    struct Request
    {
        QByteArray method;
        QByteArray target; // as sent: path and query
        QByteArray path;   // target up to '?'
        QByteArray query;  // after '?', without it
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
    };

    using Handler = std::function<Reply(const Request&)>;

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    bool startHttp();
    bool startHttps();
    bool isHttps() const { return tls_; }

    quint16 port() const { return serverPort(); }
    QString hostPort() const;  // "127.0.0.1:<port>", what the clients take as host
    QByteArray origin() const; // "http(s)://127.0.0.1:<port>"

    void route(const QByteArray& path, const Reply& reply);
    void route(const QByteArray& path, Handler handler);
    void clearRoutes() { routes_.clear(); }

    QList<Request> requests() const { return requests_; }
    int requestCount() const { return requests_.size(); }
    void clearRequests() { requests_.clear(); }
    // Runs the event loop until count requests have arrived; false after
    // timeoutMs without them.
    bool waitForRequests(int count, int timeoutMs = 10000);
    // Connections currently open (closed ones are forgotten).
    int openConnections() const { return connections_.size(); }

Q_SIGNALS:
    void requestReceived(const TestHttpServer::Request& request);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection
    {
        QByteArray buffer;
        bool busy = false; // a response is pending; later requests wait
    };

    static bool makeCertificate(QSslCertificate* certificate, QSslKey* key, QString* error);
    void serve(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Reply& reply, bool close);
    Reply replyFor(const Request& request) const;

    bool tls_ = false;
    QSslCertificate certificate_;
    QSslKey key_;
    QHash<QByteArray, Handler> routes_;
    QList<Request> requests_;
    QHash<QTcpSocket*, Connection> connections_;
};

#endif // TESTHTTPSERVER_H
