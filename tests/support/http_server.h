#pragma once
#include <QByteArray>
#include <QList>
#include <QTcpServer>

// A tiny HTTP responder on 127.0.0.1 for the online tests: one scripted
// answer for every request, the requests recorded.
class TestHttpServer : public QTcpServer {
public:
    TestHttpServer();

    int status = 200;
    QByteArray reason = "OK";
    QByteArray body;
    int delayMs = 0;
    qint64 declaredLength = -1; // for an oversized answer: claim and stream this much

    struct Request {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
    };
    QList<Request> requests;

    QString url(const QString &path = QStringLiteral("/")) const;

private:
    void serve(QTcpSocket *socket);
};

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort();
