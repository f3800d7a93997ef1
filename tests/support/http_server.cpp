#include "support/http_server.h"

#include <QTcpSocket>
#include <QTimer>

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
                Request r;
                const QList<QByteArray> lines = buffer->left(end).split('\n');
                const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
                r.method = first.value(0);
                r.path = first.value(1);
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const qsizetype colon = lines[i].indexOf(':');
                    if (colon > 0)
                        r.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
                }
                requests.append(r);
                QTimer::singleShot(delayMs, s, [this, s] { serve(s); });
            });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

void TestHttpServer::serve(QTcpSocket *s)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    head += "Content-Type: text/plain\r\nConnection: close\r\n";
    if (declaredLength >= 0) {
        head += "Content-Length: " + QByteArray::number(declaredLength) + "\r\n\r\n";
        s->write(head);
        const QByteArray chunk(64 * 1024, 'x');
        for (qint64 sent = 0; sent < declaredLength && s->state() == QAbstractSocket::ConnectedState; sent += chunk.size())
            s->write(chunk);
    } else {
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
        s->write(head + body);
    }
    s->disconnectFromHost();
}

QString TestHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
