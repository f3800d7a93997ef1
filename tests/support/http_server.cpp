#include "support/http_server.h"

#include <QTcpSocket>
#include <QTimer>
#include <sys/socket.h>
#include <unistd.h>

TestHttpServer::TestHttpServer()
{
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                *buffer += s->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0 || s->property("served").toBool())
                    return;
                s->setProperty("served", true);
                requests.append(buffer->left(end + 2));
                QTimer::singleShot(delayMs, s, [this, s] { serve(s); });
            });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

void TestHttpServer::serve(QTcpSocket *s)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\n";
    head += "Content-Type: text/plain\r\nConnection: close\r\n" + headers;
    switch (send) {
    case Send::CutClose:
    case Send::CutReset:
        s->write(head + "Content-Length: 100\r\n\r\n" + body);
        s->flush();
        // Late enough for the client to have read what came before.
        QTimer::singleShot(100, s, [this, s] {
            if (send == Send::CutClose)
                return s->disconnectFromHost();
            const linger hard{1, 0};
            setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            s->abort();
        });
        return;
    case Send::Endless: {
        s->write(head + "\r\n");
        s->flush();
        // A server in a thread of its own outpaces the client, as a remote one does.
        const int fd = dup(int(s->socketDescriptor()));
        m_streams.emplace_back(std::thread([this, fd] {
                                   const QByteArray chunk(64 * 1024, 'x');
                                   while (!m_stop) {
                                       const ssize_t n = ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL);
                                       if (n < 0)
                                           break;
                                       bytesSent += n;
                                   }
                               }),
                               fd);
        return;
    }
    case Send::Trickle: {
        s->write(head + "\r\n");
        auto *pace = new QTimer(s);
        connect(pace, &QTimer::timeout, s, [this, s] { s->write(body); });
        pace->start(20);
        return;
    }
    case Send::Whole: break;
    }
    if (withLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    s->write(head + "\r\n" + body);
    s->disconnectFromHost();
}

TestHttpServer::~TestHttpServer()
{
    m_stop = true;
    for (auto &[thread, fd] : m_streams) {
        shutdown(fd, SHUT_RDWR);
        thread.join();
        ::close(fd);
    }
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
