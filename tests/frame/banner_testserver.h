#pragma once
// A tiny HTTP server on 127.0.0.1 for the banner's tests: canned answers by
// path, a record of every request, and the ways a server can fail.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
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
        QString target;  // path and query as sent
        QByteArray head; // the whole request head
    };

    TestHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }
    ~TestHttpServer()
    {
        for (const QPointer<QTcpSocket>& s : sockets_)
            if (s)
                s->abort();
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    // Answers for a path, the query left off; anything else is a 404.
    void route(const QString& path, Response response) { routes_.insert(path, std::move(response)); }
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
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1").arg(port);
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            sockets_.append(socket);
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
        Request request{parts.size() > 1 ? QString::fromLatin1(parts[1]) : QString(), head};
        requests_.append(request);
        const QString path = request.target.section(u'?', 0, 0);
        const Response response = routes_.value(path, Response{404, "not found", Mode::Answer});
        if (response.mode == Mode::Hang)
            return;
        if (response.mode == Mode::Close) {
            socket->abort();
            return;
        }
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\nContent-Type: text/plain\r\n"
            + "Content-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n"
            + response.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QString, Response> routes_;
    QList<Request> requests_;
    QList<QPointer<QTcpSocket>> sockets_;
};

}  // namespace tolvane::test
