#include "online/engine/uxmlhttp.h"
#include "support/http_server.h"
#include "support/temp_tree.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Counts the control's events and notes whether any came from inside Send_.
struct Events {
    explicit Events(uXMLHTTP &http) : h(http)
    {
        QObject::connect(&h, &uXMLHTTP::OnDateArrived, [this] { ++arrived; insideSend |= sending; order << "arrived"; });
        QObject::connect(&h, &uXMLHTTP::OnReadyStateChange, [this] { ++changes; insideSend |= sending; if (order.isEmpty() || order.last() != "change") order << "change"; });
        QObject::connect(&h, &uXMLHTTP::OnDateErr, [this](const QString &t) { errors << t; insideSend |= sending; order << "error"; });
    }
    void send()
    {
        sending = true;
        h.Send_();
        sending = false;
    }
    bool waitDone(int ms = 5000) { return QTest::qWaitFor([this] { return arrived + errors.size() > 0; }, ms); }
    uXMLHTTP &h;
    int arrived = 0, changes = 0;
    QStringList errors;
    QStringList order;
    bool sending = false, insideSend = false;
};

} // namespace

TEST(HttpControl, A200RaisesArrivedOnceFromThePoll)
{
    TestHttpServer server;
    server.body = "1.6.621";
    uXMLHTTP h;
    Events e(h);
    ASSERT_TRUE(h.Open_(QStringLiteral("get"), server.url(QStringLiteral("/x/newver.txt"))));
    h.SetRequestHeader(QStringLiteral("X-Probe"), QStringLiteral("yes"));
    EXPECT_FALSE(h.DownOK());
    e.send();
    ASSERT_TRUE(e.waitDone());
    QTest::qWait(50);
    EXPECT_EQ(e.arrived, 1);
    EXPECT_TRUE(e.errors.isEmpty());
    EXPECT_FALSE(e.insideSend);
    EXPECT_EQ(e.order, QStringList({"change", "arrived"}));
    EXPECT_TRUE(h.DownOK());
    EXPECT_EQ(h.ReadyState(), 4);
    EXPECT_EQ(h.Status(), 200);
    EXPECT_EQ(h.StatusText(), QStringLiteral("OK"));
    EXPECT_EQ(h.ResponseText(), QStringLiteral("1.6.621"));
    EXPECT_EQ(h.ResponseBody(), QByteArray("1.6.621"));
    EXPECT_EQ(h.GetResponseHeader(QStringLiteral("content-type")), QStringLiteral("text/plain"));
    EXPECT_TRUE(h.GetAllResponseHeaders().contains(QStringLiteral("Content-Length: 7\r\n")));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].method, "GET");
    EXPECT_EQ(server.requests[0].path, "/x/newver.txt");
    EXPECT_TRUE(server.requests[0].headers.contains({"X-Probe", "yes"}));
    // The next Open_ starts over.
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    EXPECT_FALSE(h.DownOK());
}

TEST(HttpControl, OtherStatusesRaiseTheirTableText)
{
    TestHttpServer server;
    uXMLHTTP h;
    Events e(h);
    server.status = 404;
    server.reason = "Not Found";
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    e.send();
    ASSERT_TRUE(e.waitDone());
    EXPECT_EQ(e.errors, QStringList({QStringLiteral("没有发现文件?查询或URl")}));
    EXPECT_EQ(e.arrived, 0);
    EXPECT_TRUE(h.DownOK());

    server.status = 599;
    server.reason = "Odd";
    e.errors.clear();
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    e.send();
    ASSERT_TRUE(e.waitDone());
    EXPECT_EQ(e.errors, QStringList({QString()}));
}

TEST(HttpControl, NoStatusMeansNoEventAndThePollStops)
{
    uXMLHTTP h;
    Events e(h);
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), QStringLiteral("http://127.0.0.1:%1/").arg(closedPort())));
    e.send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.DownOK(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(e.arrived, 0);
    EXPECT_TRUE(e.errors.isEmpty());
    EXPECT_GT(h.Status(), 600);
    const int changes = e.changes;
    QTest::qWait(60);
    EXPECT_EQ(e.changes, changes) << "the poll went on";
}

TEST(HttpControl, ASlowServerTimesOutWithoutAnEvent)
{
    TestHttpServer server;
    server.delayMs = 3000;
    uXMLHTTP h;
    h.setTimeoutMs(300);
    Events e(h);
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    e.send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.DownOK(); }, 2500));
    QTest::qWait(50);
    EXPECT_EQ(e.arrived, 0);
    EXPECT_TRUE(e.errors.isEmpty());
}

TEST(HttpControl, AnOversizedBodyIsDropped)
{
    TestHttpServer server;
    server.declaredLength = 3 * 1024 * 1024;
    uXMLHTTP h;
    Events e(h);
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    e.send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.DownOK(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(e.arrived, 0);
    EXPECT_TRUE(e.errors.isEmpty());
    EXPECT_TRUE(h.ResponseBody().isEmpty());
}

TEST(HttpControl, TheSavePathIsWrittenOnlyForA200WithABody)
{
    TempTree t;
    const QString save = t.file(QStringLiteral("ver.txt"), "stale");
    TestHttpServer server;
    server.body = "fresh";
    uXMLHTTP h;
    Events e(h);
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url(), save));
    e.send();
    ASSERT_TRUE(e.waitDone());
    EXPECT_EQ(TempTree::read(save), "fresh");

    server.body.clear();
    e.arrived = 0;
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url(), save));
    e.send();
    ASSERT_TRUE(e.waitDone());
    EXPECT_EQ(e.arrived, 1);
    EXPECT_EQ(TempTree::read(save), "fresh") << "an empty body writes nothing";

    server.status = 500;
    server.body = "error page";
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url(), save));
    e.send();
    ASSERT_TRUE(e.waitDone());
    EXPECT_EQ(TempTree::read(save), "fresh");
}

TEST(HttpControl, SendWithoutOpenAndAbortRaiseNothing)
{
    TestHttpServer server;
    server.delayMs = 200;
    uXMLHTTP h;
    Events e(h);
    e.send();
    QTest::qWait(100);
    EXPECT_EQ(e.changes, 0);
    EXPECT_TRUE(server.requests.isEmpty());

    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    e.send();
    QTest::qWait(30);
    h.Abort_();
    QTest::qWait(400);
    EXPECT_EQ(e.arrived, 0);
    EXPECT_TRUE(e.errors.isEmpty());
    EXPECT_FALSE(h.DownOK());
}

TEST(HttpControl, OpenRefusesWhatIsNoWebAddress)
{
    uXMLHTTP h;
    EXPECT_FALSE(h.Open_(QStringLiteral("GET"), QString()));
    EXPECT_FALSE(h.Open_(QStringLiteral("GET"), QStringLiteral("file:///etc/passwd")));
    EXPECT_FALSE(h.Open_(QStringLiteral("GET"), QStringLiteral("not a url")));
}

TEST(HttpControl, StatusTextTable)
{
    int filled = 0;
    for (int code = 0; code <= 600; ++code)
        filled += !uXMLHTTP::statusTextFor(code).isEmpty();
    EXPECT_EQ(filled, 41);
    EXPECT_EQ(uXMLHTTP::statusTextFor(200), QStringLiteral("交易成功"));
    EXPECT_EQ(uXMLHTTP::statusTextFor(405), QStringLiteral("用户在Request -Line字段定义的方法不允许"));
    EXPECT_EQ(uXMLHTTP::statusTextFor(505), QStringLiteral("服务器不支持或拒绝支请求头中指定的HTTP版本"));
    EXPECT_EQ(uXMLHTTP::statusTextFor(0), QString());
    EXPECT_EQ(uXMLHTTP::statusTextFor(601), QString());
    EXPECT_EQ(uXMLHTTP::statusTextFor(-1), QString());
}

// An answer that breaks off is no answer: no event, a code above 600, no body.
TEST(HttpControl, ACutOffBodyIsNoSuccess)
{
    for (const auto cut : {TestHttpServer::Send::CutClose, TestHttpServer::Send::CutReset}) {
        TestHttpServer server;
        server.send = cut;
        server.body = "1.6.9";
        uXMLHTTP h;
        Events e(h);
        ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
        e.send();
        ASSERT_TRUE(QTest::qWaitFor([&] { return h.DownOK(); }, 3000));
        QTest::qWait(50);
        EXPECT_EQ(e.arrived, 0) << int(cut);
        EXPECT_TRUE(e.errors.isEmpty()) << int(cut);
        EXPECT_GT(h.Status(), 600) << int(cut);
        EXPECT_TRUE(h.ResponseBody().isEmpty()) << int(cut);
    }
}

// An endless body is cut near the cap, not after it has filled memory; a
// trickling one ends at the time limit although it is never idle.
TEST(HttpControl, LimitsHoldWhileTheBodyIsStillComing)
{
    TestHttpServer server;
    server.send = TestHttpServer::Send::Endless;
    uXMLHTTP h;
    Events e(h);
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    e.send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.DownOK(); }, 4000));
    EXPECT_LT(server.bytesSent, 16 * uXMLHTTP::MaxBodyBytes);
    EXPECT_EQ(h.Status(), uXMLHTTP::TooLarge);

    server.send = TestHttpServer::Send::Trickle;
    h.setTimeoutMs(400);
    ASSERT_TRUE(h.Open_(QStringLiteral("GET"), server.url()));
    QElapsedTimer clock;
    clock.start();
    e.send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.DownOK(); }, 2000)) << "a trickle kept the request open";
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(h.Status(), uXMLHTTP::Timeout);
    EXPECT_EQ(e.arrived, 0);
    EXPECT_TRUE(e.errors.isEmpty());
}
