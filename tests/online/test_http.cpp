#include "online/engine/uxmlhttp.h"
#include "support/http_server.h"
#include "support/temp_tree.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using Send = TestHttpServer::Send;

// One control against one scripted server, its events counted.
class Http : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&h, &uXMLHTTP::OnDateArrived, [this] {
            ++arrived;
            insideSend |= sending;
        });
        QObject::connect(&h, &uXMLHTTP::OnReadyStateChange, [this] {
            ++changes;
            insideSend |= sending;
        });
        QObject::connect(&h, &uXMLHTTP::OnDateErr, [this](const QString &text) {
            errors << text;
            insideSend |= sending;
        });
    }
    void send() { sending = true, h.Send_(), sending = false; }
    // Opens and sends afresh; true once the request has ended. The events
    // are raised in the same tick that sets DownOK, so they are in by then.
    bool fetch(const QString &saveTo = QString(), int ms = 5000, const QString &method = QStringLiteral("GET"))
    {
        arrived = 0, errors.clear();
        if (!h.Open_(method, server.url(), saveTo))
            return false;
        send();
        return QTest::qWaitFor([this] { return h.DownOK(); }, ms);
    }
    // Whether any event follows within ms.
    bool laterEvent(int ms = 50)
    {
        const int before = arrived + int(errors.size());
        return QTest::qWaitFor([&] { return arrived + errors.size() > before; }, ms);
    }

    TempTree t;
    const QString save = t.file(QStringLiteral("ver.txt"), "stale");
    TestHttpServer server;
    uXMLHTTP h;
    int arrived = 0, changes = 0;
    QStringList errors;
    bool sending = false, insideSend = false;
};

} // namespace

// Only a 200 is an answer: any other code, a 2xx too, is an error with its
// table text, and a code past 600 is not reported at all. A 204 or 304 that
// announces a length sends no body and is no broken answer.
TEST_F(Http, EveryStatusButA200IsAnError)
{
    server.body = "1.6.621";
    const std::pair<int, QStringList> answers[] = {{201, {QStringLiteral("提示知道新文件的URL")}},
                                                   {204, {QStringLiteral("请求收到，但返回信息为空")}},
                                                   {206, {QStringLiteral("服务器已经完成了部分用户的GET请求")}},
                                                   {404, {QStringLiteral("没有发现文件?查询或URl")}},
                                                   {304, {QStringLiteral("客户端已经执行了GET，但文件未变化")}},
                                                   {500, {QStringLiteral("服务器产生内部错误")}},
                                                   {599, {QString()}},
                                                   {600, {QString()}},
                                                   {601, {}}};
    for (const auto &[status, expected] : answers) {
        server.status = status;
        ASSERT_TRUE(fetch(save)) << status;
        EXPECT_EQ(errors, expected) << status;
    }
    EXPECT_EQ(TempTree::read(save), "stale");
    EXPECT_FALSE(insideSend) << "events come from the poll, never from inside Send_";
}

// The cap counts every byte of the body, whether announced or not.
TEST_F(Http, TheBodyCapHoldsToTheByte)
{
    for (const bool withLength : {true, false}) {
        server.withLength = withLength;
        server.body = QByteArray(uXMLHTTP::MaxBodyBytes, 'x');
        ASSERT_TRUE(fetch());
        EXPECT_EQ(arrived, 1) << withLength;
        server.body += 'x';
        ASSERT_TRUE(fetch());
        EXPECT_EQ(h.Status(), uXMLHTTP::TooLarge) << withLength;
    }
}

// A server that stalls, trickles, breaks off or never stops gets no event:
// the request ends by itself in good time with a code past 600 and no body.
TEST_F(Http, AHostileServerEndsTheRequestWithoutAnEvent)
{
    const struct {
        Send send;
        int delayMs;
        qint32 code;
    } cases[] = {{Send::Whole, 3000, uXMLHTTP::Timeout},    {Send::Trickle, 0, uXMLHTTP::Timeout},
                 {Send::CutClose, 0, uXMLHTTP::Incomplete}, {Send::CutReset, 0, uXMLHTTP::Incomplete},
                 {Send::Endless, 0, uXMLHTTP::TooLarge},    {Send::Trickle, 0, uXMLHTTP::TooLarge}};
    for (const auto &c : cases) {
        // Paced in pieces, an endless body passes the cap only in what has come before.
        server.body = c.code == uXMLHTTP::TooLarge ? QByteArray(64 * 1024, 'x') : QByteArray("1.6.9");
        server.send = c.send;
        server.delayMs = c.delayMs;
        h.setTimeoutMs(c.code == uXMLHTTP::Timeout ? 400 : uXMLHTTP::DefaultTimeoutMs);
        ASSERT_TRUE(fetch(QString(), 3000)) << int(c.send);
        EXPECT_EQ(h.Status(), c.code) << int(c.send);
        EXPECT_TRUE(h.ResponseBody().isEmpty()) << int(c.send);
        EXPECT_FALSE(laterEvent()) << int(c.send);
    }
    EXPECT_LT(server.bytesSent, 16 * 1024 * 1024) << "the endless body filled memory first";
}

TEST_F(Http, NothingHappensWithoutAnOpenRequest)
{
    for (const char *url : {"", "file:///etc/passwd", "not a url", "http:///newver.txt"})
        EXPECT_FALSE(h.Open_(QStringLiteral("GET"), QString::fromLatin1(url))) << url;
    send();
    EXPECT_FALSE(QTest::qWaitFor([this] { return changes > 0; }, 50));

    server.delayMs = 200;
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    send();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !server.requests.isEmpty(); }, 3000));
    h.Abort_();
    const int ticks = changes;
    EXPECT_FALSE(laterEvent(400)) << "the answer came after all";
    EXPECT_EQ(changes, ticks);
    EXPECT_EQ(h.ReadyState(), 0);
    // Opened afresh while one is under way, the old request gives way.
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url(QStringLiteral("/old"))));
    send();
    ASSERT_TRUE(fetch());
}
