#pragma once
// A tiny HTTP server on 127.0.0.1 for the banner's tests: canned answers by
// path, a record of every request, and the ways a server can fail.

#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace tolvane::test {

class TestHttpServer {
public:
    enum class Mode { Answer, Close, Hang };
    struct Response {
        int status = 200;
        QByteArray body;
        Mode mode = Mode::Answer;
    };
    struct Request {
        QString target;   // path and query as sent
        QByteArray head;  // the whole request head
    };

    TestHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    // Answers for a path, the query left off; anything else is a 404.
    void route(const QString& path, Response response) { routes_.insert(path, std::move(response)); }
    // One more header line in the answers for a path.
    void addHeader(const QString& path, const QByteArray& line) { headers_[path] += line + "\r\n"; }
    const QList<Request>& requests() const { return requests_; }
    QStringList targets() const
    {
        QStringList out;
        for (const Request& r : requests_)
            out.append(r.target);
        return out;
    }
    // An address on which nothing listens.
    static QString refusedBase()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(&server_);
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                answer(socket, buffer->left(end));
                buffer->clear();
            });
        }
    }
    void answer(QTcpSocket* socket, const QByteArray& head)
    {
        const QList<QByteArray> parts = head.left(head.indexOf("\r\n")).split(' ');
        requests_.append({parts.size() > 1 ? QString::fromLatin1(parts[1]) : QString(), head});
        const QString path = requests_.last().target.section(u'?', 0, 0);
        const Response response = routes_.value(path, Response{404, "not found"});
        if (response.mode == Mode::Close)
            socket->abort();
        if (response.mode != Mode::Answer)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(response.status) + " X\r\nContent-Length: "
                      + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n" + headers_.value(path)
                      + "\r\n" + response.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QString, Response> routes_;
    QHash<QString, QByteArray> headers_;
    QList<Request> requests_;
};

}  // namespace tolvane::test
