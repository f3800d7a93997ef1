#pragma once
#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <atomic>
#include <thread>
#include <vector>

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

    // How the body goes out. Cut answers claim 100 bytes, send `body`, then
    // close the connection or reset it. Endless streams from a thread of its
    // own, as fast as the client takes it, until the client leaves; Trickle
    // sends a byte of an endless body every `trickleMs`.
    enum class Send { Whole, CutClose, CutReset, Endless, Trickle };
    Send send = Send::Whole;
    int trickleMs = 100;
    std::atomic<qint64> bytesSent = 0; // endless body bytes the client's side accepted
    ~TestHttpServer() override;

    struct Request {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
    };
    QList<Request> requests;

    QString url(const QString &path = QStringLiteral("/")) const;

private:
    void serve(QTcpSocket *socket);
    std::vector<std::pair<std::thread, int>> m_streams; // each with its own descriptor
    std::atomic<bool> m_stop = false;
};

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort();
