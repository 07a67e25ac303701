#include "testhttpserver.h"

#include "support/windowtesting.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cctype>

namespace {

const int maxHeadBytes = 64 * 1024;
const int maxBodyBytes = 1024 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

} // namespace

TestHttpServer::Reply TestHttpServer::Reply::ok(const QByteArray& body,
                                                const QByteArray& contentType)
{
    Reply r;
    r.body = body;
    r.contentType = contentType;
    return r;
}

TestHttpServer::Reply TestHttpServer::Reply::withStatus(int status, const QByteArray& body)
{
    Reply r;
    r.status = status;
    r.body = body;
    return r;
}

TestHttpServer::Reply TestHttpServer::Reply::redirect(const QByteArray& location, int status)
{
    Reply r;
    r.status = status;
    r.headers.append(qMakePair(QByteArray("Location"), location));
    return r;
}

TestHttpServer::Reply TestHttpServer::Reply::never()
{
    Reply r;
    r.action = NeverAnswer;
    return r;
}

TestHttpServer::Reply TestHttpServer::Reply::hangUp()
{
    Reply r;
    r.action = HangUp;
    return r;
}

TestHttpServer::Reply TestHttpServer::Reply::delayed(int ms) const
{
    Reply r(*this);
    r.delayMs = ms;
    return r;
}

TestHttpServer::Reply TestHttpServer::Reply::withHeader(const QByteArray& name,
                                                        const QByteArray& value) const
{
    Reply r(*this);
    r.headers.append(qMakePair(name, value));
    return r;
}

TestHttpServer::TestHttpServer(QObject* parent) : QTcpServer(parent)
{
}

TestHttpServer::~TestHttpServer()
{
    close();
    const QList<QTcpSocket*> sockets = connections_.keys();
    connections_.clear();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        delete socket;
    }
}

bool TestHttpServer::startHttp()
{
    tls_ = false;
    return listen(QHostAddress::LocalHost, 0);
}

bool TestHttpServer::makeCertificate(QSslCertificate* certificate, QSslKey* key, QString* error)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        *error = QStringLiteral("no temporary directory");
        return false;
    }
    QFile config(dir.filePath(QStringLiteral("openssl.cnf")));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write("[req]\n"
                 "distinguished_name = dn\n"
                 "x509_extensions = ext\n"
                 "prompt = no\n"
                 "[dn]\n"
                 "CN = 127.0.0.1\n"
                 "[ext]\n"
                 "basicConstraints = critical, CA:TRUE\n"
                 "keyUsage = critical, digitalSignature, keyCertSign\n"
                 "extendedKeyUsage = serverAuth\n"
                 "subjectAltName = IP:127.0.0.1\n"
                 "subjectKeyIdentifier = hash\n");
    config.close();

    QString log;
    if (!runTool(QStringLiteral("openssl"),
                 {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                  QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                  QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                  QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-config"),
                  config.fileName(), QStringLiteral("-keyout"),
                  dir.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                  dir.filePath(QStringLiteral("cert.pem"))},
                 dir.path(), &log)) {
        *error = QStringLiteral("openssl failed: ") + log;
        return false;
    }
    QFile certFile(dir.filePath(QStringLiteral("cert.pem")));
    QFile keyFile(dir.filePath(QStringLiteral("key.pem")));
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("openssl wrote no certificate");
        return false;
    }
    *certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
    *key = QSslKey(keyFile.readAll(), QSsl::Ec, QSsl::Pem);
    if (certificate->isNull() || key->isNull()) {
        *error = QStringLiteral("certificate or key unreadable");
        return false;
    }
    return true;
}

bool TestHttpServer::startHttps()
{
    static bool made = false;
    static QSslCertificate certificate;
    static QSslKey key;
    if (!made) {
        QString error;
        if (!QSslSocket::supportsSsl() || !makeCertificate(&certificate, &key, &error)) {
            qWarning("TestHttpServer: %s", qPrintable(error));
            return false;
        }
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificate(certificate);
        QSslConfiguration::setDefaultConfiguration(configuration);
        made = true;
    }
    certificate_ = certificate;
    key_ = key;
    tls_ = true;
    return listen(QHostAddress::LocalHost, 0);
}

QString TestHttpServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(serverPort());
}

QByteArray TestHttpServer::origin() const
{
    return (tls_ ? QByteArray("https://") : QByteArray("http://")) + hostPort().toLatin1();
}

void TestHttpServer::route(const QByteArray& path, const Reply& reply)
{
    routes_.insert(path, [reply](const Request&) { return reply; });
}

void TestHttpServer::route(const QByteArray& path, Handler handler)
{
    routes_.insert(path, std::move(handler));
}

bool TestHttpServer::waitForRequests(int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (requests_.size() < count && !deadline.hasExpired())
        QTest::qWait(5);
    return requests_.size() >= count;
}

TestHttpServer::Reply TestHttpServer::replyFor(const Request& request) const
{
    const auto handler = routes_.constFind(request.path);
    if (handler == routes_.constEnd())
        return Reply::withStatus(404, "Not Found");
    return (*handler)(request);
}

void TestHttpServer::incomingConnection(qintptr descriptor)
{
    QTcpSocket* socket = nullptr;
    if (tls_) {
        auto* ssl = new QSslSocket(this);
        if (!ssl->setSocketDescriptor(descriptor)) {
            delete ssl;
            return;
        }
        ssl->setLocalCertificate(certificate_);
        ssl->setPrivateKey(key_);
        ssl->setPeerVerifyMode(QSslSocket::VerifyNone);
        ssl->startServerEncryption();
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
    }
    connections_.insert(socket, Connection());
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        connections_.remove(socket);
        socket->deleteLater();
    });
}

void TestHttpServer::serve(QTcpSocket* socket)
{
    auto it = connections_.find(socket);
    if (it == connections_.end())
        return;
    it->buffer += socket->readAll();
    if (it->busy)
        return;

    // A TLS handshake (or other binary) sent to the plain server: no HTTP
    // request can follow, so hang up rather than wait for one.
    if (!it->buffer.isEmpty() && !std::isupper(static_cast<unsigned char>(it->buffer.at(0)))) {
        socket->abort();
        return;
    }
    const int headEnd = it->buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (it->buffer.size() > maxHeadBytes)
            socket->abort();
        return;
    }
    const QList<QByteArray> lines = it->buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() != 3) {
        socket->abort();
        return;
    }
    Request request;
    request.method = requestLine.at(0);
    request.target = requestLine.at(1);
    const int question = request.target.indexOf('?');
    request.path = question < 0 ? request.target : request.target.left(question);
    request.query = question < 0 ? QByteArray() : request.target.mid(question + 1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon > 0) {
            request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                   lines.at(i).mid(colon + 1).trimmed());
        }
    }
    bool lengthOk = true;
    const int bodyBytes = request.header("content-length").isEmpty()
                              ? 0
                              : request.header("content-length").toInt(&lengthOk);
    if (!lengthOk || bodyBytes < 0 || bodyBytes > maxBodyBytes) {
        socket->abort();
        return;
    }
    if (it->buffer.size() < headEnd + 4 + bodyBytes)
        return; // the body is still on its way
    it->buffer.remove(0, headEnd + 4 + bodyBytes);
    it->busy = true;

    requests_.append(request);
    emit requestReceived(request);
    const Reply reply = replyFor(request);
    const bool close = request.header("connection").toLower() == "close";
    switch (reply.action) {
    case Reply::NeverAnswer:
        return;
    case Reply::HangUp:
        socket->disconnectFromHost();
        return;
    case Reply::Answer:
        break;
    }
    if (reply.delayMs > 0) {
        QTimer::singleShot(reply.delayMs, socket,
                           [this, socket, reply, close] { respond(socket, reply, close); });
    } else {
        respond(socket, reply, close);
    }
}

void TestHttpServer::respond(QTcpSocket* socket, const Reply& reply, bool close)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' '
                      + reasonPhrase(reply.status) + "\r\n";
    head += "Content-Type: " + reply.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    for (const auto& header : reply.headers)
        head += header.first + ": " + header.second + "\r\n";
    head += close ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    socket->write(head + "\r\n" + reply.body);
    auto it = connections_.find(socket);
    if (it != connections_.end())
        it->busy = false;
    if (close) {
        socket->disconnectFromHost();
        return;
    }
    // A request that came in behind this one is served from the event loop.
    QTimer::singleShot(0, socket, [this, socket] { serve(socket); });
}
