#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "app/fcover.h"
#include "app/form1.h"
#include "app/engine/settings.h"
#include "online/frm_about.h"
#include "online/update_check.h"
#include "online/engine/uxmlhttp.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "support/http_server.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        appState() = AppState();
        MessageBox::clearHistory();
        Desktop::clearHistory();
    }
    void TearDown() override
    {
        delete cover;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Loads a fresh cover, whose timer starts the check, and waits for its end.
    void startCover(const QByteArray &published, int status = 200, const QString &site = QString())
    {
        Settings::write(Settings::OptionSection, QStringLiteral("VendorSite"), site.isEmpty() ? server.url(QString()) : site);
        server.body = published;
        server.status = status;
        delete cover;
        cover = new fCover;
        cover->loadCover();
        ASSERT_TRUE(QTest::qWaitFor([this] { return cover->updateCheck()->request()->DownOK(); }, 5000));
    }
    QString product() const { return server.url(QStringLiteral("/") + AppInfo::executableName() + QStringLiteral("/")); }
    TestHttpServer server;
    fCover *cover = nullptr;
};

} // namespace

TEST_F(UpdateTest, ANewerVersionIsShownOpenedAndAnnounced)
{
    startCover("\xEF\xBB\xBF 00000001.0000006.621\r\n"); // 20 characters, saved by an editor that marks UTF-8
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests[0].startsWith("GET /" + AppInfo::executableName().toUtf8() + "/newver.txt "));
    EXPECT_TRUE(cover->Label3->isVisible());
    EXPECT_EQ(cover->Label3->text(), QStringLiteral("有最新版本：V00000001.0000006.621可以下载升级"));
    EXPECT_EQ(appState().LatestVersionText, QStringLiteral("00000001.0000006.621"));
    EXPECT_EQ(Desktop::openedUrls(), QStringList({product()}));
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("有最新版本可以升级，请尽快下载安装！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Information);
    // The update line opens the product page.
    QTest::mouseClick(cover->Label3, Qt::LeftButton);
    EXPECT_EQ(Desktop::openedUrls(), QStringList({product(), product()}));
}

// An offline machine shows nothing (nor does the same version, see the About
// box test); a missing version file asks for a network.
TEST_F(UpdateTest, OnlyAFailedAnswerComplains)
{
    startCover("1.6.621", 200, QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    EXPECT_EQ(cover->updateCheck()->request()->Status(), uXMLHTTP::Refused);
    EXPECT_TRUE(MessageBox::history().isEmpty());
    EXPECT_TRUE(appState().LatestVersionText.isEmpty());

    startCover("gone", 404);
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("请保持网络畅通！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Critical);
}

TEST_F(UpdateTest, AboutBoxShowsTheResultAndClosingChecksAgain)
{
    startCover("1.6.620");
    cover->进入主界面();
    Form1 *form = cover->mainWindow();
    ASSERT_NE(form, nullptr);

    QString before;
    ModalDialog::setNextScript([&](QDialog &d) {
        auto &box = static_cast<frmAbout &>(d);
        before = box.Label10->text();
        box.cmdOK->click();
    });
    server.body = "1.6.621"; // published meanwhile
    form->action(QStringLiteral("menu关于"))->trigger();
    EXPECT_EQ(before, QStringLiteral("[已经是最新版本]"));
    ASSERT_TRUE(QTest::qWaitFor([] { return !appState().LatestVersionText.isEmpty(); }, 3000));
    EXPECT_EQ(server.requests.size(), 2);
    EXPECT_EQ(MessageBox::history().last().text, QStringLiteral("有最新版本可以升级，请尽快下载安装！"));

    Settings::write(Settings::OptionSection, QStringLiteral("VendorSite2"), QStringLiteral("http://second.example"));
    frmAbout box;
    EXPECT_EQ(box.Label10->text(), QStringLiteral("[有最新版本可以升级：1.6.621]"));
    Desktop::clearHistory();
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    for (QLabel *link : {box.Label10, box.Label4, box.Label2, box.Label7})
        QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(Desktop::openedUrls(), QStringList({server.url(QStringLiteral("/") + AppInfo::executableName()),
                                                  server.url(QStringLiteral("/")), QStringLiteral("http://second.example/")}));
    delete form;
}
