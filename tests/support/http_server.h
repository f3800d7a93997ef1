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
    ~TestHttpServer() override;

    int status = 200;
    QByteArray body;
    QByteArray headers;     // extra header lines, each ending in "\r\n"
    bool withLength = true; // without, the body ends where the connection does
    int delayMs = 0;

    // How the body goes out. Cut answers claim 100 bytes, send `body`, then
    // close the connection or reset it. Endless streams from a thread of its
    // own, as fast as the client takes it, until the client leaves; Trickle
    // sends `body` again every 20 ms, endlessly.
    enum class Send { Whole, CutClose, CutReset, Endless, Trickle };
    Send send = Send::Whole;
    std::atomic<qint64> bytesSent = 0; // endless body bytes the client's side accepted

    QList<QByteArray> requests; // each request's line and headers, as they came

    QString url(const QString &path = QStringLiteral("/")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

private:
    void serve(QTcpSocket *socket);
    std::vector<std::pair<std::thread, int>> m_streams; // each with its own descriptor
    std::atomic<bool> m_stop = false;
};

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort();
